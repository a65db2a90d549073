#!/bin/bash
# update.exe as the user meets it: version N installed by its setup, update.exe signed with
# certificate A, the demo service offering N+1. A corrupt download, a setup signed with B (both
# certificates trusted, so only the signer comparison refuses it), a 404 and 取消 during a slow
# download each say why and leave N installed; then the client, told it is too old, starts
# update.exe, which installs N+1 and starts it.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
command -v osslsigncode >/dev/null || qvx_fail "osslsigncode missing (scripts/setup.sh installs it)"

release=$("$QVX_SOURCE/scripts/release.sh" --demo)
setup_n=$(sed -n 2p <<<"$release")
qvx_make_cert A
qvx_make_cert B
certs=$qvx_tmp/certs
setup_a=$(qvx_next_setup "$certs/A.pfx")
setup_b=$(qvx_next_setup "$certs/B.pfx")
[ -f "$setup_a" ] && [ -f "$setup_b" ] || qvx_fail "no setups of $QVX_NEXT_VERSION"

qvx_setup
qvx_trust_cert "$certs/A.der"
qvx_trust_cert "$certs/B.der"
cp "$setup_n" "$(qvx_unix_path 'C:\setup.exe')"
QVX_CWD=$(qvx_unix_path 'C:\') qvx_run 'C:\setup.exe' /S || qvx_fail "the setup of $QVX_VERSION did not install"
default_dir='C:\Program Files\Quovix'
QVX_PROGRAM_UNIX=$(qvx_unix_path "$default_dir")
install=$QVX_PROGRAM_UNIX
# The shipped update.exe is the 32-bit build's, which asks the 32-bit pass's demo port; the
# 64-bit pass, on a port of its own, runs its own build of the same program in its place.
[ "$QVX_ARCH" = win32 ] || cp "$QVX_BUILD/update.exe" "$install/update.exe"

# The installation of N as it must stay after every failure.
kept=(quovix.exe update.exe nettest.exe uninst.exe readme.txt route/CHINANET.dat route/CNC.dat route/CERNET.dat)
keep_n() {
  mkdir -p "$qvx_tmp/n"
  for f in "${kept[@]}"; do cp "$install/$f" "$qvx_tmp/n/$(basename "$f")"; done
}
check_still_n() {
  local f
  for f in "${kept[@]}"; do
    cmp -s "$install/$f" "$qvx_tmp/n/$(basename "$f")" || qvx_fail "$1: $f changed"
  done
  [ -z "$(find "$WINEPREFIX/drive_c/users" -name 'qvx-update-*' 2>/dev/null)" ] ||
    qvx_fail "$1: the download folder is left: $(find "$WINEPREFIX/drive_c/users" -name 'qvx-update-*')"
}

service() {
  [ -z "${QVX_DEMO_PID:-}" ] || { kill "$QVX_DEMO_PID" && wait "$QVX_DEMO_PID" 2>/dev/null || true; }
  qvx_start_demo_service old_version --update-setup "$1" --update-version "$QVX_NEXT_VERSION"
}
scenario() { curl -sf "http://127.0.0.1:$QVX_DEMO_PORT/control?scenario=$1" >/dev/null || qvx_fail "scenario $1"; }

# update.exe started as the client starts it, without arguments; it must end with MESSAGE.
update_fails() { # WHAT MESSAGE
  qvx_start "$default_dir\\update.exe"
  qvx_ui_answer_box "$2" 120
  qvx_wait_exit 30
  [ "$QVX_EXIT_CODE" != 0 ] || qvx_fail "$1: update.exe ended with 0"
  qvx_wait_log_line update.log "$2" 5
  check_still_n "$1"
}
kept_text='当前版本保持不变。'

service "$setup_a"
qvx_ui_start update.exe
# Unsigned, it has no signer to compare with: it refuses every setup.
keep_n
update_fails "an unsigned update.exe" "更新程序本身没有有效的数字签名，无法确认更新文件的来源，拒绝安装。$kept_text"
qvx_sign "$install/update.exe" "$certs/A.pfx"
keep_n
scenario download=corrupt
update_fails "a corrupt download" "下载的更新文件已损坏（校验值不符），已删除，请重试。$kept_text"
scenario download=404
update_fails "a setup the server does not have" "服务器上找不到更新文件，请稍后重试。$kept_text"

# 取消 once the slow download is under way.
scenario download=slow
qvx_start "$default_dir\\update.exe"
qvx_ui_window 'Quovix加速 更新' 60
qvx_ui_shows 'Quovix加速 更新' '已下载 [1-9][0-9,]* KB / [0-9,]+ KB，速度 [0-9.]+ KB/s' 60
qvx_ui_shows 'Quovix加速 更新' '[0-9]+%' 5
qvx_screenshot progress-window
qvx_ui_click 'Quovix加速 更新' 取消
qvx_ui_answer_box "更新已取消。$kept_text" 30
qvx_wait_exit 30
check_still_n "取消 during the download"

service "$setup_b"
update_fails "a setup signed with another certificate" "更新文件不是由本软件的发布者签名的，拒绝安装。$kept_text"
qvx_ui_stop

# --- the forced update through the client ------------------------------------------------------
service "$setup_a"
qvx_ui_start quovix.exe
qvx_start "$default_dir\\quovix.exe"
qvx_log_in_as_demo
qvx_ui_answer_box '版本过低,点击确定执行自动更新程序'
qvx_wait_exit 30
qvx_ui_window "Quovix加速$QVX_NEXT_VERSION" 300
[ "$(qvx_file_version "$install/quovix.exe")" = "$QVX_NEXT_FILEVERSION" ] ||
  qvx_fail "the installed quovix.exe is $(qvx_file_version "$install/quovix.exe"), not $QVX_NEXT_FILEVERSION"
cmp -s "$install/update.exe" "$qvx_tmp/next-A/Quovix/update.exe" || qvx_fail "update.exe was not replaced by the new one"
qvx_wait_log_line update.log "更新完成，版本为：$QVX_NEXT_VERSION" 5
[ -z "$(find "$WINEPREFIX/drive_c/users" -name 'qvx-update-*')" ] || qvx_fail "the download folder is left after the update"
qvx_pass
