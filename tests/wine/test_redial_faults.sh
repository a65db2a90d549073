#!/bin/bash
# Automatic redial under Wine against a RAS double that keeps taking the line away: first it
# drops every connection one second after it comes up, for ever. Each drop is redialled once,
# two dials are never under way together, and neither the program's threads nor the
# connections the double holds grow from one drop to the next. Then it drops each connection
# as soon as it is made, during the redial's own dial: three tries at most, then the drop
# message, and no dial after it.
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
# Dials take half a second, so two dials at once would overlap in the double.
qvx_ras_control "dial_ms 500" "drop_after 1000"
log=qvxl.log
raslog() { LC_ALL=C grep -a "$@" "$ras_log" || true; }
threads() {
  local pid
  pid=$(qvx_program_pid)
  [ -n "$pid" ] && qvx_thread_count "$pid" || echo none
}
live() { LC_ALL=C grep -ac '^conn ' "$QVX_PROGRAM_UNIX/ras_double_state.txt" || true; }

qvx_ui_start
qvx_start
qvx_log_in_as_demo
qvx_wait_log_line "$log" '本机的内网IP为'
qvx_ui_until 30 1 enabled "$QVX_STATUS" 连接
qvx_turn_on_redial
qvx_ui_click 设置 确定
qvx_ui_gone 设置 20

# --- Every connection drops a second after it came up: each drop is redialled once and
# succeeds, and the next drop starts afresh. Threads and connections are measured at each
# reconnection. Full relay, so that each try's dial is done well within that second (a try
# whose connection is gone before its dial is done is a failed try).
qvx_ui_do "the relay box" select "$QVX_STATUS" 完全中转
qvx_ui_click "$QVX_STATUS" 连接
qvx_wait_log_count 1 '^建立加速连接成功！$'
samples=()
for k in 1 2 3; do
  qvx_wait_log_count "$k" '^断线自动重连成功$' 90
  samples+=("$(threads)/$(live)")
done
qvx_log "threads/connections at each reconnection: ${samples[*]}"
[[ ${samples[0]} =~ ^[0-9]+/[0-9]+$ ]] || qvx_fail "the program's process was not found"
[ "${samples[1]}" = "${samples[2]}" ] || qvx_fail "threads or connections grew: ${samples[*]}"
[ "${samples[2]#*/}" -le 1 ] || qvx_fail "the double holds ${samples[2]#*/} connections"
[ "$(qvx_log_count '^断线自动重连，第 [2-9] 次$')" = 0 ] ||
  qvx_fail "a redial that succeeded was tried again: $(qvx_runlog | grep '^断线自动重连，第')"
[ "$(qvx_ui box)" = none ] || qvx_fail "the drop message came although every redial succeeded: $(qvx_ui box)"

# --- Each connection goes a millisecond after it comes up, while its dial is still busy: no
# try succeeds, and the drop under way gets three tries at most before the drop message.
tries_before=$(qvx_log_count '^断线自动重连，第 [0-9]* 次$')
dials_before=$(raslog -c '^RasDialW ')
qvx_ras_control "dial_ms 2000" "drop_after 1"
qvx_ui_until 150 '网络原因，异常中断' box
tries=$(($(qvx_log_count '^断线自动重连，第 [0-9]* 次$') - tries_before))
dials=$(($(raslog -c '^RasDialW ') - dials_before))
qvx_log "tries after the line went bad: $tries, dials: $dials"
qvx_screenshot redial-gave-up
[ "$tries" -ge 1 ] && [ "$tries" -le 3 ] || qvx_fail "$tries tries for one drop"
[ "$dials" -le 3 ] || qvx_fail "$dials dials for one drop"
[ "$(qvx_log_count '^断线自动重连失败，错误编号：628$')" -ge 1 ] ||
  qvx_fail "no try failed for its connection being gone: $(qvx_runlog | tail -n 20)"
# Behind the message the line shows as gone, and no countdown runs on to another try: one
# would show in the status pane within its first second.
qvx_ui_shows "$QVX_STATUS" '连接状态： 已断开' 5
sleep 1.2 # fixed: longer than a countdown's tick
[[ "|$(qvx_ui texts "$QVX_STATUS")" == *'|连接状态： 已断开|'* ]] ||
  qvx_fail "behind the drop message the status pane changed: $(qvx_ui texts "$QVX_STATUS")"
# The last try's thread ends once the message is answered, and 连接 is offered again.
qvx_ui_do "the drop message" box_ok
qvx_ui_until 20 1 enabled "$QVX_STATUS" 连接
threads_at_most() { [ "$(threads)" -le "$1" ]; }
qvx_poll 20 "no more threads than at the reconnections (${samples[2]%/*}; now $(threads))" \
  threads_at_most "${samples[2]%/*}"
[ "$(raslog -c '^RasDialW ')" = "$((dials_before + dials))" ] || qvx_fail "a dial after the drop message"

[ -z "$(raslog '^RasDialW dialing=[2-9]')" ] || qvx_fail "dials overlapped: $(raslog '^RasDialW dialing=[2-9]')"
qvx_stop_all
qvx_pass
