#!/usr/bin/env bash
# Runs a command on a private virtual desktop and takes the desktop down when it ends:
#   scripts/desktop.sh [--vnc | --bare] command [arguments...]
# The desktop is an X server (Xvfb, 1024x768, no TCP) with a window manager (openbox), so
# windows get frames, title bars and close boxes as on a user's desktop. It is private to
# the user who starts it: the X server admits only clients that show its random cookie,
# kept in an Xauthority file only that user can read. With --vnc an x11vnc server shows the
# desktop on 127.0.0.1, asking for a one-time password kept in a file of the same kind.
# Neither secret is ever a program's argument (those are readable by every account).
# The command runs with DISPLAY and XAUTHORITY set, and QORV_DESKTOP_DIR naming the private
# folder (Xauthority, vnc-password, logs, and "pids": each program's name and process id);
# with --vnc also QORV_VNC_PORT. --bare leaves the window manager out (for measurements
# that watch top-level windows being mapped).
# Whatever ends this script, even kill -KILL, ends everything it started with it; the
# folder of a desktop killed that way is removed by the next desktop of the same user.
set -euo pipefail

with_vnc=0 with_wm=1
case "${1:-}" in
--vnc) with_vnc=1 && shift ;;
--bare) with_wm=0 && shift ;;
esac
[ $# -gt 0 ] || { echo "usage: $0 [--vnc | --bare] command [arguments...]" >&2; exit 2; }

caller_umask=$(umask)
umask 077 # every file below is the user's alone

# Each desktop's folder holds a lock file, locked by the desktop's script and supervisor for
# their whole lives and marked once locked. A marked lock that is free belongs to a desktop
# whose processes are all gone. Only the lock decides: a process id can be reused, or belong
# to another PID namespace.
remove_stale_desktops() {
    local dir lock
    for dir in "${TMPDIR:-/tmp}"/qorv-desktop.??????; do
        # Only our own folders, never a link another account planted.
        [ -d "$dir" ] && [ ! -L "$dir" ] && [ -O "$dir" ] || continue
        (exec {lock}<"$dir/lock" && flock -n "$lock" && [ -s "$dir/lock" ] && rm -rf -- "$dir") \
            2>/dev/null || true
    done
}
remove_stale_desktops
desktop_dir=$(mktemp -d "${TMPDIR:-/tmp}/qorv-desktop.XXXXXX")
exec {lock_fd}>"$desktop_dir/lock"
flock -n "$lock_fd"
echo "locked while the desktop runs" >&"$lock_fd"
: >"$desktop_dir/server-auth"
: >"$desktop_dir/Xauthority" # else xauth warns that it creates them

groups=() # the process groups started, in order
# Ends the programs in the reverse order of their start, the command first, so that it still
# has its X server while it closes: each is asked to end, and made to after 5 seconds.
stop_desktop() {
    local i group
    for ((i = ${#groups[@]} - 1; i >= 0; i--)); do
        group=${groups[i]}
        kill -TERM -- "-$group" 2>/dev/null || continue
        for _ in $(seq 250); do
            kill -0 -- "-$group" 2>/dev/null || break
            sleep 0.02
        done
        kill -KILL -- "-$group" 2>/dev/null || true
        wait "$group" 2>/dev/null || true
    done
    # All ended here: the supervisor must not kill their group ids again (they may be
    # reused by now) nor remove the folder a second time.
    if [ -n "${supervisor:-}" ]; then echo done >&"$supervisor"; fi
    rm -rf -- "$desktop_dir"
}
trap stop_desktop EXIT
trap 'exit 130' INT TERM HUP

# The supervisor outlives this script by a moment, whatever ends it: it reads the process
# groups of the desktop's programs from a pipe only this script writes to, and when the pipe
# closes (this script has ended, however), it kills the groups and removes the folder. It
# runs in a session of its own, so that neither the terminal's signals (Ctrl-C, hang-up) nor
# a kill of this script's process group take it down first.
supervise() { # supervise <folder> <lock fd>
    local group groups=()
    while read -r group; do
        [ "$group" = done ] && return 0 # the script ended them all itself
        groups+=("$group")
    done
    for group in "${groups[@]}"; do kill -KILL -- "-$group" 2>/dev/null || true; done
    # The same folder still: a later desktop may have been given the name since.
    if [ "$1/lock" -ef "/proc/self/fd/$2" ]; then rm -rf -- "$1"; fi
}
exec {supervisor}> >(exec setsid bash -c "$(declare -f supervise); supervise \"\$@\"" \
    supervise "$desktop_dir" "$lock_fd")
echo "supervisor $!" >"$desktop_dir/pids"

# start <name> <umask> <program> [arguments...]: starts a program of the desktop in the
# background, in a session of its own, so that the supervisor ends it with all its children.
# PR_SET_PDEATHSIG ends it as well should this script and the supervisor be killed together.
# It keeps neither the supervisor's pipe (the pipe must close when this script ends) nor the
# lock. Sets started_pid.
start() {
    local name=$1 mask=$2
    shift 2
    (umask "$mask" && exec setpriv --pdeathsig KILL setsid "$@" {supervisor}>&- {lock_fd}>&-) <&0 &
    started_pid=$!
    groups+=("$started_pid")
    echo "$started_pid" >&"$supervisor"
    echo "$name $started_pid" >>"$desktop_dir/pids"
}

fail() {
    echo "error: $1" >&2
    for log in "$desktop_dir"/*.log; do [ -s "$log" ] && sed 's/^/  /' "$log" >&2; done
    exit 1
}

# wait_until <program> <pid> <seconds> <what it does> <test command...>: polls the test
# command until it succeeds; fails when the program <pid> has ended or the time is up.
wait_until() {
    local program=$1 pid=$2 seconds=$3 what=$4
    shift 4
    for _ in $(seq $((seconds * 50))); do
        "$@" && return
        kill -0 "$pid" 2>/dev/null || fail "$program did not start"
        sleep 0.02
    done
    fail "$program did not $what within $seconds seconds"
}

random_hex() { od -An -N"$1" -tx1 /dev/urandom | tr -d ' \n'; }

# add_cookie <Xauthority file> <display>: xauth reads the entry on its standard input from
# printf, a shell builtin, so that the cookie is no program's argument.
cookie=$(random_hex 16)
add_cookie() { printf 'add %s MIT-MAGIC-COOKIE-1 %s\n' "$2" "$cookie" | xauth -q -f "$1" source -; }

# The server reads its cookie from this file; it serves whatever display number it is given.
add_cookie "$desktop_dir/server-auth" :0
# -displayfd: the server picks a free display number itself and writes it once it accepts
# connections, so two desktops never collide. -noreset: no reset when the last client goes.
start xvfb 077 Xvfb -displayfd 1 -auth "$desktop_dir/server-auth" -screen 0 1024x768x24 \
    -nolisten tcp -noreset >"$desktop_dir/display-number" 2>"$desktop_dir/xvfb.log" </dev/null
display_printed() {
    display_number=$(sed -n 's/^\([0-9][0-9]*\)$/\1/p' "$desktop_dir/display-number")
    [ -n "$display_number" ]
}
wait_until "the X server" "$started_pid" 20 "report its display number" display_printed
export DISPLAY=":$display_number" XAUTHORITY="$desktop_dir/Xauthority"
add_cookie "$XAUTHORITY" "$DISPLAY"
xdpyinfo >/dev/null 2>&1 || fail "the X server on $DISPLAY does not answer"

# The window manager and the VNC server start side by side; the command starts once both
# are ready.
if [ "$with_wm" = 1 ]; then
    start openbox 077 openbox >"$desktop_dir/openbox.log" 2>&1 </dev/null
    wm_pid=$started_pid
fi
if [ "$with_vnc" = 1 ]; then
    # VNC passwords are 8 characters at most; these are drawn from 62, about 48 bits.
    password=$(set +o pipefail; tr -dc 'A-Za-z0-9' </dev/urandom | head -c 8)
    printf '%s\n' "$password" >"$desktop_dir/vnc-password"
    # x11vnc takes the first free port from 5900 on. It prints it only after looking up the
    # host's name, which takes 5 seconds where no name server answers; the port is read from
    # its listening socket instead, as soon as it listens.
    start x11vnc 077 x11vnc -display "$DISPLAY" -auth "$XAUTHORITY" -localhost \
        -passwdfile "$desktop_dir/vnc-password" -forever -shared -nossl -quiet \
        >"$desktop_dir/vnc.log" 2>&1 </dev/null
    vnc_pid=$started_pid
fi
if [ "$with_wm" = 1 ]; then
    # Ready once it has claimed the screen (_NET_SUPPORTING_WM_CHECK).
    wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
    wait_until "the window manager" "$wm_pid" 5 "take the screen" wm_ready
fi
if [ "$with_vnc" = 1 ]; then
    vnc_listening() {
        QORV_VNC_PORT=$(ss -Hltnp | sed -n "s/^.* 127\.0\.0\.1:\([0-9]*\) .*pid=$vnc_pid,.*/\1/p")
        [ -n "$QORV_VNC_PORT" ]
    }
    wait_until "the VNC server" "$vnc_pid" 20 "listen on 127.0.0.1" vnc_listening
    export QORV_VNC_PORT
fi

export QORV_DESKTOP_DIR="$desktop_dir"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$desktop_dir}" # Qt wants one, private
# The command keeps the terminal as its input, and creates its files (levels saved in the
# editor) with the caller's own umask. This script waits for it in `wait`, where a signal
# (Ctrl-C in the terminal) runs the traps at once and takes the desktop down.
start command "$caller_umask" "$@"
wait "$started_pid"
