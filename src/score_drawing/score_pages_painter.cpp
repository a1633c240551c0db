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

constexpr double kMarginMm = 15.0;
constexpr double kTitleMm = 15.0;
constexpr double kTitleTextMm = 5.0;
constexpr double kTempoMm = 6.0; // the speed's line over the first system
constexpr double kTempoTextMm = 3.0;
constexpr double kFootMm = 8.0;
constexpr double kFootTextMm = 3.0;
constexpr int kPaperQuarterWidth = 30;
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
  view.paper = true;
  // Staves as close as their notes allow: paper shows more of them at once than a window.
  view.staffDistance = kMinStaffDistance;
  // Notes as close as their symbols allow: a page is read at arm's length, not scrolled.
  view.quarterWidth = kPaperQuarterWidth;
  sheet_ = renderer.layOut(song, view);
  slice_ = SystemSliceOf(sheet_);
  const QSizeF mm = pageMillimetres();
  PaperSpec paper;
  paper.widthMm = mm.width();
  paper.heightMm = mm.height();
  paper.marginMm = kMarginMm;
  paper.titleMm = (options.title.isEmpty() ? 0 : kTitleMm) + kTempoMm;
  paper.footMm = kFootMm;
  layout_ = LayOutPaper(song, sheet_, paper, renderer.metrics());
}

QSizeF ScorePages::pageMillimetres() const {
  return PageSizeOf(options_.paper).size(QPageSize::Millimeter);
}

void ScorePages::paintPage(QPainter &painter, int index, const QRectF &page) {
  if (index < 0 || index >= pageCount())
    return;
  const QSizeF mm = pageMillimetres();
  const double u = layout_.unitsPerMm;
  const double scale = page.width() / (mm.width() * u);
  const double contentWidth = (mm.width() - 2 * kMarginMm) * u;
  const double contentHeight = (mm.height() - 2 * kMarginMm) * u;
  painter.save();
  painter.translate(page.topLeft());
  painter.scale(scale, scale);
  painter.translate(kMarginMm * u, kMarginMm * u);
  painter.setPen(Qt::black);

  const double tempoRoom = kTempoMm * u;
  if (index == 0 && !options_.title.isEmpty()) {
    painter.setFont(FontInUnits(font_, kTitleTextMm * u));
    painter.drawText(QRectF(0, 0, contentWidth, layout_.area.titleRoom - tempoRoom),
                     Qt::AlignCenter, options_.title);
  }
  if (index == 0) {
    // The speed over the first system, in quarter notes a minute.
    const std::string_view speed = TempoText(song_.tempo);
    painter.setFont(FontInUnits(font_, kTempoTextMm * u));
    painter.drawText(QRectF(0, layout_.area.titleRoom - tempoRoom, contentWidth, tempoRoom),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("\u2669 = ") +
                         QString::fromLatin1(speed.data(), static_cast<qsizetype>(speed.size())));
  }
  const int measure = song_.measureTicks();
  for (const PageSystem &system : layout_.pages[static_cast<std::size_t>(index)].systems) {
    painter.save();
    painter.translate(0, system.y);
    EngravedFrame frame;
    frame.scrollX = system.scrollX;
    frame.scrollY = system.sliceTop;
    frame.width = system.width;
    frame.height = system.sliceHeight;
    frame.ruler = false;
    frame.bars = options_.bars;
    frame.labels = options_.labels;
    frame.timeSignature = system.firstTick <= sheet_.tickAtX(sheet_.firstX());
    PaintEngravedScore(painter, song_, sheet_, frame, {renderer_.glyphs(), font_});
    // The number of the system's first bar, over its first staff.
    if (measure > 0 && system.firstTick > 0 && system.sliceTop == slice_.scrollY) {
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
    // The page number stands in the foot's own room, under the printable area.
    painter.setFont(FontInUnits(font_, kFootTextMm * u));
    painter.drawText(
        QRectF(0, layout_.area.height, contentWidth, contentHeight - layout_.area.height),
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
    if (!painter.isActive())
      return {};
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

// One user unit per 0.1 mm; the size attributes say millimetres.
constexpr double kSvgDotsPerMm = 10.0;

void SetUpSvg(QSvgGenerator &svg, QBuffer &buffer, QSizeF mm, const QString &title) {
  svg.setOutputDevice(&buffer);
  svg.setResolution(static_cast<int>(std::lround(kSvgDotsPerMm * 25.4)));
  svg.setSize((mm * kSvgDotsPerMm).toSize());
  svg.setViewBox(QRectF(QPointF(0, 0), mm * kSvgDotsPerMm));
  svg.setTitle(title);
}

QByteArray SvgPage(ScorePages &pages, int index, const QString &title) {
  const QSizeF mm = pages.pageMillimetres();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  SetUpSvg(svg, buffer, mm, title);
  QPainter painter(&svg);
  if (!painter.isActive())
    return {};
  pages.paintPage(painter, index, QRectF(QPointF(0, 0), mm * kSvgDotsPerMm));
  painter.end();
  return bytes;
}

QByteArray PngPage(ScorePages &pages, int index) {
  const double dotsPerMm = kPngDpi / 25.4;
  const QSizeF mm = pages.pageMillimetres();
  QImage image((mm * dotsPerMm).toSize(), QImage::Format_RGB32);
  if (image.isNull())
    return {};
  image.fill(Qt::white);
  image.setDotsPerMeterX(static_cast<int>(std::lround(dotsPerMm * 1000)));
  image.setDotsPerMeterY(static_cast<int>(std::lround(dotsPerMm * 1000)));
  {
    QPainter painter(&image);
    if (!painter.isActive())
      return {};
    pages.paintPage(painter, index, QRectF(QPointF(0, 0), mm * dotsPerMm));
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG"))
    return {};
  return bytes;
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
  SetUpSvg(svg, buffer, size, options.title);
  QPainter painter(&svg);
  for (int i = 0; i < pages.pageCount(); ++i)
    pages.paintPage(painter, i,
                    QRectF(0, i * mm.height() * kSvgDotsPerMm, mm.width() * kSvgDotsPerMm,
                           mm.height() * kSvgDotsPerMm));
  painter.end();
  return bytes;
}

bool ScorePageFiles(const Song &song, const ScoreRenderer &renderer,
                    const ScorePrintOptions &options, PageImage kind,
                    const std::function<bool(int page, const QByteArray &bytes)> &take) {
  ScorePages pages(song, renderer, options);
  for (int i = 0; i < pages.pageCount(); ++i) {
    const QByteArray bytes =
        kind == PageImage::Svg ? SvgPage(pages, i, options.title) : PngPage(pages, i);
    if (bytes.isEmpty() || !take(i + 1, bytes))
      return false;
  }
  return true;
}

} // namespace pipora
