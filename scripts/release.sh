#!/usr/bin/env bash
# Builds the Windows program and packs the release: a zip with the 32-bit quovix.exe (manifest,
# icon and version embedded), the 64-bit quovix64.exe beside it, the speed test the status window
# opens (nettest.exe, and nettest64.exe for the setup), the route files and a short readme, and
# the setup program quovix-<version>-setup.exe made from the same folder.
#   release.sh [--demo]
# A release whose deployment values (cmake/deployment.cmake) still point at the demo service on
# this machine is refused unless --demo asks for exactly that. With QVX_SIGN_PFX (see sign.sh)
# every program, the uninstaller and the setup are signed. Names the endpoints it built with
# on stderr; prints the zip's full path, then the setup's. The release goes to build/release, or
# to QVX_RELEASE_DIR (each Wine test makes its own, so that both Wine passes can run at once).
set -euo pipefail
cd "$(dirname "$0")/.."
demo=0
case ${1:-} in
  --demo) demo=1 ;;
  "") ;;
  *) echo "release: unknown option '$1' (only --demo)" >&2; exit 2 ;;
esac
./scripts/build.sh win32 win64 >&2
version=$(sed -n 's/^project(quovix VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

# The values each build was made with, from its CMake cache.
endpoints=()
for build in build/win32 build/win64; do
  for name in QVX_VENDOR_BASE_URL QVX_VENDOR_HOST QVX_SERVER1 QVX_SERVER2; do
    endpoints+=("$(basename "$build") $name=$(sed -n "s/^$name:STRING=//p" "$build/CMakeCache.txt")")
  done
done
printf 'release: built with %s\n' "${endpoints[@]}" >&2
if [ "$demo" = 0 ] && printf '%s\n' "${endpoints[@]}" | grep -qE '=(https?://)?(127\.|localhost)'; then
  echo "release: REFUSED: the deployment values point at the demo service on this machine; set QVX_VENDOR_BASE_URL, QVX_VENDOR_HOST, QVX_SERVER1 and QVX_SERVER2 (cmake -D...) or pass --demo for a demo build" >&2
  exit 1
fi

out=$(realpath -m "${QVX_RELEASE_DIR:-build/release}")
rm -rf "$out/Quovix" && mkdir -p "$out/Quovix/route"
cp build/win32/quovix.exe "$out/Quovix/quovix.exe"
cp build/win64/quovix.exe "$out/Quovix/quovix64.exe"
cp build/win32/nettest.exe "$out/Quovix/nettest.exe"
cp build/win64/nettest.exe "$out/Quovix/nettest64.exe"
if [ -n "${QVX_SIGN_PFX:-}" ]; then
  for program in quovix.exe quovix64.exe nettest.exe nettest64.exe; do
    ./scripts/sign.sh "$out/Quovix/$program"
  done
  echo "release: signed with $QVX_SIGN_PFX${QVX_SIGN_TIMESTAMP:+, timestamp from $QVX_SIGN_TIMESTAMP}" >&2
else
  echo "release: UNSIGNED (no QVX_SIGN_PFX): Windows SmartScreen will warn about these programs" >&2
fi
cp route/*.dat "$out/Quovix/route/"
sed 's/$/\r/' res/README-Windows.txt | iconv -f UTF-8 -t GBK >"$out/Quovix/readme.txt"
(cd "$out" && rm -f "quovix-$version.zip" && zip -qr "quovix-$version.zip" Quovix)
echo "$out/quovix-$version.zip"
./scripts/installer.sh "$out/Quovix" "$out/quovix-$version-setup.exe" >/dev/null
echo "$out/quovix-$version-setup.exe"
