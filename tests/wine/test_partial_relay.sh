#!/bin/bash
# Partial relay in the real program under Wine, over our RAS and IP Helper test doubles: every
# routing call it makes is read back from the IP Helper double's call log and routing table and
# compared with the shipped route files and the network the login identified. One login, then
# connections one after the other, each with its own adapter list or fault; the first two run
# while the program has found no gateway yet, since a found one is kept for later connections.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/wine/iphlp_double.sh
source "$(dirname "$0")/iphlp_double.sh"
: "${QVX_NATIVE_BUILD:?QVX_NATIVE_BUILD must name the native build directory}"
service=$QVX_NATIVE_BUILD/tools/demo_service/demo_service
ras=$QVX_BUILD/tools/ras_double/rasapi32.dll
iphlp=$QVX_BUILD/tools/iphlp_double/iphlpapi.dll
[ -x "$service" ] || qvx_fail "no demo service at $service"
[ -f "$ras" ] && [ -f "$iphlp" ] || qvx_fail "test doubles not built"
qvx_setup

"$service" --port "$QVX_DEMO_PORT" --scenario notice=0,tips=0 >"$qvx_tmp/service.out" 2>&1 &
qvx_stop_on_exit $!
qvx_poll 10 "demo service" bash -c "exec 3<>/dev/tcp/127.0.0.1/$QVX_DEMO_PORT"
routes=()
for f in "$QVX_SOURCE"/route/*.dat; do routes+=("$f=route/$(basename "$f")"); done
qvx_install 'C:\Quovix' "$QVX_BUILD/quovix.exe" "$ras" "$iphlp" "${routes[@]}"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;rasapi32=n;iphlpapi=n"
log=qvxl.log
runlog() { qvx_gbk "$QVX_PROGRAM_UNIX/$log" | tr -d '\r' | sed 's/^\[[^]]*\]  //'; }
count() { runlog | grep -cE -- "$1" || true; }
at_least() { [ "$(count "$2")" -ge "$1" ]; }
wait_count() { qvx_poll "${3:-60}" "$2 x$1" at_least "$1" "$2"; }
expect_calls() { # WHAT MARK EXPECTED: the routing calls after MARK, exactly
  local got
  got=$(iphlp_calls_after "$2")
  [ "$got" = "$3" ] || qvx_fail "$1: routing calls differ: $(diff <(echo "$3") <(echo "$got") | head -n 8)"
}

qvx_start
qvx_log_in_as_demo
qvx_wait_log_line "$log" '本机的内网IP为'
status=$(qvx_wait_window '^Quovix加速')
local_ip=$(runlog | sed -n 's/^本机的内网IP为[:：]//p' | tail -n1)
network=$(runlog | sed -n 's/^本机的网络类型为[:：]//p' | tail -n1)
own=$(iphlp_network_file "$network")
[ "$own" = CHINANET ] || qvx_fail "demo should be identified as 中国电信, not '$network'"
[ -n "$local_ip" ] || qvx_fail "no local address in the run log"
# The logins' echoes went through the double's echo functions.
grep -qE "^IcmpSendEcho .* payload=45\*32 ttl=[0-9]+ .* out_status=0 .* -> 0$" "$(iphlp_file "$IPHLP_LOG")" ||
  qvx_fail "the login's echo probes did not reach the double"

lan="adapter 2 addr=$local_ip/255.255.255.0 gw=192.168.1.1"
lan_route="route 0.0.0.0 0.0.0.0 192.168.1.1 2 metric1=20"
connect() { qvx_click_in "$status" 240 350; }
hang_up() {
  local n
  n=$(($(count '^成功挂断连接$') + 1))
  connect
  wait_count "$n" '^成功挂断连接$'
}
gateway_lines() { runlog | grep -E '^获得(本地默认|加速服务器)网关' | tail -n 4 | sed 's/^[^：]*：//' | tr '\n' ' '; }
dialled=0
# The last routing call of a connection: the tunnel's default route.
updated_since() { iphlp_calls_after "$1" | grep -q '^SetIpForwardEntry'; }
wait_default_update() { qvx_poll 120 "the default-route update" updated_since "$1"; }
dial() { # waits for the four gateway lines of this connection
  dialled=$((dialled + 1))
  connect
  wait_count "$dialled" '^获得加速服务器网关对应的设备接口为：'
}

# --- No gateway at all: the routing table is left alone; hang-up still sets both defaults.
iphlp_control "adapter 2 addr=$local_ip/255.255.255.0" "adapter 65539 gw= type=23 tunnel" "$lan_route"
mark=$(iphlp_log_lines)
dial
[ "$(gateway_lines)" = " 2  0 " ] || qvx_fail "no gateway: log shows '$(gateway_lines)'"
expect_calls "no gateway" "$mark" "$(iphlp_listing 2 2,65539)"
mark=$(iphlp_log_lines)
hang_up
expect_calls "no gateway, hang-up" "$mark" "$(iphlp_default_set 0 1 2; iphlp_default_set 2 100 1168)"

# --- An adapter appears between the size query and the listing: the listing no longer fits
# the buffer and is asked for again with the size it now needs. The new adapter carries no
# gateway of the client's, so nothing changes.
iphlp_control "adapter 3 addr=10.1.1.5 gw=10.1.1.1 appear=after_query"
mark=$(iphlp_log_lines)
dial
[ "$(gateway_lines)" = " 2  0 " ] || qvx_fail "grown list: log shows '$(gateway_lines)'"
size=$((2 * IPHLP_ADAPTER_SIZE)) bigger=$((3 * IPHLP_ADAPTER_SIZE))
expect_calls "grown list" "$mark" "GetAdaptersInfo buf=null size=0 adapters=2 out_size=$size -> 111
GetAdaptersInfo buf=set size=$size adapters=3 out_size=$bigger -> 111
GetAdaptersInfo buf=set size=$bigger adapters=3 out_size=$bigger indexes=2,65539,3 -> 0"
hang_up

# --- The real thing, the tunnel last in the chain: one route per row of the other two
# networks' tables, in table order, then the tunnel's default route loses to the LAN's.
: >"$(iphlp_file "$IPHLP_STATE")"
iphlp_control "$lan" "adapter 65539 gw=10.8.0.1 type=23 tunnel" "$lan_route"
expected_rows=$(iphlp_expected_rows "$own" 65539)
rows=$(grep -c . <<<"$expected_rows")
mark=$(iphlp_log_lines)
run_mark=$(runlog | wc -l)
dial
[ "$(gateway_lines)" = "192.168.1.1 2 10.8.0.1 65539 " ] || qvx_fail "gateways: '$(gateway_lines)'"
wait_default_update "$mark"
calls=$(iphlp_calls_after "$mark" | iphlp_without_questions) || qvx_fail "$calls"
[ "$calls" = "$(iphlp_listing 2 2,65539; echo "$expected_rows"; iphlp_default_set 65539 100 0)" ] ||
  qvx_fail "partial relay calls differ: $(diff <(iphlp_listing 2 2,65539; echo "$expected_rows"; iphlp_default_set 65539 100 0) <(echo "$calls") | head -n 8)"
range_routes() { grep -c "^route .* $1 type=4 proto=3 age=0 policy=0 nexthopas=0 metric1=1 " "$(iphlp_file "$IPHLP_STATE")"; }
[ "$(range_routes 65539)" = "$rows" ] ||
  qvx_fail "the routing table does not hold the $rows range routes"
iphlp_default_route 65539 | grep -q ' metric1=100 ' || qvx_fail "tunnel default: $(iphlp_default_route 65539)"
iphlp_default_route 2 | grep -q ' metric1=20 ' || qvx_fail "LAN default: $(iphlp_default_route 2)"
qvx_screenshot connected-partial
mark=$(iphlp_log_lines)
hang_up
# The LAN's default route goes through its gateway, so an update naming next hop 0.0.0.0
# finds no route there (ERROR_NOT_FOUND) and the LAN keeps its metric.
expect_calls "hang-up" "$mark" "$(iphlp_default_set 65539 1 0; iphlp_default_set 2 100 1168)"
iphlp_default_route 65539 | grep -q ' metric1=1 ' || qvx_fail "tunnel default not restored: $(iphlp_default_route 65539)"
iphlp_default_route 2 | grep -q ' metric1=20 ' || qvx_fail "LAN default: $(iphlp_default_route 2)"
order=$(runlog | tail -n +"$((run_mark + 1))" | grep -E '^(建立加速连接成功！|连接方式为|获得|成功挂断连接)' | sed 's/[：:].*//' | tr '\n' ' ')
[ "$order" = "建立加速连接成功！ 连接方式为 获得本地默认网关为 获得本地默认网关对应的设备接口为 获得加速服务器网关为 获得加速服务器网关对应的设备接口为 连接方式为 成功挂断连接 " ] ||
  qvx_fail "run-log order: $order"
runlog | grep -qx '连接方式为：部分中转。正在更改路由表。' && runlog | grep -qx '连接方式为：部分中转。挂断前正在改回路由表' ||
  qvx_fail "routing lines missing from the run log"
qvx_log "checked $rows route rows ($network: the CNC and CERNET tables)"

# --- The tunnel first in the chain, and the 300th route refused: that one row is missing, the
# rest and the default-route update go on.
: >"$(iphlp_file "$IPHLP_STATE")"
iphlp_control "adapter 65539 gw=10.8.0.1 type=23 tunnel" "$lan" "$lan_route" "fail CreateIpForwardEntry 31 1 skip=299"
mark=$(iphlp_log_lines)
dial
[ "$(gateway_lines)" = "192.168.1.1 2 10.8.0.1 65539 " ] || qvx_fail "tunnel first: '$(gateway_lines)'"
wait_default_update "$mark"
calls=$(iphlp_calls_after "$mark" | iphlp_without_questions) || qvx_fail "$calls"
want=$(iphlp_listing 2 65539,2; sed '300s/-> 0$/-> 31/' <<<"$expected_rows"; iphlp_default_set 65539 100 0)
[ "$calls" = "$want" ] || qvx_fail "300th refused: $(diff <(echo "$want") <(echo "$calls") | head -n 8)"
[ "$(range_routes 65539)" = $((rows - 1)) ] ||
  qvx_fail "the table should hold all range routes but the 300th"
hang_up

# --- Two tunnel adapters: the later one in the list is taken; the range routes go where the
# system's best interface says, which is the first tunnel's default route.
: >"$(iphlp_file "$IPHLP_STATE")"
iphlp_control "$lan" "adapter 65539 gw=10.8.0.1 type=23 tunnel" "adapter 65540 gw=10.9.0.1 type=23 tunnel" "$lan_route"
mark=$(iphlp_log_lines)
dial
[ "$(gateway_lines)" = "192.168.1.1 2 10.9.0.1 65540 " ] || qvx_fail "two tunnels: '$(gateway_lines)'"
wait_default_update "$mark"
calls=$(iphlp_calls_after "$mark" | iphlp_without_questions) || qvx_fail "$calls"
want=$(iphlp_listing 3 2,65539,65540; echo "$expected_rows"; iphlp_default_set 65540 100 0)
[ "$calls" = "$want" ] || qvx_fail "two tunnels: $(diff <(echo "$want") <(echo "$calls") | head -n 8)"

# --- A drop: the program cleans up and reports it, and touches no route.
mark=$(iphlp_log_lines)
run_lines=$(runlog | wc -l)
before=$(qvx_windows '^Quovix加速$')
new_box() { qvx_windows '^Quovix加速$' | grep -vxF -- "$before" || true; }
printf 'drop all\n' >"$QVX_PROGRAM_UNIX/ras_double_control.txt"
has_new_box() { [ -n "$(new_box)" ]; }
qvx_poll 60 "the drop message" has_new_box
qvx_screenshot dropped
qvx_key_to "$(new_box | head -n 1)" Return
sleep 2
expect_calls "drop" "$mark" ""
[ "$(runlog | wc -l)" = "$run_lines" ] || qvx_fail "the drop wrote to the run log: $(runlog | tail -n +"$((run_lines + 1))")"

# --- Full relay: no routing call at all, no routing line in the run log.
qvx_click_in "$status" 218 313
sleep 0.5
qvx_key Down Return
sleep 0.5
qvx_screenshot full-relay
mark=$(iphlp_log_lines)
run_mark=$(runlog | wc -l)
connect
wait_count $((dialled + 1)) '^建立加速连接成功！$'
sleep 2
hang_up
expect_calls "full relay" "$mark" ""
! runlog | tail -n +"$((run_mark + 1))" | grep -qE '^(连接方式为|获得)' || qvx_fail "routing lines in full relay"
qvx_pass
