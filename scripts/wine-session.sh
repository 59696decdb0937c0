#!/usr/bin/env bash
# Runs the cross-built Windows tests under wine, and optionally the Windows
# program against the simulated board on a virtual display. Called by
# `make windows-test` (scripts/windows.sh --test) inside scripts/wine-sandbox.sh;
# refuses to run outside it (scripts/wine-run.sh checks).
#
#   scripts/wine-session.sh BUILD HOST_BUILD [QT_PREFIX] [PROGRAM_DIR]
#
# BUILD        cross build with the tests (ctest runs them through wine-run.sh)
# HOST_BUILD   native build with dezidure-pty-feeder, the modem-lines library,
#              dezidure-sim and review_on_display_test
# QT_PREFIX    Qt for Windows whose DLLs and plugins the tests load
# PROGRAM_DIR  folder with dezidure.exe and everything it needs (the unpacked
#              zip); with it, the program runs on Xvfb against the simulator
#              and the screen must show its traces, and dezidure-review.exe
#              must show a log and follow it (tests/e2e/ReviewOnDisplayTest)
#
# Tests that cannot hold under wine are skipped by name, each with its reason
# (SKIPPED_TESTS below); a name that matches no test stops the run, so that a
# renamed test cannot slip out of its skip.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "$1")
host=$(realpath "$2")
qt=${3:-}
program_dir=${4:-}
guard="$here/scripts/wine-run.sh"

# name regex | why it cannot pass under wine
SKIPPED_TESTS=(
  "LogWriterTest.OpenCreatesAReadableFileOrTruncatesIt|permission bits and the umask are POSIX; Windows reads them back as 0666"
  "TimedLogTest.ALogThatCannotBeCreatedSaysWhy|Windows refuses to open a directory as a file with \"permission denied\", not POSIX's \"is a directory\""
)

work=$(mktemp -d /tmp/dezidure-wine-XXXXXX)
# Wine's own messages stay off but for a program that cannot load a library
# it needs: a test that cannot start then says why instead of failing silently.
export WINEPREFIX="$work/prefix" WINEDEBUG=-all,err+module WINEDLLOVERRIDES="mscoree,mshtml="
# Without a console window, Qt on Windows sends its warnings and fatal errors
# to the debugger, which wine drops: they go to standard error instead.
export QT_FORCE_STDERR_LOGGING=1
unset DISPLAY WAYLAND_DISPLAY
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Refuses unless the consoles are masked, before anything starts wine.
"$guard" --version >/dev/null

# Windows path of a Linux folder, through wine's drive Z:.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

seconds() { date +%s.%N; }
started=$(seconds)
elapsed() { awk -v a="$started" -v b="$(seconds)" 'BEGIN { printf "%.1f", b - a }'; }

# The board's end of COM1: a pseudo-terminal behind a stable link, and the
# modem lines that wine asks a UART for, answered by the preloaded library.
mkdir -p "$work/feeder"
"$host/tests/wine/dezidure-pty-feeder" "$work/com1" "$work/modem-state" "$work/feeder" >"$work/feeder.out" 2>&1 &
pids+=($!)
for _ in $(seq 200); do grep -q ready "$work/feeder.out" 2>/dev/null && break; sleep 0.05; done
grep -q ready "$work/feeder.out" || { echo "wine-session: the line feeder did not start" >&2; exit 1; }
export LD_PRELOAD="$host/tests/wine/libdezidure-modem-lines.so" DEZIDURE_MODEM_STATE="$work/modem-state"

# The port map is read when wine's services start: write it, let the server
# end, then start the server with its streams detached, so that no test's
# output pipe stays open in it and CTest does not wait for it.
"$guard" reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$work/com1" /f </dev/null >/dev/null 2>&1
wineserver -w
wineserver -p </dev/null >/dev/null 2>&1
"$guard" cmd /c exit </dev/null >/dev/null 2>&1
echo "wine-session: prefix ready with COM1 on the feeder's line ($(elapsed) s)"

runtime_dirs=()
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  file=$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")
  [ -f "$file" ] && runtime_dirs+=("$(windows_path "$(dirname "$(realpath "$file")")")")
done
winepath=$(IFS=';'; echo "${runtime_dirs[*]}")
if [ -n "$qt" ]; then
  winepath="$(windows_path "$qt/bin");$winepath"
  export QT_PLUGIN_PATH="$qt/plugins"
fi
export WINEPATH="$winepath" QT_QPA_PLATFORM=offscreen DEZIDURE_FEEDER_DIR="$work/feeder"

excluded=()
echo "wine-session: skipped:"
for entry in "${SKIPPED_TESTS[@]}"; do
  excluded+=("${entry%%|*}")
  echo "  ${entry%%|*}: ${entry#*|}"
done
pattern=$(IFS='|'; echo "${excluded[*]}")
listed=$(ctest --test-dir "$build" -N | sed -n 's/^ *Test *#[0-9]*: //p')
for name in "${excluded[@]}"; do
  grep -Eq -- "$name" <<<"$listed" && continue
  echo "wine-session: the skip list names $name, which matches no test" >&2
  exit 1
done
# CTEST_ARGS: more ctest options, e.g. -R to pick tests.
# shellcheck disable=SC2086
ctest --test-dir "$build" --output-on-failure -E "$pattern" -j 2 --timeout 300 ${CTEST_ARGS:-}
echo "wine-session: tests done ($(elapsed) s)"

[ -n "$program_dir" ] || exit 0
# The program as a user gets it: only what the zip holds, the Windows platform
# plugin, and a line without the preloaded modem lines (as on a real port
# whose driver reports none, line events are then left out of the wait).
shot="$build/dezidure-under-wine.png"
(
  unset WINEPATH QT_PLUGIN_PATH QT_QPA_PLATFORM LD_PRELOAD DEZIDURE_FEEDER_DIR
  PORT_LINK="$work/com1" "$here/scripts/screen-check.sh" "$host" "$shot" "$guard" "$(realpath "$program_dir")/dezidure.exe"
)
echo "wine-session: the program drew its traces under wine ($(elapsed) s)"

# The review program of the zip on a log named on its command line, then
# following the lines appended to it.
(
  unset WINEPATH QT_PLUGIN_PATH QT_QPA_PLATFORM LD_PRELOAD DEZIDURE_FEEDER_DIR
  DEZIDURE_TEST_RUNNER="$here/scripts/wine-run.sh" \
    DEZIDURE_TEST_REVIEW="$(realpath "$program_dir")/dezidure-review.exe" "$host/tests/e2e/review_on_display_test"
)
echo "wine-session: the review program drew a log and followed it under wine ($(elapsed) s)"
