#!/bin/bash
# Weeks in the tray, compressed: the real program under Wine over the RAS and IP Helper test
# doubles, measured from outside after every cycle. One process runs QVX_SOAK_CYCLES cycles
# (default 250: in every ten, eight connects, seven hung up and one refused by an injected
# failure, and two drops, partial and full relay taking turns); then QVX_SOAK_RESTARTS exits and restarts (default 20), each followed by
# a login with the account and password the program remembered. The RAS double fails every
# tenth dial with one of the errors the dialer tells apart (or one it does not), the IP Helper
# double every hundredth route write.
#
# After every cycle, once the program is idle: its threads (/proc/PID/task of its Wine process)
# and resident memory, what the doubles hold for it, its GDI and USER objects (GetGuiResources,
# through soak_probe) and the windows it owns, the run log's growth and the failures it
# reports, and the files in its folder. Each cycle's figures go to
# $QVX_BUILD/wine-soak/cycles.csv, the run's to summary.txt (scripts/wine_soak_table.sh puts
# them in the README). Bounds: the last window of cycles (50, a fifth of the run) against the
# second: memory within 2 %, threads, handles and windows exactly equal; after every cycle the
# doubles hold no connection or entry of ours, no reply or temporary file is left, every
# injected failure is in the run log once, no call reaches either double once a hang-up is
# done, nor, after every 50th cycle, for 5.5 s more, longer than the link monitor's 5 s tick,
# while the status pane and traffic counters stay as they are (a timer left running would
# call or change them).
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/wine/soak_lib.sh
source "$(dirname "$0")/soak_lib.sh"
: "${QVX_NATIVE_BUILD:?QVX_NATIVE_BUILD must name the native build directory}"
cycles=${QVX_SOAK_CYCLES:-250}
restarts=${QVX_SOAK_RESTARTS:-20}
ras=$QVX_BUILD/tools/ras_double/rasapi32.dll
iphlp=$QVX_BUILD/tools/iphlp_double/iphlpapi.dll
probe_exe=$QVX_BUILD/soak_probe.exe
[ -f "$ras" ] && [ -f "$iphlp" ] && [ -f "$probe_exe" ] || qvx_fail "test doubles or probe not built"
SOAK_OUT=$QVX_BUILD/wine-soak
rm -rf "$SOAK_OUT"
mkdir -p "$SOAK_OUT"
qvx_setup

qvx_start_demo_service notice=0,tips=0
qvx_install_with_doubles "$ras" "$iphlp"
# The dialer's errors, and 800, one it does not tell apart ("Routing and Remote Access Error
# Codes", learn.microsoft.com); ERROR_ACCESS_DENIED (5) is one of CreateIpForwardEntry's
# answers (learn.microsoft.com, iphlpapi.h). The same as the native soak's.
qvx_ras_control "fail_every 10 691 711 633 619 651 678 769 800 23"
soak_start_probe "$probe_exe"
soak_csv_header >"$SOAK_OUT/cycles.csv"
started=$SECONDS

# --- First login with both remember boxes ticked, so that every restart logs in with what the
# program read back from user.ini.
qvx_start
qvx_wait_window '^Quovix加速2.43$' >/dev/null
soak_wait_probe "the account" type 1 demo
soak_probe_ok "the password" type 2 demo123
# Typing the account ticks 记住账号 by itself.
soak_probe_ok "the remember box" click 记住密码
soak_probe_ok "the login button" click 登陆
qvx_wait_log_count 1 '^本机的内网IP为'
local_ip=$(qvx_runlog | sed -n 's/^本机的内网IP为[:：]//p' | tail -n1)
# The machine partial relay works on: a LAN adapter with its default route, and the tunnel
# that comes up with a connection of ours (Vista and later, as test_partial_relay.sh has it).
soak_iphlp_control "adapter 2 addr=$local_ip/255.255.255.0 gw=192.168.1.1 metric=10" \
  "adapter 23 addr=10.8.0.2/255.255.255.255 gw=0.0.0.0 type=23 metric=50 tunnel" \
  "route 0.0.0.0 0.0.0.0 192.168.1.1 2 metric1=25" "fail_every 100 5"
soak_wait_probe "the connect button" has 连接
soak_begin_process

# --- Connect, hang up and drop, in one process.
relay=
for ((cycle = 1; cycle <= cycles; cycle++)); do
  t0=$SECONDS
  want=$((cycle % 2 ? 0 : 1))
  [ "$want" = 0 ] && want_text=部分中转 || want_text=完全中转
  if [ "$relay" != "$want" ]; then
    soak_probe_ok "relay mode" select "$want_text"
    relay=$want
  fi
  # Drops where no dial is refused (every tenth dial is).
  if [ $((cycle % 5)) = 3 ]; then kind=drop; else kind=hangup; fi
  if soak_connect "$relay"; then
    if [ "$kind" = drop ]; then soak_drop; else soak_hang_up; fi
  else
    kind=refused
  fi
  soak_settle
  [ $((cycle % 50)) = 24 ] && soak_check_idle "cycle $cycle"
  soak_end_cycle cycles "$cycle" "$kind" "$want_text" $((SECONDS - t0))
done
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
soak_summary "$connect_seconds" "$restart_seconds" $((SECONDS - started)) >"$SOAK_OUT/summary.txt"
qvx_log "$(cat "$SOAK_OUT/summary.txt")"
qvx_stop_all
qvx_pass
