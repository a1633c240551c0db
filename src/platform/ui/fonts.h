#pragma once
// The windows name the classic Japanese system fonts; on this platform they are drawn
// with the IPA Gothic fonts (Debian's fonts-ipafont-gothic).
#include <QFont>
#include <QString>

namespace pipora {

// Maps "ＭＳ Ｐゴシック", "ＭＳ ゴシック" and their romanised names to IPA Gothic, and
// makes the proportional one the application's default font. Call once after the
// QApplication exists.
void InstallFontSubstitutions();

// "ＭＳ Ｐゴシック": the font the property window and the source editor start with.
inline const QString kUiFontName = QStringLiteral("ＭＳ Ｐゴシック");

// The font a font dialog opens on for text drawn with `used`: its size, weight and slant,
// with the installed family that actually draws it ("IPAPGothic" for "ＭＳ Ｐゴシック"),
// which the dialog's family list holds.
QFont InstalledFontOf(const QFont &used);

} // namespace pipora
