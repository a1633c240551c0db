#include "views/help/help_window.h"

#include "views/help/manual_html.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace pipora {
namespace {

// The viewer of the manual's pages: each page is turned into what it lays out well.
class ManualBrowser : public QTextBrowser {
public:
  using QTextBrowser::QTextBrowser;

  QVariant loadResource(int type, const QUrl &name) override {
    if (type != QTextDocument::HtmlResource || !name.isLocalFile())
      return QTextBrowser::loadResource(type, name);
    QFile file(name.toLocalFile());
    if (!file.open(QIODevice::ReadOnly))
      return QTextBrowser::loadResource(type, name);
    const QDir folder = QFileInfo(file).dir();
    // The pictures fit the window beside the scroll bar with the page's margins (the window,
    // not the viewer, has its size when the first page is read).
    const int width = std::max(300, window()->width() - 60);
    return ManualPageForViewer(QString::fromUtf8(file.readAll()), width, [&](const QString &src) {
      return QImageReader(folder.filePath(src)).size();
    });
  }
};

} // namespace

namespace {

const QString kIndexPage = QStringLiteral("index.html");
const QString kTitle = QStringLiteral("PiporaPad マニュアル");

} // namespace

HelpWindow::HelpWindow(const QString &folder, std::function<bool(const QUrl &)> external,
                       QWidget *parent)
    : QWidget(parent, Qt::Window), folder_(QDir(folder).absolutePath()),
      external_(std::move(external)) {
  setObjectName(QStringLiteral("helpWindow"));
  setWindowTitle(kTitle);
  resize(820, 640);

  browser_ = new ManualBrowser(this);
  browser_->setObjectName(QStringLiteral("helpBrowser"));
  browser_->setOpenLinks(false); // every link goes through follow()
  browser_->setSearchPaths({folder_});
  connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::follow);
  connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::showTitle);

  auto *bar = new QToolBar(this);
  index_ = bar->addAction(QStringLiteral("目次"), this, [this] { showPage({}); });
  index_->setShortcut(Qt::ALT | Qt::Key_Home);
  back_ = bar->addAction(QStringLiteral("戻る"), browser_, &QTextBrowser::backward);
  back_->setShortcut(QKeySequence::Back);
  back_->setEnabled(false);
  forward_ = bar->addAction(QStringLiteral("進む"), browser_, &QTextBrowser::forward);
  forward_->setShortcut(QKeySequence::Forward);
  forward_->setEnabled(false);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QAction::setEnabled);
  bar->addSeparator();
  bar->addWidget(new QLabel(QStringLiteral("ページ内を検索: "), bar));
  findBox_ = new QLineEdit(bar);
  findBox_->setObjectName(QStringLiteral("helpFindBox"));
  findBox_->setClearButtonEnabled(true);
  findBox_->setMaximumWidth(240);
  bar->addWidget(findBox_);
  connect(findBox_, &QLineEdit::returnPressed, this, [this] { findInPage(); });
  QAction *next = bar->addAction(QStringLiteral("次を検索"), this, [this] { findInPage(); });
  next->setShortcut(QKeySequence::FindNext);
  QAction *previous =
      bar->addAction(QStringLiteral("前を検索"), this, [this] { findInPage(true); });
  previous->setShortcut(QKeySequence::FindPrevious);
  // Escape closes the manual, as it closes the editor's dialogs.
  auto *close = new QAction(this);
  close->setShortcut(Qt::Key_Escape);
  connect(close, &QAction::triggered, this, &QWidget::close);
  addAction(close);
  auto *find = new QAction(this);
  find->setShortcut(QKeySequence::Find);
  connect(find, &QAction::triggered, this, [this] {
    findBox_->setFocus();
    findBox_->selectAll();
  });
  addAction(find);
  for (QAction *a : {index_, back_, forward_, next, previous, find})
    a->setShortcutContext(Qt::WindowShortcut);

  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(browser_, 1);
}

void HelpWindow::showPage(const QString &page) {
  const QString name = page.isEmpty() ? kIndexPage : page;
  browser_->setSource(QUrl::fromLocalFile(folder_ + '/').resolved(QUrl(name)));
}

QString HelpWindow::currentPage() const {
  const QUrl source = browser_->source();
  const QString name = QFileInfo(source.toLocalFile()).fileName();
  return source.hasFragment() ? name + '#' + source.fragment() : name;
}

bool HelpWindow::isManualPage(const QUrl &url) const {
  if (!url.isLocalFile())
    return false;
  const QFileInfo file(url.toLocalFile());
  return file.absolutePath() == folder_ && file.suffix() == QLatin1String("html") && file.isFile();
}

void HelpWindow::follow(const QUrl &link) {
  const QUrl target = browser_->source().resolved(link);
  if (isManualPage(target))
    browser_->setSource(target);
  else if (external_)
    external_(target);
}

void HelpWindow::showTitle() {
  const QString page = browser_->documentTitle();
  setWindowTitle(page.isEmpty() ? kTitle : page);
}

bool HelpWindow::findInPage(bool backward) {
  const QString text = findBox_->text();
  if (text.isEmpty())
    return false;
  const QTextDocument::FindFlags flags =
      backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
  if (browser_->find(text, flags))
    return true;
  // Round again from the other end, as find does in the editors.
  QTextCursor cursor = browser_->textCursor();
  cursor.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
  browser_->setTextCursor(cursor);
  return browser_->find(text, flags);
}

} // namespace pipora
