#pragma once
// The sound output the settings choose: a system MIDI port by name, or the built-in
// synthesizer with its SoundFont. Switching takes effect at once, without a restart.
#include "settings/settings.h"

#include <QString>
#include <QStringList>

namespace pipora {

struct AppContext;

// The system's MIDI output ports as they are now.
QStringList SystemMidiPortNames();
// Empty when the file loads as a SoundFont, else why it does not.
QString SoundFontProblem(const QString &path);
// Makes the program's MIDI output the one the settings name.
void UseChosenOutput(AppContext &ctx);

} // namespace pipora
