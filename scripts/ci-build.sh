#!/usr/bin/env bash
# Builds and installs qorvedit for a CI job into PREFIX, a folder the job keeps in its cache,
# so that a later job that finds the folder runs the program at once: the program comes with
# every library it loads but the C library's own, and PREFIX/bin/qorvedit starts it with
# them, on a machine where no package of the build is installed. The docs/ci workflows run
# it on a cache miss, from the source of the pinned tag or commit.
# Usage: scripts/ci-build.sh SOURCE PREFIX
set -euo pipefail
source_dir=$(realpath "$1")
prefix=$2
QORV_ROOT=$source_dir
# shellcheck source=setup.sh
source "$source_dir/scripts/setup.sh"
qorv_install_packages build
build=$source_dir/build/ci
cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQORV_TESTS=OFF \
    -DQORV_BENCH=OFF -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
cmake --build "$build" --target qorvedit
cmake --install "$build" >/dev/null

# The program in lib/, beside its libraries: its tile sheet, share/qorvedit/all.bmp, is found
# from its own folder as from bin/.
mkdir -p "$prefix/lib"
mv "$prefix/bin/qorvedit" "$prefix/lib/qorvedit"
ldd "$prefix/lib/qorvedit" | awk '$2 == "=>" && $3 ~ /^\// { print $3 }' | while read -r library; do
    case ${library##*/} in
    libc.so.* | libm.so.* | libdl.so.* | libpthread.so.* | librt.so.* | ld-linux*) ;;
    *) cp -L "$library" "$prefix/lib/" ;;
    esac
done
cat >"$prefix/bin/qorvedit" <<'PROGRAM'
#!/bin/sh
# qorvedit with the libraries it was built with (scripts/ci-build.sh).
lib=$(dirname "$(readlink -f "$0")")/../lib
LD_LIBRARY_PATH="$lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" exec "$lib/qorvedit" "$@"
PROGRAM
chmod +x "$prefix/bin/qorvedit"
