#!/usr/bin/env bash
# Builds the Windows program and packs the release zip: the 32-bit quovix.exe (manifest, icon
# and version embedded), the 64-bit quovix64.exe beside it, the route files and a short readme.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh win32 win64
out=build/release
rm -rf "$out/Quovix" && mkdir -p "$out/Quovix/route"
cp build/win32/quovix.exe "$out/Quovix/quovix.exe"
cp build/win64/quovix.exe "$out/Quovix/quovix64.exe"
cp route/*.dat "$out/Quovix/route/"
sed 's/$/\r/' res/README-Windows.txt | iconv -f UTF-8 -t GBK >"$out/Quovix/readme.txt"
(cd "$out" && rm -f quovix-2.43.zip && zip -qr quovix-2.43.zip Quovix)
echo "$out/quovix-2.43.zip"
