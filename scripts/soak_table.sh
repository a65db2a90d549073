#!/usr/bin/env bash
# Runs the native soak (tests/soak) in the AddressSanitizer build, where scripts/test.sh runs
# it, and in the plain build, whose resident size is the program's own, and rewrites the table
# between the soak markers in README.md with the figures the two runs measured.
set -euo pipefail
cd "$(dirname "$0")/.."
readme=README.md
begin='<!-- soak-table:begin -->'
end='<!-- soak-table:end -->'
if ! grep -qxF "$begin" "$readme" || ! grep -qxF "$end" "$readme"; then
  echo "soak_table: $readme has no soak markers" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
declare -A total
for preset in asan native; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j 2 --target soak_tests >/dev/null
  started=$(date +%s%N)
  if ! "build/$preset/soak_tests" --figures="$work/$preset" >"$work/$preset.out" 2>&1; then
    cat "$work/$preset.out" >&2
    echo "soak_table: the $preset soak failed; $readme left as it was" >&2
    exit 1
  fi
  total[$preset]=$((($(date +%s%N) - started + 500000000) / 1000000000))
done

f() { sed -n "s/^$2=//p" "$work/$1"; }
row() { # group key, description
  printf '| %s | %s | %s s | %s s | %s | %s | %s dial, %s route; %s logged |\n' "$2" \
    "$(f asan "$1.cycles")" "$(f asan "$1.seconds")" "$(f native "$1.seconds")" \
    "$(f asan "$1.handles_before")" "$(f asan "$1.handles_after")" \
    "$(f asan "$1.dial_failures")" "$(f asan "$1.route_failures")" \
    "$(f asan "$1.failures_logged")"
}
peak100=$(f native connect.peak_kib_100) peak_end=$(f native connect.peak_kib_end)
heap100=$(f asan connect.heap_bytes_100) heap_end=$(f asan connect.heap_bytes_end)
{
  echo "$begin"
  echo "Measured by \`scripts/soak_table.sh\` on $(nproc) cores: the whole soak took ${total[asan]} s"
  echo "under ASan and ${total[native]} s without."
  echo
  echo '| Group | Cycles | ASan | Plain | Handles before | Handles after | Injected failures |'
  echo '|---|---|---|---|---|---|---|'
  row connect 'connect and hang up: full and partial relay, PPTP and L2TP'
  row drop 'drops: hiccups and real drops, redial off and on'
  row choice 'automatic node choices'
  printf '| %s | %s | %s s | %s s | %s (logged in) | %s (after the last exit) | none |\n' \
    'logins, each after an exit and a restart' "$(f asan login.cycles)" \
    "$(f asan login.seconds)" "$(f native login.seconds)" \
    "$(f asan login.handles_logged_in)" "$(f asan login.handles_after_exit)"
  echo
  echo "Connect group, cycle 100 to cycle 2,000: peak resident size (plain build) $peak100 KiB to"
  echo "$peak_end KiB (+$((peak_end - peak100)) KiB); heap in use (ASan's count) $heap100 to $heap_end"
  echo "bytes (+$((heap_end - heap100))). Run log: at most $(f asan connect.log_bytes_max) bytes in the"
  echo "connect group; emptied at $(f asan login.log_emptied) of the 100 restarts, the one that found it"
  echo "at its size limit."
  echo "$end"
} >"$work/table"

./scripts/readme_table.sh "$readme" "$begin" "$end" "$work/table"
echo "soak_table: $readme updated (soak ${total[asan]} s under ASan, ${total[native]} s plain)"
