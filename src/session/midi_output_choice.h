#pragma once
// Which MIDI output the editor plays through, from two optional keys of the settings file:
// MidiOutput (a system MIDI port's name; empty for the built-in synthesizer) and SoundFont
// (a .sf2 file).
#include "platform/midi/system/system_midi_output.h"

#include <QString>

namespace pipora {

MidiOutputChoice ReadMidiOutputChoice(const QString &programDirectory);

} // namespace pipora
