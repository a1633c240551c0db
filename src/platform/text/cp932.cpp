#include "platform/text/cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace pipora {

QByteArray ToCp932(const QString &text) {
  QStringEncoder encoder("CP932");
  return encoder.encode(text);
}

QString FromCp932(const QByteArray &bytes) {
  QStringDecoder decoder("CP932");
  return decoder.decode(bytes);
}

QByteArray ToCp932(std::string_view utf8) {
  return ToCp932(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

std::string Cp932ToUtf8(const QByteArray &bytes) {
  return FromCp932(bytes).toStdString();
}

bool FitsCp932(const QString &text) {
  QStringEncoder encoder("CP932");
  const QByteArray bytes = encoder.encode(text);
  return !encoder.hasError() && FromCp932(bytes) == text;
}

} // namespace pipora
