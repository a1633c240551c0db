#pragma once
// The music font both score sheets draw from, and the painted shapes they fall back to when
// the font lacks a symbol.
#include <QPainterPath>
#include <QRawFont>

namespace pipora {

// Unicode musical symbols.
inline constexpr char32_t kWholeNoteSymbol = 0x1D15D;
inline constexpr char32_t kVoidHeadSymbol = 0x1D157;
inline constexpr char32_t kBlackHeadSymbol = 0x1D158;
inline constexpr char32_t kFlag8Symbol = 0x1D16E;
inline constexpr char32_t kFlag16Symbol = 0x1D16F;
inline constexpr char32_t kGClefSymbol = 0x1D11E;
inline constexpr char32_t kSharpSymbol = 0x266F;
inline constexpr char32_t kFlatSymbol = 0x266D;
inline constexpr char32_t kNaturalSymbol = 0x266E;

// Both sheets draw at this staff space (pixels between two staff lines).
inline constexpr double kSymbolStaffSpace = 12.0;

// A symbol that is one glyph of a font, so that vector pages draw it as text: the font at
// the size drawn and where the glyph's origin lies from the top-left of its ink.
struct FontSymbol {
  QRawFont font;
  quint32 index = 0;
  QPointF origin;        // from the ink's top-left
  bool mirrored = false; // drawn upside down (downward flags)
  QSizeF inkSize;

  bool valid() const { return index != 0; }
  // The glyph's outline, the ink's top-left at the origin.
  QPainterPath path() const;
};
// Glyph c of `font` at `factor` times the font's size; invalid when the font lacks it.
FontSymbol SymbolOf(const QRawFont &font, char32_t c, double factor);
// The same glyph turned upside down about its ink.
FontSymbol Mirrored(const FontSymbol &symbol);

// "Noto Music", scaled so that a black head is one staff space tall.
class MusicFont {
public:
  MusicFont();

  // The symbol at the font's own size; empty when the font lacks it.
  QPainterPath raw(char32_t c) const;
  // The symbol at the staff's scale, its bounding box's top-left at the origin; empty when
  // the font lacks it.
  QPainterPath symbol(char32_t c) const;
  // The same as a glyph.
  FontSymbol glyph(char32_t c) const { return SymbolOf(font_, c, scale_); }
  const QRawFont &font() const { return font_; }

private:
  QRawFont font_;
  double scale_ = 1.0; // font units to pixels
};

// The path scaled by `factor`, its bounding box's top-left at the origin.
QPainterPath ScaledToOrigin(const QPainterPath &path, double factor);
// The text's outline, its bounding box's top-left at the origin.
QPainterPath TextPath(const QString &text, const QFont &font);
// A slanted ellipse, hollow for half and whole notes.
QPainterPath PaintedHead(bool black);
// One or two upward flags, hanging from the origin.
QPainterPath PaintedFlags(int flags);
// An upward flag turned into a downward one, its bounding box's top-left at the origin.
QPainterPath MirroredFlag(const QPainterPath &flag);

} // namespace pipora
