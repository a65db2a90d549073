#!/bin/bash
# Partial relay in the real program under Wine, over our RAS and IP Helper test doubles, on the
# Windows the doubles play: Vista and later (the default), or the XP model with
# QVX_RELAY_PROFILE=xp (its IP Helper double lacks GetIpInterfaceEntry, as XP's does). Every
# routing call is read back from the IP Helper double's call log and routing table and compared
# with the shipped route files and the network the login identified. One login, then
# connections one after the other, each with its own adapter list or fault.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/wine/iphlp_double.sh
source "$(dirname "$0")/iphlp_double.sh"
: "${QVX_NATIVE_BUILD:?QVX_NATIVE_BUILD must name the native build directory}"
ras=$QVX_BUILD/tools/ras_double/rasapi32.dll
profile=${QVX_RELAY_PROFILE:-vista}
# The tunnel as each Windows brings it up: its interface, gateway, default route (next hop,
# type, metric) and interface metric; then the metrics partial relay must write.
if [ "$profile" = xp ]; then
  iphlp=$QVX_BUILD/tools/iphlp_double/xp/iphlpapi.dll
  tun=65539 tun_gw=10.8.0.1 tun_hop=10.8.0.1 tun_type=4 tun_metric=1 if_metric=0
  lan_metric=20 range_metric=1 lowered=100 shown_gw=10.8.0.1 other=65540
else
  iphlp=$QVX_BUILD/tools/iphlp_double/iphlpapi.dll
  tun=23 tun_gw=0.0.0.0 tun_hop=0.0.0.0 tun_type=3 tun_metric=50 if_metric=50
  lan_metric=25 range_metric=51 lowered=150 shown_gw=10.8.0.2 other=24
fi
[ -f "$ras" ] && [ -f "$iphlp" ] || qvx_fail "test doubles not built"
qvx_setup

qvx_start_demo_service notice=0,tips=0
qvx_install_with_doubles "$ras" "$iphlp"
log=qvxl.log
expect_writes() { # WHAT MARK EXPECTED: the calls after MARK that write the table, exactly
  local got
  got=$(iphlp_writes_after "$2")
  [ "$got" = "$3" ] || qvx_fail "$1: routing writes differ: $(diff <(echo "$3") <(echo "$got") | head -n 8)"
}

qvx_ui_start
qvx_start
qvx_log_in_as_demo
qvx_wait_log_line "$log" '本机的内网IP为'
qvx_ui_until 30 1 enabled "$QVX_STATUS" 连接
local_ip=$(qvx_runlog | sed -n 's/^本机的内网IP为[:：]//p' | tail -n1)
network=$(qvx_runlog | sed -n 's/^本机的网络类型为[:：]//p' | tail -n1)
own=$(iphlp_network_file "$network")
[ "$own" = CHINANET ] || qvx_fail "demo should be identified as 中国电信, not '$network'"
[ -n "$local_ip" ] || qvx_fail "no local address in the run log"
# The logins' echoes went through the double's echo functions.
grep -qE "^IcmpSendEcho .* payload=45\*32 ttl=[0-9]+ .* out_status=0 .* -> 0$" "$(iphlp_file "$IPHLP_LOG")" ||
  qvx_fail "the login's echo probes did not reach the double"

iphlp_control "profile $profile"
lan="adapter 2 addr=$local_ip/255.255.255.0 gw=192.168.1.1 metric=10"
lan_route="route 0.0.0.0 0.0.0.0 192.168.1.1 2 metric1=$lan_metric"
tunnel="adapter $tun addr=10.8.0.2/255.255.255.255 gw=$tun_gw type=23 metric=$if_metric tunnel"
# The rows as the table holds them before partial relay: restored to exactly these.
tunnel_row="route 0.0.0.0 0.0.0.0 $tun_hop $tun type=$tun_type proto=3 age=0 policy=0 nexthopas=0 metric1=$tun_metric $IPHLP_UNUSED"
lan_row="route 0.0.0.0 0.0.0.0 192.168.1.1 2 type=3 proto=3 age=0 policy=0 nexthopas=0 metric1=$lan_metric $IPHLP_UNUSED"
connect() { qvx_ui_click "$QVX_STATUS" 连接 60; }
# Once the connection is up and its routing done: the button offers 挂断.
hang_up() {
  local n
  n=$(($(qvx_log_count '^成功挂断连接$') + 1))
  qvx_ui_click "$QVX_STATUS" 挂断 120
  qvx_wait_log_count "$n" '^成功挂断连接$'
}
gateway_lines() { qvx_runlog | grep -E '^获得(本地默认|加速服务器)网关' | tail -n 4 | sed 's/^[^：]*：//' | tr '\n' ' '; }
dialled=0
dial() { # waits for the four gateway lines of this connection
  dialled=$((dialled + 1))
  connect
  qvx_wait_log_count "$dialled" '^获得加速服务器网关对应的设备接口为：'
}
outcomes=0
wait_outcome() { # the read-back line that ends a partial relay that was done
  outcomes=$((outcomes + 1))
  qvx_wait_log_count "$outcomes" '^部分中转已生效：' 120
}

# --- A tunnel adapter that never gets the connection's address: looked for a few times on
# the clock, then nothing is changed, and the hang-up has nothing to put back.
iphlp_control "$lan" "adapter $tun gw= type=23 tunnel" "$lan_route"
mark=$(iphlp_log_lines)
dial
[ "$(gateway_lines)" = "192.168.1.1 2  0 " ] || qvx_fail "no address: log shows '$(gateway_lines)'"
qvx_runlog | grep -qx '未找到地址为10.8.0.2的加速连接网卡' || qvx_fail "the missing address is not logged"
[ "$(iphlp_calls_after "$mark" | grep -c '^GetAdaptersInfo buf=null')" = 10 ] ||
  qvx_fail "the adapter list should be read 10 times: $(iphlp_calls_after "$mark" | grep -c '^GetAdaptersInfo buf=null')"
mark=$(iphlp_log_lines)
hang_up
expect_writes "no address, hang-up" "$mark" ""
qvx_runlog | grep -qx '部分中转未生效，路由表无需改回' || qvx_fail "hang-up without changes is not logged"

# --- An adapter appears between the size query and the listing: that listing no longer fits
# its buffer and is asked for again with the size it now needs; the tunnel still has no
# address, so nothing changes.
iphlp_control "adapter 3 addr=10.1.1.5 gw=10.1.1.1 appear=after_query"
mark=$(iphlp_log_lines)
dial
[ "$(gateway_lines)" = "192.168.1.1 2  0 " ] || qvx_fail "grown list: log shows '$(gateway_lines)'"
size=$((2 * IPHLP_ADAPTER_SIZE)) bigger=$((3 * IPHLP_ADAPTER_SIZE))
[ "$(iphlp_calls_after "$mark" | grep '^GetAdaptersInfo' | head -n 3)" = "GetAdaptersInfo buf=null size=0 adapters=2 out_size=$size -> 111
GetAdaptersInfo buf=set size=$size adapters=3 out_size=$bigger -> 111
GetAdaptersInfo buf=set size=$bigger adapters=3 out_size=$bigger indexes=2,$tun,3 -> 0" ] ||
  qvx_fail "grown list: $(iphlp_calls_after "$mark" | head -n 3)"
expect_writes "grown list" "$mark" ""
hang_up

# --- The real thing, the tunnel last in the chain and found by the connection's address
# whatever its index and gateway: one route per row of the other two networks' tables, in
# table order, above the interface metric; the 300th is refused, logged once, and the rest
# go on; then the tunnel's default route loses to the LAN's.
iphlp_control reset "profile $profile" "$lan" "$tunnel" "$lan_route"
expected_rows=$(iphlp_expected_rows "$own" "$tun" "$tun_hop" "$range_metric")
rows=$(grep -c . <<<"$expected_rows")
mark=$(iphlp_log_lines)
run_mark=$(qvx_runlog | wc -l)
iphlp_control "fail CreateIpForwardEntry 87 1 skip=299"
dial
[ "$(gateway_lines)" = "192.168.1.1 2 $shown_gw $tun " ] || qvx_fail "gateways: '$(gateway_lines)'"
wait_outcome
want=$(sed '300s/-> 0$/-> 87/' <<<"$expected_rows"; iphlp_default_set "$tun" "$tun_hop" "$tun_type" "$lowered" 0)
expect_writes "partial relay" "$mark" "$want"
if [ "$profile" = xp ]; then
  ! iphlp_calls_after "$mark" | grep -q '^GetIpInterfaceEntry' || qvx_fail "the XP double has no GetIpInterfaceEntry"
else
  iphlp_calls_after "$mark" | grep -qx "GetIpInterfaceEntry family=2 if=$tun out_metric=$if_metric -> 0" ||
    qvx_fail "the interface metric was not read"
fi
refused=$(sed -n '300s/^CreateIpForwardEntry dest=\([0-9.]*\) mask=\([0-9.]*\) .*/\1\/\2/p' <<<"$expected_rows")
[ "$(qvx_log_count "^路由被拒绝：")" = 1 ] && qvx_runlog | grep -qx "路由被拒绝：$refused，跃点数$range_metric，错误编号：87" ||
  qvx_fail "the refused route should be logged once: $(qvx_runlog | grep '^路由被拒绝' | head -n 3)"
qvx_runlog | grep -qx "部分中转已生效：$((rows - 1))/$rows条路由经加速连接，加速连接默认路由跃点数为$lowered" ||
  qvx_fail "outcome: $(qvx_runlog | grep '^部分中转' | tail -n 1)"
range_routes() { iphlp_routes | grep -c "^route .* $1 type=4 proto=3 age=0 policy=0 nexthopas=0 metric1=$range_metric "; }
[ "$(range_routes "$tun")" = $((rows - 1)) ] || qvx_fail "the table should hold all range routes but the 300th"
iphlp_default_route "$tun" | grep -q " metric1=$lowered " || qvx_fail "tunnel default: $(iphlp_default_route "$tun")"
[ "$(iphlp_default_route 2)" = "$lan_row" ] || qvx_fail "LAN default: $(iphlp_default_route 2)"
qvx_screenshot connected-partial
mark=$(iphlp_log_lines)
hang_up
# Both default rows are named as they are (the LAN's through its gateway) and put back.
expect_writes "hang-up" "$mark" "$(iphlp_default_set "$tun" "$tun_hop" "$tun_type" "$tun_metric" 0
  iphlp_default_set 2 192.168.1.1 3 "$lan_metric" 0)"
[ "$(iphlp_default_route "$tun")" = "$tunnel_row" ] || qvx_fail "tunnel default not restored: $(iphlp_default_route "$tun")"
[ "$(iphlp_default_route 2)" = "$lan_row" ] || qvx_fail "LAN default not as found: $(iphlp_default_route 2)"
order=$(qvx_runlog | tail -n +"$((run_mark + 1))" | grep -E '^(建立加速连接成功！|连接方式为|获得|部分中转已生效|成功挂断连接)' | sed 's/[：:].*//' | tr '\n' ' ')
[ "$order" = "建立加速连接成功！ 连接方式为 获得本地默认网关为 获得本地默认网关对应的设备接口为 获得加速服务器网关为 获得加速服务器网关对应的设备接口为 部分中转已生效 连接方式为 成功挂断连接 " ] ||
  qvx_fail "run-log order: $order"
qvx_runlog | grep -qx '连接方式为：部分中转。正在更改路由表。' && qvx_runlog | grep -qx '连接方式为：部分中转。挂断前正在改回路由表' ||
  qvx_fail "routing lines missing from the run log"
qvx_log "$profile: checked $rows route rows ($network: the CNC and CERNET tables)"

# --- Another VPN's PPP adapter is up too, first in the list: the tunnel is still the one
# holding the connection's address.
iphlp_control reset "profile $profile" "adapter $other addr=10.9.0.2/255.255.255.255 gw=$tun_gw type=23" \
  "$lan" "$tunnel" "$lan_route"
mark=$(iphlp_log_lines)
dial
[ "$(gateway_lines)" = "192.168.1.1 2 $shown_gw $tun " ] || qvx_fail "two PPP adapters: '$(gateway_lines)'"
wait_outcome
want=$(echo "$expected_rows"; iphlp_default_set "$tun" "$tun_hop" "$tun_type" "$lowered" 0)
expect_writes "two PPP adapters" "$mark" "$want"

# --- The connection's address cannot be asked for: the tunnel is then the one PPP adapter (as
# GetAdaptersInfo types it); with two of them nothing tells which, and nothing is changed.
refuse_projection() { printf 'fail RasGetProjectionInfoW 731 1\n' >>"$QVX_PROGRAM_UNIX/ras_double_control.txt"; }
hang_up
refuse_projection
iphlp_control reset "profile $profile" "adapter $other addr=10.9.0.2/255.255.255.255 gw=$tun_gw type=23" \
  "$lan" "$tunnel" "$lan_route"
mark=$(iphlp_log_lines)
dial
qvx_wait_log_count 1 '^发现多个拨号连接，无法确定加速连接网卡$'
expect_writes "two PPP adapters, no address" "$mark" ""
hang_up
refuse_projection
iphlp_control reset "profile $profile" "$lan" "$tunnel" "$lan_route"
mark=$(iphlp_log_lines)
dial
[ "$(gateway_lines)" = "192.168.1.1 2 $shown_gw $tun " ] || qvx_fail "tunnel by its type: '$(gateway_lines)'"
wait_outcome
expect_writes "tunnel by its type" "$mark" "$want"
[ "$(qvx_log_count '^获取加速连接地址失败，错误编号：731$')" = 2 ] ||
  qvx_fail "refused address queries logged: $(qvx_log_count '^获取加速连接地址失败')"

# --- A drop: the program cleans up and reports it, and touches no route.
mark=$(iphlp_log_lines)
run_lines=$(qvx_runlog | wc -l)
printf 'drop all\n' >"$QVX_PROGRAM_UNIX/ras_double_control.txt"
qvx_ui_until 60 '网络原因，异常中断' box
qvx_screenshot dropped
qvx_ui_do "the drop message" box_ok
qvx_ui_until 20 1 enabled "$QVX_STATUS" 连接
expect_writes "drop" "$mark" ""
[ "$(qvx_runlog | wc -l)" = "$run_lines" ] || qvx_fail "the drop wrote to the run log: $(qvx_runlog | tail -n +"$((run_lines + 1))")"

# --- Full relay: no routing call at all, no routing line in the run log.
qvx_ui_do "the relay box" select "$QVX_STATUS" 完全中转
qvx_ui_until 10 完全中转 selected "$QVX_STATUS" 3
qvx_screenshot full-relay
mark=$(iphlp_log_lines)
run_mark=$(qvx_runlog | wc -l)
connect
qvx_wait_log_count $((dialled + 1)) '^建立加速连接成功！$'
hang_up
expect_writes "full relay" "$mark" ""
! qvx_runlog | tail -n +"$((run_mark + 1))" | grep -qE '^(连接方式为|获得)' || qvx_fail "routing lines in full relay"
qvx_pass
