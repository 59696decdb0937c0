#!/usr/bin/env bash
# Builds Qt 6 for Windows (MinGW-w64 x86_64, shared libraries) from Debian's
# own qt6-base source package, the same version as the host's Qt, so that the
# host's moc, rcc and uic serve the cross build. Only what the program and its
# tests use: Core, Gui, Widgets, Test, the windows and offscreen platform
# plugins and the Windows styles.
#
#   scripts/build-qt-windows.sh          prints the prefix on its last line
#
# DEZIDURE_CACHE     cache folder (default ${XDG_CACHE_HOME:-~/.cache}/dezidure)
# QT_WINDOWS_PREFIX  where Qt is installed (default $DEZIDURE_CACHE/qt6-<version>-mingw64)
# JOBS               parallel compile jobs (default: nproc)
#
# A finished installation is reused: it carries a stamp naming the source
# version and this recipe's revision; anything else in its place is rebuilt.
# About 50 CPU-minutes and 1.6 GB of scratch space the first time; 82 MB kept.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/debian-source.sh"
cache=${DEZIDURE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/dezidure}
jobs=${JOBS:-$(nproc)}

# Bump when the options or changes below change, so old builds are not reused.
recipe=1
version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null) || {
  echo "build-qt-windows: the host's qt6-base-dev is not installed (scripts/install-deps.sh)" >&2
  exit 1
}
upstream=${version%%+*}
prefix=${QT_WINDOWS_PREFIX:-$cache/qt6-$upstream-mingw64}
stamp="qt6-base $version, recipe $recipe"

mkdir -p "$cache"
exec 8>"$cache/qt-windows.lock"
flock 8

if [ -f "$prefix/dezidure-stamp" ] && [ "$(cat "$prefix/dezidure-stamp")" = "$stamp" ]; then
  echo "build-qt-windows: reusing $prefix ($stamp)" >&2
  echo "$prefix"
  exit 0
fi

work="$cache/qt-windows-work"
download="$cache/qt6-base-$version-source"
rm -rf "$work" "$prefix"
mkdir -p "$work" "$download"

fetch_debian_source qt6-base "$version" "$download" build-qt-windows
echo "build-qt-windows: unpacking the source" >&2
dpkg-source --no-check -x "$download"/*.dsc "$work/src" >/dev/null
src="$work/src"

# With OpenGL off, the Windows platform plugin of this version still calls an
# OpenGL-only function under a guard that tests dynamic GL alone.
file="$src/src/plugins/platforms/windows/qwindowswindow.cpp"
sed -i '/^static inline bool isSoftwareGl()$/,/^}$/ s/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' "$file"
grep -q 'QT_CONFIG(dynamicgl) && QT_CONFIG(opengl)' "$file" || {
  echo "build-qt-windows: the OpenGL guard in $file was not found" >&2
  exit 1
}

echo "build-qt-windows: configuring into $prefix" >&2
# Tablet events are off because Debian's tarball drops the tablet header the
# Windows plugin includes. The bundled image and font libraries stand in for
# the host's, which are Linux libraries.
cmake -S "$src" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DBUILD_SHARED_LIBS=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
  -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
  -DFEATURE_tabletevent=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
  -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF \
  >"$work/configure.log" 2>&1 || {
  tail -n 40 "$work/configure.log" >&2
  exit 1
}

echo "build-qt-windows: building with $jobs jobs (log: $work/build.log)" >&2
cmake --build "$work/build" -j "$jobs" >"$work/build.log" 2>&1 || {
  tail -n 40 "$work/build.log" >&2
  exit 1
}
cmake --install "$work/build" >"$work/install.log" 2>&1 || {
  tail -n 40 "$work/install.log" >&2
  exit 1
}
echo "$stamp" >"$prefix/dezidure-stamp"
rm -rf "$work"
echo "build-qt-windows: installed $prefix" >&2
echo "$prefix"
