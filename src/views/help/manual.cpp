#include "views/help/manual.h"

#include "platform/files/program_directory.h"
#include "views/help/about_box.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace pipora {
namespace {

UrlOpener &Opener() {
  static UrlOpener opener = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
  return opener;
}

} // namespace

QString ManualIndexPath() {
  return ShareFile(QStringLiteral("help/index.html"));
}

void SetManualOpener(UrlOpener opener) {
  Opener() = std::move(opener);
}

bool OpenManual(const QString &indexPath) {
  if (!QFileInfo(indexPath).isFile())
    return false;
  return Opener()(QUrl::fromLocalFile(QFileInfo(indexPath).absoluteFilePath()));
}

void ShowHelp(QWidget *parent) {
  if (!OpenManual(ManualIndexPath()))
    ShowAbout(parent);
}

void ShowAbout(QWidget *parent) {
  AboutBox box(parent);
  box.exec();
}

} // namespace pipora
