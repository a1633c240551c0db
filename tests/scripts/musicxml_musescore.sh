#!/usr/bin/env bash
# MuseScore 3 reads our MusicXML export: the notes it plays from it (pitch and start) are
# those of our own MIDI export of the same song. Then our import of MuseScore's MusicXML of
# that song gives the song's notes back. Skipped where mscore3 is not installed.
set -euo pipefail
cli="${PIPORAPAD_CLI:?}"
src="${PIPORAPAD_SOURCE_DIR:?}"
# shellcheck source-path=SCRIPTDIR source=lib/common.sh
source "$(dirname "$0")/lib/common.sh"
if ! command -v mscore3 >/dev/null || ! command -v midicsv >/dev/null; then
  echo "skipped: mscore3 (MuseScore 3) or midicsv is not installed"
  exit 77
fi
cd "$work"
export QT_QPA_PLATFORM=offscreen

# "tick key" of every note-on, at 480 ticks per quarter, sorted: what a MIDI file plays.
notes_of() {
  midicsv "$1" | awk -F', *' '
    $3 == "Header" { division = $6 }
    $3 == "Note_on_c" && $6 > 0 { printf "%d %d\n", $2 * 480 / division, $5 }' | sort -n
}

# Songs: the demo song, and one with triplets, ties, rests, a pickup and two clefs.
python3 "$src/tools/make_song.py" demo demo.smd
printf 'abc\033$D!+!/!/!$6!%%5E"E\017\033$D!#6\017\r\n' >ties.smd

for song in demo ties; do
  expect_run 0 "$cli" convert "$song.smd" "$song.musicxml"
  expect_run 0 "$cli" convert "$song.smd" "$song.mxl"
  expect_run 0 "$cli" convert "$song.smd" "ours-$song.mid"
  for kind in musicxml mxl; do
    timeout 120 mscore3 -o "back-$song-$kind.mid" "$song.$kind" >mscore.log 2>&1 ||
      { fail "mscore3 could not read $song.$kind: $(tail -3 mscore.log)"; continue; }
    notes_of "ours-$song.mid" >ours.txt
    notes_of "back-$song-$kind.mid" >back.txt
    [ -s ours.txt ] || fail "$song: our MIDI export holds no notes"
    diff ours.txt back.txt >notes.diff ||
      fail "$song.$kind: MuseScore plays other notes than our MIDI export: $(head -5 notes.diff)"
  done
  # MuseScore's own MusicXML of the song imports with the same notes.
  timeout 120 mscore3 -o "theirs-$song.musicxml" "$song.musicxml" >mscore.log 2>&1 ||
    { fail "mscore3 could not write MusicXML of $song: $(tail -3 mscore.log)"; continue; }
  expect_run 0 "$cli" convert "theirs-$song.musicxml" "theirs-$song.mid"
  notes_of "theirs-$song.mid" >theirs.txt
  diff ours.txt theirs.txt >notes.diff ||
    fail "$song: MuseScore's MusicXML imports with other notes: $(head -5 notes.diff)"
done

finish "MuseScore 3 reads our MusicXML with the notes of our MIDI export"
