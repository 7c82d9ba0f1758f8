#!/usr/bin/env bash
# Builds the programs and starts them. When no real mouse is present, a simulated one
# (vyk-mouse-sim) is started first so that the programs have a device to talk to; it is ended
# again when the programs end.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

# Both programs are windows on a desktop. Without a display Qt would abort with a message
# about its platform plugin; say what is missing instead. (QT_QPA_PLATFORM=offscreen runs them
# without showing anything, as the tests do.)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run: there is no display to show the programs on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "run: start this from a desktop session, or under Xvfb: xvfb-run -a scripts/run.sh" >&2
  exit 1
fi
bash "$here/scripts/build.sh" release
bin="$here/build/bin"

sim_started=0
# The simulated mouse stands in unless a node of the real mouse (its configuration collection)
# is there; other hidraw devices (keyboards, other mice) do not count.
if node="$(bash "$here/scripts/mouse-present.sh")"; then
  echo "run: the mouse is present ($node)"
elif [ -x "$bin/vyk-mouse-sim" ]; then
  echo "run: no mouse present, starting the simulated mouse (build/bin/vyk-mouse-sim ctl ... drives it)"
  if "$bin/vyk-mouse-sim" serve --detach; then
    sim_started=1
  fi
fi
stop_sim() {
  if [ "$sim_started" = 1 ]; then "$bin/vyk-mouse-sim" ctl quit >/dev/null 2>&1 || true; fi
}
trap stop_sim EXIT

pids=()
for prog in VykMon VykCfg; do
  if [ -x "$bin/$prog" ]; then
    echo "run: starting $prog"
    "$bin/$prog" &
    pids+=($!)
  else
    echo "run: $prog is not part of this build yet"
  fi
done
if [ ${#pids[@]} -gt 0 ]; then
  wait "${pids[@]}"
fi
