#!/bin/bash
# The setup's upgrades that used to strand the user: the zip unpacked by hand into the default
# folder, a running client (asked to end), a client that does not end, a file held open by a
# program the setup cannot ask (another session's), and an older setup over a newer program.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"

release=$("$QVX_SOURCE/scripts/release.sh" --demo)
stage=$QVX_RELEASE_DIR/Quovix
zip=$(sed -n 1p <<<"$release")
setup=$(sed -n 2p <<<"$release")
if [ "$QVX_ARCH" = win64 ]; then
  program=$stage/quovix64.exe
else
  program=$stage/quovix.exe
fi

qvx_setup
cp "$setup" "$(qvx_unix_path 'C:\setup.exe')"
QVX_CWD=$(qvx_unix_path 'C:\')
default_dir='C:\Program Files\Quovix'
install=$(qvx_unix_path "$default_dir")
QVX_PROGRAM_UNIX=$install

check_upgraded() {
  cmp -s "$program" "$install/quovix.exe" || qvx_fail "$1: quovix.exe is not the new program"
  local f
  for f in readme.txt route/CHINANET.dat route/CNC.dat route/CERNET.dat; do
    cmp -s "$stage/$f" "$install/$f" || qvx_fail "$1: $f missing or different"
  done
  [ -f "$install/uninst.exe" ] || qvx_fail "$1: no uninstaller"
  [ -f "$install/user.ini" ] || qvx_fail "$1: user.ini removed"
}
# A refused or failed setup leaves the folder as it was: the mark in a route file is kept.
mark_old() { printf old >"$install/route/CNC.dat"; }
check_untouched() {
  [ "$(cat "$install/route/CNC.dat")" = old ] || qvx_fail "$1 replaced files"
  cmp -s "$2" "$install/quovix.exe" || qvx_fail "$1 replaced quovix.exe"
}

# --- the zip unpacked into the default folder, as its readme suggests, is taken over ----------
unzip -q "$zip" -d "$(qvx_unix_path 'C:\Program Files')"
[ -f "$install/quovix64.exe" ] || qvx_fail "the zip's layout is not what this test expects: $(ls "$install")"
printf 'user settings' >"$install/user.ini"
qvx_expect_exit 0 "setup over the zip's files" qvx_run 'C:\setup.exe' /S
check_upgraded "the upgrade of the zip's files"
[ "$(cat "$install/user.ini")" = 'user settings' ] || qvx_fail "the upgrade of the zip's files changed user.ini"
[ ! -e "$install/quovix64.exe" ] && [ ! -e "$install/nettest64.exe" ] || qvx_fail "the zip's other builds are left: $(ls "$install")"

# --- a running client is asked to end; the upgrade completes; the new one runs ---------------
qvx_start "$default_dir\\quovix.exe"
qvx_wait_window "^$QVX_LOGIN\$" >/dev/null
qvx_wait_log_line qvxl.log '读取用户配置文件'
mark_old
qvx_expect_exit 0 "setup while the client runs" qvx_run 'C:\setup.exe' /S
qvx_wait_exit 10
[ "$QVX_EXIT_CODE" -eq 0 ] || qvx_fail "the client ended with $QVX_EXIT_CODE"
qvx_runlog | grep -qx '安装程序要求退出' || qvx_fail "the client did not log the setup's request: $(qvx_runlog | tail -n 5)"
[ "$(qvx_runlog | tail -n 1)" = 成功退出 ] || qvx_fail "the client did not end as its exit does: $(qvx_runlog | tail -n 5)"
check_upgraded "the upgrade with the client running"
qvx_start "$default_dir\\quovix.exe"
qvx_wait_window "^$QVX_LOGIN\$" >/dev/null
qvx_stop_all

# The stand-in for what the setup cannot move; it says when it holds it.
probe_dir='C:\probe'
mkdir -p "$(qvx_unix_path "$probe_dir")"
cp "$QVX_BUILD/stuck_client.exe" "$(qvx_unix_path "$probe_dir")/"
start_stuck() {
  rm -f "$(qvx_unix_path "$probe_dir")/stuck_ready.txt"
  qvx_start "$probe_dir\\stuck_client.exe" "$@"
  qvx_wait_file "$(qvx_unix_path "$probe_dir")/stuck_ready.txt" 30
}
before=$qvx_tmp/quovix-before.exe
cp "$install/quovix.exe" "$before"

# --- a client that does not answer: a bounded wait, then its exit code ----------------------
start_stuck mutex
mark_old
started=$SECONDS
qvx_expect_exit 3 "setup while a client does not end" qvx_run 'C:\setup.exe' /S
waited=$((SECONDS - started))
[ "$waited" -ge 19 ] || qvx_fail "the setup gave up on the client after ${waited}s, not its 20 s"
check_untouched "the setup that gave up on the client" "$before"
qvx_stop_all

# --- a client of another session, seen by the global name only: refused without the wait ----
start_stuck global
mark_old
started=$SECONDS
qvx_expect_exit 3 "setup while another session's client runs" qvx_run 'C:\setup.exe' /S
[ $((SECONDS - started)) -lt 15 ] || qvx_fail "the setup waited for a client no message reaches"
check_untouched "the setup that found another session's client" "$before"
qvx_stop_all

# --- a program file held open where the setup cannot ask: its exit code, nothing replaced -----
start_stuck lock "$default_dir\\quovix.exe"
mark_old
qvx_expect_exit 9 "setup with quovix.exe in use" qvx_run 'C:\setup.exe' /S
check_untouched "the setup that found quovix.exe in use" "$before"
qvx_stop_all

# --- an older setup over a newer program: refused unless asked -------------------------------
# The installed program claims version 9.0 (VS_FIXEDFILEINFO's dwFileVersionMS, after its
# signature and struct version).
signature=$(qvx_fixed_file_info "$install/quovix.exe") || qvx_fail "no version resource in the installed program"
printf '\x00\x00\x09\x00' | dd of="$install/quovix.exe" bs=1 seek=$((signature + 8)) conv=notrunc status=none
newer=$qvx_tmp/quovix-newer.exe
cp "$install/quovix.exe" "$newer"
mark_old
qvx_expect_exit 10 "an older setup over version 9.0" qvx_run 'C:\setup.exe' /S
check_untouched "the refused downgrade" "$newer"
qvx_expect_exit 0 "an older setup with /ALLOWDOWNGRADE" qvx_run 'C:\setup.exe' /S /ALLOWDOWNGRADE
check_upgraded "the downgrade asked for"

qvx_pass
