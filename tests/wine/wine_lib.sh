# Shared by the Wine tests: a template prefix made once per machine (fonts for Chinese text,
# no crash dialog), a throwaway copy per test, a private Xvfb display and a desktop with a
# taskbar and systray. Source it, then call wine_setup; everything is cleaned up on exit.

QVX_WINE_TEMPLATE=${QVX_WINE_TEMPLATE:-/tmp/qvx-wine-template-$(id -u)}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono, no Gecko: nothing may try to download or install them.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

wine_template() {
  (
    flock 9
    [ -f "$QVX_WINE_TEMPLATE/.ready" ] && exit 0
    rm -rf "$QVX_WINE_TEMPLATE"
    export WINEPREFIX=$QVX_WINE_TEMPLATE WINEARCH=win32
    (unset DISPLAY; wineboot -i >/dev/null 2>&1)
    cp /usr/share/wine/fonts/*.ttf "$QVX_WINE_TEMPLATE/drive_c/windows/Fonts/" 2>/dev/null
    local link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    local subst='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    for face in "Tahoma" "Tahoma Bold" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
      wine reg add "$link" /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f
    done
    for face in 宋体 SimSun NSimSun 新宋体 微软雅黑 "Microsoft YaHei" 黑体 SimHei; do
      wine reg add "$subst" /v "$face" /t REG_SZ /d 'WenQuanYi Micro Hei' /f
    done
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
    wineserver -w
    touch "$QVX_WINE_TEMPLATE/.ready"
  ) 9>"$QVX_WINE_TEMPLATE.lock" >/dev/null 2>&1
}

wine_cleanup() {
  [ -n "$WINEPREFIX" ] && wineserver -k 2>/dev/null
  [ -n "$QVX_XVFB_PID" ] && kill "$QVX_XVFB_PID" 2>/dev/null
  [ -n "$QVX_WORK" ] && rm -rf "$QVX_WORK"
  return 0
}

# Makes $QVX_WORK (scratch folder), $WINEPREFIX (copy of the template) and $DISPLAY (own
# Xvfb of the given size, default 1024x768).
wine_setup() {
  local size=${1:-1024x768}
  QVX_WORK=$(mktemp -d /tmp/qvx-wine-test.XXXXXX)
  trap wine_cleanup EXIT
  wine_template
  export WINEPREFIX=$QVX_WORK/prefix WINEARCH=win32
  cp -a "$QVX_WINE_TEMPLATE" "$WINEPREFIX"
  local fifo=$QVX_WORK/display
  mkfifo "$fifo"
  Xvfb -displayfd 7 -screen 0 "${size}x24" -nolisten tcp 7>"$fifo" >/dev/null 2>&1 &
  QVX_XVFB_PID=$!
  local n
  read -r n <"$fifo"
  export DISPLAY=:$n
}

# Runs a program on a Wine desktop with a taskbar (in the background); $QVX_WINE_PID is the
# wine launcher's pid.
wine_desktop_run() {
  local size=$1
  shift
  wine explorer /desktop=qvx,"$size" "$@" >"$QVX_WORK/wine.out" 2>&1 &
  QVX_WINE_PID=$!
}

# Waits until a window whose name matches the pattern exists; prints its id.
wait_window() {
  local pattern=$1 timeout=${2:-30} id
  local end=$((SECONDS + timeout))
  while [ $SECONDS -lt $end ]; do
    id=$(xdotool search --name "$pattern" 2>/dev/null | head -1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.3
  done
  return 1
}

# Waits until a file exists and contains the text.
wait_file_text() {
  local file=$1 text=$2 timeout=${3:-20}
  local end=$((SECONDS + timeout))
  while [ $SECONDS -lt $end ]; do
    [ -f "$file" ] && iconv -f GBK -t UTF-8 "$file" 2>/dev/null | grep -qF -- "$text" && return 0
    sleep 0.3
  done
  return 1
}

screenshot() { import -display "$DISPLAY" -window root "$1"; }
