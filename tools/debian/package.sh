#!/usr/bin/env bash
# tools/debian/package.sh [--check]
# Builds the Debian package into build-package/ with Debian's own build flags
# and an install prefix of /usr. With --check, checks it as Debian would:
# lintian (no error, no warning that the package's overrides do not give a
# reason for), desktop-file-validate on the menu entry, appstreamcli on the
# AppStream data; then the package unpacked into a read-only temporary root
# records a tone there (tools/demo.sh); and on a throwaway machine (CI=true,
# as root) it is installed with apt-get, run as /usr/bin/ornavox, and removed
# without a file of it left behind.
set -euo pipefail
cd "$(dirname "$0")/../.."
source tools/deps.sh
install_missing "${ORNAVOX_BUILD_PACKAGES[@]}" "${ORNAVOX_PACKAGE_PACKAGES[@]}"
build=build-package

# Every hardening Debian knows, bindnow included.
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr -DORNAVOX_TESTS=OFF -DORNAVOX_BENCH=OFF \
  -DCMAKE_C_FLAGS="$(flags CFLAGS) $(flags CPPFLAGS)" -DCMAKE_CXX_FLAGS="$(flags CXXFLAGS) $(flags CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" -DCMAKE_SHARED_LINKER_FLAGS="$(flags LDFLAGS)" \
  -DCMAKE_MODULE_LINKER_FLAGS="$(flags LDFLAGS)" >/dev/null
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/ornavox_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/ornavox_*.deb)
echo "package: $deb ($(du -k "$deb" | cut -f1) KiB, $(dpkg-deb -f "$deb" Installed-Size) KiB installed)"
echo "depends: $(dpkg-deb -f "$deb" Depends)"
[ "${1:-}" = "--check" ] || exit 0

echo "== lintian"
lintian --fail-on error,warning --display-info "$deb"
echo "== desktop-file-validate"
desktop-file-validate app/desktop/ornavox.desktop
echo "== appstreamcli validate"
# Ornavox has no domain of its own to build a reverse-domain id from; its id
# stays the desktop entry's, which the hotkey portal knows it by.
appstreamcli validate --no-net --explain --override=cid-desktopapp-is-not-rdns=info \
  "$build/app/share/ornavox.metainfo.xml"

echo "== the package unpacked into a read-only root"
root=$(mktemp -d)
trap 'chmod -R u+w "$root"; rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
chmod -R a-w "$root/usr"
tools/demo.sh "$build" "$root/usr/bin/ornavox"

if [ "${CI:-}" = true ] && [ "$(id -u)" = 0 ]; then
  echo "== installed with apt-get, run, and removed"
  files=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|' | grep -v '/$')
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "./$deb" >/dev/null
  tools/demo.sh "$build" /usr/bin/ornavox
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq ornavox >/dev/null
  left=$(for file in $files; do [ -e "$file" ] || [ -L "$file" ] && echo "$file"; done || true)
  [ -z "$left" ] || { echo "left behind after apt-get remove:" $left >&2; exit 1; }
  [ ! -e /usr/lib/ornavox ] || { echo "left behind after apt-get remove: /usr/lib/ornavox" >&2; exit 1; }
  echo "installed, ran and removed: $(echo "$files" | wc -l) files, none left"
fi
