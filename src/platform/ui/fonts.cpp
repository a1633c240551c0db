#include "platform/ui/fonts.h"

#include <QApplication>
#include <QFont>
#include <QFontInfo>

namespace pipora {

void InstallFontSubstitutions() {
  const QString proportional = QStringLiteral("IPAPGothic");
  const QString fixed = QStringLiteral("IPAGothic");
  QFont::insertSubstitutions(kUiFontName, {proportional, fixed});
  QFont::insertSubstitutions(QStringLiteral("MS PGothic"), {proportional, fixed});
  QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), {fixed, proportional});
  QFont::insertSubstitutions(QStringLiteral("MS Gothic"), {fixed, proportional});
  QFont font(kUiFontName);
  font.setPointSize(9);
  QApplication::setFont(font);
}

QFont InstalledFontOf(const QFont &used) {
  QFont font(QFontInfo(used).family());
  if (used.pointSizeF() > 0)
    font.setPointSizeF(used.pointSizeF());
  font.setBold(used.bold());
  font.setItalic(used.italic());
  return font;
}

} // namespace pipora
