#!/usr/bin/env bash
# Builds the client and runs it under Wine against the demo verification service on this
# machine. The tunnel is simulated: dialling goes to our own RAS test double, not to Windows.
# Without a display the client runs on Xvfb and screenshots are saved into demo-screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
# The 32-bit program where this host runs i386 programs, the 64-bit one otherwise.
if ./scripts/host_runs_i386.sh; then arch=win32; else arch=win64; fi
./scripts/build.sh native "$arch"
QVX_ARCH=$arch exec bash tests/wine/demo_run.sh "$@"
