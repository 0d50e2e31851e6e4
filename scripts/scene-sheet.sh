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
# scene label, music time, where the capture starts, frames per second
shots=(
    "Opening titles|600|600|1"
    "Town flight|25000|25000|1"
    "Credits|38633|32047|30"
    "Town flight, continued|60000|60000|1"
    "Office greetings|79003|79003|1"
    "Cube lattice|88000|88000|1"
    "Tunnel|111312|111312|1"
    "Object room|134625|134625|1"
    "Closing letters|152300|152300|1"
)
args=()
for shot in "${shots[@]}"; do
    IFS='|' read -r label at from fps <<<"$shot"
    "$build/zelvo" --dir "$build" --capture "$frames/$at" --fps "$fps" --from "$from" --to "$at" 2>/dev/null
    frame=$(ls "$frames/$at" | tail -n 1)
    ms=$((10#${frame%.png}))
    time=$(printf '%d:%02d.%d' $((ms / 60000)) $((ms % 60000 / 1000)) $((ms % 1000 / 100)))
    args+=("$frames/$at/$frame" "$label, $time")
done
mkdir -p "$(dirname "$out")"
"$build/zelvo-data" --frame-sheet "$out" "${args[@]}"
echo "wrote $out"
