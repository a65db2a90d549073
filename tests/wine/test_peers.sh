#!/bin/bash
# The native control peers (tests/win32), run under Wine on the test's desktop.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
[ -f "$QVX_BUILD/peer_tests.exe" ] || qvx_fail "peer_tests.exe not built"
qvx_setup
qvx_install 'C:\peers' "$QVX_BUILD/peer_tests.exe"
out=$qvx_tmp/peers.txt
QVX_TIMEOUT=300 qvx_run "$QVX_PROGRAM_EXE" --gtest_color=no >"$out" || true
tr -d '\r' <"$out" | grep -v '^\[ RUN' >&2
grep -q '^\[  PASSED  \]' "$out" && ! grep -q '^\[  FAILED  \]' "$out" || qvx_fail "peer tests failed"
qvx_pass
