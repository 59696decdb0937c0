#!/usr/bin/env bash
# Checks the Debian package that `make package` built, as CI does after the
# tests: everything `cmake --install` installs is in it, the desktop entries,
# AppStream records and manual pages of both programs pass their validators,
# the recorder's systemd unit passes systemd-analyze verify, the program
# unpacked from it shows traces of the simulated board on a virtual display
# and closes cleanly, and the review program unpacked from it shows a log and
# follows it. Needs the tests built in build/ (make test).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-package
deb=$(ls "$build"/dezidure_*.deb)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

dpkg-deb -x "$deb" "$work/unpacked"
cmake --install "$build" --prefix "$work/installed" >/dev/null
missing=0
while read -r file; do
  relative=${file#"$work/installed/"}
  if [ ! -e "$work/unpacked/usr/$relative" ]; then
    echo "check-package: /usr/$relative is installed but not in $deb" >&2
    missing=1
  fi
done <"$build/install_manifest.txt"
[ "$missing" -eq 0 ]
echo "check-package: $(wc -l <"$build/install_manifest.txt") installed files, all in $(basename "$deb")"

root="$work/unpacked/usr"
desktop-file-validate "$root"/share/applications/*.desktop
appstreamcli validate --no-net --explain "$root"/share/metainfo/*.metainfo.xml
# man reports formatting problems on standard error; any of them fails.
# From the manual's own folder, where a page's ".so man1/other.1" is found.
for page in "$root"/share/man/man1/*.1; do
  man_warnings=$(cd "$root/share/man" && MANWIDTH=80 man --warnings -l "man1/$(basename "$page")" 2>&1 >/dev/null)
  if [ -n "$man_warnings" ]; then
    echo "$man_warnings" >&2
    exit 1
  fi
done
for file in bin/dezidure-review share/applications/org.dezidure.DezIdureReview.desktop \
  share/metainfo/org.dezidure.DezIdureReview.metainfo.xml share/man/man1/dezidure-review.1; do
  [ -e "$root/$file" ] || { echo "check-package: /usr/$file is not in $deb" >&2; exit 1; }
done
echo "check-package: desktop entries, AppStream records and manual pages valid"

# The recorder's service, as systemd would load an instance of it: the unit
# pointed at the unpacked program, its manual page found where it was unpacked.
unit="$root/lib/systemd/system/dezidure-record@.service"
mkdir -p "$work/units"
sed "s|/usr/bin/dezidure-record|$root/bin/dezidure-record|" "$unit" >"$work/units/dezidure-record@.service"
MANPATH="$root/share/man" systemd-analyze verify "$work/units/dezidure-record@ttyUSB0.service"
echo "check-package: the recorder's service unit verifies; $(systemd-analyze security --offline=true \
  "$work/units/dezidure-record@ttyUSB0.service" 2>/dev/null | grep -o 'Overall exposure level.*')"

DEZIDURE_TEST_PROGRAM="$root/bin/dezidure" DEZIDURE_TEST_SIMULATOR="$root/bin/dezidure-sim" \
  build/tests/e2e/program_on_display_test
echo "check-package: the packaged program shows traces and closes cleanly"

DEZIDURE_TEST_REVIEW="$root/bin/dezidure-review" build/tests/e2e/review_on_display_test
echo "check-package: the packaged review program shows a log and follows it"
