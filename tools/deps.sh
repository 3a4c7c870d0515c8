# Debian packages the project needs; sourced by run.sh, test.sh and the tools.
# install_missing installs, as root or through sudo, only what is missing.

ORNAVOX_BUILD_PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev
  libpulse-dev libmp3lame-dev libmpg123-dev libxcb1-dev libxcb-keysyms1-dev
  fonts-liberation fonts-dejavu-core fontconfig libfontconfig-dev
  pulseaudio pulseaudio-utils
)
# What ./run.sh's demonstration needs beyond the build.
ORNAVOX_DEMO_PACKAGES=(xvfb xauth xdotool)
ORNAVOX_TEST_PACKAGES=(
  libgtest-dev libgmock-dev libbenchmark-dev
  lame mpg123 xvfb xauth clang-format xdotool x11-xkb-utils dbus-daemon clang libclang-rt-dev
)

install_missing() {
  local missing=() pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
