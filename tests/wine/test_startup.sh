#!/bin/bash
# Start-up of the real program: the login window with Chinese captions, the run log's first
# lines, the single-instance refusal, the exit code, and a Chinese program folder reached from
# another current directory.
# shellcheck source=tests/wine/lib.sh disable=SC2119
source "$(dirname "$0")/lib.sh"
exe=$QVX_BUILD/quovix.exe
[ -f "$exe" ] || qvx_fail "quovix.exe not built"
qvx_setup

stamp='\[[0-9]{4}-[0-9]{1,2}-[0-9]{1,2} [0-9]{1,2}:[0-9]{1,2}:[0-9]{1,2}\]  '

# Line N (from 1) of a GBK file, as UTF-8 without its CR.
line() { qvx_gbk "$1" | sed -n "${2}p" | tr -d '\r'; }

qvx_install 'C:\Quovix' "$exe"
qvx_ui_start
qvx_start
login=$(qvx_wait_window "^$QVX_LOGIN\$")
qvx_wait_log_line qvxl.log '获取本机操作系统版本为：'
qvx_screenshot login

log=$QVX_PROGRAM_UNIX/qvxl.log
if [ -n "$(line "$log" 1)" ] || [ -n "$(line "$log" 2)" ]; then
  qvx_fail "log does not start with two empty lines"
fi
header=$(line "$log" 3)
[[ $header =~ ^-{21}\[([0-9]{4}-[0-9]{1,2}-[0-9]{1,2})\]-{21}$ ]] || qvx_fail "bad header '$header'"
day=${BASH_REMATCH[1]}
first=$(line "$log" 4)
[[ $first =~ ^${stamp}获取程序运行目录为：C:\\Quovix\\$ ]] || qvx_fail "bad first line '$first'"
[[ $first == "[$day "* ]] || qvx_fail "header day $day differs from the first line's"
second=$(line "$log" 5)
[[ $second =~ ^${stamp}获取本机操作系统版本为：[0-9]+$ ]] || qvx_fail "bad version line '$second'"
# Every line of the file ends in CR LF.
[ "$(grep -c $'\r$' "$log")" = "$(wc -l <"$log")" ] || qvx_fail "log lines not CR LF"

# A second copy says so in a box and ends with 0, making no window and writing no log.
first_pid=$QVX_WINE_PID
lines_before=$(wc -l <"$log")
qvx_start
box=$(qvx_wait_window "^$QVX_BOX\$" 30)
qvx_screenshot second-copy
qvx_key_to "$box" Return
qvx_wait_exit 20
[ "$QVX_EXIT_CODE" = 0 ] || qvx_fail "second copy exited with $QVX_EXIT_CODE"
[ "$(qvx_windows "^$QVX_LOGIN\$" | wc -l)" = 1 ] || qvx_fail "not exactly one login window"
[ "$(wc -l <"$log")" = "$lines_before" ] || qvx_fail "the second copy wrote to the log"
QVX_WINE_PID=$first_pid
qvx_running || qvx_fail "the first copy ended"

# Alt+F4 closes the main window; the process ends with 0.
qvx_key_to "$login" alt+F4
qvx_wait_log_line qvxl.log '成功退出' 30
qvx_wait_exit 30
[ "$QVX_EXIT_CODE" = 0 ] || qvx_fail "program exited with $QVX_EXIT_CODE"

# A Chinese folder with a space, started from another directory: everything lands beside the
# program, nothing in the current directory.
qvx_install 'C:\加速 程序' "$exe"
cwd=$WINEPREFIX/drive_c/windows/temp
QVX_CWD=$cwd qvx_start
qvx_ui_window "$QVX_LOGIN"
qvx_wait_log_line qvxl.log '^'"$stamp"'获取程序运行目录为：C:\\加速 程序\\$'
qvx_wait_log_line qvxl.log '读取用户配置文件'
[ ! -e "$cwd/qvxl.log" ] || qvx_fail "log written into the current directory"
[ -e "$QVX_PROGRAM_UNIX/user.ini" ] || qvx_fail "user.ini not created in the program folder"
qvx_screenshot chinese-folder
qvx_stop_all

qvx_pass
