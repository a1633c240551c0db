#!/usr/bin/env bash
# Opening a song from the desktop: the editor installed into a temporary prefix, that
# prefix made the only place of the user's desktop data (file type database, desktop entry
# database), then `xdg-open song.smd` on a virtual X screen. The editor must start with
# the song open: its window title names the file. Skipped (with the reason) where the
# X server or the desktop tools are missing.
set -euo pipefail
cli="${PIPORAPAD_CLI:?}"
src="${PIPORAPAD_SOURCE_DIR:?}"
for tool in Xvfb xdg-open gio xdotool update-mime-database update-desktop-database; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool not installed"; exit 0; }
done
build="${PIPORAPAD_BUILD_DIR:?}"
# shellcheck source-path=SCRIPTDIR source=lib/common.sh
source "$(dirname "$0")/lib/common.sh"
xvfb_pid=""
editor_pid=""
stop_editor_and_screen() {
  [ -z "$editor_pid" ] || kill "$editor_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
at_exit stop_editor_and_screen

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
update-mime-database "$prefix/share/mime"
update-desktop-database "$prefix/share/applications"
song="$work/メロディ demo.smd"
python3 "$src/tools/make_song.py" demo "$song"

# Only the prefix (and the system's base types) are known; the GNOME path of xdg-open
# asks GLib, which reads exactly these folders.
export XDG_DATA_HOME="$work/data-home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
export XDG_DATA_DIRS="$prefix/share:/usr/share" XDG_CURRENT_DESKTOP=GNOME
export PATH="$prefix/bin:$PATH" PIPORAPAD_MIDI=null
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"

[ "$(xdg-mime query filetype "$song")" = audio/x-smd ] || die "file type: $(xdg-mime query filetype "$song")"
[ "$(xdg-mime query default audio/x-smd)" = org.piporapad.PiporaPad.desktop ] ||
  die "default application: $(xdg-mime query default audio/x-smd)"

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || die "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -1 "$work/display")"

xdg-open "$song" >"$work/open.log" 2>&1 || die "xdg-open: $(cat "$work/open.log")"
title=""
for _ in $(seq 1 120); do # a loaded machine may take a while to start it
  window="$(xdotool search --name ' - PiporaPad$' 2>/dev/null | head -1 || true)"
  if [ -n "$window" ]; then
    title="$(xdotool getwindowname "$window")"
    editor_pid="$(xdotool getwindowpid "$window" 2>/dev/null || true)"
    break
  fi
  sleep 0.5
done
if [ "$title" != "$song - PiporaPad" ]; then
  # What a failure on a loaded machine needs to be understood.
  echo "xdg-open said: $(cat "$work/open.log")" >&2
  echo "windows: $(xdotool search --name . getwindowname %@ 2>/dev/null | tr '\n' '|' || true)" >&2
  echo "editors running: $(pgrep -af piporapad || true)" >&2
  die "no editor window with the song; title '$title'"
fi
echo "xdg-open started the editor with the song: $title"
