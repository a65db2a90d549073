#!/bin/bash
# The dialer and the Win32 RAS layer against our rasapi32 test double under Wine: record
# sizes, entry fields, the "buffer too small" retries, failures and a vanished line, all
# read back from the double's call log and phone book.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
export LC_ALL=C

TOOLS=$QVX_BUILD/tools/ras_double
for f in rasapi32.dll ras_probe.exe; do
  [ -f "$TOOLS/$f" ] || qvx_fail "$TOOLS/$f not built"
done
WORK=$qvx_tmp
# RASCONNA and RASDIALPARAMSA hold a handle and a ULONG_PTR: longer on x64.
if [ "$QVX_ARCH" = win64 ]; then CONN=708 DIAL=1064; else CONN=704 DIAL=1060; fi
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;rasapi32=n"
qvx_setup

G=$(printf 'Quovix加速' | iconv -f UTF-8 -t GBK)  # the brand prefix as the client writes it
CASE=""
fail() {
  echo "FAIL [$CASE]: $*" >&2
  [ -f "$WORK/$CASE/ras_double_log.txt" ] && sed 's/^/  log: /' "$WORK/$CASE/ras_double_log.txt" >&2
  exit 1
}
start_case() {
  CASE=$1
  mkdir -p "$WORK/$CASE"
  cp "$TOOLS/rasapi32.dll" "$TOOLS/ras_probe.exe" "$WORK/$CASE/"
  : >"$WORK/$CASE/ras_double_state.txt"
}
seed() { printf '%s\n' "$@" >>"$WORK/$CASE/ras_double_state.txt"; }
control() { printf '%s\n' "$@" >"$WORK/$CASE/ras_double_control.txt"; }
probe() {
  (cd "$WORK/$CASE" && wine ./ras_probe.exe "$@" </dev/null | tr -d '\r' >out) || fail "probe exited with $?"
}
log() { cat "$WORK/$CASE/ras_double_log.txt"; }
state() { cat "$WORK/$CASE/ras_double_state.txt"; }
out_has() { grep -qxF -- "$1" "$WORK/$CASE/out" || fail "output lacks '$1' (got: $(tr '\n' '|' <"$WORK/$CASE/out"))"; }
log_has() { log | grep -qxF -- "$1" || fail "log lacks '$1'"; }
log_lacks() { ! log | grep -qE -- "$1" || fail "log has /$1/"; }
line_of() { log | grep -nxF -- "$1" | head -1 | cut -d: -f1; }
before() {
  local a b
  a=$(line_of "$1") b=$(line_of "$2")
  [ -n "$a" ] && [ -n "$b" ] && [ "$a" -lt "$b" ] || fail "'$1' not before '$2'"
}
no_size_errors() { log_lacks ' -> (87|610|632)$'; }

# --- A whole session: an old brand line and entries are up, another program's are too.
start_case session
seed "entry Office%20VPN phone=1.1.1.1" "entry ${G}123" "entry ${G}%20other%20tool" \
  "conn 100 Office%20VPN" "conn 101 ${G}123"
QVX_RAS_ENTRY_SIZE=2952 probe marker version 601 dial 10.0.0.5 alice 0123456789ABCDEF012345678 4711 1 \
  status stats stats hangup cleanup
out_has "marker 1"
out_has "dial 0 handle=4097"
out_has "status 8192 connection=4097"
out_has "stats rx=2048 tx=512"
out_has "stats rx=4096 tx=1024"
out_has "hangup 0 handle=0"
out_has "cleanup 0 connection=0"
# Two connections do not fit one RASCONNA record: 603, then a block of the reported size.
log_has "RasEnumConnectionsA buf=set cb=$CONN dwSize=$CONN out_cb=$((2 * CONN)) out_count=2 -> 603"
log_has "RasEnumConnectionsA buf=set cb=$((2 * CONN)) dwSize=$CONN out_cb=$((2 * CONN)) out_count=2 -> 0"
log_has "RasEnumEntriesA reserved=null pbk=null buf=null cb=0 out_cb=1064 out_count=2 -> 603"
log_has "RasEnumEntriesA reserved=null pbk=null buf=set cb=1064 dwSize=532 out_cb=1064 out_count=2 -> 0"
SET="RasSetEntryPropertiesA pbk=null entry=${G}4711 cb=2952 devinfo=null devsize=0 dwSize=2952 devname=PPPoE devtype=vpn dialmode=1 encryption=3 framing=1 options=0x390D0210 options2=111 phone=10.0.0.5 protocols=4 size=2952 strategy=1 stray=0 type=2 -> 0"
log_has "RasGetEntryPropertiesA pbk=null entry=null buf=null devinfo=null devsize=null cb=0 out_size=2952 -> 603"
log_has "$SET"
log_has "RasDialA dialing=1 ext=null pbk=null notifiertype=0 notifier=null dwSize=$DIAL entry=${G}4711 phone= callback= user=alice password=0123456789ABCDEF012345678 domain= subentry=0 callbackid=0 out_handle=4097 -> 0"
before "RasHangUpA handle=101 -> 0" "$SET"
before "RasDeleteEntryA pbk=null entry=${G}123 -> 0" "$SET"
before "RasDeleteEntryA pbk=null entry=${G}%20other%20tool -> 0" "$SET"
log_has "RasGetConnectStatusA handle=4097 dwSize=288 out_state=8192 -> 0"
log_has "RasGetConnectionStatistics handle=4097 dwSize=60 out_rx=4096 out_tx=1024 -> 0"
log_has "RasHangUpA handle=4097 -> 0"
log_has "RasDeleteEntryA pbk=null entry=${G}4711 -> 0"
log_lacks "RasHangUpA handle=100 "
log_lacks "RasDeleteEntryA .*entry=Office"
no_size_errors
[ "$(state | grep -c '^entry ')" = 1 ] && state | grep -qx "entry Office%20VPN phone=1.1.1.1" ||
  fail "phone book should hold only Office VPN: $(state)"
[ "$(state | grep -c '^conn ')" = 1 ] && state | grep -q "^conn 100 " || fail "only conn 100 should be left"

# --- Before Vista the first entry listing is handed a one-record buffer (and a size of 0).
start_case old_windows
seed "entry ${G}1"
probe version 501 dial vpn.example.test bob pw 7 3 hangup
out_has "dial 0 handle=4097"
out_has "hangup 0 handle=0"
log_has "RasEnumEntriesA reserved=null pbk=null buf=set cb=0 dwSize=532 out_cb=532 out_count=1 -> 603"
log | grep -qF "entry=${G}7 cb=2884 " || fail "default entry size not used"
log | grep -qF " phone=vpn.example.test protocols=4 size=2884 strategy=3 " || fail "strategy 3 not written"
log_lacks "RasEnumEntriesA .*buf=null"
no_size_errors
! state | grep -qF "$G" || fail "brand entries left: $(state)"

# --- A refused dial: the half-made line is hung up, the new entry removed, step 2 reported.
start_case failed_dial
control "fail RasDialA 691"
probe version 601 dial 10.0.0.9 carol pw 9 1
out_has "dial error step=2 ras=691"
log | grep -q "^RasDialA .*out_handle=4097 -> 691$" || fail "dial not refused"
before "RasDialA dialing=1 ext=null pbk=null notifiertype=0 notifier=null dwSize=$DIAL entry=${G}9 phone= callback= user=carol password=pw domain= subentry=0 callbackid=0 out_handle=4097 -> 691" \
  "RasHangUpA handle=4097 -> 0"
log_has "RasDeleteEntryA pbk=null entry=${G}9 -> 0"
! state | grep -qF "$G" || fail "brand entry or line left: $(state)"

# --- Every third dial fails with a code picked from the list by the seed, in this program and
# the next: the count lives in the state. The same seed picks the same codes; the live report
# shows nothing held once each refused dial is cleaned up.
periodic_run() { # SEED, in a case just started: the codes the 3rd and 6th dial met
  control "fail_every 3 691 633 678 $1"
  local dial=(dial 10.0.0.9 carol pw 9 1)
  probe version 601 "${dial[@]}" hangup "${dial[@]}" hangup "${dial[@]}" hangup "${dial[@]}" hangup
  probe version 601 "${dial[@]}" hangup "${dial[@]}" hangup cleanup
  log | sed -n 's/^RasDialA .* injected=\([0-9]*\) .*-> \([0-9]*\)$/\1 \2/p' | tr '\n' ' '
}
start_case periodic
codes=$(periodic_run 7)
[ "$(log | grep -c '^RasDialA .* -> 0$')" = 4 ] || fail "four dials should go through: $(log | grep '^RasDialA')"
read -ra got <<<"$codes"
[ ${#got[@]} = 4 ] && [ "${got[0]}" = "${got[1]}" ] && [ "${got[2]}" = "${got[3]}" ] ||
  fail "the 3rd and 6th dials should fail with the code they were injected: '$codes'"
[[ " 691 633 678 " == *" ${got[0]} "* && " 691 633 678 " == *" ${got[2]} "* ]] ||
  fail "codes outside the list: '$codes'"
[ "$(log | grep -n '^RasDialA ' | grep ' injected=' | cut -d: -f1 | tr '\n' ' ')" = "$(log | grep -n '^RasDialA ' | sed -n '3p;6p' | cut -d: -f1 | tr '\n' ' ')" ] ||
  fail "not the 3rd and 6th dials failed: $(log | grep '^RasDialA')"
state | grep -qx 'dials 6' || fail "the dial count is not kept: $(state)"
[ "$(cat "$WORK/$CASE/ras_double_live.txt")" = "connections=0 entries=0" ] ||
  fail "live report: $(cat "$WORK/$CASE/ras_double_live.txt")"
start_case periodic_again
[ "$(periodic_run 7)" = "$codes" ] || fail "the same seed picked other codes"
start_case periodic_other
[ "$(periodic_run 8)" != "$codes" ] || fail "seeds 7 and 8 picked the same codes: '$codes'"

# --- The line vanishes between two runs: the status query fails, the handle is forgotten.
start_case dropped
probe version 601 dial 10.0.0.5 dave pw 5 1
out_has "dial 0 handle=4097"
control "drop all"
probe version 601 use 4097 status stats cleanup
out_has "status 8193 connection=0"
out_has "stats error step=8 ras=6"
out_has "cleanup 0 connection=0"
log_has "RasGetConnectStatusA handle=4097 dwSize=288 -> 6"
! state | grep -qF "$G" || fail "brand entry left after the drop: $(state)"

# --- Only a refused deletion stops the clean-up.
start_case refused_delete
seed "entry ${G}1" "entry Office"
control "fail RasDeleteEntryA 5"
probe version 601 cleanup cleanup
[ "$(tr '\n' '|' <"$WORK/$CASE/out")" = "cleanup error step=7 ras=5|cleanup 0 connection=0|" ] ||
  fail "unexpected: $(cat "$WORK/$CASE/out")"
state | grep -qx "entry Office" && ! state | grep -qF "$G" || fail "phone book: $(state)"

# --- Listings that claim far more records than they wrote are read only as far as they fit.
start_case overcount
seed "entry ${G}1" "entry ${G}2" "entry ${G}3" "entry Office" "conn 200 ${G}1" "conn 201 ${G}2" "conn 202 Office"
control "overcount 1000"
probe version 501 cleanup
out_has "cleanup 0 connection=0"
log_has "RasEnumConnectionsA buf=set cb=$((3 * CONN)) dwSize=$CONN out_cb=$((3 * CONN)) out_count=1003 -> 0"
[ "$(log | grep -c '^RasHangUpA ')" = 2 ] || fail "expected exactly two hang-ups"
log_has "RasEnumEntriesA reserved=null pbk=null buf=set cb=1064 dwSize=532 out_cb=1064 out_count=1002 -> 0"
[ "$(log | grep -c '^RasDeleteEntryA ')" = 3 ] || fail "expected one deletion per brand entry"
log_lacks "RasHangUpA handle=202 "
state | grep -qx "entry Office" && state | grep -q "^conn 202 " || fail "another program's items touched"

# --- Listings that outgrow their block between two calls are asked again until they fit.
start_case growing_connections
seed "conn 100 Office" "conn 101 ${G}1"
control "grow 3"
probe version 601 cleanup
out_has "cleanup 0 connection=0"
[ "$(log | grep -c '^RasEnumConnectionsA .* -> 603$')" = 4 ] || fail "expected four 603 answers"
log_has "RasHangUpA handle=101 -> 0"
start_case growing_entries
seed "entry ${G}1" "entry Office"
control "grow 2"
probe version 601 cleanup
out_has "cleanup 0 connection=0"
log_has "RasDeleteEntryA pbk=null entry=${G}1 -> 0"
state | grep -qx "entry Office" || fail "another program's entry touched: $(state)"

# --- The double itself refuses records of a wrong size, so the checks above mean something.
start_case bad_sizes
probe badsizes
out_has "badsizes conn=632 dial=632 entries=632"

# --- Windows from Vista on refuses an entry without the members the caller must set; the
# XP-like profile of the double still takes it.
start_case no_framing
probe noframing
out_has "noframing 87"
! state | grep -q '^entry ' || fail "refused entry stored: $(state)"
start_case no_framing_xp
seed "profile xp"
probe noframing
out_has "noframing 0"
state | grep -q "^entry ${G}0 .*framing=0 " || fail "XP-like profile refused the entry: $(state)"

# --- A hung-up connection Windows is still taking down: it stays listed and reads as
# disconnected, and its entry's port is busy until its handle turns invalid. The dialer waits
# for that before it dials again, so the second dial goes through.
dial_twice="version 601 dial 10.0.0.5 alice pw 4711 1 hangup dial 10.0.0.5 alice pw 4711 1"
start_case linger
seed "linger 1500"
# shellcheck disable=SC2086
probe $dial_twice
out_has "hangup 0 handle=0"
out_has "dial 0 handle=4098"
log | grep -qE '^RasGetConnectStatusA handle=4097 dwSize=[0-9]+ out_state=8193 -> 0$' ||
  fail "no disconnected state while taken down"
gone=$(log | grep -nE '^RasGetConnectStatusA handle=4097 dwSize=[0-9]+ -> 6$' | head -1 | cut -d: -f1)
redial=$(log | grep -n '^RasDialA .* out_handle=4098 -> 0$' | cut -d: -f1)
[ -n "$gone" ] && [ -n "$redial" ] && [ "$gone" -lt "$redial" ] || fail "dialled again before the handle went"
log_lacks '-> 633$'
# The double's own rules, straight through RAS: while the hung-up connection is being taken
# down it reads as disconnected, a dial on its entry is refused with 633 and a second hang-up
# does not restart its clock; after the linger its handle is invalid and the entry dials again.
start_case linger_rules
seed "linger 2000" "entry ${G}7 phone=10.0.0.7"
probe rasdial 7 rashangup rasstatus rasdial 7 use 4097 wait 1200 rashangup wait 1200 rasstatus \
  rasdial 7
[ "$(tr '\n' '|' <"$WORK/$CASE/out")" = "rasdial 0 handle=4097|rashangup 0|rasstatus 0 state=8193|rasdial 633 handle=0|rashangup 0|rasstatus 6 state=0|rasdial 0 handle=4098|" ] ||
  fail "linger rules: $(tr '\n' '|' <"$WORK/$CASE/out")"

echo "PASS test_ras_dialer"
