#!/bin/bash
# One program's soak (tests/wine/soak.sh runs two side by side, over its demo service): the
# real program under Wine over the RAS and IP Helper test doubles, measured from outside after
# every cycle. Arguments: the folder for its figures, the connects to make (hung up, or refused
# by an injected failure), the drops to spread evenly among them, and the exits and restarts
# that follow, each with a login with the account and password the program remembered. Partial
# and full relay take turns. The RAS double fails every tenth dial with one of the errors the
# dialer tells apart (or one it does not), the IP Helper double every hundredth route write.
#
# After every cycle, once the program is idle: its threads (/proc/PID/task of its Wine process)
# and resident memory, what the doubles hold for it, its GDI and USER objects (GetGuiResources,
# through ui_probe) and the windows it owns, the run log's growth and the failures it
# reports, and the files in its folder. Each cycle's figures go to cycles.csv in the folder,
# the run's to summary.txt. Bounds: the last window of cycles (50, or a quarter of a shorter
# phase) against the second: memory within 2 %, threads, handles and windows exactly equal;
# after every cycle the doubles hold no connection or entry of ours, no reply or temporary
# file is left, every injected failure is in the run log once, no call reaches either double
# once a hang-up is done, nor, after every 50th cycle, for 5.5 s more, longer than the link
# monitor's 5 s tick, while the status pane and traffic counters stay as they are (a timer left
# running would call or change them).
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/wine/soak_lib.sh
source "$(dirname "$0")/soak_lib.sh"
: "${QVX_NATIVE_BUILD:?QVX_NATIVE_BUILD must name the native build directory}"
SOAK_OUT=${1:?the folder for the figures}
want_connects=${2:?connects} want_drops=${3:?drops} restarts=${4:?restarts}
ras=$QVX_BUILD/tools/ras_double/rasapi32.dll
iphlp=$QVX_BUILD/tools/iphlp_double/iphlpapi.dll
[ -f "$ras" ] && [ -f "$iphlp" ] || qvx_fail "test doubles not built"
rm -rf "$SOAK_OUT"
mkdir -p "$SOAK_OUT"
qvx_poll 10 "the demo service soak.sh started" bash -c "exec 3<>/dev/tcp/127.0.0.1/$QVX_DEMO_PORT"
qvx_setup
qvx_install_with_doubles "$ras" "$iphlp"
# The dialer's errors, and 800, one it does not tell apart ("Routing and Remote Access Error
# Codes", learn.microsoft.com); ERROR_ACCESS_DENIED (5) is one of CreateIpForwardEntry's
# answers (learn.microsoft.com, iphlpapi.h). The same as the native soak's.
qvx_ras_control "fail_every 10 691 711 633 619 651 678 769 800 23"
qvx_ui_start
soak_csv_header >"$SOAK_OUT/cycles.csv"
started=$SECONDS

# --- First login with both remember boxes ticked, so that every restart logs in with what the
# program read back from user.ini.
qvx_start
qvx_ui_window "$QVX_LOGIN"
qvx_ui_do "the account" type "$QVX_LOGIN" 1 demo
qvx_ui_do "the password" type "$QVX_LOGIN" 2 demo123
# Typing the account ticks 记住账号 by itself.
qvx_ui_until 10 1 checked "$QVX_LOGIN" 记住账号
qvx_ui_click "$QVX_LOGIN" 记住密码
qvx_ui_until 10 1 checked "$QVX_LOGIN" 记住密码
qvx_ui_do "the login button" click "$QVX_LOGIN" 登陆
qvx_wait_log_count 1 '^本机的内网IP为'
local_ip=$(qvx_runlog | sed -n 's/^本机的内网IP为[:：]//p' | tail -n1)
# The machine partial relay works on: a LAN adapter with its default route, and the tunnel
# that comes up with a connection of ours (Vista and later, as test_partial_relay.sh has it).
soak_iphlp_control "adapter 2 addr=$local_ip/255.255.255.0 gw=192.168.1.1 metric=10" \
  "adapter 23 addr=10.8.0.2/255.255.255.255 gw=0.0.0.0 type=23 metric=50 tunnel" \
  "route 0.0.0.0 0.0.0.0 192.168.1.1 2 metric1=25" "fail_every 100 5"
qvx_ui_until 30 1 enabled "$QVX_STATUS" 连接
soak_begin_process

# --- Connect, hang up and drop, in one process.
relay='' connects=0 cycle=0
while [ "$connects" -lt "$want_connects" ] || [ "$SOAK_DROPS" -lt "$want_drops" ]; do
  cycle=$((cycle + 1))
  t0=$SECONDS
  want=$((cycle % 2 ? 0 : 1))
  [ "$want" = 0 ] && want_text=部分中转 || want_text=完全中转
  if [ "$relay" != "$want" ]; then
    qvx_ui_do "relay mode" select "$QVX_STATUS" "$want_text"
    relay=$want
  fi
  if soak_drop_due "$connects" "$want_connects" "$want_drops"; then planned=drop; else planned=hangup; fi
  kind=$planned
  if ! soak_connect "$relay"; then
    kind=refused # a drop waits for the next dial that comes up
  elif [ "$kind" = drop ]; then
    soak_drop
  else
    soak_hang_up
  fi
  [ "$planned" = hangup ] && connects=$((connects + 1))
  soak_settle
  [ $((cycle % 50)) = 24 ] && soak_check_idle "cycle $cycle"
  soak_end_cycle cycles "$cycle" "$kind" "$want_text" $((SECONDS - t0))
done
cycles=$cycle
connect_seconds=$((SECONDS - started))

# --- Exit and restart, each time logging in with the remembered account. Before the tenth
# start the log is padded past its size limit: that start must empty it.
restart_started=$SECONDS
for ((n = 1; n <= restarts; n++)); do
  t0=$SECONDS
  soak_exit
  [ "$n" = 10 ] && soak_pad_log
  soak_restart_login "$n"
  soak_settle
  soak_end_cycle restarts "$n" restart - $((SECONDS - t0))
done
restart_seconds=$((SECONDS - restart_started))
soak_exit

soak_bounds cycles "$cycles"
soak_bounds restarts "$restarts"
soak_summary "$cycles" "$restarts" "$connect_seconds" "$restart_seconds" $((SECONDS - started)) >"$SOAK_OUT/summary.txt"
qvx_log "$(cat "$SOAK_OUT/summary.txt")"
qvx_stop_all
qvx_pass
