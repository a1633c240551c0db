#pragma once
// Our INI file: sections of "key=value" lines in CP932, read and written one key
// at a time like the system's profile functions. Everything not touched (other
// sections, other keys, comments, their order) is written back as it was.
//
// Section names are compared exactly (they may be file paths); key names ignore
// ASCII case. Lines end in CR LF when written; LF alone is accepted on reading.
#include "model/result.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace pipora {

// The largest settings file or tone store read.
inline constexpr qint64 kMaxIniBytes = qint64{16} << 20;

class IniFile {
public:
  IniFile() = default;

  // Reads the file; a file that does not exist gives an empty document.
  static Result<IniFile> Load(const QString &path);
  // Parses the bytes of an INI file (CP932).
  static IniFile Parse(const QByteArray &bytes);

  std::optional<QString> value(const QString &section, const QString &key) const;
  // The value, or `fallback` when the key is missing. Surrounding double quotes are removed.
  QString readString(const QString &section, const QString &key, const QString &fallback) const;
  // The leading decimal integer of the value (optional sign); `fallback` when the key is
  // missing, 0 when the value does not start with a number.
  int readInt(const QString &section, const QString &key, int fallback) const;

  // Replaces the key's value in place, or adds it at the end of its section (the section
  // at the end of the file). Line breaks in the value become spaces.
  void setValue(const QString &section, const QString &key, const QString &value);
  void removeKey(const QString &section, const QString &key);
  bool hasSection(const QString &section) const;
  QStringList keys(const QString &section) const;

  QByteArray serialize() const;
  // Writes atomically (a temporary file renamed over the old one).
  Status save(const QString &path) const;

private:
  struct Line {
    QString text;    // the line as read, rewritten when the key changes
    QString section; // section the line belongs to ("" before the first header)
    QString key;     // empty for headers, comments and blank lines
    bool isHeader = false;
    QByteArray raw; // the bytes as read (null for a line written by this program)
  };
  int findKey(const QString &section, const QString &key) const;
  int findHeader(const QString &section) const;

  QList<Line> lines_;
};

// Text made safe for a CP932 section name or value, and back: a character CP932 cannot hold,
// a control character, "]" and "%" become %XX of their UTF-8 bytes, so that nothing is lost
// and no value can start a line or a section. Text without them keeps its plain spelling.
QString IniEscaped(const QString &text);
QString IniUnescaped(const QString &text);

// One-shot forms of the system's profile functions; each opens and closes the file.
int GetProfileInt(const QString &path, const QString &section, const QString &key, int fallback);
QString GetProfileString(const QString &path, const QString &section, const QString &key,
                         const QString &fallback);
Status WriteProfileString(const QString &path, const QString &section, const QString &key,
                          const QString &value);

} // namespace pipora
