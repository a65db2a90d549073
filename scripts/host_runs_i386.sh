#!/usr/bin/env bash
# Exits 0 when this host's kernel runs i386 Linux programs (what the 32-bit Wine needs), 1 when
# it refuses them, 2 when the probe cannot be built (an error for the caller, not a verdict).
# Decided by running a tiny static i386 program: kernel versions and uname cannot tell whether
# IA-32 emulation is switched off.
set -u
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cat >"$dir/probe.s" <<'ASM'
.globl _start
_start:
  movl $1, %eax
  movl $0, %ebx
  int $0x80
ASM
if ! { as --32 -o "$dir/probe.o" "$dir/probe.s" 2>/dev/null &&
  ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" 2>/dev/null; }; then
  echo "host_runs_i386: cannot build the i386 probe (binutils missing?)" >&2
  exit 2
fi
"$dir/probe" 2>/dev/null || exit 1
