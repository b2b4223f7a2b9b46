#!/usr/bin/env bash
# A whole game played by the built-in player-bot in a real X window (Xvfb): it must end in game
# clear, save the game and the settings in the documents folder, and leave a picture of every
# screen.
set -euo pipefail
GAME="$1"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

export NIGHTWISP_DOCUMENTS="$WORK/documents"
export SDL_AUDIODRIVER=dummy
mkdir -p "$NIGHTWISP_DOCUMENTS"

timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" \
  "$GAME" --autoplay --seed 11 --mistakes 0 --exit-after-game --screenshots "$WORK/shots"

USER_DIR="$NIGHTWISP_DOCUMENTS/Amaneya/NightwispData"
fail() { echo "autoplay: $*" >&2; exit 1; }
[[ -f "$USER_DIR/record1.dat" ]] || fail "no record1.dat"
[[ $(stat -c %s "$USER_DIR/record1.dat") -eq 1052 ]] || fail "record1.dat is not 1052 bytes"
[[ -f "$USER_DIR/Settei.ini" ]] || fail "no Settei.ini"
[[ $(stat -c %s "$USER_DIR/Font.dat") -eq 1 ]] || fail "Font.dat is not one byte"
# 30 correct answers were saved, and the tool agrees that it is not to be resumed.
TOOL="$(dirname "$GAME")/nightwisp-tool"
"$TOOL" save "$USER_DIR/record1.dat" | grep -q '^SeikaiCount: 30$' || fail "the save does not hold 30 correct answers"
"$TOOL" save "$USER_DIR/record1.dat" | grep -q '^resume: no' || fail "a cleared game is offered for resuming"
for screen in title-prompt question result stage-clear game-clear; do
  ls "$WORK/shots"/*-"$screen".png >/dev/null 2>&1 || fail "no picture of the $screen screen"
done
echo "autoplay: game clear, $(ls "$WORK/shots" | wc -l) pictures"
