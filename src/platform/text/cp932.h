#pragma once
// Text in the phone's and the settings files' code page (CP932, Shift-JIS with
// the vendor extensions). Characters CP932 cannot hold are written as '?'.
#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

namespace pipora {

QByteArray ToCp932(const QString &text);
QString FromCp932(const QByteArray &bytes);

// UTF-8 convenience forms for the model, which keeps text as UTF-8 std::string.
QByteArray ToCp932(std::string_view utf8);
std::string Cp932ToUtf8(const QByteArray &bytes);

// True when every character of the text survives a round trip through CP932.
bool FitsCp932(const QString &text);

// True for a byte that starts a two-byte CP932 character (0x81-0x9F, 0xE0-0xFC).
inline bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// True for a byte that can end a two-byte CP932 character (0x40-0x7E, 0x80-0xFC).
inline bool IsCp932TrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

} // namespace pipora
