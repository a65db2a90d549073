#!/usr/bin/env bash
# The client under Wine against the demo verification service. The tunnel is simulated: the
# program dials our RAS test double, which keeps its phone book in a file, not Windows RAS.
# With a display the client shows on it; without one it runs on Xvfb, and either way
# screenshots of each step land in demo-screenshots/.
root=$(cd "$(dirname "$0")/../.." && pwd)
# The 32-bit program is the shipped one; hosts that cannot run i386 programs get the 64-bit one.
if [ -z "${QVX_ARCH:-}" ]; then
  if "$root/scripts/wine32_usable.sh" 2>/dev/null; then QVX_ARCH=win32; else QVX_ARCH=win64; fi
fi
export QVX_ARCH
export QVX_BUILD=${QVX_BUILD:-$root/build/$QVX_ARCH}
export QVX_NATIVE_BUILD=${QVX_NATIVE_BUILD:-$root/build/native}
# The port the program was built to reach (win32 18080, win64 18081).
export QVX_DEMO_PORT=${QVX_DEMO_PORT:-$(sed -n 's/^QVX_DEMO_PORT:STRING=//p' "$QVX_BUILD/CMakeCache.txt")}
export QVX_TEST=demo
[ -n "${DISPLAY:-}" ] && export QVX_USE_DISPLAY=1
source "$root/tests/wine/lib.sh"
QVX_SCREENSHOTS=${QVX_DEMO_SHOTS:-$root/demo-screenshots}
QVX_TIMEOUT=90

service=$QVX_NATIVE_BUILD/tools/demo_service/demo_service
ras_double=$QVX_BUILD/tools/ras_double/rasapi32.dll
iphlp_double=$QVX_BUILD/tools/iphlp_double/iphlpapi.dll
# shellcheck source=tests/wine/iphlp_double.sh
source "$root/tests/wine/iphlp_double.sh"
qvx_setup
if [ "$QVX_ARCH" = win64 ]; then
  qvx_log "running the 64-bit program (this host cannot run the 32-bit Wine)"
else
  qvx_log "running the 32-bit program"
fi

files=()
for f in "$root"/route/*.dat; do [ -e "$f" ] && files+=("$f=route/$(basename "$f")"); done
# The speed test the status window's 速度测试 opens.
[ -f "$QVX_BUILD/nettest.exe" ] && files+=("$QVX_BUILD/nettest.exe")
qvx_install 'C:\Quovix' "$QVX_BUILD/quovix.exe" "${files[@]}"
# The doubles go into the system folder, where the program takes rasapi32 and iphlpapi from.
if [ -f "$ras_double" ]; then
  qvx_install_system_dlls "$ras_double"
  qvx_log "dialling goes to the RAS test double (simulated tunnel)"
fi
if [ -f "$iphlp_double" ]; then
  qvx_install_system_dlls "$iphlp_double"
  qvx_log "routes go to the IP Helper test double (a simulated routing table, as Windows 7 and later keep it)"
fi

# A step that is slow or fails does not end the demo: its screen is saved instead.
step() { # NAME COMMAND...: runs a wait; on a time-out saves NAME-slow.png and returns 1
  local name=$1 finished
  shift
  # In a command substitution, which a failure ends instead of the demo, and which, unlike a
  # ( ) subshell, keeps the probe's pipes.
  finished=$("$@" >&2 && echo ok) || true
  [ "$finished" != ok ] || return 0
  qvx_log "step '$name' did not finish in time; saving the screen as it is"
  qvx_screenshot "$name-slow"
  return 1
}
port_open() { (exec 3<>"/dev/tcp/127.0.0.1/$QVX_DEMO_PORT") 2>/dev/null; }

if [ -x "$service" ]; then
  if port_open; then
    qvx_fail "port $QVX_DEMO_PORT on 127.0.0.1 is already in use (another demo service?); stop it or run with QVX_DEMO_PORT=<free port>"
  fi
  "$service" --port "$QVX_DEMO_PORT" --scenario short_delays >"$qvx_tmp/service.log" 2>&1 &
  service_pid=$!
  qvx_stop_on_exit "$service_pid"
  for ((i = 0; i < 50; i++)); do
    port_open && break
    kill -0 "$service_pid" 2>/dev/null || qvx_fail "the demo service ended at start: $(tail -n 1 "$qvx_tmp/service.log")"
    sleep 0.2
  done
  port_open || qvx_fail "the demo service does not answer on 127.0.0.1:$QVX_DEMO_PORT after 10 s"
  qvx_log "demo service on 127.0.0.1:$QVX_DEMO_PORT; demo account: demo / demo123"
else
  qvx_log "no demo service built ($service): the login will fail to reach a server"
fi

qvx_ui_start
qvx_start
login=$(qvx_wait_window "^$QVX_LOGIN\$")
qvx_ui_until 30 'Edit 1' focus "$QVX_LOGIN"
qvx_screenshot 1-login
qvx_key_to "$login" ctrl+a
qvx_type demo
qvx_key Tab
qvx_type demo123
qvx_key Return
if step 2-login qvx_wait_log_line qvxl.log '更新服务器列表成功' 30 &&
  step 2-status-window qvx_ui_until 30 1 enabled "$QVX_STATUS" 连接; then
  qvx_screenshot 2-status-window
  if [ -f "$iphlp_double" ]; then
    # The machine the double plays: a LAN at the address the login found, with its default
    # route, and the tunnel the RAS double's connection brings up (index 23, gateway 0.0.0.0).
    local_ip=$(qvx_gbk "$QVX_PROGRAM_UNIX/qvxl.log" | tr -d '\r' | sed -n 's/.*本机的内网IP为[:：]//p' | tail -n1)
    iphlp_control "adapter 2 addr=${local_ip:-192.168.1.10}/255.255.255.0 gw=192.168.1.1 metric=10" \
      "adapter 23 addr=10.8.0.2/255.255.255.255 gw=0.0.0.0 type=23 metric=50 tunnel" \
      "route 0.0.0.0 0.0.0.0 192.168.1.1 2 metric1=25"
  fi
  qvx_ui_do "连接" click "$QVX_STATUS" 连接
  # Connected once the status pane's clock runs.
  if step 3-connect qvx_wait_log_line qvxl.log '建立加速连接成功！' 60 &&
    step 3-connected qvx_ui_shows "$QVX_STATUS" '连接时间：.*' 30; then
    qvx_screenshot 3-connected
  fi
  # The service's tips window comes up over the status window; its close box hides it.
  if step 4-tips qvx_ui_window 精彩提示 40; then
    qvx_screenshot 4-tips
    qvx_ui_do "the tips window's close box" close 精彩提示
    step 4-tips-closed qvx_ui_gone 精彩提示 10 || true
  fi
  if step 5-hang-up qvx_ui_click "$QVX_STATUS" 挂断 30 &&
    step 5-hang-up qvx_wait_log_line qvxl.log '成功挂断连接' 30 &&
    step 5-hung-up qvx_ui_until 30 1 enabled "$QVX_STATUS" 连接; then
    qvx_screenshot 5-hung-up
  fi
fi
qvx_log "log of this run:"
qvx_gbk "$QVX_PROGRAM_UNIX/qvxl.log" >&2 || true
if [ -f "$(iphlp_file "$IPHLP_LOG")" ]; then
  qvx_log "routing calls the program made: $(grep -c '^CreateIpForwardEntry .* -> 0$' "$(iphlp_file "$IPHLP_LOG")") routes created, $(grep -c '^SetIpForwardEntry' "$(iphlp_file "$IPHLP_LOG")") default-route changes"
fi
qvx_log "screenshots are in $QVX_SCREENSHOTS"
