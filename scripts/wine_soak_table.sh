#!/usr/bin/env bash
# Rewrites the Wine soak's table between its markers in README.md from the figures the last run
# of tests/wine/soak.sh left in build/win64/wine-soak (the run's summary.txt, and summary.txt and
# cycles.csv of each of its two programs, tray/ and drops/). With --run it
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
for f in summary.txt tray/summary.txt tray/cycles.csv drops/summary.txt drops/cycles.csv; do
  [ -f "$dir/$f" ] || {
    echo "wine_soak_table: no finished soak in $dir, $f is missing (run with --run)" >&2
    exit 1
  }
done

f() { sed -n "s/^$2=//p" "$dir/$1/summary.txt"; } # program name
# A column's means over a phase's second window and its last: "A → B", whole numbers where
# they are, resident size with its change in per cent.
pair() { # program phase column
  local m a b
  m=$(f "$1" "mean.$2.$3")
  a=${m% *} b=${m#* }
  [ "$a" = n/a ] && echo n/a && return
  if [ "$3" = rss_kib ]; then
    awk -v a="$a" -v b="$b" 'BEGIN { printf "%.0f → %.0f KiB (%+.2f %%)", a, b, (b - a) * 100 / a }'
  else
    awk -v a="$a" -v b="$b" 'BEGIN { printf "%g → %g", a, b }'
  fi
}
range() { # program phase column: the smallest and largest figure of a phase
  awk -F, -v phase="$2" -v col="$3" '
    NR == 1 { for (i = 1; i <= NF; i++) if ($i == col) c = i; next }
    $1 == phase { if (!n++ || $c < lo) lo = $c; if ($c > hi) hi = $c }
    END { print (lo == hi ? lo : lo "–" hi) }' "$dir/$1/cycles.csv"
}
windows() { # count window: "51–100 / 161–210"
  local w=$2
  echo "$((w + 1))–$((2 * w)) / $(($1 - w + 1))–$1"
}
row() { # program phase description cycles window seconds
  printf '| %s | %s | %s | %s s | %s | %s | %s / %s | %s / %s | %s | %s |\n' "$3" "$4" \
    "$(windows "$4" "$5")" "$6" "$(pair "$1" "$2" rss_kib)" "$(pair "$1" "$2" threads)" \
    "$(range "$1" "$2" ras_connections)" "$(range "$1" "$2" ras_entries)" \
    "$(range "$1" "$2" routes)" "$(range "$1" "$2" icmp)" "$(pair "$1" "$2" windows)" \
    "$(pair "$1" "$2" gdi)"
}
cycles_text() { # program
  echo "$(f "$1" hung_up) hung up, $(f "$1" drops) dropped, $(f "$1" refused) dials refused"
}
sum() { echo $(($(f tray "$1") + $(f drops "$1"))); }
log_max=$(f tray log_bytes_max) drops_log_max=$(f drops log_bytes_max)
[ "$drops_log_max" -gt "$log_max" ] && log_max=$drops_log_max
seconds=$(sed -n 's/^seconds=//p' "$dir/summary.txt")
{
  echo "$begin"
  echo "Measured by \`tests/wine/soak.sh\` (table: \`scripts/wine_soak_table.sh\`) on $(nproc) cores: the"
  echo "Wine soak of the 64-bit program took $seconds s, its two programs side by side. Resident size,"
  echo "threads and windows: the mean over a phase's second window of cycles and over its last; what"
  echo "the doubles hold: the smallest and largest figure after any cycle. All taken with the"
  echo "program idle."
  echo
  echo '| Program, phase | Cycles | Windows compared | Time | Resident size | Threads | RAS connections / entries | Routes / ICMP handles | Windows | GDI, USER objects |'
  echo '|---|---|---|---|---|---|---|---|---|---|'
  row tray cycles "tray: connects and drops, partial and full relay by turns ($(cycles_text tray))" \
    "$(f tray cycles)" "$(f tray window)" "$(f tray cycles_seconds)"
  row tray restarts 'tray: exit, restart, login with the remembered account' \
    "$(f tray restarts)" "$(f tray restart_window)" "$(f tray restarts_seconds)"
  row drops cycles "second: drops, partial and full relay by turns ($(cycles_text drops))" \
    "$(f drops cycles)" "$(f drops window)" "$(f drops cycles_seconds)"
  echo
  echo "Injected: $(sum dial_failures) dial failures, $(sum route_failures) route writes refused;"
  echo "$(sum failures_logged) reported in the run logs, each once. Run log at most"
  echo "$log_max bytes; emptied at restart $(f tray log_emptied_at_restart), the start that found it"
  echo "past its size limit. GDI and USER objects: $(f tray gui_resources)."
  echo "$end"
} >"$dir/table.md"

./scripts/readme_table.sh "$readme" "$begin" "$end" "$dir/table.md"
echo "wine_soak_table: $readme updated ($seconds s soak)"
