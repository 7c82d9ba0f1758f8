#!/usr/bin/env bash
# Builds the programs and starts them. When no real mouse is present, a simulated one
# (vyk-mouse-sim) is started first so that the programs have a device to talk to.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/build.sh" release
bin="$here/build/bin"

if [ ! -x "$bin/VykMon" ] && [ ! -x "$bin/VykCfg" ]; then
  echo "run: the programs are not built yet; the core libraries and tests were built."
  exit 0
fi

if [ -x "$bin/vyk-mouse-sim" ] && ! ls /dev/hidraw* >/dev/null 2>&1; then
  echo "run: no hidraw device present, starting the simulated mouse"
  "$bin/vyk-mouse-sim" serve --detach || true
fi

started=0
for prog in VykMon VykCfg; do
  if [ -x "$bin/$prog" ]; then
    "$bin/$prog" &
    started=1
  fi
done
[ "$started" = 1 ] && wait
