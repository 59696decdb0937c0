#!/usr/bin/env bash
# Runs a command in a private mount namespace where every /dev/ttyS* and
# /dev/console are covered by an empty file, so that nothing started in it
# (wine above all, which maps COM ports to /dev/ttyS* by default) can reach
# a serial console. Needs root (or the right to create mount namespaces).
#
#   scripts/wine-sandbox.sh COMMAND [ARGS...]
set -euo pipefail

if [ "${1:-}" = "--inside" ]; then
  shift
  # The blank lives on a tmpfs of this namespace and goes with it.
  scratch=/tmp/dezidure-wine-sandbox
  mkdir -p "$scratch"
  mount -t tmpfs -o size=1m tmpfs "$scratch"
  blank="$scratch/blank"
  : >"$blank"
  for device in /dev/console /dev/ttyS*; do
    [ -e "$device" ] || continue
    mount --bind "$blank" "$device"
  done
  exec "$@"
fi
exec unshare -m --propagation private "$0" --inside "$@"
