#!/usr/bin/env bash
# Installs the cross compiler, Wine, the virtual display and the test libraries
# from Debian's packages, unless they are there already.
set -eu
packages=(cmake make g++-mingw-w64-x86-64 wine64 wine xvfb xauth imagemagick x11-apps googletest)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
