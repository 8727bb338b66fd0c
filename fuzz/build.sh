#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer into build/fuzz/ (no CMake: each target is a few sources).
#   fuzz/build.sh            builds every target
#   fuzz/build.sh <target>   builds one: level_reader, bmp_check or map_import
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT="$ROOT/build/fuzz"
mkdir -p "$OUT"

CXX=${CXX:-clang++}
FLAGS=(-std=c++20 -g -O1 -fno-omit-frame-pointer -fPIC
       -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -Wall -Wextra -Wpedantic -I"$ROOT/src" -I"$ROOT/fuzz")

build_level_reader() {
    "$CXX" "${FLAGS[@]}" -o "$OUT/level_reader" \
        "$ROOT/fuzz/LevelReaderFuzz.cpp" "$ROOT/fuzz/LevelReaderCheck.cpp" \
        "$ROOT/src/levelio/LevelFile.cpp" "$ROOT"/src/storage/*.cpp "$ROOT/src/core/LevelText.cpp" \
        "$ROOT/src/core/ConflictMarkers.cpp" "$ROOT/src/core/CharTable.cpp" "$ROOT/src/core/LevelGrid.cpp"
}

build_bmp_check() {
    # shellcheck disable=SC2207
    local qt=($(pkg-config --cflags --libs Qt6Core Qt6Gui))
    "$CXX" "${FLAGS[@]}" -o "$OUT/bmp_check" \
        "$ROOT/fuzz/BmpCheckFuzz.cpp" "$ROOT/fuzz/TileSheetCheck.cpp" \
        "$ROOT/src/render/TileSheet.cpp" "$ROOT/src/render/BmpCheck.cpp" \
        "$ROOT/src/storage/BoundedRead.cpp" "$ROOT/src/storage/IoError.cpp" "${qt[@]}"
}

build_map_import() {
    # shellcheck disable=SC2207
    local libs=($(pkg-config --cflags --libs Qt6Core zlib libzstd))
    "$CXX" "${FLAGS[@]}" -o "$OUT/map_import" \
        "$ROOT/fuzz/MapImportFuzz.cpp" "$ROOT/fuzz/MapImportCheck.cpp" \
        "$ROOT"/src/interchange/*.cpp "$ROOT/src/core/CharTable.cpp" \
        "$ROOT/src/storage/IoError.cpp" "$ROOT/src/core/LevelGrid.cpp" "${libs[@]}"
}

targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(level_reader bmp_check map_import)
for target in "${targets[@]}"; do
    case "$target" in
    level_reader | bmp_check | map_import) echo "building $OUT/$target"; "build_$target" ;;
    *) echo "unknown target: $target (level_reader, bmp_check or map_import)" >&2; exit 2 ;;
    esac
done
