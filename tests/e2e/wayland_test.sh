#!/usr/bin/env bash
# Runs a test program on a Wayland compositor of its own: Weston's headless back end with the
# pixman renderer (so its output has pixels to read back) and its debug protocols (the
# screenshooter), on a socket and runtime folder of this run only. No compositor, no pass.
#   wayland_test.sh TEST_PROGRAM [ARGS...]
set -euo pipefail
command -v weston >/dev/null || { echo "wayland: weston is not installed (scripts/setup)" >&2; exit 1; }
WORK="$(mktemp -d)"
WESTON_PID=""
cleanup() {
  [[ -n "$WESTON_PID" ]] && kill "$WESTON_PID" 2>/dev/null && wait "$WESTON_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
SOCKET="nightwisp-$$"
weston --backend=headless-backend.so --use-pixman --width=1600 --height=1200 \
  --socket="$SOCKET" --idle-time=0 --debug >"$WORK/weston.log" 2>&1 &
WESTON_PID=$!
for _ in $(seq 100); do
  [[ -S "$XDG_RUNTIME_DIR/$SOCKET" ]] && break
  kill -0 "$WESTON_PID" 2>/dev/null || break
  sleep 0.1
done
if [[ ! -S "$XDG_RUNTIME_DIR/$SOCKET" ]]; then
  echo "wayland: weston did not start" >&2
  cat "$WORK/weston.log" >&2
  exit 1
fi
sleep 1  # the shell's own clients (panel, background) come up

export WAYLAND_DISPLAY="$SOCKET" QT_QPA_PLATFORM=wayland SDL_AUDIODRIVER=dummy
unset DISPLAY
"$@"
