#!/usr/bin/env bash
# Builds what the demo runs (the demo service, the 32-bit client and the speed test beside it,
# its RAS and IP Helper test doubles and the probe that presses its buttons) and runs the client under Wine against the demo verification service on this
# machine. The tunnel is simulated: dialling goes to our own RAS test double, not to Windows.
# Without a display the client runs on Xvfb and screenshots are saved into demo-screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh demo
# setup.sh made i386 programs run, natively or emulated: the demo runs the shipped program.
./scripts/wine32_usable.sh
cmake --preset native >/dev/null
cmake --build --preset native --target demo_service
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target quovix nettest ras_double iphlp_double ui_probe
QVX_ARCH=win32 exec bash tests/wine/demo_run.sh "$@"
