#include "score_drawing/engraved_drawer.h"

#include "engraving/engraving_layout.h"
#include "engraving/key_signature.h"
#include "score_drawing/raster_ops.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <QStaticText>

#include <algorithm>
#include <array>
#include <cmath>

namespace pipora {
namespace {

constexpr int kStaffBottomLine = kStaffTopLine + 4 * kStaffLineGap;
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
  QImage *surface; // null when drawing onto a page painter
  QPainter &p;
  const Song &song;
  const ScoreSheet &sheet;
  const EngravedFrame &frame;
  const EngravedScoreStyle &style;
  EngravingMetrics metrics;
  int rulerBottom;                    // staves are drawn below this line
  std::array<QStaticText, 12> labels; // laid out once per redraw
  QRect clip;

  void copy(const GlyphCell &g, QPointF reference) {
    if (surface) {
      AndCopyClipped(*surface,
                     QPoint(static_cast<int>(std::lround(reference.x())),
                            static_cast<int>(std::lround(reference.y()))) -
                         g.hotspot,
                     style.glyphs.sheet(), g.source, clip);
      return;
    }
    if (const auto glyph = style.glyphs.glyph(g)) {
      drawGlyph(glyph->first, reference + glyph->second);
      return;
    }
    fill(style.glyphs.outline(g).translated(reference));
  }

  // A font's glyph as text, its ink's top-left at `ink`; drawn whole when its middle lies in
  // the clip, since text is not cut to it.
  void drawGlyph(const FontSymbol &symbol, QPointF ink) {
    if (!QRectF(clip).contains(QRectF(ink, symbol.inkSize).center()))
      return;
    QGlyphRun run;
    run.setRawFont(symbol.font);
    run.setGlyphIndexes({symbol.index});
    run.setPositions({QPointF(0, 0)});
    if (!symbol.mirrored) {
      p.drawGlyphRun(ink + symbol.origin, run);
      return;
    }
    p.save();
    p.translate(ink + symbol.origin);
    p.scale(1, -1);
    p.drawGlyphRun(QPointF(0, 0), run);
    p.restore();
  }

  // Some vector devices (SVG) ignore the clip, so outlines are cut to it here.
  void fill(const QPainterPath &path) {
    if (!surface) {
      const QRectF box = path.boundingRect();
      const QRectF area(clip);
      if (!area.intersects(box))
        return;
      if (!area.contains(box)) {
        QPainterPath cut;
        cut.addRect(area);
        p.fillPath(path.intersected(cut), Qt::black);
        return;
      }
    }
    p.fillPath(path, Qt::black);
  }

  bool inClip(double x) const { return surface || (x >= clip.left() && x <= clip.right()); }

  void setClip(const QRect &r) {
    clip = r;
    p.setClipRect(r);
  }

  void drawTie(const EngravedNote &n, const ScoreNote &s, int top) {
    // Ties curve away from the stems, from this head to the next one.
    const double from = n.x + metrics.headLeft + metrics.headWidth - 2;
    const double to = sheet.xOfTick(s.start + s.duration) - frame.scrollX + metrics.headLeft + 2;
    const double width = std::max(8.0, to - from);
    const double y = top + n.headCentre + (n.stemDown ? -5 : 5);
    const double bow = std::min(8.0, 2 + width / 10) * (n.stemDown ? -1 : 1);
    QPainterPath path(QPointF(from, y));
    path.cubicTo(from + width / 4, y + bow, from + 3 * width / 4, y + bow, from + width, y);
    path.cubicTo(from + 3 * width / 4, y + bow * 0.7, from + width / 4, y + bow * 0.7, from, y);
    p.setRenderHint(QPainter::Antialiasing, true);
    fill(path);
    p.setRenderHint(QPainter::Antialiasing, false);
  }

  // Lines are level or upright; on vector pages they are cut to the clip.
  void line(double x0, double y0, double x1, double y1) {
    if (!surface) {
      const QRectF area(QRect(clip.left(), clip.top(), clip.width() - 1, clip.height() - 1));
      if (std::max(x0, x1) < area.left() || std::min(x0, x1) > area.right() ||
          std::max(y0, y1) < area.top() || std::min(y0, y1) > area.bottom())
        return;
      x0 = std::clamp(x0, area.left(), area.right());
      x1 = std::clamp(x1, area.left(), area.right());
      y0 = std::clamp(y0, area.top(), area.bottom());
      y1 = std::clamp(y1, area.top(), area.bottom());
    }
    p.drawLine(QPointF(x0, y0), QPointF(x1, y1));
  }

  void drawNote(const EngravedNote &n, const ScoreNote &s, int top, Clef clef) {
    const int head = top + n.headCentre;
    const double headRight = n.x + metrics.headLeft + metrics.headWidth;
    for (int offset : LedgerLines(n.staffPosition, clef))
      line(n.x + metrics.headLeft - 4, top + offset, headRight + 3, top + offset);
    copy(style.glyphs.head(HeadOf(s.duration)), QPointF(n.x, head));
    if (n.accidental != Accidental::None)
      copy(style.glyphs.accidental(n.accidental), QPointF(std::round(n.accidentalLeft), head));
    if (n.hasStem) {
      const double from = n.stemDown ? head + 2 : head - 2;
      const double to = top + n.stemTip;
      const QRectF stem(n.stemX, std::min(from, to), metrics.stemWidth, std::abs(to - from));
      if (surface) {
        p.fillRect(stem, Qt::black);
      } else {
        QPainterPath outline;
        outline.addRect(stem);
        fill(outline);
      }
      if (n.flags > 0)
        copy(style.glyphs.flag(n.flags, n.stemDown), QPointF(std::round(n.stemX), std::round(to)));
    }
    if (s.tie != 0)
      drawTie(n, s, top);
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
      fill(path);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    for (const TupletMark &t : part.tuplets) {
      const double y = top + t.y;
      const double hook = top + t.hookY;
      const double mid = std::round(t.numeralX);
      // The line breaks for the numeral in its middle.
      line(t.x0, hook, t.x0, y);
      line(t.x0, y, mid - 5, y);
      line(mid + 5, y, t.x1, y);
      line(t.x1, y, t.x1, hook);
      if (inClip(mid))
        PrintAt(p, mid - 3, y - p.fontMetrics().ascent() / 2.0 - 1, QStringLiteral("3"));
    }
  }

  // Calls draw(measure, tick, x) for each bar line of a part that falls in the frame.
  template <typename F> void forEachBar(const Part &pt, F draw) const {
    const int measure = song.measureTicks();
    if (measure <= 0)
      return;
    const long long end = pt.score[static_cast<std::size_t>(pt.scoreHeader.count)].start;
    long long k = std::max(0, sheet.tickAtX(frame.scrollX) / measure - 1);
    for (; k * measure <= end; ++k) {
      const int tick = static_cast<int>(k * measure);
      const double x = sheet.barLineX(tick) - frame.scrollX;
      if (x >= frame.width)
        break;
      draw(k, tick, x);
    }
  }

  void drawTimeSignature(int top) {
    const auto sig = TimeSignatureOf(song);
    if (!sig)
      return;
    auto number = [&](int value, int centre) {
      const QString text = QString::number(value);
      double x = sheet.timeX();
      for (QChar c : text) {
        copy(style.glyphs.digit(c.digitValue()), QPointF(x, top + centre));
        x += style.glyphs.digitWidth() + 1;
      }
    };
    number(sig->beats, kStaffTopLine + kStaffLineGap);
    number(sig->unit, kStaffTopLine + 3 * kStaffLineGap);
  }

  void drawRowStart(int top, Clef clef) {
    copy(style.glyphs.clef(clef), QPointF(0, top + kStaffTopLine));
    double x = sheet.keyX();
    const Accidental sign = sheet.key().fifths > 0 ? Accidental::Sharp : Accidental::Flat;
    for (double position : KeySignaturePositions(sheet.key().fifths, clef)) {
      copy(style.glyphs.accidental(sign), QPointF(x, top + HeadCentreOf(position, clef)));
      x += metrics.keyStep;
    }
    if (frame.timeSignature)
      drawTimeSignature(top);
  }

  void drawPart(int partNumber) {
    const Part &pt = song.part(partNumber);
    const int count = pt.scoreHeader.count;
    const SheetRow &row = sheet.row(partNumber);
    if (!row.shown || count < 0 || static_cast<int>(pt.score.size()) <= count)
      return;
    const int top = row.top - frame.scrollY;
    const StaffBand &band = row.band;
    const QRect bandRect =
        QRect(0, top + band.top, frame.width, band.bottom - band.top)
            .intersected(QRect(0, rulerBottom, frame.width, frame.height - rulerBottom));
    if (bandRect.isEmpty())
      return;
    setClip(bandRect);
    p.setPen(QPen(Qt::black, 1));
    for (int line = 0; line < 5; ++line) {
      const int y = top + kStaffTopLine + line * kStaffLineGap;
      this->line(0, y, frame.width - 1, y);
    }
    drawRowStart(top, row.clef);
    p.setFont(style.font);
    PrintAt(p, 2, top + band.top + 1, QStringLiteral("CH %1").arg(partNumber));

    EngravingView ev;
    ev.scrollX = frame.scrollX;
    ev.width = frame.width;
    ev.labels = frame.labels;
    const EngravedPart part = LayOutPart(song, partNumber, ev, sheet, metrics);

    const int notesLeft = sheet.headerWidth() - metrics.noteGap;
    if (frame.bars)
      forEachBar(pt, [&](long long k, int, double x) {
        if (pt.score[0].start == 0 && k == 0)
          return;
        if (x > notesLeft)
          line(x, top + kStaffTopLine, x, top + kStaffBottomLine);
      });

    const QRect notesClip =
        bandRect.intersected(QRect(notesLeft, 0, frame.width - notesLeft, frame.height));
    if (notesClip.isEmpty() || part.notes.empty())
      return;
    setClip(notesClip);
    for (const EngravedNote &n : part.notes) {
      const ScoreNote &s = pt.score[static_cast<std::size_t>(n.index)];
      const int row = GlyphRow(s.duration);
      if (row < 0 || n.hidden)
        continue;
      if (n.isNote)
        drawNote(n, s, top, sheet.row(partNumber).clef);
      else
        copy(style.glyphs.rest(n.wholeBarRest ? 0 : row / kCellHeight),
             QPointF(n.x, top + kStaffTopLine));
      if (n.labelShown && inClip(n.labelX))
        p.drawStaticText(QPointF(n.labelX, top + band.labelTop),
                         labels[static_cast<std::size_t>(PitchClassOf(s.noteNumber))]);
    }
    drawBeams(part, top);
  }

  void drawRuler() {
    p.setClipping(false);
    p.fillRect(QRect(0, 0, frame.width, kRulerHeight), kRulerColour);
    p.setPen(kRulerEdge);
    line(0, kRulerHeight - 1, frame.width - 1, kRulerHeight - 1);
    p.setPen(Qt::black);
    p.setFont(style.font);
    forEachBar(song.part(1), [&](long long k, int tick, double) {
      const double x = sheet.xOfTick(tick) - frame.scrollX;
      if (x > 48)
        PrintAt(p, x, 1, QString::number(k + 1));
    });
    p.fillRect(QRect(0, 0, 48, kRulerHeight - 1), kRulerColour);
    PrintAt(p, 10, 1, QStringLiteral("小節"));
  }

  void run() {
    p.setFont(style.font);
    const QFontMetrics fm(style.font);
    for (std::size_t c = 0; c < 12; ++c) {
      const QString label = QString::fromStdString(sheet.labels()[c].label);
      metrics.labelWidth[c] = fm.horizontalAdvance(label);
      labels[c].setText(label);
      labels[c].setTextFormat(Qt::PlainText);
      labels[c].prepare(QTransform(), style.font);
    }
    for (int part = 1; part <= kUserParts; ++part)
      drawPart(part);
    if (frame.ruler)
      drawRuler();
    p.setClipping(false);
  }
};

// `surface` is null when drawing onto a page painter: symbols are then drawn as text.
void RunDrawer(QImage *surface, QPainter &p, const Song &song, const ScoreSheet &sheet,
               const EngravedFrame &frame, const EngravedScoreStyle &style) {
  const int rulerHeight = frame.ruler ? kRulerHeight : 0;
  Drawer d{surface, p, song, sheet, frame, style, style.glyphs.metrics(), rulerHeight, {}, {}};
  d.run();
}

} // namespace

void DrawEngravedScore(QImage &surface, const Song &song, const ScoreSheet &sheet,
                       const EngravedFrame &frame, const EngravedScoreStyle &style) {
  QPainter p(&surface);
  RunDrawer(&surface, p, song, sheet, frame, style);
}

void PaintEngravedScore(QPainter &painter, const Song &song, const ScoreSheet &sheet,
                        const EngravedFrame &frame, const EngravedScoreStyle &style) {
  painter.save();
  RunDrawer(nullptr, painter, song, sheet, frame, style);
  painter.restore();
}

} // namespace pipora
