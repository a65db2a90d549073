#!/bin/bash
# The native control peers (tests/win32), run under Wine on a desktop of a private display.
set -u
source "$(dirname "$0")/wine_lib.sh"
: "${QVX_BUILD:=$(cd "$(dirname "$0")/../.." && pwd)/build/win32}"
exe=$QVX_BUILD/peer_tests.exe
[ -f "$exe" ] || { echo "peer_tests.exe not built"; exit 1; }
wine_setup 1024x768
cp "$exe" "$QVX_WORK/"
cd "$QVX_WORK" || exit 1
# A desktop gives the windows a window manager's behaviour (activation, the systray).
timeout 300 wine explorer /desktop=peers,1024x768 peer_tests.exe --gtest_color=no >out.txt 2>&1
tr -d '\r' <out.txt | grep -v '^\[ RUN'
grep -q '^\[  PASSED  \]' out.txt && ! grep -q '^\[  FAILED  \]' out.txt
