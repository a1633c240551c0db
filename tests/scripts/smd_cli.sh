#!/usr/bin/env bash
# piporapad-cli dump / check / convert on SMD files, as a user runs them.
set -euo pipefail
cli="${PIPORAPAD_CLI:?}"
# shellcheck source-path=SCRIPTDIR source=lib/common.sh
source "$(dirname "$0")/lib/common.sh"
cd "$work"

expect_file() { # NAME EXPECTED_TEXT
  diff <(printf '%s' "$2") "$1" >/dev/null || {
    fail "$1 differs:"
    diff <(printf '%s' "$2") "$1" >&2 || true
  }
}

# Two parts: tempo slow, volume 6, a same-pitch triplet and a tie; part 2 one octave low.
printf 'abc\033$D!+!/!/!$6!%%5E"E\017\033$D!#6\017\r\n' >song.smd

expect_run 0 "$cli" dump song.smd
expect_file out "$(printf 'title\tabc\ntempo\t91\nkey\t0\tmajor\npart\t1\tvolume\t6\n1:1:0\tC4\t60\t4\n1:2:0\tC4\t60\t83\n1:2:16\tC4\t60\t83\n1:2:32\tC4\t60\t83\n1:3:0\tE4\t64\t8_\n1:3:24\tE4\t64\t8\n1:4:0\t0\t0\t* End of Track *\npart\t2\tvolume\t4\n1:1:0\tC3\t48\t4\n1:2:0\t0\t0\t* End of Track *')
"
expect_run 0 "$cli" check song.smd
expect_file out "OK
"
expect_run 0 "$cli" convert song.smd copy.smd
# The writer spells the triplet with the mixed-pitch word; everything else is as read.
expect_file copy.smd "$(printf 'abc\033$D!+!/!/!$6!&555E"E\017\033$D!+!$!#6\017\r')
"
expect_run 0 "$cli" dump copy.smd
"$cli" dump song.smd >original.txt
cmp -s out original.txt || fail "the converted song dumps differently"

# Parts 17 and 18 of a file go to the clipboard and backup slots; dump shows 1 to 17.
: >many.smd
for n in $(seq 1 18); do printf '\033$D6\017' >>many.smd; done
expect_run 0 "$cli" dump many.smd
[ "$(grep -c '^part' out)" = 17 ] || fail "17 parts expected: $(grep '^part' out | tr '\n' ' ')"
grep -q "$(printf '^part\t17\tvolume\t4$')" out || fail "part 17 missing"
printf '\033$D6\017' >>many.smd
expect_run 2 "$cli" dump many.smd

# An empty first line reads as a new song.
printf '\r\n\033$D6\017' >empty.smd
expect_run 0 "$cli" dump empty.smd
expect_file out "$(printf 'title\t\ntempo\t121.7\nkey\t0\tmajor')
"

# A JIS title reads as Japanese text.
printf '\033$B0!\033(B\016\061\017\033$D6\017\r\n' >jis.smd
expect_run 0 "$cli" dump jis.smd
[ "$(head -1 out)" = "$(printf 'title\t亜ｱ')" ] || fail "JIS title: $(head -1 out)"

# Unsavable songs: check names part, element and message; convert writes nothing.
# Reading keeps every note within 45..90 and each triplet within one window, so a file
# can only be refused for a tie inside a triplet: here on the third note of part 2's group.
printf '\033$D6\017\033$D66!%%5"\017\r\n' >tied.smd
expect_run 1 "$cli" check tied.smd
expect_file out "part 2 element 4: 3連符は3つセットになっていなければなりません。保存に失敗しました。
"
printf '\033$D6!\042~~!%%~\017\r\n' >high.smd # 90, 90 and a triplet of 90 are savable
expect_run 0 "$cli" check high.smd

printf 'keep' >target.smd
expect_run 1 "$cli" convert tied.smd target.smd
[ "$(cat target.smd)" = keep ] || fail "refused convert touched the target"
grep -q '^part 2 element 4: 3連符は3つセットになっていなければなりません。保存に失敗しました。$' err || fail "convert message: $(cat err)"
expect_run 1 "$cli" convert tied.smd new.smd
[ ! -e new.smd ] || fail "refused convert created a file"

# Unreadable and damaged input: path, description, the read failure line; exit 2.
expect_run 2 "$cli" dump missing.smd
[ "$(head -1 err)" = missing.smd ] || fail "missing: first line $(head -1 err)"
[ "$(tail -1 err)" = "ファイルの読み込みに失敗しました。" ] || fail "missing: last line $(tail -1 err)"
[ "$(wc -l <err)" = 3 ] || fail "missing: $(cat err)"
[ ! -s out ] || fail "dump of a missing file printed $(cat out)"

printf 'x\033$D"6\017' >damaged.smd
for cmd in dump check; do
  expect_run 2 "$cli" $cmd damaged.smd
  [ "$(tail -1 err)" = "ファイルの読み込みに失敗しました。" ] || fail "damaged $cmd: $(cat err)"
done
expect_run 2 "$cli" convert damaged.smd out.smd
[ ! -e out.smd ] || fail "convert of a damaged file wrote output"

# Output that cannot be written.
expect_run 3 "$cli" convert song.smd no/such/dir/out.smd
[ "$(tail -1 err)" = "ファイルの保存に失敗しました。" ] || fail "write failure: $(cat err)"

# Usage errors.
expect_run 2 "$cli"
expect_run 2 "$cli" nosuchcommand
expect_run 2 "$cli" dump
expect_run 2 "$cli" convert song.smd

finish "all SMD command-line checks passed"
