#include "score_drawing/glyph_sheet.h"

#include "editing/score_geometry.h"

#include "score_drawing/music_symbols.h"

#include <QFont>
#include <QPainter>

#include <array>

namespace pipora {
namespace {

// The rests, whole to sixteenth.
constexpr std::array<char32_t, 5> kRests = {0x1D13B, 0x1D13C, 0x1D13D, 0x1D13E, 0x1D13F};

constexpr double kStaffSpace = kSymbolStaffSpace;
constexpr double kHeadY = kHeadCentreBelowCellTop;
constexpr double kStemLength = 3.5 * kStaffSpace;
constexpr double kStemWidth = 1.3;
// Staff lines as they fall inside a rest cell (cell top at part top + 76).
constexpr double kRestMiddleLine = 48.0;

enum class Head { Whole, Void, Black };
enum class Accidental { None, Sharp, Flat };

void FillAt(QPainter &p, const QPainterPath &path, double left, double top) {
  p.fillPath(path.translated(left, top), Qt::black);
}

// Draws a head with its centre at (cx, kHeadY); returns its horizontal extent.
std::pair<double, double> DrawHead(QPainter &p, const MusicFont &s, Head head, double left) {
  const char32_t c = head == Head::Whole  ? kWholeNoteSymbol
                     : head == Head::Void ? kVoidHeadSymbol
                                          : kBlackHeadSymbol;
  QPainterPath path = s.symbol(c);
  if (path.isEmpty())
    path = PaintedHead(head == Head::Black);
  const QRectF b = path.boundingRect();
  FillAt(p, path, left, kHeadY - b.height() / 2);
  return {left, left + b.width()};
}

// Draws the accidental from `left`; returns its right edge (left when there is none).
double DrawAccidental(QPainter &p, const MusicFont &s, Accidental acc, double left) {
  if (acc == Accidental::None)
    return left;
  QPainterPath path = s.symbol(acc == Accidental::Sharp ? kSharpSymbol : kFlatSymbol);
  if (path.isEmpty()) {
    QFont f("DejaVu Sans");
    f.setPixelSize(16);
    path = TextPath(acc == Accidental::Sharp ? "#" : "b", f);
  }
  const QRectF b = path.boundingRect();
  // A sharp centres on the head; a flat's bowl sits on it.
  const double top =
      acc == Accidental::Sharp ? kHeadY - b.height() / 2 : kHeadY + kStaffSpace / 2 - b.height();
  FillAt(p, path, left, top);
  return left + b.width();
}

void DrawStemAndFlags(QPainter &p, const MusicFont &s, std::pair<double, double> head, bool down,
                      int flags) {
  const double x = down ? head.first : head.second - kStemWidth;
  const double y0 = down ? kHeadY + 1 : kHeadY - kStemLength;
  p.fillRect(QRectF(x, y0, kStemWidth, kStemLength - 1), Qt::black);
  if (flags == 0)
    return;
  QPainterPath flag = s.symbol(flags == 1 ? kFlag8Symbol : kFlag16Symbol);
  if (flag.isEmpty())
    flag = PaintedFlags(flags);
  if (down) {
    // Downward flags mirror the upward ones about the stem's end.
    flag = MirroredFlag(flag);
    FillAt(p, flag, x, kHeadY + kStemLength - flag.boundingRect().height());
  } else {
    FillAt(p, flag, x, y0);
  }
}

void DrawNoteCell(QPainter &p, const MusicFont &s, QPoint cell, int row, Accidental acc,
                  bool down) {
  p.save();
  p.translate(cell);
  const Head head = row == 0 ? Head::Whole : row == 96 ? Head::Void : Head::Black;
  const int flags = row == 288 ? 1 : row == 384 ? 2 : 0;
  // An accidental takes the cell's left edge and pushes the head to the right.
  const double accidentalRight = DrawAccidental(p, s, acc, 0.5);
  const double headLeft = acc == Accidental::None ? 2.0 : accidentalRight + 1.5;
  const auto extent = DrawHead(p, s, head, headLeft);
  if (head != Head::Whole)
    DrawStemAndFlags(p, s, extent, down, flags);
  p.restore();
}

void DrawRestCell(QPainter &p, const MusicFont &s, QPoint cell, int rowIndex) {
  p.save();
  p.translate(cell);
  QPainterPath path = s.symbol(kRests[static_cast<std::size_t>(rowIndex)]);
  if (path.isEmpty()) {
    path.addRect(QRectF(0, 0, 10, 5));
  }
  const QRectF b = path.boundingRect();
  double top = kRestMiddleLine - b.height() / 2;
  if (rowIndex == 0)
    top = kRestMiddleLine - kStaffSpace; // hangs from the fourth line
  else if (rowIndex == 1)
    top = kRestMiddleLine - b.height(); // sits on the middle line
  FillAt(p, path, 4, top);
  p.restore();
}

void DrawClefCell(QPainter &p, const MusicFont &s, QPoint cell) {
  p.save();
  p.translate(cell);
  QPainterPath path = s.raw(kGClefSymbol);
  // The clef's lines inside its cell (cell top at part top + 85).
  constexpr double topLine = kStaffTopLine - kClefTop;
  constexpr double bottomLine = topLine + 4 * kStaffSpace;
  if (path.isEmpty()) {
    QFont f("DejaVu Sans");
    f.setPixelSize(60);
    path.addText(0, 0, f, "G");
  }
  // About six and a half spaces tall, reaching one and a half spaces below the staff.
  path = ScaledToOrigin(path, 6.6 * kStaffSpace / path.boundingRect().height());
  const double height = path.boundingRect().height();
  FillAt(p, path, 8, bottomLine + 1.4 * kStaffSpace - height);
  p.restore();
}

} // namespace

QImage MakeGlyphSheet() {
  QImage sheet(kSheetWidth, kSheetHeight, QImage::Format_RGB32);
  sheet.fill(Qt::white);
  const MusicFont symbols;
  QPainter p(&sheet);
  p.setRenderHint(QPainter::Antialiasing);
  constexpr std::array<Accidental, 3> kAccidentals = {Accidental::None, Accidental::Sharp,
                                                      Accidental::Flat};
  for (int rowIndex = 0; rowIndex < 5; ++rowIndex) {
    const int row = rowIndex * kCellHeight;
    for (int group = 0; group < 2; ++group) { // plain lengths, then triplets
      const int base = group == 0 ? 0 : kTripletColumn;
      for (int a = 0; a < 3; ++a) {
        for (int down = 0; down < 2; ++down) {
          const QPoint cell(base + a * 96 + down * kCellWidth, row);
          if (cell == QPoint(kClefCellX, kClefCellY))
            continue;
          DrawNoteCell(p, symbols, cell, row, kAccidentals[static_cast<std::size_t>(a)], down == 1);
        }
      }
    }
    DrawRestCell(p, symbols, QPoint(kRestColumn, row), rowIndex);
  }
  DrawClefCell(p, symbols, QPoint(kClefCellX, kClefCellY));
  return sheet;
}

} // namespace pipora
