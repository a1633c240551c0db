#include "views/score/engraved_drawer.h"

#include "editing/engraving/engraving_layout.h"
#include "views/score/raster_ops.h"
#include "views/score/score_renderer.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QStaticText>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace pipora {
namespace {

constexpr int kStaffBottomLine = kStaffTopLine + 4 * kStaffLineGap;
constexpr int kMiddleLine = kStaffTopLine + 2 * kStaffLineGap;
const QColor kRulerColour(236, 238, 242);
const QColor kRulerEdge(190, 194, 202);

// dst &= src over the cell, only inside clip.
void AndCopyClipped(QImage &dst, QPoint at, const QImage &src, const QRect &cell,
                    const QRect &clip) {
  const QRect target = QRect(at, cell.size()).intersected(clip);
  if (target.isEmpty())
    return;
  const QPoint shift = target.topLeft() - at;
  AndCopy(dst, target.topLeft(), src, QRect(cell.topLeft() + shift, target.size()));
}

void PrintAt(QPainter &p, double x, double y, const QString &text) {
  p.drawText(QPointF(x, y + p.fontMetrics().ascent()), text);
}

EngravedGlyphs::Head HeadOf(int duration) {
  const int row = GlyphRow(duration);
  if (row == 0)
    return EngravedGlyphs::Head::Whole;
  return row == kCellHeight ? EngravedGlyphs::Head::Void : EngravedGlyphs::Head::Black;
}

struct Drawer {
  QImage &surface;
  QPainter &p;
  Song &song;
  const ScoreViewState &view;
  const EngravedScoreStyle &style;
  EngravingMetrics metrics;
  int width;
  int height;
  int rulerBottom; // staves are drawn below this line
  int notesLeft;   // right of the clef and the time signature
  int clefX;
  int timeX;
  std::array<QStaticText, 12> labels; // laid out once per redraw

  void copy(const GlyphCell &g, QPoint reference, const QRect &clip) {
    AndCopyClipped(surface, reference - g.hotspot, style.glyphs.sheet(), g.source, clip);
  }

  void drawTie(const EngravedNote &n, int duration, int top) {
    // Ties curve away from the stems, from this head to the next one.
    const TieArc arc = TieArcFor(duration, view.quarterWidth, n.stemDown);
    const double cx = n.x + arc.centreX;
    const double cy = top + n.headCentre - kHeadCentreBelowCellTop + arc.centreY;
    const QRectF box(cx - arc.radiusX, cy - arc.radiusY, 2.0 * arc.radiusX, 2.0 * arc.radiusY);
    constexpr double kSixteenthsPerRadian = 180.0 * 16.0 / std::numbers::pi;
    p.setRenderHint(QPainter::Antialiasing, true);
    p.drawArc(box, static_cast<int>(std::lround(arc.startRadians * kSixteenthsPerRadian)),
              static_cast<int>(std::lround(arc.spanRadians * kSixteenthsPerRadian)));
    p.setRenderHint(QPainter::Antialiasing, false);
  }

  void drawNote(const EngravedNote &n, const ScoreNote &s, int top, const QRect &clip) {
    const int head = top + n.headCentre;
    const int headRight = static_cast<int>(std::lround(n.x + metrics.headLeft + metrics.headWidth));
    for (int offset : LedgerLineOffsets(s.noteNumber, n.staffPosition))
      p.drawLine(n.x + static_cast<int>(metrics.headLeft) - 4, top + offset, headRight + 3,
                 top + offset);
    copy(style.glyphs.head(HeadOf(s.duration)), QPoint(n.x, head), clip);
    if (n.accidental != Accidental::None)
      copy(style.glyphs.accidental(n.accidental),
           QPoint(static_cast<int>(std::lround(n.accidentalLeft)), head), clip);
    if (n.hasStem) {
      const double from = n.stemDown ? head + 2 : head - 2;
      const double to = top + n.stemTip;
      p.fillRect(QRectF(n.stemX, std::min(from, to), metrics.stemWidth, std::abs(to - from)),
                 Qt::black);
      if (n.flags > 0)
        copy(style.glyphs.flag(n.flags, n.stemDown),
             QPoint(static_cast<int>(std::lround(n.stemX)), static_cast<int>(std::lround(to))),
             clip);
    }
    if (s.tie != 0)
      drawTie(n, s.duration, top);
  }

  void drawBeams(const EngravedPart &part, int top) {
    p.setRenderHint(QPainter::Antialiasing, true);
    for (const BeamLine &b : part.beams) {
      const double t = b.downward ? metrics.beamThickness : -metrics.beamThickness;
      const QPointF poly[] = {
          {b.x0, top + b.y0}, {b.x1, top + b.y1}, {b.x1, top + b.y1 + t}, {b.x0, top + b.y0 + t}};
      QPainterPath path;
      path.addPolygon(QPolygonF(std::begin(poly), std::end(poly)).toList());
      path.closeSubpath();
      p.fillPath(path, Qt::black);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    for (const TupletMark &t : part.tuplets) {
      const int y = top + t.y;
      const int hook = top + t.hookY;
      const int x0 = static_cast<int>(std::lround(t.x0));
      const int x1 = static_cast<int>(std::lround(t.x1));
      const int mid = static_cast<int>(std::lround(t.numeralX));
      // The line breaks for the numeral in its middle.
      p.drawLine(x0, hook, x0, y);
      p.drawLine(x0, y, mid - 5, y);
      p.drawLine(mid + 5, y, x1, y);
      p.drawLine(x1, y, x1, hook);
      PrintAt(p, mid - 3, y - p.fontMetrics().ascent() / 2 - 1, QStringLiteral("3"));
    }
  }

  // Calls draw(k, tick, x) for each bar line of a part that falls on the surface.
  template <typename F> void forEachBar(const Part &pt, F draw) const {
    if (song.beatsPerMeasure <= 0)
      return;
    const int bar = RoundHalfEven(song.beatsPerMeasure / double{kTicksPerQuarter} *
                                  song.ticksPerBeat * view.quarterWidth);
    if (bar <= 0)
      return;
    const long long end =
        static_cast<long long>(pt.score[static_cast<std::size_t>(pt.scoreHeader.count)].start) /
        kTicksPerQuarter * view.quarterWidth;
    const int shift = view.scrollX + view.quarterWidth / 20;
    long long k = std::max<long long>(0, (kClefMargin + shift) / bar);
    for (long long u = k * bar; u <= end; u += bar, ++k) {
      const long long xb = u - shift;
      if (xb >= width)
        break;
      if (xb > kClefMargin)
        draw(k, static_cast<int>(k * song.measureTicks()), static_cast<double>(xb),
             static_cast<double>(u - view.scrollX));
    }
  }

  void drawTimeSignature(int top, const QRect &clip) {
    const auto sig = TimeSignatureOf(song);
    if (!sig)
      return;
    auto number = [&](int value, int centre) {
      const QString text = QString::number(value);
      int x = timeX;
      for (QChar c : text) {
        copy(style.glyphs.digit(c.digitValue()), QPoint(x, top + centre), clip);
        x += style.glyphs.digitWidth() + 1;
      }
    };
    number(sig->beats, kStaffTopLine + kStaffLineGap);
    number(sig->unit, kMiddleLine + kStaffLineGap);
  }

  void drawPart(int partNumber) {
    Part &pt = song.part(partNumber);
    const int count = pt.scoreHeader.count;
    if (count < 0 || static_cast<int>(pt.score.size()) <= count)
      return;
    const int top = PartTop(partNumber, view.staffDistance, view.scrollY);
    const StaffBand band = BandOf(view.staffDistance);
    const QRect bandRect = QRect(0, top + band.top, width, band.bottom - band.top)
                               .intersected(QRect(0, rulerBottom, width, height - rulerBottom));
    if (bandRect.isEmpty())
      return;
    p.setClipRect(bandRect);
    p.setPen(Qt::black);
    for (int line = 0; line < 5; ++line) {
      const int y = top + kStaffTopLine + line * kStaffLineGap;
      p.drawLine(0, y, width - 1, y);
    }
    AndCopyClipped(surface, QPoint(clefX, top + kClefTop), style.classicSheet,
                   QRect(kClefCellX, kClefCellY, kCellWidth, kCellHeight), bandRect);
    drawTimeSignature(top, bandRect);
    p.setFont(style.font);
    PrintAt(p, 10, top + kPartLabelTop, QStringLiteral("CH %1").arg(partNumber));

    EngravingView ev;
    ev.quarterWidth = view.quarterWidth;
    ev.staffDistance = view.staffDistance;
    ev.scrollX = view.scrollX;
    ev.width = width;
    ev.labels = view.isDoReMi;
    const EngravedPart part = LayOutPart(song, partNumber, ev, style.table, metrics);

    if (view.isBar)
      forEachBar(pt, [&](long long k, int tick, double xb, double) {
        if (pt.score[0].start == 0 && k == 0)
          return;
        const int x = static_cast<int>(std::lround(BarLineX(part, tick, xb, metrics)));
        if (x > notesLeft)
          p.drawLine(x, top + kStaffTopLine, x, top + kStaffBottomLine);
      });

    const QRect notesClip = bandRect.intersected(QRect(notesLeft, 0, width - notesLeft, height));
    if (notesClip.isEmpty() || part.notes.empty())
      return;
    p.setClipRect(notesClip);
    // The bracket flags the classic drawing keeps in the score list.
    std::vector<ScoreNote> &score = pt.score;
    PrimeTripletBrackets(score, part.notes.front().index);
    for (const EngravedNote &n : part.notes)
      MarkTripletBracket(score, n.index);

    for (const EngravedNote &n : part.notes) {
      const ScoreNote &s = score[static_cast<std::size_t>(n.index)];
      const int row = GlyphRow(s.duration);
      if (row < 0)
        continue;
      if (n.isNote)
        drawNote(n, s, top, notesClip);
      else
        AndCopyClipped(surface, QPoint(n.x, top + kRestCellTop), style.classicSheet,
                       QRect(kRestColumn, row, kCellWidth, kCellHeight), notesClip);
      if (n.labelShown)
        p.drawStaticText(QPointF(n.labelX, top + band.labelTop),
                         labels[static_cast<std::size_t>(((s.noteNumber % 12) + 12) % 12)]);
    }
    drawBeams(part, top);
  }

  void drawRuler() {
    p.setClipping(false);
    p.fillRect(QRect(0, 0, width, kRulerHeight), kRulerColour);
    p.setPen(kRulerEdge);
    p.drawLine(0, kRulerHeight - 1, width - 1, kRulerHeight - 1);
    p.setPen(Qt::black);
    p.setFont(style.font);
    const Part &first = song.part(1);
    forEachBar(first, [&](long long k, int, double, double xn) {
      if (xn > 48)
        PrintAt(p, xn + 2, 1, QString::number(k + 1));
    });
    p.fillRect(QRect(0, 0, 48, kRulerHeight - 1), kRulerColour);
    PrintAt(p, 10, 1, QStringLiteral("小節"));
  }
};

} // namespace

void DrawEngravedScore(QImage &surface, Song &song, const ScoreViewState &view,
                       const EngravedScoreStyle &style) {
  QPainter p(&surface);
  p.setFont(style.font);
  Drawer d{surface,
           p,
           song,
           view,
           style,
           style.glyphs.metrics(),
           surface.width(),
           surface.height(),
           view.isBarNum ? kRulerHeight : 0,
           0,
           0,
           0,
           {}};
  const QFontMetrics fm(style.font);
  for (std::size_t c = 0; c < 12; ++c) {
    const QString label = QString::fromStdString(style.table[c].label);
    d.metrics.labelWidth[c] = fm.horizontalAdvance(label);
    d.labels[c].setText(label);
    d.labels[c].setTextFormat(Qt::PlainText);
    d.labels[c].prepare(QTransform(), style.font);
  }
  // The clef moves to the left edge to leave room for the time signature before tick 0.
  const int clefLeftInk = 8;
  d.clefX = -clefLeftInk + 1;
  d.timeX = d.clefX + style.glyphs.clefRight() + 2;
  d.notesLeft = std::min(kClefMargin - 2, d.timeX + style.glyphs.digitWidth() + 1);
  for (int part = 1; part <= kUserParts; ++part)
    d.drawPart(part);
  if (view.isBarNum)
    d.drawRuler();
}

} // namespace pipora
