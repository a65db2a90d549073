#!/bin/bash
# The Win32 platform services (tests/win32/platform) from a Chinese program folder, and the
# program path from a folder whose name GBK cannot hold.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
exe=$QVX_BUILD/platform_tests.exe
planted=$QVX_BUILD/planted_dll.dll
[ -f "$exe" ] && [ -f "$planted" ] || qvx_fail "platform_tests.exe or planted_dll.dll not built"
qvx_setup

run_tests() {
  local out=$qvx_tmp/gtest.out rc=0
  QVX_TIMEOUT=120 qvx_run "$QVX_PROGRAM_EXE" --gtest_color=no "$@" >"$out" || rc=$?
  tr -d '\r' <"$out" | grep -v '^\[ RUN\|^\[       OK' >&2
  [ "$rc" = 0 ] || qvx_fail "platform tests in $QVX_PROGRAM_DIR exited with $rc"
  grep -q '^\[  PASSED  \]' "$out" || qvx_fail "no tests passed in $QVX_PROGRAM_DIR"
}

# A DLL beside the program, which the narrowed DLL search must not find.
qvx_install 'C:\平台测试' "$exe" "$planted"
run_tests

# Thai has no GBK form; the program path must still name the program.
qvx_install 'C:\ทดสอบ' "$exe"
run_tests --gtest_filter='ProgramPath.*'

qvx_pass
