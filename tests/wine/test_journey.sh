#!/bin/bash
# A subscriber's journey with the real program under Wine: the demo service on loopback, our
# RAS and IP Helper test doubles standing in for Windows RAS and the routing table. Log in
# through the keyboard, see the status window, connect with partial relay, watch the clock and
# the traffic, hang up, exit; start again and find the account remembered.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/wine/iphlp_double.sh
source "$(dirname "$0")/iphlp_double.sh"
: "${QVX_NATIVE_BUILD:?QVX_NATIVE_BUILD must name the native build directory}"
service=$QVX_NATIVE_BUILD/tools/demo_service/demo_service
double=$QVX_BUILD/tools/ras_double/rasapi32.dll
iphlp=$QVX_BUILD/tools/iphlp_double/iphlpapi.dll
[ -x "$service" ] || qvx_fail "no demo service at $service"
[ -f "$double" ] || qvx_fail "no RAS test double at $double"
[ -f "$iphlp" ] || qvx_fail "no IP Helper test double at $iphlp"
QVX_TIMEOUT=60
qvx_setup
# The settings window asks the Task Scheduler; Windows runs it always, a fresh prefix starts it
# on first use, seconds in which the window is not yet there to click.
wine net start Schedule >/dev/null 2>&1 || true

"$service" --port "$QVX_DEMO_PORT" --scenario short_delays --log "$qvx_tmp/requests.log" >"$qvx_tmp/service.out" 2>&1 &
service_pid=$!
qvx_stop_on_exit "$service_pid"
qvx_poll 10 "demo service" bash -c "exec 3<>/dev/tcp/127.0.0.1/$QVX_DEMO_PORT"

qvx_install_with_doubles "$double" "$iphlp"
log=qvxl.log
qvx_ui_start

qvx_start
# The keyboard, as a user logs in: each key once the box it is meant for has the focus.
login=$(qvx_wait_window "^$QVX_LOGIN\$")
qvx_ui_until 30 'Edit 1' focus "$QVX_LOGIN"
qvx_key_to "$login" ctrl+a
qvx_type demo
qvx_ui_until 10 demo edit "$QVX_LOGIN" 1
qvx_key Tab
qvx_ui_until 10 'Edit 2' focus "$QVX_LOGIN"
qvx_type demo123
qvx_ui_until 10 demo123 edit "$QVX_LOGIN" 2
qvx_key Return
qvx_wait_log_line "$log" '更新服务器列表成功'
qvx_wait_log_line "$log" '本机的网络类型为:中国电信'
qvx_wait_log_line "$log" '本机的内网IP为'
qvx_ui_until 30 1 enabled "$QVX_STATUS" 连接
qvx_screenshot status-window

# In order: every stage line the login window writes for a good login (the thread writes the
# external address itself, so that line may come anywhere among them).
stages=$(qvx_gbk "$QVX_PROGRAM_UNIX/$log" | sed 's/^\[[^]]*\]  //' | grep -E \
  '^(用户demo尝试登陆|开始连接验证服务器|正在连接验证服务器|下载验证文件成功|用户名密码正确|正在更新服务器列表|更新服务器列表成功|本机的网络类型为|本机的内网IP为)' |
  sed 's/[:：].*//' | tr -d '\r' | tr '\n' ' ')
expected="用户demo尝试登陆 开始连接验证服务器 正在连接验证服务器 下载验证文件成功 用户名密码正确 正在更新服务器列表 更新服务器列表成功 本机的网络类型为 本机的内网IP为 "
[ "$stages" = "$expected" ] || qvx_fail "stage lines: $stages"
qvx_wait_log_line "$log" '本机外网IP为：61\.152\.12\.34' 1

# A LAN adapter holding the local address, and a tunnel that comes up with the dial.
local_ip=$(qvx_gbk "$QVX_PROGRAM_UNIX/$log" | tr -d '\r' | sed -n 's/.*本机的内网IP为：//p' | tail -n1)
iphlp_control "adapter 2 addr=$local_ip/255.255.255.0 gw=192.168.1.1 metric=10" \
  "adapter 23 addr=10.8.0.2/255.255.255.255 gw=0.0.0.0 type=23 metric=50 tunnel" \
  "route 0.0.0.0 0.0.0.0 192.168.1.1 2 metric1=25"
mark=$(iphlp_log_lines)

# The relay box is on 部分中转.
[ "$(qvx_ui selected "$QVX_STATUS" 3)" = 部分中转 ] || qvx_fail "relay box: '$(qvx_ui selected "$QVX_STATUS" 3)'"
qvx_ui_click "$QVX_STATUS" 连接
qvx_wait_log_line "$log" '建立加速连接成功！' 60
qvx_wait_log_line "$log" '获得加速服务器网关对应的设备接口为：23' 30
qvx_wait_log_line "$log" '部分中转已生效：' 120
qvx_screenshot connected
# The demo account is on 中国电信: the CNC and CERNET rows go through the tunnel.
want=$(iphlp_expected_rows CHINANET 23 0.0.0.0 51; iphlp_default_set 23 0.0.0.0 3 150 0)
calls=$(iphlp_writes_after "$mark")
[ "$calls" = "$want" ] || qvx_fail "partial relay: $(diff <(echo "$want") <(echo "$calls") | head -n 8)"
qvx_log "partial relay: $(grep -c '^CreateIpForwardEntry' <<<"$calls") route rows checked"
# The dial went through the RAS test double (not Wine's stub) with a record of this build's size.
if [ "$QVX_ARCH" = win64 ]; then dial_size=2108; else dial_size=2104; fi
LC_ALL=C grep -aEq "^RasDialW .* dwSize=$dial_size entry=.* user=demo .* -> 0$" "$QVX_PROGRAM_UNIX/ras_double_log.txt" ||
  qvx_fail "no successful RasDialW for demo in the RAS test double's call log"

# The demo service's short delays have brought up the announcement and the tips window.
qvx_ui_window 最新公告 20
qvx_ui_window 精彩提示 40
qvx_screenshot notices
# The tips window sits over the status window; its close box hides it.
qvx_ui_do "the tips window's close box" close 精彩提示
qvx_ui_gone 精彩提示 10
mark=$(iphlp_log_lines)
qvx_ui_click "$QVX_STATUS" 挂断
qvx_wait_log_line "$log" '成功挂断连接' 30
qvx_ui_until 30 1 enabled "$QVX_STATUS" 连接
qvx_screenshot hung-up
want=$(iphlp_default_set 23 0.0.0.0 3 50 0; iphlp_default_set 2 192.168.1.1 3 25 0)
[ "$(iphlp_writes_after "$mark")" = "$want" ] || qvx_fail "hang-up routing calls: $(iphlp_calls_after "$mark")"

# The tray menu, then the settings window from the status window's menu: tick autostart.
qvx_ui_do "a right click on the tray icon" tray_menu
qvx_ui_until 10 1 popup
qvx_screenshot tray-menu
qvx_ui_do "Escape in the tray menu" popup_close
qvx_ui_until 10 0 popup
qvx_ui_do "the settings menu item" menu "$QVX_STATUS" "$QVX_MENU_SETTINGS"
qvx_ui_window 设置 20
qvx_ui_until 10 0 checked 设置 开机自动启动
qvx_ui_click 设置 开机自动启动
qvx_ui_until 10 1 checked 设置 开机自动启动
qvx_screenshot settings-window
qvx_ui_click 设置 确定
# Wine reports Windows 7: a logon task of the Task Scheduler (kept by Wine as a file), no Run value.
qvx_poll 20 "the autostart task" test -f "$(qvx_unix_path 'C:\windows\system32\tasks\Quovix加速')"
! wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v quovixnet >/dev/null 2>&1 ||
  qvx_fail "a Run value beside the logon task"

# The close box asks first; "确定" confirms.
qvx_ui_do "the status window's close box" close "$QVX_STATUS"
qvx_ui_window "$QVX_BOX"
qvx_screenshot exit-confirmation
qvx_ui_click "$QVX_BOX" 确定
qvx_wait_log_line "$log" '成功退出' 30
qvx_wait_exit 30
[ "$QVX_EXIT_CODE" = 0 ] || qvx_fail "exit code $QVX_EXIT_CODE"

# Started again, the account is remembered: only the password is typed.
qvx_start
login=$(qvx_wait_window "^$QVX_LOGIN\$")
qvx_ui_until 30 demo edit "$QVX_LOGIN" 1
qvx_ui_until 10 'Edit 1' focus "$QVX_LOGIN"
qvx_screenshot login-remembered
qvx_key_to "$login" Tab
qvx_ui_until 10 'Edit 2' focus "$QVX_LOGIN"
qvx_type demo123
qvx_ui_until 10 demo123 edit "$QVX_LOGIN" 2
qvx_key Return
qvx_poll 30 "second login with the remembered account" \
  bash -c "iconv -f GBK -t UTF-8 '$QVX_PROGRAM_UNIX/$log' | grep -c '用户demo尝试登陆' | grep -qx 2"
qvx_gbk "$QVX_PROGRAM_UNIX/$log" >&2
qvx_pass
