#include "settings/tone_names.h"

#include "platform/files/file_io.h"
#include "platform/files/program_directory.h"
#include "platform/text/cp932.h"

#include <QFile>
#include <QFileInfo>

namespace pipora {
namespace {

// A tone label is one line of a grid of eight; a longer line is not a name.
constexpr int kMaxNameLength = 64;

bool IsUsableName(const QString &name) {
  if (name.isEmpty() || name.size() > kMaxNameLength)
    return false;
  for (const QChar ch : name)
    if (ch.category() == QChar::Other_Control || ch == QChar::ReplacementCharacter)
      return false;
  return true;
}

ToneNames NumbersOnly() {
  ToneNames tones;
  for (int n = 0; n < kToneCount; ++n)
    tones.names[static_cast<std::size_t>(n)] = QString::number(n);
  return tones;
}

} // namespace

QString ToneNamesFilePath() {
  return ProgramFile(QStringLiteral("pipora.tnf"));
}

ToneNames ParseToneNames(const QByteArray &bytes) {
  ToneNames tones = NumbersOnly();
  QList<QByteArray> lines = bytes.split('\n');
  for (int n = 0; n < kToneCount && n < lines.size(); ++n) {
    QByteArray line = lines[n];
    if (line.endsWith('\r'))
      line.chop(1);
    const QString name = FromCp932(line).trimmed();
    if (!IsUsableName(name))
      continue;
    tones.names[static_cast<std::size_t>(n)] = name;
    ++tones.namedLines;
  }
  return tones;
}

ToneNames LoadToneNames(const QString &path) {
  // 128 short lines: a megabyte is far more than any list of names needs.
  const Result<QByteArray> bytes = ReadWholeFile(path, qint64{1} << 20);
  if (!bytes)
    return NumbersOnly();
  return ParseToneNames(bytes.value());
}

bool EnsureToneNamesFile(const QString &installedPath, const QString &programPath) {
  if (QFileInfo::exists(programPath))
    return true;
  if (installedPath.isEmpty())
    return false;
  if (!QFile::copy(installedPath, programPath))
    return false;
  // The installed copy is read-only; the user's copy may be edited.
  QFile::setPermissions(programPath, QFile::permissions(programPath) | QFile::WriteOwner);
  return true;
}

} // namespace pipora
