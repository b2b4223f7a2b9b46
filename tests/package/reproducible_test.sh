#!/usr/bin/env bash
# Two builds of one commit give the same packages, byte for byte. The packages scripts/package
# made in a folder are made again into another folder, in another time zone and with another
# umask, minutes later; every .deb must be the same file. The checksums of both builds are
# printed.
#   tests/package/reproducible_test.sh build/package/nightwisp_<version>_amd64.deb
set -euo pipefail
DEB="$(realpath "$1")"
FIRST="$(dirname "$DEB")"
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
SECOND="$(mktemp -d)"
trap 'rm -rf "$SECOND"' EXIT
fail() { echo "reproducible: $*" >&2; exit 1; }

(umask 0002 && TZ=Pacific/Kiritimati "$HERE/../../scripts/package" "$SECOND" >/dev/null) ||
  fail "the second build failed"

shopt -s nullglob
debs=("$FIRST"/*.deb)
((${#debs[@]} >= 2)) || fail "expected the game's and the debug symbols' packages in $FIRST"
different=0
for deb in "${debs[@]}"; do
  name="$(basename "$deb")"
  [[ -f "$SECOND/$name" ]] || fail "the second build made no $name"
  echo "first:  $(sha256sum "$deb" | cut -d' ' -f1)  $name"
  echo "second: $(sha256sum "$SECOND/$name" | cut -d' ' -f1)  $name"
  if ! cmp -s "$deb" "$SECOND/$name"; then
    different=1
    echo "reproducible: $name differs; its members that differ:" >&2
    diff <(dpkg-deb -c "$deb") <(dpkg-deb -c "$SECOND/$name") >&2 || true
    for tree in first second; do mkdir -p "$SECOND/x-$tree"; done
    dpkg-deb -R "$deb" "$SECOND/x-first/$name"
    dpkg-deb -R "$SECOND/$name" "$SECOND/x-second/$name"
    diff -rq "$SECOND/x-first/$name" "$SECOND/x-second/$name" >&2 || true
  fi
done
((different == 0)) || fail "two builds of one commit differ"
echo "reproducible: both builds made the same packages"
