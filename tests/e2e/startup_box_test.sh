#!/usr/bin/env bash
# The player-bot and the boxes of start-up (an additional-questions file that cannot be read;
# music that is gone and a history that cannot be opened): the bot answers
# them like any other box and goes on to play, instead of the game waiting for ever.
set -euo pipefail
GAME="$1"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
fail() { echo "startup box: $*" >&2; exit 1; }

source "$(dirname "${BASH_SOURCE[0]}")/../support/window_shell.sh"
copy_game "$GAME" "$WORK"
# A folder where the file should be: start-up says it cannot read it.
mkdir "$WORK/game/追加問題.txt"
export NIGHTWISP_DOCUMENTS="$WORK/documents"
export SDL_AUDIODRIVER=dummy
mkdir -p "$NIGHTWISP_DOCUMENTS"

play_to_a_question() {
  set +e
  rm -f "$WORK/bench.log"
  timeout 150 xvfb-run -a -s "-screen 0 1024x768x24" "$WORK/game/nightwisp" --autoplay --seed 5 \
    --mistakes 0 --stop-at 1 --bench-log "$WORK/bench.log" 2>"$WORK/stderr.log" &
  PID=$!
  for _ in $(seq 1 1200); do
    grep -q '^holding' "$WORK/bench.log" 2>/dev/null && break
    kill -0 $PID 2>/dev/null || break
    sleep 0.1
  done
  held=$(grep -c '^holding' "$WORK/bench.log" 2>/dev/null)
  kill $PID 2>/dev/null
  wait $PID 2>/dev/null
  set -e
  [[ "${held:-0}" -ge 1 ]] || { cat "$WORK/stderr.log" >&2; fail "the bot never got past start-up's box ($1)"; }
  echo "startup box: answered, the bot played a question ($1)"
}

play_to_a_question "an unreadable 追加問題.txt"
rmdir "$WORK/game/追加問題.txt"
# Music that is gone, and the history's box when the first question starts (a folder where the
# history should be).
USER_DIR="$NIGHTWISP_DOCUMENTS/Amaneya/NightwispData"
rm -rf "$USER_DIR"
mkdir -p "$USER_DIR/history.db"
printf '[BGM]\r\nMusic=1\r\nMusicName=/no/such/file.mp3\r\n' >"$USER_DIR/Settei.ini"
play_to_a_question "music gone, a history that cannot be opened"
