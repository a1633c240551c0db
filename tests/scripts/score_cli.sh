#!/usr/bin/env bash
# piporapad-cli score: a PDF, one SVG and one PNG per page, read back by their first bytes;
# another extension refused with nothing written.
set -euo pipefail
cli="${PIPORAPAD_CLI:?}"
src="${PIPORAPAD_SOURCE_DIR:?}"
# shellcheck source-path=SCRIPTDIR source=lib/common.sh
source "$(dirname "$0")/lib/common.sh"
cd "$work"

starts_with() { # FILE HEX
  [ -s "$1" ] || {
    fail "$1 missing or empty"
    return
  }
  [ "$(head -c $((${#2} / 2)) "$1" | od -An -tx1 | tr -d ' \n')" = "$2" ] ||
    fail "$1 does not start with $2"
}
pdf_magic=255044462d   # %PDF-
png_magic=89504e470d0a1a0a
svg_magic=3c3f786d6c   # <?xml

# Two parts, a few bars: one page.
printf 'short\033$D!+!/!/!$6!%%5E"E\017\033$D!#6\017\r\n' >short.smd
expect_run 0 "$cli" score short.smd short.pdf --paper a4
starts_with short.pdf "$pdf_magic"
expect_run 0 "$cli" score short.smd short.svg --paper a4
starts_with short-1.svg "$svg_magic"
grep -q "<svg" short-1.svg || fail "short-1.svg holds no <svg>"
[ ! -e short-2.svg ] || fail "a one-page song made a second SVG"
expect_run 0 "$cli" score short.smd short.png --paper a4
starts_with short-1.png "$png_magic"
[ ! -e short.png ] || fail "the pages are numbered, short.png should not be written"

# A long tune: one PNG per page, every page an A4 image at 150 dpi, none of them tall.
long="$src/tests/data/midi-corpus/pianobooster/01-ClairDeLaLune.mid"
expect_run 0 "$cli" score "$long" long.png --paper a4
pages=$(ls long-*.png 2>/dev/null | wc -l)
[ "$pages" -ge 2 ] || fail "a long tune gave $pages PNG page(s)"
for page in long-*.png; do
  starts_with "$page" "$png_magic"
  # The IHDR's height: A4 at 150 dpi is 1754 pixels.
  height=$((16#$(od -An -tx1 -j20 -N4 "$page" | tr -d ' \n')))
  [ "$height" -le 1760 ] || fail "$page is $height pixels high, more than a page"
done
expect_run 0 "$cli" score "$long" long.pdf --paper a4
starts_with long.pdf "$pdf_magic"
# The music glyphs and the labels are text in one embedded font subset, not outlines.
grep -aq "/FontFile" long.pdf || fail "long.pdf embeds no font"

# Another extension: refused, nothing written, an old file at that name kept.
printf 'old' >short.jpg
expect_run 2 "$cli" score short.smd short.jpg
grep -q "pdf, .svg or .png" err || fail "the refusal does not name the formats: $(cat err)"
[ "$(cat short.jpg)" = old ] || fail "short.jpg was changed"
expect_run 2 "$cli" score short.smd short
[ ! -e short ] || fail "a name without an extension was written"

finish "score writes PDF, SVG and PNG pages"
