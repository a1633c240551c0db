#pragma once
// The manual's own window: the installed HTML pages in Qt's HTML viewer, with the index,
// back and forward, and find in page. Links between the pages stay in the window; links to
// anything else (a web address, mail) are handed to the desktop.
#include <QUrl>
#include <QWidget>

#include <functional>

class QAction;
class QLineEdit;
class QTextBrowser;

namespace pipora {

class HelpWindow : public QWidget {
  Q_OBJECT
public:
  // `folder` holds index.html and the other pages; `external` takes the links that leave it.
  HelpWindow(const QString &folder, std::function<bool(const QUrl &)> external,
             QWidget *parent = nullptr);

  // A page of the folder by name ("score_editor.html", "files.html#undo"); empty: the index.
  void showPage(const QString &page);
  // The page shown, as a file name with its anchor ("files.html#undo").
  QString currentPage() const;
  // Finds the text of the find box after (before) the selection, from the top (bottom) again
  // when the end is reached; false when the page does not hold it.
  bool findInPage(bool backward = false);

  QTextBrowser *browser() const { return browser_; }
  QLineEdit *findBox() const { return findBox_; }
  QAction *indexAction() const { return index_; }
  QAction *backAction() const { return back_; }
  QAction *forwardAction() const { return forward_; }

private:
  void follow(const QUrl &link);
  bool isManualPage(const QUrl &url) const;
  void showTitle();

  QString folder_;
  std::function<bool(const QUrl &)> external_;
  QTextBrowser *browser_ = nullptr;
  QLineEdit *findBox_ = nullptr;
  QAction *index_ = nullptr;
  QAction *back_ = nullptr;
  QAction *forward_ = nullptr;
};

} // namespace pipora
