# shellcheck shell=bash
# What the desktop tests share; sourced. check prints one line per check and counts the
# failures; finish ends the test with them.
failures=0
check() { # check <what> <expected> <actual>
    if [ "$2" = "$3" ]; then
        echo "ok: $1"
    else
        echo "FAILED: $1: expected '$2', got '$3'"
        failures=$((failures + 1))
    fi
}

finish() {
    [ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
}

# skip <reason>: ctest shows the test as skipped (77), except as root: CI runs the tests as
# root after scripts/setup.sh installed every tool, and there a skip would hide a test that
# must run.
skip() {
    if [ "$(id -u)" -eq 0 ]; then echo "FAILED: cannot run as root: $1"; exit 1; fi
    echo "SKIPPED: $1"
    exit 77
}

require_tools() { # require_tools <program...>
    local tool
    for tool in "$@"; do command -v "$tool" >/dev/null || skip "$tool is not installed"; done
}
