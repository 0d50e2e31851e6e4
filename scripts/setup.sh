#!/usr/bin/env bash
# Installs the Debian packages the build, the data generator and the tests need;
# with --windows, also the cross compiler, wine and what the Windows tests use;
# with --web, emscripten (with node) and Chromium for the browser build and its tests.
# As root it installs what is missing with apt-get; otherwise it prints the line to run.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config make
  libgtest-dev
  libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libsdl2-dev libmpg123-dev
  libmp3lame-dev libfreetype-dev fonts-dejavu-core fonts-dejavu-extra libpng-dev
  ffmpeg xvfb xauth xdotool
  clang libclang-rt-14-dev
  dpkg-dev file lintian desktop-file-utils man-db
)
if [[ "${1:-}" == "--windows" ]]; then
  packages+=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest
    wine wine64 pulseaudio pulseaudio-utils
  )
fi
if [[ "${1:-}" == "--web" ]]; then
  packages+=(emscripten nodejs node-acorn chromium)
fi
missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
if [[ $(id -u) -eq 0 ]]; then
  echo "Installing missing packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "Some packages are missing. Install them with:" >&2
  echo "  sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
