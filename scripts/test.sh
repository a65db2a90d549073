#!/usr/bin/env bash
# Installs what is missing, builds every target and runs every test: unit, scenario and
# benchmarks natively, the same under AddressSanitizer and UBSan and under ThreadSanitizer (the
# native soak, label soak, runs in the first two: its resident-size bound in the plain build,
# its heap bound and LSan under ASan), the Wine tests of the real program, 64-bit and 32-bit
# (the 32-bit Wine natively where the kernel runs i386 programs, elsewhere through the emulator
# scripts/setup.sh registers), then every fuzzer; the Wine soak of the 64-bit program (label
# soak) runs once, beside the native builds and passes. Prints a human summary, the Wine tests
# run again after a fault of the machinery, then as its last line "N passed, M failed, K
# skipped" summed over every pass it ran (each fuzzer counts as one test; a test that did not
# run counts as failed, so K is 0). The exit status is non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
# shellcheck source=scripts/test_counts.sh
source scripts/test_counts.sh

if ! ./scripts/setup.sh; then
  fail_step setup
  finish "nothing ran: the install failed"
fi

# Formatting and shell checks, one test.
if ./scripts/lint.sh; then passed=$((passed + 1)); else fail_step lint; fi

# The Wine soak of the 64-bit program (label soak, ~10 min, two programs side by side, mostly
# their own timers) starts as soon as its build and the demo service's are there, and the
# 32-bit Wine pass as soon as its build is: each on its own demo port (win64 18081, win32
# 18080), displays and prefixes, beside the other builds and the native passes. The 64-bit
# Wine pass waits for the soak, which holds its port; the 32-bit one's count joins after it.
background() { # NAME COMMAND...: runs COMMAND in the background, its output in NAME.log
  local name=$1
  shift
  echo "== $name (in the background)"
  "$@" >"$counts_dir/$name.log" 2>&1 &
  background_pids[$name]=$!
}
declare -A background_pids=()
wait_background() { # NAME: waits for it and shows its output
  [ -n "${background_pids[$1]:-}" ] || return 1
  wait "${background_pids[$1]}"
  unset "background_pids[$1]"
  cat "$counts_dir/$1.log"
}
wait_soak() {
  wait_background win64-soak || return 0
  count_ctest win64-soak
  [ "$pass_failures" -eq 0 ] || failed+=(win64-soak)
}
if ! ./scripts/build.sh native win64; then
  fail_step build
  finish "nothing ran: the build did not complete"
fi
background win64-soak ctest_pass win64-soak
if ! ./scripts/build.sh win32; then
  fail_step build
  wait_soak
  finish "the build did not complete"
fi
# scripts/setup.sh made i386 programs run (natively or emulated): the 32-bit pass always runs.
if wine32_why=$(./scripts/wine32_usable.sh 2>&1); then
  background win32 wine_pass win32
  wine_ran="win64 and win32 ($(./scripts/host_runs_i386.sh --how))"
else
  fail_step win32
  wine_ran="win64; win32 could not run: $wine32_why"
fi
if ! ./scripts/build.sh asan tsan; then
  fail_step build
  wait_soak
  wait_background win32 && count_wine win32
  finish "the build did not complete"
fi

run native -j 2
run asan -j 2
run tsan -j 2
wait_soak
run_wine win64
wait_background win32 && count_wine win32
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
