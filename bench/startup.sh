#!/usr/bin/env bash
# Start-up time as a user feels it: from starting the program to the X server mapping its
# main window, for the built editor and for a minimal Qt Widgets program (bench/
# MinimalWindow.cpp: a small window with a line of text, then a 640 x 450 window with an
# image), alternated in one run on a private virtual X display without a window manager.
#   bench/startup.sh [build folder, default build/release] [runs of each, default 15]
# Needs the targets qorvedit, qorv_minimal_window and qorv_map_wait of a build with
# QORV_BENCH on (./test builds them in build/release).
set -euo pipefail
QORV_ROOT=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$QORV_ROOT/build/release}" && pwd)
runs=${2:-15}

if [ "${QORV_STARTUP_INSIDE:-}" != 1 ]; then
    for program in qorvedit bench/qorv_minimal_window bench/qorv_map_wait; do
        [ -x "$build/$program" ] || { echo "error: $build/$program is not built" >&2; exit 1; }
    done
    QORV_STARTUP_INSIDE=1 exec "$QORV_ROOT/scripts/desktop.sh" --bare "$0" "$build" "$runs"
fi

export QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING
cd "$QORV_ROOT/examples" # the editor loads its tile sheet from here
wait_map="$build/bench/qorv_map_wait"
editor() { "$wait_map" QorvEdit "$build/qorvedit"; }
minimal() { "$wait_map" Minimal "$build/bench/qorv_minimal_window"; }

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

editor >/dev/null && minimal >/dev/null # caches warmed, not counted
editor_times=() minimal_times=()
for ((i = 0; i < runs; i++)); do
    # Alternate which program goes first, so neither always follows the other.
    if ((i % 2 == 0)); then
        editor_times+=("$(editor)")
        minimal_times+=("$(minimal)")
    else
        minimal_times+=("$(minimal)")
        editor_times+=("$(editor)")
    fi
done
editor_median=$(printf '%s\n' "${editor_times[@]}" | median)
minimal_median=$(printf '%s\n' "${minimal_times[@]}" | median)
echo "editor  (ms): ${editor_times[*]}"
echo "minimal (ms): ${minimal_times[*]}"
awk -v e="$editor_median" -v m="$minimal_median" -v n="$runs" 'BEGIN {
    printf "start-up until the main window is mapped, medians of %d runs each:\n", n
    printf "  editor %.1f ms, minimal Qt program with text %.1f ms: %.2fx (target: at most 1.20x)\n", e, m, e / m
}'
