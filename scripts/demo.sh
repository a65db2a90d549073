#!/usr/bin/env bash
# Builds the client and runs it under Wine against the demo verification service on this
# machine. The tunnel is simulated: dialling goes to our own RAS test double, not to Windows.
# Without a display the client runs on Xvfb and screenshots are saved into demo-screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
# The 32-bit program where the 32-bit Wine runs, the 64-bit one otherwise.
arch=win64
wine32_status=0
./scripts/wine32_usable.sh 2>/dev/null || wine32_status=$?
[ "$wine32_status" -ne 2 ] || { echo "demo: the i386 probe could not be built (binutils missing?)"; exit 1; }
[ "$wine32_status" -ne 0 ] || arch=win32
./scripts/build.sh native "$arch"
QVX_ARCH=$arch exec bash tests/wine/demo_run.sh "$@"
