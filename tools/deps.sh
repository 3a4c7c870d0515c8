# Debian packages the project needs; sourced by run.sh, test.sh and the tools.
# install_missing installs, as root or through sudo, only what is missing.

ORNAVOX_BUILD_PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev
  libpulse-dev libmp3lame-dev libmpg123-dev libxcb1-dev libxcb-keysyms1-dev libspeexdsp-dev
  fonts-liberation fonts-dejavu-core fontconfig libfontconfig-dev
  pulseaudio-utils
)
# The PulseAudio daemon only runs as a private server of the demonstration and
# the tests. A desktop's own sound server (often PipeWire's) is left alone:
# installed beside it, the daemon can claim the session's socket too.
# What ./run.sh's demonstration needs beyond the build:
ORNAVOX_DEMO_PACKAGES=(xvfb xauth xdotool pulseaudio)
# The tests run on the PulseAudio daemon and on a private PipeWire stack;
# sox makes the tones of their sources.
ORNAVOX_TEST_PACKAGES=(
  pulseaudio pipewire pipewire-bin pipewire-pulse wireplumber sox libgtest-dev libgmock-dev libbenchmark-dev
  lame mpg123 xvfb xauth clang-format xdotool x11-xkb-utils dbus-daemon clang libclang-rt-dev
)

# The Debian package and the checks of it (tools/debian/package.sh); the
# demonstration runs the installed package.
ORNAVOX_PACKAGE_PACKAGES=(dpkg-dev lintian desktop-file-utils appstream "${ORNAVOX_DEMO_PACKAGES[@]}")

# The Windows build: the -posix mingw-w64 compilers (the -win32 ones have no
# std::thread), Wine to run its tests (with the GStreamer plug-ins through
# which Wine plays MP3), the sources of GoogleTest, and NSIS for the
# installer.
ORNAVOX_WINDOWS_PACKAGES=(
  g++-mingw-w64-x86-64-posix wine wine64 gstreamer1.0-plugins-good gstreamer1.0-plugins-base googletest
  xvfb xauth pulseaudio pulseaudio-utils sox nsis
)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

install_missing() {
  local missing=() pkg
  for pkg in "$@"; do
    installed "$pkg" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
