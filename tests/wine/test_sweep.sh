#!/bin/bash
# A test killed at its time-out runs no exit trap: the next test's sweep must stop the display
# server and the wineserver it left and remove its prefix, and leave a live test's alone.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"

# Starts a test that sets up its prefix and display, then waits; its pid lands in $victim.
victim() {
  # exec: the pid in $! is the victim's own, not a subshell's around it.
  (
    export QVX_TEST=sweep_victim
    exec bash -c 'source "$1/tests/wine/lib.sh"; qvx_setup; wineserver -p; sleep 600 & qvx_stop_on_exit $!; wait $!' _ "$QVX_SOURCE" >/dev/null 2>&1
  ) &
  victim=$!
}
# An orphan that ended may stay a zombie until its new parent reaps it.
running() {
  local state
  state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1)
  [ -n "$state" ] && [ "$state" != Z ]
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
    # The record is complete once the display server and the waiting sleep are in it.
    [ -f "$QVX_RUNS/$1" ] && [ "$(wc -l <"$QVX_RUNS/$1")" -ge 3 ] && pgrep -P "$1" -x sleep >/dev/null && return 0
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
# What a test starts besides its display holds the port lock too: the sweep must stop it.
read -r waiter _ < <(sed -n 3p "$QVX_RUNS/$killed")
[ -d "$killed_tmp/prefix" ] || qvx_fail "the victim has no prefix"
kill -0 "$xvfb" || qvx_fail "the victim's display server is not running"
# The wineservers serving a prefix: they carry it in their environment.
servers_of() {
  local pid
  for pid in $(pgrep wineserver); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$1" && running "$pid" && echo "$pid"
  done
}
has_server() { [ -n "$(servers_of "$1")" ]; }
has_server "$killed_tmp/prefix" || qvx_fail "the victim's wineserver is not running"

kill -KILL "$killed"
wait "$killed" 2>/dev/null || true
qvx_sweep

gone running "$xvfb" || qvx_fail "the killed test's display server still runs"
gone running "$waiter" || qvx_fail "a process the killed test started still runs"
gone has_server "$killed_tmp/prefix" || qvx_fail "the killed test's wineserver still runs"
[ -e "$killed_tmp" ] && qvx_fail "the killed test's prefix is still there"
[ -e "$QVX_RUNS/$killed" ] && qvx_fail "the killed test's record is still there"

# A killed test whose processes all ended with it (its process group was killed) and whose
# prefix has no wineserver left: the sweep still removes what is left, and goes on.
bash -c 'exit 0' &
gone_owner=$!
wait "$gone_owner"
gone_tmp=$(mktemp -d "${TMPDIR:-/tmp}/qvx-sweep_gone.XXXXXX")
mkdir "$gone_tmp/prefix"
printf '%s 1 %s\n%s 1\n' "$gone_owner" "$gone_tmp" "$gone_owner" >"$QVX_RUNS/$gone_owner"
qvx_sweep
[ -e "$gone_tmp" ] && qvx_fail "the sweep left the prefix of a test whose processes had ended"
[ -e "$QVX_RUNS/$gone_owner" ] && qvx_fail "the sweep left the record of a test whose processes had ended"

# The live test keeps everything.
[ -e "$QVX_RUNS/$live" ] || qvx_fail "the sweep took a live test's record"
read -r _ _ live_tmp <"$QVX_RUNS/$live"
[ -d "$live_tmp/prefix" ] || qvx_fail "the sweep removed a live test's prefix"
has_server "$live_tmp/prefix" || qvx_fail "the sweep stopped a live test's wineserver"
read -r live_xvfb _ < <(sed -n 2p "$QVX_RUNS/$live")
running "$live_xvfb" || qvx_fail "the sweep stopped a live test's display server"
qvx_pass
