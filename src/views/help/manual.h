#pragma once
// The manual: Japanese HTML pages in the program's read-only data, opened in the desktop's
// viewer. When the manual is not installed or nothing can show it, the about box takes
// its place.
#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

namespace pipora {

// The manual's first page (help/index.html in the read-only data); empty when the data
// folder is not found.
QString ManualIndexPath();

// How the manual is handed to the desktop (QDesktopServices::openUrl); tests put their
// own in its place. Returns whether something took it.
using UrlOpener = std::function<bool(const QUrl &)>;
void SetManualOpener(UrlOpener opener);

// Opens the manual; false when it is missing or could not be opened.
bool OpenManual(const QString &indexPath);
// The help command: the manual, or the about box when it cannot be shown.
void ShowHelp(QWidget *parent);
// The about command.
void ShowAbout(QWidget *parent);

} // namespace pipora
