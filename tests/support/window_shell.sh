# Shell helpers of the window tests and the window benchmark: sourced, not run.

# Starts an X server of our own on a free display with a screen of the given size
# ("1024x768x24"), exports DISPLAY and sets XVFB_PID; the caller stops it. The display's number
# comes back through a file in the given folder.
start_xvfb() {  # FOLDER SCREEN
  exec 3<> "$1/displayfd"
  Xvfb -displayfd 3 -screen 0 "$2" -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [[ -s "$1/displayfd" ]] && break
    sleep 0.05
  done
  [[ -s "$1/displayfd" ]] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$1/displayfd")"
}

# A copy of the game and its Data folder in FOLDER/game, for a test that changes or damages
# the game's own files.
copy_game() {  # GAME FOLDER
  mkdir -p "$2/game"
  cp "$1" "$2/game/"
  cp -r "$(dirname "$1")/Data" "$2/game/"
}
