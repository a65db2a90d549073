# shellcheck shell=bash disable=SC2034
# Shared helpers for the Wine tests. Source it from tests/wine/test_*.sh; CTest sets QVX_ARCH,
# QVX_BUILD, QVX_NATIVE_BUILD, QVX_SOURCE and QVX_DEMO_PORT.
#
# Each test gets a throwaway copy of one cached template prefix per build and an Xvfb display
# of its own; everything it started is stopped on exit. Every process in the prefix runs inside
# the virtual desktop "qvx" (1024x768 unless QVX_DESKTOP says otherwise), so windows have title
# bars and a tray.
#
# QVX_ARCH picks the Wine: win32 programs run in a 32-bit prefix under the host's wine, whose
# i386 programs the kernel runs itself or hands to the emulator scripts/setup.sh registers;
# win64 programs run in a 64-bit prefix under wine64. A test that cannot run fails: nothing is
# reported as skipped.

set -euo pipefail

: "${QVX_BUILD:?QVX_BUILD must name the Windows build directory}"
QVX_SOURCE=${QVX_SOURCE:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
QVX_TEST=${QVX_TEST:-$(basename "${BASH_SOURCE[1]:-$0}" .sh)}
QVX_ARCH=${QVX_ARCH:-win32}
QVX_TEMPLATE=$QVX_BUILD/wine-template
QVX_SCREENSHOTS=$QVX_BUILD/screenshots/$QVX_TEST
QVX_TIMEOUT=${QVX_TIMEOUT:-60}
# Every wait below is a bound, not a delay: where the 32-bit Wine runs through the i386
# emulator (scripts/i386_support.sh) the program is several times slower, and so are its bounds.
QVX_SLOW=1
if [ "$QVX_ARCH" = win32 ] &&
  [[ $("$QVX_SOURCE/scripts/host_runs_i386.sh" --how 2>/dev/null) == "i386 emulated"* ]]; then
  QVX_SLOW=4
fi
qvx_bound() { echo $(($1 * QVX_SLOW)); }
QVX_DESKTOP=${QVX_DESKTOP:-1024x768}
QVX_SCREEN=${QVX_SCREEN:-1024x768}

qvx_log() { printf '[%s] %s\n' "$QVX_TEST" "$*" >&2; }
qvx_fail() {
  qvx_log "FAIL: $*"
  exit 1
}
# A fault of the machinery, not of what is tested (no display server, no prefix): recorded under
# the build's infra-faults folder, where scripts/test.sh finds it, retries the test once and
# lists the retry before its count line.
qvx_infra_fail() {
  mkdir -p "$QVX_BUILD/infra-faults"
  printf '%s\n' "$*" >"$QVX_BUILD/infra-faults/wine_$QVX_TEST"
  qvx_fail "infrastructure: $*"
}

case $QVX_ARCH in
  win32)
    export WINEARCH=win32
    qvx_wine32=0
    qvx_why=$("$QVX_SOURCE/scripts/wine32_usable.sh" 2>&1) || qvx_wine32=$?
    [ "$qvx_wine32" -eq 0 ] || qvx_fail "32-bit Wine cannot start: $qvx_why (scripts/setup.sh, as root, makes it run)"
    ;;
  win64)
    export WINEARCH=win64
    # Debian's wine and wineboot commands prefer the 32-bit loader whenever wine32 is
    # installed, also where it cannot run: these wrappers use wine64 itself.
    qvx_bin=$QVX_BUILD/wine64-bin
    # shellcheck disable=SC2016 # the wrappers' own "$@" and "$0", expanded when they run
    if [ ! -x "$qvx_bin/wineboot" ]; then
      mkdir -p "$QVX_BUILD"
      qvx_new=$(mktemp -d "$QVX_BUILD/wine64-bin.XXXXXX")
      printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$qvx_new/wine"
      printf '#!/bin/sh\nexec "$(dirname "$0")/wine" wineboot.exe "$@"\n' >"$qvx_new/wineboot"
      chmod +x "$qvx_new/wine" "$qvx_new/wineboot"
      # A parallel test may have made it first; either copy is the same.
      mv -T "$qvx_new" "$qvx_bin" 2>/dev/null || rm -rf "$qvx_new"
    fi
    [ -x /usr/lib/wine/wine64 ] || qvx_fail "wine64 is not installed (scripts/setup.sh installs it)"
    export PATH=$qvx_bin:$PATH
    ;;
  *) qvx_fail "QVX_ARCH must be win32 or win64, not '$QVX_ARCH'" ;;
esac

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
# Wine's menu builder would write a .desktop file and menu entries for every shortcut a test
# makes into the home folder of whoever runs the tests.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

# --- leftovers of killed tests ----------------------------------------------------------------
# A test that CTest kills at its time-out never reaches its exit trap. So each test records what
# it starts in $QVX_RUNS, and every test (and the wine_sweep test after the rest) first stops
# what a dead test left: its processes, by id and start time, its wineserver and its prefix.
QVX_RUNS=$QVX_BUILD/wine-runs
qvx_start_time() { sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f20; }
qvx_alive() { [ -n "$2" ] && [ "$(qvx_start_time "$1")" = "$2" ]; }
qvx_sweep() {
  local record owner owner_start tmp pid start
  for record in "$QVX_RUNS"/*; do
    [ -f "$record" ] || continue
    read -r owner owner_start tmp <"$record" || { rm -f "$record"; continue; }
    qvx_alive "$owner" "$owner_start" && continue
    qvx_log "stopping what a killed test left (pid $owner, $tmp)"
    # What already ended (a killed process group) and a prefix without a server are done.
    while read -r pid start; do
      if qvx_alive "$pid" "$start"; then kill "$pid" 2>/dev/null || true; fi
    done < <(tail -n +2 "$record")
    if [ -d "$tmp/prefix" ]; then
      WINEPREFIX=$tmp/prefix wineserver -k 2>/dev/null || true
      WINEPREFIX=$tmp/prefix wineserver -w 2>/dev/null || true
    fi
    case $tmp in "${TMPDIR:-/tmp}"/qvx-*) rm -rf "$tmp" ;; esac
    rm -f "$record"
  done
}
# Records a process this test started, so a sweep can stop it if the test is killed.
qvx_record_pid() { echo "$1 $(qvx_start_time "$1")" >>"$QVX_RUN_RECORD"; }

mkdir -p "$QVX_RUNS"
qvx_sweep
# Wine tests of other checkouts on this machine use the same demo port: one at a time. (CTest
# already runs this build's one at a time; the processes a test starts inherit its lock.)
if [ -n "${QVX_DEMO_PORT:-}" ] && [ -z "${QVX_PORT_LOCKED:-}" ]; then
  exec {qvx_port_lock}>"${TMPDIR:-/tmp}/qvx-demo-port-$QVX_DEMO_PORT.lock"
  if ! flock -n "$qvx_port_lock"; then
    qvx_log "waiting for port $QVX_DEMO_PORT: another Wine test holds it"
    flock -w 900 "$qvx_port_lock" || qvx_fail "port $QVX_DEMO_PORT stayed taken by another Wine test for 15 min"
  fi
  export QVX_PORT_LOCKED=1
fi
qvx_tmp=$(mktemp -d "${TMPDIR:-/tmp}/qvx-$QVX_TEST.XXXXXX")
# A release a test makes (scripts/release.sh) is its own.
export QVX_RELEASE_DIR=$qvx_tmp/release
QVX_RUN_RECORD=$QVX_RUNS/$$
echo "$$ $(qvx_start_time $$) $qvx_tmp" >"$QVX_RUN_RECORD"
export WINEPREFIX=$qvx_tmp/prefix
QVX_XVFB_PID=
QVX_WINE_PID=
QVX_EXIT_CODE=
QVX_DISPLAY=
QVX_PROGRAM_DIR=
QVX_PROGRAM_UNIX=
QVX_PROGRAM_EXE=

# Processes the test started besides Wine (a demo service): stopped on exit.
QVX_STOP_PIDS=()
qvx_stop_on_exit() {
  QVX_STOP_PIDS+=("$@")
  local pid
  for pid in "$@"; do qvx_record_pid "$pid"; done
}

qvx_cleanup() {
  local rc=$?
  set +e
  local pid
  # What the screen showed when the test failed, for whoever reads the failure.
  if [ "$rc" -ne 0 ] && [ -n "${QVX_DISPLAY:-}" ] && [ -n "$QVX_XVFB_PID" ]; then
    mkdir -p "$QVX_SCREENSHOTS"
    import -display "$QVX_DISPLAY" -window root "$QVX_SCREENSHOTS/at-failure.png" 2>/dev/null &&
      qvx_log "the screen at the failure: $QVX_SCREENSHOTS/at-failure.png"
  fi
  for pid in "${QVX_STOP_PIDS[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  if [ -d "$WINEPREFIX" ]; then
    # Only this test's processes talk to this prefix's wineserver.
    WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null
    WINEPREFIX=$WINEPREFIX wineserver -w 2>/dev/null
  fi
  [ -n "$QVX_WINE_PID" ] && wait "$QVX_WINE_PID" 2>/dev/null
  if [ -n "$QVX_XVFB_PID" ]; then
    kill "$QVX_XVFB_PID" 2>/dev/null
    wait "$QVX_XVFB_PID" 2>/dev/null
  fi
  if [ "$rc" -ne 0 ] && [ -s "$qvx_tmp/wine.out" ]; then
    qvx_log "wine output:"
    tail -n 40 "$qvx_tmp/wine.out" >&2
  fi
  if [ "$rc" -ne 0 ] && [ -n "${QVX_KEEP_ON_FAIL:-}" ]; then
    qvx_log "prefix kept in $qvx_tmp"
  else
    rm -rf "$qvx_tmp"
  fi
  rm -f "$QVX_RUN_RECORD"
  exit "$rc"
}
trap qvx_cleanup EXIT
trap 'exit 130' INT TERM

# --- template prefix -------------------------------------------------------------------------

# Registry file (UTF-16 with BOM, so the Chinese value names survive) for fonts and crash box.
qvx_template_reg() {
  local link='hex(7):'
  local s
  # REG_MULTI_SZ "wqy-microhei.ttc,WenQuanYi Micro Hei" as UTF-16LE with two terminators.
  s=$(printf 'wqy-microhei.ttc,WenQuanYi Micro Hei' | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v |
    tr -s ' \n' ',' | sed 's/^,//; s/,$//')
  link+="$s,00,00,00,00"
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="qvx"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"qvx"="1024x768"\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
    for face in "Tahoma" "Tahoma Bold" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
      printf '"%s"=%s\r\n' "$face" "$link"
    done
    printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    for face in 宋体 SimSun NSimSun 新宋体 微软雅黑 "Microsoft YaHei" 黑体 SimHei; do
      printf '"%s"="WenQuanYi Micro Hei"\r\n' "$face"
    done
    printf '\r\n'
  } | iconv -f UTF-8 -t UTF-16LE | {
    printf '\xff\xfe'
    cat
  }
}

qvx_build_template() {
  local dir=$1
  rm -rf "$dir"
  mkdir -p "$dir"
  local -a in_dir=(env -u DISPLAY WINEPREFIX="$dir")
  "${in_dir[@]}" wineboot -i >/dev/null 2>&1
  cp /usr/share/wine/fonts/*.ttf "$dir/drive_c/windows/Fonts/"
  qvx_template_reg >"$dir/drive_c/qvx-template.reg"
  "${in_dir[@]}" wine regedit /S 'C:\qvx-template.reg' >/dev/null 2>&1
  rm -f "$dir/drive_c/qvx-template.reg"
  "${in_dir[@]}" wineserver -w
  grep -q 'WenQuanYi Micro Hei' "$dir/system.reg" || qvx_infra_fail "template prefix: registry not written"
}

# One template per build, shared by parallel tests under a lock.
qvx_ensure_template() {
  mkdir -p "$QVX_BUILD"
  local lock
  exec {lock}>"$QVX_BUILD/wine-template.lock"
  flock "$lock"
  if [ ! -f "$QVX_TEMPLATE/.qvx-ready" ]; then
    qvx_log "building the template prefix"
    qvx_build_template "$QVX_TEMPLATE.new"
    rm -rf "$QVX_TEMPLATE"
    mv "$QVX_TEMPLATE.new" "$QVX_TEMPLATE"
    touch "$QVX_TEMPLATE/.qvx-ready"
  fi
  flock -u "$lock"
  exec {lock}>&-
}

# --- prefix and display ----------------------------------------------------------------------

qvx_start_xvfb() {
  # The demo may show itself on the user's own display instead.
  if [ -n "${QVX_USE_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then
    QVX_DISPLAY=$DISPLAY
    return 0
  fi
  local fifo=$qvx_tmp/displayfd
  mkfifo "$fifo"
  # -displayfd makes Xvfb pick a free display number itself, so parallel tests cannot collide.
  Xvfb -displayfd 3 -screen 0 "${QVX_SCREEN}x24" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  QVX_XVFB_PID=$!
  qvx_record_pid "$QVX_XVFB_PID"
  local n
  read -r -t 20 n <"$fifo" || qvx_infra_fail "Xvfb did not start"
  rm -f "$fifo"
  QVX_DISPLAY=:$n
  export DISPLAY=$QVX_DISPLAY
}

# Call once at the top of a test.
qvx_setup() {
  qvx_ensure_template
  cp -a "$QVX_TEMPLATE" "$WINEPREFIX"
  rm -f "$WINEPREFIX/.qvx-ready"
  # Without a display, so that no desktop of the old size is made on the way.
  if [ "$QVX_DESKTOP" != 1024x768 ]; then
    env -u DISPLAY wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v qvx /d "$QVX_DESKTOP" /f >/dev/null 2>&1
    wineserver -w
  fi
  # The demo may show on the user's own display; tests always get a private one.
  if [ -n "${QVX_USE_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then
    QVX_DISPLAY=$DISPLAY
  else
    qvx_start_xvfb
  fi
  mkdir -p "$QVX_SCREENSHOTS"
  qvx_log "$QVX_ARCH prefix $WINEPREFIX, display $QVX_DISPLAY"
}

# --- paths -----------------------------------------------------------------------------------

# Unix path of a Windows path inside the prefix ("C:\Quovix\qvxl.log").
qvx_unix_path() {
  local win=$1
  local drive=${win:0:1}
  local rest=${win:2}
  rest=${rest//\\//}
  printf '%s/drive_%s%s' "$WINEPREFIX" "${drive,,}" "$rest"
}

# Creates the program folder (a Windows path, any name) and copies the exe and the given files
# into it. Files given as SRC=RELATIVE land under that relative path.
qvx_install() {
  local dir=$1 exe=$2
  shift 2
  QVX_PROGRAM_DIR=$dir
  QVX_PROGRAM_UNIX=$(qvx_unix_path "$dir")
  mkdir -p "$QVX_PROGRAM_UNIX"
  cp "$exe" "$QVX_PROGRAM_UNIX/"
  QVX_PROGRAM_EXE="$dir\\$(basename "$exe")"
  local f src dst
  for f in "$@"; do
    if [[ $f == *=* ]]; then
      src=${f%%=*}
      dst=$QVX_PROGRAM_UNIX/${f#*=}
    else
      src=$f
      dst=$QVX_PROGRAM_UNIX/$(basename "$f")
    fi
    mkdir -p "$(dirname "$dst")"
    cp -r "$src" "$dst"
  done
}

# Contents of a file in the program folder.
qvx_program_file() { cat "$QVX_PROGRAM_UNIX/$1"; }

# A GBK file as UTF-8, for grep and comparison in the test's own (UTF-8) text.
qvx_gbk() { iconv -f GBK -t UTF-8 "$1"; }

# --- running ---------------------------------------------------------------------------------

# Starts a Windows program in the background; QVX_WINE_PID is the wine process, whose exit
# status is the program's. QVX_CWD (a Unix directory) sets the current directory, default the
# program folder. Arguments after the program are passed on.
qvx_start() {
  local exe=${1:-$QVX_PROGRAM_EXE}
  [ $# -gt 0 ] && shift
  local cwd=${QVX_CWD:-$QVX_PROGRAM_UNIX}
  (cd "$cwd" && exec wine "$exe" "$@") >>"$qvx_tmp/wine.out" 2>&1 &
  QVX_WINE_PID=$!
}

# Runs a program in the foreground; its exit status is the program's, its standard output
# passes through, and Wine's own messages go to the log shown on failure. Gives up after
# QVX_TIMEOUT seconds with status 124.
qvx_run() {
  local exe=${1:-$QVX_PROGRAM_EXE}
  [ $# -gt 0 ] && shift
  local cwd=${QVX_CWD:-$QVX_PROGRAM_UNIX}
  (cd "$cwd" && exec timeout "$(qvx_bound "$QVX_TIMEOUT")" wine "$exe" "$@") 2>>"$qvx_tmp/wine.out"
}

# Runs a command and fails the test unless it exits with WANT: qvx_expect_exit WANT WHAT CMD...
qvx_expect_exit() {
  local want=$1 what=$2 rc=0
  shift 2
  "$@" || rc=$?
  [ "$rc" -eq "$want" ] || qvx_fail "$what: exit code $rc, expected $want"
}

# A registry key of the prefix exported as UTF-8 text, empty when the key is missing.
qvx_reg_text() {
  local out
  out=$(qvx_unix_path 'C:\export.reg')
  rm -f "$out"
  wine regedit /E 'C:\export.reg' "$1" >/dev/null 2>&1 || true
  [ -f "$out" ] && iconv -f UTF-16 -t UTF-8 "$out" | tr -d '\r'
  true
}

# Waits for the process started by qvx_start; its exit status lands in QVX_EXIT_CODE.
qvx_wait_exit() {
  local timeout waited=0
  timeout=$(qvx_bound "${1:-$QVX_TIMEOUT}")
  while kill -0 "$QVX_WINE_PID" 2>/dev/null; do
    [ "$waited" -ge $((timeout * 10)) ] && qvx_fail "program still running after ${timeout}s"
    sleep 0.1
    waited=$((waited + 1))
  done
  QVX_EXIT_CODE=0
  wait "$QVX_WINE_PID" || QVX_EXIT_CODE=$?
  QVX_WINE_PID=
}

# Ends every process of this test's prefix (all started by this test, ui_probe too) and waits
# for them.
qvx_stop_all() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  local pid
  for pid in "$QVX_WINE_PID" "${QVX_UI_PID:-}"; do
    [ -z "$pid" ] || wait "$pid" 2>/dev/null || true
  done
  QVX_WINE_PID='' QVX_UI_PID=''
}

qvx_running() { [ -n "$QVX_WINE_PID" ] && kill -0 "$QVX_WINE_PID" 2>/dev/null; }

# Polls COMMAND until it succeeds or TIMEOUT seconds pass: qvx_poll TIMEOUT DESCRIPTION CMD...
qvx_poll() {
  local timeout what=$2
  timeout=$(qvx_bound "$1")
  shift 2
  local end=$((SECONDS + timeout))
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -ge "$end" ] && qvx_fail "timed out after ${timeout}s waiting for $what"
    sleep 0.2
  done
}

# Relative paths are inside the program folder.
qvx_resolve() { [[ $1 == /* ]] && printf '%s' "$1" || printf '%s/%s' "$QVX_PROGRAM_UNIX" "$1"; }

qvx_wait_file() {
  local path
  path=$(qvx_resolve "$1")
  qvx_poll "${2:-$QVX_TIMEOUT}" "file $1" test -e "$path"
}

# Waits for a line matching the (UTF-8) extended regex in a GBK file.
qvx_wait_log_line() {
  local path
  path=$(qvx_resolve "$1")
  qvx_poll "${3:-$QVX_TIMEOUT}" "'$2' in $1" qvx__grep_gbk "$path" "$2"
}
qvx__grep_gbk() { [ -e "$1" ] && iconv -f GBK -t UTF-8 "$1" | tr -d '\r' | grep -Eq -- "$2"; }
# The program's run log (qvxl.log in its folder) as text, without the time stamps; how many
# lines match a regex; a wait until at least N lines match.
qvx_runlog() { qvx_gbk "$QVX_PROGRAM_UNIX/qvxl.log" | tr -d '\r' | sed 's/^\[[^]]*\]  //'; }
qvx_log_count() { qvx_runlog | grep -cE -- "$1" || true; }
qvx__log_at_least() { [ "$(qvx_log_count "$2")" -ge "$1" ]; }
qvx_wait_log_count() { qvx_poll "${3:-60}" "$2 x$1" qvx__log_at_least "$1" "$2"; }
# The threads of a process, read from /proc without starting a program (soaks count them after
# every cycle).
qvx_thread_count() (
  shopt -s nullglob
  local tasks=("/proc/$1/task/"*)
  echo "${#tasks[@]}"
)
# Control lines for the RAS test double beside the program, read at its next call.
qvx_ras_control() { printf '%s\n' "$@" >>"$QVX_PROGRAM_UNIX/ras_double_control.txt"; }
# The Windows process of the program in this test's prefix: Wine names it by its Windows path,
# its first argument (after the emulator's and the loader's own where i386 is emulated).
qvx_program_pid() {
  local p
  for p in /proc/[0-9]*; do
    { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    [[ $(tr '\0' '\n' <"$p/cmdline" 2>/dev/null | grep -m1 '^[A-Za-z]:\\') == [A-Za-z]:\\*quovix.exe ]] &&
      echo "${p#/proc/}" && return
  done
}

# Visible windows whose title matches the regex (UTF-8), one X id a line.
qvx_windows() { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; }

# Waits for a visible window whose title matches and prints its X id.
qvx_wait_window() {
  qvx_poll "${2:-$QVX_TIMEOUT}" "window '$1'" qvx__has_window "$1"
  qvx_windows "$1" | head -n1
}
qvx__has_window() { [ -n "$(qvx_windows "$1")" ]; }

# Keys to the focused window (xdotool names: Return, Tab, ctrl+a) or to a given window.
qvx_key() { xdotool key --delay 50 "$@"; }
# There is no window manager, so the window is focused rather than activated.
qvx_key_to() {
  local win=$1
  shift
  xdotool windowfocus --sync "$win" key --delay 50 "$@"
}
qvx_type() { xdotool type --delay 30 -- "$1"; }
qvx_type_to() { xdotool windowfocus --sync "$1" type --delay 30 -- "$2"; }

# --- the program as its user sees it (ui_probe) ---------------------------------------------
# The program's window titles: the login window, the status window, which takes the login
# window's title and shows once that one has gone (its 连接 button tells it), and the exit
# confirmation and message boxes.
# The version the build was made with (cmake/version.cmake), as the windows and the setup show it.
QVX_VERSION=$(sed -n 's/^QVX_VERSION=//p' "$QVX_BUILD/version.env")
# The release after it (quovix_next, the updater's target): as shown, and its file version.
QVX_NEXT_VERSION=$(sed -n 's/^QVX_NEXT_VERSION=//p' "$QVX_BUILD/version.env")
QVX_NEXT_FILEVERSION=$(sed -n 's/^QVX_NEXT_FILEVERSION=//p' "$QVX_BUILD/version.env")
QVX_LOGIN="Quovix加速$QVX_VERSION"
QVX_STATUS=$QVX_LOGIN
QVX_BOX='Quovix加速'
# The command id of 设置, the second item of the status window's menu bar (its ids start at
# 20000, widgets/win32/win32_ui.cpp).
QVX_MENU_SETTINGS=20001
QVX_UI_PID=

# Starts ui_probe (tests/wine/ui_probe.cpp) for the program with that file name, default
# quovix.exe; after qvx_setup, once per test.
qvx_ui_start() {
  local probe=$QVX_BUILD/ui_probe.exe
  [ -f "$probe" ] || qvx_fail "ui_probe.exe not built"
  coproc QVX_UI { exec wine "$probe" "${1:-quovix.exe}" 2>>"$qvx_tmp/probe.err"; }
  qvx_stop_on_exit "${QVX_UI_PID:-}"
}
# Ends the probe: its input closes and it exits, so that one for another program can start.
qvx_ui_stop() {
  local input=${QVX_UI[1]}
  exec {input}>&-
  wait "$QVX_UI_PID" 2>/dev/null || true
  QVX_UI_PID=
}
# One probe command, its fields as arguments; prints the answer. (The probe's pipes reach this
# shell and its command substitutions, not a pipeline or a ( ) subshell.)
qvx_ui() {
  local IFS=$'\t' answer
  [ -n "${QVX_UI_PID:-}" ] || qvx_fail "qvx_ui before qvx_ui_start"
  printf '%s\n' "$*" >&"${QVX_UI[1]}"
  read -r -t 60 answer <&"${QVX_UI[0]}" || qvx_fail "ui_probe did not answer '$*'"
  printf '%s' "${answer%$'\r'}"
}
# A command that must answer ok: qvx_ui_do WHAT COMMAND FIELDS...
qvx_ui_do() {
  local what=$1 answer
  shift
  answer=$(qvx_ui "$@")
  [ "$answer" = ok ] || qvx_fail "$what: ui_probe answered '$answer' to '$*'"
}
# Repeats a command until its whole answer matches the extended regex, and fails after
# TIMEOUT seconds: qvx_ui_until TIMEOUT REGEX COMMAND FIELDS... A click so waits for its
# button to be there and enabled, and is made once.
qvx_ui_until() {
  local timeout want=$2 answer end
  timeout=$(qvx_bound "$1")
  shift 2
  end=$((SECONDS + timeout))
  while :; do
    answer=$(qvx_ui "$@")
    [[ $answer =~ ^($want)$ ]] && return 0
    [ "$SECONDS" -lt "$end" ] ||
      qvx_fail "timed out after ${timeout}s waiting for '$*' to answer '$want' (it answers '$answer'; the program's windows: $(qvx_ui titles))"
    sleep 0.1
  done
}
# Waits for the program's window with that title to show, or to go.
qvx_ui_window() { qvx_ui_until "${2:-$QVX_TIMEOUT}" ok window "$1"; }
qvx_ui_gone() { qvx_ui_until "${2:-$QVX_TIMEOUT}" none window "$1"; }
# Clicks the button with that caption in that window once it is there and enabled.
qvx_ui_click() { qvx_ui_until "${3:-$QVX_TIMEOUT}" ok click "$1" "$2"; }
# Waits until a control of the window shows a text matching the extended regex (whole text).
qvx_ui_shows() { qvx_ui_until "${3:-$QVX_TIMEOUT}" "(.*\|)?($2)\|.*" texts "$1"; }
# Waits for the program's message box, which must say TEXT (extended regex), and answers it
# with OK.
qvx_ui_answer_box() {
  qvx_ui_until "${2:-$QVX_TIMEOUT}" "$1" box
  qvx_ui_do "the message box" box_ok
  qvx_ui_until 20 none box
}

qvx_screenshot() {
  local out=$QVX_SCREENSHOTS/$1.png
  # What the picture is to show is painted first.
  [ -z "${QVX_UI_PID:-}" ] || qvx_ui_until 20 'ok|none' painted
  import -display "$QVX_DISPLAY" -window root "$out"
  qvx_log "screenshot $out"
}

# Starts the demo service with the given scenario and further options, stopped on exit, and
# waits until it answers; QVX_DEMO_PID is its process.
qvx_start_demo_service() {
  local service=$QVX_NATIVE_BUILD/tools/demo_service/demo_service
  [ -x "$service" ] || qvx_fail "no demo service at $service"
  "$service" --port "$QVX_DEMO_PORT" --scenario "$1" "${@:2}" >>"$qvx_tmp/service.out" 2>&1 &
  QVX_DEMO_PID=$!
  qvx_stop_on_exit $QVX_DEMO_PID
  qvx_poll 10 "demo service" bash -c "exec 3<>/dev/tcp/127.0.0.1/$QVX_DEMO_PORT"
}

# Puts test-double DLLs (rasapi32.dll, iphlpapi.dll) into the prefix's system folder in place of
# Wine's own, and has Wine load them instead of its builtin ones in the programs that bind them
# (only there: Wine's own services, ndis.sys among them, would call what a double lacks). The
# programs bind these DLLs from the system folder only, never from their own folder. Each pass
# has a prefix of its build's width (32-bit for win32, 64-bit for win64), so system32 is the
# folder either way. The doubles keep their files beside the program that loads them.
qvx_install_system_dlls() {
  local f app reg=$qvx_tmp/system-dlls.reg
  printf 'REGEDIT4\n' >"$reg"
  for app in quovix.exe nettest.exe ras_dialer_tests.exe; do
    printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s\\DllOverrides]\n' "$app" >>"$reg"
    for f in "$@"; do printf '"%s"="native"\n' "$(basename "$f" .dll)" >>"$reg"; done
  done
  for f in "$@"; do cp "$f" "$WINEPREFIX/drive_c/windows/system32/$(basename "$f")"; done
  env -u DISPLAY wine regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1 || qvx_fail "the DLL overrides were not written"
}

# Installs the program into C:\Quovix with the route files and any further files, and the RAS
# and IP Helper doubles into the system folder.
#   qvx_install_with_doubles RAS_DLL IPHLP_DLL [FILE...]
qvx_install_with_doubles() {
  local ras=$1 iphlp=$2 f routes=()
  shift 2
  for f in "$QVX_SOURCE"/route/*.dat; do routes+=("$f=route/$(basename "$f")"); done
  qvx_install 'C:\Quovix' "$QVX_BUILD/quovix.exe" "$@" "${routes[@]}"
  qvx_install_system_dlls "$ras" "$iphlp"
}

# Puts the demo service's account into the login window once it shows, and logs in.
qvx_log_in_as_demo() {
  qvx_ui_window "$QVX_LOGIN"
  qvx_ui_do "the account" type "$QVX_LOGIN" 1 demo
  qvx_ui_do "the password" type "$QVX_LOGIN" 2 demo123
  qvx_ui_click "$QVX_LOGIN" 登陆
}

# Opens the settings from the status window's menu and ticks 断线自动重连, leaving the settings
# window open.
qvx_turn_on_redial() {
  qvx_ui_do "the settings menu item" menu "$QVX_STATUS" "$QVX_MENU_SETTINGS"
  qvx_ui_window 设置 20
  qvx_ui_until 10 0 checked 设置 断线自动重连
  qvx_ui_click 设置 断线自动重连
  qvx_ui_until 10 1 checked 设置 断线自动重连
}

# qvx_fixed_file_info EXE: the byte offset of the VS_FIXEDFILEINFO in EXE's version resource
# (its signature 0xFEEF04BD), or status 1 when there is none.
qvx_fixed_file_info() {
  local at
  at=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$1" | head -n 1 | cut -d: -f1)
  [ -n "$at" ] && echo "$at"
}
# qvx_file_version EXE: the file version in EXE's version resource (VS_FIXEDFILEINFO), as 2.4.3.1.
qvx_file_version() {
  local at
  at=$(qvx_fixed_file_info "$1") || return 1
  od -An -tu2 -j $((at + 8)) -N 8 "$1" | awk '{ print $2 "." $1 "." $4 "." $3 }'
}

# --- code signing ------------------------------------------------------------------------------
# The password of every certificate qvx_make_cert makes.
QVX_CERT_PASSWORD=throwaway
# qvx_make_cert NAME: a self-signed code-signing certificate in $qvx_tmp/certs: NAME.pfx, NAME.der, NAME.sha256 (its thumbprint, hex).
qvx_make_cert() {
  local dir=$qvx_tmp/certs name=$1
  mkdir -p "$dir"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/$name.key" -out "$dir/$name.pem" -days 2 \
    -subj "/CN=Quovix test signer $name" -addext "extendedKeyUsage=codeSigning" \
    -addext "keyUsage=critical,digitalSignature" -addext "basicConstraints=critical,CA:FALSE" \
    >/dev/null 2>&1 || qvx_fail "openssl req for certificate $name"
  openssl pkcs12 -export -inkey "$dir/$name.key" -in "$dir/$name.pem" -out "$dir/$name.pfx" \
    -passout "pass:$QVX_CERT_PASSWORD" || qvx_fail "openssl pkcs12 for certificate $name"
  openssl x509 -in "$dir/$name.pem" -outform der -out "$dir/$name.der"
  sha256sum <"$dir/$name.der" | cut -d' ' -f1 >"$dir/$name.sha256"
}
# qvx_trust_cert DER: adds the certificate to the prefix's trusted roots (HKLM Root) through trust_cert.exe; after qvx_setup.
qvx_trust_cert() {
  local der
  der=$(realpath "$1")
  QVX_CWD=$qvx_tmp qvx_run "$QVX_BUILD/trust_cert.exe" "Z:${der//\//\\}" >/dev/null ||
    qvx_fail "the prefix did not take $1 as a trusted root"
}
# qvx_sign FILE PFX: signs FILE in place with scripts/sign.sh, without a time stamp.
qvx_sign() {
  QVX_SIGN_PFX=$2 QVX_SIGN_PASSWORD=$QVX_CERT_PASSWORD QVX_SIGN_TIMESTAMP='' \
    "$QVX_SOURCE/scripts/sign.sh" "$1" || qvx_fail "could not sign $1 with $2"
}
# qvx_next_setup PFX: a silent setup of version QVX_NEXT_VERSION (quovix_next as both clients) signed with PFX; prints its path.
qvx_next_setup() {
  local pfx=$1 stage=$QVX_RELEASE_DIR/Quovix name out
  [ -d "$stage" ] || "$QVX_SOURCE/scripts/release.sh" --demo >/dev/null || qvx_fail "release.sh --demo failed"
  name=$(basename "$pfx" .pfx)
  out=$qvx_tmp/next-$name
  rm -rf "$out" && mkdir -p "$out" && cp -a "$stage" "$out/Quovix"
  # The clients as release.sh takes them: the 32-bit build's and the 64-bit build's.
  cp "$QVX_SOURCE/build/win32/quovix_next.exe" "$out/Quovix/quovix.exe"
  cp "$QVX_SOURCE/build/win64/quovix_next.exe" "$out/Quovix/quovix64.exe"
  local program
  for program in quovix.exe quovix64.exe nettest.exe nettest64.exe update.exe; do
    qvx_sign "$out/Quovix/$program" "$pfx"
  done
  QVX_SIGN_PFX=$pfx QVX_SIGN_PASSWORD=$QVX_CERT_PASSWORD QVX_SIGN_TIMESTAMP='' \
    QVX_VERSION=$QVX_NEXT_VERSION QVX_FILEVERSION=$QVX_NEXT_FILEVERSION \
    "$QVX_SOURCE/scripts/installer.sh" "$out/Quovix" "$out/quovix-$QVX_NEXT_VERSION-setup.exe" ||
    qvx_fail "the setup of $QVX_NEXT_VERSION could not be made"
}

qvx_pass() { qvx_log "PASS"; }
