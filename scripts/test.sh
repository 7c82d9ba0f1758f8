#!/usr/bin/env bash
# Installs what is missing, checks the layout of the code, builds with the sanitizers (a
# compiler warning fails the build) and runs every test.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
# The layout first: a file that differs from .clang-format fails the run before anything builds.
bash "$here/scripts/check-format.sh"
bash "$here/scripts/build.sh" test
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen
export LANG=C.UTF-8 LC_ALL=C.UTF-8
cd "$here/build-test"
# The hidraw tests (tests/umockdev) restart themselves with umockdev's preload library behind
# the sanitizer runtime, so they run here with the others.
ctest --output-on-failure -j "$(nproc)" --timeout 300
