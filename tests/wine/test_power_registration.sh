#!/bin/bash
# The real program asks user32 for the machine's suspend and resume notifications for its main
# window, and gives the registration back when it ends. Wine's user32 has both functions as
# stubs that say so on its fixme channel.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
exe=$QVX_BUILD/quovix.exe
[ -f "$exe" ] || qvx_fail "quovix.exe not built"
export WINEDEBUG=-all,fixme+all
qvx_setup
qvx_install 'C:\Quovix' "$exe"
qvx_start
login=$(qvx_wait_window "^$QVX_LOGIN\$")
qvx_wait_log_line qvxl.log '读取用户配置文件'
registered=$(grep -cE "[^n]RegisterSuspendResumeNotification .*, 0: stub" "$qvx_tmp/wine.out" || true)
[ "$registered" = 1 ] || qvx_fail "main window registered $registered times"
grep -q "UnregisterSuspendResumeNotification" "$qvx_tmp/wine.out" &&
  qvx_fail "unregistered while the window is up"

qvx_key_to "$login" alt+F4
qvx_wait_log_line qvxl.log '成功退出' 30
qvx_wait_exit 30
grep -q "UnregisterSuspendResumeNotification" "$qvx_tmp/wine.out" ||
  qvx_fail "registration not given back at the end"
qvx_pass
