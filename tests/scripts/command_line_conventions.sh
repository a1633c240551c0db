#!/usr/bin/env bash
# The command-line conventions of piporapad-cli and piporapad, one row per convention:
# help and version on standard output, unknown words named, "--" and "-", byte file
# names, several inputs, standard output errors, and no output from an input that cannot
# be read. Run by ctest with PIPORAPAD_CLI, PIPORAPAD_EDITOR and PIPORAPAD_SOURCE_DIR.
set -uo pipefail
cli="${PIPORAPAD_CLI:?}"
editor="${PIPORAPAD_EDITOR:?}"
src="${PIPORAPAD_SOURCE_DIR:?}"
# shellcheck source-path=SCRIPTDIR source=lib/common.sh
source "$(dirname "$0")/lib/common.sh"
export PIPORAPAD_MIDI=null
cd "$work"

version="$(sed -n 's/^project(PiporaPad VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")"

# A two-part song that SMD can hold, one it cannot (a tie inside a triplet), a damaged one.
printf 'abc\033$D!+!/!/!$6!%%5E"E\017\033$D!#6\017\r\n' >song.smd
printf '\033$D6\017\033$D66!%%5"\017\r\n' >tied.smd
printf 'x\033$D"6\017' >damaged.smd
"$cli" convert song.smd song.mid
cp song.smd -- "-x.smd"
latin1="$(printf 'caf\351')"                 # not valid UTF-8
cp song.smd "$latin1.smd"
mkdir out
# Files whose name does not say what they hold: the content does.
cp song.smd songfile
cp song.smd a.midi
printf '<?xml version="1.0" encoding="UTF-8"?>\n<score-partwise version="4.0"/>\n' >x.xml
printf 'just some words\n' >notes.txt

# MIDI inputs that cannot be read; converting any of them must leave the target alone.
mthd='MThd\0\0\0\006\0\0\0\001'
printf "$mthd"'\001\340MTrk\0\0\0\014\0\220\074\144\201\201\201\201\0\200\074\0' >delta5.mid
printf "$mthd"'\0\0MTrk\0\0\0\010\0\220\074\144\203\140\200\074' >division0.mid
printf 'RIFF....WAVEfmt not a MIDI file at all' >notmidi.mid
printf 'MThd\0\0\0\006\0\0' >header10.mid
truncate -s 65M oversize.mid
printf "$mthd"'\001\340' | dd of=oversize.mid conv=notrunc status=none
# One note so long that its tied pieces would fill a part past what an SMD file can hold.
printf "$mthd"'\0\001MTrk\0\0\0\016\0\220\074\144\371\370\060\200\074\0\0\377\057\0' >longnote.mid
bad_midis="delta5 division0 notmidi header10 oversize longnote"

# A failed row names itself.
fail_row() { fail "[$1] $2"; }

# row NAME EXPECTED_EXIT COMMAND CHECK
#   COMMAND runs in the work folder with its output in out.txt and err.txt (unless it
#   redirects itself); CHECK is a shell condition tested afterwards.
row() {
  local name="$1" want="$2" command="$3" check="$4" got=0
  eval "$command" >out.txt 2>err.txt || got=$?
  [ "$got" = "$want" ] || fail_row "$name" "exit $got, expected $want; stderr: $(head -c 400 err.txt)"
  eval "$check" || fail_row "$name" "check failed: $check; stdout: $(head -c 200 out.txt); stderr: $(head -c 400 err.txt)"
}

silent_stdout='[ ! -s out.txt ]'
row "help on standard output" 0 '"$cli" --help' \
  'grep -q "^usage: piporapad-cli" out.txt && grep -q "^  convert" out.txt && [ ! -s err.txt ]'
row "-h is --help" 0 '"$cli" -h' 'grep -q "^usage: piporapad-cli" out.txt'
row "version from the project" 0 '"$cli" --version' \
  '[ "$(cat out.txt)" = "piporapad-cli $version" ] && [ -n "$version" ]'
row "command help" 0 '"$cli" convert --help' \
  'grep -q "^usage: piporapad-cli convert" out.txt && grep -q -- "--to FORMAT" out.txt'
row "help of a command given first" 0 '"$cli" --help check' 'grep -q "^usage: piporapad-cli check" out.txt'
row "no command" 2 '"$cli"' 'grep -q "missing command" err.txt && '"$silent_stdout"
row "unknown command named" 2 '"$cli" frobnicate x' \
  'grep -q "unknown command '"'"'frobnicate'"'"'" err.txt && grep -q -- "--help" err.txt'
row "unknown option named" 2 '"$cli" dump --frob song.smd' \
  'grep -q "unknown option '"'"'--frob'"'"'" err.txt && '"$silent_stdout"
row "unknown short option named" 2 '"$cli" check -q song.smd' 'grep -q "unknown option '"'"'-q'"'"'" err.txt'
row "option without its value" 2 '"$cli" convert song.smd x.smd --to' 'grep -q "needs a value" err.txt'
row "too many operands" 2 '"$cli" dump song.smd song.smd' 'grep -q "too many operands" err.txt'
row "-- ends the options" 0 '"$cli" dump -- -x.smd' 'grep -q "^title	abc$" out.txt'
row "option after the operands" 0 '"$cli" convert song.smd converted --to mid' \
  '[ "$(head -c 4 converted)" = MThd ]'
row "--opt=value" 0 '"$cli" convert --to=mid song.smd eq' '[ "$(head -c 4 eq)" = MThd ]'
row "- reads standard input" 0 '"$cli" dump - <song.smd' \
  'cmp -s out.txt <("$cli" dump song.smd)'
row "- reads MIDI from standard input" 0 '"$cli" dump - <song.mid' 'grep -q "^part	1" out.txt'
row "SMD without an extension read as SMD" 0 '"$cli" dump songfile' \
  'cmp -s out.txt <("$cli" dump song.smd)'
row "SMD named .midi read as SMD" 0 '"$cli" dump a.midi' 'cmp -s out.txt <("$cli" dump song.smd)'
row "XML refused, not read as SMD" 2 '"$cli" dump x.xml' \
  'grep -q "MusicXML" err.txt && grep -q "^x.xml" err.txt && '"$silent_stdout"
row "text refused, not read as SMD" 2 '"$cli" convert notes.txt notes.mid' \
  'grep -q "SMDファイルでもMIDIファイルでもありません" err.txt && [ ! -e notes.mid ]'
row "- writes standard output" 0 '"$cli" convert song.smd - --to smd' \
  '"$cli" convert song.smd copy.smd && cmp -s out.txt copy.smd && [ ! -e ./- ]'
row "- as output needs a format" 2 '"$cli" convert song.smd -' \
  'grep -q -- "--to" err.txt && '"$silent_stdout"' && [ ! -e ./- ]'
row "/dev/stdout is standard output" 0 '"$cli" convert song.smd /dev/stdout --to mid >piped.mid' \
  '[ "$(head -c 4 piped.mid)" = MThd ]'
row "unknown extension refused" 2 '"$cli" convert song.smd song.txt' \
  'grep -q "song.txt" err.txt && [ ! -e song.txt ]'
row "unknown --to refused" 2 '"$cli" convert song.smd x.smd --to ogg' \
  'grep -q "ogg" err.txt && [ ! -e x.smd ]'
row "wav by extension" 0 '"$cli" convert song.smd song.wav --seconds 1' \
  '[ "$(head -c 4 song.wav)" = RIFF ]'
for command in "dump song.smd" "check song.smd" "events song.smd" "--help" "convert song.smd - --to smd"; do
  row "$command to a full disk" 3 '"$cli" '"$command"' >/dev/full' \
    'grep -q "No space left on device" err.txt'
done
row "byte file name read" 0 '"$cli" dump "$latin1.smd"' 'grep -q "^title	abc$" out.txt'
row "byte file name written" 0 '"$cli" convert song.smd "$latin1.mid"' \
  '[ "$(head -c 4 "$latin1.mid")" = MThd ] && [ "$(ls | LC_ALL=C grep -c "^caf.*\.mid$")" = 1 ]'
row "byte file name in a message" 2 '"$cli" dump "$latin1-missing.smd"' \
  'grep -q "^$latin1-missing.smd$" err.txt'
row "check several: a line each, worst exit" 2 '"$cli" check song.smd tied.smd missing.smd' \
  '[ "$(wc -l <out.txt)" = 2 ] && grep -q "^song.smd: OK$" out.txt && grep -q "^tied.smd: part 2 element 4" out.txt && grep -q "^missing.smd$" err.txt'
row "check several, refused is 1" 1 '"$cli" check song.smd tied.smd' '[ "$(wc -l <out.txt)" = 2 ]'
row "convert several into a folder" 0 '"$cli" convert --to smd song.mid "$latin1.smd" out' \
  '[ -s out/song.smd ] && [ -s "out/$latin1.smd" ] && [ "$(wc -l <out.txt)" = 2 ] && grep -q "^song.mid -> out/song.smd$" out.txt'
row "convert several, one bad, worst exit" 2 '"$cli" convert --to mid song.smd damaged.smd out' \
  '[ -s out/song.mid ] && [ ! -e out/damaged.mid ] && [ "$(wc -l <out.txt)" = 1 ]'
row "convert several needs --to" 2 '"$cli" convert song.smd tied.smd out' 'grep -q -- "--to" err.txt'
row "convert several needs a folder" 2 '"$cli" convert --to smd song.smd tied.smd song.mid' \
  'grep -q "not a folder" err.txt'
row "no progress line off a terminal" 0 '"$cli" convert --to mid song.smd "$latin1.smd" out' \
  '! grep -q $'"'"'\r'"'"' err.txt'
row "progress line on a terminal" 0 \
  'script -qec "\"$cli\" convert --to mid song.smd tied.smd out" /dev/null' \
  'grep -q "convert 2/2 tied.smd" out.txt'
row "dump of a damaged file prints nothing" 2 '"$cli" dump damaged.smd' "$silent_stdout"
row "endless input refused" 2 '"$cli" check - </dev/zero' \
  'grep -q "64 MB" err.txt && '"$silent_stdout"
for bad in $bad_midis; do
  printf 'keep me' >target.smd
  row "$bad.mid: convert leaves the target" 2 '"$cli" convert "$bad.mid" target.smd' \
    '[ "$(cat target.smd)" = "keep me" ] && grep -q "^$bad.mid$" err.txt && grep -q "ファイルの読み込みに失敗しました。" err.txt'
  row "$bad.mid: convert writes no new file" 2 '"$cli" convert "$bad.mid" new.smd' '[ ! -e new.smd ]'
  row "$bad.mid: check prints nothing" 2 '"$cli" check "$bad.mid"' "$silent_stdout"' && [ -s err.txt ]'
done

# Targets: a read-only file is refused, a chain of links replaces the file at its end, two
# inputs of one name do not write one output twice.
printf 'keep me' >readonly.smd
chmod 444 readonly.smd
row "read-only target refused" 3 '"$cli" convert song.mid readonly.smd' \
  '[ "$(cat readonly.smd)" = "keep me" ] && grep -q "Permission denied" err.txt'
printf 'keep me' >final.smd
ln -s final.smd mid.smd
ln -s mid.smd top.smd
row "chain of links: the file at its end replaced" 0 '"$cli" convert song.mid top.smd' \
  '[ -L top.smd ] && [ -L mid.smd ] && "$cli" dump final.smd | grep -q "^title	abc$"'
mkdir -p x y clash
cp song.mid x/a.mid
cp song.mid y/a.mid
row "convert several of one name: the second refused" 2 '"$cli" convert --to smd x/a.mid y/a.mid clash' \
  '[ -s clash/a.smd ] && [ "$(wc -l <out.txt)" = 1 ] && grep -q "y/a.mid" err.txt'

# A MIDI track name with terminal control bytes: dump shows them escaped.
printf "$mthd"'\001\340MTrk\0\0\0\015\0\377\003\005\033]0;x\0\377\057\0' >esc.mid
row "dump escapes control characters" 0 '"$cli" dump esc.mid' \
  'grep -qF "title	\x1B]0;x" out.txt && ! grep -q $'"'"'\033'"'"' out.txt'

# One note of over an hour: rendered only as far as --seconds asks.
printf "$mthd"'\001\340MTrk\0\0\0\017\0\220\074\144\202\200\322\000\200\074\0\0\377\057\0' >long.mid
row "render past an hour needs --seconds" 1 '"$cli" convert long.mid long.wav' \
  '[ ! -e long.wav ] && grep -q -- "--seconds" err.txt'
row "render past a WAV file's size refused" 1 '"$cli" convert long.mid long.wav --seconds 30000' \
  '[ ! -e long.wav ] && grep -q "WAV" err.txt'
row "render past an hour with --seconds" 0 '"$cli" convert long.mid long.wav --seconds 1' \
  '[ "$(head -c 4 long.wav)" = RIFF ]'

# The editor reads regular files only, and no more than the limit of them.
mkfifo fifo.smd
ln -s /dev/zero zero.smd
truncate -s 600M sparse.smd
for odd in fifo zero; do
  row "editor refuses $odd.smd at once" 2 'QT_QPA_PLATFORM=offscreen timeout 30 "$editor" --offscreen-start-and-quit $odd.smd' \
    'grep -q "通常のファイルではありません" err.txt'
done
row "editor refuses a huge file at once" 2 'QT_QPA_PLATFORM=offscreen timeout 30 "$editor" --offscreen-start-and-quit sparse.smd' \
  'grep -q "8 MB" err.txt'

# The editor reads its command line before any window: with no display at all, --help
# and --version still work and nothing waits.
row "editor --help without a window" 0 'env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 20 "$editor" --help' \
  'grep -q "^usage: piporapad" out.txt'
row "editor --version" 0 'env -u DISPLAY QT_QPA_PLATFORM=xcb timeout 20 "$editor" --version' \
  '[ "$(cat out.txt)" = "piporapad $version" ]'
row "editor unknown option named" 2 'timeout 20 "$editor" --frob' 'grep -q "unknown option '"'"'--frob'"'"'" err.txt'
row "editor check of a damaged file" 2 'QT_QPA_PLATFORM=offscreen timeout 30 "$editor" --offscreen-start-and-quit damaged.smd' \
  'grep -q "/damaged.smd$" err.txt && grep -q "ファイルの読み込みに失敗しました。" err.txt'
row "editor check of a missing file" 2 'QT_QPA_PLATFORM=offscreen timeout 30 "$editor" --offscreen-start-and-quit missing.smd' \
  'grep -q "/missing.smd$" err.txt && grep -q "No such file" err.txt'
row "editor check of a non-MIDI .mid" 2 'QT_QPA_PLATFORM=offscreen timeout 30 "$editor" --offscreen-start-and-quit notmidi.mid' \
  'grep -q "MThd" err.txt'
row "editor opens the first of several files" 0 'QT_QPA_PLATFORM=offscreen timeout 30 "$editor" --offscreen-start-and-quit song.smd tied.smd' \
  'grep -qx "notes 7" out.txt && grep -q "tied.smd not opened" err.txt'
row "editor: Qt options after -- are file names" 2 'QT_QPA_PLATFORM=offscreen timeout 30 "$editor" --offscreen-start-and-quit -- -platform song.smd' \
  'grep -q "/-platform song.smd$" err.txt'

finish "all command-line conventions hold"
