#!/usr/bin/env bash
# Builds the setup program from a release folder with NSIS:
#   installer.sh STAGE OUTFILE [TARGET]
# STAGE holds quovix.exe, quovix64.exe, readme.txt and route/ as scripts/release.sh lays them
# out. TARGET is the NSIS stub: x86-unicode (default, the shipped setup, runs on every Windows)
# or amd64-unicode (64-bit Windows only). makensis's listing goes to OUTFILE.log. With
# QVX_SIGN_PFX set (see sign.sh), the uninstaller and the setup are signed as they are made.
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
stage=$(cd "$1" && pwd)
out=$(realpath -m "$2")
target=${3:-x86-unicode}
command -v makensis >/dev/null || { echo "installer: makensis missing (scripts/setup.sh installs nsis)" >&2; exit 1; }
# The project version, which the program's version resource is made from too: 2.43 is 2.4.3.0.
version=$(sed -n 's/^project(quovix VERSION \([0-9]*\.[0-9]*\).*/\1/p' "$source/CMakeLists.txt")
minor=${version#*.}
fileversion=${version%%.*}.$((minor / 10)).$((minor % 10)).0
mkdir -p "$(dirname "$out")"
sign=()
[ -n "${QVX_SIGN_PFX:-}" ] && sign=("-DSIGN=$source/scripts/sign.sh")
makensis -V4 -INPUTCHARSET UTF8 "-XTarget $target" \
  "-DSOURCE=$source" "-DSTAGE=$stage" "-DOUTFILE=$out" "-DVERSION=$version" "-DFILEVERSION=$fileversion" \
  "${sign[@]}" "$source/installer/quovix.nsi" >"$out.log" 2>&1 || { tail -n 30 "$out.log" >&2; exit 1; }
echo "$out"
