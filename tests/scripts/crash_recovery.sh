#!/usr/bin/env bash
# The real editor killed with unsaved notes gives them back at the next start; a declined
# offer deletes them; a running editor's work is never offered nor deleted; SIGTERM and
# SIGHUP close cleanly, keeping unsaved work; without many-level undo the work is kept too.
# Run by ctest with PIPORAPAD_EDITOR, PIPORAPAD_CLI and PIPORAPAD_SOURCE_DIR.
set -euo pipefail
editor="${PIPORAPAD_EDITOR:?}"
cli="${PIPORAPAD_CLI:?}"
src="${PIPORAPAD_SOURCE_DIR:?}"
export PIPORAPAD_MIDI=null QT_QPA_PLATFORM=offscreen
# shellcheck source-path=SCRIPTDIR source=lib/common.sh
source "$(dirname "$0")/lib/common.sh"
pids=()
kill_editors() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
}
at_exit kill_editors
passed=0
pass() { passed=$((passed + 1)); echo "ok: $*"; }

# A fresh program directory with the demo song in it.
fresh() {
  home="$work/$1"
  mkdir -p "$home"
  export PIPORAPAD_HOME="$home"
  python3 "$src/tools/make_song.py" demo "$home/song.smd"
}
folders() { find "$home" -maxdepth 1 -name 'pipora-undo-*' -type d | sort; }
# The editor left running in the background after typing KEYS into FILE.
start_typing() {
  "$editor" --type-keys "$1" "${@:2}" 2>>"$home/editor.err" &
  pid=$!
  pids+=("$pid")
}
# Waits until a recovery record says the song is unsaved (the keys were typed).
wait_unsaved() {
  for _ in $(seq 1 200); do
    if grep -qs '^dirty=1' "$home"/pipora-undo-*/recovery.smd; then return 0; fi
    sleep 0.05
  done
  die "no unsaved record in $home: $(cat "$home/editor.err" 2>/dev/null)"
}
# The first three notes of part 1, as the CLI prints them.
first_notes() {
  "$cli" dump "$1" | awk -F'\t' '$1 == "part" { part = $2; next } part == 1 && n < 3 { print $2; n++ }' |
    tr '\n' ' '
}

# --- kill -9, accept, save ------------------------------------------------------------------
fresh killed
start_typing CDE "$home/song.smd"
wait_unsaved
kill -9 "$pid"; wait "$pid" 2>/dev/null || true
[ "$(folders | wc -l)" = 1 ] || die "the killed editor's folder is gone"
# A check run with nobody to ask keeps it and deletes nothing.
"$editor" --offscreen-start-and-quit >/dev/null 2>&1 || die "check run failed"
[ "$(folders | wc -l)" = 1 ] || die "a check run touched the abandoned folder"
# Accepted: the song comes back unsaved with its file name, and Ctrl+S saves it there.
out="$("$editor" --recovery accept --type-keys '^S' --offscreen-start-and-quit 2>>"$home/editor.err")" ||
  die "recovery run failed: $out"
grep -qx "notes 65" <<<"$out" || die "the recovered song has not 62 + 3 notes: $out"
[ "$(first_notes "$home/song.smd")" = "C4 D4 E4 " ] || die "saved file lacks the notes: $(first_notes "$home/song.smd")"
[ -z "$(folders)" ] || die "folders left after the recovered song was saved: $(folders)"
pass "kill -9, recovered, saved"

# --- a name relative to the folder the editor started in -------------------------------------
# The recovered song is saved to the same file from anywhere else.
fresh relative
cd "$home"
start_typing DEF song.smd
cd "$work"
wait_unsaved
kill -9 "$pid"; wait "$pid" 2>/dev/null || true
"$editor" --recovery accept --type-keys '^S' --offscreen-start-and-quit >/dev/null 2>&1 ||
  die "recovery of a relatively named song failed"
[ "$(first_notes "$home/song.smd")" = "D4 E4 F4 " ] ||
  die "relative name: the song's own file lacks the notes: $(first_notes "$home/song.smd")"
[ ! -e "$work/song.smd" ] || die "relative name: saved into the folder of the second start"
pass "a song opened by a relative name is saved back to its file"

# --- No deletes -------------------------------------------------------------------------------
fresh declined
cp "$home/song.smd" "$home/original.smd"
start_typing FGA "$home/song.smd"
wait_unsaved
kill -9 "$pid"; wait "$pid" 2>/dev/null || true
out="$("$editor" --recovery discard --offscreen-start-and-quit 2>/dev/null)"
grep -qx "notes 0" <<<"$out" || die "a declined song was opened: $out"
[ -z "$(folders)" ] || die "declined folder kept: $(folders)"
cmp -s "$home/song.smd" "$home/original.smd" || die "declining changed the song's file"
pass "declined recovery deletes the folder"

# --- a running editor is left alone -----------------------------------------------------------
fresh running
start_typing CCC "$home/song.smd"
wait_unsaved
running="$(folders)"
for mode in accept discard; do
  out="$("$editor" --recovery "$mode" --offscreen-start-and-quit 2>/dev/null)"
  grep -qx "notes 0" <<<"$out" || die "a running editor's song was offered ($mode): $out"
  [ -d "$running" ] || die "a running editor's folder was deleted ($mode)"
done
kill -0 "$pid" || die "the running editor died"
kill -TERM "$pid"; wait "$pid" || die "the running editor did not end cleanly"
pass "a running editor's folder is neither offered nor deleted"

# --- SIGTERM and SIGHUP -----------------------------------------------------------------------
for signal in TERM HUP; do
  fresh "sig$signal"
  start_typing EE "$home/song.smd"
  wait_unsaved
  kill -"$signal" "$pid"
  code=0; wait "$pid" || code=$?
  [ "$code" = 0 ] || die "SIG$signal: exit code $code"
  [ "$(folders | wc -l)" = 1 ] || die "SIG$signal: the unsaved song's folder is gone"
  [ ! -e "$(folders)/owner.lock" ] || die "SIG$signal: the lock is still held"
  grep -q '^LastFileName=' "$home/pipora.ini" || die "SIG$signal: settings not saved"
  cmp -s "$home/song.smd" <(python3 "$src/tools/make_song.py" demo /dev/stdout) ||
    die "SIG$signal: the song's file was changed"
  out="$("$editor" --recovery accept --offscreen-start-and-quit 2>/dev/null)"
  grep -qx "notes 64" <<<"$out" || die "SIG$signal: the kept song did not come back: $out"
  pass "SIG$signal closes cleanly and keeps the unsaved song"
done
# A saved song leaves nothing behind.
fresh sigclean
"$editor" "$home/song.smd" 2>/dev/null &
pid=$!; pids+=("$pid")
for _ in $(seq 1 200); do [ -n "$(folders)" ] && break; sleep 0.05; done
sleep 1 # the window is up
kill -TERM "$pid"
code=0; wait "$pid" || code=$?
[ "$code" = 0 ] || die "SIGTERM of a saved song: exit code $code"
[ -z "$(folders)" ] || die "a saved song's folder was kept"
pass "SIGTERM with nothing unsaved leaves no folder"

# --- without many-level undo ------------------------------------------------------------------
fresh undooff
printf '[pipora]\r\nisManyUndo=False\r\n' >"$home/pipora.ini"
start_typing GAB "$home/song.smd"
wait_unsaved
kill -9 "$pid"; wait "$pid" 2>/dev/null || true
snapshots="$(find "$(folders)" -name 'pipora*.tmp' | wc -l)"
[ "$snapshots" -le 1 ] || die "undo off still wrote $snapshots snapshots"
"$editor" --recovery accept --type-keys '^S' --offscreen-start-and-quit >/dev/null 2>&1 ||
  die "recovery without undo failed"
[ "$(first_notes "$home/song.smd")" = "G4 A4 B4 " ] || die "undo off: saved file lacks the notes: $(first_notes "$home/song.smd")"
pass "without many-level undo the recovery file keeps the notes"

# --- kill -9 during a save right after an edit ------------------------------------------------
# A preloaded rename waits a minute before it replaces a file named song.smd, and the editor
# is killed while its save of the notes just typed waits there: the notes come back at the
# next start, and the save's hidden temporary left beside the song goes at the next save
# once it is old.
if command -v cc >/dev/null; then
  fresh killedsaving
  mkdir "$home/music"
  mv "$home/song.smd" "$home/music/song.smd"
  cp "$home/music/song.smd" "$work/original.smd"
  cat >"$work/slow_rename.c" <<'C'
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>
static void wait_for(const char *to) {
  const char *slash = strrchr(to, '/');
  if (strcmp(slash ? slash + 1 : to, "song.smd") == 0)
    sleep(60);
}
int rename(const char *from, const char *to) {
  wait_for(to);
  int (*real)(const char *, const char *) = (int (*)(const char *, const char *))dlsym(RTLD_NEXT, "rename");
  return real(from, to);
}
int renameat(int fromfd, const char *from, int tofd, const char *to) {
  wait_for(to);
  int (*real)(int, const char *, int, const char *) = (int (*)(int, const char *, int, const char *))dlsym(RTLD_NEXT, "renameat");
  return real(fromfd, from, tofd, to);
}
int renameat2(int fromfd, const char *from, int tofd, const char *to, unsigned flags) {
  wait_for(to);
  int (*real)(int, const char *, int, const char *, unsigned) = (int (*)(int, const char *, int, const char *, unsigned))dlsym(RTLD_NEXT, "renameat2");
  return real(fromfd, from, tofd, to, flags);
}
C
  cc -shared -fPIC -o "$work/slow_rename.so" "$work/slow_rename.c" -ldl || die "cannot build the slow rename"
  # A sanitizer build wants its runtime first; the preloaded rename needs none of it.
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
    LD_PRELOAD="$work/slow_rename.so" "$editor" --type-keys 'GAB^S' "$home/music/song.smd" \
    2>>"$home/editor.err" &
  pid=$!
  pids+=("$pid")
  leftover=""
  for _ in $(seq 1 600); do
    leftover="$(find "$home/music" -maxdepth 1 -name '.*.tmp' | head -n 1)"
    [ -n "$leftover" ] && break
    sleep 0.05
  done
  [ -n "$leftover" ] || die "the save never began: $(cat "$home/editor.err")"
  sleep 0.5 # the temporary is written and waits for its rename
  kill -9 "$pid"; wait "$pid" 2>/dev/null || true
  cmp -s "$home/music/song.smd" "$work/original.smd" || die "the killed save changed the song's file"
  [ -e "$leftover" ] || die "the killed save left no temporary (nothing was tested)"
  touch -d '-20 minutes' "$leftover"
  "$editor" --recovery accept --type-keys '^S' --offscreen-start-and-quit >/dev/null 2>&1 ||
    die "recovery of a song killed while saving failed"
  [ "$(first_notes "$home/music/song.smd")" = "G4 A4 B4 " ] ||
    die "killed while saving: the notes typed before the save are lost: $(first_notes "$home/music/song.smd")"
  [ ! -e "$leftover" ] || die "the killed save's old temporary is still there: $leftover"
  pass "kill -9 while saving: the notes come back, the old temporary goes"
else
  echo "skipped: kill -9 while saving needs a C compiler for its slow rename"
fi

echo "$passed passed, 0 failed"
