#!/bin/bash
# The helpers themselves: template fonts, a Chinese program folder, files in GBK, windows by
# Chinese title, keys, screenshots and exit codes.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
qvx_setup

qvx_install 'C:\探针目录' "$QVX_BUILD/harness_probe.exe"
qvx_ui_start harness_probe.exe
[ -f "$WINEPREFIX/drive_c/探针目录/harness_probe.exe" ] || qvx_fail "exe not installed"

qvx_start "$QVX_PROGRAM_EXE" 7
qvx_wait_log_line probe.txt '^探针已启动'
qvx_gbk "$QVX_PROGRAM_UNIX/probe.txt" | grep -qF 'C:\探针目录' || qvx_fail "current directory not the program folder"

win=$(qvx_wait_window '^探针窗口$')
qvx_running || qvx_fail "probe exited before its box was answered"
qvx_screenshot message_box
qvx_key_to "$win" Return
qvx_wait_exit 20
[ "$QVX_EXIT_CODE" = 7 ] || qvx_fail "exit code $QVX_EXIT_CODE, expected 7"
[ -z "$(qvx_windows '^探针窗口$')" ] || qvx_fail "box still shown after Return"

# Foreground run from another directory, exit code passed through.
mkdir -p "$WINEPREFIX/drive_c/elsewhere"
rm "$QVX_PROGRAM_UNIX/probe.txt"
rc=0
QVX_CWD=$WINEPREFIX/drive_c/elsewhere qvx_run "$QVX_PROGRAM_EXE" 3 quiet >/dev/null || rc=$?
[ "$rc" = 3 ] || qvx_fail "foreground exit code $rc, expected 3"
qvx_gbk "$QVX_PROGRAM_UNIX/probe.txt" | grep -qF 'C:\elsewhere' || qvx_fail "QVX_CWD not applied"

qvx_pass
