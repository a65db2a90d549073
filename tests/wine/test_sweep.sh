#!/bin/bash
# A test killed at its time-out runs no exit trap: the next test's sweep must stop the display
# server and the wineserver it left and remove its prefix, and leave a live test's alone.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"

# Starts a test that sets up its prefix and display, then waits; its pid lands in $victim.
victim() {
  QVX_TEST=sweep_victim bash -c 'source "$1/tests/wine/lib.sh"; qvx_setup; wineserver -p; sleep 600 & wait $!' _ "$QVX_SOURCE" \
    >/dev/null 2>&1 &
  victim=$!
}
# Waits up to 5 s for a condition to become false.
gone() {
  local i
  for ((i = 0; i < 50; i++)); do "$@" || return 0; sleep 0.1; done
  return 1
}
record_of() {
  local i
  for ((i = 0; i < 300; i++)); do
    # The record is complete once the display server is in it.
    [ "$(wc -l <"$QVX_RUNS/$1" 2>/dev/null)" -ge 2 ] && pgrep -P "$1" -x sleep >/dev/null && return 0
    sleep 0.2
  done
  qvx_fail "the victim test never got going"
}

victim
live=$victim
victim
killed=$victim
qvx_stop_on_exit "$live"
record_of "$live"
record_of "$killed"
read -r _ _ killed_tmp <"$QVX_RUNS/$killed"
read -r xvfb _ < <(sed -n 2p "$QVX_RUNS/$killed")
[ -d "$killed_tmp/prefix" ] || qvx_fail "the victim has no prefix"
kill -0 "$xvfb" || qvx_fail "the victim's display server is not running"
# A wineserver listens in /tmp/.wine-UID/server-DEV-INODE of its prefix (both in hex).
read -r dev inode < <(stat -c '%d %i' "$killed_tmp/prefix")
server_socket=/tmp/.wine-$(id -u)/server-$(printf '%x-%x' "$dev" "$inode")
[ -S "$server_socket/socket" ] || qvx_fail "the victim's wineserver is not running"

kill -KILL "$killed"
wait "$killed" 2>/dev/null
qvx_sweep

# An orphan that ended may stay a zombie until its new parent reaps it.
running() {
  local state
  state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1)
  [ -n "$state" ] && [ "$state" != Z ]
}
gone running "$xvfb" || qvx_fail "the killed test's display server still runs"
gone test -S "$server_socket/socket" || qvx_fail "the killed test's wineserver still runs"
[ -e "$killed_tmp" ] && qvx_fail "the killed test's prefix is still there"
[ -e "$QVX_RUNS/$killed" ] && qvx_fail "the killed test's record is still there"

# The live test keeps everything.
[ -e "$QVX_RUNS/$live" ] || qvx_fail "the sweep took a live test's record"
read -r _ _ live_tmp <"$QVX_RUNS/$live"
[ -d "$live_tmp/prefix" ] || qvx_fail "the sweep removed a live test's prefix"
qvx_pass
