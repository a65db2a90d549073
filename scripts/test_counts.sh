# shellcheck shell=bash
# The counting of scripts/test.sh, kept apart so that tests/harness/test_counts.sh can run it
# over a CTest project of its own. Source it from the project folder; every pass's tests add to
# one count line, "N passed, M failed, K skipped". The JUnit reports go to build/counts.

start=$SECONDS
counts_dir=build/counts
rm -rf "$counts_dir"
mkdir -p "$counts_dir"
passed=0 failed_count=0 skipped=0
failed=()
retries=() # Wine tests run again after a fault of the machinery, listed before the count line
finish() {
  local elapsed="$(((SECONDS - start) / 60))m$(((SECONDS - start) % 60))s"
  if [ ${#failed[@]} -eq 0 ]; then
    echo "== ALL TESTS PASSED ($1) in $elapsed"
  else
    echo "== FAILED: ${failed[*]} ($1) after $elapsed"
  fi
  local retry
  for retry in "${retries[@]}"; do echo "== retried: $retry"; done
  [ ${#retries[@]} -gt 0 ] || echo "== retried: none"
  echo "$passed passed, $failed_count failed, $skipped skipped"
  [ ${#failed[@]} -eq 0 ]
  exit
}
fail_step() { # a step that produced no per-test results counts as one failed test
  failed+=("$1")
  failed_count=$((failed_count + 1))
}

# Adds one CTest pass's counts, read from its JUnit report, test by test. A test that did not
# run (no executable, a failed fixture, a skip) counts as failed: nothing is hidden as skipped.
# Leaves the names of the pass's failed tests in $counts_dir/PRESET.failed, their number in
# $pass_failures.
count_ctest() {
  local preset=$1 report=$counts_dir/$1.xml
  local cases ran fails notrun
  pass_failures=0
  cases=$(tr '\n\t' '  ' 2>/dev/null <"$report" | grep -o '<testcase name="[^"]*"[^>]* status="[a-z]*"' |
    sed 's/<testcase name="\([^"]*\)".* status="\([a-z]*\)"/\2 \1/')
  if [ -z "$cases" ]; then
    echo "== ctest --preset $preset found no test (or wrote no report)"
    fail_step "$preset"
    return
  fi
  ran=$(grep -c '^run ' <<<"$cases")
  fails=$(grep -c '^fail ' <<<"$cases")
  notrun=$(grep -vcE '^(run|fail) ' <<<"$cases")
  grep -vE '^run ' <<<"$cases" | cut -d' ' -f2- >"$counts_dir/$preset.failed"
  pass_failures=$((fails + notrun))
  passed=$((passed + ran))
  failed_count=$((failed_count + pass_failures))
  echo "== $preset: $ran passed, $fails failed, $notrun did not run (counted as failed)"
}
# One CTest pass, its JUnit report where count_ctest reads it.
ctest_pass() {
  echo "== ctest --preset $1"
  ctest --preset "$1" --timeout 600 --output-junit "$PWD/$counts_dir/$1.xml" "${@:2}"
}
run() {
  ctest_pass "$@"
  count_ctest "$1"
  [ "$pass_failures" -eq 0 ] || failed+=("$1")
}
# The Wine passes run every test once. A test that failed on a fault of the machinery (it wrote
# build/PRESET/infra-faults/NAME: no display server, no prefix) is run once more, and the retry
# is listed before the count line; any other failure stands. wine_pass may run in the
# background; count_wine then adds its counts and makes the retries.
wine_pass() {
  rm -rf "build/$1/infra-faults"
  ctest_pass "$@"
}
count_wine() {
  local preset=$1 faults=build/$1/infra-faults name reason
  count_ctest "$preset"
  while read -r name; do
    [ -f "$faults/$name" ] || continue
    reason=$(head -n 1 "$faults/$name")
    rm -f "$faults/$name"
    echo "== $preset: $name failed on the machinery ($reason); running it once more"
    if ctest --preset "$preset" --timeout 600 -R "^$name\$" --output-on-failure; then
      retries+=("$preset $name: $reason; passed when run again")
      passed=$((passed + 1)) failed_count=$((failed_count - 1)) pass_failures=$((pass_failures - 1))
    else
      retries+=("$preset $name: $reason; failed again")
    fi
  done <"$counts_dir/$preset.failed"
  [ "$pass_failures" -eq 0 ] || failed+=("$preset")
}
run_wine() {
  wine_pass "$@"
  count_wine "$1"
}
