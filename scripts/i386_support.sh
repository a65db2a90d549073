#!/usr/bin/env bash
# Makes this host run i386 Linux programs, which the 32-bit Wine needs (as root; safe to run
# again). Where the kernel runs them itself nothing is done. Where it refuses them (IA-32
# emulation off), a user-mode i386 emulator is registered with binfmt_misc, so the kernel hands
# every i386 program to it: Debian 13's qemu-i386 (qemu-user 10; Debian 12's 7.2 cannot run
# Wine), taken from the signed Debian archive and checked against its hashes, installed under
# /usr/local/lib/qvx-qemu without touching the package database.
#   i386_support.sh          make i386 programs run, natively or emulated
#   i386_support.sh qemu     register the emulator even where the kernel runs i386 (to test it)
#   i386_support.sh native   remove our registration again
# Exits 0 when i386 programs run afterwards, 1 when they cannot, with the reason on stderr.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mode=${1:-auto}
dir=/usr/local/lib/qvx-qemu
interpreter=$dir/i386-binfmt-P # the -binfmt-P name keeps argv[0] as the program gave it
binfmt=/proc/sys/fs/binfmt_misc
entry=$binfmt/qvx-i386
archive=${QVX_DEBIAN_MIRROR:-http://deb.debian.org/debian}
suite=trixie
keyring=/usr/share/keyrings/debian-archive-keyring.gpg

say() { echo "i386_support: $*" >&2; }

probe() {
  local status=0
  "$here/host_runs_i386.sh" || status=$?
  [ "$status" -ne 2 ] || exit 1
  return "$status"
}

unregister() { [ ! -e "$entry" ] || echo -1 >"$entry"; }

case $mode in
  auto) probe && exit 0 ;;
  qemu) ;;
  native)
    unregister
    exit 0
    ;;
  *)
    say "unknown mode '$mode' (auto, qemu or native)"
    exit 1
    ;;
esac
[ "$(id -u)" -eq 0 ] || {
  say "this kernel runs no i386 programs; run scripts/setup.sh as root to register an emulator"
  exit 1
}

# Prints the SHA-256 a signed index gives for PATH (a file listed in a Release or Packages text).
sha_of() { awk -v p="$2" '$1 == "SHA256:" {on = 1; next} /^[^ ]/ {on = 0} on && $3 == p {print $1}' "$1"; }

fetch_qemu() {
  local work deb_path deb_sha
  work=$(mktemp -d)
  trap 'rm -rf "$work"' RETURN
  curl -fsS --retry 3 -o "$work/InRelease" "$archive/dists/$suite/InRelease" ||
    { say "cannot download $archive/dists/$suite/InRelease"; return 1; }
  gpgv --keyring "$keyring" --output "$work/Release" "$work/InRelease" 2>/dev/null ||
    { say "the $suite Release file is not signed by a Debian archive key"; return 1; }
  local index=main/binary-amd64/Packages.xz
  curl -fsS --retry 3 -o "$work/Packages.xz" "$archive/dists/$suite/$index" ||
    { say "cannot download the $suite package index"; return 1; }
  [ "$(sha256sum <"$work/Packages.xz" | cut -d' ' -f1)" = "$(sha_of "$work/Release" "$index")" ] ||
    { say "the $suite package index does not match its signed hash"; return 1; }
  xz -dc "$work/Packages.xz" | awk -v RS= '/(^|\n)Package: qemu-user\n/' >"$work/stanza"
  deb_path=$(sed -n 's/^Filename: //p' "$work/stanza")
  deb_sha=$(sed -n 's/^SHA256: //p' "$work/stanza")
  if [ -z "$deb_path" ] || [ -z "$deb_sha" ]; then
    say "no qemu-user in the $suite index"
    return 1
  fi
  say "downloading $archive/$deb_path"
  curl -fsS --retry 3 -o "$work/qemu-user.deb" "$archive/$deb_path" ||
    { say "cannot download $deb_path"; return 1; }
  [ "$(sha256sum <"$work/qemu-user.deb" | cut -d' ' -f1)" = "$deb_sha" ] ||
    { say "$deb_path does not match its signed hash"; return 1; }
  dpkg-deb -x "$work/qemu-user.deb" "$work/root" || return 1
  mkdir -p "$dir"
  install -m 755 "$work/root/usr/bin/qemu-i386" "$dir/qemu-i386.new" &&
    mv -f "$dir/qemu-i386.new" "$dir/qemu-i386" &&
    ln -sfn qemu-i386 "$interpreter"
}

if ! "$dir/qemu-i386" --version >/dev/null 2>&1 || [ ! -L "$interpreter" ]; then
  fetch_qemu || exit 1
fi
if [ ! -e "$binfmt/register" ]; then
  mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
    { say "cannot mount binfmt_misc (a container without that right?)"; exit 1; }
fi
unregister
# ELF, 32-bit, little-endian, executable or shared object, machine 3 (i386): the magic and
# mask qemu ships for it. P keeps the program's argv[0]; O hands the emulator the open program;
# F opens the emulator now, so it serves every mount namespace (the tests' unshare -m too).
magic='\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\xfc\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
echo ":qvx-i386:M::$magic:$mask:$interpreter:OPF" >"$binfmt/register" ||
  { say "binfmt_misc refused the i386 entry"; exit 1; }
probe || { say "i386 programs still do not run through $interpreter"; exit 1; }
say "i386 programs run through $("$dir/qemu-i386" --version | head -n 1)"
