#!/usr/bin/env bash
# Builds the Windows program and packs the release: a zip with the 32-bit quovix.exe (manifest,
# icon and version embedded), the 64-bit quovix64.exe beside it, the speed test the status window
# opens (nettest.exe, and nettest64.exe for the setup), the updater the client starts (update.exe,
# 32-bit only), the route files and a short readme, and
# the setup program quovix-<version>-setup.exe made from the same folder.
#   release.sh [--demo]
# A release whose deployment values (cmake/deployment.cmake) still point at the demo service on
# this machine is refused unless --demo asks for exactly that. Every program, the uninstaller and
# the setup are signed with QVX_SIGN_PFX and time-stamped by the first of the QVX_SIGN_TIMESTAMP
# servers that answers (see sign.sh; the default list below when unset); a release that cannot
# be signed and time-stamped is refused, and only --demo may be unsigned. Names the endpoints it
# built with on stderr; prints the zip's full path, then the setup's. The zip and the setup are
# the same bytes each time one commit is released unsigned: file times are the commit's
# (SOURCE_DATE_EPOCH), the zip's order is fixed. The release goes to build/release, or
# to QVX_RELEASE_DIR (each Wine test makes its own, so that both Wine passes can run at once).
set -euo pipefail
cd "$(dirname "$0")/.."
demo=0
case ${1:-} in
  --demo) demo=1 ;;
  "") ;;
  *) echo "release: unknown option '$1' (only --demo)" >&2; exit 2 ;;
esac
if [ "$demo" = 0 ]; then
  if [ -z "${QVX_SIGN_PFX:-}" ] || [ ! -r "$QVX_SIGN_PFX" ]; then
    echo "release: REFUSED: no certificate: set QVX_SIGN_PFX to a readable PKCS#12 file (and QVX_SIGN_PASSWORD); only --demo may be unsigned" >&2
    exit 1
  fi
  export QVX_SIGN_TIMESTAMP=${QVX_SIGN_TIMESTAMP-http://timestamp.digicert.com http://timestamp.sectigo.com}
  [ -n "${QVX_SIGN_TIMESTAMP// /}" ] || {
    echo "release: REFUSED: QVX_SIGN_TIMESTAMP lists no time-stamp server; a release must be time-stamped" >&2
    exit 1
  }
fi
./scripts/build.sh win32 win64 >&2
# shellcheck source=/dev/null
source build/win32/version.env
export QVX_VERSION QVX_FILEVERSION
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || true)}
[ -n "$SOURCE_DATE_EPOCH" ] || { echo "release: no commit to date the files by: set SOURCE_DATE_EPOCH" >&2; exit 1; }
export SOURCE_DATE_EPOCH

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
zip=$out/quovix-$QVX_VERSION.zip
setup=$out/quovix-$QVX_VERSION-setup.exe
# A release that fails on the way leaves nothing that looks finished.
unfinished() {
  local status=$?
  [ "$status" = 0 ] && return
  rm -rf "$out/Quovix" "$zip" "$zip.part" "$setup" "$setup.part"
  echo "release: FAILED: no release made" >&2
}
trap unfinished EXIT
rm -rf "$out/Quovix" "$zip" "$setup" && mkdir -p "$out/Quovix/route"
cp build/win32/quovix.exe "$out/Quovix/quovix.exe"
cp build/win64/quovix.exe "$out/Quovix/quovix64.exe"
cp build/win32/nettest.exe "$out/Quovix/nettest.exe"
cp build/win64/nettest.exe "$out/Quovix/nettest64.exe"
cp build/win32/update.exe "$out/Quovix/update.exe"
if [ -n "${QVX_SIGN_PFX:-}" ]; then
  for program in quovix.exe quovix64.exe nettest.exe nettest64.exe update.exe; do
    ./scripts/sign.sh "$out/Quovix/$program"
  done
  echo "release: signed with $QVX_SIGN_PFX${QVX_SIGN_TIMESTAMP:+, time-stamped by the first of: $QVX_SIGN_TIMESTAMP}" >&2
else
  echo "release: UNSIGNED (no QVX_SIGN_PFX): Windows SmartScreen will warn about these programs" >&2
fi
cp route/*.dat "$out/Quovix/route/"
sed 's/$/\r/' build/win32/res/README-Windows.txt | iconv -f UTF-8 -t GBK >"$out/Quovix/readme.txt"
# Every file and folder with one mode and dated at the commit, in UTC (zip keeps local DOS
# times), listed in one order, without the extra fields that hold owners and access times.
chmod -R u=rwX,go=rX "$out/Quovix"
find "$out/Quovix" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$out" && find Quovix | LC_ALL=C sort | TZ=UTC zip -qX "$zip.part" -@ && mv "$zip.part" "$zip")
./scripts/installer.sh "$out/Quovix" "$setup.part" >/dev/null
mv "$setup.part" "$setup"
mv "$setup.part.log" "$setup.log"
echo "$zip"
echo "$setup"
