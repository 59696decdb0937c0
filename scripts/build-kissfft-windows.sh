#!/usr/bin/env bash
# Builds KissFFT (BSD-3-Clause) for Windows with MinGW-w64 from Debian's own
# kissfft source package, the same version as the host's libkissfft-dev: a
# static single-precision library and its headers, as the host's package has.
#
#   scripts/build-kissfft-windows.sh [x86_64|i686]   prints the prefix on its last line
#
# DEZIDURE_CACHE  cache folder (default ${XDG_CACHE_HOME:-~/.cache}/dezidure)
#
# A finished installation is reused: it carries a stamp naming the source
# version, the target and this recipe's revision. A few seconds of compiling.
set -euo pipefail
source "$(dirname "$0")/debian-source.sh"
arch=${1:-x86_64}
case "$arch" in
  x86_64 | i686) ;;
  *)
    echo "usage: $0 [x86_64|i686]" >&2
    exit 2
    ;;
esac
cache=${DEZIDURE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/dezidure}

# Bump when the compile options below change, so old builds are not reused.
recipe=1
version=$(dpkg-query -W -f='${Version}' libkissfft-dev 2>/dev/null) || {
  echo "build-kissfft-windows: the host's libkissfft-dev is not installed (scripts/install-deps.sh)" >&2
  exit 1
}
upstream=${version%%-*}
prefix=$cache/kissfft-$upstream-mingw-$arch
stamp="kissfft $version, $arch, recipe $recipe"

mkdir -p "$cache"
exec 8>"$cache/kissfft-windows.lock"
flock 8

if [ -f "$prefix/dezidure-stamp" ] && [ "$(cat "$prefix/dezidure-stamp")" = "$stamp" ]; then
  echo "build-kissfft-windows: reusing $prefix ($stamp)" >&2
  echo "$prefix"
  exit 0
fi

download="$cache/kissfft-$version-source"
work="$cache/kissfft-windows-work-$arch"
rm -rf "$work" "$prefix"
mkdir -p "$work" "$download"

fetch_debian_source kissfft "$version" "$download" build-kissfft-windows
dpkg-source --no-check -x "$download"/*.dsc "$work/src" >/dev/null
src="$work/src"

cc=$arch-w64-mingw32-gcc-posix
mkdir -p "$prefix/lib" "$prefix/include/kissfft"
for unit in kiss_fft kiss_fftr; do
  "$cc" -O2 -Dkiss_fft_scalar=float -I"$src" -c "$src/$unit.c" -o "$work/$unit.o"
done
"$arch-w64-mingw32-ar" rcs "$prefix/lib/libkissfft-float.a" "$work/kiss_fft.o" "$work/kiss_fftr.o"
cp "$src/kiss_fft.h" "$src/kiss_fftr.h" "$src/_kiss_fft_guts.h" "$prefix/include/kissfft/"
cp "$src/COPYING" "$prefix/" 2>/dev/null || cp -r "$src/LICENSES" "$prefix/"
echo "$stamp" >"$prefix/dezidure-stamp"
rm -rf "$work"
echo "$prefix"
