#!/usr/bin/env bash
# Checks the Debian packages as a software centre, Debian's tools and a player meet them: the
# layout of Debian's games, hardening-check on every program, the debug symbols' package, the
# AppStream metadata and the desktop entry (validated without a single remark), lintian with no
# error and no warning, a whole game from the package unpacked into a folder of its own (writing
# nothing into its own tree), and the autopkgtest of the installed package, after which removing
# it leaves nothing behind.
#   tests/package/package_test.sh build/package/nightwisp_<version>_amd64.deb
# The -dbgsym package and the source package (.dsc) are read from the same folder.
set -euo pipefail
DEB="$(realpath "$1")"
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
fail() { echo "package: $*" >&2; exit 1; }

VERSION="$(dpkg-deb -f "$DEB" Version)"
ARCH="$(dpkg-deb -f "$DEB" Architecture)"
FOLDER="$(dirname "$DEB")"
DBGSYM="$FOLDER/nightwisp-dbgsym_${VERSION}_$ARCH.deb"
DSC="$FOLDER/nightwisp_$VERSION.dsc"
TREE="$WORK/root"
dpkg-deb -x "$DEB" "$TREE"
DESKTOP="$(cd "$TREE" && ls usr/share/applications/*.desktop)" || fail "no desktop entry"
ID="$(basename "$DESKTOP" .desktop)"
METAINFO="$TREE/usr/share/metainfo/$ID.metainfo.xml"

echo "== The layout"
DECODER=usr/lib/games/nightwisp/nightwisp-decode
DOCS=usr/share/doc/nightwisp
for file in usr/games/nightwisp usr/games/nightwisp-tool "$DECODER" \
  usr/share/games/nightwisp/Data/wisplore.qda usr/share/games/nightwisp/追加問題.txt \
  usr/share/games/nightwisp/作品について.txt "$DOCS/追加問題.txt" "$DOCS/作品について.txt" \
  "$DOCS/README.md.gz" "$DOCS/copyright" "$DOCS/changelog.gz" \
  usr/share/applications/$ID.desktop usr/share/metainfo/$ID.metainfo.xml \
  usr/share/icons/hicolor/256x256/apps/$ID.png \
  usr/share/man/man6/nightwisp.6.gz usr/share/man/man1/nightwisp-tool.1.gz; do
  [[ -f "$TREE/$file" ]] || fail "no /$file in the package"
done
[[ ! -e "$TREE/usr/lib/nightwisp" ]] || fail "/usr/lib/nightwisp is not a games folder"
# The icon at every size an icon theme looks for, each picture of the size its folder names.
for size in 16 24 32 48 64 128 256; do
  icon="$TREE/usr/share/icons/hicolor/${size}x${size}/apps/$ID.png"
  file "$icon" | grep -q "PNG image data, $size x $size," || fail "no ${size}x${size} icon"
done
# The FFmpeg decoder opens the shipped music: its header starts with a zero status.
header="$("$TREE/$DECODER" 44100 "$TREE/usr/share/games/nightwisp/Data/tamsu08-1.mp3" |
  head -c 4 | od -An -tx1 | tr -d ' \n')" || true
[[ "$header" == 00000000 ]] || fail "the packaged decoder cannot open the shipped music ($header)"

echo "== hardening-check on every program"
mapfile -t programs < <(find "$TREE" -type f -exec sh -c 'file -b "$1" | grep -q "^ELF"' _ {} \; -print | sort)
((${#programs[@]} == 3)) || fail "expected the three programs, found: ${programs[*]}"
# Every check holds for every program, with one exception: the decoder is compiled with
# _FORTIFY_SOURCE like the rest, but each of its libc calls is either proven safe at compile
# time or writes into FFmpeg's buffers of unknown size, so no call is replaced by a checked one.
# hardening-check calls that its false alarm ("only unprotected functions found"); the
# decoder passes every other check, and any other program reporting it fails.
for program in "${programs[@]}"; do
  options=()
  [[ "$program" == "$TREE/$DECODER" ]] && options=(--nofortify)
  hardening-check "${options[@]}" "$program" ||
    fail "hardening-check finds a missing protection in ${program#"$TREE"}"
done

echo "== Dependencies and the debug symbols"
depends="$(dpkg-deb -f "$DEB" Depends)"
echo "Depends: $depends"
# The libraries' packages come from dpkg-shlibdeps, with their versions.
for library in 'libc6 (>= ' 'libqt6widgets6 (>= ' 'libsdl2-mixer-2.0-0 (>= ' 'libavformat59 (>= '; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library..."
done
[[ -f "$DBGSYM" ]] || fail "no debug symbols' package $DBGSYM"
dpkg-deb -x "$DBGSYM" "$WORK/dbgsym"
for program in "${programs[@]}"; do
  id="$(readelf -n "$program" | sed -n 's/^ *Build ID: //p')"
  debug="$WORK/dbgsym/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug"
  [[ -f "$debug" ]] || fail "the -dbgsym package has no symbols for ${program#"$TREE"}"
  readelf -S "$program" 2>/dev/null | grep -q '\.debug_info' && fail "${program#"$TREE"} is not stripped"
  readelf -S "$debug" 2>/dev/null | grep -q '\.debug_info' ||
    fail "no debug information for ${program#"$TREE"}"
done

echo "== --version and --help"
for program in nightwisp nightwisp-tool; do
  [[ "$("$TREE/usr/games/$program" --version)" == "$program $VERSION" ]] ||
    fail "$program --version does not print the package's version $VERSION"
  "$TREE/usr/games/$program" --help | grep -q -- '--version' || fail "$program --help lacks --version"
done

echo "== appstreamcli validate --pedantic --no-net"
# Every remark, pedantic ones included, fails: a clean run prints only its verdict. The one
# remark allowed is Debian 12's validator (AppStream 0.16) not knowing <developer>, the tag that
# replaced the deprecated <developer_name> in AppStream 1.0.
validate() {
  local remarks
  remarks="$(appstreamcli "$@" 2>&1)" || fail "appstreamcli $1: $remarks"
  remarks="$(grep -v -e 'Validation was successful' -e '^$' -e "^$ID.metainfo.xml\$" \
    -e "^ *I: $ID:[0-9]*: unknown-tag developer\$" <<<"$remarks")" || true
  [[ -z "$remarks" ]] || fail "appstreamcli $1: $remarks"
}
validate validate --pedantic --no-net "$METAINFO"
validate validate-tree --pedantic --no-net "$TREE"

echo "== What software centres show"
homepage="$(dpkg-deb -f "$DEB" Homepage)"
[[ -n "$homepage" ]] || fail "the package has no Homepage field"
xml() { xmllint --xpath "$1" "$METAINFO" 2>/dev/null; }
[[ "$(xml 'string(/component/url[@type="homepage"])')" == "$homepage" ]] ||
  fail "the AppStream homepage is not the package's $homepage"
# Every summary, in every language, fits a software centre's tile.
count="$(xml 'count(/component/summary)')"
((count >= 2)) || fail "expected an English and a Japanese summary"
for ((i = 1; i <= count; i++)); do
  summary="$(xml "string(/component/summary[$i])")"
  ((${#summary} <= 35)) || fail "the summary '$summary' is ${#summary} characters, more than 35"
done
[[ -n "$(xml 'string(/component/developer[@id!=""]/name)')" ]] || fail "no <developer id><name>"
[[ "$(xml 'count(/component/developer_name)')" == 0 ]] || fail "the deprecated developer_name is used"
for scheme in light dark; do
  colour="$(xml "string(/component/branding/color[@type='primary'][@scheme_preference='$scheme'])")"
  [[ "$colour" =~ ^#[0-9a-fA-F]{6}$ ]] || fail "no $scheme branding colour ('$colour')"
done
# Every screenshot is shipped too, at the size the metadata states.
count="$(xml 'count(/component/screenshots/screenshot/image)')"
((count >= 3)) || fail "expected three screenshots, found $count"
for ((i = 1; i <= count; i++)); do
  image="(/component/screenshots/screenshot/image)[$i]"
  name="$(basename "$(xml "string($image)")")"
  size="$(xml "string($image/@width)") x $(xml "string($image/@height)")"
  file "$TREE/$DOCS/screenshots/$name" | grep -q "PNG image data, $size," ||
    fail "the screenshot $name is not shipped in /$DOCS/screenshots at $size"
done

echo "== desktop-file-validate"
remarks="$(desktop-file-validate "$TREE/usr/share/applications/$ID.desktop" 2>&1)" ||
  fail "desktop-file-validate: $remarks"
[[ -z "$remarks" ]] || fail "desktop-file-validate: $remarks"

echo "== lintian --display-info --pedantic"
# Tags of every level, on the packages and the source package, are printed; any error or
# warning fails.
report="$(lintian --no-cfg --fail-on error,warning --display-info --pedantic \
  "$DEB" "$DBGSYM" "$DSC" 2>&1)" || fail "lintian: $report"
report="$(grep -v '^running with root privileges is not recommended!$' <<<"$report")" || true
[[ -z "$report" ]] || echo "$report"
if grep -E '^[EW]: ' <<<"$report"; then fail "lintian reports the lines above"; fi

echo "== A whole game from the unpacked package"
touch "$WORK/before-the-game"
sleep 1
"$HERE/../e2e/autoplay_test.sh" "$TREE/usr/games/nightwisp"
changed="$(find "$TREE" -newer "$WORK/before-the-game")"
[[ -z "$changed" ]] || fail "the game wrote into its own tree: $changed"

echo "== autopkgtest (null runner): the installed game plays itself"
# It installs the package on this machine (through sudo when not run as root); a package that
# was not installed before is purged again.
SUDO=()
[[ $(id -u) -eq 0 ]] || SUDO=(sudo)
installed_before="$(dpkg-query -W -f='${Status}' nightwisp 2>/dev/null || true)"
"${SUDO[@]}" autopkgtest "$DEB" "$DSC" -- null || fail "autopkgtest failed"
if [[ "$installed_before" != "install ok installed" ]]; then
  # Removing it leaves nothing behind: no file, no folder of its own.
  "${SUDO[@]}" apt-get purge -y -qq nightwisp >/dev/null || fail "apt-get purge nightwisp failed"
  for left in /usr/games/nightwisp /usr/lib/games/nightwisp /usr/share/games/nightwisp \
    /usr/share/doc/nightwisp "/usr/share/applications/$ID.desktop"; do
    [[ ! -e "$left" ]] || fail "$left is left after apt-get purge"
  done
fi
echo "package: all checks passed"
