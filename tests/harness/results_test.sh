#!/usr/bin/env bash
# The test harness's own check: what scripts/test counts must be what ctest
# ran, or a broken run could end green. A small ctest project of its own
# with a test that passes, one that fails (its message with characters the
# JUnit file escapes), one skipped by its return code, one disabled, one whose
# program is missing and one that runs out of time; its JUnit file read as scripts/test
# reads it. And scripts/test refuses an argument it does not know.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/lib/results.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
expect() {  # expect <what> <got> <wanted>
  if [ "$2" = "$3" ]; then echo "ok   $1"; else echo "FAIL $1: got '$2', expected '$3'"; failures=$((failures + 1)); fi
}

cat >"$work/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(results NONE)
enable_testing()
add_test(NAME passes COMMAND sh -c "echo fine")
add_test(NAME fails COMMAND sh -c "echo noise; echo 'FAIL [case]: a <window> & \"its\" text'; exit 1")
add_test(NAME skipped COMMAND sh -c "exit 77")
set_tests_properties(skipped PROPERTIES SKIP_RETURN_CODE 77)
add_test(NAME missing COMMAND /nonexistent/program)
add_test(NAME hangs COMMAND sh -c "echo waiting; sleep 30")
set_tests_properties(hangs PROPERTIES TIMEOUT 1)
add_test(NAME disabled COMMAND sh -c "exit 1")
set_tests_properties(disabled PROPERTIES DISABLED TRUE)
CMAKE
cmake -S "$work" -B "$work/build" >/dev/null 2>&1 || { echo "FAIL: the small project does not configure"; exit 1; }
ctest --test-dir "$work/build" --output-junit "$work/results.xml" >"$work/ctest.log" 2>&1
: >"$work/why.txt"
results=$(junit_results "$work/results.xml" "$work/ctest.log" "$work/why.txt")
expect "passed" "$(sed -n 's/^passed //p' <<<"$results" | xargs)" "passes"
expect "failed" "$(sed -n 's/^failed //p' <<<"$results" | sort | xargs)" "fails hangs missing"
expect "skipped" "$(sed -n 's/^skipped //p' <<<"$results" | sort | xargs)" "disabled skipped"
why=$(cat "$work/why.txt")
expect "the failure's own line, unescaped" "$(grep -c 'FAIL \[case\]: a <window> & "its" text' <<<"$why")" 1
expect "the noise left out" "$(grep -c noise <<<"$why")" 0
expect "the missing program named" "$(grep -c -- '-- missing (Unable to find executable)' <<<"$why")" 1
expect "the timeout named" "$(grep -c -- '-- hangs (timed out)' <<<"$why")" 1

"$root/scripts/test" --no-such-option >"$work/usage.txt" 2>&1
expect "an unknown argument refused" "$?" 2
expect "with the usage line" "$(grep -c '^usage: scripts/test' "$work/usage.txt")" 1

[ "$failures" -eq 0 ]
