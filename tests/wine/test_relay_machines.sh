#!/bin/bash
# Partial relay in the real program under Wine on every Vista-and-later machine profile
# (tests/profiles): each is loaded into the IP Helper double with the program's own address on
# its LAN adapter, then a connection is made. Afterwards the table must hold one route per range
# of the other networks through our tunnel, and the best default route must be the LAN's (the
# adapter holding the program's address), whatever the other adapters, default routes and a
# SetIpForwardEntry that ignores metric1. The XP profile needs the XP build of the double and
# has its own test (test_partial_relay_xp.sh).
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/wine/iphlp_double.sh
source "$(dirname "$0")/iphlp_double.sh"
: "${QVX_NATIVE_BUILD:?QVX_NATIVE_BUILD must name the native build directory}"
ras=$QVX_BUILD/tools/ras_double/rasapi32.dll
iphlp=$QVX_BUILD/tools/iphlp_double/iphlpapi.dll
[ -f "$ras" ] && [ -f "$iphlp" ] || qvx_fail "test doubles not built"
qvx_setup

qvx_start_demo_service notice=0,tips=0
qvx_install_with_doubles "$ras" "$iphlp"
log=qvxl.log
qvx_ui_start
qvx_start
qvx_log_in_as_demo
qvx_wait_log_line "$log" '本机的内网IP为'
qvx_ui_until 30 1 enabled "$QVX_STATUS" 连接
local_ip=$(qvx_runlog | sed -n 's/^本机的内网IP为[:：]//p' | tail -n1)
own=$(iphlp_network_file "$(qvx_runlog | sed -n 's/^本机的网络类型为[:：]//p' | tail -n1)")
[ -n "$local_ip" ] || qvx_fail "no local address in the run log"

# Our tunnel, as a full-tunnel dial brings it up: its default route beats every LAN's until
# partial relay moves it behind.
tun=23
tunnel="adapter $tun addr=10.8.0.2/255.255.255.255 gw= type=23 metric=5 tunnel"
# The ranges partial relay must route through the tunnel, as DEST MASK pairs.
wanted=$(iphlp_expected_rows "$own" "$tun" 0.0.0.0 0 | sed 's/^CreateIpForwardEntry dest=\([0-9.]*\) mask=\([0-9.]*\) .*/\1 \2/' | sort)
rows=$(grep -c . <<<"$wanted")

dialled=0 outcomes=0
for profile in "$QVX_SOURCE"/tests/profiles/*.txt; do
  name=$(basename "$profile" .txt)
  grep -qx 'profile xp' "$profile" && continue
  mapfile -t lines < <(grep -vE '^(#|$)' "$profile" | sed "s/192\.168\.1\.100\//$local_ip\//")
  iphlp_control reset "${lines[@]}" "$tunnel"
  dialled=$((dialled + 1)) outcomes=$((outcomes + 1))
  qvx_ui_click "$QVX_STATUS" 连接 60
  qvx_wait_log_count "$dialled" '^获得加速服务器网关对应的设备接口为：'
  qvx_wait_log_count "$outcomes" '^部分中转已生效：' 120
  table=$(iphlp_routes)
  through=$(awk -v t="$tun" '$1 == "route" && $5 == t && $2 != "0.0.0.0" { print $2, $3 }' <<<"$table" | sort)
  [ "$through" = "$wanted" ] ||
    qvx_fail "$name: range routes through the tunnel differ: $(diff <(echo "$wanted") <(echo "$through") | head -n 6)"
  lan_if=$(awk -v ip="$local_ip" '$1 == "adapter" && $0 ~ "addr=" ip "/" { print $2 }' <<<"$(printf '%s\n' "${lines[@]}")")
  best=$(awk '$1 == "route" && $2 == "0.0.0.0" && $3 == "0.0.0.0" {
      m = 0; for (i = 6; i <= NF; i++) if ($i ~ /^metric1=/) m = substr($i, 9)
      print m + 0, $5 }' <<<"$table" | sort -n | head -n 1)
  [ "${best#* }" = "$lan_if" ] || qvx_fail "$name: the best default route is on interface ${best#* } (metric ${best% *}), not the LAN's $lan_if: $(grep '^route 0.0.0.0 0.0.0.0 ' <<<"$table")"
  if grep -qx 'ignore_set_metric 1' "$profile"; then
    qvx_runlog | grep -q '^默认路由跃点数未被修改（接口'"$tun"'，' &&
      qvx_runlog | grep -q '^已用SetIpForwardEntry2修改默认路由：接口'"$tun"'，' ||
      qvx_fail "$name: the run log does not name the way the metric was changed: $(qvx_runlog | grep -E 'SetIpForwardEntry2|默认路由' | tail -n 3)"
  fi
  qvx_log "$name: $rows ranges through the tunnel, the LAN's default route (interface $lan_if) wins"
  n=$(($(qvx_log_count '^成功挂断连接$') + 1))
  qvx_ui_click "$QVX_STATUS" 挂断 120
  qvx_wait_log_count "$n" '^成功挂断连接$'
done
qvx_pass
