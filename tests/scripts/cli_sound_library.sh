#!/usr/bin/env bash
# piporapad-cli starts without the sound libraries: checking and converting never load them;
# render loads lib/piporapad/plugins/piporapad-sound.so from the build or installation it runs
# from, and a program without that library says so and writes nothing.
set -euo pipefail
cli="${PIPORAPAD_CLI:?}"
src="${PIPORAPAD_SOURCE_DIR:?}"
# shellcheck source-path=SCRIPTDIR source=lib/common.sh
source "$(dirname "$0")/lib/common.sh"
cd "$work"

python3 "$src/tools/make_song.py" demo demo.smd

# Linked libraries, and what the loader opens while the command runs.
if ldd "$cli" | grep -E 'libfluidsynth|librtmidi|libasound|libQt6Gui|libQt6Widgets'; then
  fail "piporapad-cli links libraries its file commands do not need"
fi
loaded() { # COMMAND... : the shared objects the dynamic loader opened
  LD_DEBUG=files "$cli" "$@" 2>&1 >/dev/null | sed -n 's/.*file=\([^ ]*\) .*\[0\];  *needed by.*/\1/p; s/.*file=\([^ ]*\) .*\[0\];  *dynamically loaded by.*/\1/p'
}
for command in "check demo.smd" "convert demo.smd demo.mid" "dump demo.smd"; do
  # shellcheck disable=SC2086 # the words of the command
  if loaded $command | grep -E 'piporapad-sound|fluidsynth'; then
    fail "$command loads the sound library"
  fi
done
if [ -f /usr/share/sounds/sf2/TimGM6mb.sf2 ]; then
  loaded render --seconds 1 demo.smd demo.wav | grep -q 'piporapad-sound.so' ||
    fail "render did not load the sound library"
  [ "$(head -c 4 demo.wav)" = RIFF ] || fail "render wrote no WAV file"
fi

# The same program moved away from its library: the file commands work, render fails
# naming the library and writes nothing, play goes on without sound.
mkdir -p alone/bin
cp "$cli" alone/bin/piporapad-cli
alone/bin/piporapad-cli convert demo.smd alone.mid || fail "convert without the library"
code=0
alone/bin/piporapad-cli render demo.smd alone.wav 2>err || code=$?
[ "$code" = 3 ] || fail "render without the library exited $code, expected 3"
grep -q "lib/piporapad/plugins/piporapad-sound.so" err ||
  fail "render did not name the library: $(cat err)"
[ ! -e alone.wav ] || fail "render without the library wrote a file"
PIPORAPAD_MIDI=null alone/bin/piporapad-cli play --seconds 0.2 demo.smd 2>err ||
  fail "play without the library: $(cat err)"
grep -q "playing without sound" err || fail "play did not say it is silent: $(cat err)"

finish "piporapad-cli loads its sound only to make sound"
