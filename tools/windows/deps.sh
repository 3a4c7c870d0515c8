# LAME, libspeexdsp and mpg123 built for Windows from Debian's source packages: fetched
# once into a cache folder outside the tree, their checksums checked against
# Debian's signed index, built as static libraries with mingw-w64. Sourced by
# tools/windows/build.sh; prints nothing but progress.

ORNAVOX_WINDOWS_CACHE=${ORNAVOX_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/ornavox-windows}

# The machine's own Debian mirror and suite, from its sources file.
debian_mirror_and_suite() {
  local file
  for file in /etc/apt/sources.list.d/debian.sources /etc/apt/sources.list; do
    [ -f "$file" ] || continue
    if [[ $file == *.sources ]]; then
      awk '/^URIs:/ && !uri {uri=$2} /^Suites:/ && !suite {suite=$2} END {if (uri && suite) print uri, suite}' "$file"
    else
      awk '$1 == "deb" && $2 !~ /^\[/ {print $2, $3; exit}' "$file"
    fi
    return 0
  done
  echo "http://deb.debian.org/debian bookworm"
}

# Downloads the source package of $1 into the cache, leaving the machine's
# apt set-up as it is: a private list with one deb-src line.
fetch_source() {
  local package=$1 apt_dir=$ORNAVOX_WINDOWS_CACHE/apt
  read -r mirror suite < <(debian_mirror_and_suite)
  mkdir -p "$apt_dir/lists/partial"
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $suite main" >"$apt_dir/sources.list"
  local options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=/nonexistent"
                 -o "Dir::State::Lists=$apt_dir/lists" -o "APT::Sandbox::User=root")
  [ -n "$(ls "$apt_dir/lists" 2>/dev/null | grep -v partial)" ] || apt-get "${options[@]}" update -qq
  # A mirror may lack the upstream signature that a .dsc names; apt checks
  # what it fetches against the signed index, and verify_orig below checks
  # the tarball against the .dsc again.
  (cd "$ORNAVOX_WINDOWS_CACHE" && apt-get "${options[@]}" source --download-only -qq "$package" >/dev/null 2>&1) || true
}

# The upstream tarball of $1, checked against its .dsc; fails when missing.
verify_orig() {
  local package=$1 dsc tarball sum
  dsc=$(ls "$ORNAVOX_WINDOWS_CACHE/${package}_"*.dsc 2>/dev/null | head -1)
  [ -n "$dsc" ] || { echo "No source package of $package in $ORNAVOX_WINDOWS_CACHE" >&2; return 1; }
  read -r sum tarball < <(awk '/^Checksums-Sha256:/ {on=1; next} /^[^ ]/ {on=0} on && $3 ~ /orig\.tar\.[a-z0-9]+$/ {print $1, $3; exit}' "$dsc")
  echo "$sum  $ORNAVOX_WINDOWS_CACHE/$tarball" | sha256sum --quiet -c - || { echo "$tarball does not match $dsc" >&2; return 1; }
  echo "$ORNAVOX_WINDOWS_CACHE/$tarball"
}

# Builds a static library of $1 for Windows into the cache's prefix, once.
# The rest of the arguments go to its configure script.
build_windows_library() {
  local package=$1 library=$2
  shift 2
  local prefix=$ORNAVOX_WINDOWS_CACHE/prefix
  [ -f "$prefix/lib/$library" ] && return 0
  [ -n "$(verify_orig "$package" 2>/dev/null)" ] || fetch_source "$package"
  local tarball
  tarball=$(verify_orig "$package")
  local work=$ORNAVOX_WINDOWS_CACHE/build-$package
  rm -rf "$work" && mkdir -p "$work"
  tar -xf "$tarball" -C "$work" --strip-components=1
  echo "Building $package for Windows"
  (cd "$work" && ./configure -q --host=x86_64-w64-mingw32 --prefix="$prefix" --enable-static --disable-shared "$@" \
     CC=x86_64-w64-mingw32-gcc-posix >/dev/null && make -s -j"$(nproc)" >/dev/null 2>&1 && make -s install >/dev/null)
}

windows_libraries() {
  mkdir -p "$ORNAVOX_WINDOWS_CACHE"
  build_windows_library lame libmp3lame.a --disable-frontend
  build_windows_library speexdsp libspeexdsp.a --disable-examples
  build_windows_library mpg123 libmpg123.a --with-cpu=x86-64 --enable-modules=no --with-audio=dummy \
    --with-default-audio=dummy
}
