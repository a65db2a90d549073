#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (as root). Safe to run again.
# A package index that fails to download (a mirror mid-sync) is reported and skipped; the
# amd64/i386 version skew that can follow is resolved by pinning to the main suite.
set -uo pipefail

packages=(g++ cmake ninja-build pkg-config libgtest-dev libbenchmark-dev libcpp-httplib-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 xvfb xdotool imagemagick
  fonts-wqy-microhei x11-utils file zip unzip procps iproute2 clang libclang-rt-14-dev
  nsis osslsigncode openssl clang-format shellcheck)
# wine32 runs only where the kernel runs i386 programs; it is harmless to have elsewhere and
# lets the same machine image serve both kinds of host.
packages+=(wine32:i386)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}"
dpkg --add-architecture i386

# apt-get update exits non-zero when any one index fails; the others are still usable.
update_log="$(mktemp)"
if ! apt-get update -qq >"$update_log" 2>&1; then
  failed_indexes="$(grep -E '^(W|E): Failed to fetch' "$update_log" | sed -E 's/.*Failed to fetch ([^ ]+).*/\1/' | tr '\n' ' ')"
  echo "setup: some package indexes failed to download (${failed_indexes:-see apt-get update}); going on with the rest"
fi
rm -f "$update_log"

export DEBIAN_FRONTEND=noninteractive
try_install() {
  apt-get install -y -qq "$@" >/tmp/qvx-setup-apt.log 2>&1
}
# First as the indexes stand; then pinned to the main suite, which keeps amd64 and i386
# versions equal when the security suite's indexes of one architecture are missing.
if try_install "${missing[@]}" || try_install -t bookworm "${missing[@]}"; then
  exit 0
fi
# Install what can be installed; wine32 is optional where i386 programs cannot run anyway.
still=()
for p in "${missing[@]}"; do
  try_install "$p" || try_install -t bookworm "$p" || still+=("$p")
done
required=()
for p in "${still[@]}"; do
  [ "$p" = "wine32:i386" ] && { echo "setup: wine32:i386 could not be installed; only the 64-bit Wine tests can run"; continue; }
  required+=("$p")
done
if [ ${#required[@]} -gt 0 ]; then
  echo "setup: FAILED: these packages could not be installed: ${required[*]} (apt-get said: $(tail -n 1 /tmp/qvx-setup-apt.log))" >&2
  exit 1
fi
