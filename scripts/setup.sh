#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (as root) and makes the host run the
# i386 programs the 32-bit Wine is made of (scripts/i386_support.sh). Safe to run again.
#   setup.sh        everything scripts/test.sh needs (with scripts/httplib_source.sh)
#   setup.sh demo   only what scripts/demo.sh needs (the 32-bit program, Wine, the demo service)
# A package index that fails to download (a mirror mid-sync) is reported and skipped; the
# amd64/i386 version skew that can follow is resolved by pinning to the main suite.
set -uo pipefail

# The native demo service and the 32-bit program under Wine on a private display, the i386
# emulator's download (curl, xz, gpgv and the archive keys) included.
packages=(g++ cmake ninja-build pkg-config libgtest-dev libcpp-httplib-dev g++-mingw-w64-i686-posix
  wine wine64 wine32:i386 xvfb xdotool imagemagick fonts-wqy-microhei x11-utils procps iproute2
  curl xz-utils gpgv debian-archive-keyring)
# The tests: the 64-bit build, benchmarks, sanitizers and fuzzers, the setup and its signing,
# the lint (over the files git tracks), the loopback time-stamp server (python3).
[ "${1:-}" = demo ] || packages+=(g++-mingw-w64-x86-64-posix libbenchmark-dev clang
  libclang-rt-14-dev file zip unzip nsis osslsigncode openssl python3 shellcheck clang-format patch git)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
# What the packages do not give: i386 programs that run, and (for the tests) the HTTP library's
# source for the ThreadSanitizer build.
after_packages() {
  "$(dirname "$0")/i386_support.sh" || return 1
  [ "${1:-}" = demo ] || "$(dirname "$0")/httplib_source.sh"
}
[ ${#missing[@]} -eq 0 ] && { after_packages "$@"; exit; }

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
if ! try_install "${missing[@]}" && ! try_install -t bookworm "${missing[@]}"; then
  still=()
  for p in "${missing[@]}"; do
    try_install "$p" || try_install -t bookworm "$p" || still+=("$p")
  done
  if [ ${#still[@]} -gt 0 ]; then
    echo "setup: FAILED: these packages could not be installed: ${still[*]} (apt-get said: $(tail -n 1 /tmp/qvx-setup-apt.log))" >&2
    exit 1
  fi
fi
after_packages "$@"
