#!/usr/bin/env bash
# Frames of one scene for a person to look over, captured headless by the show
# itself (PNG files named by music time), then the bench's frame times for the
# same scene (median, 95th percentile, fps).
#   scripts/scene-frames.sh BUILD SCENE [FPS [OUT]]
# SCENE is one of the names zelvo --scenes lists; the town flight is city1 and city2. FPS
# (default 1: a frame a second of music) is 1 to 1000; OUT defaults to
# BUILD/frames/SCENE. The credits' particles move a step per drawn frame, so
# their frames look as in the show only at its own rate (30).
set -euo pipefail
usage="usage: scripts/scene-frames.sh BUILD SCENE [FPS [OUT]]"
build=${1:?$usage}
scene=${2:?$usage}
fps=${3:-1}
out=${4:-$build/frames/$scene}
# Each scene's window of music time in ms, as the show's own table lists it.
while read -r name from to _; do
    [[ $name == "$scene" ]] || continue
    "$build/zelvo" --dir "$build" --capture "$out" --fps "$fps" --from "$from" --to "$to" </dev/null
    "$build/zelvo" --dir "$build" --bench --scene "$scene" --frames 40 </dev/null
    exit 0
done < <("$build/zelvo" --scenes)
echo "scene-frames: no scene '$scene'; $usage" >&2
exit 2
