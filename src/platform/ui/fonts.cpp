#include "platform/ui/fonts.h"

#include <QApplication>
#include <QFont>

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

} // namespace pipora
