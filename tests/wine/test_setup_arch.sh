#!/bin/bash
# The setup's choice of program by the machine (installer/reg_view.nsh), in a small NSIS program
# built around the same macro with the machine query replaced: x64 Windows gets the x64 program,
# x86 Windows the 32-bit one, and ARM64 Windows without GetMachineTypeAttributes (Windows 10 on
# ARM, which runs no x64 programs; Wine 8 lacks the function too) the 32-bit one. ARM64 Windows
# that reports x64 emulation (Windows 11) takes the function's other branch, which needs a real
# Windows on ARM to see.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
command -v makensis >/dev/null || qvx_fail "makensis missing"

qvx_setup
dir=$(qvx_unix_path 'C:\arch')
mkdir -p "$dir"
# choice_for AMD64 ARM64: what the macro chooses where IsWow64Process2 reports that machine.
choice_for() {
  local name=arch-$1-$2
  cat >"$qvx_tmp/$name.nsi" <<NSI
Unicode true
OutFile "$dir/$name.exe"
RequestExecutionLevel user
SilentInstall silent
!include LogicLib.nsh
!define IsNativeAMD64 "$1 = 1"
!define IsNativeARM64 "$2 = 1"
!include "$QVX_SOURCE/installer/reg_view.nsh"
Section
  !insertmacro QVX_CHOOSE_PROGRAM
  FileOpen \$0 "\$EXEDIR\\$name.txt" w
  FileWrite \$0 \$qvx_x64
  FileClose \$0
SectionEnd
NSI
  makensis -V2 -INPUTCHARSET UTF8 "-XTarget x86-unicode" "$qvx_tmp/$name.nsi" >"$qvx_tmp/$name.log" 2>&1 ||
    qvx_fail "makensis: $(tail -n 5 "$qvx_tmp/$name.log")"
  QVX_CWD=$dir qvx_run "C:\\arch\\$name.exe" || qvx_fail "$name.exe failed"
  cat "$dir/$name.txt"
}
[ "$(choice_for 1 0)" = 1 ] || qvx_fail "x64 Windows does not get the x64 program"
[ "$(choice_for 0 0)" = 0 ] || qvx_fail "x86 Windows does not get the 32-bit program"
[ "$(choice_for 0 1)" = 0 ] || qvx_fail "ARM64 Windows without x64 emulation gets the x64 program"
qvx_pass
