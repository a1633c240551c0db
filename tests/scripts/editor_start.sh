#!/usr/bin/env bash
# The editor starts with a file on the command line, loads it, and quits when idle; and it
# saves pictures of its windows. Run by ctest with PIPORAPAD_EDITOR and PIPORAPAD_SOURCE_DIR.
set -euo pipefail
editor="${PIPORAPAD_EDITOR:?}"
src="${PIPORAPAD_SOURCE_DIR:?}"
# shellcheck source-path=SCRIPTDIR source=lib/common.sh
source "$(dirname "$0")/lib/common.sh"
home="$PIPORAPAD_HOME"
mkdir -p "$home"
export PIPORAPAD_MIDI=null QT_QPA_PLATFORM=offscreen

python3 "$src/tools/make_song.py" demo "$home/demo song.smd"
out="$("$editor" --offscreen-start-and-quit "$home/demo song.smd" 2>/dev/null)"
# The demo song has 23 + 12 + 27 notes and rests.
grep -qx "notes 62" <<<"$out" || die "demo song not loaded: $out"
grep -q "^startup-ms [0-9]" <<<"$out" || die "no start-up time: $out"
[ -f "$home/pipora.ini" ] && die "start-and-quit must not write the settings"

# The content says what a file is, whatever its name: SMD text named without an extension
# opens; a text file is refused with the reason (exit 2), never shown as an empty song.
cp "$home/demo song.smd" "$home/demo"
out="$("$editor" --offscreen-start-and-quit "$home/demo" 2>/dev/null)"
grep -qx "notes 62" <<<"$out" || die "SMD without an extension not loaded: $out"
printf 'just some words\n' >"$home/notes.txt"
code=0
err="$("$editor" --offscreen-start-and-quit "$home/notes.txt" 2>&1 >/dev/null)" || code=$?
[ "$code" = 2 ] || die "a text file was not refused (exit $code)"
grep -q "SMDファイルでもMIDIファイルでもありません" <<<"$err" || die "no reason for the text file: $err"

"$editor" --screenshots "$home/shots" "$home/demo song.smd" 2>/dev/null
for png in frame source_editor; do
  f="$home/shots/$png.png"
  [ -s "$f" ] || die "$png.png missing"
  [ "$(head -c 8 "$f" | od -An -tx1 | tr -d ' ')" = "89504e470d0a1a0a" ] || die "$png.png is no PNG"
done
echo "1 passed, 0 failed"
