#!/usr/bin/env bash
# Captures one frame of each of the nine scenes headless and lays them out,
# labelled with the scene and its music time, as one PNG (the README's picture).
# The credits move a step per drawn frame, so their frame comes from a capture
# that plays the scene from its start at 30 fps.
set -euo pipefail
build=${1:?usage: scripts/scene-sheet.sh BUILD OUT.png}
out=${2:?usage: scripts/scene-sheet.sh BUILD OUT.png}
cd "$(dirname "$0")/.."
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
# Each scene's still as the show's own table lists it: a scene that starts its
# capture before its still plays from there at 30 fps, the others take one frame.
args=()
while read -r name first last from at label; do
    fps=1
    [[ $from == "$at" ]] || fps=30
    "$build/zelvo" --dir "$build" --capture "$frames/$name" --fps "$fps" --from "$from" --to "$at" </dev/null 2>/dev/null
    frame=$(ls "$frames/$name" | tail -n 1)
    ms=$((10#${frame%.png}))
    time=$(printf '%d:%02d.%d' $((ms / 60000)) $((ms % 60000 / 1000)) $((ms % 1000 / 100)))
    args+=("$frames/$name/$frame" "$label, $time")
done < <("$build/zelvo" --scenes)
mkdir -p "$(dirname "$out")"
"$build/zelvo-data" --frame-sheet "$out" "${args[@]}"
echo "wrote $out"
