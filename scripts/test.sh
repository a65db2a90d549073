#!/usr/bin/env bash
# Installs what is missing, builds every target and runs every test: unit, scenario and
# benchmarks natively, the same under AddressSanitizer and UBSan, then the Wine tests of the
# real program.
set -uo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh || exit 1
./scripts/build.sh native asan win32 || exit 1

status=0
run() {
  echo "== ctest --preset $1"
  ctest --preset "$1" --timeout 600 "${@:2}" || status=1
}
run native -j 2
run asan -j 2
run win32
exit $status
