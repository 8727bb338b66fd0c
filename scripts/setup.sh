#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
# Sourced by ./run and ./test; quick when everything is already there.

qorv_packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev libbenchmark-dev
    xvfb xauth xdotool x11-utils x11vnc openbox openssl libxcb1-dev iproute2 strace
    clang libclang-rt-14-dev
    zlib1g-dev libzstd-dev tiled
    libtomlplusplus-dev
    valgrind jq
    chromium tidy fonts-dejavu-core # the report in a browser, its HTML checked; the sheet's names
    acl attr util-linux
    git file python3
    qt6-wayland weston
    desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl librsvg2-bin
    nodejs npm yamllint python3-yaml
    python3-pyatspi at-spi2-core dbus-daemon # the raster read through AT-SPI
)

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

qorv_install_packages() {
    local missing
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
