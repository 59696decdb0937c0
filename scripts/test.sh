#!/usr/bin/env bash
# Builds and runs every test twice: an optimised build with warnings as errors,
# then a build under AddressSanitizer and UndefinedBehaviorSanitizer, where any
# report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

# Every wing on: a missing tool stops the configure instead of skipping tests.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWERROR=ON \
  -DBUILD_TESTING=ON -DDEZIDURE_BENCH=ON -DDEZIDURE_DISPLAY_TESTS=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure --no-tests=error -j "$jobs"

# intercept_strndup=0: this compiler's strndup check reads one byte past
# buffers that the X keyboard library legitimately passes without a NUL.
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:strict_string_checks=1:intercept_strndup=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DWERROR=ON -DSANITIZE=ON \
  -DBUILD_TESTING=ON -DDEZIDURE_BENCH=OFF -DDEZIDURE_FUZZ=OFF -DDEZIDURE_DISPLAY_TESTS=ON
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure --no-tests=error -j "$jobs"

# Both fuzz targets for one minute each, with both sanitizers.
scripts/fuzz.sh 60
