#!/usr/bin/env bash
# Desktop integration, checked in a temporary install prefix: the installed files pass the
# freedesktop.org validators, a level file's MIME type is ours, our desktop entry is its
# default handler, and the program that entry starts shows the level (on a private Xvfb,
# by the end-to-end test DesktopEntry).
#   integration.sh <build dir> <e2e test program>
set -euo pipefail
build=$1
e2e=$2
tests=$(cd "$(dirname "$0")/.." && pwd)
for tool in desktop-file-validate appstreamcli update-mime-database update-desktop-database \
    xdg-mime mimetype; do
    command -v "$tool" >/dev/null || { echo "missing $tool (scripts/setup.sh installs it)"; exit 1; }
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
entry=$share/applications/org.qorvedit.QorvEdit.desktop
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

echo "== validators"
desktop-file-validate "$entry" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$share/metainfo/org.qorvedit.QorvEdit.metainfo.xml" ||
    fail "appstreamcli validate"
grep -qx 'Exec=qorvedit %f' "$entry" || fail "Exec line"
grep -qx 'MimeType=application/x-qorvedit-level;' "$entry" || fail "MimeType line"
[ -x "$prefix/bin/qorvedit" ] || fail "no program in bin/"
[ -f "$prefix/share/qorvedit/all.bmp" ] || fail "no tile sheet in share/qorvedit/"
[ -f "$share/man/man1/qorvedit.1" ] || fail "no manual page in share/man/man1/"
bash -c 'source "$1" && complete -p qorvedit' completion "$share/bash-completion/completions/qorvedit" \
    >/dev/null || fail "no bash completion of qorvedit in share/bash-completion/completions/"

echo "== icons"
[ -f "$share/icons/hicolor/scalable/apps/qorvedit.svg" ] || fail "no scalable icon"
for size in 16 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x${size}/apps/qorvedit.png
    # The PNG header's width and height, big-endian at bytes 16 and 20.
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" 2>/dev/null |
        awk '{ print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }') ||
        true
    [ "${width:-0}x${height:-0}" = "${size}x${size}" ] ||
        fail "icon $png is ${width:-?}x${height:-?}, not ${size}x${size}"
done

echo "== MIME type and default handler"
# Only the temporary prefix and the system's own data: no desktop environment's helpers.
export XDG_DATA_HOME=$share XDG_DATA_DIRS=$share:/usr/share
export XDG_CONFIG_HOME=$scratch/config XDG_CONFIG_DIRS=$scratch/config HOME=$scratch/home
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
mkdir -p "$XDG_CONFIG_HOME" "$HOME"
update-mime-database "$share/mime"
update-desktop-database "$share/applications"
printf '%s\r\n' 0123456789 >"$scratch/maze.qre"
cp "$scratch/maze.qre" "$scratch/other.qrl"
for level in maze.qre other.qrl; do
    type=$(xdg-mime query filetype "$scratch/$level")
    [ "$type" = application/x-qorvedit-level ] || fail "$level has type '$type'"
done
handler=$(xdg-mime query default application/x-qorvedit-level)
[ "$handler" = org.qorvedit.QorvEdit.desktop ] || fail "default handler is '$handler'"

echo "== the installed command line draws with the installed tile sheet from an empty folder"
mkdir "$scratch/alone"
cp "$tests/../examples/maze.qre" "$scratch/alone/"
(cd "$scratch/alone" && "$prefix/bin/qorvedit" --render maze.qre found.png &&
    "$prefix/bin/qorvedit" --render maze.qre named.png --tiles "$share/qorvedit/all.bmp") ||
    fail "--render without all.bmp"
cmp -s "$scratch/alone/found.png" "$scratch/alone/named.png" ||
    fail "--render did not draw with the installed tile sheet"

echo "== the entry opens a level; the installed tile sheet is found from an empty folder"
QORV_INSTALL_PREFIX=$prefix "$tests/gtest_must_run.sh" "$e2e" --gtest_filter='*/DesktopEntry.*:*/InstalledEditor.*' ||
    fail "installed editor e2e"

[ "$failures" -eq 0 ] && echo "desktop integration: all checks passed"
exit $((failures > 0))
