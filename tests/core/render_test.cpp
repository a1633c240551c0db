// `piporapad-cli render` end to end: the notes of the WAV start where the song's ticks and
// tempo put them.
#include "core/player_rig.h"
#include "session/smd_files.h"
#include "session/tone_store.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include <cmath>
#include <cstdlib>

namespace pipora {
namespace {

struct Wav {
  int sampleRate = 0;
  int channels = 0;
  std::vector<double> mono;
};

int Le(const QByteArray &b, qsizetype at, int bytes) {
  int v = 0;
  for (int i = 0; i < bytes; ++i)
    v |= (static_cast<unsigned char>(b[at + i])) << (8 * i);
  return v;
}

Wav ReadWav(const QString &path) {
  QFile f(path);
  Wav wav;
  if (!f.open(QIODevice::ReadOnly))
    return wav;
  const QByteArray b = f.readAll();
  if (b.size() < 44 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE")
    return wav;
  wav.channels = Le(b, 22, 2);
  wav.sampleRate = Le(b, 24, 4);
  const qsizetype data = b.indexOf("data") + 8;
  for (qsizetype at = data; at + 2 * wav.channels <= b.size(); at += 2 * wav.channels) {
    double sum = 0;
    for (int c = 0; c < wav.channels; ++c)
      sum += static_cast<std::int16_t>(Le(b, at + 2 * c, 2));
    wav.mono.push_back(sum / wav.channels);
  }
  return wav;
}

// A note starts where the sound rises above a tenth of the loudest sample after at least
// 150 ms below it.
std::vector<double> OnsetsMs(const Wav &wav) {
  double peak = 0;
  for (double s : wav.mono)
    peak = std::max(peak, std::abs(s));
  const double threshold = peak / 10;
  const auto quietNeeded = static_cast<std::size_t>(wav.sampleRate * 0.150);
  std::vector<double> onsets;
  std::size_t quiet = quietNeeded;
  for (std::size_t i = 0; i < wav.mono.size(); ++i) {
    if (std::abs(wav.mono[i]) < threshold) {
      ++quiet;
      continue;
    }
    if (quiet >= quietNeeded)
      onsets.push_back(1000.0 * static_cast<double>(i) / wav.sampleRate);
    quiet = 0;
  }
  return onsets;
}

struct RenderCase {
  const char *name;
  TempoChoice tempo;
};

// Test names show the row's name rather than the row's bytes.
void PrintTo(const RenderCase &row, std::ostream *out) {
  *out << row.name;
}

class RenderOnsets : public ::testing::TestWithParam<RenderCase> {};

TEST_P(RenderOnsets, NotesStartWhereTicksAndTempoPutThem) {
  Song song;
  song.setTempo(GetParam().tempo);
  // Short notes separated by half rests, so each start rises out of near silence.
  testing::AddNotes(song, 1,
                    {{60, "8"},
                     {0, "2"},
                     {64, "8"},
                     {0, "2"},
                     {67, "16"},
                     {0, "2"},
                     {72, "8"},
                     {0, "2"},
                     {65, "4"},
                     {0, "2"}});
  QTemporaryDir dir;
  const QString smd = dir.filePath("onsets.smd");
  const QString wavPath = dir.filePath("onsets.wav");
  ASSERT_TRUE(SaveSmdFile(song, smd, false).ok());
  // A tone with an immediate attack (square lead): a piano sample's own lead-in would be
  // measured as lateness. The tool reads the tones the editor remembers for the file.
  song.part(1).tone = 80;
  ASSERT_TRUE(SaveTones(song, smd).ok());

  QProcess cli;
  cli.start(PIPORAPAD_CLI, {"render", smd, wavPath});
  ASSERT_TRUE(cli.waitForFinished(60000));
  ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();

  const Wav wav = ReadWav(wavPath);
  ASSERT_EQ(wav.sampleRate, 44100);
  ASSERT_EQ(wav.channels, 2);
  const std::vector<double> onsets = OnsetsMs(wav);
  const double msPerTick = MsPerTick(GetParam().tempo);
  std::vector<double> expected;
  for (int i = 0; i < song.part(1).count; ++i)
    if (song.part(1).notes[static_cast<std::size_t>(i)].noteNumber != 0)
      expected.push_back(song.part(1).notes[static_cast<std::size_t>(i)].start * msPerTick);
  ASSERT_EQ(onsets.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_NEAR(onsets[i], expected[i], 5.0) << "note " << i;
}

INSTANTIATE_TEST_SUITE_P(Tempos, RenderOnsets,
                         ::testing::Values(RenderCase{"Fast", TempoChoice::Fast},
                                           RenderCase{"Slow", TempoChoice::Slow}),
                         [](const auto &info) { return std::string(info.param.name); });

// The largest sample magnitude of a 16-bit WAV file, both channels.
int PeakSample(const QString &path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    return -1;
  const QByteArray b = f.readAll();
  int peak = 0;
  for (qsizetype at = b.indexOf("data") + 8; at + 2 <= b.size(); at += 2)
    peak = std::max(peak, std::abs(int{static_cast<std::int16_t>(Le(b, at, 2))}));
  return peak;
}

struct LevelRow {
  const char *name;
  QStringList options;
  int lowest; // the peak sample expected, within these
  int highest;
};

void PrintTo(const LevelRow &row, std::ostream *out) {
  *out << row.name;
}

class RenderLevel : public ::testing::TestWithParam<LevelRow> {};

// Every rendering draws its own velocities, so a level without normalising is known only
// within bounds: one part of the synthesizer stays far below full scale.
TEST_P(RenderLevel, PeakIsWhereTheOptionsPutIt) {
  Song song;
  testing::AddNotes(song, 1, {{60, "4"}, {64, "4"}, {67, "2"}});
  QTemporaryDir dir;
  const QString smd = dir.filePath("level.smd");
  const QString wav = dir.filePath("out.wav");
  ASSERT_TRUE(SaveSmdFile(song, smd, false).ok());
  QProcess cli;
  cli.start(PIPORAPAD_CLI, QStringList{"render", smd, wav} + GetParam().options);
  ASSERT_TRUE(cli.waitForFinished(60000));
  ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  const int peak = PeakSample(wav);
  EXPECT_GE(peak, GetParam().lowest);
  EXPECT_LE(peak, GetParam().highest);
}

// -1 dBFS is 32767 * 10^(-1/20) = 29204.
INSTANTIATE_TEST_SUITE_P(
    Options, RenderLevel,
    ::testing::Values(
        LevelRow{"NormalisedToMinusOneDbByDefault", {}, 29202, 29206},
        LevelRow{"NoNormaliseKeepsTheSynthesizersQuietLevel", {"--no-normalise"}, 1, 16383},
        LevelRow{"ANegativeGainLowersIt", {"--gain", "-20"}, 1, 1639},
        LevelRow{"AGainPastFullScaleIsHeldThereWithoutWrapping", {"--gain", "40"}, 32767, 32768}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Render, UnreadableInputWritesNothing) {
  QTemporaryDir dir;
  const QString out = dir.filePath("never.wav");
  QProcess cli;
  cli.start(PIPORAPAD_CLI, {"render", dir.filePath("missing.smd"), out});
  ASSERT_TRUE(cli.waitForFinished(60000));
  EXPECT_EQ(cli.exitCode(), 2);
  EXPECT_FALSE(QFile::exists(out));
}

TEST(Play, RunsItsClockWithoutSoundAndStopsAfterTheGivenTime) {
  Song song;
  testing::AddNotes(song, 1, {{60, "4"}, {62, "4"}, {64, "2"}});
  QTemporaryDir dir;
  const QString smd = dir.filePath("play.smd");
  ASSERT_TRUE(SaveSmdFile(song, smd, false).ok());
  QProcess cli;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("PIPORAPAD_MIDI", "null");
  cli.setProcessEnvironment(env);
  cli.start(PIPORAPAD_CLI, {"play", smd, "--seconds", "0.5"});
  ASSERT_TRUE(cli.waitForFinished(60000));
  EXPECT_EQ(cli.exitCode(), 0);
  EXPECT_TRUE(cli.readAllStandardError().contains("without sound"));
}

} // namespace
} // namespace pipora
