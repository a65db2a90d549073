#!/bin/bash
# Echo probes and the node choice through the real ICMP.DLL and Windows Sockets under Wine:
# on loopback first, then inside a network namespace of the test's own, where a host that
# ignores echoes, a prohibited address and a name that cannot resolve can be arranged.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
qvx_setup
qvx_install 'C:\回显测试' "$QVX_BUILD/ping_probe.exe"

probe() {
  (cd "$QVX_PROGRAM_UNIX" && timeout "$(qvx_bound "$QVX_TIMEOUT")" wine ping_probe.exe "$@" 2>>"$qvx_tmp/wine.out" |
    iconv -f GBK -t UTF-8 | tr -d '\r' | tr '\n' ' ' | sed 's/ $//')
}
# The whole output against an extended regex.
expect() {
  local what=$1 want=$2 got=$3
  [[ $got =~ ^$want$ ]] || qvx_fail "$what: got '$got', expected '$want'"
}
OK='ok 127\.0\.0'
MS='[0-9]+' # the round trip in milliseconds

expect "winsock" "asked 1\.1 obtained 1\.1 asked 2\.0 obtained 2\.0" "$(probe winsock)"
expect "dotted address" "$OK\.1 $MS" "$(probe ping 127.0.0.1)"
expect "other loopback address" "$OK\.9 $MS" "$(probe ping 127.0.0.9)"
expect "localhost from the hosts file" "$OK\.1 $MS" "$(probe ping localhost)"
expect "payload smaller than eight bytes" "$OK\.1 $MS" "$(probe ping 127.0.0.1 0)"
expect "largest payload" "$OK\.1 $MS" "$(probe ping 127.0.0.1 255)"
expect "loopback nodes" "best [12]" "$(probe choose 127.0.0.2 127.0.0.3)"
qvx_gbk "$QVX_PROGRAM_UNIX/qvxl.log" | tr -d '\r' | grep -Eq '自动判断加速节点为：node[12]$' ||
  qvx_fail "no choice in the run log"

# The rest runs in a namespace of its own: its loopback, its routes, a resolver that answers
# nothing. The prefix's wineserver must start in there too.
wineserver -k 2>/dev/null || true
wineserver -w
printf 'nameserver 127.0.0.1\n' >"$qvx_tmp/resolv.conf"
export -f probe qvx_bound
export qvx_tmp QVX_PROGRAM_UNIX QVX_TIMEOUT QVX_SLOW
# shellcheck disable=SC2016 # expanded by the inner shell
ns_out=$(unshare -n -m bash -c '
  set -e
  mount --bind "$qvx_tmp/resolv.conf" /etc/resolv.conf
  ip link set lo up
  echo "plain=$(probe ping 127.0.0.1)"
  sysctl -q -w net.ipv4.icmp_echo_ignore_all=1
  echo "ignored=$(probe ping 127.0.0.1 32 300)"
  sysctl -q -w net.ipv4.icmp_echo_ignore_all=0
  ip route add prohibit 127.0.0.5/32 table local
  echo "prohibited=$(probe ping 127.0.0.5)"
  echo "choice=$(probe choose 127.0.0.5 127.0.0.6)"
  echo "unresolved=$(probe ping no-such-node.invalid)"
  wineserver -k 2>/dev/null || true
  wineserver -w
') || qvx_fail "namespace steps failed: $ns_out"
qvx_log "$ns_out"

step() { grep "^$1=" <<<"$ns_out" | cut -d= -f2-; }
expect "in the namespace" "$OK\.1 $MS" "$(step plain)"
expect "echo ignored" "failed 11010" "$(step ignored)"
expect "prohibited address" "failed 11050" "$(step prohibited)"
expect "prohibited node loses" "best 2" "$(step choice)"
expect "unresolvable name" "failed [0-9]+ box ERROR\|无法解析主机名：no-such-node\.invalid" \
  "$(step unresolved)"
qvx_pass
