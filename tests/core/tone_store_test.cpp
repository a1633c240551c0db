// The meter kept per SMD file in the tone store, beside its clefs and key.
#include "platform/files/program_directory.h"
#include "platform/ini/ini_file.h"
#include "session/tone_store.h"

#include <QFile>
#include <gtest/gtest.h>

#include <utility>

namespace pipora {
namespace {

struct MeterRow {
  const char *name;
  QString stored; // the "time" value written by hand; empty: saved from `saved`
  std::pair<int, int> saved;
  std::pair<int, int> loaded; // beats per bar, ticks per beat
};

class StoredMeter : public ::testing::TestWithParam<MeterRow> {};

TEST_P(StoredMeter, ComesBackAsTheFilesMeter) {
  const MeterRow &row = GetParam();
  QFile::remove(ToneStorePath());
  const QString smd = ProgramFile("meter.smd");
  if (row.stored.isEmpty()) {
    Song song;
    song.beatsPerMeasure = static_cast<std::int16_t>(row.saved.first);
    song.ticksPerBeat = static_cast<std::int16_t>(row.saved.second);
    ASSERT_TRUE(SaveScoreDisplay(song, smd).ok());
  } else {
    Result<IniFile> ini = IniFile::Load(ToneStorePath());
    ASSERT_TRUE(ini.ok());
    ini->setValue(ToneSection(smd), QStringLiteral("time"), row.stored);
    ASSERT_TRUE(ini->save(ToneStorePath()).ok());
  }
  Song opened;
  LoadScoreDisplay(opened, smd);
  EXPECT_EQ(std::pair(int{opened.beatsPerMeasure}, int{opened.ticksPerBeat}), row.loaded);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StoredMeter,
    ::testing::Values(MeterRow{"ThreeFourComesBack", {}, {3, 480}, {3, 480}},
                      MeterRow{"SixEightComesBack", {}, {6, 240}, {6, 240}},
                      MeterRow{"AValueThatIsNoMeterIsLeftOut", "3/0", {}, {4, 480}},
                      MeterRow{"ABeatOfAWholeNoteIsLeftOut", "3/1", {}, {4, 480}},
                      MeterRow{"TextIsLeftOut", "three", {}, {4, 480}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pipora
