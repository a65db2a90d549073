#!/bin/bash
# Win32Downloader under Wine against the demo service: a 200 reply is saved, 404 and 500
# replies and a refused connection fail and leave no file, and a Chinese file name works.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
: "${QVX_NATIVE_BUILD:?QVX_NATIVE_BUILD must name the native build directory}"
service=$QVX_NATIVE_BUILD/tools/demo_service/demo_service
probe=$QVX_BUILD/download_probe.exe
[ -x "$service" ] || qvx_fail "no demo service at $service"
[ -f "$probe" ] || qvx_fail "no probe at $probe"
qvx_setup

# Starts a demo service on a free port; sets service_pid and service_port.
start_service() {
  local port_file=$qvx_tmp/port.$1
  "$service" --port 0 --port-file "$port_file" --log "$qvx_tmp/requests.$1" \
    >"$qvx_tmp/service.$1" 2>&1 &
  service_pid=$!
  qvx_poll 10 "demo service $1" test -s "$port_file"
  service_port=$(cat "$port_file")
}
start_service refused
refused_port=$service_port
kill "$service_pid"
wait "$service_pid" 2>/dev/null || true
start_service main
qvx_stop_on_exit "$service_pid"

out='C:\dl'
out_unix=$(qvx_unix_path "$out")
mkdir -p "$out_unix"
printf 'stale' >"$out_unix/404.txt"
base=http://127.0.0.1:$service_port
QVX_TIMEOUT=60
timeout "$(qvx_bound "$QVX_TIMEOUT")" wine "$probe" \
  "$base/ClientComm/list.asp?u=demo&t=abcde" "$out\\200.txt" \
  "$base/nothing.asp" "$out\\404.txt" \
  "http://localhost:$service_port/ClientComm/log1.asp?u=demo:demo123&t=abcde" "$out\\*" \
  "$base/control?scenario=dead=500" "$out\\control.txt" \
  "$base/ClientComm/log2.asp?u=demo:demo123&t=abcde" "$out\\500.txt" \
  "http://127.0.0.1:$refused_port/ClientComm/log1.asp?u=demo:demo123&t=abcde" "$out\\refused.txt" \
  >"$qvx_tmp/probe.out" 2>>"$qvx_tmp/wine.out" || qvx_fail "probe did not finish"
cat "$qvx_tmp/probe.out" >&2

# Line N of the probe's output; each is "result=0x... status=N url=...".
result() { sed -n "$1p" "$qvx_tmp/probe.out" | tr -d '\r' | cut -d' ' -f1-2; }
[ "$(result 1)" = "result=0x00000000 status=200" ] || qvx_fail "200 reply: $(result 1)"
head -n1 "$out_unix/200.txt" | tr -d '\r' | grep -qx '1 0' || qvx_fail "200 body not saved"
qvx_gbk "$out_unix/200.txt" | grep -q '^127\.0\.1\.1@北京电信' || qvx_fail "200 body not GBK as sent"

[ "$(result 2)" = "result=0x800c0008 status=404" ] || qvx_fail "404 reply: $(result 2)"
[ ! -e "$out_unix/404.txt" ] || qvx_fail "404 reply left a file"

[ "$(result 3)" = "result=0x00000000 status=200" ] || qvx_fail "GBK path: $(result 3)"
grep -q '^200@' "$out_unix/下载测试.txt" || qvx_fail "no file under the Chinese name"

[ "$(result 4)" = "result=0x00000000 status=200" ] || qvx_fail "control: $(result 4)"
[ "$(result 5)" = "result=0x800c0008 status=500" ] || qvx_fail "500 reply: $(result 5)"
[ ! -e "$out_unix/500.txt" ] || qvx_fail "500 reply left a file"

case $(result 6) in
  "result=0x00000000 "*) qvx_fail "refused connection reported success" ;;
  *" status=0") ;;
  *) qvx_fail "refused connection: $(result 6)" ;;
esac
[ ! -e "$out_unix/refused.txt" ] || qvx_fail "refused connection left a file"

grep -qxF 'GET /ClientComm/log1.asp?u=demo:demo123&t=abcde' "$qvx_tmp/requests.main" ||
  qvx_fail "service did not log the verification request as sent"
qvx_pass
