#pragma once
// The File menu's print and score export: the song's score as pages (score_pages_painter.h)
// on a printer chosen in the print dialog, or in a PDF or SVG file.
#include "views/app_context.h"
#include "views/prompts.h"

class QWidget;

namespace pipora {

enum class ScoreFileFormat { Pdf, Svg };

class ScorePrintCommands {
public:
  ScorePrintCommands(AppContext &ctx, Prompts &prompts, QWidget *parent);

  void print();
  // False when cancelled or the file could not be written (after saying why).
  bool exportAs(ScoreFileFormat format);

private:
  AppContext &ctx_;
  Prompts &prompts_;
  QWidget *parent_;
};

} // namespace pipora
