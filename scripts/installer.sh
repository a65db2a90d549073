#!/usr/bin/env bash
# Builds the setup program from a release folder with NSIS:
#   installer.sh STAGE OUTFILE
# STAGE holds quovix.exe, quovix64.exe, readme.txt and route/ as scripts/release.sh lays them
# out; QVX_VERSION and QVX_FILEVERSION come from the build's version.env, as release.sh sets
# them. The stub is NSIS's x86-unicode: one 32-bit setup runs on every Windows and installs the
# program that fits. makensis's listing goes to OUTFILE.log. With
# QVX_SIGN_PFX set (see sign.sh), the uninstaller and the setup are signed as they are made.
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
stage=$(cd "$1" && pwd)
out=$(realpath -m "$2")
command -v makensis >/dev/null || { echo "installer: makensis missing (scripts/setup.sh installs nsis)" >&2; exit 1; }
: "${QVX_VERSION:?installer: QVX_VERSION must hold the version (build/win32/version.env)}"
: "${QVX_FILEVERSION:?installer: QVX_FILEVERSION must hold the file version (build/win32/version.env)}"
mkdir -p "$(dirname "$out")"
sign=()
[ -n "${QVX_SIGN_PFX:-}" ] && sign=("-DSIGN=$source/scripts/sign.sh")
makensis -V4 -INPUTCHARSET UTF8 "-XTarget x86-unicode" \
  "-DSOURCE=$source" "-DSTAGE=$stage" "-DOUTFILE=$out" "-DVERSION=$QVX_VERSION" "-DFILEVERSION=$QVX_FILEVERSION" \
  "${sign[@]}" "$source/installer/quovix.nsi" >"$out.log" 2>&1 || { tail -n 30 "$out.log" >&2; exit 1; }
echo "$out"
