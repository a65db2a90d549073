#!/usr/bin/env bash
# Puts the source of the HTTP library (cpp-httplib's single header, with Debian's patches) into
# /usr/local/src/qvx-httplib for the ThreadSanitizer build, which compiles it with our code: the
# system's shared build of it is not instrumented, so TSan could not see how it orders its
# threads. Taken from Debian 12's signed archive (scripts/debian_fetch.sh). Safe to run again.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dir=/usr/local/src/qvx-httplib
[ -f "$dir/httplib.h" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "httplib_source: no $dir/httplib.h; run scripts/setup.sh as root once to fetch it" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
version=$("$here/debian_fetch.sh" bookworm source cpp-httplib "$work") || exit 1
mkdir -p "$work/src"
tar -xf "$work"/cpp-httplib_*.orig.tar.* -C "$work/src" --strip-components=1 &&
  tar -xf "$work"/cpp-httplib_*.debian.tar.* -C "$work/src" || exit 1
if [ -f "$work/src/debian/patches/series" ]; then
  while read -r patch_name; do
    case $patch_name in '' | '#'*) continue ;; esac
    patch -s -p1 -d "$work/src" <"$work/src/debian/patches/$patch_name" ||
      { echo "httplib_source: Debian's patch $patch_name does not apply" >&2; exit 1; }
  done <"$work/src/debian/patches/series"
fi
mkdir -p "$dir"
install -m 644 "$work/src/httplib.h" "$dir/httplib.h.new" && mv -f "$dir/httplib.h.new" "$dir/httplib.h"
echo "$version" >"$dir/VERSION"
echo "httplib_source: cpp-httplib $version in $dir" >&2
