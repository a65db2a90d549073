#!/bin/bash
# The setup program in a fresh prefix: silent install, the installed client, an upgrade that
# keeps the user's files, the uninstaller, and the refusals (the uninstaller while the client
# runs, a second setup, a folder that cannot be written or is not ours to use, a folder deleted
# by hand).
# The setup's upgrades over a running client, the zip's files and a newer program are in
# test_setup_upgrade.sh.
# The shipped setup has a 32-bit stub: the win32 pass runs it in a 32-bit prefix, the win64
# pass in a 64-bit (WoW64) prefix, where it takes its 64-bit-Windows branch. WoW64 is the i386
# half of Wine, which runs natively or through the emulator scripts/setup.sh registers.
# NSIS's own names start with a dollar sign:
# shellcheck disable=SC2016
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
# The harness keeps Wine's menu builder out of the home folder; the shortcuts here would show it.
home_mark=$qvx_tmp/home-mark
touch "$home_mark"

release=$("$QVX_SOURCE/scripts/release.sh" --demo)
stage=$QVX_RELEASE_DIR/Quovix
shipped=$(sed -n 2p <<<"$release")

# --- the shipped setup, checked without running it -------------------------------------------
file "$shipped" | grep -q 'PE32 executable (GUI) Intel 80386.*Nullsoft' || qvx_fail "the shipped setup is not a 32-bit NSIS program"
listing=$(grep -E '^(File|SetOutPath):' "$shipped.log" | grep -v PLUGINSDIR)
expected='SetOutPath: "$INSTDIR"
File: "quovix64.exe"->"quovix.exe"
File: "nettest64.exe"->"nettest.exe"
File: "quovix.exe"
File: "nettest.exe"
File: "update.exe"
File: "readme.txt"
SetOutPath: "$INSTDIR\route"
File: "CHINANET.dat"
File: "CNC.dat"
File: "CERNET.dat"
SetOutPath: "$INSTDIR"'
[ "$(sed -E 's/ [0-9/]+ bytes$//' <<<"$listing")" = "$expected" ] || qvx_fail "the shipped setup packs: $listing"
# UTF-16LE text in the version resource.
has_utf16() { od -An -tx1 -v "$1" | tr -d ' \n' | grep -q "$(printf '%s' "$2" | iconv -t UTF-16LE | od -An -tx1 -v | tr -d ' \n')"; }
has_utf16 "$shipped" "Quovix加速 $QVX_VERSION 安装程序" || qvx_fail "no version information in the shipped setup"
# zh-CN, code page 936: the block NSIS writes for the Simplified Chinese language.
has_utf16 "$shipped" '080403a8' || qvx_fail "the shipped setup's version information is not Simplified Chinese"

uninst_key='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quovix'
default_dir='C:\Program Files\Quovix'
setup=$shipped
if [ "$QVX_ARCH" = win64 ]; then
  why=$("$QVX_SOURCE/scripts/wine32_usable.sh" 2>&1) || qvx_fail "the shipped 32-bit setup cannot run in WoW64: $why"
  program=$stage/quovix64.exe
  speed_test=$stage/nettest64.exe
  # What the 32-bit registry view of a 64-bit prefix holds, as the 64-bit regedit sees it.
  other_view_key='HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Quovix'
else
  program=$stage/quovix.exe
  speed_test=$stage/nettest.exe
  other_view_key=
fi
run_key='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\run'
menu_dir='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Quovix加速'
desktop_link='C:\users\Public\Desktop\Quovix加速.lnk'

qvx_setup
cp "$setup" "$(qvx_unix_path 'C:\setup.exe')"
QVX_CWD=$(qvx_unix_path 'C:\')

# A value of an exported key, unescaped: reg_field "$(qvx_reg_text KEY)" NAME.
reg_field() { sed -n "s/^\"$2\"=\"\\(.*\\)\"\$/\\1/p" <<<"$1" | sed 's/\\\\/\\/g; s/\\"/"/g'; }
reg_value() { reg_field "$(qvx_reg_text "$1")" "$2"; }
reg_add() { wine reg add "$1" /v "$2" /d "$3" /f >/dev/null 2>&1 || qvx_fail "reg add $1 $2"; }
reg_dword() { wine reg add "$1" /v "$2" /t REG_DWORD /d "$3" /f >/dev/null 2>&1 || qvx_fail "reg add $1 $2"; }
rasman_key='HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\RasMan\Parameters'
# Runs an exact Windows command line (NSIS parses /D= and _?= only unquoted) through cmd.
run_cmdline() {
  printf '@%s\r\nexit /b %%errorlevel%%\r\n' "$1" >"$(qvx_unix_path 'C:\run.bat')"
  local rc=0
  qvx_run cmd /c 'C:\run.bat' >/dev/null || rc=$?
  return "$rc"
}
# The uninstaller copies itself away and returns at once; its last step removes the entry.
wait_uninstalled() {
  local end=$((SECONDS + $(qvx_bound 60)))
  until [ -z "$(qvx_reg_text "$uninst_key")" ]; do
    if [ "$SECONDS" -ge "$end" ]; then
      ls -R "$(qvx_unix_path "$1")" "$(qvx_unix_path 'C:\users')"/*/AppData/Local/Temp >&2 2>/dev/null
      qvx_fail "the uninstall entry is still there after 60s"
    fi
    sleep 0.5
  done
}
# A shortcut keeps its target as one name per path component.
link_targets() {
  local link part parts
  link=$(qvx_unix_path "$1")
  [ -f "$link" ] || return 1
  # shellcheck disable=SC2141 # the one separator of Windows paths
  IFS=$'\\' read -ra parts <<<"${2#?:\\}"
  for part in "${parts[@]}"; do
    has_utf16 "$link" "$part" || return 1
  done
}

check_installed() {
  local dir=$1 unix
  unix=$(qvx_unix_path "$dir")
  cmp -s "$program" "$unix/quovix.exe" || qvx_fail "$dir: quovix.exe is not the expected program"
  cmp -s "$speed_test" "$unix/nettest.exe" || qvx_fail "$dir: nettest.exe is not the expected speed test"
  cmp -s "$stage/update.exe" "$unix/update.exe" || qvx_fail "$dir: update.exe is not the shipped updater"
  for f in readme.txt route/CHINANET.dat route/CNC.dat route/CERNET.dat; do
    cmp -s "$stage/$f" "$unix/$f" || qvx_fail "$dir: $f missing or different"
  done
  [ -f "$unix/uninst.exe" ] || qvx_fail "$dir: no uninstaller"
  link_targets "$menu_dir\\Quovix加速.lnk" "$dir\\quovix.exe" || qvx_fail "start-menu shortcut missing or wrong"
  link_targets "$menu_dir\\卸载 Quovix加速.lnk" "$dir\\uninst.exe" || qvx_fail "uninstall shortcut missing or wrong"
  link_targets "$desktop_link" "$dir\\quovix.exe" || qvx_fail "desktop shortcut missing or wrong"
  local entry
  entry=$(qvx_reg_text "$uninst_key")
  [ "$(reg_field "$entry" DisplayName)" = Quovix加速 ] || qvx_fail "DisplayName: $entry"
  [ "$(reg_field "$entry" DisplayVersion)" = "$QVX_VERSION" ] || qvx_fail "DisplayVersion: $entry"
  [ "$(reg_field "$entry" Publisher)" = Quovix ] || qvx_fail "Publisher: $entry"
  [ "$(reg_field "$entry" DisplayIcon)" = "$dir\\quovix.exe,0" ] || qvx_fail "DisplayIcon: $entry"
  [ "$(reg_field "$entry" UninstallString)" = "\"$dir\\uninst.exe\"" ] || qvx_fail "UninstallString: $entry"
  [ "$(reg_field "$entry" QuietUninstallString)" = "\"$dir\\uninst.exe\" /S _?=$dir" ] || qvx_fail "QuietUninstallString: $entry"
  [ -z "$other_view_key" ] || [ -z "$(qvx_reg_text "$other_view_key")" ] || qvx_fail "an entry in the 32-bit registry view"
  local size kb
  size=$(sed -n 's/^"EstimatedSize"=dword:\([0-9a-f]*\)$/\1/p' <<<"$entry")
  kb=$(($(stat -c %s "$program") / 1024))
  [ -n "$size" ] && [ $((16#$size)) -ge "$kb" ] || qvx_fail "EstimatedSize ${size:-missing} below the program's $kb KB"
}

# The client's logon task, as the settings window registers it (Wine keeps it as a file).
task_file=$(qvx_unix_path 'C:\windows\system32\tasks\Quovix加速')
add_task() {
  printf '<?xml version="1.0" encoding="UTF-16"?><Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task"><Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers><Actions Context="Author"><Exec><Command>%s</Command></Exec></Actions></Task>' "$1\\quovix.exe" |
    iconv -t UTF-16 >"$(qvx_unix_path 'C:\task.xml')"
  wine schtasks /create /tn Quovix加速 /xml 'C:\task.xml' >/dev/null 2>&1 || qvx_fail "schtasks /create"
  [ -f "$task_file" ] || qvx_fail "no task file after schtasks /create"
}

check_removed() {
  local dir=$1
  [ ! -e "$task_file" ] || qvx_fail "the logon task is still there"
  [ -z "$(qvx_reg_text "$uninst_key")" ] || qvx_fail "uninstall entry still there"
  [ ! -e "$(qvx_unix_path "$menu_dir")" ] || qvx_fail "start-menu folder still there"
  [ ! -e "$(qvx_unix_path "$desktop_link")" ] || qvx_fail "desktop shortcut still there"
  [ -z "$(reg_value "$run_key" quovixnet)" ] || qvx_fail "autostart value still there"
  [ "$(reg_value "$run_key" other)" = 'C:\other\other.exe' ] || qvx_fail "another program's autostart value was removed"
  cmp -s <(echo keep) "$(qvx_unix_path 'C:\users\Public\Documents\keep.txt')" || qvx_fail "a file outside the folder was touched"
}
echo keep >"$(qvx_unix_path 'C:\users\Public\Documents\keep.txt')"
reg_add "$run_key" other 'C:\other\other.exe'

# --- two at once; the first page -------------------------------------------------------------
qvx_ui_start setup.exe
qvx_start 'C:\setup.exe'
qvx_wait_window "^Quovix加速 $QVX_VERSION 安装\$" >/dev/null
qvx_screenshot installer-welcome
qvx_expect_exit 4 "a second setup" qvx_run 'C:\setup.exe' /S
[ -z "$(qvx_reg_text "$uninst_key")" ] && [ ! -e "$(qvx_unix_path "$default_dir")" ] || qvx_fail "the second setup installed"
qvx_stop_all

# --- silent install; the installed client ----------------------------------------------------
qvx_expect_exit 0 "silent install" qvx_run 'C:\setup.exe' /S
check_installed "$default_dir"
install=$(qvx_unix_path "$default_dir")
QVX_PROGRAM_DIR=$default_dir
QVX_PROGRAM_UNIX=$install
QVX_CWD=$(qvx_unix_path 'C:\users\Public') qvx_start "$default_dir\\quovix.exe"
qvx_wait_window "^$QVX_LOGIN\$" >/dev/null
qvx_wait_log_line qvxl.log '读取用户配置文件'
qvx_gbk "$install/qvxl.log" | grep -qF "获取程序运行目录为：$default_dir\\" || qvx_fail "the log does not name the install folder"
qvx_screenshot installed-login

# --- the uninstaller refuses while the client runs (the setup asks it to end: test_setup_upgrade)
printf junk >"$install/route/CNC.dat"
quiet=$(reg_value "$uninst_key" QuietUninstallString)
qvx_expect_exit 3 "the quiet uninstall command while the client runs" run_cmdline "$quiet"
[ "$(cat "$install/route/CNC.dat")" = junk ] && [ -n "$(qvx_reg_text "$uninst_key")" ] || qvx_fail "a refused run changed the installation"
qvx_stop_all
# A client of another session: only its global mutex reaches this session.
probe_unix=$(qvx_unix_path 'C:\probe')
mkdir -p "$probe_unix"
cp "$QVX_BUILD/stuck_client.exe" "$probe_unix/"
qvx_start 'C:\probe\stuck_client.exe' global
qvx_wait_file "$probe_unix/stuck_ready.txt" 30
qvx_expect_exit 3 "the quiet uninstall command while another session's client runs" run_cmdline "$quiet"
[ -n "$(qvx_reg_text "$uninst_key")" ] || qvx_fail "the refused uninstall removed the entry"
qvx_stop_all

# --- upgrade ---------------------------------------------------------------------------------
printf 'user settings\r\n' >"$install/user.ini"
printf 'site settings\r\n' >"$install/softsetup.ini"
printf 'update log\r\n' >"$install/update.log"
keep_user_files() { for f in user.ini softsetup.ini qvxl.log update.log; do cp "$1/$f" "$qvx_tmp/$f"; done; }
# The folder holds exactly the user's four files as kept, and what else is named.
check_user_files_kept() {
  local f
  for f in user.ini softsetup.ini qvxl.log update.log; do
    cmp -s "$qvx_tmp/$f" "$1/$f" || qvx_fail "$2 changed or removed $f"
  done
}
keep_user_files "$install"
# The L2TP values: two the client created and listed, one it found (unlisted, though it holds
# what the client would write), one listed that someone changed since. The list outlives the
# upgrade; the uninstall below takes exactly the first two.
reg_dword "$rasman_key" ProhibitIpSec 1
reg_add "$rasman_key" Medias rastapi
reg_dword "$rasman_key" IpOutHighWatermark 5
reg_dword "$rasman_key" IpOutLowWatermark 7
printf '[created]\r\nProhibitIpSec=1\r\nMedias=1\r\nIpOutLowWatermark=1\r\n' >"$install/rasman.ini"
printf junk >"$install/quovix.exe"
qvx_expect_exit 0 "silent install over the installation" qvx_run 'C:\setup.exe' /S
check_installed "$default_dir"
check_user_files_kept "$install" "the upgrade"

# Files left in a folder by an uninstaller run in place: what a restart still deletes (Wine
# cannot move a running program out of the way) is done by one.
folder_after_restart() {
  wine wineboot -r >/dev/null 2>&1 || true
  (cd "$1" 2>/dev/null && find . -mindepth 1 | sort | tr '\n' ' ')
}

# --- silent uninstall with the entry's own command: it waits, and keeps the user's files ------
reg_add "$run_key" quovixnet "$default_dir\\quovix.exe"
add_task "$default_dir"
printf x >"$install/information.txt"
printf x >"$install/nettest_nodes.txt"
qvx_expect_exit 0 "quiet uninstall command" run_cmdline "$quiet"
check_removed "$default_dir"
[ ! -e "$install/quovix.exe" ] && [ ! -e "$install/information.txt" ] || qvx_fail "the quiet uninstall returned before it was done"
check_user_files_kept "$install" "the silent uninstall"
rasman=$(qvx_reg_text "$rasman_key")
! grep -q -e '^"ProhibitIpSec"' -e '^"Medias"' <<<"$rasman" || qvx_fail "the uninstaller left the L2TP values the client created: $rasman"
grep -q '^"IpOutHighWatermark"=dword:00000005$' <<<"$rasman" || qvx_fail "the uninstaller removed an L2TP value it found: $rasman"
grep -q '^"IpOutLowWatermark"=dword:00000007$' <<<"$rasman" || qvx_fail "the uninstaller removed an L2TP value changed since: $rasman"
[ "$(folder_after_restart "$install")" = "./qvxl.log ./softsetup.ini ./update.log ./user.ini " ] || qvx_fail "after the silent uninstall: $(ls -R "$install")"
# The next installation picks them up; /PURGE takes them with it.
qvx_expect_exit 0 "silent install over the user's files" qvx_run 'C:\setup.exe' /S
check_user_files_kept "$install" "the reinstall"
qvx_expect_exit 0 "uninstall with /PURGE" run_cmdline "\"$default_dir\\uninst.exe\" /S /PURGE _?=$default_dir"
check_removed "$default_dir"
[ -z "$(folder_after_restart "$install")" ] || qvx_fail "after /PURGE: $(ls -R "$install")"

# --- a folder with Chinese characters and spaces; a file of the user's in it ------------------
cn_dir='C:\程序 文件\Quovix 加速'
cn_unix=$(qvx_unix_path "$cn_dir")
qvx_expect_exit 0 "install into '$cn_dir'" qvx_run 'C:\setup.exe' /S "/D=$cn_dir"
check_installed "$cn_dir"
# shellcheck disable=SC2034 # read by lib.sh
QVX_PROGRAM_DIR=$cn_dir
QVX_PROGRAM_UNIX=$cn_unix
qvx_start "$cn_dir\\quovix.exe"
qvx_wait_window "^$QVX_LOGIN\$" >/dev/null
qvx_wait_log_line qvxl.log '获取程序运行目录为：C:\\程序 文件\\Quovix 加速\\'
qvx_stop_all
echo mine >"$cn_unix/mine.txt"
qvx_expect_exit 0 "uninstaller in '$cn_dir'" qvx_run "$cn_dir\\uninst.exe" /S
wait_uninstalled "$cn_dir"
[ "$(cd "$cn_unix" && find . -mindepth 1 | sort | tr '\n' ' ')" = "./mine.txt ./qvxl.log ./user.ini " ] || qvx_fail "the uninstaller left or took: $(ls -R "$cn_unix")"
check_removed "$cn_dir"

# --- folders the setup refuses; a quoted one with a space it takes ----------------------------
drive_c_files() { (cd "$(qvx_unix_path 'C:\')" && find . | grep -v -e '^./run.bat$' -e '/Temp/' | sort); }
before=$(drive_c_files)
mkdir -p "$(qvx_unix_path 'C:\Tools')"
echo tool >"$(qvx_unix_path 'C:\Tools\readme.txt')"
long='C:\'$(printf 'dddddddddd\\%.0s' {1..24})dddddddddd # 277 characters, beyond MAX_PATH
for dir in 'C:\' 'C:' 'C:\windows' 'C:\windows\system32\Quovix' 'C:\Program Files' 'C:\Tools' 'Quovix' 'C:Quovix' \
  'C:\a\..\windows' '\\server\share' "$long"; do
  qvx_expect_exit 7 "install into '$dir'" run_cmdline "C:\\setup.exe /S /D=$dir"
done
[ "$(drive_c_files)" = "$(printf '%s\n./Tools\n./Tools/readme.txt' "$before" | sort)" ] ||
  qvx_fail "a refused setup left files: $(diff <(echo "$before") <(drive_c_files))"
[ -z "$(qvx_reg_text "$uninst_key")" ] && [ ! -e "$(qvx_unix_path "$menu_dir")" ] || qvx_fail "a refused setup left an entry or shortcuts"
apps='C:\Apps Dir\Quovix'
qvx_expect_exit 0 "install into a quoted folder" run_cmdline "C:\\setup.exe /S /D=\"$apps\""
check_installed "$apps"

# --- a stale uninstaller leaves the live installation alone -----------------------------------
qvx_expect_exit 0 "install elsewhere" run_cmdline "C:\\setup.exe /S /D=$default_dir"
check_installed "$default_dir"
apps_unix=$(qvx_unix_path "$apps")
echo mine >"$apps_unix/notes.txt"
add_task "$default_dir"
qvx_expect_exit 0 "the old folder's uninstaller" run_cmdline "\"$apps\\uninst.exe\" /S _?=$apps"
check_installed "$default_dir"
[ -f "$task_file" ] || qvx_fail "the stale uninstaller removed the live installation's logon task"
[ "$(folder_after_restart "$apps_unix")" = "./notes.txt " ] || qvx_fail "the stale uninstaller left or took: $(ls -R "$apps_unix")"
# Nor does an uninstaller copied where it would delete someone else's files (NSIS itself refuses
# a drive's root, with its exit code 2).
echo theirs >"$(qvx_unix_path 'C:\readme.txt')"
echo theirs >"$(qvx_unix_path 'C:\windows\readme.txt')"
cp "$install/uninst.exe" "$(qvx_unix_path 'C:\uninst.exe')"
qvx_expect_exit 2 "an uninstaller in a drive's root" run_cmdline 'C:\uninst.exe /S _?=C:\'
qvx_expect_exit 7 "an uninstaller for the Windows folder" run_cmdline 'C:\uninst.exe /S _?=C:\windows'
[ "$(cat "$(qvx_unix_path 'C:\readme.txt')" "$(qvx_unix_path 'C:\windows\readme.txt')")" = "theirs
theirs" ] || qvx_fail "an uninstaller out of place deleted a file"
check_installed "$default_dir"

# --- a folder deleted by hand, the uninstaller kept elsewhere ---------------------------------
reg_add "$run_key" quovixnet "$default_dir\\quovix.exe"
cp "$install/uninst.exe" "$(qvx_unix_path 'C:\users\Public\uninst.exe')"
rm -rf "$install"
qvx_expect_exit 0 "uninstaller after the folder was deleted" run_cmdline "C:\\users\\Public\\uninst.exe /S _?=$default_dir"
check_removed "$default_dir"

# --- an installation an earlier setup made in the 32-bit folder and view ------------------------
if [ -n "$other_view_key" ]; then
  old_dir='C:\Program Files (x86)\Quovix'
  old=$(qvx_unix_path "$old_dir")
  mkdir -p "$old/route"
  for f in quovix.exe readme.txt route/CHINANET.dat route/CNC.dat route/CERNET.dat uninst.exe; do echo old >"$old/$f"; done
  printf 'user\r\n' >"$old/user.ini"
  printf 'site\r\n' >"$old/softsetup.ini"
  printf 'log\r\n' >"$old/qvxl.log"
  printf 'update log\r\n' >"$old/update.log"
  keep_user_files "$old"
  reg_add "$other_view_key" DisplayName Quovix加速
  reg_add "$other_view_key" InstallLocation "$old_dir"
  reg_add "$other_view_key" UninstallString "\"$old_dir\\uninst.exe\""
  qvx_expect_exit 0 "upgrade of the 32-bit-view installation" qvx_run 'C:\setup.exe' /S
  check_installed "$old_dir"
  check_user_files_kept "$old" "the upgrade from the 32-bit view"
  qvx_expect_exit 0 "uninstall of the upgraded installation" run_cmdline "\"$old_dir\\uninst.exe\" /S /PURGE _?=$old_dir"
  check_removed "$old_dir"
fi

# --- a folder that cannot be written ---------------------------------------------------------
echo file >"$(qvx_unix_path 'C:\blocker')"
qvx_expect_exit 5 "install under a file" qvx_run 'C:\setup.exe' /S '/D=C:\blocker\Quovix'
qvx_expect_exit 5 "install on a drive that does not exist" qvx_run 'C:\setup.exe' /S '/D=Q:\Quovix'
[ -z "$(qvx_reg_text "$uninst_key")" ] && [ ! -e "$(qvx_unix_path "$menu_dir")" ] || qvx_fail "a failed install left an entry or shortcuts"

wineserver -w
[ -z "$(find "$HOME" -newer "$home_mark" -iname '*quovix*' 2>/dev/null)" ] || qvx_fail "the test left files in $HOME: $(find "$HOME" -newer "$home_mark" -iname '*quovix*')"
qvx_pass
