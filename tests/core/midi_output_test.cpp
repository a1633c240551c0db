#include "platform/midi/null/null_midi_backend.h"
#include "platform/midi/recording/recording_midi_backend.h"
#include "playback/midi_output.h"

#include <gtest/gtest.h>

#include <ostream>

#include <map>

namespace pipora {
namespace {

class MeterStub : public LevelMeters {
public:
  int meterMaximum(int) const override { return maximum; }
  void setMeterValue(int part, int value) override { values[part] = value; }
  int maximum = 100;
  std::map<int, int> values;
};

struct Fixture {
  Fixture() {
    auto backend = std::make_unique<RecordingMidiBackend>([this] { return now; });
    recorder = backend.get();
    midi = std::make_unique<MidiOutput>(std::move(backend));
    midi->setLevelMeters(&meters);
  }
  double now = 0;
  RecordingMidiBackend *recorder = nullptr;
  std::unique_ptr<MidiOutput> midi;
  MeterStub meters;
};

TEST(MidiOutput, SecondOpenReturnsFalseAndDeviceStaysUsable) {
  Fixture f;
  EXPECT_TRUE(f.midi->MidiOpen());
  EXPECT_FALSE(f.midi->MidiOpen());
  EXPECT_TRUE(f.midi->isOpen());
  EXPECT_TRUE(f.midi->MidiProgramChange(1, 5));
  EXPECT_EQ(f.recorder->messages().size(), 1u);
}

TEST(MidiOutput, CloseClearsOpenAndLaterMessagesFailSilently) {
  Fixture f;
  f.midi->MidiOpen();
  EXPECT_TRUE(f.midi->MidiClose());
  EXPECT_FALSE(f.midi->isOpen());
  EXPECT_FALSE(f.midi->MidiNoteOff(1, 60));
  EXPECT_FALSE(f.midi->MidiReset());
  EXPECT_TRUE(f.recorder->messages().empty());
}

struct MessageCase {
  const char *name;
  std::function<bool(MidiOutput &)> call;
  int status, data1, data2;
};

// Test names show the row's name rather than the row's bytes.
void PrintTo(const MessageCase &row, std::ostream *out) {
  *out << row.name;
}

class MidiMessageValues : public ::testing::TestWithParam<MessageCase> {};

TEST_P(MidiMessageValues, SendsExactBytes) {
  Fixture f;
  f.midi->MidiOpen();
  ASSERT_TRUE(GetParam().call(*f.midi));
  const auto messages = f.recorder->messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].status(), GetParam().status);
  EXPECT_EQ(messages[0].data1(), GetParam().data1);
  EXPECT_EQ(messages[0].data2(), GetParam().data2);
  EXPECT_EQ(messages[0].message >> 24, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MidiMessageValues,
    ::testing::Values(
        MessageCase{"NoteOffChannel16", [](MidiOutput &m) { return m.MidiNoteOff(16, 72); }, 0x9F,
                    72, 0},
        MessageCase{"ProgramChangeChannel10",
                    [](MidiOutput &m) { return m.MidiProgramChange(10, 0); }, 0xC9, 0, 0},
        MessageCase{"ProgramChangeChannel1",
                    [](MidiOutput &m) { return m.MidiProgramChange(1, 127); }, 0xC0, 127, 0},
        MessageCase{"ExpressionChannel3", [](MidiOutput &m) { return m.MidiExpression(3, 96); },
                    0xB2, 11, 96}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MidiOutput, NoteOnSendsVelocityBetween90And127) {
  Fixture f;
  f.midi->MidiOpen();
  for (int i = 0; i < 200; ++i)
    f.midi->MidiNoteOn(1, 60);
  for (const auto &m : f.recorder->messages()) {
    EXPECT_EQ(m.status(), 0x90);
    EXPECT_EQ(m.data1(), 60);
    EXPECT_GE(m.data2(), 90);
    EXPECT_LE(m.data2(), 127);
  }
}

TEST(MidiOutput, VelocityDrawCoversWholeRange) {
  EXPECT_EQ(VelocityFromUniform(0.0), 90);
  EXPECT_EQ(VelocityFromUniform(0.999999), 127);
  EXPECT_EQ(VelocityFromUniform(0.5), 109);
}

TEST(MidiOutput, RestSendsNothingAndZeroesLevel) {
  Fixture f;
  f.midi->MidiOpen();
  f.meters.values[3] = 55;
  EXPECT_FALSE(f.midi->MidiNoteOn(3, 0));
  EXPECT_TRUE(f.recorder->messages().empty());
  EXPECT_EQ(f.meters.values[3], 0);
}

TEST(MidiOutput, LevelUsesVolumeCacheAndBarMaximum) {
  Fixture f;
  f.midi->MidiOpen();
  f.midi->setUniformSource([] { return 0.9999; }); // velocity 127
  f.midi->setVolumeCache(2, 8);
  f.midi->MidiNoteOn(2, 64);
  EXPECT_EQ(f.meters.values[2], 100);
  // A level above the bar's maximum (a volume bar, 0..8) leaves the bar alone.
  f.meters.maximum = 8;
  f.meters.values[2] = 4;
  f.midi->MidiNoteOn(2, 64);
  EXPECT_EQ(f.meters.values[2], 4);
}

TEST(MidiOutput, LevelTable) {
  EXPECT_EQ(LevelOf(127, 8), 100);
  for (int v = 90; v <= 127; ++v)
    EXPECT_EQ(LevelOf(v, 0), 0);
  EXPECT_EQ(LevelOf(127, 1), 12); // 12.5, halves to even
  EXPECT_EQ(LevelOf(127, 3), 38); // 37.5
  EXPECT_EQ(LevelOf(90, 4), 35);  // 35.43
}

TEST(MidiOutput, ExpressionTable) {
  const int expected[] = {64, 72, 80, 88, 96, 103, 111, 119, 127};
  for (int v = 0; v <= 8; ++v)
    EXPECT_EQ(ExpressionFromVolume(v), expected[v]) << "volume " << v;
}

TEST(MidiOutput, NoDeviceEveryOperationFailsSilently) {
  MidiOutput midi(std::make_unique<NullMidiBackend>());
  EXPECT_FALSE(midi.MidiOpen());
  EXPECT_FALSE(midi.isOpen());
  EXPECT_FALSE(midi.MidiNoteOn(1, 60));
  EXPECT_FALSE(midi.MidiNoteOff(1, 60));
  EXPECT_FALSE(midi.MidiReset());
  EXPECT_FALSE(midi.MidiClose());
}

TEST(MidiOutput, ChannelOutsideRangeIsRefused) {
  Fixture f;
  f.midi->MidiOpen();
  EXPECT_FALSE(f.midi->MidiNoteOff(0, 60));
  EXPECT_FALSE(f.midi->MidiNoteOff(17, 60));
  EXPECT_TRUE(f.recorder->messages().empty());
}

} // namespace
} // namespace pipora
