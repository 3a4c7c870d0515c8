# Sourced by the scripts that drive the program from outside.

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.05
  done
}

# The sound server records for somebody.
recording() { [ -n "$(pactl list short source-outputs)" ]; }
