#include "views/options/sound_output.h"

#include "platform/midi/fluidsynth/fluidsynth_engine.h"
#include "platform/midi/rtmidi/rtmidi_midi_backend.h"
#include "platform/midi/system/system_midi_output.h"
#include "playback/midi_output.h"
#include "views/app_context.h"

namespace pipora {

QStringList SystemMidiPortNames() {
  QStringList names;
  // The silent output is forced (automated runs): there is nothing to choose from.
  if (qEnvironmentVariable("PIPORAPAD_MIDI") == QLatin1String("null"))
    return names;
  for (const std::string &name : RtMidiBackend::PortNames())
    names << QString::fromStdString(name);
  return names;
}

QString SoundFontProblem(const QString &path) {
  FluidSynthEngine engine;
  if (!engine.valid())
    return QStringLiteral("シンセサイザーを準備できませんでした。");
  return QString::fromStdString(engine.loadSoundFont(path.toStdString()));
}

void UseChosenOutput(AppContext &ctx) {
  MidiOutputChoice choice;
  choice.outputName = ctx.settings.midiOutput.toStdString();
  choice.soundFontPath = ctx.settings.soundFont.toStdString();
  ctx.session.midi().replaceBackend(CreateMidiBackend(choice));
}

} // namespace pipora
