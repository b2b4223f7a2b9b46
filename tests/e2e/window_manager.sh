#!/usr/bin/env bash
# Runs a window test under a window manager (openbox) on the X server of xvfb-run: it frames the
# window, places it and keeps it from leaving the screen as a desktop does.
# Usage: window_manager.sh TEST-PROGRAM [arguments]
set -uo pipefail
command -v openbox >/dev/null || { echo "window_manager: openbox is missing (scripts/setup)" >&2; exit 1; }
openbox --sm-disable >/dev/null 2>&1 &
WM=$!
trap 'kill "$WM" 2>/dev/null; wait "$WM" 2>/dev/null' EXIT
# The window manager has taken the screen once it names itself on the root window.
for _ in $(seq 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
"$@"
