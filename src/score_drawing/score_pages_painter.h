#pragma once
// The score on paper: the engraved drawing of the score editor, cut into systems of whole
// bars (score_pages.h) and painted onto any painter, the music symbols as glyphs of their
// font, so that printing, PDF and SVG are vector pages with text. A page has its margins, the
// title and the speed over the first system and its number in the foot's own room.
#include "engraving/score_pages.h"
#include "score_drawing/score_renderer.h"

#include <QByteArray>
#include <QPageSize>
#include <QString>

#include <functional>

class QPainter;

namespace pipora {

enum class Paper { A4, Letter };

struct ScorePrintOptions {
  Paper paper = Paper::A4;
  QString title; // drawn over the first system; nothing when empty
  bool bars = true;
  bool labels = false; // do-re-mi labels under the notes
};

QPageSize PageSizeOf(Paper paper);
// Letter where the system's locale measures in inches, otherwise A4.
Paper LocalPaper();

class ScorePages {
public:
  // Keeps a reference to the song, which must outlive the pages.
  ScorePages(const Song &song, const ScoreRenderer &renderer, const ScorePrintOptions &options);

  int pageCount() const { return static_cast<int>(layout_.pages.size()); }
  // The staff's height on paper, smaller for songs of many tall staves.
  double staffMillimetres() const { return layout_.staffMm; }
  // Draws one page into `page` (the paper's full rectangle in the painter's coordinates).
  void paintPage(QPainter &painter, int index, const QRectF &page);
  QSizeF pageMillimetres() const;

private:
  const Song &song_;
  const ScoreRenderer &renderer_;
  ScorePrintOptions options_;
  ScoreSheet sheet_;
  SystemSlice slice_;
  PaperLayout layout_;
  QFont font_;
};

// The whole score as a PDF, each page at the chosen paper size.
QByteArray ScorePdf(const Song &song, const ScoreRenderer &renderer,
                    const ScorePrintOptions &options);
// The pages one below another in one SVG image (vector).
QByteArray ScoreSvg(const Song &song, const ScoreRenderer &renderer,
                    const ScorePrintOptions &options);

enum class PageImage { Svg, Png };
// Each page as its own image (SVG, or PNG at 150 dpi), handed to `take` with its number from
// 1 as soon as it is drawn; one page's image at a time is held. False when a page could not
// be drawn or `take` returned false.
bool ScorePageFiles(const Song &song, const ScoreRenderer &renderer,
                    const ScorePrintOptions &options, PageImage kind,
                    const std::function<bool(int page, const QByteArray &bytes)> &take);

} // namespace pipora
