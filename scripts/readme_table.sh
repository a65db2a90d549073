#!/usr/bin/env bash
# Puts the text of TABLE_FILE between the lines BEGIN and END of README (both lines are in the
# table file too, which replaces them).
# Usage: readme_table.sh README BEGIN END TABLE_FILE
set -euo pipefail
readme=$1 begin=$2 end=$3 table=$4
work=$(mktemp)
trap 'rm -f "$work"' EXIT
awk -v begin="$begin" -v end="$end" -v table="$table" '
  $0 == begin { while ((getline line < table) > 0) print line; skip = 1; next }
  $0 == end { skip = 0; next }
  !skip { print }
' "$readme" >"$work"
cp "$work" "$readme"
