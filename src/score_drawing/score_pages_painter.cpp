#include "score_drawing/score_pages_painter.h"

#include "score_drawing/engraved_drawer.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <cmath>

namespace pipora {
namespace {

// A staff (four gaps of the sheet) 6.5 mm high, within the sizes printed parts use.
constexpr double kUnitsPerMm = 4.0 * kStaffLineGap / 6.5;
constexpr double kMarginMm = 15.0;
constexpr int kTitleRoom = 110;
constexpr int kSystemGap = 24;
constexpr int kFootRoom = 40; // the page number under the last system
constexpr int kPngDpi = 150;
constexpr int kPdfDpi = 1200;

QFont FontInUnits(const QFont &font, double pixels) {
  QFont f = font;
  f.setPixelSize(static_cast<int>(std::lround(pixels)));
  return f;
}

} // namespace

QPageSize PageSizeOf(Paper paper) {
  return QPageSize(paper == Paper::Letter ? QPageSize::Letter : QPageSize::A4);
}

Paper LocalPaper() {
  return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? Paper::Letter
                                                                            : Paper::A4;
}

ScorePages::ScorePages(const Song &song, const ScoreRenderer &renderer,
                       const ScorePrintOptions &options)
    : song_(song), renderer_(renderer), options_(options),
      // The surface's font is 7.5 points at 96 dpi: 10 units of the sheet.
      font_(FontInUnits(renderer.font(), renderer.font().pointSizeF() * 96.0 / 72.0)) {
  ScoreViewState view;
  view.isDoReMi = options.labels;
  // Staves as close as their notes allow: paper shows more of them at once than a window.
  view.staffDistance = kMinStaffDistance;
  sheet_ = renderer.layOut(song, view);
  slice_ = SystemSliceOf(sheet_);
  const QSizeF mm = pageMillimetres();
  PageArea area;
  area.width = static_cast<int>((mm.width() - 2 * kMarginMm) * kUnitsPerMm);
  area.height = static_cast<int>((mm.height() - 2 * kMarginMm) * kUnitsPerMm) - kFootRoom;
  area.titleRoom = options.title.isEmpty() ? 0 : kTitleRoom;
  area.systemGap = kSystemGap;
  pages_ = PaginateScore(song, sheet_, area, renderer.metrics());
}

QSizeF ScorePages::pageMillimetres() const {
  return PageSizeOf(options_.paper).size(QPageSize::Millimeter);
}

void ScorePages::paintPage(QPainter &painter, int index, const QRectF &page) {
  if (index < 0 || index >= pageCount())
    return;
  const QSizeF mm = pageMillimetres();
  const double scale = page.width() / (mm.width() * kUnitsPerMm);
  const double contentWidth = (mm.width() - 2 * kMarginMm) * kUnitsPerMm;
  const double contentHeight = (mm.height() - 2 * kMarginMm) * kUnitsPerMm;
  painter.save();
  painter.translate(page.topLeft());
  painter.scale(scale, scale);
  painter.translate(kMarginMm * kUnitsPerMm, kMarginMm * kUnitsPerMm);
  painter.setPen(Qt::black);

  if (index == 0 && !options_.title.isEmpty()) {
    painter.setFont(FontInUnits(font_, 28));
    painter.drawText(QRectF(0, 0, contentWidth, kTitleRoom - 30), Qt::AlignCenter, options_.title);
  }
  const int measure = song_.measureTicks();
  for (const PageSystem &system : pages_[static_cast<std::size_t>(index)].systems) {
    painter.save();
    painter.translate(0, system.y);
    EngravedFrame frame;
    frame.scrollX = system.scrollX;
    frame.scrollY = slice_.scrollY;
    frame.width = system.width;
    frame.height = slice_.height;
    frame.ruler = false;
    frame.bars = options_.bars;
    frame.labels = options_.labels;
    frame.timeSignature = system.firstTick <= sheet_.tickAtX(sheet_.firstX());
    PaintEngravedScore(painter, song_, sheet_, frame, {renderer_.glyphs(), font_});
    // The number of the system's first bar, over its first staff.
    if (measure > 0 && system.firstTick > 0) {
      painter.setFont(font_);
      painter.setPen(Qt::black);
      const int bar = MeasureOfTick(system.firstTick, measure) + 1;
      const int firstTop = [&] {
        for (int p = 1; p <= kUserParts; ++p)
          if (sheet_.row(p).shown)
            return sheet_.row(p).top - slice_.scrollY;
        return 0;
      }();
      painter.drawText(
          QPointF(sheet_.headerWidth() - renderer_.metrics().noteGap, firstTop + kStaffTopLine - 6),
          QString::number(bar));
    }
    painter.restore();
  }
  if (pageCount() > 1) {
    painter.setFont(font_);
    painter.drawText(QRectF(0, contentHeight - kFootRoom / 2.0, contentWidth, kFootRoom / 2.0),
                     Qt::AlignCenter, QStringLiteral("%1 / %2").arg(index + 1).arg(pageCount()));
  }
  painter.restore();
}

QByteArray ScorePdf(const Song &song, const ScoreRenderer &renderer,
                    const ScorePrintOptions &options) {
  ScorePages pages(song, renderer, options);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&buffer);
    pdf.setResolution(kPdfDpi);
    pdf.setPageSize(PageSizeOf(options.paper));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setTitle(options.title);
    pdf.setCreator(QStringLiteral("PiporaPad"));
    QPainter painter(&pdf);
    const QRectF page(0, 0, pdf.width(), pdf.height());
    for (int i = 0; i < pages.pageCount(); ++i) {
      if (i > 0)
        pdf.newPage();
      pages.paintPage(painter, i, page);
    }
  }
  return bytes;
}

namespace {

// The pages one below another, `dotsPerMm` device units per millimetre.
template <typename Device> void PaintStacked(ScorePages &pages, Device &device, double dotsPerMm) {
  const QSizeF mm = pages.pageMillimetres();
  QPainter painter(&device);
  for (int i = 0; i < pages.pageCount(); ++i)
    pages.paintPage(
        painter, i,
        QRectF(0, i * mm.height() * dotsPerMm, mm.width() * dotsPerMm, mm.height() * dotsPerMm));
}

} // namespace

QByteArray ScoreSvg(const Song &song, const ScoreRenderer &renderer,
                    const ScorePrintOptions &options) {
  ScorePages pages(song, renderer, options);
  const QSizeF mm = pages.pageMillimetres();
  const QSizeF size(mm.width(), mm.height() * pages.pageCount());
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  // One user unit per 0.1 mm; the size attributes say millimetres.
  constexpr double kDotsPerMm = 10.0;
  svg.setResolution(static_cast<int>(std::lround(kDotsPerMm * 25.4)));
  svg.setSize((size * kDotsPerMm).toSize());
  svg.setViewBox(QRectF(QPointF(0, 0), size * kDotsPerMm));
  svg.setTitle(options.title);
  PaintStacked(pages, svg, kDotsPerMm);
  return bytes;
}

QByteArray ScorePng(const Song &song, const ScoreRenderer &renderer,
                    const ScorePrintOptions &options) {
  ScorePages pages(song, renderer, options);
  const double dotsPerMm = kPngDpi / 25.4;
  const QSizeF mm = pages.pageMillimetres();
  QImage image((QSizeF(mm.width(), mm.height() * pages.pageCount()) * dotsPerMm).toSize(),
               QImage::Format_RGB32);
  image.fill(Qt::white);
  image.setDotsPerMeterX(static_cast<int>(std::lround(dotsPerMm * 1000)));
  image.setDotsPerMeterY(static_cast<int>(std::lround(dotsPerMm * 1000)));
  PaintStacked(pages, image, dotsPerMm);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

} // namespace pipora
