#include "views/help/manual.h"

#include "platform/files/program_directory.h"
#include "views/help/about_box.h"
#include "views/help/help_window.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QShortcut>

#include <array>
#include <utility>

namespace pipora {
namespace {

UrlOpener &Opener() {
  static UrlOpener opener = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
  return opener;
}

struct WindowPage {
  const char *objectName;
  const char *page;
};

// The windows by their object names, innermost first when one holds another.
constexpr std::array kWindowPages{
    WindowPage{"scoreEditor", "score_editor.html"},
    WindowPage{"sourceEditor", "source_editor.html"},
    WindowPage{"propertyWindow", "property_window.html"},
    WindowPage{"playerPanel", "player.html"},
    WindowPage{"ProblemListWindow", "files.html#problems"},
    WindowPage{"ImportReportWindow", "midi.html"},
    WindowPage{"optionsDialog", "options.html"},
    WindowPage{"FindDialog", "keyboard.html#menu"},
};

// Tells a trigger of the help item by its key from one by the menu.
class KeyWatch : public QObject {
public:
  using QObject::QObject;
  bool byKey = false;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::Shortcut)
      byKey = true;
    return QObject::eventFilter(watched, event);
  }
};

QString &IndexOverride() {
  static QString path;
  return path;
}

} // namespace

QString ManualIndexPath() {
  return IndexOverride().isEmpty() ? ShareFile(QStringLiteral("help/index.html")) : IndexOverride();
}

void SetManualIndexPath(const QString &indexPath) {
  IndexOverride() = indexPath;
}

void SetManualOpener(UrlOpener opener) {
  Opener() = std::move(opener);
}

QString HelpPageFor(const QWidget *widget) {
  for (; widget != nullptr; widget = widget->parentWidget())
    for (const WindowPage &w : kWindowPages)
      if (widget->objectName() == QLatin1String(w.objectName))
        return QString::fromLatin1(w.page);
  return {};
}

HelpWindow *ShowHelp(QWidget *parent, const QString &page) {
  const QString index = ManualIndexPath();
  if (index.isEmpty() || !QFileInfo(index).isFile()) {
    ShowAbout(parent);
    return nullptr;
  }
  // One help window; it belongs to the window asking, so that a modal dialog's help can be
  // used while the dialog is open.
  static QPointer<HelpWindow> shown;
  QWidget *owner = parent ? parent->window() : nullptr;
  if (shown && shown->parentWidget() != owner)
    delete shown.data();
  if (!shown)
    shown = new HelpWindow(
        QFileInfo(index).absolutePath(), [](const QUrl &url) { return Opener()(url); }, owner);
  shown->showPage(page);
  shown->show();
  shown->raise();
  shown->activateWindow();
  return shown;
}

void ConnectHelpItem(QAction *helpItem, QWidget *frame, const QMdiArea *area) {
  auto *watch = new KeyWatch(helpItem);
  helpItem->installEventFilter(watch);
  QObject::connect(helpItem, &QAction::triggered, frame, [watch, frame, area] {
    if (!std::exchange(watch->byKey, false)) {
      ShowHelp(frame);
      return;
    }
    // The window with the focus, else the frame's active child window.
    QString page = HelpPageFor(QApplication::focusWidget());
    if (page.isEmpty() && area)
      if (const QMdiSubWindow *active = area->activeSubWindow())
        page = HelpPageFor(active->widget());
    ShowHelp(frame, page);
  });
}

void InstallHelpKey(QWidget *window) {
  auto *key = new QShortcut(QKeySequence::HelpContents, window);
  key->setContext(Qt::WindowShortcut);
  QObject::connect(key, &QShortcut::activated, window,
                   [window] { ShowHelp(window, HelpPageFor(window)); });
}

void ShowAbout(QWidget *parent) {
  AboutBox box(parent);
  box.exec();
}

} // namespace pipora
