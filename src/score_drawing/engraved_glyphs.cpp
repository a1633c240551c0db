#include "score_drawing/engraved_glyphs.h"

#include "score_drawing/music_symbols.h"

#include <QFont>
#include <QPainter>
#include <QRawFont>

#include <algorithm>
#include <array>
#include <cmath>

namespace pipora {
namespace {

constexpr double kStaffSpace = kSymbolStaffSpace;
constexpr double kHeadY = kHeadCentreBelowCellTop;
constexpr int kColumns = 27;
constexpr int kFlagColumn = 6; // four flags: 8th up, 16th up, 8th down, 16th down
constexpr int kDigitColumn = 10;
constexpr int kRestSymbolColumn = 20; // whole to sixteenth
constexpr int kClefColumn = 25;       // treble, bass
constexpr double kTopLineInCell = kHeadCentreBelowCellTop - 2 * kSymbolStaffSpace;
constexpr std::array<char32_t, 5> kRestSymbols = {0x1D13B, 0x1D13C, 0x1D13D, 0x1D13E, 0x1D13F};
constexpr char32_t kFClefSymbol = 0x1D122;
// Where a flag meets its stem inside its cell.
constexpr QPoint kUpAnchor(1, 4);
constexpr QPoint kDownAnchor(1, 92);

constexpr double kDigitHeight = 22;

QPoint Cell(int column) {
  return {column * kCellWidth, 0};
}

int FlagColumn(int flags, bool stemDown) {
  return kFlagColumn + (stemDown ? 2 : 0) + (flags >= 2 ? 1 : 0);
}

} // namespace

int InkRight(const QImage &image, const QRect &cell) {
  int right = cell.left();
  for (int y = cell.top(); y <= cell.bottom(); ++y) {
    const auto *line = reinterpret_cast<const quint32 *>(image.constScanLine(y));
    for (int x = cell.right(); x > right; --x)
      if ((line[x] & 0x00FFFFFFu) != 0x00FFFFFFu) {
        right = x;
        break;
      }
  }
  return right;
}

EngravedGlyphs::EngravedGlyphs()
    : sheet_(kColumns * kCellWidth, kCellHeight, QImage::Format_RGB32), outlines_(kColumns),
      glyphs_(kColumns) {
  sheet_.fill(Qt::white);
  const MusicFont font;
  QPainter p(&sheet_);
  p.setRenderHint(QPainter::Antialiasing);
  // `symbol`: the path as a font's glyph, when it is one.
  auto fill = [&](const QPainterPath &path, QPointF at, const FontSymbol &symbol = {}) {
    const QPainterPath placed = path.translated(at);
    p.fillPath(placed, Qt::black);
    const std::size_t column = static_cast<std::size_t>(at.x() / kCellWidth);
    if (column < outlines_.size()) {
      outlines_[column].addPath(placed);
      if (symbol.valid())
        glyphs_[column] = {symbol, at};
    }
  };
  // A font's symbol, else the painted one.
  auto pathOf = [](const FontSymbol &symbol, const QPainterPath &painted) {
    return symbol.valid() ? symbol.path() : painted;
  };

  // Heads: their width sets where stems stand.
  const std::array<std::pair<Head, char32_t>, 3> heads = {{{Head::Whole, kWholeNoteSymbol},
                                                           {Head::Void, kVoidHeadSymbol},
                                                           {Head::Black, kBlackHeadSymbol}}};
  for (const auto &[head, c] : heads) {
    const FontSymbol symbol = font.glyph(c);
    const QPainterPath path = pathOf(symbol, PaintedHead(head == Head::Black));
    const QRectF b = path.boundingRect();
    fill(path,
         QPointF(Cell(static_cast<int>(head))) +
             QPointF(metrics_.headLeft, kHeadY - b.height() / 2),
         symbol);
    if (head == Head::Black)
      metrics_.headWidth = b.width();
  }

  QFont fallback(QStringLiteral("DejaVu Sans"));
  fallback.setPixelSize(16);
  const std::array<std::tuple<Accidental, char32_t, const char *>, 3> accidentals = {
      {{Accidental::Sharp, kSharpSymbol, "#"},
       {Accidental::Flat, kFlatSymbol, "b"},
       {Accidental::Natural, kNaturalSymbol, "n"}}};
  for (const auto &[a, c, text] : accidentals) {
    const FontSymbol symbol = font.glyph(c);
    const QPainterPath path = pathOf(symbol, TextPath(QString::fromLatin1(text), fallback));
    const QRectF b = path.boundingRect();
    // A flat's bowl sits on the note's line or space; sharps and naturals centre on it.
    const double top =
        a == Accidental::Flat ? kHeadY + kStaffSpace / 2 - b.height() : kHeadY - b.height() / 2;
    fill(path, QPointF(Cell(2 + static_cast<int>(a))) + QPointF(0, top), symbol);
    metrics_.accidentalWidth[static_cast<std::size_t>(a)] = static_cast<int>(std::ceil(b.width()));
    metrics_.keyStep =
        std::max(metrics_.keyStep, metrics_.accidentalWidth[static_cast<std::size_t>(a)] + 1);
  }

  for (int down = 0; down < 2; ++down) {
    for (int flags = 1; flags <= 2; ++flags) {
      FontSymbol symbol = font.glyph(flags == 1 ? kFlag8Symbol : kFlag16Symbol);
      QPainterPath path = pathOf(symbol, PaintedFlags(flags));
      const QPoint cell = Cell(FlagColumn(flags, down == 1));
      const QPoint anchor = down == 1 ? kDownAnchor : kUpAnchor;
      if (down == 1) {
        // Downward flags mirror the upward ones; they rise from the stem's lower end.
        path = MirroredFlag(path);
        symbol = Mirrored(symbol);
        fill(path, QPointF(cell + anchor) - QPointF(0, path.boundingRect().height()), symbol);
      } else {
        fill(path, QPointF(cell + anchor), symbol);
      }
    }
  }

  // Time signature digits, nearly two staff spaces tall each.
  QFont digits(QStringLiteral("DejaVu Serif Condensed"));
  digits.setBold(true);
  digits.setPixelSize(30);
  digitWidth_ = 0;
  const QRawFont digitFont = QRawFont::fromFont(digits);
  for (int d = 0; d <= 9; ++d) {
    const char32_t c = U'0' + static_cast<char32_t>(d);
    FontSymbol symbol = SymbolOf(digitFont, c, 1.0);
    const QPainterPath text = symbol.valid() ? symbol.path() : TextPath(QString::number(d), digits);
    const double factor = kDigitHeight / text.boundingRect().height();
    symbol = SymbolOf(digitFont, c, factor);
    const QPainterPath path = pathOf(symbol, ScaledToOrigin(text, factor));
    fill(path, QPointF(Cell(kDigitColumn + d)) + QPointF(0, kHeadY - kDigitHeight / 2), symbol);
    digitWidth_ = std::max(digitWidth_, static_cast<int>(std::ceil(path.boundingRect().width())));
  }
  metrics_.digitWidth = digitWidth_;
  // Rests about the middle line: the whole rest hangs from the fourth line, the half sits on
  // the middle one.
  for (int row = 0; row < 5; ++row) {
    const FontSymbol symbol = font.glyph(kRestSymbols[static_cast<std::size_t>(row)]);
    QPainterPath block;
    block.addRect(QRectF(0, 0, 10, 5));
    const QPainterPath path = pathOf(symbol, block);
    const QRectF b = path.boundingRect();
    double top = kHeadY - b.height() / 2;
    if (row == 0)
      top = kHeadY - kStaffSpace;
    else if (row == 1)
      top = kHeadY - b.height();
    fill(path, QPointF(Cell(kRestSymbolColumn + row)) + QPointF(4, top), symbol);
  }
  // The treble clef curls round the second line and reaches one and a half spaces below the
  // staff; the bass clef's dots sit either side of the fourth line.
  // A clef `spaces` staff spaces tall, from the music font or a letter.
  auto clef = [&](char32_t c, const char *letter, double spaces) {
    QPainterPath raw = font.raw(c);
    const bool fromFont = !raw.isEmpty();
    if (!fromFont)
      raw = TextPath(QString::fromLatin1(letter), fallback);
    const double factor = spaces * kStaffSpace / raw.boundingRect().height();
    const FontSymbol symbol = fromFont ? SymbolOf(font.font(), c, factor) : FontSymbol{};
    return std::pair{pathOf(symbol, ScaledToOrigin(raw, factor)), symbol};
  };
  const auto [g, gSymbol] = clef(kGClefSymbol, "G", 6.6);
  fill(g,
       QPointF(Cell(kClefColumn)) +
           QPointF(4, kTopLineInCell + 5.4 * kStaffSpace - g.boundingRect().height()),
       gSymbol);
  const auto [f, fSymbol] = clef(kFClefSymbol, "F", 3.3);
  fill(f, QPointF(Cell(kClefColumn + 1)) + QPointF(4, kTopLineInCell - 1), fSymbol);
  p.end();
}

// Only the inked neighbourhood of each symbol is copied.
GlyphCell EngravedGlyphs::head(Head head) const {
  const QPoint cell = Cell(static_cast<int>(head));
  const int width = static_cast<int>(std::ceil(metrics_.headLeft + metrics_.headWidth)) + 2;
  return {QRect(cell.x(), kHeadCentreBelowCellTop - 9, width, 19), QPoint(0, 9)};
}

GlyphCell EngravedGlyphs::accidental(Accidental a) const {
  const QPoint cell = Cell(2 + static_cast<int>(a));
  const int width = metrics_.accidentalWidth[static_cast<std::size_t>(a)] + 2;
  return {QRect(cell.x(), kHeadCentreBelowCellTop - 24, width, 44), QPoint(0, 24)};
}

GlyphCell EngravedGlyphs::flag(int flags, bool stemDown) const {
  const QPoint cell = Cell(FlagColumn(flags, stemDown));
  if (stemDown)
    return {QRect(cell.x(), kDownAnchor.y() - 44, 20, 46), QPoint(kDownAnchor.x(), 44)};
  return {QRect(cell.x(), 0, 20, 46), kUpAnchor};
}

GlyphCell EngravedGlyphs::digit(int digit) const {
  const QPoint cell = Cell(kDigitColumn + std::clamp(digit, 0, 9));
  const int half = static_cast<int>(kDigitHeight / 2) + 2;
  return {QRect(cell.x(), kHeadCentreBelowCellTop - half, digitWidth_ + 2, 2 * half + 1),
          QPoint(0, half)};
}

GlyphCell EngravedGlyphs::rest(int rowIndex) const {
  return {
      QRect(Cell(kRestSymbolColumn + std::clamp(rowIndex, 0, 4)), QSize(kCellWidth, kCellHeight)),
      QPoint(0, static_cast<int>(kTopLineInCell))};
}

GlyphCell EngravedGlyphs::clef(Clef clef) const {
  const int column = kClefColumn + (clef == Clef::Bass ? 1 : 0);
  return {QRect(Cell(column), QSize(kCellWidth, kCellHeight)),
          QPoint(0, static_cast<int>(kTopLineInCell))};
}

std::optional<std::pair<FontSymbol, QPointF>> EngravedGlyphs::glyph(const GlyphCell &cell) const {
  const std::size_t column = static_cast<std::size_t>(cell.source.x() / kCellWidth);
  if (column >= glyphs_.size() || !glyphs_[column].first.valid())
    return std::nullopt;
  const auto &[symbol, ink] = glyphs_[column];
  return std::pair{symbol, ink - QPointF(cell.source.topLeft() + cell.hotspot)};
}

QPainterPath EngravedGlyphs::outline(const GlyphCell &cell) const {
  const std::size_t column = static_cast<std::size_t>(cell.source.x() / kCellWidth);
  if (column >= outlines_.size())
    return {};
  return outlines_[column].translated(-QPointF(cell.source.topLeft() + cell.hotspot));
}

} // namespace pipora
