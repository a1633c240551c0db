#include "session/tone_store.h"

#include "platform/files/program_directory.h"
#include "platform/ini/ini_file.h"

#include <QFileInfo>

namespace pipora {

QString ToneStorePath() {
  return ProgramFile(QStringLiteral("pipora.ton"));
}

QString ToneSection(const QString &smdPath) {
  return QFileInfo(smdPath).absoluteFilePath();
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
  Result<IniFile> ini = IniFile::Load(ToneStorePath());
  if (!ini)
    return ini.failure();
  const QString section = ToneSection(smdPath);
  for (int n = 1; n <= kUserParts; ++n)
    ini->setValue(section, QString::number(n), QString::number(song.part(n).tone));
  return ini->save(ToneStorePath());
}

} // namespace pipora
