#!/usr/bin/env bash
# Rewrites the Wine soak's table between its markers in README.md from the figures the last run
# of tests/wine/soak.sh left in build/win64/wine-soak (summary.txt, cycles.csv). With --run it
# runs the soak first (ctest --preset win64-soak), as scripts/test.sh does.
set -euo pipefail
cd "$(dirname "$0")/.."
readme=README.md
dir=build/win64/wine-soak
begin='<!-- wine-soak-table:begin -->'
end='<!-- wine-soak-table:end -->'
if ! grep -qxF "$begin" "$readme" || ! grep -qxF "$end" "$readme"; then
  echo "wine_soak_table: $readme has no Wine soak markers" >&2
  exit 1
fi
if [ "${1:-}" = --run ]; then
  ./scripts/build.sh native win64 >/dev/null
  ctest --preset win64-soak >&2 || {
    echo "wine_soak_table: the Wine soak failed; $readme left as it was" >&2
    exit 1
  }
fi
[ -f "$dir/summary.txt" ] && [ -f "$dir/cycles.csv" ] || {
  echo "wine_soak_table: no finished soak in $dir (run with --run)" >&2
  exit 1
}

f() { sed -n "s/^$1=//p" "$dir/summary.txt"; }
# A column's means over the second and over the last fifth of a phase: "A → B", whole numbers
# where they are, resident size with its change in per cent.
pair() { # phase column
  local m a b
  m=$(f "mean.$1.$2")
  a=${m% *} b=${m#* }
  [ "$a" = n/a ] && echo n/a && return
  if [ "$2" = rss_kib ]; then
    awk -v a="$a" -v b="$b" 'BEGIN { printf "%.0f → %.0f KiB (%+.2f %%)", a, b, (b - a) * 100 / a }'
  else
    awk -v a="$a" -v b="$b" 'BEGIN { printf "%g → %g", a, b }'
  fi
}
range() { # phase column: the smallest and largest figure of a phase
  awk -F, -v phase="$1" -v col="$2" '
    NR == 1 { for (i = 1; i <= NF; i++) if ($i == col) c = i; next }
    $1 == phase { if (!n++ || $c < lo) lo = $c; if ($c > hi) hi = $c }
    END { print (lo == hi ? lo : lo "–" hi) }' "$dir/cycles.csv"
}
row() { # phase description cycles seconds
  printf '| %s | %s | %s s | %s | %s | %s / %s | %s / %s | %s | %s |\n' "$2" "$3" "$4" \
    "$(pair "$1" rss_kib)" "$(pair "$1" threads)" "$(range "$1" ras_connections)" \
    "$(range "$1" ras_entries)" "$(range "$1" routes)" "$(range "$1" icmp)" \
    "$(pair "$1" windows)" "$(pair "$1" gdi)"
}
cycles=$(f cycles) restarts=$(f restarts)
w=$((cycles / 5)) rw=$((restarts / 5))
{
  echo "$begin"
  echo "Measured by \`tests/wine/soak.sh\` (table: \`scripts/wine_soak_table.sh\`) on $(nproc) cores: the"
  echo "Wine soak of the 64-bit program took $(f seconds) s. Resident size, threads and windows: the mean"
  echo "over the second fifth of a phase and over its last fifth (cycles $((w + 1))–$((2 * w)) and"
  echo "$((cycles - w + 1))–$cycles, restarts $((rw + 1))–$((2 * rw)) and $((restarts - rw + 1))–$restarts); what the doubles hold: the"
  echo "smallest and largest figure after any cycle. All taken with the program idle."
  echo
  echo '| Phase | Cycles | Time | Resident size | Threads | RAS connections / entries | Routes / ICMP handles | Windows | GDI, USER objects |'
  echo '|---|---|---|---|---|---|---|---|---|'
  connects=$((cycles - $(f drops)))
  row cycles "$connects connects ($((connects - $(f refused))) hung up, $(f refused) refused) and $(f drops) drops, partial and full relay by turns" \
    "$cycles" "$(f cycles_seconds)"
  row restarts 'exit, restart, login with the remembered account' "$restarts" "$(f restarts_seconds)"
  echo
  echo "Injected: $(f dial_failures) dial failures ($(f refused) refused connects), $(f route_failures) route"
  echo "writes refused; $(f failures_logged) reported in the run log, each once. Run log at most"
  echo "$(f log_bytes_max) bytes; emptied at restart $(f log_emptied_at_restart), the start that found it"
  echo "past its size limit. GDI and USER objects: $(f gui_resources)."
  echo "$end"
} >"$dir/table.md"

./scripts/readme_table.sh "$readme" "$begin" "$end" "$dir/table.md"
echo "wine_soak_table: $readme updated ($(f seconds) s soak)"
