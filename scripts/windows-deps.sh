#!/usr/bin/env bash
# Builds the third-party libraries of the Windows (x86-64, mingw-w64) cross
# build that Debian ships no mingw package of, from Debian's own source
# packages:
#   - libmpg123 (source package mpg123) as a shared DLL,
#   - libpng (source package libpng1.6) as a static library, against the
#     static zlib of libz-mingw-w64-dev.
#
# Usage: scripts/windows-deps.sh BUILD_DIR
#
# Layout under BUILD_DIR:
#   apt/        private apt configuration and package lists (deb-src only);
#               the system's apt state is not touched
#   deps-src/   downloaded and unpacked Debian source packages
#   deps-build/ CMake build trees
#   deps/       install prefix (include/, lib/, bin/, licenses/), passed to
#               the toolchain file as -DZELVO_WINDOWS_DEPS=BUILD_DIR/deps
#
# A second run with the same Debian versions, script and toolchain file does
# nothing. Set ZELVO_DEPS_REFRESH=1 to refresh the package lists (and so pick
# up a newer Debian revision); ZELVO_DEBIAN_MIRROR overrides the mirror.
#
# Needs: cmake, ninja-build, dpkg-dev, g++-mingw-w64-x86-64-posix,
# libz-mingw-w64-dev (and network access to a Debian mirror on first run).
set -euo pipefail

log() { printf 'windows-deps: %s\n' "$*"; }
die() { printf 'windows-deps: error: %s\n' "$*" >&2; exit 1; }

[[ $# -eq 1 ]] || die "usage: $0 BUILD_DIR"

SCRIPT_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SCRIPT_PATH="$SCRIPT_DIR/$(basename "${BASH_SOURCE[0]}")"
SOURCE_ROOT=$(cd "$SCRIPT_DIR/.." && pwd)
TOOLCHAIN="$SOURCE_ROOT/cmake/windows-toolchain.cmake"
TRIPLE=x86_64-w64-mingw32
SUITE=bookworm
PACKAGES=(mpg123 libpng1.6)
ZLIB_STATIC=/usr/$TRIPLE/lib/libz.a
ZLIB_INCLUDE=/usr/$TRIPLE/include
ZLIB_COPYRIGHT=/usr/share/doc/libz-mingw-w64-dev/copyright
JOBS=${ZELVO_DEPS_JOBS:-2}

mkdir -p "$1"
BUILD_DIR=$(cd "$1" && pwd)
APT_DIR="$BUILD_DIR/apt"
SRC_DIR="$BUILD_DIR/deps-src"
OBJ_DIR="$BUILD_DIR/deps-build"
PREFIX="$BUILD_DIR/deps"
STAMP="$PREFIX/.stamp"

# --- private apt configuration ----------------------------------------------

APT_OPTS=(
  -o "Dir::Etc::SourceList=$APT_DIR/sources.list"
  -o "Dir::Etc::SourceParts=$APT_DIR/sources.list.d"
  -o "Dir::Etc::Preferences=$APT_DIR/preferences"
  -o "Dir::Etc::PreferencesParts=$APT_DIR/preferences.d"
  -o "Dir::State::Lists=$APT_DIR/lists"
  -o "Dir::Cache=$APT_DIR/cache"
  -o "Dir::Cache::pkgcache="
  -o "Dir::Cache::srcpkgcache="
  -o "APT::Sandbox::User=root"
  -o "Acquire::Languages=none"
)
if [[ $(id -u) -ne 0 ]]; then
  # Our own lists directory is writable; nothing else is locked.
  APT_OPTS+=(-o "Debug::NoLocking=true")
fi

# The Debian mirror the system uses, else deb.debian.org.
detect_mirror() {
  local uri=""
  if [[ -n "${ZELVO_DEBIAN_MIRROR:-}" ]]; then
    printf '%s\n' "$ZELVO_DEBIAN_MIRROR"; return
  fi
  shopt -s nullglob
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    uri=$(awk '/^URIs:/ { for (i = 2; i <= NF; i++) if ($i ~ /\/debian\/?$/) { print $i; exit } }' "$f")
    [[ -n $uri ]] && break
  done
  if [[ -z $uri ]]; then
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [[ -r $f ]] || continue
      uri=$(awk '$1 == "deb" || $1 == "deb-src" {
                   for (i = 2; i <= NF; i++) if ($i ~ /^https?:\/\/.*\/debian\/?$/) { print $i; exit } }' "$f")
      [[ -n $uri ]] && break
    done
  fi
  shopt -u nullglob
  printf '%s\n' "${uri:-http://deb.debian.org/debian}"
}

apt_update() {
  local mirror keyring=/usr/share/keyrings/debian-archive-keyring.gpg signed=""
  mirror=$(detect_mirror)
  [[ -r $keyring ]] && signed="[signed-by=$keyring] "
  mkdir -p "$APT_DIR/sources.list.d" "$APT_DIR/preferences.d" \
           "$APT_DIR/lists/partial" "$APT_DIR/cache/archives/partial"
  printf 'deb-src %s%s %s main\n' "$signed" "${mirror%/}" "$SUITE" > "$APT_DIR/sources.list"
  log "updating private apt source lists ($mirror $SUITE main)"
  apt-get "${APT_OPTS[@]}" -q update > "$APT_DIR/update.log" 2>&1 \
    || { cat "$APT_DIR/update.log" >&2; die "apt-get update with $APT_DIR/sources.list failed"; }
}

# Newest version of a source package in the private lists.
source_version() {
  apt-cache "${APT_OPTS[@]}" showsrc --only-source "$1" 2>/dev/null \
    | awk '/^Version:/ { print $2 }' | sort -V | tail -n 1 || true
}

# SHA256 of FILE as listed by the (signed) Sources index for PKG=VERSION.
index_sha256() {
  local pkg=$1 version=$2 file=$3
  apt-cache "${APT_OPTS[@]}" showsrc --only-source "$pkg" 2>/dev/null | awk -v v="$version" -v f="$file" '
    /^$/ { inpkg = 0; insec = 0 }
    /^Version:/ { inpkg = ($2 == v) }
    /^[A-Za-z0-9-]+:/ { insec = ($1 == "Checksums-Sha256:") ; next }
    inpkg && insec && $3 == f { print $1 }' || true
}

have_lists() { compgen -G "$APT_DIR/lists/*_Sources*" > /dev/null; }

declare -A VERSION
read_versions() {
  local pkg
  for pkg in "${PACKAGES[@]}"; do
    VERSION[$pkg]=$(source_version "$pkg")
  done
}

stamp_text() {
  local pkg
  for pkg in "${PACKAGES[@]}"; do printf '%s %s\n' "$pkg" "${VERSION[$pkg]}"; done
  printf 'inputs %s\n' "$(cat "$SCRIPT_PATH" "$TOOLCHAIN" | sha256sum | cut -d' ' -f1)"
}

# --- cache ------------------------------------------------------------------

# The stamp check uses the package lists of an earlier run (no network);
# ZELVO_DEPS_REFRESH=1 refreshes them first.
updated=0
if [[ ${ZELVO_DEPS_REFRESH:-0} == 1 ]]; then
  apt_update; updated=1
fi
if [[ -f $STAMP ]] && have_lists; then
  read_versions
  if [[ "$(cat "$STAMP")" == "$(stamp_text)" ]]; then
    log "up to date in $PREFIX (mpg123 ${VERSION[mpg123]}, libpng1.6 ${VERSION[libpng1.6]})"
    exit 0
  fi
fi

# Rebuilding: take the current Debian versions.
[[ $updated == 1 ]] || apt_update
read_versions
for pkg in "${PACKAGES[@]}"; do
  [[ -n ${VERSION[$pkg]} ]] \
    || die "source package $pkg not found in $SUITE main (see $APT_DIR/sources.list)"
done
stamp_text=$(stamp_text)

# --- checks -----------------------------------------------------------------

for tool in cmake ninja dpkg-source "$TRIPLE-gcc-posix" "$TRIPLE-g++-posix" "$TRIPLE-windres"; do
  command -v "$tool" > /dev/null || die "$tool not found (install cmake, ninja-build, dpkg-dev, g++-mingw-w64-x86-64-posix)"
done
[[ -f $TOOLCHAIN ]] || die "toolchain file $TOOLCHAIN missing"
[[ -f $ZLIB_STATIC ]] || die "$ZLIB_STATIC missing (install libz-mingw-w64-dev)"
[[ -f $ZLIB_COPYRIGHT ]] || die "$ZLIB_COPYRIGHT missing (install libz-mingw-w64-dev)"

# --- fetch, verify, unpack --------------------------------------------------

# Files named in the Checksums-Sha256 field of a .dsc: "sha256 size name".
dsc_checksums() {
  awk '/^Checksums-Sha256:/ { on = 1; next }
       on && /^[ \t]/ { print $1, $2, $3; next }
       on { exit }' "$1"
}

fetch_source() {
  local pkg=$1 version=$2 dsc want got sha size name
  local upstream=${version#*:}
  dsc="${pkg}_${upstream}.dsc"
  log "fetching $pkg $version source"
  mkdir -p "$SRC_DIR"
  # apt-get source may exit non-zero over a missing upstream signature (.asc)
  # while everything else arrives; the checksums below decide.
  (cd "$SRC_DIR" && apt-get "${APT_OPTS[@]}" -q source --download-only "$pkg=$version") \
    > "$SRC_DIR/$pkg.fetch.log" 2>&1 || true

  [[ -f $SRC_DIR/$dsc ]] || { cat "$SRC_DIR/$pkg.fetch.log" >&2; die "download of $dsc failed"; }
  log "verifying $pkg source checksums"
  want=$(index_sha256 "$pkg" "$version" "$dsc")
  [[ -n $want ]] || die "no SHA256 for $dsc in the Sources index"
  got=$(sha256sum "$SRC_DIR/$dsc" | cut -d' ' -f1)
  [[ $got == "$want" ]] || die "$dsc: SHA256 $got differs from the Sources index ($want)"

  local count=0
  while read -r sha size name; do
    if [[ ! -f $SRC_DIR/$name ]]; then
      # The upstream signature is optional (and not always on the mirror).
      [[ $name == *.asc ]] && continue
      cat "$SRC_DIR/$pkg.fetch.log" >&2
      die "$name (listed in $dsc) was not downloaded"
    fi
    got=$(sha256sum "$SRC_DIR/$name" | cut -d' ' -f1)
    [[ $got == "$sha" ]] || die "$name: SHA256 $got differs from $dsc ($sha)"
    count=$((count + 1))
  done < <(dsc_checksums "$SRC_DIR/$dsc")
  [[ $count -ge 1 ]] || die "$dsc lists no Checksums-Sha256 files"

  local dir="$SRC_DIR/$pkg-${upstream%-*}"
  rm -rf "$dir"
  log "unpacking $pkg (with Debian patches)"
  (cd "$SRC_DIR" && dpkg-source -x --no-check "$dsc" "$dir") > "$SRC_DIR/$pkg.unpack.log" 2>&1 \
    || { cat "$SRC_DIR/$pkg.unpack.log" >&2; die "dpkg-source -x $dsc failed"; }
  FETCHED_DIR=$dir
}

rm -f "$STAMP"
fetch_source mpg123 "${VERSION[mpg123]}";        MPG123_SRC=$FETCHED_DIR
fetch_source libpng1.6 "${VERSION[libpng1.6]}";  PNG_SRC=$FETCHED_DIR

# --- build ------------------------------------------------------------------

rm -rf "$PREFIX" "$OBJ_DIR"
mkdir -p "$PREFIX" "$OBJ_DIR"

COMMON_CMAKE=(
  -G Ninja
  -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN"
  -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_INSTALL_PREFIX="$PREFIX"
  -DCMAKE_INSTALL_LIBDIR=lib
  -DCMAKE_INSTALL_BINDIR=bin
  -DCMAKE_INSTALL_INCLUDEDIR=include
)

# build_one NAME SOURCE_DIR BUILD_DIR [cmake args...]
build_one() {
  local name=$1 src=$2 obj=$3; shift 3
  local logf="$obj.log"
  log "configuring $name"
  cmake -S "$src" -B "$obj" "${COMMON_CMAKE[@]}" "$@" > "$logf" 2>&1 \
    || { tail -n 40 "$logf" >&2; die "configuring $name failed (full log: $logf)"; }
  log "building $name"
  cmake --build "$obj" -j "$JOBS" >> "$logf" 2>&1 \
    || { tail -n 40 "$logf" >&2; die "building $name failed (full log: $logf)"; }
  log "installing $name into $PREFIX"
  cmake --install "$obj" --strip >> "$logf" 2>&1 \
    || { tail -n 40 "$logf" >&2; die "installing $name failed (full log: $logf)"; }
}

# libmpg123: shared DLL, no libout123 (audio output), no programs (the port
# only builds them on Unix hosts anyway).
build_one libmpg123 "$MPG123_SRC/ports/cmake" "$OBJ_DIR/mpg123" \
  -DBUILD_SHARED_LIBS=ON \
  -DBUILD_LIBOUT123=OFF \
  -DBUILD_PROGRAMS=OFF \
  -DNETWORK=OFF

# libpng: static only, against the static mingw zlib.
build_one libpng "$PNG_SRC" "$OBJ_DIR/libpng" \
  -DPNG_SHARED=OFF \
  -DPNG_STATIC=ON \
  -DPNG_EXECUTABLES=OFF \
  -DPNG_TESTS=OFF \
  -DZLIB_LIBRARY="$ZLIB_STATIC" \
  -DZLIB_INCLUDE_DIR="$ZLIB_INCLUDE"

# --- check and finish -------------------------------------------------------

shopt -s nullglob
dlls=("$PREFIX"/bin/libmpg123*.dll)
shopt -u nullglob
[[ ${#dlls[@]} -ge 1 ]] || die "no libmpg123 DLL in $PREFIX/bin after the build"
[[ -f $PREFIX/lib/libmpg123.dll.a ]] || die "no import library $PREFIX/lib/libmpg123.dll.a after the build"
[[ -f $PREFIX/lib/libpng16.a ]] || die "no static library $PREFIX/lib/libpng16.a after the build"
# The DLL must need nothing beyond Windows itself.
if command -v "$TRIPLE-objdump" > /dev/null; then
  bad=$("$TRIPLE-objdump" -p "${dlls[@]}" | awk '/DLL Name:/ { print $3 }' \
        | grep -iE '^(libgcc|libstdc|libwinpthread|zlib|libz)' || true)
  [[ -z $bad ]] || die "libmpg123 DLL imports non-system DLLs: $bad"
fi

log "copying licence texts"
mkdir -p "$PREFIX/licenses"
cp "$MPG123_SRC/COPYING" "$PREFIX/licenses/mpg123-COPYING"
cp "$PNG_SRC/LICENSE" "$PREFIX/licenses/libpng-LICENSE"
cp "$ZLIB_COPYRIGHT" "$PREFIX/licenses/zlib-copyright"

printf '%s\n' "$stamp_text" > "$STAMP"
log "done: mpg123 ${VERSION[mpg123]} (DLL ${dlls[*]##*/}), libpng1.6 ${VERSION[libpng1.6]} (static) in $PREFIX"
