#include "session/tone_store.h"

#include "platform/files/file_io.h"
#include "platform/files/program_directory.h"
#include "platform/ini/ini_file.h"

#include <QLockFile>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>

namespace pipora {

QString ToneStorePath() {
  return ProgramFile(QStringLiteral("pipora.ton"));
}

QString ToneSection(const QString &smdPath) {
  // One section per path, spelt losslessly; paths CP932 can hold keep the plain spelling
  // earlier stores used.
  return IniEscaped(AbsoluteFileName(smdPath));
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

namespace {

// Reads the store, lets `change` edit it and writes it back, all under the store's lock: two
// editors saving different songs each read the store as the other left it, so that neither
// section is lost. `change` returns false when there is nothing to write.
Status ChangeStore(const std::function<bool(IniFile &)> &change) {
  QLockFile lock(ToneStorePath() + QStringLiteral(".lock"));
  errno = 0;
  if (!lock.tryLock(5000)) {
    // A lock that cannot be made at all (a full disk) is not another editor at work.
    const int cause = errno;
    if (lock.error() == QLockFile::LockFailedError)
      return Error{"他のPiporaPadが使用中です"};
    return Error{"pipora.ton.lock を作成できません" +
                 (cause != 0 ? "（" + std::string(std::strerror(cause)) + "）" : std::string())};
  }
  Result<IniFile> ini = IniFile::Load(ToneStorePath());
  if (!ini)
    return ini.failure();
  if (!change(*ini))
    return Ok{};
  return ini->save(ToneStorePath());
}

void PutTones(IniFile &ini, const Song &song, const QString &section) {
  for (int n = 1; n <= kUserParts; ++n)
    ini.setValue(section, QString::number(n), QString::number(song.part(n).tone));
}

bool PutScoreDisplay(IniFile &ini, const Song &song, const QString &section);

} // namespace

Status SaveTones(const Song &song, const QString &smdPath) {
  const QString section = ToneSection(smdPath);
  return ChangeStore([&](IniFile &ini) {
    PutTones(ini, song, section);
    return true;
  });
}

Status SaveSongSettings(const Song &song, const QString &smdPath, bool withTones) {
  const QString section = ToneSection(smdPath);
  return ChangeStore([&](IniFile &ini) {
    if (withTones)
      PutTones(ini, song, section);
    return PutScoreDisplay(ini, song, section) || withTones;
  });
}

namespace {

QString ClefKey(int part) {
  return QStringLiteral("clef%1").arg(part);
}

} // namespace

void LoadScoreDisplay(Song &song, const QString &smdPath) {
  song.display.clefs.fill(Clef::Automatic);
  song.display.key.reset();
  Result<IniFile> ini = IniFile::Load(ToneStorePath());
  if (!ini)
    return;
  const QString section = ToneSection(smdPath);
  for (int n = 1; n <= kUserParts; ++n) {
    const QString clef = ini->readString(section, ClefKey(n), QString());
    song.display.clefs[static_cast<std::size_t>(n)] = clef == QLatin1String("bass") ? Clef::Bass
                                                      : clef == QLatin1String("treble")
                                                          ? Clef::Treble
                                                          : Clef::Automatic;
  }
  QString key = ini->readString(section, QStringLiteral("key"), QString());
  const bool minor = key.endsWith(QLatin1Char('m'));
  if (minor)
    key.chop(1);
  bool ok = false;
  const int fifths = key.toInt(&ok);
  if (ok && fifths >= -7 && fifths <= 7)
    song.display.key = KeySignature{fifths, minor};
  // "3/4": beats per bar and the beat's note; a value that is no such meter is left out.
  const QStringList time = ini->readString(section, QStringLiteral("time"), QString()).split('/');
  bool beatsOk = false, noteOk = false;
  const int beats = time.size() == 2 ? time[0].toInt(&beatsOk) : 0;
  const int note = time.size() == 2 ? time[1].toInt(&noteOk) : 0;
  if (beatsOk && noteOk && beats >= 1 && beats <= 99 && note >= 2 && note <= 16 &&
      kTicksPerWhole % note == 0) {
    song.beatsPerMeasure = static_cast<std::int16_t>(beats);
    song.ticksPerBeat = static_cast<std::int16_t>(kTicksPerWhole / note);
  }
}

namespace {

// False when there is nothing to write: nothing chosen for a file the store does not know.
bool PutScoreDisplay(IniFile &ini, const Song &song, const QString &section) {
  const auto &clefs = song.display.clefs;
  const auto &key = song.display.key;
  const bool commonTime = song.beatsPerMeasure == 4 && song.ticksPerBeat == kTicksPerQuarter;
  const bool automatic = !key && commonTime && std::all_of(clefs.begin(), clefs.end(), [](Clef c) {
    return c == Clef::Automatic;
  });
  // Nothing chosen for a file the store does not know: the store is left as it is.
  if (automatic && !ini.hasSection(section))
    return false;
  auto put = [&](const QString &name, const QString &value) {
    if (value.isEmpty())
      ini.removeKey(section, name);
    else
      ini.setValue(section, name, value);
  };
  for (int n = 1; n <= kUserParts; ++n) {
    const Clef clef = clefs[static_cast<std::size_t>(n)];
    put(ClefKey(n), clef == Clef::Bass     ? QStringLiteral("bass")
                    : clef == Clef::Treble ? QStringLiteral("treble")
                                           : QString());
  }
  put(QStringLiteral("key"),
      key ? QString::number(key->fifths) + (key->minor ? QStringLiteral("m") : QString())
          : QString());
  put(QStringLiteral("time"), commonTime ? QString()
                                         : QString::number(song.beatsPerMeasure) + '/' +
                                               QString::number(kTicksPerWhole / song.ticksPerBeat));
  return true;
}

} // namespace

Status SaveScoreDisplay(const Song &song, const QString &smdPath) {
  const QString section = ToneSection(smdPath);
  return ChangeStore([&](IniFile &ini) { return PutScoreDisplay(ini, song, section); });
}

} // namespace pipora
