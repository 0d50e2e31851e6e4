#!/usr/bin/env bash
# The installed show as a user meets it, run as root (CI):
# - the Debian package passes lintian without errors, installs with apt-get,
#   finds its data from an empty folder and draws the build tree's frame; its
#   manual page renders without warnings and its menu entry validates; it
#   removes cleanly;
# - make install into a prefix that is then moved still finds its data;
# - the release tarball runs from its unpacked folder.
#   scripts/test-package.sh BUILD
set -euo pipefail
build=$(realpath "${1:?usage: scripts/test-package.sh BUILD}")
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(zelvo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb="$build/zelvo_${version}_amd64.deb"
tarball="dist/zelvo-$version-linux-x86_64.tar.gz"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
passes=0
fail() { echo "test-package: FAILED: $*" >&2; failures=$((failures + 1)); }
pass() { echo "test-package: ok: $*"; passes=$((passes + 1)); }

# The frame at 600 ms, captured by the program given from an empty folder.
frame_of() {
    local zelvo=$1 out=$2
    mkdir -p "$work/empty"
    (cd "$work/empty" && "$zelvo" --capture "$out" --fps 1 --from 600 --to 600 >/dev/null 2>"$work/stderr") ||
        { cat "$work/stderr" >&2; return 1; }
}
"$build/zelvo" --dir "$build" --capture "$work/reference" --fps 1 --from 600 --to 600 >/dev/null 2>&1
reference="$work/reference/000600.png"
same_frame() {
    local what=$1 zelvo=$2
    rm -rf "$work/frame"
    if frame_of "$zelvo" "$work/frame" && cmp -s "$work/frame/000600.png" "$reference"; then
        pass "$what finds its data from an empty folder and draws the build tree's frame"
    else
        fail "$what: no frame, or not the build tree's"
    fi
}

# ---- The Debian package ----
[[ -f $deb ]] || { echo "test-package: $deb is missing (make deb)" >&2; exit 1; }
if lintian --fail-on error "$deb" >"$work/lintian" 2>&1; then
    pass "lintian reports no errors"
else
    fail "lintian reports errors"
fi
sed 's/^/  lintian: /' "$work/lintian"
apt-get install -y -qq "$deb" >/dev/null
same_frame "the installed package" /usr/bin/zelvo
[[ $(zelvo --version) == "zelvo $version" ]] && pass "--version says $version" || fail "--version: $(zelvo --version)"
# The page as the package holds it (a minimal system may be set to leave manual pages out).
dpkg-deb -x "$deb" "$work/contents"
page="$work/contents/usr/share/man/man6/zelvo.6.gz"
if man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) &&
    [[ -z $man_warnings ]] && LC_ALL=C.UTF-8 man -l "$page" 2>/dev/null | grep -q "THE DATA FOLDER"; then
    pass "the manual page renders"
else
    fail "the manual page: $man_warnings"
fi
desktop-file-validate /usr/share/applications/zelvo.desktop && pass "the menu entry validates" ||
    fail "the menu entry does not validate"
[[ -f /usr/share/icons/hicolor/256x256/apps/zelvo.png ]] && pass "the icon is installed" || fail "no icon"
apt-get remove -y -qq zelvo >/dev/null
[[ ! -e /usr/bin/zelvo && ! -e /usr/share/zelvo ]] && pass "the package removes cleanly" ||
    fail "left behind after removal"

# ---- make install, then the tree moved ----
cmake --install "$build" --prefix "$work/prefix" >/dev/null
mv "$work/prefix" "$work/moved"
same_frame "make install, moved elsewhere," "$work/moved/bin/zelvo"

# ---- The release tarball ----
mkdir -p "$work/unpacked"
tar -C "$work/unpacked" -xzf "$tarball"
same_frame "the unpacked tarball" "$work/unpacked/zelvo-$version-linux-x86_64/bin/zelvo"

echo "test-package: $passes passed, $failures failed"
((failures == 0))
