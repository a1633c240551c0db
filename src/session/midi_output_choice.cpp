#include "session/midi_output_choice.h"

#include "platform/ini/ini_file.h"

#include <QDir>

namespace pipora {

MidiOutputChoice ReadMidiOutputChoice(const QString &programDirectory) {
  MidiOutputChoice choice;
  Result<IniFile> ini = IniFile::Load(QDir(programDirectory).filePath("pipora.ini"));
  if (!ini)
    return choice;
  choice.outputName = ini->readString("pipora", "MidiOutput", "").toStdString();
  choice.soundFontPath = ini->readString("pipora", "SoundFont", "").toStdString();
  return choice;
}

} // namespace pipora
