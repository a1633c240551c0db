#pragma once
// The score on paper: the engraved drawing of the score editor, cut into systems of whole
// bars (score_pages.h) and painted with outlines onto any painter, so that printing, PDF and
// SVG are vector pages. A page has its margins, the title over the first system and its
// number at the foot.
#include "engraving/score_pages.h"
#include "score_drawing/score_renderer.h"

#include <QByteArray>
#include <QPageSize>
#include <QString>

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

  int pageCount() const { return static_cast<int>(pages_.size()); }
  // Draws one page into `page` (the paper's full rectangle in the painter's coordinates).
  void paintPage(QPainter &painter, int index, const QRectF &page);
  QSizeF pageMillimetres() const;

private:
  const Song &song_;
  const ScoreRenderer &renderer_;
  ScorePrintOptions options_;
  ScoreSheet sheet_;
  SystemSlice slice_;
  std::vector<ScorePage> pages_;
  QFont font_;
};

// The whole score as a PDF, each page at the chosen paper size.
QByteArray ScorePdf(const Song &song, const ScoreRenderer &renderer,
                    const ScorePrintOptions &options);
// The pages one below another in one SVG image (vector) or PNG image (150 dpi).
QByteArray ScoreSvg(const Song &song, const ScoreRenderer &renderer,
                    const ScorePrintOptions &options);
QByteArray ScorePng(const Song &song, const ScoreRenderer &renderer,
                    const ScorePrintOptions &options);

} // namespace pipora
