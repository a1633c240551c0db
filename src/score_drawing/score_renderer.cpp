#include "score_drawing/score_renderer.h"

#include "engraving/staff_band.h"
#include "score_drawing/engraved_drawer.h"
#include "score_drawing/glyph_sheet.h"
#include "score_drawing/raster_ops.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>

namespace pipora {
namespace {

constexpr int kLeftMargin = 64; // elements further left leave no ink on the surface

// Prints text with its top-left corner at (x, y), as the surface's Print does.
void PrintAt(QPainter &p, double x, double y, const QString &text, const QColor &color) {
  p.setPen(color);
  p.drawText(QPointF(x, y + p.fontMetrics().ascent()), text);
}

struct PartDrawer {
  QPainter &p;
  QImage &surface;
  const ScoreRenderer &r;
  const Song &song;
  const ScoreSheet &sheet;
  const ScoreViewState &view;
  int width;
  int height;

  void drawBracket(std::span<const ScoreNote> score, int j, int x, int top) {
    const StaffLabelTable &table = r.table();
    const int yb = std::min({CellTopOffset(score[j], table), CellTopOffset(score[j - 1], table),
                             CellTopOffset(score[j - 2], table)}) +
                   top;
    const double along = score[j - 1].duration / double{kTicksPerQuarter} * view.quarterWidth;
    const int x1 = RoundHalfEven(x - 2 * along);
    const int x2 = x + SpacingWidth(score[j].duration) / 2;
    p.setPen(Qt::black);
    const QPoint points[] = {{x1, yb}, {x1, yb - 10}, {x2, yb - 10}, {x2, yb}};
    p.drawPolyline(points, 4);
    PrintAt(p, x - along, yb - 24, QStringLiteral("３"), Qt::black);
  }

  void drawElement(std::span<const ScoreNote> score, const SheetRow &row, int j, int x, int top) {
    const ScoreNote &note = score[static_cast<std::size_t>(j)];
    const GlyphChoice g = ChooseGlyph(note, r.table());
    if (row.closesTripletGroup(j))
      drawBracket(score, j, x, top);
    if (!g.drawable())
      return;
    const int y = top + CellTopOffset(note, r.table());
    // Nothing of this element reaches the surface vertically.
    if (std::max(y + kCellHeight, top + kMiddleCLine + 12) < 0 ||
        std::min(y, top + kMiddleCLine - 72) >= height)
      return;
    if (g.isNote && view.isDoReMi && x > 47 && x < width) {
      const auto &label = r.table()[static_cast<std::size_t>(((note.noteNumber % 12) + 12) % 12)];
      PrintAt(p, x + 2, y + (g.stemDown ? 11 : 65), QString::fromStdString(label.label), Qt::black);
    }
    if (x < kClefMargin || x >= width)
      return;
    if (g.isNote) {
      const int right = x + 4 + std::min(g.spacing, 24);
      p.setPen(Qt::black);
      for (int offset : LedgerLineOffsets(note.noteNumber, g.staffPosition))
        p.drawLine(x - 4, top + offset, right, top + offset);
    }
    if (note.tie != 0)
      drawTie(note, x, y, g.stemDown);
    AndCopy(surface, QPoint(x, y), r.sheet(), QRect(g.column, g.row, kCellWidth, kCellHeight));
  }

  void drawTie(const ScoreNote &note, int x, int y, bool stemDown) {
    const TieArc arc = TieArcFor(note.duration, view.quarterWidth, stemDown);
    const QRectF box(x + arc.centreX - arc.radiusX, y + arc.centreY - arc.radiusY,
                     2.0 * arc.radiusX, 2.0 * arc.radiusY);
    p.setPen(Qt::black);
    p.setRenderHint(QPainter::Antialiasing, true);
    constexpr double kSixteenthsPerRadian = 180.0 * 16.0 / 3.14159265358979323846;
    p.drawArc(box, static_cast<int>(std::lround(arc.startRadians * kSixteenthsPerRadian)),
              static_cast<int>(std::lround(arc.spanRadians * kSixteenthsPerRadian)));
    p.setRenderHint(QPainter::Antialiasing, false);
  }

  void drawNotes(int part) {
    const Part &pt = song.part(part);
    const int count = pt.scoreHeader.count;
    if (count < 0 || static_cast<int>(pt.score.size()) <= count)
      return;
    const std::span<const ScoreNote> score(pt.score.data(), static_cast<std::size_t>(count) + 1);
    const SheetRow &row = sheet.row(part);
    const int top = PartTop(part, view.staffDistance, view.scrollY);
    const double leftTick =
        std::floor((view.scrollX - kLeftMargin) * double{kTicksPerQuarter} / view.quarterWidth);
    const int first =
        FirstElementAtOrAfter(pt, static_cast<int>(std::clamp(leftTick, -2.0e9, 2.0e9)));
    int pastRightEdge = 0;
    for (int j = first; j <= count; ++j) {
      const int x =
          XOfTick(score[static_cast<std::size_t>(j)].start, view.quarterWidth, view.scrollX);
      // A bracket reaches back two elements, so two elements past the edge still count.
      if (x >= width && ++pastRightEdge > 2)
        break;
      drawElement(score, row, j, x, top);
    }
  }

  void drawStaffAndBars(int part) {
    const Part &pt = song.part(part);
    const int top = PartTop(part, view.staffDistance, view.scrollY);
    p.setPen(Qt::black);
    for (int line = 0; line < 5; ++line) {
      const int y = top + kStaffTopLine + line * kStaffLineGap;
      if (y < height)
        p.drawLine(0, y, width - 1, y);
    }
    if (song.beatsPerMeasure > 0) {
      const int bar = RoundHalfEven(song.beatsPerMeasure / double{kTicksPerQuarter} *
                                    song.ticksPerBeat * view.quarterWidth);
      const long long end =
          static_cast<long long>(pt.score[static_cast<std::size_t>(pt.scoreHeader.count)].start) /
          kTicksPerQuarter * view.quarterWidth;
      const int shift = view.scrollX + view.quarterWidth / 20;
      if (bar > 0) {
        // Bars left of the clef are skipped without being visited.
        long long k = std::max<long long>(0, (kClefMargin + shift) / bar);
        for (long long u = k * bar; u <= end; u += bar, ++k) {
          const long long xb = u - shift;
          if (xb >= width)
            break;
          if (xb <= kClefMargin)
            continue;
          const bool anacrusis = pt.score[0].start != 0;
          if (view.isBar && (anacrusis || k != 0))
            p.drawLine(static_cast<int>(xb), top + kStaffTopLine, static_cast<int>(xb),
                       top + kStaffTopLine + 4 * kStaffLineGap);
          if (part == 1 && view.isBarNum) {
            const double xn = static_cast<double>(u - view.scrollX);
            PrintAt(p, xn, 1, QStringLiteral("■"), Qt::white);
            PrintAt(p, xn, 1, QString::number(k + 1), Qt::black);
            p.setPen(Qt::black);
          }
        }
      }
    }
    if (top + kClefTop < height)
      AndCopy(surface, QPoint(0, top + kClefTop), r.sheet(),
              QRect(kClefCellX, kClefCellY, kCellWidth, kCellHeight));
    PrintAt(p, 10, top + kPartLabelTop, QStringLiteral("CH %1").arg(part), Qt::black);
  }
};

QRect VerticalSpan(int x0, int x1, int top, const ScoreViewState &view) {
  QRect r(QPoint(x0, top + kCursorTop), QPoint(x1, top + kCursorBottom - 1));
  if (!view.isClassicScore && view.isBarNum)
    r.setTop(std::max(r.top(), kRulerHeight));
  return r;
}

int MarkX(const ScoreSheet &sheet, int tick, const ScoreViewState &view) {
  return RoundHalfEven(sheet.xOfTick(tick) - view.scrollX - 1);
}

} // namespace

ScoreRenderer::ScoreRenderer() : sheet_(MakeGlyphSheet()), table_(DefaultStaffLabels()) {
  font_.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                     QStringLiteral("IPAGothic")});
  font_.setPointSizeF(7.5);
}

namespace {

SheetOptions SheetOptionsOf(const ScoreViewState &view) {
  SheetOptions options;
  options.quarterWidth = view.quarterWidth;
  options.staffDistance = view.staffDistance;
  options.proportional = view.isClassicScore;
  options.labels = view.isDoReMi;
  options.paper = view.paper;
  return options;
}

} // namespace

ScoreSheet ScoreRenderer::layOut(const Song &song, const ScoreViewState &view) const {
  return ScoreSheet(song, SheetOptionsOf(view), table_, engraved_.metrics());
}

std::uint64_t ScoreRenderer::layOutInputs(const Song &song, const ScoreViewState &view) const {
  // The metrics come from the glyphs drawn once at start-up and never change.
  return SheetInputsFingerprint(song, SheetOptionsOf(view), table_);
}

void ScoreRenderer::drawNote(QImage &surface, const Song &song, ScoreViewState &view) const {
  const int width = surface.width();
  const int height = surface.height();
  if (view.isClassicScore && SongFitsWidth(song, view.quarterWidth, width))
    view.scrollX = FittedScrollOffset(song, view.quarterWidth);
  surface.fill(Qt::white);
  if (view.quarterWidth <= 0)
    return;
  std::optional<ScoreSheet> own;
  if (!view.sheet)
    own.emplace(layOut(song, view));
  const ScoreSheet &sheet = view.sheet ? *view.sheet : *own;
  if (!view.isClassicScore) {
    if (SongFitsWidth(sheet, width))
      view.scrollX = FittedScrollOffset(sheet);
    EngravedFrame frame;
    frame.scrollX = view.scrollX;
    frame.scrollY = view.scrollY;
    frame.width = width;
    frame.height = height;
    frame.ruler = view.isBarNum;
    frame.bars = view.isBar;
    frame.labels = view.isDoReMi;
    DrawEngravedScore(surface, song, sheet, frame, {engraved_, font_});
    return;
  }
  QPainter p(&surface);
  p.setFont(font_);
  PartDrawer drawer{p, surface, *this, song, sheet, view, width, height};
  for (int part = 1; part <= kUserParts; ++part)
    drawer.drawNotes(part);
  for (int part = 1; part <= kUserParts; ++part)
    drawer.drawStaffAndBars(part);
  if (view.isBarNum) {
    PrintAt(p, 10, 1, QStringLiteral("■■"), Qt::white);
    PrintAt(p, 10, 1, QStringLiteral("小節"), Qt::black);
  }
}

QRect ScoreRenderer::cursorArea(const Song &song, const ScoreViewState &view) const {
  std::optional<ScoreSheet> own;
  if (!view.sheet)
    own.emplace(layOut(song, view));
  const ScoreSheet &sheet = view.sheet ? *view.sheet : *own;
  const int part = ScoreCurrentPart(song);
  const Part &pt = song.part(part);
  const int cursor = std::clamp(pt.scoreHeader.cursor, 0, pt.scoreHeader.count);
  const int x = MarkX(sheet, pt.score[static_cast<std::size_t>(cursor)].start, view);
  return VerticalSpan(x, x, PartTop(sheet, part, view.scrollY), view);
}

QRect ScoreRenderer::selectionArea(const Song &song, const ScoreViewState &view) const {
  std::optional<ScoreSheet> own;
  if (!view.sheet)
    own.emplace(layOut(song, view));
  const ScoreSheet &sheet = view.sheet ? *view.sheet : *own;
  const int part = ScoreCurrentPart(song);
  const Part &pt = song.part(part);
  const ScoreHeader &h = pt.scoreHeader;
  const int first = std::clamp(h.selStart, 0, h.count);
  const int last = std::clamp(h.selStart + h.selLength, 0, h.count);
  const int x0 = MarkX(sheet, pt.score[static_cast<std::size_t>(first)].start, view);
  const int x1 = MarkX(sheet, pt.score[static_cast<std::size_t>(last)].start, view);
  return VerticalSpan(x0, x1 - 1, PartTop(sheet, part, view.scrollY), view);
}

quint32 ScoreRenderer::cursorMask(const ScoreViewState &view) {
  // White becomes a clear blue (0x1E64DC).
  return view.isClassicScore ? 0xFFFFFFu : 0xFFFFFFu ^ 0x1E64DCu;
}

quint32 ScoreRenderer::selectionMask(const ScoreViewState &view) {
  // White becomes a light blue (0xCCE0FF); black heads stay dark.
  return view.isClassicScore ? 0xFFFFFFu : 0xFFFFFFu ^ 0xCCE0FFu;
}

} // namespace pipora
