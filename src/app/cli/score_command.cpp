// score: a song's score as pages to print or read, drawn as the score editor engraves it.
#include "app/cli/byte_files.h"
#include "app/cli/cli_command.h"
#include "app/cli/score_library_loader.h"
#include "app/cli/song_files.h"
#include "app/cli/standard_streams.h"

#include "session/failure_text.h"
#include "session/tone_store.h"

#include <QFile>
#include <QFileInfo>

namespace pipora::cli {
namespace {

std::string_view Shown(const QByteArray &name) {
  return std::string_view(name.constData(), static_cast<std::size_t>(name.size()));
}

// Where the drawn files go: OUT.pdf itself, or OUT-1.png, OUT-2.png ... one per page.
struct PageFiles {
  QByteArray out;
  QByteArray failedName;
  Error failure;
  bool failed = false;

  QByteArray nameOf(int page) const {
    if (page == 0)
      return out;
    const qsizetype dot = out.lastIndexOf('.');
    return out.left(dot) + '-' + QByteArray::number(page) + out.mid(dot);
  }

  static bool write(void *context, int page, const QByteArray &bytes) {
    auto *files = static_cast<PageFiles *>(context);
    const QByteArray name = files->nameOf(page);
    if (Status written = WriteOutputFile(name, bytes); !written) {
      files->failed = true;
      files->failedName = name;
      files->failure = written.failure();
      return false;
    }
    return true;
  }
};

int RunScore(const Invocation &invocation) {
  const QByteArray &in = invocation.operands[0];
  const QByteArray &out = invocation.operands[1];
  const QByteArray extension = ExtensionOf(out);
  if (extension != "pdf" && extension != "svg" && extension != "png") {
    PrintErr("piporapad-cli: the score is written as .pdf, .svg or .png\n");
    return kExitBadInput;
  }
  ScorePageRequest request;
  request.format = extension == "pdf"   ? ScorePageFormat::Pdf
                   : extension == "svg" ? ScorePageFormat::Svg
                                        : ScorePageFormat::Png;
  if (const auto paper = invocation.value("--paper")) {
    if (*paper != "a4" && *paper != "letter") {
      PrintErr("piporapad-cli: --paper is a4 or letter\n");
      return kExitBadInput;
    }
    request.localPaper = false;
    request.letter = *paper == "letter";
  }
  request.labels = invocation.has("--doremi");

  SongFileKind kind = SongFileKind::Smd;
  Result<Song> loaded = ReadSong(in, {invocation.import, false, &kind});
  if (!loaded) {
    PrintErr(loaded.error() + "\n");
    return kExitBadInput;
  }
  Song &song = *loaded;
  // The clefs and the key the editor keeps for this file.
  if (!IsStandardStream(in) && kind == SongFileKind::Smd)
    LoadScoreDisplay(song, QFile::decodeName(AbsolutePath(in)));
  RecalcTimes(song);
  BuildScoreList(song);
  request.title = QString::fromStdString(song.title);
  if (request.title.isEmpty() && !IsStandardStream(in))
    request.title = QFileInfo(QFile::decodeName(BaseName(in))).completeBaseName();

  // main() loaded the library before making the application.
  PageFiles files;
  files.out = out;
  const ScoreDrawOutcome drawn =
      (*LoadScorePageLibrary())->drawScore(song, request, &files, &PageFiles::write);
  if (files.failed) {
    PrintErr(FileFailureText(IsStandardStream(out) ? "-" : Shown(files.failedName), files.failure,
                             FileAccess::Write) +
             "\n");
    return kExitWriteFailed;
  }
  if (drawn != ScoreDrawOutcome::Done) {
    // Nothing is written for a page that could not be drawn: the file there is kept.
    PrintErr("piporapad-cli: the score could not be drawn\n");
    return kExitWriteFailed;
  }
  return kExitOk;
}

const Registrar score{{"score",
                       "IN OUT.pdf|OUT.svg|OUT.png",
                       "write the song's score as pages: one PDF, or one SVG or PNG per page "
                       "(OUT-1.png, OUT-2.png, ...)",
                       {{"--paper", "a4|letter", "paper size (default: the system's)"},
                        {"--doremi", "", "print the do-re-mi labels under the notes"}},
                       2,
                       2,
                       &RunScore,
                       true}};

} // namespace
} // namespace pipora::cli
