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
more_than() { [ "$(visible "$1")" -gt "$2" ]; }

qvx_ui_start
qvx_start
main=$(qvx_wait_window "^$QVX_LOGIN\$")
first=$QVX_WINE_PID
qvx_wait_log_line "$log" '获取程序运行目录为：C:\\Quovix\\$'
qvx_ui_until 30 'Edit 1' focus "$QVX_LOGIN"
qvx_screenshot login

# Typed keys, each once the box it is meant for has the focus.
qvx_type_to "$main" 'ab-'
qvx_ui_until 10 无效字符 box # a refused character brings up a message box
qvx_screenshot invalid-character
qvx_key Return
qvx_ui_until 10 none box
qvx_ui_until 10 'Edit 1' focus "$QVX_LOGIN"
[ "$(qvx_ui edit "$QVX_LOGIN" 1)" = ab ] || qvx_fail "the account box holds '$(qvx_ui edit "$QVX_LOGIN" 1)', not ab"
qvx_key Tab
qvx_ui_until 10 'Edit 2' focus "$QVX_LOGIN"
qvx_type 'pw'
qvx_ui_until 10 pw edit "$QVX_LOGIN" 2
qvx_key Return
# Enter in the password box logs in with the cleaned account.
qvx_wait_log_line "$log" '用户ab尝试登陆'
qvx_wait_log_line "$log" '开始连接验证服务器'
qvx_screenshot logging-in
# No verification service runs here, so the login ends with its failure box.
qvx_wait_log_line "$log" '下载验证文件失败'
qvx_ui_answer_box '连接服务器失败.*'

before=$(visible "^$QVX_BOX\$")
qvx_start
second=$QVX_WINE_PID
qvx_poll 20 "a second copy's refusal" more_than "^$QVX_BOX\$" "$before"
qvx_screenshot second-copy
qvx_key_to "$(qvx_windows "^$QVX_BOX\$" | tail -n 1)" Return
qvx_wait_exit 20 # the second copy ends after its message
[ "$(visible "^$QVX_LOGIN\$")" -eq 1 ] || qvx_fail "the second copy made a login window"
[ "$second" != "$first" ] || qvx_fail "no second copy was started"
QVX_WINE_PID=$first

# A right click on the tray icon opens its menu; Escape closes it.
qvx_ui_do "a right click on the tray icon" tray_menu
qvx_ui_until 10 1 popup
qvx_screenshot tray-menu
qvx_ui_do "Escape in the tray menu" popup_close
qvx_ui_until 10 0 popup

# The close box.
qvx_ui_do "the login window's close box" close "$QVX_LOGIN"
qvx_wait_log_line "$log" '成功退出'
tail_lines=$(qvx_gbk "$(qvx_resolve "$log")" | tail -2 | sed 's/^\[[^]]*\]  //' | tr '\r\n' '  ')
[ "$tail_lines" = "更新用户配置文件  成功退出  " ] ||
  qvx_fail "the run log should end with the settings saved and the goodbye, not '$tail_lines'"
qvx_wait_exit 20 # the program ends after its main window closes
qvx_pass
