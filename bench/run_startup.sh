#!/usr/bin/env bash
# How long `./run` takes, with nothing to build and no display, until the editor's main
# window is mapped on its private virtual desktop (served over VNC):
#   bench/run_startup.sh [runs, default 3]
# One run first builds what is missing and warms the caches; it is not counted. The desktop
# is polled every 10 ms with xdotool, so a figure may be up to about 15 ms late.
set -euo pipefail
QORV_ROOT=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-3}
scratch=$(mktemp -d)
run_pid=""
trap '[ -z "$run_pid" ] || kill "$run_pid" 2>/dev/null; rm -rf "$scratch"' EXIT

editor_mapped() {
    local folders=("$scratch"/qorv-desktop.*)
    [ -s "${folders[0]}/display-number" ] &&
        DISPLAY=":$(cat "${folders[0]}/display-number")" XAUTHORITY="${folders[0]}/Xauthority" \
            xdotool search --onlyvisible --name '^QorvEdit$' >/dev/null 2>&1
}

# Prints the milliseconds from starting ./run to the editor's window being mapped, then ends
# the run.
one_run() {
    local start
    start=$(date +%s%N)
    # The desktop's folder goes into the scratch folder, where the poll finds it.
    env -u DISPLAY -u WAYLAND_DISPLAY TMPDIR="$scratch" "$QORV_ROOT/run" >"$scratch/run.log" 2>&1 &
    run_pid=$!
    until editor_mapped; do
        kill -0 "$run_pid" 2>/dev/null || { cat "$scratch/run.log" >&2; exit 1; }
        sleep 0.01
    done
    echo $((($(date +%s%N) - start) / 1000000))
    kill "$run_pid" && wait "$run_pid" || true
    run_pid=""
}

one_run >/dev/null
times=()
for ((i = 0; i < runs; i++)); do times+=("$(one_run)"); done
echo "./run until the editor's window is mapped (ms): ${times[*]}"
