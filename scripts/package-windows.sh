#!/usr/bin/env bash
# Packs the cross-built Windows program into a zip that starts by
# double-click: dezidure.exe and dezidure-review.exe, the recorder
# dezidure-record.exe (a console program that needs nothing beside it), the Qt
# DLLs the windows load, the Windows platform and
# style plugins in the folders Qt looks for next to the program, and the
# MinGW-w64 runtime DLLs that the programs and Qt share.
#
#   scripts/package-windows.sh BUILD QT_PREFIX OUTPUT.zip
set -euo pipefail
build=$(realpath "$1")
qt=$(realpath "$2")
output=$(realpath -m "$3")
compiler=x86_64-w64-mingw32-g++-posix

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder="$stage/dezidure"
mkdir -p "$folder/platforms" "$folder/styles"

for program in app/dezidure.exe review/dezidure-review.exe recorder/dezidure-record.exe; do
  cp "$build/$program" "$folder/"
  x86_64-w64-mingw32-strip "$folder/$(basename "$program")"
done
for module in Core Gui Widgets; do cp "$qt/bin/Qt6$module.dll" "$folder/"; done
cp "$qt/plugins/platforms/qwindows.dll" "$folder/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$folder/styles/"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  file=$("$compiler" -print-file-name="$dll")
  [ -f "$file" ] || { echo "package-windows: $dll not found" >&2; exit 1; }
  cp "$(realpath "$file")" "$folder/$dll"
done
cat >"$folder/README.txt" <<'TEXT'
Dez Idure, the PIR Signal Processor, for Windows (64-bit).

Start dezidure.exe. It probes COM1 to COM8, lists the ports that open and
opens the first at 115200 baud. To use other ports, set DEZIDURE_COM1 ..
DEZIDURE_COM9 to device names such as \\.\COM12 before starting it; when any
is set, those alone define the ports. Log files are written to the folder the
program is started in.

Start dezidure-review.exe, or drop log files on it, to look back over
recorded logs at any zoom; it follows a log while it is being written.

dezidure-record.exe records a board unattended from a command prompt, into
the same log files, for example:

  dezidure-record COM3 --dir C:\pir --rotate 1h

Ctrl+C ends it with the last line complete. dezidure-record --help says more.
TEXT

mkdir -p "$(dirname "$output")"
rm -f "$output"
(cd "$stage" && cmake -E tar cf "$output" --format=zip dezidure)
echo "package-windows: $output ($(du -k "$output" | cut -f1) KiB)"
