#!/usr/bin/env bash
# Checks the Debian package as a software centre and a player meet it: the AppStream metadata
# and the desktop entry validate without a single remark, lintian finds no error and no
# warning, and the package unpacked into a folder of its own plays a whole game with the data
# it ships, writing nothing into its own tree.
#   tests/package/package_test.sh nightwisp_<version>_amd64.deb
set -euo pipefail
DEB="$(realpath "$1")"
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
fail() { echo "package: $*" >&2; exit 1; }

VERSION="$(dpkg-deb -f "$DEB" Version)"
TREE="$WORK/root"
dpkg-deb -x "$DEB" "$TREE"
ID=org.example.nightwisp

echo "== The layout"
DECODER=usr/lib/nightwisp/nightwisp-decode
for file in usr/games/nightwisp usr/games/nightwisp-tool "$DECODER" \
  usr/share/games/nightwisp/Data/wisplore.qda usr/share/games/nightwisp/追加問題.txt \
  usr/share/games/nightwisp/作品について.txt usr/share/applications/$ID.desktop \
  usr/share/metainfo/$ID.metainfo.xml usr/share/icons/hicolor/256x256/apps/$ID.png \
  usr/share/man/man6/nightwisp.6.gz usr/share/man/man1/nightwisp-tool.1.gz; do
  [[ -f "$TREE/$file" ]] || fail "no /$file in the package"
done
# The icon at every size an icon theme looks for, each picture of the size its folder names.
for size in 16 24 32 48 64 128 256; do
  icon="$TREE/usr/share/icons/hicolor/${size}x${size}/apps/$ID.png"
  file "$icon" | grep -q "PNG image data, $size x $size," || fail "no ${size}x${size} icon"
done
# The FFmpeg decoder opens the shipped music: its header starts with a zero status.
header="$("$TREE/$DECODER" 44100 "$TREE/usr/share/games/nightwisp/Data/tamsu08-1.mp3" |
  head -c 4 | od -An -tx1 | tr -d ' \n')" || true
[[ "$header" == 00000000 ]] || fail "the packaged decoder cannot open the shipped music ($header)"

echo "== --version and --help"
for program in nightwisp nightwisp-tool; do
  [[ "$("$TREE/usr/games/$program" --version)" == "$program $VERSION" ]] ||
    fail "$program --version does not print the package's version $VERSION"
  "$TREE/usr/games/$program" --help | grep -q -- '--version' || fail "$program --help lacks --version"
done

echo "== appstreamcli validate --pedantic --no-net"
# Every remark, pedantic ones included, fails: a clean run prints only its verdict.
remarks="$(appstreamcli validate --pedantic --no-net "$TREE/usr/share/metainfo/$ID.metainfo.xml" 2>&1)" ||
  fail "appstreamcli: $remarks"
[[ "$(grep -cv 'Validation was successful' <<<"$remarks")" -eq 0 ]] || fail "appstreamcli: $remarks"
remarks="$(appstreamcli validate-tree --pedantic --no-net "$TREE" 2>&1)" || fail "appstreamcli: $remarks"
[[ "$(grep -cv 'Validation was successful' <<<"$remarks")" -eq 0 ]] || fail "appstreamcli: $remarks"

echo "== desktop-file-validate"
remarks="$(desktop-file-validate "$TREE/usr/share/applications/$ID.desktop" 2>&1)" ||
  fail "desktop-file-validate: $remarks"
[[ -z "$remarks" ]] || fail "desktop-file-validate: $remarks"

echo "== lintian"
# Tags of every level are printed; any error or warning fails.
report="$(lintian --no-cfg --fail-on error,warning --display-level '>=warning' "$DEB" 2>&1)" ||
  fail "lintian: $report"
if grep -E '^[EW]: ' <<<"$report"; then fail "lintian reports the lines above"; fi

echo "== A whole game from the unpacked package"
touch "$WORK/before-the-game"
sleep 1
"$HERE/../e2e/autoplay_test.sh" "$TREE/usr/games/nightwisp"
changed="$(find "$TREE" -newer "$WORK/before-the-game")"
[[ -z "$changed" ]] || fail "the game wrote into its own tree: $changed"
echo "package: all checks passed"
