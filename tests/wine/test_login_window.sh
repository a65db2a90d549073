#!/bin/bash
# The real program on a Wine desktop: the login window with its Chinese captions, typing with
# the character rule, Enter in the password box, the single-instance refusal, the tray menu,
# and the close box ending the program through the login window's close handling.
QVX_DESKTOP=800x600
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
qvx_setup
qvx_install 'C:\Quovix' "$QVX_BUILD/quovix.exe"
log=qvxl.log
visible() { qvx_windows "$1" | wc -l; }
# Polls until the count of visible windows matching $1 compares ($2: -gt, -eq...) with $3.
wait_count() { qvx_poll "${4:-20}" "$2 $3 windows '$1'" test_count "$@"; }
test_count() { [ "$(visible "$1")" "$2" "$3" ]; }

qvx_start
main=$(qvx_wait_window '^Quovix加速2.43$')
first=$QVX_WINE_PID
qvx_wait_log_line "$log" '获取程序运行目录为：C:\\Quovix\\$'
sleep 1
qvx_screenshot login

xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
qvx_type 'ab-'
qvx_wait_window '^Quovix加速$' 10 >/dev/null # a refused character brings up a message box
qvx_screenshot invalid-character
qvx_key Return
sleep 0.5
qvx_key Tab
qvx_type 'pw'
qvx_key Return
# Enter in the password box logs in with the cleaned account.
qvx_wait_log_line "$log" '用户ab尝试登陆'
qvx_wait_log_line "$log" '开始连接验证服务器'
sleep 0.6
qvx_screenshot logging-in
# No verification service runs here, so the login ends with its failure box; close it.
qvx_wait_log_line "$log" '下载验证文件失败'
sleep 1
qvx_key Return
sleep 0.5

before=$(visible '^Quovix加速$')
qvx_start
second=$QVX_WINE_PID
wait_count '^Quovix加速$' -gt "$before" # a second copy shows its refusal
qvx_screenshot second-copy
qvx_key Return
qvx_wait_exit 20 # the second copy ends after its message
[ "$(visible '^Quovix加速2.43$')" -eq 1 ] || qvx_fail "the second copy made a login window"
[ "$second" != "$first" ] || qvx_fail "no second copy was started"
QVX_WINE_PID=$first

# The tray icon sits at the right end of the desktop's taskbar.
popups() { xdotool search --onlyvisible --classname quovix.exe 2>/dev/null | wc -l; }
menus_before=$(popups)
qvx_click 790 590 3
sleep 1
[ "$(popups)" -gt "$menus_before" ] || qvx_fail "right click on the tray icon opened no menu"
qvx_screenshot tray-menu
qvx_key Escape
sleep 0.5

# A click on the close box, at the right end of the title bar.
geometry=$(xwininfo -id "$main")
x=$(awk '/Absolute upper-left X/{print $4}' <<<"$geometry")
y=$(awk '/Absolute upper-left Y/{print $4}' <<<"$geometry")
w=$(awk '/Width/{print $2}' <<<"$geometry")
qvx_click $((x + w - 12)) $((y + 10))
# A first click may only dismiss what is left of the tray menu; click again if nothing closed.
if ! qvx__grep_gbk "$(qvx_resolve "$log")" '成功退出'; then
  sleep 3
  qvx__grep_gbk "$(qvx_resolve "$log")" '成功退出' || qvx_click $((x + w - 12)) $((y + 10))
fi
qvx_wait_log_line "$log" '成功退出'
tail_lines=$(qvx_gbk "$(qvx_resolve "$log")" | tail -2 | sed 's/^\[[^]]*\]  //' | tr '\r\n' '  ')
[ "$tail_lines" = "更新用户配置文件  成功退出  " ] ||
  qvx_fail "the run log should end with the settings saved and the goodbye, not '$tail_lines'"
qvx_wait_exit 20 # the program ends after its main window closes
qvx_pass
