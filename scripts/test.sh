#!/usr/bin/env bash
# Installs what is missing, builds every target and runs every test: unit, scenario and
# benchmarks natively, the same under AddressSanitizer and UBSan and under ThreadSanitizer (the
# native soak, label soak, runs in the first two: its resident-size bound in the plain build,
# its heap bound and LSan under ASan), the Wine tests of the real program (64-bit on every
# host, 32-bit only where the host runs i386 programs and wine32 is installed; elsewhere the
# 32-bit tests are counted as skipped), then every fuzzer; the Wine soak of the 64-bit program
# (label soak) runs once, beside the native builds and passes. Prints a human summary, then as
# its last line "N passed, M failed, K skipped" summed over every pass it ran (each fuzzer counts
# as one test). The exit status is non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
start=$SECONDS
counts_dir=build/counts
rm -rf "$counts_dir"
mkdir -p "$counts_dir"

passed=0 failed_count=0 skipped=0
failed=()
finish() {
  local elapsed="$(((SECONDS - start) / 60))m$(((SECONDS - start) % 60))s"
  if [ ${#failed[@]} -eq 0 ]; then
    echo "== ALL TESTS PASSED ($1) in $elapsed"
  else
    echo "== FAILED: ${failed[*]} ($1) after $elapsed"
  fi
  echo "$passed passed, $failed_count failed, $skipped skipped"
  [ ${#failed[@]} -eq 0 ]
  exit
}
fail_step() { # a step that produced no per-test results counts as one failed test
  failed+=("$1")
  failed_count=$((failed_count + 1))
}

if ! ./scripts/setup.sh; then
  fail_step setup
  finish "nothing ran: the install failed"
fi

# Adds one CTest pass's counts, read from its JUnit report.
count_ctest() {
  local preset=$1 report=$counts_dir/$1.xml
  local suite total fails skips disabled
  suite=$(tr '\n\t' '  ' <"$report" 2>/dev/null | grep -m1 -o '<testsuite [^>]*>')
  if [ -z "$suite" ]; then
    echo "== ctest --preset $preset wrote no report"
    fail_step "$preset"
    return
  fi
  attr() { sed -n "s/.* $1=\"\([0-9]*\)\".*/\1/p" <<<"$suite"; }
  total=$(attr tests) fails=$(attr failures) skips=$(attr skipped) disabled=$(attr disabled)
  total=${total:-0} fails=${fails:-0} skips=$((${skips:-0} + ${disabled:-0}))
  if [ "$total" -eq 0 ]; then
    echo "== ctest --preset $preset found no test"
    fail_step "$preset"
    return
  fi
  passed=$((passed + total - fails - skips))
  failed_count=$((failed_count + fails))
  skipped=$((skipped + skips))
  echo "== $preset: $((total - fails - skips)) passed, $fails failed, $skips skipped"
}
run() {
  echo "== ctest --preset $1"
  ctest --preset "$1" --timeout 600 --output-junit "$PWD/$counts_dir/$1.xml" "${@:2}" || failed+=("$1")
  count_ctest "$1"
}
# The Wine soak of the 64-bit program (label soak, ~10 min, two programs side by side, mostly
# their own timers) starts as soon as its build and the demo service's are there, on its own
# displays and prefixes, and runs beside the other builds and the native passes; its count
# joins before the Wine pass, which waits for the demo port it holds.
soak_pid=
wait_soak() {
  [ -n "$soak_pid" ] || return 0
  wait "$soak_pid" || failed+=(win64-soak)
  soak_pid=
  cat "$counts_dir/win64-soak.log"
  count_ctest win64-soak
}
if ! ./scripts/build.sh native win64; then
  fail_step build
  finish "nothing ran: the build did not complete"
fi
echo "== ctest --preset win64-soak (in the background)"
ctest --preset win64-soak --output-junit "$PWD/$counts_dir/win64-soak.xml" \
  >"$counts_dir/win64-soak.log" 2>&1 &
soak_pid=$!
if ! ./scripts/build.sh asan tsan win32; then
  fail_step build
  wait_soak
  finish "the build did not complete"
fi

run native -j 2
run asan -j 2
run tsan -j 2
wait_soak
# GUI tests under Xvfb can lose an event when the machine is loaded: each gets one retry.
run win64 --repeat until-pass:2

wine32_status=0
wine32_why=$(./scripts/wine32_usable.sh 2>&1) || wine32_status=$?
case $wine32_status in
  0)
    wine_ran="win32 and win64"
    run win32 --repeat until-pass:2
    ;;
  1)
    # Not run where it cannot run; its tests are listed and counted as skipped, with the reason.
    wine32_tests=$(ctest --preset win32 -N 2>/dev/null | sed -n 's/^Total Tests: \([0-9]*\)$/\1/p')
    skipped=$((skipped + ${wine32_tests:-0}))
    echo "== win32: not run, ${wine32_tests:-0} tests skipped: $wine32_why"
    wine_ran="win64; win32 skipped: $wine32_why"
    ;;
  *)
    wine_ran="win64 only; win32 not run: $wine32_why"
    fail_step i386-probe
    ;;
esac
echo "== Wine tests: $wine_ran"

fuzz_log=$counts_dir/fuzz.log
./scripts/fuzz.sh 20 | tee "$fuzz_log"
fuzz_status=${PIPESTATUS[0]}
fuzz_passed=$(grep -cE '^fuzz_[a-z_]+: [0-9]+ execs, cov [0-9]+, 0 crashes$' "$fuzz_log")
fuzz_failed=$(grep -cE '^fuzz_[a-z_]+: [0-9]+ execs, cov [0-9]+, [1-9][0-9]* crashes$' "$fuzz_log")
passed=$((passed + fuzz_passed))
failed_count=$((failed_count + fuzz_failed))
if [ "$fuzz_status" -ne 0 ]; then
  failed+=(fuzz)
  # A fuzz run that failed before any fuzzer reported (its build) is one failed test.
  [ "$fuzz_failed" -eq 0 ] && failed_count=$((failed_count + 1))
elif [ "$fuzz_passed" -eq 0 ]; then
  echo "== fuzz: no fuzzer ran"
  fail_step fuzz
fi

finish "native, asan, tsan, fuzz; Wine tests: $wine_ran"
