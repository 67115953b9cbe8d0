#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing) and builds
# into ./build. Sourced by run.sh and test.sh; safe to run again.
set -euo pipefail

TW_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TW_BUILD="${TW_BUILD:-$TW_ROOT/build}"

TW_PACKAGES=(
    build-essential cmake pkg-config git
    qtbase5-dev libqt5charts5-dev libqt5svg5-dev qt5-image-formats-plugins
    qttools5-dev qttools5-dev-tools qttranslations5-l10n
    libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev
    libopencv-features2d-dev libopencv-flann-dev
    libbenchmark-dev
    libqt5sql5-sqlite libssl-dev
    xvfb xauth fonts-dejavu-core dbus
    desktop-file-utils appstream dpkg-dev file jq groff-base
)

tw_install_packages() {
    local missing=()
    for pkg in "${TW_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# tw_build DIR [cmake options...]
tw_build() {
    local dir="$1"; shift
    cmake -S "$TW_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    tw_install_packages
    tw_build "$TW_BUILD"
fi
