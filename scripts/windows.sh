#!/usr/bin/env bash
# The Windows build, cross-compiled on Debian with MinGW-w64.
#
#   scripts/windows.sh           the program and its zip: build-windows/dezidure-windows-x86_64.zip
#   scripts/windows.sh --test    also: the 32-bit cores compiled, every test run under wine
#                                (POSIX-only ones skipped by name), and the zip's program run
#                                under wine on a virtual display against the simulated board
#
# Installs the compilers and wine when missing, and builds Qt and KissFFT for
# Windows once (scripts/build-qt-windows.sh, scripts/build-kissfft-windows.sh;
# reused from their cache folder afterwards).
# Warnings are errors. Prints the time each phase took.
set -euo pipefail
cd "$(dirname "$0")/.."
test_too=false
[ "${1:-}" = "--test" ] && test_too=true
jobs=$(nproc)
out=build-windows

start=$(date +%s)
phase_start=$start
phase() {
  local now
  now=$(date +%s)
  echo "windows: $1 took $((now - phase_start)) s (total $((now - start)) s)"
  phase_start=$now
}

scripts/install-deps.sh windows
phase "installing the tools"

qt=$(scripts/build-qt-windows.sh | tail -n 1)
phase "Qt for Windows ($qt)"
kissfft64=$(scripts/build-kissfft-windows.sh x86_64 | tail -n 1)
kissfft32=$(scripts/build-kissfft-windows.sh i686 | tail -n 1)
phase "KissFFT for Windows"

cross=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release -DWERROR=ON
  -DDEZIDURE_BENCH=OFF -DDEZIDURE_FUZZ=OFF -DDEZIDURE_DISPLAY_TESTS=OFF)
cmake -S . -B "$out/x86_64" "${cross[@]}" -DDEZIDURE_QT_WINDOWS="$qt" -DDEZIDURE_KISSFFT_WINDOWS="$kissfft64" >/dev/null
cmake --build "$out/x86_64" -j "$jobs"
scripts/package-windows.sh "$out/x86_64" "$qt" "$out/dezidure-windows-x86_64.zip"
phase "cross build and zip"
$test_too || exit 0

# The 32-bit target: the toolkit-free cores, the serial component and their
# tests compile; running them would need 32-bit wine.
cmake -S . -B "$out/i686" "${cross[@]}" -DDEZIDURE_MINGW_ARCH=i686 -DDEZIDURE_QT=OFF \
  -DDEZIDURE_KISSFFT_WINDOWS="$kissfft32" >/dev/null
cmake --build "$out/i686" -j "$jobs"
phase "32-bit cores"

# Linux helpers: the board's end of COM1, the modem-lines library, the
# simulator, the screen check and the review program's display test.
cmake -S . -B "$out/host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DWERROR=ON -DDEZIDURE_BENCH=OFF >/dev/null
cmake --build "$out/host" -j "$jobs" --target dezidure-pty-feeder dezidure-modem-lines dezidure-sim \
  dezidure-screen-traces review_on_display_test
phase "Linux helpers"

rm -rf "$out/unpacked"
mkdir -p "$out/unpacked"
(cd "$out/unpacked" && cmake -E tar xf ../dezidure-windows-x86_64.zip)
scripts/wine-sandbox.sh scripts/wine-session.sh "$out/x86_64" "$out/host" "$qt" "$out/unpacked/dezidure"
phase "tests and the program under wine"
