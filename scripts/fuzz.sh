#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzzer for SECONDS (default 60) from its seed corpus
# (tests/fuzz/corpus) and what earlier runs found (build/fuzz/corpus). Prints per fuzzer the
# executions, the coverage and the crashes, then "fuzz: N execs, M crashes"; the exit status is
# non-zero on any crash, leak, hang or sanitizer report. Failing inputs go to
# build/fuzz/artifacts, full logs to build/fuzz/logs.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
seconds="${1:-60}"

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is missing (the fuzz preset needs clang and libclang-rt-14-dev)"
  exit 1
fi
mkdir -p build
if ! { cmake --preset fuzz && cmake --build --preset fuzz -j "$(nproc)"; } >build/fuzz-build.log 2>&1; then
  tail -n 30 build/fuzz-build.log
  echo "fuzz: the build failed"
  exit 1
fi

dictionary() {
  case "$1" in
    verification_line | node_list | service_settings | route_files | nettest_list | update_manifest) echo "$1" ;;
    softsetup_ini | user_ini | scrambler) echo scrambled_file ;;
    *) echo settings_plain ;;
  esac
}

total_execs=0
total_crashes=0
mkdir -p build/fuzz/artifacts build/fuzz/logs
for program in build/fuzz/fuzz_*; do
  [[ -f $program && -x $program ]] || continue
  name="${program##*/fuzz_}"
  work="build/fuzz/corpus/$name"
  log="build/fuzz/logs/$name.log"
  mkdir -p "$work"
  before=$(find build/fuzz/artifacts -name "$name-*" | wc -l)
  "$program" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -dict="tests/fuzz/dict/$(dictionary "$name").dict" \
    -artifact_prefix="build/fuzz/artifacts/$name-" "$work" "tests/fuzz/corpus/$name" >"$log" 2>&1
  status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  crashes=$(($(find build/fuzz/artifacts -name "$name-*" | wc -l) - before))
  [ "$status" -ne 0 ] && [ "$crashes" -eq 0 ] && crashes=1
  echo "fuzz_$name: ${execs:-0} execs, cov ${cov:-0}, $crashes crashes"
  if [ "$crashes" -ne 0 ]; then
    grep -E '^(SUMMARY|property does not hold)|Test unit written' "$log" | sed 's/^/  /'
  fi
  total_execs=$((total_execs + ${execs:-0}))
  total_crashes=$((total_crashes + crashes))
done
echo "fuzz: $total_execs execs, $total_crashes crashes"
[ "$total_crashes" -eq 0 ]
