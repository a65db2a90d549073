#!/usr/bin/env bash
# The count line of scripts/test.sh over a CTest project made here: a failure is counted even
# when a second try would pass, a test whose executable is missing counts as failed, and only a
# test that reports a fault of the machinery is run again, listed before the count line.
set -uo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
check() { # WHAT EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1: expected '$2', got '$3'"
    status=1
  fi
}

mkdir -p "$work/project/scripts"
cp "$source_dir/scripts/test_counts.sh" "$work/project/scripts/"
cd "$work/project" || exit 1
# Each test's behaviour is a line of its own file, so a case can change between runs.
cat >CMakeLists.txt <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(counts NONE)
enable_testing()
foreach(name IN ITEMS passes fails flaky infra_then_passes infra_twice)
  add_test(NAME ${name} COMMAND bash case.sh ${name} WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
endforeach()
add_test(NAME never_built COMMAND ${CMAKE_BINARY_DIR}/no_such_program)
CMAKE
cat >CMakePresets.json <<'JSON'
{ "version": 3,
  "configurePresets": [ { "name": "p", "binaryDir": "${sourceDir}/build/p" } ],
  "testPresets": [ { "name": "p", "configurePreset": "p" } ] }
JSON
# A test's try count in tries/NAME; an infrastructure fault is written where lib.sh writes one.
cat >case.sh <<'CASE'
name=$1
mkdir -p tries
echo x >>"tries/$name"
try=$(wc -l <"tries/$name")
fault() { mkdir -p build/p/infra-faults; echo "Xvfb did not start" >"build/p/infra-faults/$name"; exit 1; }
case $name in
  passes) exit 0 ;;
  fails) exit 1 ;;
  flaky) [ "$try" -gt 1 ] ;;
  infra_then_passes) [ "$try" -gt 1 ] || fault ;;
  infra_twice) fault ;;
esac
CASE
cmake --preset p >/dev/null 2>&1 || { echo "FAIL: the CTest project does not configure"; exit 1; }

out=$(
  # shellcheck source=scripts/test_counts.sh
  source scripts/test_counts.sh
  run_wine p >/dev/null 2>&1
  finish "counts"
)
echo "$out"
check "the count line" "2 passed, 4 failed, 0 skipped" "$(tail -n 1 <<<"$out")"
check "the pass is named as failed" 1 "$(grep -c '^== FAILED: p ' <<<"$out")"
check "the listed retries" "== retried: p infra_then_passes: Xvfb did not start; passed when run again
== retried: p infra_twice: Xvfb did not start; failed again" "$(grep '^== retried' <<<"$out")"
check "the flaky test ran once" 1 "$(wc -l <tries/flaky)"
check "the failing test ran once" 1 "$(wc -l <tries/fails)"

# Without a report there is nothing to count: that is a failure, not zero tests passed.
out=$(
  # shellcheck source=scripts/test_counts.sh
  source scripts/test_counts.sh
  count_ctest missing >/dev/null
  finish "counts"
)
check "a pass without a report" "0 passed, 1 failed, 0 skipped" "$(tail -n 1 <<<"$out")"
[ "$status" -eq 0 ] && echo "test_counts: all checks passed"
exit "$status"
