#!/bin/bash
# The real program on a Wine desktop: the login window with its Chinese captions, typing with
# the character rule, Enter in the password box, the single-instance refusal, the tray menu,
# and the close box ending the program through the login window's close handling.
set -u
source "$(dirname "$0")/wine_lib.sh"
: "${QVX_BUILD:=$(cd "$(dirname "$0")/../.." && pwd)/build/win32}"
shots=$QVX_BUILD/wine-shots
mkdir -p "$shots"

passed=0 failed=0
check() {
  if eval "$2"; then
    passed=$((passed + 1)); echo "ok: $1"
  else
    failed=$((failed + 1)); echo "FAILED: $1"
  fi
}
visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l; }
program_running() { pgrep -f 'C:\\Quovix\\quovix.exe' >/dev/null; }

wine_setup 1024x768
dir=$WINEPREFIX/drive_c/Quovix
log=$dir/qvxl.log
mkdir -p "$dir"
cp "$QVX_BUILD/quovix.exe" "$dir/"

wine_desktop_run 800x600 'C:\Quovix\quovix.exe'
main=$(wait_window '^Quovix加速2.43$' 60)
check "login window appears with its title" '[ -n "$main" ]'
[ -n "$main" ] || { echo "$passed passed, $failed failed"; exit 1; }
check "first log line names the program folder" \
  'wait_file_text "$log" "获取程序运行目录为：C:\\Quovix\\"'
sleep 1
screenshot "$shots/login.png"

xdotool windowactivate --sync "$main" >/dev/null 2>&1
xdotool type --delay 60 'ab-'
check "a refused character brings up a message box" 'wait_window "^Quovix加速$" 10 >/dev/null && [ "$(visible "^Quovix加速$")" -ge 1 ]'
screenshot "$shots/invalid-character.png"
xdotool key Return
sleep 0.5
xdotool key Tab
xdotool type --delay 60 'pw'
xdotool key Return
check "Enter in the password box logs in with the cleaned account" \
  'wait_file_text "$log" "用户ab尝试登陆" && wait_file_text "$log" "开始连接验证服务器"'
sleep 0.6
screenshot "$shots/logging-in.png"
# No verification service runs here, so the login ends with its failure box; close it.
check "without a service the login reports the failed download" \
  'wait_file_text "$log" "下载验证文件失败"'
sleep 1
xdotool key Return
sleep 0.5

before=$(visible '^Quovix加速$')
wine explorer /desktop=qvx,800x600 'C:\Quovix\quovix.exe' >/dev/null 2>&1 &
second=$!
end=$((SECONDS + 20))
while [ "$(visible '^Quovix加速$')" -le "$before" ] && [ $SECONDS -lt $end ]; do sleep 0.3; done
check "a second copy shows its refusal" '[ "$(visible "^Quovix加速$")" -gt "$before" ]'
screenshot "$shots/second-copy.png"
xdotool key Return
end=$((SECONDS + 20))
while kill -0 "$second" 2>/dev/null && [ $SECONDS -lt $end ]; do sleep 0.3; done
check "the second copy ends after its message" '! kill -0 "$second" 2>/dev/null'
check "the second copy made no login window" '[ "$(visible "^Quovix加速2.43$")" -eq 1 ]'

# The tray icon sits at the right end of the desktop's taskbar.
popups() { xdotool search --onlyvisible --classname quovix.exe 2>/dev/null | wc -l; }
menus_before=$(popups)
xdotool mousemove 790 590 click 3
sleep 1
check "right click on the tray icon opens its menu" \
  '[ "$(popups)" -gt "$menus_before" ]'
screenshot "$shots/tray-menu.png"
xdotool key Escape
sleep 0.5

# A click on the close box, at the right end of the title bar.
geometry=$(xwininfo -id "$main")
x=$(awk '/Absolute upper-left X/{print $4}' <<<"$geometry")
y=$(awk '/Absolute upper-left Y/{print $4}' <<<"$geometry")
w=$(awk '/Width/{print $2}' <<<"$geometry")
xdotool mousemove $((x + w - 12)) $((y + 10)) click 1
# A first click may only dismiss what is left of the tray menu; click again if nothing closed.
if ! wait_file_text "$log" "成功退出" 5; then
  xdotool mousemove $((x + w - 12)) $((y + 10)) click 1
fi
check "the close box runs the login window's close handling" 'wait_file_text "$log" "成功退出"'
check "the run log ends with the settings saved and the goodbye" \
  '[ "$(iconv -f GBK -t UTF-8 "$log" | tail -2 | sed "s/^\[[^]]*\]  //" | tr "\r\n" "  ")" = "更新用户配置文件  成功退出  " ]'
end=$((SECONDS + 20))
while program_running && [ $SECONDS -lt $end ]; do sleep 0.3; done
check "the program ends after its main window closes" '! program_running'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
