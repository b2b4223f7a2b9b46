#!/usr/bin/env bash
# The player-bot's fixed-step game is repeatable: two runs with the same seed leave the same
# record1.dat, byte for byte, and the same pictures of every screen.
set -euo pipefail
GAME="$1"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
export SDL_AUDIODRIVER=dummy
fail() { echo "fixed-step: $*" >&2; exit 1; }

play() {
  export NIGHTWISP_DOCUMENTS="$WORK/$1/documents"
  mkdir -p "$NIGHTWISP_DOCUMENTS"
  timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" "$GAME" --autoplay --fixed-step --seed 7 \
    --mistakes 0.2 --exit-after-game --screenshots "$WORK/$1/shots"
}
play first
play second

record=Amaneya/NightwispData/record1.dat
[[ -f "$WORK/first/documents/$record" ]] || fail "no record1.dat"
cmp "$WORK/first/documents/$record" "$WORK/second/documents/$record" ||
  fail "the two games saved different record1.dat"
shots="$(ls "$WORK/first/shots")"
[[ $(wc -l <<<"$shots") -ge 10 ]] || fail "only $(wc -l <<<"$shots") pictures"
[[ "$shots" == "$(ls "$WORK/second/shots")" ]] || fail "the two games saw different screens"
for shot in $shots; do
  cmp -s "$WORK/first/shots/$shot" "$WORK/second/shots/$shot" || fail "$shot differs"
done
echo "fixed-step: two games alike, record1.dat and $(wc -l <<<"$shots") pictures"
