#!/usr/bin/env bash
# Checks that every C++ file of the tree is laid out as .clang-format says, with the
# clang-format the build machines ship (Debian 12: clang-format 14). Prints the files that
# differ and fails; `scripts/check-format.sh --fix` rewrites them instead.
# Tables whose alignment carries meaning keep it between `// clang-format off` and `on`.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
bash scripts/setup.sh

fmt=clang-format-14
fix=0
if ! command -v "$fmt" >/dev/null; then
  echo "check-format: $fmt is not installed (scripts/setup.sh installs it)" >&2
  exit 1
fi
if [ "${1:-}" = "--fix" ]; then fix=1; fi

# The tracked files when this is a clone, otherwise every C++ file outside the build folders.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
else
  mapfile -t files < <(find . \( -path ./build -o -path './build-*' -o -path ./.git \) -prune -o \
                         -type f \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | sort)
fi

if [ "$fix" = 1 ]; then
  printf '%s\0' "${files[@]}" | xargs -0 -n 50 "$fmt" -i
  exit 0
fi

# One clang-format per batch of files; with --Werror it names each file that differs.
mapfile -t bad < <(printf '%s\0' "${files[@]}" | xargs -0 -n 64 -P "$(nproc)" "$fmt" --dry-run --Werror 2>&1 |
                     sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u)
if [ ${#bad[@]} -ne 0 ]; then
  echo "check-format: ${#bad[@]} file(s) differ from .clang-format ($fmt):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  echo "check-format: run scripts/check-format.sh --fix" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files laid out as .clang-format says"
