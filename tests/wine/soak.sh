#!/bin/bash
# Weeks in the tray, compressed: two programs' soaks (soak_program.sh) side by side, each in its
# own prefix and display over its own doubles, both served by one demo service. The first is
# the long-lived tray program: QVX_SOAK_CONNECTS connects (default 200) with a tenth of the
# QVX_SOAK_DROPS drops (default 50) among them, then QVX_SOAK_RESTARTS exits and restarts
# (default 20). The second takes the rest of the drops. A drop costs the program's own timers
# 11 s (the link monitor's 5 s tick, then its 6 s second look) during which its process does
# nothing else; side by side they cost the run no more than the first program's work.
# Figures: $QVX_BUILD/wine-soak/{tray,drops}/ and the run's time in summary.txt there
# (scripts/wine_soak_table.sh puts them in the README).
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
: "${QVX_NATIVE_BUILD:?QVX_NATIVE_BUILD must name the native build directory}"
connects=${QVX_SOAK_CONNECTS:-200}
drops=${QVX_SOAK_DROPS:-50}
restarts=${QVX_SOAK_RESTARTS:-20}
tray_drops=$((drops / 10))
out=$QVX_BUILD/wine-soak
rm -rf "$out"
mkdir -p "$out"

qvx_start_demo_service notice=0,tips=0
started=$SECONDS
program=$(dirname "$0")/soak_program.sh
QVX_TEST=soak_tray bash "$program" "$out/tray" "$connects" "$tray_drops" "$restarts" &
tray=$!
QVX_TEST=soak_drops bash "$program" "$out/drops" 0 $((drops - tray_drops)) 0 &
drop_soak=$!
# Stopped with the test if it ends early (its time-out, or the other soak's failure).
qvx_stop_on_exit "$tray" "$drop_soak"

declare -A soak_names=(["$tray"]=tray ["$drop_soak"]=drops)
while [ "${#soak_names[@]}" -gt 0 ]; do
  ended=
  status=0
  wait -n -p ended "${!soak_names[@]}" || status=$?
  name=${soak_names[$ended]}
  unset "soak_names[$ended]"
  [ "$status" = 0 ] || qvx_fail "the $name soak failed (exit $status)"
  qvx_log "the $name soak passed after $((SECONDS - started)) s"
done
echo "seconds=$((SECONDS - started))" >"$out/summary.txt"
qvx_pass
