#!/usr/bin/env bash
# Installs the cross compilers (GCC, and clang with lld), Wine, the virtual display,
# the test libraries, the shell script checker and the help compiler from Debian's
# packages, unless they are there already.
set -euo pipefail
packages=(cmake make g++-mingw-w64-x86-64 clang lld wine64 wine xvfb xauth imagemagick x11-apps googletest shellcheck fp-utils)
missing=()
for p in "${packages[@]}"; do
  # An unknown package makes dpkg-query fail: it is missing as well.
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null) || true
  [[ "$status" == *"install ok installed"* ]] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
