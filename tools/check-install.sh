#!/usr/bin/env bash
# Checks what an install gives the desktop, from an existing build (default
# build/, built with the windows): the desktop entry and the metainfo
# validate, `cmake --install` into a temporary tree lays out exactly the
# files below, the installed programs run from there and write only into the
# user's folders, the manual page describes every option, and the Debian
# package holds the same files. Needs no root.
#
#   tools/check-install.sh [BUILD_DIR]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-${TW_BUILD:-$root/build}}" && pwd)"
app_id="com.orvane.Twinscan"

# Every file the install and the package hold, below the prefix. A new
# install rule adds its file here.
expected_files() {
    printf '%s\n' \
        bin/twinscan \
        bin/twinscan-cli \
        "share/applications/$app_id.desktop" \
        "share/metainfo/$app_id.metainfo.xml" \
        "share/icons/hicolor/scalable/apps/$app_id.svg" \
        share/man/man1/twinscan-cli.1.gz \
        "$libdir/twinscan/twinscan-imagecodecs.so"
    for size in 16 32 48 64 128 256; do
        echo "share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    done
}

work="$(mktemp -d)"
gui_pid=""
cleanup() {
    [ -n "$gui_pid" ] && kill "$gui_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "PASS   : $1"; }
fail() { failed=$((failed + 1)); echo "FAIL!  : $1"; shift; for line in "$@"; do echo "         $line"; done; }

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
libdir="$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")"
[ -n "$version" ] || { echo "no configured build in $build" >&2; exit 1; }
[ -x "$build/app/twinscan" ] || { echo "$build has no desktop program; build it first" >&2; exit 1; }

# --- the files as they are in the repository ---------------------------------

if output="$(desktop-file-validate "$root/dist/$app_id.desktop" 2>&1)"; then
    pass "desktop entry validates"
else
    fail "desktop entry validates" "$output"
fi
if output="$(appstreamcli validate --no-net "$root/dist/$app_id.metainfo.xml" 2>&1)"; then
    pass "metainfo validates"
else
    fail "metainfo validates" "$output"
fi
newest_release="$(grep -o '<release [^>]*version="[^"]*"' "$root/dist/$app_id.metainfo.xml" |
    head -n 1 | sed 's/.*version="\([^"]*\)"/\1/')"
if [ "$newest_release" = "$version" ]; then
    pass "metainfo names the release $version first"
else
    fail "metainfo names the release $version first" "newest release listed: '$newest_release'"
fi

# --- cmake --install into a temporary tree -------------------------------------

stage="$work/stage"
DESTDIR="$stage" cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; echo "cmake --install failed" >&2; exit 1; }
prefix="$stage/usr"
expected_files | sort >"$work/expected"
(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort) >"$work/installed"
if diff -u "$work/expected" "$work/installed" >"$work/install.diff"; then
    pass "install lays out exactly the expected files"
else
    fail "install lays out exactly the expected files" "$(cat "$work/install.diff")"
fi

exec_program="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$prefix/share/applications/$app_id.desktop")"
icon_name="$(sed -n 's/^Icon=//p' "$prefix/share/applications/$app_id.desktop")"
if [ -x "$prefix/bin/$exec_program" ] && [ "$icon_name" = "$app_id" ]; then
    pass "desktop entry starts an installed program and names the installed icon"
else
    fail "desktop entry starts an installed program and names the installed icon" \
        "Exec program '$exec_program', Icon '$icon_name'"
fi

# A PNG's width and height are the big-endian words at bytes 16 and 20.
wrong_sizes=()
for size in 16 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    [ -f "$png" ] || continue
    dims="$(od -An -tu1 -j16 -N8 "$png" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }')"
    [ "$dims" = "${size}x${size}" ] || wrong_sizes+=("${size}x${size}/apps/$app_id.png is $dims")
done
if [ ${#wrong_sizes[@]} -eq 0 ]; then
    pass "icon PNGs have the sizes of their folders"
else
    fail "icon PNGs have the sizes of their folders" "${wrong_sizes[@]}"
fi

# The installed programs must not look for libraries in the build folder.
build_paths="$(for program in twinscan twinscan-cli; do
    readelf -d "$prefix/bin/$program" | grep -E 'R(UN)?PATH' | grep -F "$build" || true
done)"
if [ -z "$build_paths" ]; then
    pass "installed programs carry no search path into the build folder"
else
    fail "installed programs carry no search path into the build folder" "$build_paths"
fi

# The image codecs come from the module on the first decode, never at start.
codec_links="$(for program in twinscan twinscan-cli; do
    readelf -d "$prefix/bin/$program" | grep -F NEEDED | grep -F imgcodecs || true
done)"
if [ -z "$codec_links" ] && readelf -d "$prefix/$libdir/twinscan/twinscan-imagecodecs.so" |
    grep -F NEEDED | grep -qF imgcodecs; then
    pass "only the codec module links the image codecs"
else
    fail "only the codec module links the image codecs" "${codec_links:-the module links none}"
fi

# --- the installed command-line scanner ----------------------------------------

home="$work/home"
mkdir -p "$home" "$work/data/sub"
head -c 5000 /dev/zero | tr '\0' 'a' >"$work/data/copy-1.bin"
cp "$work/data/copy-1.bin" "$work/data/sub/copy-2.bin"
# Same size, one byte apart between the fingerprint's start and middle
# windows: only the full comparison tells it from the copies.
{
    head -c 1500 /dev/zero | tr '\0' 'a'
    printf 'b'
    head -c 3499 /dev/zero | tr '\0' 'a'
} >"$work/data/near-miss.bin"
user_env=(env -C "$work" -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME HOME="$home")
run_user_env() {
    "${user_env[@]}" "$@"
}
if run_user_env "$prefix/bin/twinscan-cli" --json "$work/data" >"$work/report.json" 2>"$work/report.err"; then
    groups="$(jq -c '[.groups[] | [.members[].path] | sort]' "$work/report.json" 2>&1 || true)"
    want="$(jq -cn --arg a "$work/data/copy-1.bin" --arg b "$work/data/sub/copy-2.bin" '[[$a, $b]]')"
    if [ "$groups" = "$want" ]; then
        pass "installed twinscan-cli finds the two copies and not the near miss"
    else
        fail "installed twinscan-cli finds the two copies and not the near miss" \
            "groups: $groups" "wanted: $want"
    fi
else
    fail "installed twinscan-cli runs" "$(cat "$work/report.err")"
fi

man_source="$(gzip -dc "$prefix/share/man/man1/twinscan-cli.1.gz" 2>/dev/null || true)"
if output="$(printf '%s\n' "$man_source" | groff -man -ww -z 2>&1)" && [ -z "$output" ]; then
    pass "manual page formats without warnings"
else
    fail "manual page formats without warnings" "$output"
fi
undocumented=()
for option in $("$prefix/bin/twinscan-cli" --help | grep -oE '^ +(-[a-z], )?--[a-z][a-z-]*' | grep -oE -- '--[a-z-]+'); do
    # A here-string, not a pipe: grep -q stops reading at the first match,
    # and under pipefail the writer's broken pipe would count as missing.
    grep -qF -- "${option//-/\\-}" <<<"$man_source" || undocumented+=("$option")
done
if [ ${#undocumented[@]} -eq 0 ]; then
    pass "manual page describes every option of --help"
else
    fail "manual page describes every option of --help" "missing: ${undocumented[*]}"
fi

# --- the installed desktop program ----------------------------------------------

# Started once offscreen until its log appears. Even when the staged folder
# can be written (root), an installed program writes only below HOME. The
# update check is off, and would go to a closed local port, not the real service.
mkdir -p "$home/.config/Orvane"
printf '[General]\ncheck_updates_at_start=false\nupdate_base_url=http://127.0.0.1:9\nrun_times=1\n' \
    >"$home/.config/Orvane/Orvane Twinscan.conf"
user_log="$home/.local/share/Orvane/Orvane Twinscan/Log"
# A plain command, not the function: in the background that would be a
# subshell, and killing it would leave the program running.
"${user_env[@]}" QT_QPA_PLATFORM=offscreen "$prefix/bin/twinscan" >"$work/gui.out" 2>&1 &
gui_pid=$!
for _ in $(seq 1 300); do
    [ -n "$(ls -A "$user_log" 2>/dev/null)" ] && break
    kill -0 "$gui_pid" 2>/dev/null || break
    sleep 0.1
done
started=false
kill -0 "$gui_pid" 2>/dev/null && started=true
kill "$gui_pid" 2>/dev/null || true
wait "$gui_pid" 2>/dev/null || true
gui_pid=""
left_beside="$(cd "$prefix/bin" && ls -A | grep -vx -e twinscan -e twinscan-cli || true)"
if $started && [ -n "$(ls -A "$user_log" 2>/dev/null)" ] && [ -z "$left_beside" ]; then
    pass "installed twinscan starts and logs below HOME, nothing beside the program"
else
    fail "installed twinscan starts and logs below HOME, nothing beside the program" \
        "running: $started, log files: $(ls -A "$user_log" 2>/dev/null | wc -l)" \
        "left in bin: ${left_beside:-nothing}" "$(tail -n 5 "$work/gui.out")"
fi

# --- the Debian package ---------------------------------------------------------

arch="$(dpkg --print-architecture)"
deb="$build/twinscan_${version}_${arch}.deb"
rm -f "$deb"
if (cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) && [ -f "$deb" ]; then
    dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $NF }' | sed 's|^\./usr/||' | sort >"$work/packaged"
    if diff -u "$work/expected" "$work/packaged" >"$work/package.diff"; then
        pass "package holds exactly the expected files below /usr"
    else
        fail "package holds exactly the expected files below /usr" "$(cat "$work/package.diff")"
    fi
    depends="$(dpkg-deb -f "$deb" Depends)"
    missing_depends=()
    for library in libqt5core5a libqt5widgets5 libqt5charts5 libopencv-core libopencv-features2d; do
        [[ "$depends" == *"$library"* ]] || missing_depends+=("$library")
    done
    if [ ${#missing_depends[@]} -eq 0 ] && [ "$(dpkg-deb -f "$deb" Section)" = utils ] &&
        [ -n "$(dpkg-deb -f "$deb" Maintainer)" ]; then
        pass "package depends on the libraries it links, with section and maintainer"
    else
        fail "package depends on the libraries it links, with section and maintainer" \
            "missing: ${missing_depends[*]:-none}" "Depends: $depends"
    fi
else
    fail "cpack builds $(basename "$deb")" "$(tail -n 20 "$work/cpack.log")"
fi

echo "install: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
