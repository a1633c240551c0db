#!/usr/bin/env bash
# `cmake --install` into a temporary prefix: every file in its place, the desktop entry,
# the metainfo and the file type valid, and the installed programs finding their data
# under that prefix (not in the build or source folder). Needs the whole build.
set -euo pipefail
cli="${PIPORAPAD_CLI:?}"
src="${PIPORAPAD_SOURCE_DIR:?}"
build="${PIPORAPAD_BUILD_DIR:?}"
# shellcheck source-path=SCRIPTDIR source=lib/common.sh
source "$(dirname "$0")/lib/common.sh"
prefix="$work/prefix with blanks"
export PIPORAPAD_MIDI=null QT_QPA_PLATFORM=offscreen

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || die "install: $(cat "$work/install.log")"

id=org.piporapad.PiporaPad
for f in bin/piporapad bin/piporapad-cli lib/piporapad/plugins/piporapad-sound.so \
  share/piporapad/pipora.tnf share/piporapad/manual.html \
  share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
  share/mime/packages/piporapad.xml share/icons/hicolor/scalable/apps/piporapad.svg \
  share/man/man1/piporapad.1.gz share/man/man1/piporapad-cli.1.gz \
  share/bash-completion/completions/piporapad-cli share/doc/piporapad/copyright; do
  [ -s "$prefix/$f" ] || die "$f missing"
done
for size in 16 22 24 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/piporapad.png"
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || die "$png is no PNG"
  # Width and height in the PNG header.
  [ "$(od -An --endian=big -tu4 -j16 -N8 "$png" | tr -s ' ' | sed 's/^ //')" = "$size $size" ] ||
    die "$png is not $size pixels"
done
[ -x "$prefix/bin/piporapad" ] && [ -x "$prefix/bin/piporapad-cli" ] || die "programs not executable"

desktop-file-validate "$prefix/share/applications/$id.desktop" || die "desktop entry invalid"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >"$work/as.log" 2>&1 ||
  die "metainfo invalid: $(cat "$work/as.log")"
grep -q '^Exec=piporapad %F$' "$prefix/share/applications/$id.desktop" || die "Exec line"
grep -q '^MimeType=audio/x-smd;application/vnd.recordare.musicxml+xml;application/vnd.recordare.musicxml;$' \
  "$prefix/share/applications/$id.desktop" || die "MimeType line"
man -l "$prefix/share/man/man1/piporapad-cli.1.gz" 2>/dev/null | grep -q "EXIT STATUS" || die "man page"
bash -n "$prefix/share/bash-completion/completions/piporapad-cli" || die "completion script"

# The file type: a database built from the prefix alone knows *.smd and *.smz.
update-mime-database "$prefix/share/mime" 2>/dev/null
grep -q '^audio/x-smd:\*\.smd$' "$prefix/share/mime/globs" || die "*.smd not in the glob list"
grep -q '^audio/x-smd:\*\.smz$' "$prefix/share/mime/globs" || die "*.smz not in the glob list"
grep -q '^application/vnd.recordare.musicxml+xml:\*\.musicxml$' "$prefix/share/mime/globs" ||
  die "*.musicxml not in the glob list"
grep -q '^application/vnd.recordare.musicxml:\*\.mxl$' "$prefix/share/mime/globs" ||
  die "*.mxl not in the glob list"

# The installed programs find their data in the prefix and run from there.
"$prefix/bin/piporapad-cli" --version | grep -qx "piporapad-cli [0-9.]*" || die "--version"
"$prefix/bin/piporapad-cli" paths >"$work/paths.txt" || die "paths: $(cat "$work/paths.txt")"
real_prefix="$(cd "$prefix" && pwd -P)"
grep -qx "data	$real_prefix/share/piporapad" "$work/paths.txt" || die "data folder: $(cat "$work/paths.txt")"
grep -qx "pipora.tnf	$real_prefix/share/piporapad/pipora.tnf" "$work/paths.txt" || die "tone names"
grep -qx "manual.html	$real_prefix/share/piporapad/manual.html" "$work/paths.txt" || die "manual"
[ "$(wc -l <"$real_prefix/share/piporapad/pipora.tnf")" = 128 ] || die "128 tone names expected"

python3 "$src/tools/make_song.py" demo "$work/demo.smd"

# The command-line tool starts without the sound libraries and loads them from the prefix
# to render.
if ldd "$prefix/bin/piporapad-cli" | grep -E 'libfluidsynth|librtmidi|libasound'; then
  die "piporapad-cli links the sound libraries"
fi
"$prefix/bin/piporapad-cli" check "$work/demo.smd" >/dev/null || die "check"
if [ -f /usr/share/sounds/sf2/TimGM6mb.sf2 ]; then
  "$prefix/bin/piporapad-cli" render --seconds 1 "$work/demo.smd" "$work/demo.wav" \
    2>"$work/render.log" || die "render: $(cat "$work/render.log")"
  [ "$(head -c 4 "$work/demo.wav")" = RIFF ] || die "render wrote no WAV file"
fi

out="$("$prefix/bin/piporapad" --offscreen-start-and-quit "$work/demo.smd" 2>/dev/null)"
grep -qx "notes 62" <<<"$out" || die "installed editor did not open the song: $out"
echo "install tree complete and valid"
