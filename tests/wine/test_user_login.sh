#!/bin/bash
# The remembered login belongs to the Windows user: an earlier version's user.ini (account
# old_user, password old_pw, remembered) is moved once into HKEY_CURRENT_USER, the password
# protected with DPAPI, and comes back from there at the next start.
# shellcheck source=tests/wine/lib.sh disable=SC2119
source "$(dirname "$0")/lib.sh"
exe=$QVX_BUILD/quovix.exe
[ -f "$exe" ] || qvx_fail "quovix.exe not built"
qvx_setup

moved='记住的账号和密码已移到当前Windows用户'
user_key='HKEY_CURRENT_USER\Software\Quovix'

# The key as regedit exports it, hex bytes and all, on one line.
user_values() { qvx_reg_text "$user_key" | tr -d '\\\n '; }
fields() { echo "$(qvx_ui edit "$QVX_LOGIN" 1)/$(qvx_ui edit "$QVX_LOGIN" 2)"; }
start_and_read() {
  qvx_start
  qvx_ui_window "$QVX_LOGIN"
  qvx_wait_log_line qvxl.log '读取用户配置文件'
}
stop_client() {
  qvx_key_to "$(qvx_wait_window "^$QVX_LOGIN\$")" alt+F4
  qvx_wait_exit 30
}

qvx_install 'C:\Quovix' "$exe"
cp "$(dirname "$0")/data/earlier_user.ini" "$QVX_PROGRAM_UNIX/user.ini"
before=$(cat "$QVX_PROGRAM_UNIX/user.ini")
qvx_ui_start
start_and_read
[ "$(fields)" = old_user/old_pw ] || qvx_fail "the earlier login shows as '$(fields)'"
[ "$(qvx_log_count "$moved")" = 1 ] || qvx_fail "the login was not moved: $(qvx_runlog | tail -n 5)"
[ "$(cat "$QVX_PROGRAM_UNIX/user.ini")" != "$before" ] || qvx_fail "user.ini was not rewritten"
values=$(user_values)
[[ $values == *'"Password"=hex:'* ]] || qvx_fail "no protected password in $user_key: $values"
# old_pw in the clear, as hex bytes.
[[ $values != *6f,6c,64,5f,70,77* ]] || qvx_fail "the password is stored in the clear: $values"
stop_client

# The second start reads the user's store; nothing is moved again.
start_and_read
[ "$(fields)" = old_user/old_pw ] || qvx_fail "the second start shows '$(fields)'"
[ "$(qvx_log_count "$moved")" = 1 ] || qvx_fail "the login was moved twice"
[ "$(qvx_log_count '记住的密码无法解密')" = 0 ] || qvx_fail "the password did not unprotect"
stop_client

qvx_pass
