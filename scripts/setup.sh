#!/usr/bin/env bash
# Installs the Debian packages that are missing: ./run those that building and running the
# editor need (qorv_install_packages editor), a CI job those of the build alone
# (qorv_install_packages build, scripts/ci-build.sh), ./test all of them. Sourced by all
# three; quick when everything is already there. tests/setup checks the editor's list
# against the build and the programs it runs.

# Building the editor (its CMakeLists with QORV_TESTS and QORV_BENCH off).
qorv_build_packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    zlib1g-dev libzstd-dev libtomlplusplus-dev
    librsvg2-bin # the icon's sizes, drawn at build time
)
# Running it on the private desktop of scripts/desktop.sh when there is no display.
# python3 runs the desktop's keeper (scripts/desktop_keeper.py).
qorv_desktop_packages=(xvfb xauth x11-utils openbox x11vnc iproute2 util-linux openssl python3)
qorv_editor_packages=("${qorv_build_packages[@]}" "${qorv_desktop_packages[@]}")

# What only the tests, the benchmarks and the tools they compare with need.
qorv_test_packages=(
    libgtest-dev libbenchmark-dev
    xdotool libxcb1-dev strace
    clang libclang-rt-14-dev
    tiled
    valgrind jq
    chromium tidy fonts-dejavu-core # the report in a browser, its HTML checked; the sheet's names
    acl attr
    groff-base man-db bsdextrautils # the manual page rendered and read as man shows it
    git file python3
    qt6-wayland weston
    desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl
    nodejs npm yamllint python3-yaml
    python3-pyatspi at-spi2-core dbus-daemon # the raster read through AT-SPI
)
qorv_packages=("${qorv_editor_packages[@]}" "${qorv_test_packages[@]}")

# One query for the whole list: a query per package takes about a second in all, on every
# ./run. A package dpkg has never heard of is missing from the answer.
qorv_missing_packages() {
    local -A installed=()
    local status pkg
    while read -r status pkg; do
        [ "$status" = ii ] && installed[$pkg]=1
    done < <(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' "${qorv_packages[@]}" 2>/dev/null)
    for pkg in "${qorv_packages[@]}"; do
        # NodeSource's nodejs, on some machines, brings its own npm and refuses Debian's.
        [ "$pkg" = npm ] && command -v npm >/dev/null && continue
        [ -n "${installed[$pkg]:-}" ] || printf '%s\n' "$pkg"
    done
}

# qorv_install_packages [editor | build]: the missing ones of every package, of the editor's,
# or of its build's.
qorv_install_packages() {
    local missing
    case "${1:-}" in
    editor) local qorv_packages=("${qorv_editor_packages[@]}") ;;
    build) local qorv_packages=("${qorv_build_packages[@]}") ;;
    esac
    mapfile -t missing < <(qorv_missing_packages)
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "error: need root or sudo to install ${missing[*]}" >&2; return 1; }
        sudo="sudo"
    fi
    $sudo apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# qorv_build <build dir> [cmake options...]: configures and builds every target.
qorv_build() {
    local dir=$1
    shift
    cmake -S "$QORV_ROOT" -B "$dir" -G Ninja "$@" >/dev/null &&
        cmake --build "$dir" -j "$(nproc)"
}

# qorv_build_editor <build dir> [cmake options...]: builds the editor program alone. A
# build folder that is already configured (by ./test, say) keeps its options, so the two
# commands share the editor's objects and neither undoes the other's configuration.
qorv_build_editor() {
    local dir=$1
    shift
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$QORV_ROOT" -B "$dir" -G Ninja "$@" >/dev/null || return
    fi
    cmake --build "$dir" -j "$(nproc)" --target qorvedit
}
