#!/usr/bin/env bash
# scripts/desktop.sh against faults that would expose it to other accounts or leave it
# running. Run by ctest, one case a test:
#   desktop_script_test.sh secrets         no program's arguments ever hold the X cookie or
#                                          the VNC password (every execve, seen by strace)
#   desktop_script_test.sh killed          after kill -KILL of the script nothing it started
#                                          runs 5 seconds later, not even a child of its
#                                          command that moved to a session of its own; the
#                                          folder of a desktop killed whole is removed by the
#                                          next one, a live desktop's folder and another
#                                          account's are kept
#   desktop_script_test.sh killed-as-nobody  the same, run by the user nobody (needs root)
#   desktop_script_test.sh window-manager  a window manager that ends at once or never takes
#                                          the screen fails the desktop with its message
# The desktops' folders go into a scratch folder of the test's own, and every process a
# desktop starts carries a marker in its environment, so that the test finds them without
# trusting the script's own bookkeeping.
set -uo pipefail
QORV_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$QORV_ROOT/tests/desktop/checks.sh"
desktop=$QORV_ROOT/scripts/desktop.sh
require_tools Xvfb xauth xdpyinfo xprop openbox x11vnc setpriv setsid flock ss

scratch=$(mktemp -d)
marker=qorv-desktop-test-$$-$RANDOM
cleanup() {
    marked_pids | xargs -r kill -KILL 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
export TMPDIR=$scratch

# Processes whose environment holds the marker.
marked_pids() { grep -lzx "QORV_TEST_MARKER=$marker" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3; }
# Their program names, sorted, on one line.
marked_names() { marked_pids | xargs -r ps -o comm= -p | sort -u | xargs; }
run_desktop() { env QORV_TEST_MARKER="$marker" "$desktop" "$@"; }

# until_within <seconds> <test command...>: whether the test succeeds within the time.
until_within() {
    local seconds=$1
    shift
    for _ in $(seq $((seconds * 20))); do
        "$@" && return 0
        sleep 0.05
    done
    "$@"
}
nothing_marked() { [ -z "$(marked_pids)" ]; }
names_are() { [ "$(marked_names)" = "$1" ]; }
sleeps_are() { [ "$(marked_pids | xargs -r ps -o comm= -p | grep -cx sleep)" = "$1" ]; }
# As root the desktop runs in a PID namespace of its own (unshare), where nothing started on
# it outlives it; an ordinary user's desktop has none. Every desktop has its keeper.
namespace=""
[ "$(id -u)" -ne 0 ] || namespace=unshare
# The folder of the desktop that runs (there is one at a time).
desktop_folder() {
    local folders=("$scratch"/qorv-desktop.*)
    echo "${folders[0]}"
}
# Whether a desktop has started its command; sets folder to its folder.
command_started() {
    folder=$(desktop_folder)
    grep -qs '^command ' "$folder/pids"
}

secrets() {
    require_tools strace
    # The command copies both secrets out for the comparison, with no secret as argument.
    # It also tells where the password is, and the VNC form of it is the user's alone.
    strace -f -qq -e trace=execve -s 4096 -o "$scratch/trace" "$desktop" --vnc bash -c \
        'xauth list >"$0/cookies" && cp "$QORV_DESKTOP_DIR/vnc-password" "$0/password" &&
         stat -c "%a %s" "$QORV_DESKTOP_DIR/vnc-passwd" >"$0/vnc-passwd" &&
         echo "$QORV_VNC_PORT $QORV_DESKTOP_DIR" >"$0/where"' \
        "$scratch" >"$scratch/said"
    check "the desktop ran" 0 $?
    local cookie password program
    cookie=$(awk '{ print $3 }' "$scratch/cookies" | head -n 1)
    password=$(cat "$scratch/password")
    check "a 128-bit cookie was made" 32 "${#cookie}"
    check "an 8-character password was made" 8 "${#password}"
    for program in xauth Xvfb x11vnc; do
        check "the trace saw $program start" yes \
            "$(grep -q "execve(\"[^\"]*/$program\"" "$scratch/trace" && echo yes)"
    done
    check "no argument holds the cookie" 0 "$(grep -c -- "$cookie" "$scratch/trace")"
    check "no argument holds the password" 0 "$(grep -c -- "$password" "$scratch/trace")"
    local port folder
    read -r port folder <"$scratch/where"
    check "the password's VNC file is 8 bytes, the owner's alone" "600 8" "$(cat "$scratch/vnc-passwd")"
    check "--vnc prints the address" 1 \
        "$(grep -cxF "    address   127.0.0.1:$port   (e.g. vncviewer 127.0.0.1::$port)" "$scratch/said")"
    check "--vnc prints the password and its files" 2 "$(grep -cF -e "password  $password   (one-time" \
        -e "for vncviewer -passwd in $folder/vnc-passwd)" "$scratch/said")"
}

killed() {
    # A desktop whose command has children of its own, one of them in a session of its own,
    # killed with its script alone.
    env QORV_TEST_MARKER="$marker" "$desktop" --vnc bash -c \
        'sleep 300 & setsid sleep 300 & : >"$0"; wait' "$scratch/ready" &
    local script=$!
    until_within 20 test -e "$scratch/ready"
    local folder all="Xvfb bash openbox qorv-keeper sleep${namespace:+ $namespace} x11vnc"
    folder=$(desktop_folder)
    until_within 5 sleeps_are 2 # the command's children may not be sleep yet
    check "the desktop runs its programs" "$all" "$(marked_names)"
    run_desktop --bare true
    check "another desktop keeps a live desktop's folder" yes "$([ -d "$folder" ] && echo yes)"
    kill -KILL "$script" && wait "$script" 2>/dev/null
    until_within 5 nothing_marked
    check "5 seconds after kill -KILL of the script, nothing it started runs" "" "$(marked_names)"
    check "the killed script's folder is gone" no "$([ -e "$folder" ] && echo yes || echo no)"

    # The script's whole process group killed (the supervisor has a session of its own).
    setsid env QORV_TEST_MARKER="$marker" "$desktop" --bare sleep 300 &
    script=$!
    until_within 20 command_started
    kill -KILL -- "-$script" && wait "$script" 2>/dev/null
    until_within 5 nothing_marked
    check "5 seconds after kill -KILL of the script's process group, nothing runs" "" \
        "$(marked_names)"
    check "the folder of the killed process group is gone" no \
        "$([ -e "$folder" ] && echo yes || echo no)"

    # Script and supervisor killed together, as a crash would: the programs still end, the
    # children of the command too, one of them in a session of its own, and the folder
    # stays behind.
    local command=(bash -c 'sleep 300 & setsid sleep 300 & wait') sleeps=2
    env QORV_TEST_MARKER="$marker" "$desktop" --bare "${command[@]}" &
    script=$!
    until_within 20 command_started
    until_within 5 sleeps_are "$sleeps"
    kill -KILL "$(sed -n 's/^supervisor //p' "$folder/pids")" "$script"
    wait "$script" 2>/dev/null
    until_within 5 nothing_marked
    check "5 seconds after the script and its supervisor were killed, nothing runs (${command[*]})" \
        "" "$(marked_names)"
    check "a desktop killed whole leaves its folder" yes "$([ -d "$folder" ] && echo yes)"
    # Another account's folder that looks abandoned too.
    local foreign=$scratch/qorv-desktop.nobody
    if [ "$(id -u)" -eq 0 ]; then
        mkdir "$foreign" && cp "$folder/lock" "$foreign/lock" && chown -R nobody "$foreign"
    fi
    run_desktop --bare true
    check "the next desktop removes the folder left behind" no \
        "$([ -e "$folder" ] && echo yes || echo no)"
    if [ "$(id -u)" -eq 0 ]; then
        check "the next desktop keeps another account's folder" yes \
            "$([ -d "$foreign" ] && echo yes)"
    fi

    # A command that ends normally, leaving a child in a session of its own.
    run_desktop --bare bash -c 'setsid sleep 300 &'
    check "a desktop ended normally leaves nothing running" "" "$(marked_names)"
}

window_manager() {
    local case expected status
    for case in "exit 1" "exec sleep 300"; do
        mkdir -p "$scratch/$case"
        printf '#!/bin/sh\n%s\n' "$case" >"$scratch/$case/openbox"
        chmod +x "$scratch/$case/openbox"
        PATH="$scratch/$case:$PATH" run_desktop bash -c ': >"$0"' "$scratch/ran" \
            2>"$scratch/errors"
        status=$?
        expected="error: the window manager did not start"
        [ "$case" = "exit 1" ] ||
            expected="error: the window manager did not take the screen within 5 seconds"
        check "openbox that does '$case': the desktop fails" 1 "$status"
        check "openbox that does '$case': the message" "$expected" "$(head -n 1 "$scratch/errors")"
        check "openbox that does '$case': the command never ran" no \
            "$([ -e "$scratch/ran" ] && echo yes || echo no)"
        until_within 5 nothing_marked
        check "openbox that does '$case': nothing runs afterwards" "" "$(marked_names)"
    done
}

# The killed case run by the user nobody, for whom no PID namespace is made: the keeper alone
# holds the desktop's processes. Needs root to become nobody.
killed_as_nobody() {
    [ "$(id -u)" -eq 0 ] || { echo "skipped: needs root to act as the user nobody"; exit 77; }
    setpriv --reuid=nobody --regid=nogroup --clear-groups -- env -u TMPDIR HOME=/nonexistent \
        bash "$0" killed
    exit $?
}

case "${1:-}" in
secrets) secrets ;;
killed) killed ;;
killed-as-nobody) killed_as_nobody ;;
window-manager) window_manager ;;
*) echo "usage: $0 secrets | killed | window-manager" >&2 && exit 2 ;;
esac
finish
