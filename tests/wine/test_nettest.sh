#!/bin/bash
# The speed test under Wine, as its user meets it: a missing, a garbled and an empty node list
# each get their message; then fast, slow and silent nodes, answered by the IP Helper double's
# echo lines, are measured side by side and shown best first with their averages and losses.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/wine/iphlp_double.sh
source "$(dirname "$0")/iphlp_double.sh"
iphlp=$QVX_BUILD/tools/iphlp_double/iphlpapi.dll
[ -f "$QVX_BUILD/nettest.exe" ] && [ -f "$iphlp" ] || qvx_fail "nettest.exe or the IP Helper double not built"
qvx_setup
qvx_install 'C:\Quovix' "$QVX_BUILD/nettest.exe"
qvx_install_system_dlls "$iphlp"
title='Quovix加速 - 速度测试'
list=$QVX_PROGRAM_UNIX/nettest_nodes.txt
# The node list as the client writes it: GBK, CR LF.
write_list() { printf '%s\r\n' "$@" | iconv -f UTF-8 -t GBK >"$list"; }
retest() {
  qvx_ui_click "$title" 重新测试
  qvx_ui_shows "$title" "$1"
}

qvx_ui_start nettest.exe
qvx_start
qvx_ui_window "$title"
qvx_ui_shows "$title" '没有找到节点列表，请登录后在状态窗口中点击“速度测试”。'
printf 'MZ\x90\x00\x03' >"$list"
retest '节点列表已损坏（第1行），请重新登录后再测试。'
write_list 'quovix-nodes 1' $'好节点\t127.0.0.10' 'no tab here'
retest '节点列表已损坏（第3行），请重新登录后再测试。'
write_list 'quovix-nodes 1'
retest '节点列表是空的，请重新登录后再测试。'
[ "$(qvx_ui items "$title" 1)" = "" ] || qvx_fail "a table without a list: $(qvx_ui items "$title" 1)"

# Three silent nodes: one round takes the echo timeout (1 s), not the sum of the nodes' times.
iphlp_control 'echo 127.0.0.11 status=0 rtt=300' 'echo 127.0.0.12 status=11010' \
  'echo 127.0.0.13 status=0 rtt=20' 'echo 127.0.0.14 status=11010' 'echo 127.0.0.15 status=11010'
write_list 'quovix-nodes 1' $'慢速节点\t127.0.0.11' $'静默一\t127.0.0.12' $'快速节点\t127.0.0.13' \
  $'静默二\t127.0.0.14' $'静默三\t127.0.0.15'
started=$(date +%s%N)
qvx_ui_click "$title" 重新测试
qvx_ui_shows "$title" '正在测试5个节点.*'
[ "$(qvx_ui enabled "$title" 重新测试)" = 0 ] || qvx_fail "重新测试 is enabled while a test runs"
qvx_ui_shows "$title" '测试完成：5个节点，按速度从快到慢排列。' 30
took_ms=$((($(date +%s%N) - started) / 1000000))
qvx_log "five rounds of five nodes took $took_ms ms"
# One node after the other would take 5 x 3.3 s.
[ "$took_ms" -lt "$(qvx_bound 11)000" ] || qvx_fail "the test took $took_ms ms: the nodes were not measured side by side"
want='快速节点	127.0.0.13	20	0%|慢速节点	127.0.0.11	300	0%|静默一	127.0.0.12	超时	100%|静默二	127.0.0.14	超时	100%|静默三	127.0.0.15	超时	100%|'
got=$(qvx_ui items "$title" 1)
[ "$got" = "$want" ] || qvx_fail "the table shows '$got', expected '$want'"
[ "$(qvx_ui enabled "$title" 重新测试)" = 1 ] || qvx_fail "重新测试 stays disabled after the test"
# Every request went out as the client's own node probes send them.
echoes=$(grep -c '^IcmpSendEcho .* payload=45\*32 ttl=80 .*timeout=1000' "$(iphlp_file "$IPHLP_LOG")" || true)
[ "$echoes" = 25 ] || qvx_fail "$echoes echo requests reached the double, expected 25"
qvx_screenshot nettest-finished

qvx_ui_click "$title" 关闭
qvx_wait_exit
[ "$QVX_EXIT_CODE" = 0 ] || qvx_fail "nettest.exe ended with $QVX_EXIT_CODE"
grep -q 'icmp=0' "$(iphlp_file iphlp_double_live.txt)" || qvx_fail "ICMP handles left open: $(cat "$(iphlp_file iphlp_double_live.txt)")"
qvx_pass
