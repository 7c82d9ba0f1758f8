#!/usr/bin/env bash
# Tells whether a hidraw node of the real mouse is present: a node whose report descriptor holds
# the mouse's configuration collection, found with the very test the udev rule makes (its
# PROGRAM command, run on each node's descriptor). Keyboards and other mice have hidraw nodes
# too and do not count. Used by scripts/run.sh.
#
#   scripts/mouse-present.sh [hidraw class folder]   (default /sys/class/hidraw)
# Exit 0 and the node's name on stdout when the mouse is there, 1 when it is not.
set -uo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
class="${1:-/sys/class/hidraw}"
cmd="$(sed -n "s/.*PROGRAM==\"\/bin\/sh -c '\(.*\)'\".*/\1/p" "$here/resources/udev/70-vyk-mouse.rules")"
[ -n "$cmd" ] || exit 1
for node in "$class"/*; do
  [ -e "$node/device/report_descriptor" ] || continue
  if sh -c "${cmd//\/sys%p/$node}" 2>/dev/null; then
    echo "/dev/${node##*/}"
    exit 0
  fi
done
exit 1
