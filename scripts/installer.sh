#!/usr/bin/env bash
# Builds the setup program from a release folder with NSIS:
#   installer.sh STAGE OUTFILE
# STAGE holds quovix.exe, quovix64.exe, readme.txt and route/ as scripts/release.sh lays them
# out. The stub is NSIS's x86-unicode: one 32-bit setup runs on every Windows and installs the
# program that fits. makensis's listing goes to OUTFILE.log. With
# QVX_SIGN_PFX set (see sign.sh), the uninstaller and the setup are signed as they are made.
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
stage=$(cd "$1" && pwd)
out=$(realpath -m "$2")
command -v makensis >/dev/null || { echo "installer: makensis missing (scripts/setup.sh installs nsis)" >&2; exit 1; }
# The project version, which the program's version resource is made from too: 2.43 is 2.4.3.0.
version=$(sed -n 's/^project(quovix VERSION \([0-9]*\.[0-9]*\).*/\1/p' "$source/CMakeLists.txt")
minor=${version#*.}
fileversion=${version%%.*}.$((minor / 10)).$((minor % 10)).0
mkdir -p "$(dirname "$out")"
sign=()
[ -n "${QVX_SIGN_PFX:-}" ] && sign=("-DSIGN=$source/scripts/sign.sh")
makensis -V4 -INPUTCHARSET UTF8 "-XTarget x86-unicode" \
  "-DSOURCE=$source" "-DSTAGE=$stage" "-DOUTFILE=$out" "-DVERSION=$version" "-DFILEVERSION=$fileversion" \
  "${sign[@]}" "$source/installer/quovix.nsi" >"$out.log" 2>&1 || { tail -n 30 "$out.log" >&2; exit 1; }
echo "$out"
