#!/bin/bash
# At 144 dpi the login window's 96-dpi layout is scaled by one and a half.
set -u
source "$(dirname "$0")/wine_lib.sh"
: "${QVX_BUILD:=$(cd "$(dirname "$0")/../.." && pwd)/build/win32}"
mkdir -p "$QVX_BUILD/wine-shots"

wine_setup 1280x1024
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wineserver -w
dir=$WINEPREFIX/drive_c/Quovix
mkdir -p "$dir"
cp "$QVX_BUILD/quovix.exe" "$dir/"
wine_desktop_run 1200x900 'C:\Quovix\quovix.exe'
main=$(wait_window '^Quovix加速2.43$' 60) || { echo "FAILED: no login window"; exit 1; }
sleep 1
screenshot "$QVX_BUILD/wine-shots/login-144dpi.png"
width=$(xwininfo -id "$main" | awk '/Width/{print $2}')
# 296 * 1.5 = 444 for the client area; the frame adds a few pixels.
if [ "$width" -ge 444 ] && [ "$width" -le 460 ]; then
  echo "ok: login window is $width pixels wide at 144 dpi"
  echo "1 passed, 0 failed"
else
  echo "FAILED: login window is $width pixels wide at 144 dpi, expected 444 to 460"
  echo "0 passed, 1 failed"
  exit 1
fi
