#!/usr/bin/env bash
# Fails when a source file in src/ includes a header of a layer that the table of layers in
# CONTRIBUTING.md does not let its own layer use, or a system header its layer may not use.
#   check_includes.sh <source root>
set -euo pipefail
root=${1:?usage: check_includes.sh <source root>}

# The table's rows: | layer | may include | system headers |
declare -A uses system
while IFS='|' read -r _ layer allowed headers _; do
    layer=$(echo "$layer" | tr -d ' `')
    uses[$layer]=$(echo "$allowed" | tr -d '`,')
    system[$layer]=$(echo "$headers" | xargs)
done < <(sed -n '/^| layer | may include | system headers |$/,/^$/p' "$root/CONTRIBUTING.md" |
         tail -n +3 | grep '^|')
if [ ${#uses[@]} -eq 0 ]; then
    echo "CONTRIBUTING.md has no table of layers" >&2
    exit 2
fi

status=0
fail() {
    echo "$1" >&2
    status=1
}

while IFS= read -r -d '' file; do
    name=${file#"$root"/src/}
    layer=${name%%/*}
    if [ -z "${uses[$layer]+set}" ]; then
        fail "src/$name: the table of layers in CONTRIBUTING.md has no row for $layer"
        continue
    fi
    while IFS=: read -r line used; do
        [ "$used" = "$layer" ] || [ ! -d "$root/src/$used" ] && continue
        [[ " ${uses[$layer]} " == *" $used "* ]] ||
            fail "src/$name:$line: $layer may not include a header of $used"
    done < <(grep -no '^ *# *include "[A-Za-z]*/' "$file" | sed -E 's/:.*"/:/; s@/$@@')
    # The C++ standard library's headers have no ".h", and Qt's start with a Q.
    case "${system[$layer]}" in
    "C++ standard library") refused='Q[^>]*|[^>]*\.h' ;;
    "C++ and C libraries") refused='Q[^>]*' ;;
    *) continue ;;
    esac
    while IFS=: read -r line header; do
        fail "src/$name:$line: $layer may include no $header (only the ${system[$layer]})"
    done < <(grep -noE "^ *# *include <($refused)>" "$file" | sed -E 's/:[^<]*/:/')
done < <(find "$root/src" -type f \( -name '*.cpp' -o -name '*.h' \) -print0)
exit $status
