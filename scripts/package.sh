#!/usr/bin/env bash
# Builds the Debian package of the program, the simulator and their desktop
# files in build-package/ and prints its path. Its library dependencies are
# computed from the binaries (dpkg-shlibdeps).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-package

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF \
  -DDEZIDURE_BENCH=OFF -DDEZIDURE_FUZZ=OFF -DDEZIDURE_DISPLAY_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
ls "$PWD/$build"/dezidure_*.deb
