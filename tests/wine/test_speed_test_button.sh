#!/bin/bash
# The status window's 速度测试 in the real program under Wine: without nettest.exe the user is
# told so; with it, the nodes the login downloaded reach the speed test in its node list file,
# and the speed test the shell opens measures them.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
: "${QVX_NATIVE_BUILD:?QVX_NATIVE_BUILD must name the native build directory}"
ras=$QVX_BUILD/tools/ras_double/rasapi32.dll
iphlp=$QVX_BUILD/tools/iphlp_double/iphlpapi.dll
[ -f "$ras" ] && [ -f "$iphlp" ] && [ -f "$QVX_BUILD/nettest.exe" ] || qvx_fail "nettest.exe or the test doubles not built"
qvx_setup

qvx_start_demo_service nodes=3,notice=0,tips=0
qvx_install_with_doubles "$ras" "$iphlp"
list=$QVX_PROGRAM_UNIX/nettest_nodes.txt
speed_title='Quovix加速 - 速度测试'

qvx_ui_start
qvx_start
qvx_log_in_as_demo
qvx_ui_until 30 1 enabled "$QVX_STATUS" 连接
qvx_ui_click "$QVX_STATUS" 速度测试
qvx_ui_answer_box '找不到速度测试程序nettest.exe，请重新安装Quovix加速。'
[ ! -e "$list" ] || qvx_fail "a node list was written for a speed test that is not there"

cp "$QVX_BUILD/nettest.exe" "$QVX_PROGRAM_UNIX/"
qvx_ui_click "$QVX_STATUS" 速度测试
qvx_wait_file "$list"
want=$'quovix-nodes 1\r\n北京电信\t127.0.1.1\r\n上海电信\t127.0.1.2\r\n广州电信\t127.0.1.3\r'
got=$(qvx_gbk "$list")
[ "$got" = "$want" ] || qvx_fail "the node list file holds '$got'"
qvx_wait_window "$speed_title" >/dev/null

# The client's probe has done its part; one for the speed test reads its table.
qvx_ui_stop
qvx_ui_start nettest.exe
qvx_ui_shows "$speed_title" '测试完成：3个节点，按速度从快到慢排列。' 30
rows=$(qvx_ui items "$speed_title" 1)
[ "$rows" = '北京电信	127.0.1.1	0	0%|上海电信	127.0.1.2	0	0%|广州电信	127.0.1.3	0	0%|' ] ||
  qvx_fail "the speed test shows '$rows'"
qvx_screenshot speed-test-from-client
qvx_pass
