#!/usr/bin/env bash
# The player's history from real games of the player-bot (fixed steps) in an X window:
#   - a whole game leaves each judged question in the history, and nightwisp-tool history --csv
#     prints them under its header, leaving nothing beside the file; the last screen shows the
#     results panel beside the banner;
#   - a game killed with SIGKILL halfway keeps every question it had judged.
set -euo pipefail
GAME="$1"
TOOL="$(dirname "$GAME")/nightwisp-tool"
WORK="$(mktemp -d)"
XVFB_PID=""
GAME_PID=""
cleanup() {
  [[ -n "$GAME_PID" ]] && kill -9 "$GAME_PID" 2>/dev/null || true
  [[ -n "$XVFB_PID" ]] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "history: $*" >&2; exit 1; }
export SDL_AUDIODRIVER=dummy

source "$(dirname "${BASH_SOURCE[0]}")/../support/window_shell.sh"
start_xvfb "$WORK" 1024x768x24

HEADER="game,started,mode,stage,proverb,result,kana,keys,min_keys,first_key_ms,answer_ms,hints,kind"
rows() { NIGHTWISP_DOCUMENTS="$1" "$TOOL" history --csv | tail -n +2; }

# --- A whole game ---------------------------------------------------------------------------
export NIGHTWISP_DOCUMENTS="$WORK/whole"
mkdir -p "$NIGHTWISP_DOCUMENTS"
timeout 300 "$GAME" --autoplay --fixed-step --seed 7 --mistakes 0.2 --exit-after-game \
  --screenshots "$WORK/shots" >/dev/null 2>&1 || fail "the game did not end cleanly"
[[ "$("$TOOL" history --csv | head -n1)" == "$HEADER" ]] || fail "the header differs"
data="$NIGHTWISP_DOCUMENTS/Amaneya/NightwispData"
[[ ! -e "$data/history.db-wal" && ! -e "$data/history.db-shm" ]] ||
  fail "the tool left $(ls "$data")"
csv="$(rows "$NIGHTWISP_DOCUMENTS")"
asked=$(wc -l <<<"$csv")
correct=$(grep -c ',correct,' <<<"$csv" || true)
[[ $asked -ge 30 ]] || fail "only $asked questions in the history"
awk -F, 'NF != 13 || $1 != 1 || $3 != "kanji" || $5 !~ /^([0-9]+|tuika:[0-9]+)$/ ||
         $6 !~ /^(correct|wrong|timeout|giveup|skipped)$/ || $8 < 1 || $9 < 1 ||
         $13 != "game" { bad = 1 }
         END { exit bad }' <<<"$csv" || fail "a row is not as written: $csv"
last="$(ls "$WORK/shots" | tail -n1)"
case "$last" in
  *-game-clear.png) [[ $correct -eq 30 ]] || fail "game clear with $correct correct rows" ;;
  *-game-over.png) [[ $((asked - correct)) -ge 5 ]] || fail "game over with $((asked - correct)) misses" ;;
  *) fail "the game ended on $last" ;;
esac

# The panel's left column beside the banner: its frame line is light from top to bottom on
# the last screen, and was not there on the last question.
column() {
  ffmpeg -loglevel error -i "$1" -vf "crop=1:140:2:122,format=gray" -f rawvideo - |
    od -An -v -tu1 | tr -s ' ' '\n' | awk 'NF && $1 >= 110 { n++ } END { print n + 0 }'
}
question="$(ls "$WORK/shots" | grep -- '-question.png' | tail -n1)"
[[ $(column "$WORK/shots/$last") -ge 120 ]] || fail "no results panel on $last"
[[ $(column "$WORK/shots/$question") -lt 60 ]] || fail "a panel on the question screen"

# --- A game killed halfway ------------------------------------------------------------------
export NIGHTWISP_DOCUMENTS="$WORK/killed"
mkdir -p "$NIGHTWISP_DOCUMENTS"
"$GAME" --autoplay --fixed-step --seed 7 --mistakes 0.2 >/dev/null 2>&1 &
GAME_PID=$!
seen=0
for _ in $(seq 600); do
  seen=$( (rows "$NIGHTWISP_DOCUMENTS" 2>/dev/null || true) | grep -c . || true)
  [[ $seen -ge 8 ]] && break
  sleep 0.1
done
[[ $seen -ge 8 ]] || fail "the game judged only $seen questions in a minute"
kill -9 "$GAME_PID"
wait "$GAME_PID" 2>/dev/null || true
GAME_PID=""
kept=$(rows "$NIGHTWISP_DOCUMENTS" | grep -c .)
[[ $kept -ge $seen ]] || fail "$seen questions judged before the kill, $kept kept"
# The killed game's history opens for the next game as it was left.
sqlite3 "$NIGHTWISP_DOCUMENTS/Amaneya/NightwispData/history.db" 'PRAGMA integrity_check' |
  grep -qx ok || fail "the killed game's history is damaged"
echo "history: $asked questions of a whole game ($correct correct) and $kept of a killed one kept"
