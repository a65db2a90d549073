#!/bin/bash
# At 144 dpi the speed test's 96-dpi layout is scaled by one and a half, its table and chart
# filled as at 96 dpi.
QVX_SCREEN=1280x1024 QVX_DESKTOP=1200x900
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/wine/iphlp_double.sh
source "$(dirname "$0")/iphlp_double.sh"
iphlp=$QVX_BUILD/tools/iphlp_double/iphlpapi.dll
[ -f "$QVX_BUILD/nettest.exe" ] && [ -f "$iphlp" ] || qvx_fail "nettest.exe or the IP Helper double not built"
qvx_setup
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wineserver -w
qvx_install 'C:\Quovix' "$QVX_BUILD/nettest.exe"
qvx_install_system_dlls "$iphlp"
title='Quovix加速 - 速度测试'
iphlp_control 'echo 127.0.0.21 status=0 rtt=40' 'echo 127.0.0.22 status=0 rtt=10'
printf '%s\r\n' 'quovix-nodes 1' $'四十毫秒\t127.0.0.21' $'十毫秒\t127.0.0.22' | iconv -f UTF-8 -t GBK \
  >"$QVX_PROGRAM_UNIX/nettest_nodes.txt"

qvx_ui_start nettest.exe
qvx_start
window=$(qvx_wait_window "^$title\$")
qvx_ui_shows "$title" '测试完成：2个节点，按速度从快到慢排列。' 30
rows=$(qvx_ui items "$title" 1)
[ "$rows" = '十毫秒	127.0.0.22	10	0%|四十毫秒	127.0.0.21	40	0%|' ] || qvx_fail "the table shows '$rows'"
qvx_screenshot nettest-144dpi
width=$(xwininfo -id "$window" | awk '/Width/{print $2}')
# 480 * 1.5 = 720 for the client area; the frame adds a few pixels.
[ "$width" -ge 720 ] && [ "$width" -le 736 ] ||
  qvx_fail "the speed test is $width pixels wide at 144 dpi, expected 720 to 736"
qvx_pass
