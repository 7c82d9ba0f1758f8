#!/usr/bin/env bash
# Draws the contact sheet of VykCfg's skin (every picture on a dark and a light backdrop), for
# looking at the art: scripts/skin-sheet.sh [out.png] [build folder]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$here/skin-sheet.png}"
build="${2:-$here/build-art}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVYK_BUILD_TESTS=OFF -DVYK_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target vyk-skin-gen -j4 >/dev/null
QT_QPA_PLATFORM=offscreen "$build/resources/skin/vyk-skin-gen" --sheet "$out"
echo "skin sheet: $out"
