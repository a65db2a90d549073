#!/usr/bin/env bash
# Builds the Windows program and packs the release: a zip with the 32-bit quovix.exe (manifest,
# icon and version embedded), the 64-bit quovix64.exe beside it, the route files and a short
# readme, and the setup program quovix-<version>-setup.exe made from the same folder.
# Prints the zip's path, then the setup's.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh win32 win64 >&2
version=$(sed -n 's/^project(quovix VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
out=build/release
rm -rf "$out/Quovix" && mkdir -p "$out/Quovix/route"
cp build/win32/quovix.exe "$out/Quovix/quovix.exe"
cp build/win64/quovix.exe "$out/Quovix/quovix64.exe"
cp route/*.dat "$out/Quovix/route/"
sed 's/$/\r/' res/README-Windows.txt | iconv -f UTF-8 -t GBK >"$out/Quovix/readme.txt"
(cd "$out" && rm -f "quovix-$version.zip" && zip -qr "quovix-$version.zip" Quovix)
echo "$out/quovix-$version.zip"
./scripts/installer.sh "$out/Quovix" "$out/quovix-$version-setup.exe" >/dev/null
echo "$out/quovix-$version-setup.exe"
