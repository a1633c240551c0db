#!/usr/bin/env bash
# piporapad-cli convert of real MIDI files with --fit, --report and --log, as a user batch-
# converts a folder of MIDI files into ringtones.
set -euo pipefail
cli="${PIPORAPAD_CLI:?}"
corpus="${PIPORAPAD_SOURCE_DIR:?}/tests/data/midi-corpus"
# shellcheck source-path=SCRIPTDIR source=lib/common.sh
source "$(dirname "$0")/lib/common.sh"
mkdir -p "$PIPORAPAD_HOME"
cd "$work"

# A file with loose triplets cannot be saved as it is; nothing is written.
song="$corpus/openmsx/tttheme2.mid"
expect_run 1 "$cli" convert "$song" plain.smd
[ ! -e plain.smd ] || fail "a refused convert left plain.smd behind"
grep -q "3連符は3つセットになっていなければなりません。" err || fail "refusal does not say why: $(cat err)"

# With --fit it saves, and the result passes the save checks when read back.
expect_run 0 "$cli" convert "$song" fitted.smd --fit
[ -s fitted.smd ] || fail "--fit wrote no file"
expect_run 0 "$cli" check fitted.smd
[ "$(cat out)" = "OK" ] || fail "fitted file does not check: $(cat out)"

# No event logs unless asked for.
[ ! -e "$PIPORAPAD_HOME/pipora.log" ] || fail "convert wrote pipora.log without --log"
expect_run 0 "$cli" convert "$song" logged.smd --fit --log
[ -s "$PIPORAPAD_HOME/pipora.log" ] || fail "--log wrote no pipora.log"

# --report lists the changes and ends each part with its drift, then the summary lines.
expect_run 0 "$cli" convert "$song" reported.smd --fit --report
grep -qE $'^[0-9]+\t[0-9-]+\t[0-9]+:[0-9]+:[0-9]+\t[0-9]+\t位置合わせ 始まり' out ||
  fail "--report lists no snapped note"
grep -qE '^パート [0-9]+: [0-9]+ 音、ずれ 合計 [0-9]+ 最大 [0-9]+' out ||
  fail "--report has no drift line"
grep -qE '^[0-9]+ 音を書き込み、.*和音の音を削除' out || fail "--report has no summary"
grep -qE '^SMDに合わせた変更 [0-9]+ 件(（.*）)?$' out || fail "--report does not count fitting changes"
cmp -s fitted.smd reported.smd || fail "--report changed what was written"

# A whole folder in one go.
for f in "$corpus"/pianobooster/*.mid; do
  expect_run 0 "$cli" convert "$f" "$(basename "$f" .mid).smd" --fit
done
[ "$(ls ./*.smd | wc -l)" -ge 12 ] || fail "batch conversion wrote $(ls ./*.smd | wc -l) files"

finish "midi_fit_cli: all passed"
