#include "views/options/sound_output.h"

#include "session/sound_outputs.h"
#include "views/app_context.h"

namespace pipora {

QStringList SystemMidiPortNames() {
  QStringList names;
  for (const std::string &name : ListSystemMidiPorts())
    names << QString::fromStdString(name);
  return names;
}

QString SoundFontProblem(const QString &path) {
  return QString::fromStdString(CheckSoundFont(path.toStdString()));
}

void UseChosenOutput(AppContext &ctx) {
  ctx.session.useSoundOutput(ctx.settings.midiOutput.toStdString(),
                             ctx.settings.soundFont.toStdString());
}

} // namespace pipora
