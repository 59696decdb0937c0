#!/usr/bin/env bash
# Installs the Debian 12 packages that a task needs and are missing; says which.
#
#   scripts/install-deps.sh run       building and running the program on the simulated board
#   scripts/install-deps.sh package   adds what `make package` needs
#   scripts/install-deps.sh test      adds the test frameworks, benchmarks, clang for fuzzing,
#                                     a virtual display with a pointer to drive it and the
#                                     desktop-file validators
#   scripts/install-deps.sh windows   adds to `test` the MinGW-w64 compilers, wine and what building
#                                     Qt for Windows needs (scripts/windows.sh)
#
# Packages are installed through sudo when not run as root; nothing else runs as root.
set -euo pipefail
task=${1:-run}

run_packages=(
  build-essential cmake make pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev
  # The X connection library, to check before the toolkit starts that the
  # X display answers.
  libxcb1-dev
  # Found by Qt at configure and at start; without them it prints warnings,
  # and on a Wayland desktop the window would go through X.
  libxkbcommon-dev qt6-wayland
  fonts-dejavu-core fonts-liberation2
  # The measurements' spectrum transform and their JSON report.
  libkissfft-dev nlohmann-json3-dev
)
package_packages=(dpkg-dev file)
test_packages=(
  libgtest-dev libgmock-dev
  libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool
  desktop-file-utils appstream man-db
  # The screen watcher of the benchmarks and the display tests.
  libx11-dev libxext-dev
)

windows_packages=(
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64
  ninja-build xz-utils
)

case "$task" in
  run)
    packages=("${run_packages[@]}")
    # With no display the window shows on a virtual one.
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then packages+=(xvfb); fi
    ;;
  package) packages=("${run_packages[@]}" "${package_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${package_packages[@]}" "${test_packages[@]}") ;;
  windows) packages=("${run_packages[@]}" "${package_packages[@]}" "${test_packages[@]}" "${windows_packages[@]}") ;;
  *)
    echo "usage: $0 run|package|test|windows" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "install-deps: missing ${missing[*]}" >&2
    echo "install-deps: as root, run: apt-get install ${missing[*]}" >&2
    exit 1
  fi
  as_root=(sudo)
  echo "install-deps: installing ${missing[*]} (through sudo)"
else
  echo "install-deps: installing ${missing[*]}"
fi
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
  --no-install-recommends "${missing[@]}"
