#!/usr/bin/env bash
# Installs what the build and the tests need, on a Debian machine, as root.
# Does nothing when everything is there already.
set -euo pipefail

packages=(
  cmake g++ make googletest libgtest-dev nlohmann-json3-dev libboost1.81-dev clang-format
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth xdotool imagemagick nsis unzip git
  "$@"
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi
