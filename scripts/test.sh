#!/usr/bin/env bash
# Installs what is missing, builds every target and runs every test: unit, scenario and
# benchmarks natively, the same under AddressSanitizer and UBSan, then the Wine tests of the
# real program, 64-bit on every host and 32-bit where the host runs i386 programs. Ends with
# one summary line; the exit status is non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
start=$SECONDS
./scripts/setup.sh || exit 1
if ! ./scripts/build.sh native asan tsan win32 win64; then
  echo "== FAILED: the build did not complete"
  exit 1
fi

failed=()
run() {
  echo "== ctest --preset $1"
  ctest --preset "$1" --timeout 600 "${@:2}" || failed+=("$1")
}
run native -j 2
run asan -j 2
run tsan -j 2
# GUI tests under Xvfb can lose an event when the machine is loaded: each gets one retry.
run win64 --repeat until-pass:2
if ./scripts/host_runs_i386.sh; then
  wine_ran="win32 and win64"
else
  # CTest lists each 32-bit Wine test as skipped, with the reason in its output.
  wine_ran="win64 only; win32 skipped: this host does not run i386 programs"
fi
[ "$wine_ran" = "win32 and win64" ] || echo "== 32-bit Wine tests will be listed as skipped: this host does not run i386 programs"
run win32 --repeat until-pass:2
./scripts/fuzz.sh 20 || failed+=(fuzz)

elapsed="$(((SECONDS - start) / 60))m$(((SECONDS - start) % 60))s"
if [ ${#failed[@]} -eq 0 ]; then
  echo "== ALL TESTS PASSED (native, asan, tsan, fuzz; Wine tests: $wine_ran) in $elapsed"
else
  echo "== FAILED: ${failed[*]} (see above; Wine tests: $wine_ran) after $elapsed"
  exit 1
fi
