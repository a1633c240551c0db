#pragma once
// The score's pages as a library loaded at run time (piporapad-score.so): piporapad-cli loads
// it only for its score command, so that its other commands never load Qt Gui, the fonts or
// a platform plugin. The library exports one C function, kScorePageLibraryEntry, returning
// this table. Only Qt Core types cross it.
#include "model/song.h"

#include <QByteArray>
#include <QString>

class QCoreApplication;

namespace pipora {

// Raised whenever the table or a type it passes changes.
inline constexpr int kScorePageLibraryVersion = 3;
inline constexpr char kScorePageLibraryEntry[] = "piporapad_score_pages";
inline constexpr char kScorePageLibraryPath[] = "lib/piporapad/plugins/piporapad-score.so";

enum class ScorePageFormat { Pdf, Svg, Png };

struct ScorePageRequest {
  ScorePageFormat format = ScorePageFormat::Pdf;
  bool letter = false;    // Letter paper; A4 otherwise
  bool localPaper = true; // the system's paper size, not `letter`
  bool labels = false;    // do-re-mi labels
  QString title;
};

// Takes each file the drawing makes: the page's number from 1 (0 for a PDF, one file of all
// pages) and its bytes. Returns false to stop the drawing.
using ScorePageSink = bool (*)(void *context, int page, const QByteArray &bytes);

enum class ScoreDrawOutcome { Done, DrawFailed, Stopped };

struct ScorePageLibrary {
  int version = kScorePageLibraryVersion;
  // The application the drawing needs: a GUI one that shows no window and needs no display.
  // Made instead of the plain QCoreApplication, before anything else.
  QCoreApplication *(*createApplication)(int &argc, char **argv) = nullptr;
  // The song's score: a PDF as one file, SVG and PNG one file per page, so that a long song
  // never needs more than a page's image at once.
  ScoreDrawOutcome (*drawScore)(const Song &song, const ScorePageRequest &request, void *context,
                                ScorePageSink sink) = nullptr;
};

using ScorePageLibraryEntry = const ScorePageLibrary *();

} // namespace pipora
