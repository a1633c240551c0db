// The real outputs on a machine that may have no sound: missing SoundFont or port means no
// device, and every operation fails quietly.
#include "platform/midi/fluidsynth/fluidsynth_engine.h"
#include "platform/midi/fluidsynth/fluidsynth_midi_backend.h"
#include "platform/midi/null/null_midi_backend.h"
#include "platform/midi/rtmidi/rtmidi_midi_backend.h"
#include "platform/midi/system/system_midi_output.h"
#include "playback/midi_output.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace pipora {
namespace {

TEST(FluidSynthBackend, MissingSoundFontMeansNoDevice) {
  MidiOutput midi(std::make_unique<FluidSynthMidiBackend>("/nonexistent/none.sf2"));
  EXPECT_EQ(midi.backend().deviceCount(), 0);
  EXPECT_FALSE(midi.MidiOpen());
  EXPECT_FALSE(midi.MidiNoteOn(1, 60));
  EXPECT_FALSE(midi.MidiReset());
  EXPECT_FALSE(midi.MidiClose());
  auto &synth = static_cast<FluidSynthMidiBackend &>(midi.backend());
  EXPECT_NE(synth.problem().find("SoundFont"), std::string::npos) << synth.problem();
}

TEST(FluidSynthBackend, DestroyedWhileStillLoading) {
  // The loader thread must be joined, not left running on a destroyed object.
  for (int i = 0; i < 3; ++i)
    FluidSynthMidiBackend backend;
  SUCCEED();
}

TEST(FluidSynthEngine, DefaultSoundFontLoadsAndSounds) {
  if (!std::filesystem::exists(kDefaultSoundFont))
    GTEST_SKIP() << "timgm6mb-soundfont is not installed";
  FluidSynthEngine engine;
  ASSERT_EQ(engine.loadSoundFont(kDefaultSoundFont), "");
  EXPECT_TRUE(engine.dispatch(ShortMessage(0xC0, 0, 0)));
  EXPECT_TRUE(engine.dispatch(ShortMessage(0x90, 69, 120)));
  std::vector<std::int16_t> frames(2 * 4410);
  engine.render(frames.data(), 4410);
  int peak = 0;
  for (std::int16_t s : frames)
    peak = std::max(peak, std::abs(static_cast<int>(s)));
  EXPECT_GT(peak, 500); // a note, not silence
  EXPECT_TRUE(engine.dispatch(ShortMessage(0x90, 69, 0)));
  EXPECT_FALSE(engine.dispatch(ShortMessage(0xF0, 0, 0)));
}

TEST(RtMidiBackend, UnknownPortMeansNoDevice) {
  MidiOutput midi(std::make_unique<RtMidiBackend>("no port has this name 7f3a"));
  EXPECT_EQ(midi.backend().deviceCount(), 0);
  EXPECT_FALSE(midi.MidiOpen());
  EXPECT_FALSE(midi.MidiNoteOff(1, 60));
  EXPECT_FALSE(midi.MidiClose());
}

TEST(SystemMidiOutput, EnvironmentForcesSilentOutput) {
  setenv("PIPORAPAD_MIDI", "null", 1);
  auto backend = CreateMidiBackend({});
  unsetenv("PIPORAPAD_MIDI");
  EXPECT_NE(dynamic_cast<NullMidiBackend *>(backend.get()), nullptr);
}

TEST(SystemMidiOutput, OutputNameChoosesSystemPort) {
  auto backend = CreateMidiBackend({"some port", ""});
  EXPECT_NE(dynamic_cast<RtMidiBackend *>(backend.get()), nullptr);
}

} // namespace
} // namespace pipora
