#!/usr/bin/env bash
# Configures and builds. Usage: scripts/build.sh [release|test]   (default: release)
#   release -> build/        optimised programs and benchmarks
#   test    -> build-test/   AddressSanitizer + UndefinedBehaviorSanitizer, tests included, and a
#                            compiler warning fails the build
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/setup.sh"

kind="${1:-release}"
case "$kind" in
  release) dir="$here/build";      args=(-DCMAKE_BUILD_TYPE=Release -DVYK_BUILD_TESTS=OFF) ;;
  test)    dir="$here/build-test"; args=(-DCMAKE_BUILD_TYPE=Debug -DVYK_SANITIZE=ON -DVYK_WERROR=ON) ;;
  *) echo "usage: $0 [release|test]" >&2; exit 2 ;;
esac

cmake -S "$here" -B "$dir" -G Ninja "${args[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"
