#include "views/score/score_print_commands.h"

#include "model/file_messages.h"
#include "platform/files/file_io.h"
#include "score_drawing/score_pages_painter.h"
#include "views/file_failure.h"

#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace pipora {
namespace {

// The title, bars and labels as the score editor shows the song.
ScorePrintOptions OptionsFor(const AppContext &ctx, Paper paper) {
  ScorePrintOptions options;
  options.paper = paper;
  options.title = QString::fromStdString(ctx.song.title);
  if (options.title.isEmpty())
    options.title = QFileInfo(FileNameFromBytes(QByteArray::fromStdString(ctx.song.fileName)))
                        .completeBaseName();
  options.bars = ctx.settings.isBar;
  options.labels = ctx.settings.isDoReMi;
  return options;
}

} // namespace

ScorePrintCommands::ScorePrintCommands(AppContext &ctx, Prompts &prompts, QWidget *parent)
    : ctx_(ctx), prompts_(prompts), parent_(parent) {}

void ScorePrintCommands::print() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageSize(PageSizeOf(LocalPaper()));
  printer.setFullPage(true); // the pages keep their own margins
  QPrintDialog dialog(&printer, parent_);
  if (dialog.exec() != QDialog::Accepted)
    return;
  const Paper paper =
      printer.pageLayout().pageSize().id() == QPageSize::Letter ? Paper::Letter : Paper::A4;
  const ScoreRenderer renderer;
  ScorePages pages(ctx_.song, renderer, OptionsFor(ctx_, paper));
  QPainter painter;
  if (!painter.begin(&printer)) {
    prompts_.warning(parent_, QStringLiteral("印刷を始められませんでした。"));
    return;
  }
  const QRectF page = printer.paperRect(QPrinter::DevicePixel);
  for (int i = 0; i < pages.pageCount(); ++i) {
    if (i > 0)
      printer.newPage();
    pages.paintPage(painter, i, QRectF(QPointF(0, 0), page.size()));
  }
}

bool ScorePrintCommands::exportAs(ScoreFileFormat format) {
  const bool pdf = format == ScoreFileFormat::Pdf;
  FileDialogRequest request;
  request.filters = {pdf ? QStringLiteral("PDFファイル（*.pdf）|*.pdf")
                         : QStringLiteral("SVGファイル（*.svg）|*.svg"),
                     QStringLiteral("すべてのファイル（*.*）|*.*")};
  request.defaultSuffix = pdf ? QStringLiteral("pdf") : QStringLiteral("svg");
  const QString smd = FileNameFromBytes(QByteArray::fromStdString(ctx_.song.fileName));
  if (!smd.isEmpty())
    request.initialName = QFileInfo(smd).path() + '/' + QFileInfo(smd).completeBaseName() + '.' +
                          request.defaultSuffix;
  request.maxNameLength = ctx_.settings.maxFileNameLength();
  QString path = prompts_.saveFileName(parent_, request);
  if (path.isEmpty())
    return false;
  if (QFileInfo(path).suffix().isEmpty())
    path += (path.endsWith('.') ? QString() : QStringLiteral(".")) + request.defaultSuffix;
  if (FileExists(path) &&
      prompts_.question(parent_,
                        QString::fromUtf8(kOverwriteQuestion.data(),
                                          static_cast<qsizetype>(kOverwriteQuestion.size())),
                        false) != Answer::Yes)
    return false;
  const ScoreRenderer renderer;
  const ScorePrintOptions options = OptionsFor(ctx_, LocalPaper());
  const QByteArray bytes =
      pdf ? ScorePdf(ctx_.song, renderer, options) : ScoreSvg(ctx_.song, renderer, options);
  if (Status written = WriteFileAtomically(path, bytes); !written) {
    ShowFileFailure(prompts_, parent_, path, written.failure(), FileAccess::Write);
    return false;
  }
  return true;
}

} // namespace pipora
