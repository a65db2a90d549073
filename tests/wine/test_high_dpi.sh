#!/bin/bash
# At 144 dpi the login window's 96-dpi layout is scaled by one and a half.
QVX_SCREEN=1280x1024 QVX_DESKTOP=1200x900
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
qvx_setup
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wineserver -w
qvx_install 'C:\Quovix' "$QVX_BUILD/quovix.exe"
qvx_ui_start
qvx_start
main=$(qvx_wait_window "^$QVX_LOGIN\$")
qvx_screenshot login-144dpi
width=$(xwininfo -id "$main" | awk '/Width/{print $2}')
# 296 * 1.5 = 444 for the client area; the frame adds a few pixels.
[ "$width" -ge 444 ] && [ "$width" -le 460 ] ||
  qvx_fail "login window is $width pixels wide at 144 dpi, expected 444 to 460"
qvx_log "login window is $width pixels wide at 144 dpi"
qvx_pass
