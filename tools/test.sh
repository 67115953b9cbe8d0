#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: every test
# in a normal build, the install and the Debian package made from that build,
# then the engine-side tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
tw_install_packages
export QT_QPA_PLATFORM=offscreen

tw_build "$TW_BUILD" -DTW_WERROR=ON
(cd "$TW_BUILD" && ctest --output-on-failure -j"$(nproc)")
bash "$TW_ROOT/tools/check-install.sh" "$TW_BUILD"

# The sanitizer build skips the windows: the engine, model and imaging code is
# where threads and raw image data meet.
ASAN_BUILD="${TW_ASAN_BUILD:-$TW_ROOT/build-asan}"
tw_build "$ASAN_BUILD" -DTW_SANITIZE=ON -DTW_BUILD_GUI=OFF -DTW_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$ASAN_BUILD" && ctest --output-on-failure -j"$(nproc)" -L 'engine|model|imaging|preferences|cli|update|log|platform')
