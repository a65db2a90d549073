#!/bin/bash
# The real program's automatic node choice through the real ICMP library, in a network
# namespace of the test's own: 48 nodes whose echoes go out and are never answered (each
# probe times out) and one node that answers. The program must pick the answering node, and
# the whole choice must take about one node's two timeouts, not the sum over all nodes.
if [ -z "${QVX_IN_NETNS:-}" ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "[test_node_choice] FAIL: a network namespace of its own needs root (run the tests as root)" >&2
    exit 1
  fi
  # Everything, the wineserver and the demo service too, runs inside the namespace.
  exec unshare -n -m env QVX_IN_NETNS=1 bash "$0" "$@"
fi
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
: "${QVX_NATIVE_BUILD:?QVX_NATIVE_BUILD must name the native build directory}"
service=$QVX_NATIVE_BUILD/tools/demo_service/demo_service
double=$QVX_BUILD/tools/ras_double/rasapi32.dll
[ -x "$service" ] || qvx_fail "no demo service at $service"

# Nodes 10.77.0.1-48 sit behind a link that drops what it is sent; 10.77.0.49 is our own
# address on it and answers. Fixed neighbour entries keep address resolution out of the way,
# so the silent nodes' echoes really time out instead of failing early.
ip link set lo up
ip link add qvx0 type veth peer name qvx1
ip link set qvx0 up
ip link set qvx1 up
ip addr add 10.77.0.49/24 dev qvx0
for n in $(seq 1 48); do
  ip neigh replace "10.77.0.$n" lladdr "$(printf '02:00:00:00:00:%02x' "$n")" dev qvx0 nud permanent
done
# Nothing may resolve names off this namespace.
printf 'nameserver 127.0.0.1\n' >"$qvx_tmp/resolv.conf"
mount --bind "$qvx_tmp/resolv.conf" /etc/resolv.conf

qvx_setup
"$service" --port "$QVX_DEMO_PORT" --scenario nodes=49,node_net=10.77.0,notice=0,tips=0 \
  >"$qvx_tmp/service.out" 2>&1 &
qvx_stop_on_exit $!
qvx_poll 10 "demo service" bash -c "exec 3<>/dev/tcp/127.0.0.1/$QVX_DEMO_PORT"

routes=()
for f in "$QVX_SOURCE"/route/*.dat; do routes+=("$f=route/$(basename "$f")"); done
qvx_install 'C:\Quovix' "$QVX_BUILD/quovix.exe" "${routes[@]}"
qvx_install_system_dlls "$double"
log=qvxl.log

qvx_ui_start
qvx_start
qvx_log_in_as_demo
qvx_wait_log_line "$log" '更新服务器列表成功'
qvx_ui_until 30 1 enabled "$QVX_STATUS" 连接
# "连接" with "自动选择" as the node.
qvx_ui_until 10 自动选择 selected "$QVX_STATUS" 1
qvx_ui_click "$QVX_STATUS" 连接 30

# Both lines are timed as they appear, finer than the log's whole seconds.
log_unix=$(qvx_resolve "$log")
now() { date +%s%N; }
seen() { qvx__grep_gbk "$log_unix" "$1"; }
end=$((SECONDS + $(qvx_bound 60)))
started='' chosen=''
until [ -n "$chosen" ]; do
  [ "$SECONDS" -lt "$end" ] || qvx_fail "no node choice within 60 s"
  [ -z "$started" ] && seen '用户选择自动判断线路' && started=$(now)
  [ -n "$started" ] && seen '自动判断加速节点为：' && chosen=$(now)
  sleep 0.05
done
qvx_screenshot chosen

choice=$(qvx_gbk "$log_unix" | tr -d '\r' | grep -o '自动判断加速节点为：.*' | head -n1)
[ "$choice" = "自动判断加速节点为：扩展节点49" ] || qvx_fail "chose '$choice', not the answering node 49"
# The run log's own clock: whole seconds between the start of the line check and the choice.
stamp() { qvx_gbk "$log_unix" | tr -d '\r' | grep -m1 "$1" | sed -E 's/^\[[^ ]+ ([0-9:]+)\].*/\1/'; }
seconds_of() { IFS=: read -r h m s <<<"$1" && echo $((10#$h * 3600 + 10#$m * 60 + 10#$s)); }
logged=$(($(seconds_of "$(stamp '自动判断加速节点为：')") - $(seconds_of "$(stamp '用户选择自动判断线路')")))
measured_ms=$(((chosen - started) / 1000000))
qvx_log "node choice over 49 nodes (48 silent): ${measured_ms} ms measured, ${logged} s in the run log"
[ "$logged" -le 4 ] || qvx_fail "the choice took $logged s by the run log, more than 4 s"
qvx_pass
