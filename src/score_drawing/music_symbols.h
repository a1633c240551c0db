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

// "Noto Music", scaled so that a black head is one staff space tall.
class MusicFont {
public:
  MusicFont();

  // The symbol at the font's own size; empty when the font lacks it.
  QPainterPath raw(char32_t c) const;
  // The symbol at the staff's scale, its bounding box's top-left at the origin; empty when
  // the font lacks it.
  QPainterPath symbol(char32_t c) const;

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
