#!/bin/bash
# Per-monitor DPI in the real program. At 96, 144 and 192 dpi (Wine's LogPixels) the login,
# status and settings windows show every text whole: dpi_probe's hook measures each control's
# text inside the program with the control's own font against the room the control gives it.
# Then WM_DPICHANGED, sent inside the program as Windows sends it when the window reaches a
# monitor of another DPI, re-lays out the status window: every control scaled by the ratio
# within a pixel, the fonts made at the new size, the same layout a start at that DPI makes,
# and back at 96 dpi exactly the first layout. The icon resource holds 16, 20, 24 and 32 px.
# Wine has one monitor and no per-monitor DPI, so a window is never moved between monitors
# here: the message is what such a move delivers.
QVX_SCREEN=1600x1200 QVX_DESKTOP=1600x1200
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
qvx_setup
# The settings window asks the Task Scheduler, which a fresh prefix starts on first use.
wine net start Schedule >/dev/null 2>&1 || true
qvx_start_demo_service notice=0,tips=0
qvx_install 'C:\Quovix' "$QVX_BUILD/quovix.exe" "$QVX_BUILD/dpi_probe.exe" "$QVX_BUILD/dpi_hook.dll"
probe() { qvx_run 'C:\Quovix\dpi_probe.exe' "$@" | tr -d '\r'; }
# The status window's part of a report: from its window line (the one form with a menu bar)
# to the next window line, control kinds, rectangles and texts.
status_layout() {
  awk '/^window /{on = / menu=1 /} on && /^control /{t = $0; sub(/^[^"]*"/, "", t); print $2, $3, $4, $5, $6, t}' "$1"
}
# Two reports' status windows hold the same controls in the same places. A label sized to its
# text may be wider or narrower when its text changed in between (the notice ticker turns on
# its own timer); its place and height must still agree.
same_layout() {
  paste -d '\t' <(status_layout "$1") <(status_layout "$2") | awk -F '\t' '{
    na = split($1, a, " "); nb = split($2, b, " ")
    ta = $1; tb = $2
    for (i = 0; i < 5; i++) { sub(/^[^ ]* /, "", ta); sub(/^[^ ]* /, "", tb) }
    if (na < 5 || nb < 5 || a[1] != b[1] || a[2] != b[2] || a[3] != b[3] || a[5] != b[5] ||
        (ta == tb && a[4] != b[4])) { print "< " $1; print "> " $2; bad = 1 }
  } END { exit bad }' >&2
}

sizes=" $(probe icons 'C:\Quovix\quovix.exe' | tr '\n' ' ')"
for size in 16x16 20x20 24x24 32x32; do
  [[ $sizes == *" $size "* ]] || qvx_fail "the icon resource has no $size image (it has:$sizes)"
done
qvx_log "icon sizes:$sizes"

# The status window, at 96 dpi, goes to 144 and 192 dpi and back.
change_dpi_and_back() {
  local change from to
  for change in "96 144" "144 96" "96 192" "192 96"; do
    read -r from to <<<"$change"
    probe change "$from" "$to" "before-$from-$to.txt" "after-$from-$to.txt" >"$qvx_tmp/out" ||
      { cat "$qvx_tmp/out" >&2; qvx_fail "WM_DPICHANGED $from -> $to dpi: the layout did not scale"; }
    qvx_log "$(tail -n1 "$qvx_tmp/out")"
    qvx_screenshot "status-changed-$from-to-$to"
    if [ "$to" = 96 ]; then
      same_layout "$QVX_PROGRAM_UNIX/before-96-144.txt" "$QVX_PROGRAM_UNIX/after-$from-$to.txt" ||
        qvx_fail "back at 96 dpi from $from the layout is not the first one"
    else
      same_layout "$QVX_PROGRAM_UNIX/forms-$to.txt" "$QVX_PROGRAM_UNIX/after-$from-$to.txt" ||
        qvx_fail "at $to dpi after WM_DPICHANGED the layout differs from a start at $to dpi"
    fi
  done
}

for dpi in 144 192 96; do
  qvx_stop_all
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -w
  rm -f "$QVX_PROGRAM_UNIX/qvxl.log"
  qvx_ui_start
  qvx_start
  qvx_ui_window "$QVX_LOGIN"
  qvx_screenshot "login-$dpi"
  probe report "login-$dpi.txt" >"$qvx_tmp/out" || {
    cat "$qvx_tmp/out" >&2
    qvx_fail "login window at $dpi dpi: clipped text or no report"
  }
  grep -q "^window dpi=$dpi awareness=2 " "$QVX_PROGRAM_UNIX/login-$dpi.txt" ||
    qvx_fail "the login window is not per-monitor aware at $dpi dpi: $(head -n1 "$QVX_PROGRAM_UNIX/login-$dpi.txt")"

  qvx_log_in_as_demo
  qvx_wait_log_line qvxl.log '本机的内网IP为'
  qvx_ui_until 30 1 enabled "$QVX_STATUS" 连接
  qvx_ui_do "the settings menu item" menu "$QVX_STATUS" "$QVX_MENU_SETTINGS"
  qvx_ui_window 设置 20
  # The report waits until the program answers (the settings window asks the Task Scheduler
  # first).
  probe report "forms-$dpi.txt" >"$qvx_tmp/out" || {
    cat "$qvx_tmp/out" >&2
    qvx_fail "status or settings window at $dpi dpi: clipped text or no report"
  }
  qvx_screenshot "status-settings-$dpi"
  [ "$(grep -c '^window ' "$QVX_PROGRAM_UNIX/forms-$dpi.txt")" -ge 2 ] ||
    qvx_fail "the status and settings windows were not both reported at $dpi dpi"
  qvx_log "$dpi dpi: $(grep -c '^control ' "$QVX_PROGRAM_UNIX/login-$dpi.txt" "$QVX_PROGRAM_UNIX/forms-$dpi.txt" |
    awk -F: '{n += $2} END {print n}') controls measured, no text clipped"

  # The tray icon's menu; Windows scales it (menus are scaled by the system under
  # per-monitor v2), as Wine does with its system font.
  qvx_ui_do "a right click on the tray icon" tray_menu
  qvx_ui_until 10 1 popup
  qvx_screenshot "tray-menu-$dpi"
  qvx_ui_do "Escape in the tray menu" popup_close
  qvx_ui_until 10 0 popup

  [ "$dpi" = 96 ] && change_dpi_and_back

  # The exit confirmation the status window's close box brings up, a form of its own.
  qvx_ui_do "the status window's close box" close "$QVX_STATUS"
  qvx_ui_window "$QVX_BOX" 20
  qvx_screenshot "exit-confirmation-$dpi"
  probe report "exit-$dpi.txt" >"$qvx_tmp/out" || {
    cat "$qvx_tmp/out" >&2
    qvx_fail "exit confirmation at $dpi dpi: clipped text or no report"
  }
done
rm -f "$QVX_PROGRAM_UNIX/dpi_report.txt"
cp "$QVX_PROGRAM_UNIX"/*.txt "$QVX_SCREENSHOTS/"

qvx_pass
