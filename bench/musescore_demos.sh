#!/usr/bin/env bash
# MuseScore 3's demo scores through our MusicXML import: each demo written by mscore3 as
# MusicXML, compressed MusicXML and MIDI; the notes of our import of the score compared with
# those of our MIDI import of MuseScore's MIDI file (compare_score_notes), and both
# engravings as pictures side by side: MuseScore's page 1 and our score of the imported song.
# Usage: bench/musescore_demos.sh BUILD_DIR OUT_DIR [DEMO_DIR]
set -euo pipefail
build="${1:?build folder}"
out="${2:?output folder}"
demos="${3:-$(ls -d /usr/share/mscore3-*/demos 2>/dev/null | head -1)}"
command -v mscore3 >/dev/null || { echo "mscore3 (MuseScore 3) is not installed" >&2; exit 1; }
[ -d "$demos" ] || { echo "no demo folder: $demos" >&2; exit 1; }
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen PIPORAPAD_HOME="$out/home"
cli="$build/src/app/piporapad-cli"
for score in "$demos"/*.msc[xz]; do
  name="$(basename "${score%.*}")"
  for kind in musicxml mxl mid png; do
    [ -e "$out/$name.$kind" ] || [ -e "$out/$name-1.$kind" ] ||
      timeout 300 mscore3 -o "$out/$name.$kind" "$score" >/dev/null 2>&1 || true
  done
  "$build/bench/compare_score_notes" "$out/$name.musicxml" "$out/$name.mid" | tail -1 || true
  "$build/bench/compare_score_notes" "$out/$name.mxl" "$out/$name.mid" | tail -1 || true
  "$cli" score "$out/$name.musicxml" "$out/$name-ours.png" 2>&1 || true
  "$cli" convert --report "$out/$name.mxl" "$out/$name.smd" | tail -1 || true
done
# A damaged score is refused with where reading stopped, and writes nothing.
head -c 2000 "$out/$name.musicxml" >"$out/broken.musicxml"
if "$cli" convert "$out/broken.musicxml" "$out/broken.smd"; then
  echo "a broken score was read" >&2
  exit 1
fi
[ ! -e "$out/broken.smd" ] || { echo "a broken score left an output" >&2; exit 1; }
