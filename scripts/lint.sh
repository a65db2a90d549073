#!/usr/bin/env bash
# Checks every tracked C and C++ file against .clang-format and every tracked shell script
# with shellcheck. Prints one line per finding, then
# "lint: N findings"; exits 0 when there are none, 1 when there are, 2 when a tool is missing.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2

for tool in clang-format shellcheck; do
  if ! command -v "$tool" >/dev/null; then
    echo "lint: $tool is missing (scripts/setup.sh installs it)"
    exit 2
  fi
done

findings=0
# Echoes and counts the lines read.
count() {
  local line
  while IFS= read -r line; do
    echo "$line"
    findings=$((findings + 1))
  done
}

# The files git tracks; a shell script without the .sh suffix is known by its first line.
mapfile -d '' sources < <(git ls-files -z -- '*.c' '*.cpp' '*.h')
scripts=()
while IFS= read -r -d '' file; do
  case "$file" in
  esac
  case "${file##*/}" in
    *.sh) ;;
    *.*) continue ;;
    *) head -n 1 -- "$file" | grep -Eq '^#!.*\b(ba)?sh\b' || continue ;;  # .ci/run
  esac
  scripts+=("$file")
done < <(git ls-files -z)

# clang-format reports each place as "file:line:col: error: ..." followed by the code and a
# caret; the first line is the finding. A run that fails without one is a finding too.
format_output=$(clang-format --dry-run --Werror -- "${sources[@]}" 2>&1)
format_status=$?
count < <(grep -E '^[^ ].*:[0-9]+:[0-9]+: (warning|error): ' <<<"$format_output")
if [ "$format_status" -ne 0 ] && [ "$findings" -eq 0 ]; then
  count <<<"lint: clang-format failed (exit $format_status): ${format_output%%$'\n'*}"
fi

before=$findings
shellcheck_output=$(shellcheck -x -f gcc -- "${scripts[@]}" 2>&1)
shellcheck_status=$?
[ -z "$shellcheck_output" ] || count <<<"$shellcheck_output"
if [ "$shellcheck_status" -ne 0 ] && [ "$findings" -eq "$before" ]; then
  count <<<"lint: shellcheck failed (exit $shellcheck_status)"
fi

echo "lint: $findings findings (${#sources[@]} C/C++ files, ${#scripts[@]} shell scripts)"
[ "$findings" -eq 0 ]
