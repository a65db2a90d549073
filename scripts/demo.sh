#!/usr/bin/env bash
# Builds the client and runs it under Wine against the demo verification service on this
# machine. The tunnel is simulated: dialling goes to our own RAS test double, not to Windows.
# Without a display the client runs on Xvfb and screenshots are saved into demo-screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh native win32
exec bash tests/wine/demo_run.sh "$@"
