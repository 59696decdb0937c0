# Sourced by the scripts that build a Debian source package for Windows.
#
#   fetch_debian_source PACKAGE VERSION DOWNLOAD TOOL
#
# Downloads source package PACKAGE=VERSION into the folder DOWNLOAD, unless it
# holds one already (a rebuild needs no download); TOOL names the caller in
# what it says.
fetch_debian_source() {
  local package=$1 version=$2 download=$3 tool=$4
  ls "$download"/*.dsc >/dev/null 2>&1 && return 0
  # A private apt state with Debian's source index, so the system's apt
  # configuration stays as it is.
  local apt="$download/apt"
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial"
  for suite in bookworm bookworm-updates; do
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $suite main"
  done >"$apt/sources.list"
  local apt_private=(
    -o "Dir::Etc::SourceList=$apt/sources.list"
    -o "Dir::Etc::SourceParts=$apt/none"
    -o "Dir::State::Lists=$apt/lists"
    -o "Dir::Cache=$apt/cache"
    -o "Debug::NoLocking=1"
    -o "APT::Sandbox::User=root"
  )
  echo "$tool: fetching the $package $version source package" >&2
  apt-get "${apt_private[@]}" -qq update
  (cd "$download" && apt-get "${apt_private[@]}" -qq --download-only source "$package=$version" >/dev/null)
  rm -rf "$apt"
}
