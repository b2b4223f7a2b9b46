#!/usr/bin/env bash
# Runs a window test with a real Japanese input method: its own session bus, ibus or fcitx5 with
# mozc, and the test on the X server of xvfb-run. mozc's server refuses to run as root, so as
# root the whole session runs as an unprivileged user, made here when the machine has none.
# Usage: ime_session.sh ibus|fcitx5 TEST-PROGRAM [gtest arguments]
set -euo pipefail
IM="$1"
PROGRAM="$2"
shift 2
USER_NAME=nightwisp-ime
fail() { echo "ime_session: $*" >&2; exit 1; }

case "$IM" in
  ibus) command -v ibus-daemon >/dev/null || fail "ibus-daemon is missing (scripts/setup)" ;;
  fcitx5) command -v fcitx5 >/dev/null || fail "fcitx5 is missing (scripts/setup)" ;;
  *) fail "unknown input method $IM" ;;
esac
for tool in xvfb-run xdotool dbus-run-session; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup)"
done

if [[ "${1:-}" != --inside ]]; then
  WORK="$(mktemp -d /tmp/nightwisp-ime-XXXXXX)"
  trap 'rm -rf "$WORK"' EXIT
  # mozc speaks Japanese only to a Japanese locale.
  if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then
    [[ $(id -u) -eq 0 ]] || fail "the locale ja_JP.UTF-8 is missing and only root can make it"
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 ||
      locale -a | grep -qix 'ja_JP.utf-\?8' || fail "localedef could not make ja_JP.UTF-8"
  fi
  # The test program beside a copy of what it reads, where the unprivileged user can reach it.
  mkdir -p "$WORK/bin"
  cp "$PROGRAM" "$WORK/bin/"
  cp -r "$(dirname "$PROGRAM")/Data" "$WORK/bin/"
  cp "$(dirname "$PROGRAM")"/*.so "$WORK/bin/" 2>/dev/null || true
  PROGRAM="$WORK/bin/$(basename "$PROGRAM")"
  cp "$0" "$WORK/bin/ime_session.sh"
  RUN_AS=()
  if [[ $(id -u) -eq 0 ]]; then
    id "$USER_NAME" >/dev/null 2>&1 ||
      useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
        "$USER_NAME" || id "$USER_NAME" >/dev/null || fail "could not make the user $USER_NAME"
    RUN_AS=(setpriv --reuid="$USER_NAME" --regid="$USER_NAME" --init-groups --)
    chown -R "$USER_NAME:" "$WORK"
  fi
  # The session's own home, runtime folder and temporary files, away from the caller's.
  cd "$WORK"
  "${RUN_AS[@]}" env -i PATH="$PATH" HOME="$WORK" XDG_RUNTIME_DIR="$WORK" TMPDIR="$WORK" \
    XDG_CONFIG_HOME="$WORK/.config" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 \
    SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb QT_LOGGING_RULES="${QT_LOGGING_RULES:-}" \
    NIGHTWISP_TEST_WM="${NIGHTWISP_TEST_WM:-}" \
    xvfb-run -a -s "-screen 0 2560x1440x24" \
    dbus-run-session -- "$WORK/bin/ime_session.sh" "$IM" "$PROGRAM" --inside "$@"
  exit
fi
shift  # --inside

# The input method, set up for mozc from the first key.
DAEMON=
WM=
cleanup() {
  [[ -n "$DAEMON" ]] && kill "$DAEMON" 2>/dev/null
  [[ -n "$WM" ]] && kill "$WM" 2>/dev/null
  wait 2>/dev/null || true
  # mozc's server leaves its client and lives on: this session's, known by its home, goes too.
  local pid
  for pid in $(pgrep -u "$(id -u)" -x mozc_server || true); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "HOME=$HOME" && kill "$pid"
  done
  return 0
}
trap cleanup EXIT
case "$IM" in
  ibus)
    # mozc starts in hiragana, not direct input.
    mkdir -p "$XDG_CONFIG_HOME/mozc"
    cat >"$XDG_CONFIG_HOME/mozc/ibus_config.textproto" <<'MOZC'
engines {
  name: "mozc-jp"
  longname: "Mozc"
  layout: "default"
  layout_variant: ""
  layout_option: ""
  rank: 80
}
active_on_launch: True
MOZC
    ibus-daemon --panel=disable --replace >"$HOME/im.log" 2>&1 &
    DAEMON=$!
    # Setting the engine reports a failure even where it works: what counts is the engine set.
    for _ in $(seq 1 100); do
      ibus engine mozc-jp >/dev/null 2>&1 || true
      [[ "$(ibus engine 2>/dev/null)" == mozc-jp ]] && break
      sleep 0.1
    done
    [[ "$(ibus engine 2>/dev/null)" == mozc-jp ]] ||
      fail "ibus did not take the engine mozc-jp ($(cat "$HOME/im.log"))"
    export QT_IM_MODULE=ibus
    ;;
  fcitx5)
    mkdir -p "$XDG_CONFIG_HOME/fcitx5"
    cat >"$XDG_CONFIG_HOME/fcitx5/profile" <<'PROFILE'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=mozc

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=mozc
Layout=

[GroupOrder]
0=Default
PROFILE
    # Every window starts with mozc switched on.
    cat >"$XDG_CONFIG_HOME/fcitx5/config" <<'CONFIG'
[Behavior]
ActiveByDefault=True
ShareInputState=No
CONFIG
    fcitx5 --replace --disable=wayland,waylandim,xim,ibusfrontend,notifications \
      >"$HOME/im.log" 2>&1 &
    DAEMON=$!
    fcitx_running() {
      dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.fcitx.Fcitx5 2>/dev/null | grep -q true
    }
    for _ in $(seq 1 100); do
      fcitx_running && break
      sleep 0.1
    done
    fcitx_running || fail "fcitx5 did not start ($(cat "$HOME/im.log"))"
    export QT_IM_MODULE=fcitx
    ;;
esac
# A window manager where one is asked for (NIGHTWISP_TEST_WM=openbox): it frames and places the
# window as a desktop does.
if [[ -n "${NIGHTWISP_TEST_WM:-}" ]]; then
  command -v "$NIGHTWISP_TEST_WM" >/dev/null || fail "$NIGHTWISP_TEST_WM is missing (scripts/setup)"
  "$NIGHTWISP_TEST_WM" >"$HOME/wm.log" 2>&1 &
  WM=$!
  sleep 1
fi
export NIGHTWISP_TEST_IM="$IM"
"$PROGRAM" "$@"
