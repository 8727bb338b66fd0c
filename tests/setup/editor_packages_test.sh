#!/usr/bin/env bash
# ./run installs what building and running the editor needs and nothing else: the editor's
# packages in scripts/setup.sh against the files the editor's build used, as ninja recorded
# them (every system header its objects were compiled with, every library and program of its
# build), the libraries the built program loads, and the programs of the private desktop.
# Every package owning one of those files is in the list or installed with it (a dependency);
# every package of the list owns one of the files of the build or the desktop, or depends
# directly on one that does (the C library and the other packages every Debian system has,
# and the libraries the program loads, justify nothing).
# Usage: editor_packages_test.sh <build folder with qorvedit built> <source folder>
set -euo pipefail
build=$(realpath "$1")
QORV_ROOT=$(realpath "$2")
# shellcheck source=../../scripts/setup.sh
source "$QORV_ROOT/scripts/setup.sh"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The programs scripts/desktop.sh runs to give the editor a display (the system's python3, as
# it prefers, for its keeper).
desktop_programs=(Xvfb xauth xdpyinfo xprop openbox x11vnc ss openssl unshare setpriv flock setsid
    /usr/bin/python3)

cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
launcher=$(cache_value CMAKE_CXX_COMPILER_LAUNCHER) # a developer's ccache is no need of the build

used_files() {
    cd "$build"
    ninja -t inputs qorvedit | grep '\.o$' | xargs ninja -t deps | awk '$1 ~ /^\/usr\// { print $1 }'
    ninja -t inputs qorvedit | grep '^/usr/'
    ninja -t commands qorvedit | grep -o '/usr/[^ ;&"]*' | while read -r file; do
        if [ -f "$file" ] && [ -x "$file" ] && [ "$file" != "$launcher" ]; then echo "$file"; fi
    done
    for entry in CMAKE_CXX_COMPILER CMAKE_MAKE_PROGRAM CMAKE_COMMAND PKG_CONFIG_EXECUTABLE; do
        cache_value "$entry"
    done
    for program in "${desktop_programs[@]}"; do
        command -v "$program" || fail "no $program on PATH"
    done
}

# The packages owning the files, each file also by the name its links lead to, and without
# /usr where the package names it from before the merge of /usr (/bin/ss).
owners() {
    local files
    files=$({ sort -u | tee /dev/fd/3 | xargs readlink -f; } 3>&1)
    { echo "$files" && sed -n 's|^/usr\(/s\?bin/\)|\1|p' <<<"$files"; } | sort -u |
        xargs dpkg -S 2>/dev/null |
        sed 's/: .*//' | tr ',' '\n' | sed 's/^ *//; s/:.*$//' | sort -u
}

# What the program loads: libraries that the packages above bring, never a reason of their own.
loaded_files() { ldd "$build/qorvedit" | awk '$2 == "=>" { print $3 }'; }

mapfile -t used_packages < <(used_files | owners)
mapfile -t loaded_packages < <(loaded_files | owners)
mapfile -t needed < <(printf '%s\n' "${used_packages[@]}" "${loaded_packages[@]}" | sort -u)
[ ${#needed[@]} -gt 10 ] || fail "too few packages found: ${needed[*]}"
mapfile -t installed_with < <(apt-cache depends --recurse --installed --no-recommends \
    --no-suggests --no-conflicts --no-breaks --no-replaces --no-enhances \
    "${qorv_editor_packages[@]}" | grep -v '^ ' | sed 's/:.*$//' | sort -u)
mapfile -t always < <(dpkg-query -W -f '${Package} ${Essential} ${Priority}\n' |
    awk '$2 == "yes" || $3 == "required" { print $1 }')

declare -A covered=() used=() base=()
for package in "${installed_with[@]}" "${always[@]}"; do covered[$package]=1; done
for package in "${always[@]}" "${loaded_packages[@]}"; do base[$package]=1; done
for package in "${used_packages[@]}"; do used[$package]=1; done

for package in "${needed[@]}"; do
    [ -n "${covered[$package]:-}" ] || fail "./run does not install $package, which the editor needs"
done
# Each package of the list and its direct dependencies, "package dependency" a line.
direct=$(apt-cache depends --installed --no-recommends --no-suggests --no-conflicts --no-breaks \
    --no-replaces --no-enhances "${qorv_editor_packages[@]}" |
    awk '/^[^ ]/ { sub(/:.*/, ""); package = $1 } /^ *\|?(Pre)?Depends:/ { sub(/:.*/, "", $2); print package, $2 }')
for package in "${qorv_editor_packages[@]}"; do
    [ -n "${used[$package]:-}" ] && continue
    while read -r owner dependency; do
        [ "$owner" = "$package" ] && [ -n "${used[$dependency]:-}" ] &&
            [ -z "${base[$dependency]:-}" ] && continue 2
    done <<<"$direct"
    fail "./run installs $package, which neither the editor's build nor its run uses"
done
echo "PASS: ${#qorv_editor_packages[@]} packages for ./run, ${#needed[@]} packages used"
