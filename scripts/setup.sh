#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (as root). Safe to run again.
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config libgtest-dev libbenchmark-dev libcpp-httplib-dev
  g++-mingw-w64-i686 wine wine32:i386 xvfb xdotool imagemagick fonts-wqy-microhei
  x11-utils file zip unzip procps iproute2)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  dpkg --add-architecture i386
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi
