#include "platform/ini/ini_file.h"

#include "platform/files/file_io.h"
#include "platform/text/cp932.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>

namespace pipora {
namespace {

bool SameKey(const QString &a, const QString &b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString Unquoted(QString v) {
  if (v.size() >= 2 && v.front() == u'"' && v.back() == u'"')
    return v.mid(1, v.size() - 2);
  return v;
}

QString RawValue(const QString &line) {
  const qsizetype eq = line.indexOf(u'=');
  return eq < 0 ? QString() : line.mid(eq + 1).trimmed();
}

} // namespace

IniFile IniFile::Parse(const QByteArray &bytes) {
  IniFile ini;
  // Split as bytes: a line feed is never part of a Shift-JIS character, and each line keeps
  // its bytes to be written back as they were unless its value changes.
  QList<QByteArray> rows = bytes.split('\n');
  if (!rows.isEmpty() && rows.back().isEmpty())
    rows.removeLast();
  QString section;
  for (const QByteArray &raw : rows) {
    Line line;
    line.raw = raw;
    line.text = FromCp932(raw.endsWith('\r') ? raw.chopped(1) : raw);
    const QString &row = line.text;
    const QString t = row.trimmed();
    if (t.startsWith(u'[') && t.endsWith(u']')) {
      section = t.mid(1, t.size() - 2).trimmed();
      line.isHeader = true;
    } else if (!t.startsWith(u';') && t.contains(u'=')) {
      line.key = t.left(t.indexOf(u'=')).trimmed();
    }
    line.section = section;
    ini.lines_.append(line);
  }
  return ini;
}

Result<IniFile> IniFile::Load(const QString &path) {
  if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
    return IniFile();
  // The settings and the tone store: a few kilobytes, a store of thousands of songs a few
  // megabytes; a device or a huge file is refused instead of exhausting memory.
  Result<QByteArray> bytes = ReadWholeFile(path, kMaxIniBytes);
  if (!bytes)
    return bytes.failure();
  return Parse(*bytes);
}

int IniFile::findHeader(const QString &section) const {
  for (qsizetype i = 0; i < lines_.size(); ++i)
    if (lines_[i].isHeader && lines_[i].section == section)
      return static_cast<int>(i);
  return -1;
}

int IniFile::findKey(const QString &section, const QString &key) const {
  for (qsizetype i = 0; i < lines_.size(); ++i) {
    const Line &l = lines_[i];
    if (!l.isHeader && !l.key.isEmpty() && l.section == section && SameKey(l.key, key))
      return static_cast<int>(i);
  }
  return -1;
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const {
  const int i = findKey(section, key);
  if (i < 0)
    return std::nullopt;
  return Unquoted(RawValue(lines_[i].text));
}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &fallback) const {
  return value(section, key).value_or(fallback);
}

int IniFile::readInt(const QString &section, const QString &key, int fallback) const {
  const std::optional<QString> v = value(section, key);
  if (!v)
    return fallback;
  qsizetype end = 0;
  if (end < v->size() && (v->at(end) == u'-' || v->at(end) == u'+'))
    ++end;
  while (end < v->size() && v->at(end).isDigit() && v->at(end).unicode() < 128)
    ++end;
  bool ok = false;
  const long long n = v->left(end).toLongLong(&ok);
  if (!ok)
    return 0;
  return static_cast<int>(std::clamp<long long>(n, INT_MIN, INT_MAX));
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value) {
  QString clean = value;
  clean.replace(u'\r', u' ').replace(u'\n', u' ');
  const QString text = key + u'=' + clean;
  const int existing = findKey(section, key);
  if (existing >= 0) {
    lines_[existing].text = text;
    lines_[existing].raw = QByteArray();
    return;
  }
  Line line{text, section, key, false, {}};
  int header = findHeader(section);
  if (header < 0) {
    lines_.append(Line{u'[' + section + u']', section, QString(), true, {}});
    lines_.append(line);
    return;
  }
  // After the section's last key, so blank lines and comments between sections stay put.
  int at = header + 1;
  for (int i = header + 1; i < lines_.size() && !lines_[i].isHeader; ++i)
    if (!lines_[i].key.isEmpty())
      at = i + 1;
  lines_.insert(at, line);
}

void IniFile::removeKey(const QString &section, const QString &key) {
  const int i = findKey(section, key);
  if (i >= 0)
    lines_.removeAt(i);
}

bool IniFile::hasSection(const QString &section) const {
  return findHeader(section) >= 0;
}

QStringList IniFile::keys(const QString &section) const {
  QStringList out;
  for (const Line &l : lines_)
    if (!l.isHeader && !l.key.isEmpty() && l.section == section)
      out.append(l.key);
  return out;
}

QByteArray IniFile::serialize() const {
  QByteArray bytes;
  for (const Line &l : lines_) {
    if (!l.raw.isNull()) {
      bytes += l.raw; // a line this program did not change, byte for byte
      bytes += l.raw.endsWith('\r') ? "\n" : "\r\n";
      continue;
    }
    bytes += ToCp932(l.text);
    bytes += "\r\n";
  }
  return bytes;
}

Status IniFile::save(const QString &path) const {
  return WriteFileAtomically(path, serialize());
}

int GetProfileInt(const QString &path, const QString &section, const QString &key, int fallback) {
  Result<IniFile> ini = IniFile::Load(path);
  return ini ? ini->readInt(section, key, fallback) : fallback;
}

QString GetProfileString(const QString &path, const QString &section, const QString &key,
                         const QString &fallback) {
  Result<IniFile> ini = IniFile::Load(path);
  return ini ? ini->readString(section, key, fallback) : fallback;
}

Status WriteProfileString(const QString &path, const QString &section, const QString &key,
                          const QString &value) {
  Result<IniFile> ini = IniFile::Load(path);
  if (!ini)
    return Error{ini.error()};
  ini->setValue(section, key, value);
  return ini->save(path);
}

QString IniEscaped(const QString &text) {
  QString escaped;
  escaped.reserve(text.size());
  // By code point, walked by hand: toUcs4() would turn a lone surrogate into U+FFFD.
  for (qsizetype i = 0; i < text.size(); ++i) {
    const bool pair =
        text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
    const QString character = text.mid(i, pair ? 2 : 1);
    const char32_t code = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
    i += pair ? 1 : 0;
    const bool plain = code >= 0x20 && code != 0x7F && code != '%' && code != ']' &&
                       (code < 0x80 || FromCp932(ToCp932(character)) == character);
    if (plain) {
      escaped += character;
      continue;
    }
    // A file name's byte that is not UTF-8 (kept as U+DC80..U+DCFF) is written as that byte.
    const QByteArray bytes = code >= 0xDC80 && code <= 0xDCFF
                                 ? QByteArray(1, static_cast<char>(code - 0xDC00))
                                 : character.toUtf8();
    for (const char byte : bytes)
      escaped += QStringLiteral("%%1")
                     .arg(static_cast<unsigned char>(byte), 2, 16, QLatin1Char('0'))
                     .toUpper();
  }
  return escaped;
}

QString IniUnescaped(const QString &text) {
  QByteArray utf8;
  qsizetype plainFrom = 0;
  for (qsizetype i = 0; i + 2 < text.size(); ++i) {
    bool ok = false;
    const uint byte = text[i] == u'%' ? text.mid(i + 1, 2).toUInt(&ok, 16) : 0;
    if (!ok)
      continue;
    utf8 += text.mid(plainFrom, i - plainFrom).toUtf8() + static_cast<char>(byte);
    i += 2;
    plainFrom = i + 1;
  }
  return FileNameFromBytes(utf8 + text.mid(plainFrom).toUtf8());
}

} // namespace pipora
