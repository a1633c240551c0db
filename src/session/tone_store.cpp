#include "session/tone_store.h"

#include "platform/files/program_directory.h"
#include "platform/ini/ini_file.h"

#include <QFileInfo>
#include <QLockFile>

namespace pipora {

QString ToneStorePath() {
  return ProgramFile(QStringLiteral("pipora.ton"));
}

QString ToneSection(const QString &smdPath) {
  // One section per path, spelt losslessly; paths CP932 can hold keep the plain spelling
  // earlier stores used.
  return IniEscaped(QFileInfo(smdPath).absoluteFilePath());
}

void LoadTones(Song &song, const QString &smdPath) {
  Result<IniFile> ini = IniFile::Load(ToneStorePath());
  if (!ini)
    return;
  const QString section = ToneSection(smdPath);
  for (int n = 1; n <= kUserParts; ++n) {
    int &tone = song.part(n).tone;
    tone = ini->readInt(section, QString::number(n), tone);
  }
}

Status SaveTones(const Song &song, const QString &smdPath) {
  // Two editors saving different songs: each reads the store as the other left it and adds
  // its own section, under the lock, so that neither section is lost.
  QLockFile lock(ToneStorePath() + QStringLiteral(".lock"));
  if (!lock.tryLock(5000))
    return Error{(ToneStorePath() + QStringLiteral(": 他のPiporaPadが使用中です。")).toStdString()};
  Result<IniFile> ini = IniFile::Load(ToneStorePath());
  if (!ini)
    return ini.failure();
  const QString section = ToneSection(smdPath);
  for (int n = 1; n <= kUserParts; ++n)
    ini->setValue(section, QString::number(n), QString::number(song.part(n).tone));
  return ini->save(ToneStorePath());
}

} // namespace pipora
