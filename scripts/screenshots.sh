#!/usr/bin/env bash
# Renders the windows of VykCfg to PNG files, to look at them: every config test program runs
# its Screenshot* tests under a private Xvfb with VYK_SCREENSHOT_DIR set, using the skin that
# the build drew into <build>/bin/images/.
#
# Usage: scripts/screenshots.sh [--docs] [build-dir]
#   --docs     also copy the main window's page screenshots (page-*.png) into docs/screenshots/,
#              where the README shows them
#   build-dir  a build with tests (default: build-test, configured and built by build.sh test;
#              another folder is only built again)
# Output: build/screenshots/*.png (VYK_SCREENSHOT_OUT overrides the folder).
#
# A window is added by a test suite named Screenshot... in its tests/config/<area> folder
# (see tests/config/support/screenshot.h); this script finds it by itself.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
docs=0
if [ "${1:-}" = "--docs" ]; then
  docs=1
  shift
fi
build="${1:-$here/build-test}"
out="${VYK_SCREENSHOT_OUT:-$here/build/screenshots}"

bash "$here/scripts/setup.sh"
if [ "$build" = "$here/build-test" ]; then
  bash "$here/scripts/build.sh" test
else
  cmake --build "$build" -j4
fi

mkdir -p "$out"
tmp="$(mktemp -d)"
xpid=""
cleanup() {
  if [ -n "$xpid" ]; then kill "$xpid" 2>/dev/null || true; wait "$xpid" 2>/dev/null || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT

# A private X server on a display number it picks itself.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" >/dev/null 2>&1 &
xpid=$!
for _ in $(seq 1 100); do
  [ -s "$tmp/display" ] && break
  sleep 0.1
done
if [ ! -s "$tmp/display" ]; then
  echo "screenshots: Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$tmp/display")"
export QT_QPA_PLATFORM=xcb
export LANG=C.UTF-8 LC_ALL=C.UTF-8
export VYK_SCREENSHOT_DIR="$out"
# The X and font libraries keep caches to the end; screenshots are no leak check.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"

status=0
shopt -s nullglob
for t in "$build"/tests-bin/test_config_*; do
  [ -x "$t" ] || continue
  if ! "$t" --gtest_filter='Screenshot*' --gtest_brief=1 >"$tmp/log" 2>&1; then
    echo "screenshots: $(basename "$t") failed:" >&2
    cat "$tmp/log" >&2
    status=1
  fi
done
echo "screenshots: $(ls "$out"/*.png 2>/dev/null | wc -l) files in $out"
if [ "$docs" = 1 ]; then
  mkdir -p "$here/docs/screenshots"
  cp "$out"/page-*.png "$here/docs/screenshots/"
  echo "screenshots: the page screenshots copied to docs/screenshots/"
fi
exit $status
