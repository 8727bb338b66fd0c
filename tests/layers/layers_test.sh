#!/usr/bin/env bash
# The tree passes the include check; a tree with an include of cli/ in core/, or a Qt header of
# a library its layer's row does not name, fails it.
#   layers_test.sh <source root>
set -euo pipefail
check=$(dirname "$0")/check_includes.sh
root=${1:?usage: layers_test.sh <source root>}
"$check" "$root"

crossed=$(mktemp -d)
trap 'rm -rf "$crossed"' EXIT
cp "$root/CONTRIBUTING.md" "$crossed/"
mkdir -p "$crossed/src/core" "$crossed/src/cli"
printf '#include "core/LevelGrid.h"\n#include "cli/Headless.h"\n' >"$crossed/src/core/Grid.cpp"
if "$check" "$crossed" 2>/dev/null; then
    echo "the check let core/ include a header of cli/" >&2
    exit 1
fi

# Qt's headers by library: each row a layer, an include, and whether the table allows it.
while read -r layer header allowed; do
    rm -rf "$crossed/src"
    mkdir -p "$crossed/src/$layer"
    printf '#include <%s>\n' "$header" >"$crossed/src/$layer/File.cpp"
    if "$check" "$crossed" 2>/dev/null; then passed=yes; else passed=no; fi
    if [ "$passed" != "$allowed" ]; then
        echo "the check gave $passed for <$header> in $layer/, the table says $allowed" >&2
        exit 1
    fi
done <<'ROWS'
cli QString yes
cli QWidget no
cli QImage no
cli QtGui/QImage no
tools QImage yes
tools QWidget no
tools QtWidgets/QWidget no
render QPainter yes
render QApplication no
interchange QXmlStreamReader yes
interchange QColor no
startup QGuiApplication no
platform QWidget yes
ui QMainWindow yes
core QString no
ROWS
