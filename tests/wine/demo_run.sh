#!/usr/bin/env bash
# The client under Wine against the demo verification service. The tunnel is simulated: the
# program dials our RAS test double, which keeps its phone book in a file, not Windows RAS.
# With a display the client shows on it; without one it runs on Xvfb, and either way
# screenshots of each step land in demo-screenshots/.
root=$(cd "$(dirname "$0")/../.." && pwd)
# The 32-bit program is the shipped one; hosts that cannot run i386 programs get the 64-bit one.
if [ -z "${QVX_ARCH:-}" ]; then
  if "$root/scripts/host_runs_i386.sh"; then QVX_ARCH=win32; else QVX_ARCH=win64; fi
fi
export QVX_ARCH
export QVX_BUILD=${QVX_BUILD:-$root/build/$QVX_ARCH}
export QVX_NATIVE_BUILD=${QVX_NATIVE_BUILD:-$root/build/native}
export QVX_DEMO_PORT=${QVX_DEMO_PORT:-18080}
export QVX_TEST=demo
[ -n "${DISPLAY:-}" ] && export QVX_USE_DISPLAY=1
source "$root/tests/wine/lib.sh"
QVX_SCREENSHOTS=${QVX_DEMO_SHOTS:-$root/demo-screenshots}
QVX_TIMEOUT=90

service=$QVX_NATIVE_BUILD/tools/demo_service/demo_service
ras_double=$QVX_BUILD/tools/ras_double/rasapi32.dll
qvx_setup
if [ "$QVX_ARCH" = win64 ]; then
  qvx_log "running the 64-bit program (this host cannot run the 32-bit Wine)"
else
  qvx_log "running the 32-bit program"
fi

files=()
for f in "$root"/route/*.dat; do [ -e "$f" ] && files+=("$f=route/$(basename "$f")"); done
if [ -f "$ras_double" ]; then
  files+=("$ras_double")
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;rasapi32=n"
  qvx_log "dialling goes to the RAS test double (simulated tunnel)"
fi
qvx_install 'C:\Quovix' "$QVX_BUILD/quovix.exe" "${files[@]}"

if [ -x "$service" ]; then
  "$service" --port "$QVX_DEMO_PORT" --scenario short_delays >"$qvx_tmp/service.log" 2>&1 &
  service_pid=$!
  qvx_stop_on_exit "$service_pid"
  qvx_log "demo service on 127.0.0.1:$QVX_DEMO_PORT; demo account: demo / demo123"
else
  qvx_log "no demo service built ($service): the login will fail to reach a server"
fi

qvx_start
login=$(qvx_wait_window '^Quovix加速2.43$')
sleep 2
qvx_screenshot 1-login
qvx_key_to "$login" ctrl+a
qvx_type demo
qvx_key Tab
qvx_type demo123
qvx_key Return
if qvx_wait_log_line qvxl.log '更新服务器列表成功' 30 2>/dev/null; then
  sleep 3
  qvx_screenshot 2-status-window
  status=$(qvx_windows '^Quovix加速' | tail -n1)
  if [ -n "$status" ]; then
    qvx_click_in "$status" 240 350  # "连接"
    qvx_wait_log_line qvxl.log '建立加速连接成功！' 60 || true
    sleep 8
    qvx_screenshot 3-connected
    # The service's tips window comes up over the status window; its close box hides it.
    if tips=$(qvx_wait_window '^精彩提示$' 40 2>/dev/null); then
      sleep 1
      qvx_screenshot 4-tips
      geometry=$(xwininfo -id "$tips")
      x=$(awk '/Absolute upper-left X/{print $4}' <<<"$geometry")
      y=$(awk '/Absolute upper-left Y/{print $4}' <<<"$geometry")
      w=$(awk '/Width/{print $2}' <<<"$geometry")
      qvx_click $((x + w - 12)) $((y + 10))
      sleep 1
    fi
    qvx_click_in "$status" 240 350  # "挂断"
    qvx_wait_log_line qvxl.log '成功挂断连接' 30
    sleep 1
    qvx_screenshot 5-hung-up
  fi
else
  qvx_screenshot 2-login-result
fi
qvx_log "log of this run:"
qvx_gbk "$QVX_PROGRAM_UNIX/qvxl.log" >&2 || true
qvx_log "screenshots are in $QVX_SCREENSHOTS"
