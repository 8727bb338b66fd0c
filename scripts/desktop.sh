#!/usr/bin/env bash
# Runs a command on a private virtual desktop and takes the desktop down when it ends:
#   scripts/desktop.sh [--vnc | --bare] command [arguments...]
# The desktop is an X server (Xvfb, 1024x768, no TCP) with a window manager (openbox), so
# windows get frames, title bars and close boxes as on a user's desktop. It is private to
# the user who starts it: the X server admits only clients that show its random cookie,
# kept in an Xauthority file only that user can read. With --vnc an x11vnc server shows the
# desktop on 127.0.0.1, asking for a one-time password kept in a file of the same kind.
# The command runs with DISPLAY and XAUTHORITY set, and QORV_DESKTOP_DIR naming the private
# folder (Xauthority, vnc-password, logs); with --vnc also QORV_VNC_PORT. --bare leaves the
# window manager out (for measurements that watch top-level windows being mapped).
set -euo pipefail

with_vnc=0 with_wm=1
case "${1:-}" in
--vnc) with_vnc=1 && shift ;;
--bare) with_wm=0 && shift ;;
esac
[ $# -gt 0 ] || { echo "usage: $0 [--vnc | --bare] command [arguments...]" >&2; exit 2; }

caller_umask=$(umask)
umask 077 # every file below is the user's alone
desktop_dir=$(mktemp -d "${TMPDIR:-/tmp}/qorv-desktop.XXXXXX")
touch "$desktop_dir/server-auth" "$desktop_dir/Xauthority" # else xauth warns it makes them
command_pid="" server_pid="" wm_pid="" vnc_pid=""
stop_desktop() {
    local pid
    for pid in "$command_pid" "$vnc_pid" "$wm_pid" "$server_pid"; do
        if [ -n "$pid" ]; then kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true; fi
    done
    rm -rf "$desktop_dir"
}
trap stop_desktop EXIT
trap 'exit 130' INT TERM HUP

fail() {
    echo "error: $1" >&2
    for log in "$desktop_dir"/*.log; do [ -s "$log" ] && sed 's/^/  /' "$log" >&2; done
    exit 1
}

random_hex() { od -An -N"$1" -tx1 /dev/urandom | tr -d ' \n'; }

# printed_number <file> <prefix> <pid> <what>: the number that the program <pid> prints on
# a line of its own after <prefix> into <file>, once it is there (within 20 seconds).
printed_number() {
    local number
    for _ in $(seq 400); do
        number=$(sed -n "s/^$2\([0-9][0-9]*\)\$/\1/p" "$1" | head -n 1)
        [ -n "$number" ] && { echo "$number"; return; }
        kill -0 "$3" 2>/dev/null || fail "$4 did not start"
        sleep 0.05
    done
    fail "$4 did not report its number"
}

# The server reads its cookie from this file; it serves whatever display number it is given.
export XAUTHORITY="$desktop_dir/Xauthority"
cookie=$(random_hex 16)
xauth -q -f "$desktop_dir/server-auth" add :0 MIT-MAGIC-COOKIE-1 "$cookie"

# -displayfd: the server picks a free display number itself and writes it once it accepts
# connections, so two desktops never collide. -noreset: no reset when the last client goes.
Xvfb -displayfd 1 -auth "$desktop_dir/server-auth" -screen 0 1024x768x24 -nolisten tcp \
    -noreset >"$desktop_dir/display-number" 2>"$desktop_dir/xvfb.log" &
server_pid=$!
display_number=$(printed_number "$desktop_dir/display-number" "" "$server_pid" "the X server")
export DISPLAY=":$display_number"
xauth -q add "$DISPLAY" MIT-MAGIC-COOKIE-1 "$cookie"
xdpyinfo >/dev/null 2>&1 || fail "the X server on $DISPLAY does not answer"

# The window manager is ready once it has claimed the screen (_NET_SUPPORTING_WM_CHECK).
if [ "$with_wm" = 1 ]; then
    openbox >"$desktop_dir/openbox.log" 2>&1 &
    wm_pid=$!
    wm_ready=0
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && wm_ready=1 && break
        kill -0 "$wm_pid" 2>/dev/null || fail "the window manager did not start"
        sleep 0.05
    done
    [ "$wm_ready" = 1 ] || fail "the window manager did not take the screen within 5 seconds"
fi

export QORV_DESKTOP_DIR="$desktop_dir"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$desktop_dir}" # Qt wants one, private
if [ "$with_vnc" = 1 ]; then
    # VNC passwords are 8 characters at most; these are drawn from 62, about 48 bits.
    password=$(set +o pipefail; tr -dc 'A-Za-z0-9' </dev/urandom | head -c 8)
    printf '%s\n' "$password" >"$desktop_dir/vnc-password"
    # x11vnc takes the first free port from 5900 on and prints it as PORT=n.
    x11vnc -display "$DISPLAY" -auth "$XAUTHORITY" -localhost -passwdfile "$desktop_dir/vnc-password" \
        -forever -shared -nossl -quiet >"$desktop_dir/vnc.out" 2>"$desktop_dir/vnc.log" &
    vnc_pid=$!
    QORV_VNC_PORT=$(printed_number "$desktop_dir/vnc.out" "PORT=" "$vnc_pid" "the VNC server")
    export QORV_VNC_PORT
fi

# In the background, keeping the terminal as input, so that a signal to this script (which
# waits in `wait`) takes the desktop and the command down at once. The command creates its
# files (levels saved in the editor) with the caller's own umask.
(umask "$caller_umask" && exec "$@") <&0 &
command_pid=$!
wait "$command_pid"
