#!/usr/bin/env bash
# bench/compare.sh [--rounds=N] [--keep] [--benchmark_OPTION=VALUE...] REV
#
# Builds commit REV beside the work tree (its files from `git archive`, under
# build/compare/), builds the work tree's benchmarks in build/release, then runs the two
# qorvedit_bench programs alternately, REV first, for N rounds (3 unless given), and prints
# per benchmark REV's median, the work tree's median and their ratio (work tree / REV).
# Timings on a busy machine drift; alternating puts the drift on both sides alike.
#
# The --benchmark_ options go to both programs, e.g. --benchmark_filter=Draw|Stamp and
# --benchmark_repetitions (5 unless given). A median is taken over every repetition of
# every round: wall time for the benchmarks that measure it (named .../real_time),
# processor time for the others. A benchmark that only one build has shows "-" on the
# other side; one that failed shows "error".
#
# --keep keeps REV's build for the next run (build/compare/<commit>); without it nothing
# of REV is left behind.
set -euo pipefail
# All of it is read before it runs (the braces, and the exit before the closing one): a
# checkout while it runs, as in a bisection, may change this very file.
{

rounds=3 keep=0 rev="" options=(--benchmark_repetitions=5)
for arg; do
    case $arg in
    --rounds=*) rounds=${arg#*=} ;;
    --keep) keep=1 ;;
    --benchmark_*) options+=("$arg") ;;
    -*) echo "compare.sh: unknown option $arg" >&2 && exit 2 ;;
    *) [ -z "$rev" ] && rev=$arg || { echo "compare.sh: one commit only" >&2 && exit 2; } ;;
    esac
done
[ -n "$rev" ] || { echo "usage: bench/compare.sh [--rounds=N] [--keep] [--benchmark_...] REV" >&2 && exit 2; }

root=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$root" rev-parse --verify --quiet "$rev^{commit}") ||
    { echo "compare.sh: no commit $rev" >&2 && exit 2; }
other=$root/build/compare/$commit
mkdir -p "$root/build"
results=$(mktemp -d "$root/build/compare-results.XXXXXX")
cleanup() {
    rm -rf -- "$results"
    if [ "$keep" = 0 ]; then rm -rf -- "$other" && rmdir --ignore-fail-on-non-empty "${other%/*}"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# quietly <command...>: its output only when it fails.
quietly() { "$@" >"$results/log" 2>&1 || { cat "$results/log" >&2 && return 1; }; }

# build <source> <build folder>: the release build of the benchmarks. A folder that is
# already configured keeps its options (./test's build/release has the tests on as well).
build() {
    if [ ! -f "$2/CMakeCache.txt" ]; then
        local launcher=()
        command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        quietly cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQORV_BENCH=ON \
            -DQORV_TESTS=OFF "${launcher[@]}"
    fi
    quietly cmake --build "$2" -j2 --target qorvedit_bench
}

echo "Building ${rev} in $other" >&2
if [ ! -d "$other/src" ]; then
    mkdir -p "$other/src"
    git -C "$root" archive "$commit" | tar -x -C "$other/src"
fi
build "$other/src" "$other/build"
echo "Building the work tree in $root/build/release" >&2
build "$root" "$root/build/release"

export QT_QPA_PLATFORM=offscreen
for ((round = 1; round <= rounds; round++)); do
    for side in rev work; do
        echo "Round $round of $rounds: $side" >&2
        program=$root/build/release/bench/qorvedit_bench
        [ "$side" = rev ] && program=$other/build/bench/qorvedit_bench
        quietly "$program" "${options[@]}" --benchmark_out="$results/$side-$round.json" \
            --benchmark_out_format=json
    done
done

# One row per benchmark, in the order the work tree runs them, then those only REV has.
# shellcheck disable=SC2016 # jq's own variables
table='
def ns: {ns: 1, us: 1e3, ms: 1e6, s: 1e9}[.time_unit] * (if .run_name | endswith("/real_time")
    then .real_time else .cpu_time end);
def median: sort | (.[(length - 1) / 2 | floor] + .[length / 2 | floor]) / 2;
def runs: [.[].benchmarks[]? | select(.run_type == "iteration")];
def medians: runs | group_by(.run_name) | map({key: .[0].run_name,
    value: ([.[] | select(.error_occurred | not) | ns] | if length > 0 then median else "error" end)})
    | from_entries;
def three: if . >= 100 then round elif . >= 10 then (. * 10 | round) / 10 else (. * 100 | round) / 100 end;
def time: if type != "number" then . elif . >= 1e6 then "\(. / 1e6 | three) ms"
    elif . >= 1e3 then "\(. / 1e3 | three) us" else "\(three) ns" end;
($rev | medians) as $a | ($work | medians) as $b
| ["benchmark", $name, "work tree", "ratio"],
  (($work + $rev | runs | map(.run_name)) | reduce .[] as $n ([]; if index([$n]) then . else . + [$n] end)
  | .[] as $n | [$n, ($a[$n] // "-" | time), ($b[$n] // "-" | time),
    (if ($a[$n] | type) == "number" and ($b[$n] | type) == "number" then "\($b[$n] / $a[$n] | . * 100 | round / 100)x" else "-" end)])
| @tsv'
jq -rn --arg name "$rev" --slurpfile rev <(cat "$results"/rev-*.json) \
    --slurpfile work <(cat "$results"/work-*.json) "$table" | column -t -s $'\t'
exit
}
