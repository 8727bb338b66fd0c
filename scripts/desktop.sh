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
# Whatever ends this script, even kill -KILL, ends everything it started with it, children of
# children too, even one that left its process group and session (setsid): a keeper
# (scripts/desktop_keeper.py, a child subreaper) is the ancestor of every process on the
# desktop, and where the desktop has a PID namespace of its own (see below) that namespace
# holds them as well. The folder of a desktop killed that way is removed by the next desktop
# of the same user.
set -euo pipefail

# This script runs twice: first as called, then, started by that first run, as
#   desktop.sh --inside <folder> <lock fd> <supervisor fd> <caller's umask> [option] command...
# which starts the desktop's programs and removes the folder when it ends: only a folder
# whose lock it holds, so never one a mistaken call names.
inside=0
if [ "${1:-}" = --inside ]; then
    inside=1 desktop_dir=$2 lock_fd=$3 supervisor=$4 caller_umask=$5
    shift 5
    [ "$desktop_dir/lock" -ef "/proc/self/fd/$lock_fd" ] ||
        { echo "error: --inside is for this script's own use" >&2; exit 2; }
fi
arguments=("$@")
with_vnc=0 with_wm=1
case "${1:-}" in
--vnc) with_vnc=1 && shift ;;
--bare) with_wm=0 && shift ;;
esac
[ $# -gt 0 ] || { echo "usage: $0 [--vnc | --bare] command [arguments...]" >&2; exit 2; }

# --- The first run: the folder, its supervisor and the second run ---------------------

# Each desktop's folder holds a lock file, locked by both runs of this script and the
# supervisor for their whole lives and marked once locked. A marked lock that is free
# belongs to a desktop whose processes are all gone. Only the lock decides: a process id
# can be reused, or belong to another PID namespace.
remove_stale_desktops() {
    local dir lock
    for dir in "${TMPDIR:-/tmp}"/qorv-desktop.??????; do
        # Only our own folders, never a link another account planted.
        [ -d "$dir" ] && [ ! -L "$dir" ] && [ -O "$dir" ] || continue
        (exec {lock}<"$dir/lock" && flock -n "$lock" && [ -s "$dir/lock" ] && rm -rf -- "$dir") \
            2>/dev/null || true
    done
}

# The supervisor outlives both runs of this script by a moment, whatever ends them: it reads
# the process groups of the desktop's programs from a pipe only they write to (none where
# the desktop has a PID namespace), and when the pipe closes (both runs have ended,
# however), it kills the groups and removes the folder. It runs in a session of its own, so
# that neither the terminal's signals (Ctrl-C, hang-up) nor a kill of this script's process
# group take it down first.
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

# The second run is the init of a PID namespace of its own where the system lets this user
# make one (root may): when that init ends, however, the kernel kills every process left in
# the namespace, whatever session it has moved to. There /proc, and so ps, ss and the pids
# file, show the namespace's process ids; mounts made later on the system still reach the
# desktop (slave). An ordinary user could make one only inside a user namespace, where the
# editor would see root's and every other account's files as owned by one and the same
# "nobody", and could no longer tell a link planted in /tmp from the folder's own. For every
# user the keeper (python3 scripts/desktop_keeper.py) runs the second run below it as a
# child subreaper: whatever loses its parent on the desktop becomes the keeper's, and the
# keeper kills all of them once the desktop ends or this script is killed. Without python3
# only process groups and the parent-death signal end the programs, and a process that
# moved to a session of its own (setsid) outlives a kill -KILL of this script, unless the
# namespace holds it.
namespace=(unshare --pid --fork --kill-child --mount-proc --propagation slave)
python=$(command -v /usr/bin/python3 python3 | head -n 1) || true
keeper=("$python" "$(dirname -- "$0")/desktop_keeper.py")

first_run() {
    caller_umask=$(umask)
    umask 077 # every file below is the user's alone
    remove_stale_desktops
    desktop_dir=$(mktemp -d "${TMPDIR:-/tmp}/qorv-desktop.XXXXXX")
    exec {lock_fd}>"$desktop_dir/lock"
    flock -n "$lock_fd"
    echo "locked while the desktop runs" >&"$lock_fd"
    exec {supervisor}> >(exec setsid bash -c "$(declare -f supervise); supervise \"\$@\"" \
        supervise "$desktop_dir" "$lock_fd")
    echo "supervisor $!" >"$desktop_dir/pids"

    "${namespace[@]}" true 2>/dev/null || namespace=()
    # Killed with this script; in a session of its own (the keeper's, or its own), so that
    # the terminal's signals reach it once, through end_desktop, which lets it take the
    # desktop down in order.
    local below=(setsid)
    if [ -n "$python" ] && "${keeper[@]}" --check 2>/dev/null; then below=("${keeper[@]}" $$); fi
    "${below[@]}" setpriv --pdeathsig KILL "${namespace[@]}" "$BASH" "$0" --inside \
        "$desktop_dir" "$lock_fd" "$supervisor" "$caller_umask" "${arguments[@]}" <&0 &
    second_run=$!
    trap end_desktop INT TERM HUP
    wait "$second_run"
    exit 0
}
end_desktop() {
    kill -TERM -- "-$second_run" 2>/dev/null || true
    wait "$second_run" || true
    exit 130
}
[ "$inside" = 1 ] || first_run

# --- The second run: the desktop's programs ------------------------------------------

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
    echo done >&"$supervisor"
    rm -rf -- "$desktop_dir"
}
# Set first: as a namespace's init, this script receives no signal it has no trap for.
trap stop_desktop EXIT
trap 'exit 130' INT TERM HUP

: >"$desktop_dir/server-auth"
: >"$desktop_dir/Xauthority" # else xauth warns that it creates them

# start <name> <umask> <program> [arguments...]: starts a program of the desktop in the
# background, in a session of its own, so that stop_desktop ends it with all its children.
# PR_SET_PDEATHSIG ends it as well should this script be killed. It keeps neither the
# supervisor's pipe (the pipe must close when this script ends) nor the lock. Sets
# started_pid.
start() {
    local name=$1 mask=$2
    shift 2
    (umask "$mask" && exec setpriv --pdeathsig KILL setsid "$@" {supervisor}>&- {lock_fd}>&-) <&0 &
    started_pid=$!
    groups+=("$started_pid")
    # The supervisor kills the group should this script be killed, unless this script is
    # the init of the desktop's PID namespace, process 1, whose end ends all.
    if [ $$ -ne 1 ]; then echo "$started_pid" >&"$supervisor"; fi
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
    # The same password in the form VNC programs keep it, which vncviewer -passwd FILE,
    # vncsnapshot -passwd FILE and x11vnc -rfbauth FILE read (vncpasswd -f writes it): the
    # password DES-encrypted with the fixed key they all use, here with each byte's bits
    # reversed as DES wants them. The password goes in on standard input; the key is public.
    printf '%s' "$password" | openssl enc -des-ecb -provider legacy -provider default \
        -K e84ad660c4721ae0 -nopad >"$desktop_dir/vnc-passwd" ||
        fail "openssl could not write the VNC password file"
    # x11vnc takes the first free port from 5900 on. It prints it only after looking up the
    # host's name, which takes 5 seconds where no name server answers; the port is read from
    # its listening socket instead, as soon as it listens.
    start x11vnc 077 x11vnc -display "$DISPLAY" -auth "$XAUTHORITY" -localhost \
        -rfbauth "$desktop_dir/vnc-passwd" -forever -shared -nossl -quiet \
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
if [ "$with_vnc" = 1 ]; then
    cat <<MESSAGE
The private virtual desktop ($DISPLAY, 1024x768, openbox) is ready. View it with a VNC viewer
on this machine:
    address   127.0.0.1:$QORV_VNC_PORT   (e.g. vncviewer 127.0.0.1::$QORV_VNC_PORT)
    password  $password   (one-time, readable by you only: as text in $desktop_dir/vnc-password,
              for vncviewer -passwd in $desktop_dir/vnc-passwd)
From another machine, tunnel the port first: ssh -L $QORV_VNC_PORT:127.0.0.1:$QORV_VNC_PORT <this host>
X programs of your own reach the desktop with DISPLAY=$DISPLAY XAUTHORITY=$XAUTHORITY.
The desktop ends when its command ends.
MESSAGE
fi
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$desktop_dir}" # Qt wants one, private
# The command keeps the terminal as its input, and creates its files (levels saved in the
# editor) with the caller's own umask. This script waits for it in `wait`, where a signal
# (Ctrl-C in the terminal, passed on by the first run) runs the traps at once and takes the
# desktop down.
start command "$caller_umask" "$@"
wait "$started_pid"
