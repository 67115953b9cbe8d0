#!/usr/bin/env bash
# Lists the window texts the translations lack: collects the texts of the
# sources into a copy of each .ts and names every entry left untranslated.
# Exit status 1 when there is one. Fix with
#   cmake --build build --target update-translations
# and then translate the new entries in translations/*.ts.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
lupdate="${LUPDATE:-$(command -v /usr/lib/qt5/bin/lupdate || command -v lupdate)}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
status=0
cd "$root"
for ts in translations/*.ts; do
    copy="$scratch/$(basename "$ts")"
    cp "$ts" "$copy"
    "$lupdate" -silent -I "$root" -locations none -no-obsolete \
        app results widgets preferences update model engine -ts "$copy" >/dev/null
    missing="$(grep -c 'type="unfinished"' "$copy" || true)"
    if [ "$missing" -gt 0 ]; then
        echo "$ts: $missing texts without translation:"
        grep -B2 'type="unfinished"' "$copy" | sed -n 's|.*<source>\(.*\)</source>.*|    \1|p'
        status=1
    else
        echo "$ts: complete"
    fi
done
exit $status
