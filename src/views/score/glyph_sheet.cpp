#include "views/score/glyph_sheet.h"

#include "editing/score_geometry.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>

#include <array>

namespace pipora {
namespace {

// Unicode musical symbols.
constexpr char32_t kWholeNote = 0x1D15D;
constexpr char32_t kVoidHead = 0x1D157;
constexpr char32_t kBlackHead = 0x1D158;
constexpr char32_t kFlag8 = 0x1D16E;
constexpr char32_t kFlag16 = 0x1D16F;
constexpr char32_t kGClef = 0x1D11E;
constexpr char32_t kSharp = 0x266F;
constexpr char32_t kFlat = 0x266D;
constexpr std::array<char32_t, 5> kRests = {0x1D13B, 0x1D13C, 0x1D13D, 0x1D13E, 0x1D13F};

constexpr double kStaffSpace = 12.0;
constexpr double kHeadY = kHeadCentreBelowCellTop;
constexpr double kStemLength = 3.5 * kStaffSpace;
constexpr double kStemWidth = 1.3;
// Staff lines as they fall inside a rest cell (cell top at part top + 76).
constexpr double kRestMiddleLine = 48.0;

enum class Head { Whole, Void, Black };
enum class Accidental { None, Sharp, Flat };

struct Symbols {
  QRawFont font;
  double scale = 1.0; // font units to pixels, from the black head's height

  QPainterPath raw(char32_t c) const {
    if (!font.isValid())
      return {};
    const QList<quint32> glyphs = font.glyphIndexesForString(QString::fromUcs4(&c, 1));
    if (glyphs.isEmpty() || glyphs.first() == 0)
      return {};
    return font.pathForGlyph(glyphs.first());
  }

  // The symbol at the common scale, its bounding box's top-left at the origin.
  QPainterPath scaled(char32_t c) const {
    QPainterPath p = raw(c);
    if (p.isEmpty())
      return p;
    QTransform t;
    t.scale(scale, scale);
    p = t.map(p);
    const QRectF b = p.boundingRect();
    return p.translated(-b.topLeft());
  }
};

Symbols LoadSymbols() {
  Symbols s;
  QFont music("Noto Music");
  music.setPixelSize(100);
  s.font = QRawFont::fromFont(music);
  const QPainterPath head = s.raw(kBlackHead);
  if (!head.isEmpty())
    s.scale = kStaffSpace / head.boundingRect().height();
  return s;
}

void FillAt(QPainter &p, const QPainterPath &path, double left, double top) {
  p.fillPath(path.translated(left, top), Qt::black);
}

// Draws a head with its centre at (cx, kHeadY); returns its horizontal extent.
std::pair<double, double> DrawHead(QPainter &p, const Symbols &s, Head head, double left) {
  const char32_t c = head == Head::Whole ? kWholeNote : head == Head::Void ? kVoidHead : kBlackHead;
  QPainterPath path = s.scaled(c);
  if (path.isEmpty()) {
    // Painted fallback: a slanted ellipse, hollow for half and whole notes.
    QPainterPath outer;
    outer.addEllipse(QRectF(0, 0, 14, 11));
    if (head != Head::Black) {
      QPainterPath inner;
      inner.addEllipse(QRectF(4, 2.5, 6, 6));
      outer = outer.subtracted(inner);
    }
    path = outer;
  }
  const QRectF b = path.boundingRect();
  FillAt(p, path, left, kHeadY - b.height() / 2);
  return {left, left + b.width()};
}

// Draws the accidental from `left`; returns its right edge (left when there is none).
double DrawAccidental(QPainter &p, const Symbols &s, Accidental acc, double left) {
  if (acc == Accidental::None)
    return left;
  QPainterPath path = s.scaled(acc == Accidental::Sharp ? kSharp : kFlat);
  if (path.isEmpty()) {
    QFont f("DejaVu Sans");
    f.setPixelSize(16);
    path.addText(0, 0, f, acc == Accidental::Sharp ? "#" : "b");
    path = path.translated(-path.boundingRect().topLeft());
  }
  const QRectF b = path.boundingRect();
  // A sharp centres on the head; a flat's bowl sits on it.
  const double top =
      acc == Accidental::Sharp ? kHeadY - b.height() / 2 : kHeadY + kStaffSpace / 2 - b.height();
  FillAt(p, path, left, top);
  return left + b.width();
}

void DrawStemAndFlags(QPainter &p, const Symbols &s, std::pair<double, double> head, bool down,
                      int flags) {
  const double x = down ? head.first : head.second - kStemWidth;
  const double y0 = down ? kHeadY + 1 : kHeadY - kStemLength;
  p.fillRect(QRectF(x, y0, kStemWidth, kStemLength - 1), Qt::black);
  if (flags == 0)
    return;
  QPainterPath flag = s.scaled(flags == 1 ? kFlag8 : kFlag16);
  if (flag.isEmpty()) {
    for (int i = 0; i < flags; ++i) {
      QPainterPath f;
      f.moveTo(0, i * 7);
      f.cubicTo(2, i * 7 + 6, 9, i * 7 + 9, 7, i * 7 + 18);
      f.cubicTo(8, i * 7 + 11, 3, i * 7 + 8, 0, i * 7 + 5);
      flag.addPath(f);
    }
  }
  if (down) {
    // Downward flags mirror the upward ones about the stem's end.
    QTransform mirror;
    mirror.scale(1, -1);
    flag = mirror.map(flag);
    flag = flag.translated(-flag.boundingRect().topLeft());
    FillAt(p, flag, x, kHeadY + kStemLength - flag.boundingRect().height());
  } else {
    FillAt(p, flag, x, y0);
  }
}

void DrawNoteCell(QPainter &p, const Symbols &s, QPoint cell, int row, Accidental acc, bool down) {
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

void DrawRestCell(QPainter &p, const Symbols &s, QPoint cell, int rowIndex) {
  p.save();
  p.translate(cell);
  QPainterPath path = s.scaled(kRests[static_cast<std::size_t>(rowIndex)]);
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

void DrawClefCell(QPainter &p, const Symbols &s, QPoint cell) {
  p.save();
  p.translate(cell);
  QPainterPath path = s.raw(kGClef);
  // The clef's lines inside its cell (cell top at part top + 85).
  constexpr double topLine = kStaffTopLine - kClefTop;
  constexpr double bottomLine = topLine + 4 * kStaffSpace;
  if (path.isEmpty()) {
    QFont f("DejaVu Sans");
    f.setPixelSize(60);
    path.addText(0, 0, f, "G");
  }
  // About six and a half spaces tall, reaching one and a half spaces below the staff.
  const QRectF raw = path.boundingRect();
  const double k = 6.6 * kStaffSpace / raw.height();
  QTransform t;
  t.scale(k, k);
  path = t.map(path);
  path = path.translated(-path.boundingRect().topLeft());
  const double height = path.boundingRect().height();
  FillAt(p, path, 8, bottomLine + 1.4 * kStaffSpace - height);
  p.restore();
}

} // namespace

QImage MakeGlyphSheet() {
  QImage sheet(kSheetWidth, kSheetHeight, QImage::Format_RGB32);
  sheet.fill(Qt::white);
  const Symbols symbols = LoadSymbols();
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
