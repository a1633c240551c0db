// The manual in share/piporapad/help: every page the help command promises is there, every link and
// picture on every page resolves, and every page can be reached from the first one.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <gtest/gtest.h>

#include <string>

namespace pipora {
namespace {

const QString kHelpDir = QStringLiteral(PIPORAPAD_SOURCE_DIR "/share/piporapad/help");

QString ReadText(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QStringList Pages() {
  QStringList pages;
  for (const QString &name : QDir(kHelpDir).entryList({"*.html"}, QDir::Files, QDir::Name))
    pages << QDir(kHelpDir).filePath(name);
  return pages;
}

// href and src values of a page.
QStringList References(const QString &html) {
  QStringList refs;
  static const QRegularExpression attribute(R"re(\b(?:href|src)\s*=\s*"([^"]*)")re");
  for (auto it = attribute.globalMatch(html); it.hasNext();)
    refs << it.next().captured(1);
  return refs;
}

bool IsExternal(const QString &ref) {
  return ref.startsWith("http:") || ref.startsWith("https:") || ref.startsWith("mailto:");
}

bool HasAnchor(const QString &html, const QString &id) {
  return html.contains(QStringLiteral("id=\"%1\"").arg(id));
}

TEST(ManualPages, EveryPromisedPageIsThere) {
  for (const char *name :
       {"index.html", "score_editor.html", "source_editor.html", "property_window.html",
        "player.html", "files.html", "midi.html", "options.html", "keyboard.html", "cli.html"})
    EXPECT_TRUE(QFileInfo(QDir(kHelpDir).filePath(name)).isFile()) << name;
}

TEST(ManualPages, EveryLinkAndPictureResolves) {
  const QStringList pages = Pages();
  ASSERT_GE(pages.size(), 10);
  for (const QString &page : pages) {
    const QString html = ReadText(page);
    ASSERT_FALSE(html.isEmpty()) << page.toStdString();
    for (const QString &ref : References(html)) {
      SCOPED_TRACE(QFileInfo(page).fileName().toStdString() + " -> " + ref.toStdString());
      if (IsExternal(ref))
        continue;
      ASSERT_FALSE(ref.isEmpty());
      const qsizetype hash = ref.indexOf('#');
      const QString file = hash >= 0 ? ref.left(hash) : ref;
      const QString anchor = hash >= 0 ? ref.mid(hash + 1) : QString();
      const QString target =
          file.isEmpty() ? page
                         : QFileInfo(page).dir().filePath(QUrl::fromPercentEncoding(file.toUtf8()));
      EXPECT_TRUE(QFileInfo(target).isFile());
      if (!anchor.isEmpty()) {
        EXPECT_TRUE(HasAnchor(ReadText(target), anchor)) << "no id " << anchor.toStdString();
      }
    }
  }
}

TEST(ManualPages, EveryPageCanBeReachedFromTheFirst) {
  QSet<QString> reached;
  QStringList queue = {QFileInfo(QDir(kHelpDir).filePath("index.html")).canonicalFilePath()};
  while (!queue.isEmpty()) {
    const QString page = queue.takeFirst();
    if (reached.contains(page))
      continue;
    reached.insert(page);
    for (const QString &ref : References(ReadText(page))) {
      const QString file = ref.section('#', 0, 0);
      if (IsExternal(ref) || !file.endsWith(".html"))
        continue;
      queue << QFileInfo(QFileInfo(page).dir().filePath(file)).canonicalFilePath();
    }
  }
  for (const QString &page : Pages())
    EXPECT_TRUE(reached.contains(QFileInfo(page).canonicalFilePath())) << page.toStdString();
}

TEST(ManualPages, PagesAreJapaneseUtf8WithATitle) {
  for (const QString &page : Pages()) {
    const QString html = ReadText(page);
    EXPECT_TRUE(html.contains("<html lang=\"ja\">")) << page.toStdString();
    EXPECT_TRUE(html.contains("<meta charset=\"utf-8\">")) << page.toStdString();
    EXPECT_TRUE(html.contains("<title>")) << page.toStdString();
  }
}

} // namespace
} // namespace pipora
