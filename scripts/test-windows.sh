#!/usr/bin/env bash
# The Windows build under wine on a virtual X display:
#   scripts/test-windows.sh LINUX_BUILD WINDOWS_BUILD
# First the cross-built unit tests (through CMake's cross-compiling emulator),
# then the program as the zip holds it: frames of every scene against the
# Linux build's (and one at 1600 x 1200), the DPI-aware manifest, a played
# range that ends by itself, sound through a PulseAudio null sink on the
# device's clock, a missing soundtrack, the letterboxed window, the player's
# keys, names outside ASCII. Prints "N passed, N failed"; exits 1 when one failed.
set -uo pipefail
usage="usage: scripts/test-windows.sh LINUX_BUILD WINDOWS_BUILD"
linux=$(realpath "${1:?$usage}")
windows=$(realpath "${2:?$usage}")
cd "$(dirname "$0")/.."
version=$("$linux/zelvo" --version | cut -d' ' -f2)
zip="$PWD/dist/zelvo-$version-win64.zip"
# A frame may differ from the Linux one by more than 2 levels in at most 0.1%
# of its pixels (480). The same Mesa rasteriser draws both, but Windows's C
# library rounds sines, cosines, tangents and powers differently in the last
# bits: the camera and the vertices move by a fraction of a pixel, so texture
# sampling rounds a level or two differently over whole surfaces and the odd
# edge pixel falls the other way.
level=2
max_share=0.001

passed=0
failed=0
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }

work=$(mktemp -d)
xvfb_pid=
pulse_pid=
cleanup() {
    wineserver -k 2>/dev/null
    [[ -n $pulse_pid ]] && kill "$pulse_pid" 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# ---- wine on its own virtual display, one wineserver kept running ----
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
export WINEPREFIX="$windows/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export ZELVO_NO_MESSAGE_BOX=1
wine=/usr/lib/wine/wine64
echo "test-windows: wine prefix $WINEPREFIX on display $DISPLAY"
wineboot -i >/dev/null 2>&1
wineserver -p

# ---- unit tests ----
if ctest --test-dir "$windows" -j2 --output-on-failure >"$work/ctest.log" 2>&1; then
    pass "unit tests under wine: $(grep -o '[0-9]*% tests passed.*' "$work/ctest.log" | head -1)"
else
    tail -30 "$work/ctest.log"
    fail "unit tests under wine"
fi

# ---- the zip as a user unpacks it ----
(cd "$work" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
app="$work/zelvo-$version-win64"
missing=
for item in zelvo.exe libmpg123.dll README.txt data/kardel.mp3 data/settings.ini licenses/mpg123-COPYING \
    licenses/libpng-LICENSE licenses/zlib-copyright licenses/zelvo-LICENSE; do
    [[ -e $app/$item ]] || missing+=" $item"
done
[[ -z $missing ]] && pass "the zip holds the program, the DLL, the data, README.txt and the licences" ||
    fail "the zip lacks$missing"
zelvo() { (cd "$app" && "$wine" ./zelvo.exe "$@"); }

if [[ "$(zelvo --version 2>&1 | tr -d '\r')" == "zelvo $version" ]]; then
    pass "zelvo.exe --version from the unpacked zip"
else
    fail "zelvo.exe --version: $(zelvo --version 2>&1 | head -3)"
fi

# ---- every scene's still against the Linux build's ----
while read -r name _ _ still_from still_at _; do
    zelvo --capture "$work/win-$name" --from "$still_from" --to "$still_at" </dev/null >/dev/null 2>"$work/err" ||
        { fail "$name: capture under wine: $(tail -2 "$work/err")"; continue; }
    "$linux/zelvo" --dir "$app" --capture "$work/linux-$name" --from "$still_from" --to "$still_at" \
        </dev/null >/dev/null 2>&1
    # A capture from before the still plays up to it at 30 fps: its last frame.
    frame=$(ls "$work/linux-$name" | tail -1)
    if result=$("$linux/frame-check" diff "$work/win-$name/$frame" "$work/linux-$name/$frame" "$level" "$max_share"); then
        pass "$name at ${frame%.png} ms: $result"
    else
        fail "$name at ${frame%.png} ms: $result"
    fi
done < <("$linux/zelvo" --scenes)

# ---- drawn at 1600 x 1200, and aware of each display's scale ----
size=1600x1200
if zelvo --capture "$work/win-size" --fps 1 --from 25000 --to 25000 --size $size </dev/null >/dev/null 2>"$work/err" &&
    "$linux/zelvo" --dir "$app" --capture "$work/linux-size" --fps 1 --from 25000 --to 25000 --size $size \
        </dev/null >/dev/null 2>&1 &&
    result=$("$linux/frame-check" diff "$work/win-size/025000.png" "$work/linux-size/025000.png" "$level" "$max_share"); then
    pass "the town at $size: $result"
else
    fail "the town at $size: ${result:-$(tail -2 "$work/err")}"
fi
if grep -aq "PerMonitorV2" "$app/zelvo.exe"; then
    pass "zelvo.exe's manifest declares per-monitor DPI awareness"
else
    fail "zelvo.exe carries no manifest declaring per-monitor DPI awareness"
fi

# ---- names outside ASCII: a Latin-1 letter and one outside every ANSI code page ----
# The program beside its data in such a folder, started from another folder;
# a capture folder, --dir and the bench's JSON under such names; a message
# that names one prints it as given.
export LC_ALL=C.UTF-8
named="$work/zelvo-é-🐢"
cp -r "$app" "$named"
rm -rf "$named/wineprefix"
if (cd "$work" && "$wine" "$named/zelvo.exe" --capture "$work/frames-ü-🐢" --fps 1 --from 25000 --to 25000 \
        </dev/null >/dev/null 2>"$work/err") && [[ -f "$work/frames-ü-🐢/025000.png" ]] &&
    [[ $(ls -d "$work"/frames* | wc -l) -eq 1 ]]; then
    pass "started from another folder, zelvo-é-🐢/zelvo.exe finds its data and captures into frames-ü-🐢"
else
    fail "names outside ASCII: the capture into frames-ü-🐢 from zelvo-é-🐢: $(tail -2 "$work/err"; ls "$work")"
fi
if (cd "$work" && "$wine" "$app/zelvo.exe" --dir "$named" --bench --scene titles --frames 2 \
        --json "$work/bench-é-🐢.json" </dev/null >/dev/null 2>"$work/err") &&
    grep -q '"titles"' "$work/bench-é-🐢.json"; then
    pass "--dir zelvo-é-🐢 and --json bench-é-🐢.json"
else
    fail "names outside ASCII: --dir and --json: $(tail -2 "$work/err")"
fi
"$wine" "$app/zelvo.exe" --dir "$work/none-é-🐢" </dev/null >/dev/null 2>"$work/err"
if grep -q "can't use $work/none-é-🐢 as the working directory" "$work/err"; then
    pass "a message names zelvo-é-🐢's missing sibling as given"
else
    fail "names outside ASCII: the message for a missing --dir: $(tail -2 "$work/err")"
fi
unset LC_ALL

# ---- a played range ends by itself ----
start=$(date +%s)
timeout 60 "$wine" "$app/zelvo.exe" --dir "$app" --mute --from 150000 --to 152000 </dev/null >/dev/null 2>"$work/err"
status=$?
seconds=$(($(date +%s) - start))
if [[ $status -eq 0 ]]; then
    pass "--mute --from 150000 --to 152000 ended by itself with status 0 after $seconds s"
else
    fail "--mute --from 150000 --to 152000 ended with status $status: $(tail -2 "$work/err")"
fi

# ---- a missing soundtrack: exit 1, the message on stderr, no box waiting ----
mkdir -p "$work/nosound"
cp -r "$app/data" "$work/nosound/"
rm "$work/nosound/data/kardel.mp3"
timeout 60 "$wine" "$app/zelvo.exe" --dir "$work/nosound" --window --mute </dev/null >/dev/null 2>"$work/err"
status=$?
if [[ $status -eq 1 ]] && grep -q "Can't find music file" "$work/err"; then
    pass "a data folder without the soundtrack: status 1, '$(grep -m1 "music" "$work/err" | tr -d '\r')'"
else
    fail "a data folder without the soundtrack: status $status, stderr: $(head -3 "$work/err")"
fi

# ---- no sound device: the text, the cause and the --mute hint ----
timeout 60 "$wine" "$app/zelvo.exe" --dir "$app" --window </dev/null >/dev/null 2>"$work/err"
status=$?
if [[ $status -eq 1 ]] && grep -q "Can't init FMOD" "$work/err" && grep -q "waveOut cannot open" "$work/err" &&
    grep -q -- "--mute" "$work/err"; then
    pass "no sound device: status 1, '$(grep -m1 "waveOut" "$work/err" | tr -d '\r')'"
else
    fail "no sound device: status $status, stderr: $(grep -v ^ALSA "$work/err" | head -3)"
fi

# ---- sound through waveOut into a PulseAudio null sink ----
runtime="$work/pulse-runtime"
mkdir -p "$runtime"
chmod 700 "$runtime"
XDG_RUNTIME_DIR="$runtime" pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n \
    --load="module-null-sink sink_name=zelvo" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$runtime/native" >"$work/pulse.log" 2>&1 &
pulse_pid=$!
for _ in $(seq 50); do [[ -S $runtime/native ]] && break; sleep 0.1; done
export PULSE_SERVER="unix:$runtime/native"
window_title() { xdotool search --name '^zelvo [|] ' getwindowname 2>/dev/null | head -1; }
music_ms() { sed -n 's/^zelvo | \([0-9]*\) ms.*/\1/p' <<<"$1"; }
"$wine" "$app/zelvo.exe" --dir "$app" --window --from 20000 --to 40000 </dev/null >/dev/null 2>"$work/err" &
show=$!
first=
for _ in $(seq 300); do
    title=$(window_title)
    ms=$(music_ms "$title")
    if [[ -n $ms && $ms -ge 20500 ]]; then
        first=$ms
        first_at=$(date +%s%N)
        break
    fi
    kill -0 $show 2>/dev/null || break
    sleep 0.1
done
if [[ -z $first ]]; then
    fail "sound: the show never played (stderr: $(head -3 "$work/err"))"
else
    sleep 4
    last=$(music_ms "$(window_title)")
    last_at=$(date +%s%N)
    wall=$(((last_at - first_at) / 1000000))
    music=$((last - first))
    if [[ -n $last ]] && ((music * 100 >= wall * 95 && music * 100 <= wall * 105)); then
        pass "sound: through a PulseAudio null sink the music moved $music ms in $wall ms of wall clock"
    else
        fail "sound: the music moved ${music} ms in $wall ms of wall clock (titles $first, $last)"
    fi
fi
kill $show 2>/dev/null
wait $show 2>/dev/null
unset PULSE_SERVER

# The window of a show held at 25000 ms (ZELVO_HOLD_MS), once its title says so; empty after 30 s.
window_held() {
    for _ in $(seq 300); do
        xdotool search --name '^zelvo [|] 25000 ms' 2>/dev/null | head -1 | grep . && return
        sleep 0.1
    done
}

# ---- --window letterboxes the picture ----
ZELVO_HOLD_MS=25000 "$wine" "$app/zelvo.exe" --dir "$app" --window --mute </dev/null >/dev/null 2>"$work/err" &
show=$!
window=$(window_held)
if [[ -z $window ]]; then
    fail "--window: no window showed music time 25000 (stderr: $(head -3 "$work/err"))"
else
    xdotool windowmove "$window" 0 0 windowsize "$window" 1280 720
    sleep 2
    eval "$(xdotool getwindowgeometry --shell "$window")"
    ffmpeg -loglevel error -f x11grab -draw_mouse 0 -video_size "${WIDTH}x${HEIGHT}" -i "$DISPLAY+$X,$Y" \
        -frames:v 1 -y "$work/window.png"
    # The lower half of the window, where the town's houses fill the picture
    # from side to side: a 1280 x 720 window holds it about 960 wide between
    # black bars of about 160 (less wine's own frame).
    read -r px pw < <("$linux/frame-check" columns "$work/window.png" $((HEIGHT / 2)) $((HEIGHT - 12)))
    if ((pw * 100 >= WIDTH * 70 && pw * 100 <= WIDTH * 78 && px * 100 >= WIDTH * 10 && px * 100 <= WIDTH * 15)); then
        pass "--window letterboxes: a ${WIDTH} x ${HEIGHT} window shows the picture in x $px..$((px + pw))"
    else
        fail "--window letterboxing: a ${WIDTH} x ${HEIGHT} window shows the picture in x $px..$((px + pw))"
    fi
fi
kill $show 2>/dev/null
wait $show 2>/dev/null

# ---- the player's keys: pause, seeks by bar and scene, Home, Escape ----
"$wine" "$app/zelvo.exe" --dir "$app" --window --mute --from 42000 </dev/null >/dev/null 2>"$work/err" &
show=$!
paused_ms() { sed -n 's/^zelvo | \([0-9]*\) ms \[-\{0,1\}[0-9]*\] | paused | by Kardel$/\1/p' <<<"$1"; }
# The paused time once the title shows it (the given one, or any), within 30 s; empty otherwise.
wait_paused() {
    for _ in $(seq 300); do
        ms=$(paused_ms "$(window_title)")
        [[ -n $ms && ( -z ${1:-} || $ms == "$1" ) ]] && { echo "$ms"; return; }
        sleep 0.1
    done
}
window=
for _ in $(seq 300); do
    ms=$(music_ms "$(window_title)")
    [[ -n $ms && $ms -gt 42000 ]] && { window=$(xdotool search --name '^zelvo [|] ' 2>/dev/null | head -1); break; }
    sleep 0.1
done
if [[ -z $window ]]; then
    fail "keys: the show never played (stderr: $(head -3 "$work/err"))"
else
    xdotool windowfocus --sync "$window" key space
    held=$(wait_paused)
    sleep 0.5
    problems=
    [[ -n $held && $(wait_paused "$held") == "$held" ]] || problems+=" Space did not hold the time ($(window_title));"
    if [[ -z $problems ]]; then
        for step in "Right $((held + 1333))" "Left $held" "shift+Right $((held + 13330))" "Next 64003" "Prior 53359" \
            "Home 0"; do
            read -r key at <<<"$step"
            xdotool windowfocus --sync "$window" key "$key"
            [[ $(wait_paused "$at") == "$at" ]] || problems+=" $key: '$(window_title)', not $at;"
        done
        xdotool windowfocus --sync "$window" key space
        sleep 1
        ms=$(music_ms "$(window_title)")
        [[ -n $ms && -z $(paused_ms "$(window_title)") && $ms -gt 0 ]] || problems+=" Space again: '$(window_title)';"
    fi
    xdotool windowfocus --sync "$window" key Escape
    for _ in $(seq 150); do kill -0 $show 2>/dev/null || break; sleep 0.1; done
    if kill -0 $show 2>/dev/null; then
        problems+=" Escape did not end it;"
    else
        wait $show
        status=$?
        [[ $status -eq 0 ]] || problems+=" Escape ended it with status $status;"
    fi
    if [[ -z $problems ]]; then
        pass "keys: Space held $held ms, the arrows and pages seek, Home goes to 0, Escape ends with 0"
    else
        fail "keys:$problems"
    fi
fi
kill $show 2>/dev/null
wait $show 2>/dev/null

# ---- --fullscreen covers the display; Alt+Enter brings the window back ----
ZELVO_HOLD_MS=25000 "$wine" "$app/zelvo.exe" --dir "$app" --fullscreen --mute </dev/null >/dev/null 2>"$work/err" &
show=$!
window=$(window_held)
geometry() { xdotool getwindowgeometry "$window" 2>/dev/null | sed -n 's/.*Geometry: //p'; }
if [[ -z $window ]]; then
    fail "--fullscreen: no window showed music time 25000 (stderr: $(head -3 "$work/err"))"
else
    sleep 1
    covering=$(geometry)
    xdotool windowfocus --sync "$window" key alt+Return
    sleep 2
    windowed=$(geometry)
    if [[ $covering == 1280x1024 && $windowed != 1280x1024 && -n $windowed ]]; then
        pass "--fullscreen covers the 1280 x 1024 display; Alt+Enter makes it a $windowed window"
    else
        fail "--fullscreen: the window was $covering, after Alt+Enter $windowed"
    fi
fi
kill $show 2>/dev/null
wait $show 2>/dev/null

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
