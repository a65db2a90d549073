#!/bin/bash
# Automatic redial in the real program under Wine: the option is ticked in the settings window,
# the RAS double drops the connection, and the program dials again by itself without the drop
# message. Screenshots of the countdown and of the reconnected window.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
: "${QVX_NATIVE_BUILD:?QVX_NATIVE_BUILD must name the native build directory}"
ras=$QVX_BUILD/tools/ras_double/rasapi32.dll
iphlp=$QVX_BUILD/tools/iphlp_double/iphlpapi.dll
[ -f "$ras" ] && [ -f "$iphlp" ] || qvx_fail "test doubles not built"
qvx_setup

qvx_start_demo_service notice=0,tips=0
qvx_install_with_doubles "$ras" "$iphlp"
log=qvxl.log
runlog() { qvx_gbk "$QVX_PROGRAM_UNIX/$log" | tr -d '\r' | sed 's/^\[[^]]*\]  //'; }
count() { runlog | grep -cE -- "$1" || true; }
at_least() { [ "$(count "$2")" -ge "$1" ]; }
wait_count() { qvx_poll "${3:-60}" "$2 x$1" at_least "$1" "$2"; }

qvx_start
qvx_log_in_as_demo
qvx_wait_log_line "$log" '本机的内网IP为'
status=$(qvx_wait_window '^Quovix加速')
sleep 1

# 设置 is the second item of the status window's menu bar, right of 主页.
qvx_screenshot logged-in
qvx_click_in "$status" 63 35
settings=$(qvx_wait_window '^设置$')
sleep 0.5
qvx_click_in "$settings" 45 218 # 断线自动重连
sleep 0.3
qvx_screenshot redial-option
qvx_click_in "$settings" 68 280 # 确定
sleep 0.5

before=$(qvx_windows '^Quovix加速$')
new_box() { qvx_windows '^Quovix加速$' | grep -vxF -- "$before" || true; }
qvx_click_in "$status" 240 350 # 连接
wait_count 1 '^建立加速连接成功！$'

printf 'drop all\n' >"$QVX_PROGRAM_UNIX/ras_double_control.txt"
# The monitor's two looks take 11 s, then the countdown runs 10 s.
sleep 15
[ -z "$(new_box)" ] || qvx_fail "the drop message came although redial is on"
qvx_screenshot redial-countdown
wait_count 1 '^断线自动重连，第 1 次$' 60
wait_count 2 '^建立加速连接成功！$' 60
wait_count 1 '^断线自动重连成功$' 30
sleep 1
qvx_screenshot redial-reconnected
[ -z "$(new_box)" ] || qvx_fail "a message box came with the redial"
qvx_stop_all

qvx_pass
