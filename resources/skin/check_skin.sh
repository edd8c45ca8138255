#!/usr/bin/env bash
# Fails when the committed skin bitmaps are not exactly what make_skin.py draws today (after
# the native build, whose tool distorts the About box's planet). Arguments go to make_skin.py.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
fresh=$(mktemp -d)
trap 'rm -rf "$fresh"' EXIT
/usr/bin/python3 "$here/make_skin.py" "$fresh" "$@"
status=0
for bitmap in "$fresh"/*.bmp; do
    if ! cmp -s "$bitmap" "$here/$(basename "$bitmap")"; then
        echo "skin bitmap $(basename "$bitmap") differs from what make_skin.py draws" >&2
        status=1
    fi
done
for bitmap in "$here"/*.bmp; do
    [ -f "$fresh/$(basename "$bitmap")" ] || { echo "skin bitmap $(basename "$bitmap") is not drawn by make_skin.py" >&2; status=1; }
done
[ $status -eq 0 ] && echo "Skin bitmaps match make_skin.py."
exit $status
