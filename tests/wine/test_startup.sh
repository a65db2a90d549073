#!/bin/bash
# Start-up of the real program: from a folder with a Chinese name and another current
# directory, the run log lands in the program folder and opens with two empty lines, the
# dated header, the program folder and the Windows version; a second copy exits with 0.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
qvx_setup
dir='C:\加速 程序'
qvx_install "$dir" "$QVX_BUILD/quovix.exe"
mkdir -p "$qvx_tmp/elsewhere"
QVX_CWD=$qvx_tmp/elsewhere qvx_start
qvx_wait_window '^Quovix加速2.43$' >/dev/null
qvx_wait_log_line qvxl.log '读取用户配置文件'
text=$(qvx_gbk "$QVX_PROGRAM_UNIX/qvxl.log" | tr -d '\r')
[ "$(sed -n 1p <<<"$text")" = "" ] && [ "$(sed -n 2p <<<"$text")" = "" ] ||
  qvx_fail "the log does not open with two empty lines"
grep -Eq '^-{21}\[[0-9]{4}-[0-9]{1,2}-[0-9]{1,2}\]-{21}$' <<<"$(sed -n 3p <<<"$text")" ||
  qvx_fail "no date header: $(sed -n 3p <<<"$text")"
[ "$(sed -n 4p <<<"$text" | sed 's/^\[[^]]*\]  //')" = "获取程序运行目录为：C:\\加速 程序\\" ] ||
  qvx_fail "program folder line: $(sed -n 4p <<<"$text")"
grep -Eq '^\[[0-9-]+ [0-9:]+\]  获取本机操作系统版本为：[0-9]+$' <<<"$(sed -n 5p <<<"$text")" ||
  qvx_fail "version line: $(sed -n 5p <<<"$text")"
[ ! -e "$qvx_tmp/elsewhere/qvxl.log" ] || qvx_fail "log written into the current directory"
[ -e "$QVX_PROGRAM_UNIX/user.ini" ] || qvx_fail "user.ini not created in the program folder"
first=$QVX_WINE_PID

# The second copy shows its refusal and ends with 0; Enter closes the box.
second_exit=$qvx_tmp/second.exit
(cd "$QVX_PROGRAM_UNIX" && wine "$QVX_PROGRAM_EXE"; echo $? >"$second_exit") >/dev/null 2>&1 &
sleep 4
qvx_screenshot second-copy
qvx_key Return
qvx_poll 30 "the second copy to end" test -s "$second_exit"
[ "$(cat "$second_exit")" = 0 ] || qvx_fail "second copy exit code $(cat "$second_exit")"
[ "$(qvx_windows '^Quovix加速2.43$' | wc -l)" -eq 1 ] || qvx_fail "a second login window"
kill -0 "$first" || qvx_fail "the first copy ended"
qvx_pass
