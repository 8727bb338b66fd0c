#!/usr/bin/env bash
# ./run's virtual desktop (scripts/desktop.sh --vnc) is private to the user who started it:
# another local account (nobody) reaches neither its X server nor its VNC server, while the
# owner does, and only the VNC server listens on TCP, on the loopback addresses alone. Run
# by ctest; skipped (77) where it cannot switch to another account.
set -uo pipefail
QORV_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$QORV_ROOT/tests/desktop/checks.sh"
other=nobody

if [ "${1:-}" != "--inside" ]; then
    [ "$(id -u)" -eq 0 ] || { echo "SKIPPED: needs root to act as another account"; exit 77; }
    id "$other" >/dev/null 2>&1 || skip "no account named $other"
    require_tools Xvfb xauth xdpyinfo xprop openbox x11vnc setpriv ss
    exec "$QORV_ROOT/scripts/desktop.sh" --vnc "$0" --inside
fi

as_other() {
    setpriv --reuid="$other" --regid="$(id -g "$other")" --clear-groups \
        env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" "$@"
}

# Logs in to the VNC server on 127.0.0.1:<port> with <password> (the RFB 3.8 handshake and
# VNC authentication: the server's 16-byte challenge encrypted by DES with the password,
# each byte's bits reversed, as key). Prints "open" if the server asks for no password,
# "accepted" or "refused" after the password, or what went wrong.
vnc_login() {
    local port=$1 password=$2
    exec 3<>"/dev/tcp/127.0.0.1/$port" || { echo unreachable; return; }
    bytes() { dd bs=1 count="$1" <&3 2>/dev/null | od -An -v -tu1 | tr -s ' \n' ' '; }
    [[ $(dd bs=1 count=12 <&3 2>/dev/null) == "RFB 003."* ]] || { echo "no RFB server"; return; }
    printf 'RFB 003.008\n' >&3
    local count types
    count=$(bytes 1 | tr -d " ")
    types=" $(bytes "$count") "
    [[ $types == *" 1 "* ]] && { echo open; return; }
    [[ $types == *" 2 "* ]] || { echo "no VNC authentication offered:$types"; return; }
    printf '\x02' >&3
    local challenge key="" i c v r b response
    challenge=$(dd bs=1 count=16 <&3 2>/dev/null | od -An -v -tx1 | tr -d ' \n')
    for ((i = 0; i < 8; i++)); do
        c=${password:i:1}
        v=0
        [ -n "$c" ] && v=$(printf '%d' "'$c")
        r=0
        for ((b = 0; b < 8; b++)); do r=$(((r << 1) | ((v >> b) & 1))); done
        key+=$(printf '%02x' "$r")
    done
    response=$(printf "$(sed 's/../\\x&/g' <<<"$challenge")" |
        openssl enc -des-ecb -provider legacy -provider default -K "$key" -nopad |
        od -An -v -tx1 | tr -d ' \n')
    [ ${#response} -eq 32 ] || { echo "no DES (openssl)"; return; }
    printf "$(sed 's/../\\x&/g' <<<"$response")" >&3
    [ "$(bytes 4)" = " 0 0 0 0 " ] && echo accepted || echo refused
}

# --- The X server ----------------------------------------------------------------------
xdpyinfo >/dev/null 2>&1
check "the owner, with the cookie, opens $DISPLAY" 0 $?
XAUTHORITY=/dev/null xdpyinfo >/dev/null 2>&1
check "the owner without the cookie is refused" 1 $?
as_other xdpyinfo >/dev/null 2>&1
check "$other is refused by $DISPLAY" 1 $?
as_other env XAUTHORITY="$XAUTHORITY" xdpyinfo >/dev/null 2>&1
check "$other cannot use the owner's Xauthority file" 1 $?
as_other cat "$XAUTHORITY" >/dev/null 2>&1
check "$other cannot read the cookie" 1 $?

# --- The VNC server --------------------------------------------------------------------
password=$(cat "$QORV_DESKTOP_DIR/vnc-password")
check "the VNC password file is the owner's alone" "-rw-------" "$(stat -c %A "$QORV_DESKTOP_DIR/vnc-password")"
as_other cat "$QORV_DESKTOP_DIR/vnc-password" >/dev/null 2>&1
check "$other cannot read the VNC password" 1 $?
login=$(declare -f vnc_login)
check "the owner logs in with the password" accepted \
    "$(timeout 20 bash -c "$login; vnc_login $QORV_VNC_PORT $password")"
check "$other is refused without the password" refused \
    "$(as_other timeout 20 bash -c "$login; vnc_login $QORV_VNC_PORT guess")"
check "$other is refused with an empty password" refused \
    "$(as_other timeout 20 bash -c "$login; vnc_login $QORV_VNC_PORT ''")"

# --- Listening sockets -----------------------------------------------------------------
# The TCP addresses that the desktop's program <name> listens on, one a line.
listening() {
    local pid
    pid=$(sed -n "s/^$1 //p" "$QORV_DESKTOP_DIR/pids")
    ss -Hltnp | awk -v pid="pid=$pid," 'index($0, pid) { print $4 }'
}
check "the VNC server listens on 127.0.0.1" yes \
    "$(listening x11vnc | grep -qx "127\.0\.0\.1:$QORV_VNC_PORT" && echo yes)"
check "the VNC server listens on no other address than loopback" "" \
    "$(listening x11vnc | grep -v '^127\.0\.0\.1:\|^\[::1\]:' | xargs)"
check "the X server listens on no TCP port" "" "$(listening xvfb | xargs)"

finish
