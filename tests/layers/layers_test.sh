#!/usr/bin/env bash
# The tree passes the include check, and a tree with an include of app/ in core/ fails it.
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
