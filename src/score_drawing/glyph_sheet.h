#pragma once
// The score editor's glyph sheet: every note, rest and the treble clef pre-drawn once,
// black on white, in cells of 48 x 96 that the redraw copies with a bitwise AND.
#include <QImage>

namespace pipora {

// Draws the sheet from the system's music font (Noto Music), falling back to painted
// shapes for any symbol the font lacks.
QImage MakeGlyphSheet();

} // namespace pipora
