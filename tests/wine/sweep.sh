#!/bin/bash
# Stops the processes and removes the prefixes of Wine tests that were killed (at a CTest
# time-out) before their own clean-up ran. Loading the helpers sweeps.
export QVX_TEST=sweep
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
