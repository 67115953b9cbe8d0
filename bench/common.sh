# Shared by the benchmark scripts: the project's package installer, and a
# release build of twinscan-cli alone.
source "$(dirname "${BASH_SOURCE[0]}")/../tools/setup.sh"

# bench_build_cli DIR: builds DIR/app/twinscan-cli. An existing build folder
# keeps its own settings; a new one is a release build without windows.
bench_build_cli() {
    local dir="$1"
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$TW_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DTW_BUILD_GUI=OFF \
            -DTW_BUILD_TESTS=OFF -DTW_BUILD_BENCH=OFF >/dev/null
    fi
    cmake --build "$dir" --target twinscan-cli -j"$(nproc)" >/dev/null
}
