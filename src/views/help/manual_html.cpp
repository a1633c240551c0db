#include "views/help/manual_html.h"

#include <QRegularExpression>

namespace pipora {

QString ManualPageForViewer(const QString &html, int width,
                            const std::function<QSize(const QString &)> &imageSize) {
  QString page = html;
  static const QRegularExpression figure(
      QStringLiteral(R"re(<figure>\s*<img\s+src="([^"]*)"\s+alt="([^"]*)"\s*/?>\s*)re"
                     R"re(<figcaption>(.*?)</figcaption>\s*</figure>)re"),
      QRegularExpression::DotMatchesEverythingOption);
  QString out;
  qsizetype at = 0;
  for (auto it = figure.globalMatch(page); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    out += page.mid(at, m.capturedStart() - at);
    const QString src = m.captured(1);
    const QSize size = imageSize(src);
    QString sizeText;
    if (size.isValid() && size.width() > width && width > 0)
      sizeText = QStringLiteral(" width=\"%1\" height=\"%2\"")
                     .arg(width)
                     .arg(size.height() * width / size.width());
    out += QStringLiteral("<p align=\"center\"><img src=\"%1\" alt=\"%2\"%3></p>"
                          "<p align=\"center\"><font color=\"#555555\">%4</font></p>")
               .arg(src, m.captured(2), sizeText, m.captured(3));
    at = m.capturedEnd();
  }
  out += page.mid(at);
  page = out;

  // The page list: one line, the links apart.
  static const QRegularExpression nav(QStringLiteral(R"re(<nav>\s*<ul>(.*?)</ul>\s*</nav>)re"),
                                      QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression item(QStringLiteral(R"re(<li>(.*?)</li>)re"));
  if (const QRegularExpressionMatch m = nav.match(page); m.hasMatch()) {
    QStringList items;
    for (auto it = item.globalMatch(m.captured(1)); it.hasNext();)
      items << it.next().captured(1);
    page.replace(m.capturedStart(), m.capturedLength(),
                 QStringLiteral("<p>") + items.join(QStringLiteral(" ｜ ")) +
                     QStringLiteral("</p><hr>"));
  }

  // A line break after a Japanese character joins the lines without a space.
  static const QRegularExpression japaneseBreak(QStringLiteral(R"re(([^\x00-\x7F])\r?\n)re"));
  page.replace(japaneseBreak, QStringLiteral("\\1"));
  return page;
}

} // namespace pipora
