#!/usr/bin/env bash
# Runs a GoogleTest program (possibly under a wrapper such as valgrind) and fails when it
# fails, ran no test, or skipped one: a filter that matches nothing exits 0, and this
# GoogleTest (1.12) has no --gtest_fail_if_no_test_run.
#   tests/gtest_must_run.sh [wrapper...] program [--gtest_filter=...]
set -uo pipefail
output=$(mktemp)
trap 'rm -f "$output"' EXIT
"$@" | tee "$output"
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] || exit "$status"
if ! grep -Eq '^\[  PASSED  \] [1-9][0-9]* tests?\.' "$output"; then
    echo "error: $* ran no test" >&2
    exit 1
fi
if grep -q '^\[  SKIPPED \]' "$output"; then
    echo "error: $* skipped a test that must run" >&2
    exit 1
fi
