#!/bin/bash
# A DLL saved beside the program under the name of a system DLL that is not a KnownDLL (as in a
# Downloads folder) is never loaded: the program starts, logs in, connects and opens the speed
# test with rasapi32 and iphlpapi from the system folder (the doubles) while a planted DLL of
# each name it binds at run time, and would have imported, lies beside it. Wine is told to
# prefer a native DLL of each name, so that the planted one would win wherever the search
# found it.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
: "${QVX_NATIVE_BUILD:?QVX_NATIVE_BUILD must name the native build directory}"
ras=$QVX_BUILD/tools/ras_double/rasapi32.dll
iphlp=$QVX_BUILD/tools/iphlp_double/iphlpapi.dll
planted=$QVX_BUILD/planted_dll.dll
for f in "$ras" "$iphlp" "$planted" "$QVX_BUILD/nettest.exe"; do [ -f "$f" ] || qvx_fail "$f not built"; done
names=(rasapi32 iphlpapi secur32 urlmon)
qvx_setup

qvx_start_demo_service nodes=2,notice=0,tips=0
files=("$QVX_BUILD/nettest.exe")
for name in "${names[@]}"; do files+=("$planted=$name.dll"); done
qvx_install_with_doubles "$ras" "$iphlp" "${files[@]}"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;secur32=n,b;urlmon=n,b"

# Each planted DLL that was loaded, and by which program.
planted_loaded() {
  local f
  for f in "$QVX_PROGRAM_UNIX"/*.loaded; do
    if [ -e "$f" ]; then printf '%s by %s; ' "$(basename "$f" .loaded)" "$(tr -d '\r' <"$f" | paste -sd,)"; fi
  done
}

qvx_ui_start
qvx_start
qvx_log_in_as_demo
# An imported DLL is loaded before the window shows.
[ -z "$(planted_loaded)" ] || qvx_fail "planted DLLs were loaded at the start: $(planted_loaded)"
qvx_ui_until 30 1 enabled "$QVX_STATUS" 连接
qvx_ui_click "$QVX_STATUS" 连接
qvx_wait_log_count 1 '^建立加速连接成功！$'
qvx_ui_click "$QVX_STATUS" 速度测试
qvx_wait_window 'Quovix加速 - 速度测试' >/dev/null
qvx_stop_all

[ -z "$(planted_loaded)" ] || qvx_fail "planted DLLs were loaded: $(planted_loaded)"
# The doubles in the system folder did the work.
LC_ALL=C grep -aq '^RasDialW .* -> 0$' "$QVX_PROGRAM_UNIX/ras_double_log.txt" ||
  qvx_fail "the RAS double in the system folder did not dial"
[ -s "$QVX_PROGRAM_UNIX/iphlp_double_log.txt" ] || qvx_fail "the IP Helper double in the system folder was not called"
qvx_pass
