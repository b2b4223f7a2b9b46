#!/usr/bin/env bash
# The player-bot and a box of start-up (an additional-questions file that cannot be read): the
# bot answers it like any other box and goes on to play, instead of the game waiting for ever.
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

set +e
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
[[ "${held:-0}" -ge 1 ]] || { cat "$WORK/stderr.log" >&2; fail "the bot never got past start-up's box"; }
echo "startup box: answered, the bot played a question"
