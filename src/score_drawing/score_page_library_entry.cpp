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

ScoreDrawOutcome DrawScore(const Song &song, const ScorePageRequest &request, void *context,
                           ScorePageSink sink) {
  ScorePrintOptions options;
  options.paper = request.localPaper ? LocalPaper() : request.letter ? Paper::Letter : Paper::A4;
  options.labels = request.labels;
  options.title = request.title;
  const ScoreRenderer renderer;
  if (request.format == ScorePageFormat::Pdf) {
    const QByteArray pdf = ScorePdf(song, renderer, options);
    if (pdf.isEmpty())
      return ScoreDrawOutcome::DrawFailed;
    return sink(context, 0, pdf) ? ScoreDrawOutcome::Done : ScoreDrawOutcome::Stopped;
  }
  bool stopped = false;
  const bool drawn =
      ScorePageFiles(song, renderer, options,
                     request.format == ScorePageFormat::Svg ? PageImage::Svg : PageImage::Png,
                     [&](int page, const QByteArray &bytes) {
                       stopped = !sink(context, page, bytes);
                       return !stopped;
                     });
  if (stopped)
    return ScoreDrawOutcome::Stopped;
  return drawn ? ScoreDrawOutcome::Done : ScoreDrawOutcome::DrawFailed;
}

const ScorePageLibrary kTable{kScorePageLibraryVersion, &CreateApplication, &DrawScore};

} // namespace
} // namespace pipora

extern "C" __attribute__((visibility("default"))) const pipora::ScorePageLibrary *
piporapad_score_pages() {
  return &pipora::kTable;
}
