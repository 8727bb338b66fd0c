#!/usr/bin/env bash
# Fails when a source file in src/ includes a header of a layer that the table of layers in
# CONTRIBUTING.md does not let its own layer use, or a system header its layer may not use:
# Qt's headers by the library (QtCore, QtGui, ...) that holds them in Qt's include folder.
#   check_includes.sh <source root> [<Qt's include folder>]
set -euo pipefail
root=${1:?usage: check_includes.sh <source root> [<Qt include folder>]}
qt=${2:-$(ls -d /usr/include/*/qt6 /usr/include/qt6 2>/dev/null | head -n 1 || true)}
if [ ! -d "$qt/QtCore" ]; then
    echo "no Qt include folder with QtCore (give it as the second argument)" >&2
    exit 2
fi
# The library of one of Qt's class headers (<QImage>: QtGui), looked up once.
declare -A library
library_of() {
    if [ -z "${library[$1]+set}" ]; then
        library[$1]=""
        local found
        for found in "$qt"/Qt*/"$1"; do
            if [ -f "$found" ]; then
                found=${found%/*}
                library[$1]=${found##*/}
                break
            fi
        done
    fi
    module=${library[$1]}
}

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

# The Qt libraries a layer's column allows: "Qt" all of them, "QtGui" QtGui and the QtCore it
# rests on, "QtCore, zlib, libzstd" QtCore.
qt_allowed() {
    case "$1" in
    Qt) echo "*" ;;
    *QtGui*) echo "QtCore QtGui" ;;
    *QtCore*) echo "QtCore" ;;
    *) echo "" ;;
    esac
}

check_qt() {
    local name=$1 layer=$2 file=$3 allowed line header module
    allowed=$(qt_allowed "${system[$layer]}")
    [ "$allowed" = "*" ] && return
    while IFS=: read -r line header; do
        if [[ $header == */* ]]; then module=${header%%/*}; else library_of "$header"; fi
        [ -n "$module" ] || module="an unknown Qt library"
        [[ " $allowed " == *" $module "* ]] ||
            fail "src/$name:$line: $layer may include no <$header> of $module (only ${system[$layer]})"
    done < <(grep -noE '^ *# *include <Q[^>]*>' "$file" | sed -E 's/:[^<]*</:/; s/>$//')
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
    *)
        check_qt "$name" "$layer" "$file"
        continue
        ;;
    esac
    while IFS=: read -r line header; do
        fail "src/$name:$line: $layer may include no $header (only the ${system[$layer]})"
    done < <(grep -noE "^ *# *include <($refused)>" "$file" | sed -E 's/:[^<]*/:/')
done < <(find "$root/src" -type f \( -name '*.cpp' -o -name '*.h' \) -print0)
exit $status
