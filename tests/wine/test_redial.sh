#!/bin/bash
# Automatic redial in the real program under Wine: the option is ticked in the settings window,
# the RAS double drops the connection, and the program dials again by itself without the drop
# message. Screenshots of the countdown and of the reconnected window. Throughout, the double
# takes 1.5 s to take a hung-up connection down, as Windows may: the redial after the drop and
# a connect right after a hang-up still find the port free, since the program waits for it.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
: "${QVX_NATIVE_BUILD:?QVX_NATIVE_BUILD must name the native build directory}"
ras=$QVX_BUILD/tools/ras_double/rasapi32.dll
iphlp=$QVX_BUILD/tools/iphlp_double/iphlpapi.dll
[ -f "$ras" ] && [ -f "$iphlp" ] || qvx_fail "test doubles not built"
qvx_setup

qvx_start_demo_service notice=0,tips=0
qvx_install_with_doubles "$ras" "$iphlp"
ras_log=$QVX_PROGRAM_UNIX/ras_double_log.txt
printf 'linger 1500\n' >"$QVX_PROGRAM_UNIX/ras_double_control.txt"
log=qvxl.log

qvx_ui_start
qvx_start
qvx_log_in_as_demo
qvx_wait_log_line "$log" '本机的内网IP为'
qvx_ui_until 30 1 enabled "$QVX_STATUS" 连接
qvx_screenshot logged-in
qvx_turn_on_redial
qvx_screenshot redial-option
qvx_ui_click 设置 确定
qvx_ui_gone 设置 20

qvx_ui_click "$QVX_STATUS" 连接
qvx_wait_log_count 1 '^建立加速连接成功！$'

printf 'drop all\n' >"$QVX_PROGRAM_UNIX/ras_double_control.txt"
# The monitor's two looks take 11 s, then the status pane counts down to the first try.
qvx_ui_shows "$QVX_STATUS" '连接已断开，[0-9]+ 秒后第 1 次重连' 30
[ "$(qvx_ui box)" = none ] || qvx_fail "the drop message came although redial is on: $(qvx_ui box)"
qvx_screenshot redial-countdown
qvx_wait_log_count 1 '^断线自动重连，第 1 次$' 60
qvx_wait_log_count 2 '^建立加速连接成功！$' 60
qvx_wait_log_count 1 '^断线自动重连成功$' 30
qvx_ui_until 10 1 enabled "$QVX_STATUS" 挂断
qvx_screenshot redial-reconnected
[ "$(qvx_ui box)" = none ] || qvx_fail "a message box came with the redial: $(qvx_ui box)"

# 挂断, then 连接 as soon as it is offered, on the same node (the program writes a new entry
# for each dial).
qvx_ui_click "$QVX_STATUS" 挂断
qvx_wait_log_count 1 '^成功挂断连接$' 30
qvx_ui_click "$QVX_STATUS" 连接
qvx_wait_log_count 3 '^建立加速连接成功！$' 60
qvx_stop_all
# The log holds GBK entry names: read as bytes.
raslog() { LC_ALL=C grep -a "$@" "$ras_log" || true; }
[ -z "$(raslog ' -> 633$')" ] || qvx_fail "a dial met a busy port: $(raslog ' -> 633$')"
[ "$(raslog -c '^RasDialW .* -> 0$')" = 3 ] || qvx_fail "three dials expected: $(raslog '^RasDialW ')"
# The hang-up's connection was taken down (its handle turned invalid) before the last dial.
hung=$(raslog '^RasHangUpW .* -> 0$' | tail -n 1 | sed 's/.*handle=\([0-9]*\).*/\1/')
gone=$(raslog -n "^RasGetConnectStatusW handle=$hung dwSize=[0-9]* -> 6\$" | head -n 1 | cut -d: -f1)
last=$(raslog -n '^RasDialW ' | tail -n 1 | cut -d: -f1)
[ -n "$gone" ] && [ "$gone" -lt "$last" ] || qvx_fail "the last dial did not wait for the hang-up"

qvx_pass
