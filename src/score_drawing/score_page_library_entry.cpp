// The entry of piporapad-score.so: the table of what the library offers. Everything else in
// the library stays hidden, so its copies of the program's code never clash with the
// loading program's.
#include "score_drawing/score_page_library.h"

#include "score_drawing/score_pages_painter.h"

#include <QGuiApplication>

namespace pipora {
namespace {

QCoreApplication *CreateApplication(int &argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  return new QGuiApplication(argc, argv);
}

QByteArray DrawScore(const Song &song, const ScorePageRequest &request) {
  ScorePrintOptions options;
  options.paper = request.localPaper ? LocalPaper() : request.letter ? Paper::Letter : Paper::A4;
  options.labels = request.labels;
  options.title = request.title;
  const ScoreRenderer renderer;
  switch (request.format) {
  case ScorePageFormat::Pdf:
    return ScorePdf(song, renderer, options);
  case ScorePageFormat::Svg:
    return ScoreSvg(song, renderer, options);
  case ScorePageFormat::Png:
    break;
  }
  return ScorePng(song, renderer, options);
}

const ScorePageLibrary kTable{kScorePageLibraryVersion, &CreateApplication, &DrawScore};

} // namespace
} // namespace pipora

extern "C" __attribute__((visibility("default"))) const pipora::ScorePageLibrary *
piporapad_score_pages() {
  return &pipora::kTable;
}
