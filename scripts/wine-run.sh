#!/usr/bin/env bash
# Runs a Windows program under wine, but only inside the sandbox that
# scripts/wine-sandbox.sh sets up: wine maps COM ports to /dev/ttyS* on its
# own, and on many machines /dev/ttyS0 is the system console. Refuses to run
# anywhere else. Used as CMake's emulator for the cross build's tests.
set -euo pipefail

refuse() {
  echo "wine-run: $1; run inside scripts/wine-sandbox.sh" >&2
  exit 125
}

[ "$(readlink /proc/self/ns/mnt)" != "$(readlink /proc/1/ns/mnt)" ] || refuse "not in a private mount namespace"
for device in /dev/console /dev/ttyS*; do
  [ -e "$device" ] || continue
  [ -c "$device" ] && refuse "$device is a real device here"
done
[ -n "${WINEPREFIX:-}" ] || refuse "WINEPREFIX is not set"
exec wine "$@"
