#!/usr/bin/env bash
# Mutation run: applies each mutant of a list to the source, one at a time, rebuilds the test
# programs that cover its file in an existing sanitizer build, runs them, and records whether
# a test failed (killed), all passed (survived) or the mutant did not build (stillborn). The
# source file is checked out again after every mutant, whatever happens.
#   tests/mutation/run.sh [MUTANTS] [BUILD]     (default: tests/mutation/recovery-ui.tsv, build/asan)
# A line of MUTANTS is: file TAB old text TAB new text TAB kind; "\n" stands for a line end,
# and the old text must occur exactly once in the file. STOP_AT=HH:MM (UTC) ends the run
# early; results go to BUILD/mutation-results.tsv.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
MUTANTS=${1:-$ROOT/tests/mutation/recovery-ui.tsv}
BUILD=${2:-$ROOT/build/asan}
RESULTS=$BUILD/mutation-results.tsv
LOG=$BUILD/mutation-last.log
export QT_QPA_PLATFORM=offscreen XDG_STATE_HOME=$BUILD/tests/state-home
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1
export LSAN_OPTIONS=suppressions=$ROOT/tests/lsan.supp
export CCACHE_DIR=${CCACHE_DIR:-/work/ccache} CCACHE_BASEDIR=${CCACHE_BASEDIR:-/work}
cd "$ROOT" || exit 1
current=""
restore() { if [ -n "$current" ]; then git checkout -q -- "$current"; fi; }
trap restore EXIT
trap 'restore; current=""; exit 130' INT TERM

# apply FILE OLD NEW: replaces the one occurrence of OLD; fails when there is none or more.
apply() {
    python3 - "$@" <<'PY'
import sys
path, old, new = sys.argv[1], *(a.replace("\\n", "\n") for a in sys.argv[2:4])
text = open(path).read()
if text.count(old) != 1:
    sys.exit(f"{path}: {text.count(old)} occurrences of {old!r}")
open(path, "w").write(text.replace(old, new))
PY
}

# The test programs, and runs of them, that cover a file.
programs() {
    case $1 in
    src/recovery/*) echo qorv_recovery_tests qorv_ui_tests ;;
    *) echo qorv_ui_tests ;;
    esac
}
run_tests() {
    local t=$BUILD/tests
    if [[ $1 == src/recovery/* ]]; then
        timeout 120 "$t/qorv_recovery_tests" || return
        timeout 120 "$t/qorv_ui_tests" --gtest_filter='Recovery*' || return
        return
    fi
    timeout 180 "$t/qorv_ui_tests" || return
    for screen in 640x480 1024x768; do
        QT_QPA_PLATFORM=offscreen:configfile=$ROOT/tests/ui/screens/$screen.json \
            timeout 120 "$t/qorv_ui_tests" --gtest_filter='ScreenSize*' || return
    done
}

: >"$RESULTS"
n=0
# Tabs become unit separators: read would merge two tabs around an empty field.
while IFS=$'\x1f' read -r file old new kind; do
    [[ -z $file || $file == \#* ]] && continue
    if [ -n "${STOP_AT:-}" ] && [[ $(date -u +%H:%M) > $STOP_AT || $(date -u +%H:%M) == "$STOP_AT" ]]; then
        echo "stopped at $(date -u +%H:%M) (STOP_AT=$STOP_AT)"
        break
    fi
    n=$((n + 1))
    current=$file
    if ! apply "$file" "$old" "$new"; then
        outcome=invalid
    elif ! nice -n 10 cmake --build "$BUILD" -j2 --target $(programs "$file") >"$LOG" 2>&1; then
        outcome=stillborn
    elif (run_tests "$file") >>"$LOG" 2>&1; then
        outcome=survived
    else
        outcome=killed
    fi
    git checkout -q -- "$file"
    current=""
    printf '%s\t%s\t%s\t%s\t%s\n' "$outcome" "$file" "$kind" "$old" "$new" | tee -a "$RESULTS"
done < <(tr '\t' '\037' <"$MUTANTS")
# The last rebuild puts the programs back to the source as it is.
nice -n 10 cmake --build "$BUILD" -j2 --target qorv_recovery_tests qorv_ui_tests >/dev/null 2>&1
killed=$(grep -c '^killed' "$RESULTS")
survived=$(grep -c '^survived' "$RESULTS")
echo "mutants: $n, killed $killed, survived $survived, $((n - killed - survived)) did not build or apply"
