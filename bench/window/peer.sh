#!/usr/bin/env bash
# The title screen's CPU side by side with a peer's: Tux Typing (Debian's tuxtype, a window of
# 640 x 480) at its title and Nightwisp at its title prompt (1x, 688 x 528), in alternating
# rounds on one X server, so that a busy machine weighs on both alike. Each figure is the CPU of
# all the program's threads over the same seconds (the scheduler's count), as a share of one core,
# with the X server's share beside it. Then, once each:
#   - the title without music (the peer plays none either: -ns);
#   - a stage-3 question (the player-bot) against the peer's title of the last round;
#   - the title on Wayland (Weston's headless back end): the game plus the compositor against the
#     game plus the X server of the last round.
# Every ratio is of figures measured in this run; the lines end with the machine's load.
#   bench/window/peer.sh [BUILD_BIN_DIR] [SECONDS] [ROUNDS]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BIN="${1:-$ROOT/build/release/bin}"
SECONDS_MEASURED="${2:-15}"
ROUNDS="${3:-3}"
GAME="$BIN/nightwisp"
PEER=/usr/games/tuxtype
[[ -x "$GAME" ]] || { echo "peer: no game at $GAME (build it first)" >&2; exit 1; }
[[ -x "$PEER" ]] || { echo "peer: Tux Typing is not installed (scripts/setup)" >&2; exit 1; }
command -v weston >/dev/null || { echo "peer: weston is not installed (scripts/setup)" >&2; exit 1; }

WORK="$(mktemp -d)"
XVFB_PID="" RUN_PID="" WESTON_PID=""
stop() { [[ -n "$1" ]] && kill "$1" 2>/dev/null && wait "$1" 2>/dev/null || true; }
cleanup() {
  stop "$RUN_PID"
  stop "$WESTON_PID"
  stop "$XVFB_PID"
  rm -rf "$WORK"
}
trap cleanup EXIT

source "$ROOT/tests/support/window_shell.sh"
start_xvfb "$WORK" 1920x1080x24
export SDL_AUDIODRIVER=dummy
export NIGHTWISP_DOCUMENTS="$WORK/documents"
mkdir -p "$NIGHTWISP_DOCUMENTS/Amaneya/NightwispData" "$WORK/home"

cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f", s }'; }
# Percent of one core that each of the processes used over the measured seconds, one per line.
cpu_percents() {
  local pid before=() after=()
  for pid in "$@"; do before+=("$(cpu_ns "$pid")"); done
  sleep "$SECONDS_MEASURED"
  for pid in "$@"; do after+=("$(cpu_ns "$pid")"); done
  for i in "${!before[@]}"; do
    awk -v d=$((after[i] - before[i])) -v s="$SECONDS_MEASURED" 'BEGIN { printf "%.3f\n", d / 1e9 / s * 100 }'
  done
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
sum() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a + b }'; }
peak_mb() { awk '/^VmHWM/ { printf "%d", $2 / 1024 }' "/proc/$1/status"; }
verdict() { awk -v v="$1" -v l="$2" 'BEGIN { print (v <= l ? "met" : "MISSED") }'; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

# Waits until the game's bench log has the line, then a little past the title wait (7 s) so that
# the title prompt is up.
wait_for_line() {  # LOG LINE TRIES
  for _ in $(seq "$3"); do
    grep -q "^$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "peer: the game never logged '$2'" >&2
  return 1
}

# The peer at its title: 4 s to come up, then measured. Sets PEER_CPU, PEER_X, PEER_MB.
measure_peer() {
  HOME="$WORK/home" "$PEER" -w -ns >"$WORK/peer.log" 2>&1 &
  RUN_PID=$!
  sleep 4
  kill -0 "$RUN_PID" 2>/dev/null || { echo "peer: Tux Typing did not start" >&2; cat "$WORK/peer.log" >&2; exit 1; }
  mapfile -t figures < <(cpu_percents "$RUN_PID" "$XVFB_PID")
  PEER_CPU=${figures[0]} PEER_X=${figures[1]} PEER_MB=$(peak_mb "$RUN_PID")
  stop "$RUN_PID"; RUN_PID=""
}

# The game at its title prompt. Sets GAME_CPU, GAME_SERVER (the display server's CPU), GAME_MB.
measure_game() {  # SERVER_PID [GAME ARGS]
  local server=$1 log="$WORK/game.log"
  shift
  rm -f "$log"
  "$GAME" --bench-log "$log" "$@" >/dev/null 2>&1 &
  RUN_PID=$!
  wait_for_line "$log" first-frame 100
  sleep 8
  mapfile -t figures < <(cpu_percents "$RUN_PID" "$server")
  GAME_CPU=${figures[0]} GAME_SERVER=${figures[1]} GAME_MB=$(peak_mb "$RUN_PID")
  stop "$RUN_PID"; RUN_PID=""
}

echo "peer: ${SECONDS_MEASURED} s per figure, $ROUNDS rounds, load $(load) on $(nproc) cores"
for round in $(seq "$ROUNDS"); do
  measure_peer
  measure_game "$XVFB_PID"
  echo "peer round $round: tuxtype_title_cpu=$PEER_CPU nightwisp_title_cpu=$GAME_CPU" \
    "ratio=$(ratio "$GAME_CPU" "$PEER_CPU") (target <= 1: $(verdict "$(ratio "$GAME_CPU" "$PEER_CPU")" 1))" \
    "x_server_cpu: tuxtype=$PEER_X nightwisp=$GAME_SERVER peak_rss_mb: tuxtype=$PEER_MB nightwisp=$GAME_MB" \
    "load $(load)"
done
X_TITLE_GAME=$GAME_CPU X_TITLE_SERVER=$GAME_SERVER

# The same title without music, as Tux Typing runs here (-ns): the music's share of the gap.
SETTINGS="$NIGHTWISP_DOCUMENTS/Amaneya/NightwispData/Settei.ini"
printf '[BGM]\r\nMusic=0\r\n' >"$SETTINGS"
measure_game "$XVFB_PID"
rm -f "$SETTINGS"
echo "peer title without music: nightwisp_title_cpu=$GAME_CPU tuxtype_title_cpu=$PEER_CPU" \
  "ratio=$(ratio "$GAME_CPU" "$PEER_CPU") (with music: $X_TITLE_GAME) load $(load)"

# A stage-3 question played by the bot, against the peer's title of the last round.
LOG="$WORK/stage3.log"
"$GAME" --autoplay --seed 3 --stop-at 20 --bench-log "$LOG" >/dev/null 2>&1 &
RUN_PID=$!
wait_for_line "$LOG" holding 1500
sleep 1
mapfile -t figures < <(cpu_percents "$RUN_PID" "$XVFB_PID")
stop "$RUN_PID"; RUN_PID=""
echo "peer stage3: nightwisp_stage3_cpu=${figures[0]} tuxtype_title_cpu=$PEER_CPU" \
  "ratio=$(ratio "${figures[0]}" "$PEER_CPU") (target <= 1.5: $(verdict "$(ratio "${figures[0]}" "$PEER_CPU")" 1.5))" \
  "x_server_cpu=${figures[1]} load $(load)"

# The title on Weston's headless back end, the compositor counted in.
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
SOCKET="nightwisp-peer-$$"
weston --backend=headless-backend.so --use-pixman --width=1920 --height=1080 \
  --socket="$SOCKET" --idle-time=0 >"$WORK/weston.log" 2>&1 &
WESTON_PID=$!
for _ in $(seq 100); do
  [[ -S "$XDG_RUNTIME_DIR/$SOCKET" ]] && break
  sleep 0.1
done
[[ -S "$XDG_RUNTIME_DIR/$SOCKET" ]] || { echo "peer: weston did not start" >&2; cat "$WORK/weston.log" >&2; exit 1; }
sleep 1
WAYLAND_DISPLAY="$SOCKET" QT_QPA_PLATFORM=wayland DISPLAY="" measure_game "$WESTON_PID"
WAYLAND_TOTAL=$(sum "$GAME_CPU" "$GAME_SERVER")
X_TOTAL=$(sum "$X_TITLE_GAME" "$X_TITLE_SERVER")
echo "peer wayland title: nightwisp_cpu=$GAME_CPU weston_cpu=$GAME_SERVER (x11: nightwisp_cpu=$X_TITLE_GAME" \
  "xvfb_cpu=$X_TITLE_SERVER) ratio=$(ratio "$WAYLAND_TOTAL" "$X_TOTAL")" \
  "(target <= 1.5: $(verdict "$(ratio "$WAYLAND_TOTAL" "$X_TOTAL")" 1.5)) load $(load)"
