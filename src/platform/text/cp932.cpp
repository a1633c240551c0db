#include "platform/text/cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace pipora {

QByteArray ToCp932(const QString &text) {
  QStringEncoder encoder("CP932");
  QByteArray bytes = encoder.encode(text);
  if (!encoder.hasError())
    return bytes;
  // The codec's own substitute is a double-byte character; write '?' as the system does.
  bytes.clear();
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype width = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    QStringEncoder one("CP932");
    const QByteArray encoded = one.encode(QStringView(text).mid(i, width));
    bytes += one.hasError() ? QByteArray("?") : encoded;
    i += width;
  }
  return bytes;
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
