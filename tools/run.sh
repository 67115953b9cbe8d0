#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop program.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
tw_install_packages
tw_build "$TW_BUILD"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display is available. To run the program without a screen, use:"
    echo "    xvfb-run -a $TW_BUILD/app/twinscan"
    exit 1
fi
exec "$TW_BUILD/app/twinscan" "$@"
