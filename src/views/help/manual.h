#pragma once
// The manual: Japanese HTML pages in the program's read-only data, shown in the program's
// own help window (no browser needed). Links that leave the manual go to the desktop. When
// the manual is not installed, the about box takes its place.
#include <QString>
#include <QUrl>

#include <functional>

class QAction;
class QMdiArea;
class QWidget;

namespace pipora {

class HelpWindow;

// The manual's first page (help/index.html in the read-only data); empty when the data
// folder is not found.
QString ManualIndexPath();
// Reads the manual from `indexPath` instead (tests); empty: the installed one again.
void SetManualIndexPath(const QString &indexPath);

// How links that leave the manual are handed to the desktop (QDesktopServices::openUrl);
// tests put their own in its place. Returns whether something took it.
using UrlOpener = std::function<bool(const QUrl &)>;
void SetManualOpener(UrlOpener opener);

// The page of the manual about the window `widget` is in ("score_editor.html"); empty (the
// index) for a window the manual has no page of.
QString HelpPageFor(const QWidget *widget);

// Shows `page` of the manual (empty: the index) in the help window, made on first use and
// kept above `parent`'s window; the about box when the manual is missing. Returns the help
// window, or null.
HelpWindow *ShowHelp(QWidget *parent, const QString &page = {});
// The help item: from the menu the index; by its key (F1) the page of the window in use,
// else of the frame's active child window in `area`.
void ConnectHelpItem(QAction *helpItem, QWidget *frame, const QMdiArea *area);
// F1 in a window of its own (a dialog) shows that window's page.
void InstallHelpKey(QWidget *window);
// The about command.
void ShowAbout(QWidget *parent);

} // namespace pipora
