#!/bin/bash
# System DLLs come from the system folder: an ICMP.DLL planted in the program's folder is
# never loaded (it is the IP Helper double under that name, which would log the echo it
# answered beside itself). And the exe imports nothing that Windows Vista lacks, so that the
# loader does not refuse it there; such functions are bound at run time.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
exe=$QVX_BUILD/quovix.exe
probe=$QVX_BUILD/ping_probe.exe
decoy=$QVX_BUILD/tools/iphlp_double/iphlpapi.dll
for f in "$exe" "$probe" "$decoy"; do [ -f "$f" ] || qvx_fail "$f not built"; done

imports=$(objdump -p "$exe")
grep -q 'DLL Name: USER32.dll' <<<"$imports" || qvx_fail "no import table read from $exe"
# Windows 7 and later only.
! grep -qE '\bChangeWindowMessageFilterEx\b' <<<"$imports" ||
  qvx_fail "ChangeWindowMessageFilterEx is imported, so the exe cannot load on Vista"

qvx_setup
# A folder name the double's ANSI file paths can hold, so that it logs when it is loaded.
qvx_install 'C:\SystemDlls' "$probe" "$decoy=ICMP.DLL"
# Native first, so that the decoy would win wherever the search finds it.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;icmp=n,b"
got=$(cd "$QVX_PROGRAM_UNIX" && timeout "$(qvx_bound "$QVX_TIMEOUT")" wine ping_probe.exe ping 127.0.0.1 2>>"$qvx_tmp/wine.out" | tr -d '\r')
[ ! -e "$QVX_PROGRAM_UNIX/iphlp_double_log.txt" ] ||
  qvx_fail "the ICMP.DLL in the program folder was loaded: $(head -n 3 "$QVX_PROGRAM_UNIX/iphlp_double_log.txt")"
[[ $got =~ ^ok\ 127\.0\.0\.1\  ]] || qvx_fail "echo through the system's ICMP.DLL: '$got'"
qvx_pass
