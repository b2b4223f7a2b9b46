#!/usr/bin/env bash
# A fatal error during play in a real X window (Xvfb): the archive is damaged while the
# player-bot plays. The game must stop ticking before its box is shown, and end with status 1
# once the box is closed.
set -euo pipefail
GAME="$1"
WORK="$(mktemp -d)"
trap 'kill "${PID:-}" 2>/dev/null || true; rm -rf "$WORK"' EXIT
fail() { echo "fatal: $*" >&2; exit 1; }

# A copy of the game, so that its archive can be damaged.
source "$(dirname "${BASH_SOURCE[0]}")/../support/window_shell.sh"
copy_game "$GAME" "$WORK"
export NIGHTWISP_DOCUMENTS="$WORK/documents"
export SDL_AUDIODRIVER=dummy
mkdir -p "$NIGHTWISP_DOCUMENTS"

cat > "$WORK/run.sh" <<'INNER'
#!/usr/bin/env bash
# Inside the X server: the game in the background, driven from here.
set -u
WORK="$1"
"$WORK/game/nightwisp" --autoplay --seed 5 --mistakes 0 --bench-log "$WORK/ticks.log" \
  2>"$WORK/stderr.log" &
PID=$!
ticks() { grep -c '^tick' "$WORK/ticks.log" 2>/dev/null || echo 0; }
# The bot plays a few questions; then the archive of the pictures is damaged.
for _ in $(seq 1 600); do
  (( $(ticks) > 500 )) && break
  sleep 0.1
done
head -c 64 /dev/urandom > "$WORK/game/Data/wisplore.qda"
# The next picture fails: the report goes to standard error, then the box opens.
for _ in $(seq 1 600); do
  grep -q '^Nightwisp: ' "$WORK/stderr.log" && break
  sleep 0.1
done
grep -q '^Nightwisp: ' "$WORK/stderr.log" || { echo "no fatal report" >&2; kill $PID; exit 3; }
sleep 1
before=$(ticks)
sleep 3
after=$(ticks)
echo "ticks behind the box: $((after - before))"
# Closing the box ends the game.
for window in $(xdotool search --name '^Nightwisp$' 2>/dev/null); do
  xdotool windowfocus --sync "$window" key Return 2>/dev/null || true
done
for _ in $(seq 1 200); do kill -0 $PID 2>/dev/null || break; sleep 0.1; done
if kill -0 $PID 2>/dev/null; then kill $PID; echo "still running after the box" >&2; exit 4; fi
wait $PID
status=$?
echo "status $status"
[[ $after -eq $before ]] || exit 5
exit $status
INNER
chmod +x "$WORK/run.sh"

set +e
timeout 170 xvfb-run -a -s "-screen 0 1024x768x24" "$WORK/run.sh" "$WORK"
status=$?
set -e
cat "$WORK/stderr.log" >&2 || true
[[ $status -ne 5 ]] || fail "the game kept ticking behind its fatal box"
[[ $status -eq 1 ]] || fail "the game ended with status $status, not 1"
echo "fatal: stopped behind its box, status 1"
