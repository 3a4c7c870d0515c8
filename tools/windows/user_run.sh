#!/usr/bin/env bash
# tools/windows/user_run.sh <Windows build folder> <folder of window_shot and mp3_probe> [--installer]
# The program as a user runs it on Windows, under Wine on the display and
# with the prefix the caller gives (DISPLAY, WINEPREFIX), with a private sound
# server playing a 440 Hz tone into its null sink: the downloaded zip
# unpacked into a fresh folder; pictures of the compact, mixer and options
# layouts; a second start, which only brings the first window forward; the
# monitor chosen as record source in the mixer panel; about 3 s
# recorded with the record button (Yes to the append question) and the stop
# button, with a picture of the mixer layout's meters on the way; played with the play button and heard on the sink; the quit button,
# and Config.ini written with CR LF lines. Leaves the pictures, the MP3 and
# Config.ini under <build>/user-run.
# With --installer, the same run of the installed program instead: the
# installer run silently (/S), the program started through its Start menu
# shortcut, Config.ini and the recording expected in the user's folders
# (%APPDATA%\Ornavox, the Music folder), then the uninstaller run silently:
# the program folder, the shortcut and the apps list's entry go, the
# recording and the settings stay. Under <build>/installer-run.
set -euo pipefail
if [ -z "${ORNAVOX_USER_RUN_SERVER:-}" ]; then
  export ORNAVOX_USER_RUN_SERVER=1
  exec "$(dirname "$0")/with_sound_server.sh" "$0" "$@"
fi
build=$(cd "$1" && pwd)
tools=$(cd "$2" && pwd)
installer=${3:-}
out="$build/user-run"
[ -n "$installer" ] && out="$build/installer-run"
program_pid=

fail() {
  echo "user run: $*" >&2
  [ -s "$out/wine.log" ] && tail -n 20 "$out/wine.log" >&2
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  exit 1
}

source "$(dirname "$0")/../wait_for.sh"

# The program's stream beside the tone's.
playing() { [ "$(pactl list short sink-inputs | wc -l)" -ge 2 ]; }
has_size() { xdotool getwindowgeometry "$window" | grep -q "Geometry: $1"; }
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
shot() { "$tools/window_shot" "$window" "$out/$1.png" 2>/dev/null || fail "no picture of the $1 layout"; }

rm -rf "$out"
mkdir -p "$out"
# A Windows folder of the prefix's user as a Unix path.
user_folder() { winepath -u "$(wine cmd /c echo "$1" 2>/dev/null | tr -d '\r')" 2>/dev/null; }
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ornavox'

if [ -z "$installer" ]; then
  (cd "$out" && cmake -E tar xf "$build/ornavox-windows-x64.zip") || fail "the zip does not unpack"
  program="$out/ornavox"
  settings_dir="$program" recordings_dir="$program"
  wine "$program/ornavox.exe" >"$out/wine.log" 2>&1 &
  program_pid=$!
else
  program=$(user_folder '%LOCALAPPDATA%')/Programs/Ornavox
  settings_dir=$(user_folder '%APPDATA%')/Ornavox recordings_dir=$(user_folder '%USERPROFILE%')/Music
  shortcut=$(user_folder '%APPDATA%')"/Microsoft/Windows/Start Menu/Programs/Ornavox.lnk"
  case "$(readlink -f "$recordings_dir")" in
    "$(readlink -f "$WINEPREFIX")"/*) ;;
    *) fail "the prefix's Music folder lies outside it, at $(readlink -f "$recordings_dir")" ;;
  esac
  rm -rf "$program" "$settings_dir" "$recordings_dir/save.mp3" "$shortcut"
  timeout 120 wine "$build/ornavox-setup-x64.exe" /S >"$out/wine.log" 2>&1 || fail "the installer failed"
  [ -x "$program/ornavox.exe" ] && [ -f "$program/skin/background.jpg" ] || fail "nothing installed in $program"
  [ -f "$shortcut" ] || fail "no Start menu entry"
  timeout 30 wine reg query "$uninstall_key" /v QuietUninstallString >"$out/registry.txt" 2>&1 ||
    fail "the uninstaller is not in the apps list"
  # What the Start menu starts: the shortcut through the shell.
  timeout 30 wine start /unix "$shortcut" >>"$out/wine.log" 2>&1 || fail "the shortcut does not start"
fi
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^skinForm$' | head -n1) || fail "no window came"
[ -n "$program_pid" ] || program_pid=$(pgrep -n -f 'ornavox\.exe') || fail "no program process"
wait_for 10 has_size 351x124 || fail "the window is not compact at start"
sleep 1
shot compact

# A second start only brings the first window forward.
timeout 30 wine "$program/ornavox.exe" >>"$out/wine.log" 2>&1 || fail "a second start did not end at once"
[ "$(xdotool search --onlyvisible --name '^skinForm$' | wc -l)" = 1 ] || fail "a second start opened a second window"

# The mixer panel: the sink's monitor typed into the source list.
click 118 13
wait_for 10 has_size 351x314 || fail "the mixer button did not uncover the mixer panel"
click 260 146
xdotool key --delay 50 End shift+Home
xdotool type --delay 50 "Monitor of ornavox_sink"
sleep 1
shot mixer

click 250 13
wait_for 10 has_size 632x124 || fail "the options button did not uncover the options panel"
sleep 0.5
shot options
click 250 13
wait_for 10 has_size 351x124 || fail "the options button did not close the options panel"

# Record about 3 s: the record button, Yes, the stop button.
click 205 106
question=$(timeout 20 xdotool search --sync --onlyvisible --name "MP3 File already exists" | head -n1) ||
  fail "the append question did not come"
timeout 10 xdotool windowfocus --sync "$question" key Return || fail "the append question took no answer"
wait_for 15 recording || fail "recording did not start"
# The tone on both meters: the skin's and the mixer panel's.
click 118 13
wait_for 10 has_size 351x314 || fail "the mixer button did not uncover the mixer panel while recording"
# The pointer away from the button, so that no tooltip covers the display.
xdotool mousemove --window "$window" 300 290
sleep 1
shot recording
click 118 13
wait_for 10 has_size 351x124 || fail "the mixer button did not cover the mixer panel"
sleep 1.5
click 256 105
wait_for 15 eval '! recording' || fail "recording did not stop"

# Play it: heard on the sink until its end.
click 231 106
wait_for 15 playing || fail "playing did not start"
wait_for 30 eval '! playing' || fail "playing did not end"

# Quit; the settings are written on the way out.
click 335 14
wait_for 20 eval "! kill -0 $program_pid" || fail "the program did not quit"
program_pid=
config="$settings_dir/Config.ini"
[ -s "$config" ] || fail "Config.ini was not written to $config"
if grep -qv $'\r$' "$config"; then
  fail "Config.ini has lines without CR LF"
fi
cp "$config" "$recordings_dir/save.mp3" "$out/"
read -r seconds hertz < <("$tools/mp3_probe" "$recordings_dir/save.mp3") || fail "the recording does not decode"
awk -v s="$seconds" -v h="$hertz" 'BEGIN { exit !(s >= 2.0 && s <= 5.0 && h >= 435 && h <= 445) }' ||
  fail "the recording is $seconds s at $hertz Hz, not about 3 s at 440 Hz"
echo "Recorded under Wine: $out/save.mp3 ($seconds s decoded, pitch $hertz Hz; the tone is 440 Hz)"
echo "Pictures: $out/compact.png, $out/mixer.png, $out/options.png, $out/recording.png"
if [ -n "$installer" ]; then
  for file in Config.ini save.mp3; do
    [ ! -e "$program/$file" ] || fail "$file was written into the installed program folder"
  done
  timeout 60 wine "$program/uninstall.exe" /S >>"$out/wine.log" 2>&1 || fail "the uninstaller failed"
  # It runs on from a copy of itself in the temporary folder.
  wait_for 30 test ! -e "$program" || fail "the program folder is still there: $(ls "$program")"
  [ ! -e "$shortcut" ] || fail "the Start menu entry is still there"
  ! timeout 30 wine reg query "$uninstall_key" >/dev/null 2>&1 || fail "the apps list still has Ornavox"
  [ -s "$recordings_dir/save.mp3" ] && [ -s "$config" ] || fail "the uninstaller took the recording or the settings"
  echo "Installed, recorded, uninstalled: $recordings_dir/save.mp3 and $config kept"
fi
