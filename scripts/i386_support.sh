#!/usr/bin/env bash
# Makes this host run i386 Linux programs, which the 32-bit Wine needs (as root; safe to run
# again). Where the kernel runs them itself nothing is done. Where it refuses them (IA-32
# emulation off), a user-mode i386 emulator is registered with binfmt_misc, so the kernel hands
# every i386 program to it: Debian 13's qemu-i386 (qemu-user 10; Debian 12's 7.2 cannot run
# Wine), taken from the signed Debian archive (scripts/debian_fetch.sh) and unpacked under
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

fetch_qemu() {
  local work
  work=$(mktemp -d)
  trap 'rm -rf "$work"' RETURN
  "$here/debian_fetch.sh" trixie binary qemu-user "$work" >/dev/null || return 1
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
