#!/bin/bash
# The dialer and the Win32 RAS layer against our rasapi32 test double under Wine
# (tests/win32/ras): the double in the system folder, loaded in place of Wine's.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
exe=$QVX_BUILD/ras_dialer_tests.exe
double=$QVX_BUILD/tools/ras_double/rasapi32.dll
[ -f "$exe" ] && [ -f "$double" ] || qvx_fail "ras_dialer_tests.exe or the RAS double not built"
qvx_setup
qvx_install 'C:\ras' "$exe"
qvx_install_system_dlls "$double"
out=$qvx_tmp/gtest.out rc=0
QVX_TIMEOUT=120 qvx_run "$QVX_PROGRAM_EXE" --gtest_color=no >"$out" || rc=$?
tr -d '\r' <"$out" | grep -v '^\[ RUN\|^\[       OK' >&2
[ "$rc" = 0 ] || qvx_fail "the dialer tests exited with $rc"
grep -q '^\[  PASSED  \]' "$out" || qvx_fail "no dialer tests passed"
qvx_pass
