// pipora.tnf: the installed list, what a damaged or missing file gives, and the copy into
// the program directory.
#include "platform/text/cp932.h"
#include "settings/tone_names.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pipora {
namespace {

const QString kInstalled = QStringLiteral(PIPORAPAD_SOURCE_DIR "/share/piporapad/pipora.tnf");

QByteArray ReadAll(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(ToneNamesFile, InstalledListNamesAll128ProgramsInShiftJis) {
  const QByteArray bytes = ReadAll(kInstalled);
  ASSERT_FALSE(bytes.isEmpty());
  EXPECT_EQ(bytes.count("\r\n"), kToneCount);
  const ToneNames tones = ParseToneNames(bytes);
  EXPECT_EQ(tones.namedLines, kToneCount);
  EXPECT_EQ(tones.names[0].toStdString(), "グランドピアノ");
  EXPECT_EQ(tones.names[40].toStdString(), "バイオリン");
  EXPECT_EQ(tones.names[127].toStdString(), "銃声");
  // Written in the settings' code page, so it survives the round trip.
  for (const QString &name : tones.names)
    EXPECT_TRUE(FitsCp932(name)) << name.toStdString();
}

TEST(ToneNamesFile, MissingFileGivesProgramNumbers) {
  const ToneNames tones = LoadToneNames(QStringLiteral("/nonexistent/pipora.tnf"));
  EXPECT_EQ(tones.namedLines, 0);
  EXPECT_EQ(tones.names[0].toStdString(), "0");
  EXPECT_EQ(tones.names[127].toStdString(), "127");
}

TEST(ToneNamesFile, ShortFileNamesWhatItHasAndNumbersTheRest) {
  const ToneNames tones = ParseToneNames(ToCp932(QStringLiteral("ピアノ\r\nオルガン\n")));
  EXPECT_EQ(tones.namedLines, 2);
  EXPECT_EQ(tones.names[1].toStdString(), "オルガン");
  EXPECT_EQ(tones.names[2].toStdString(), "2");
}

TEST(ToneNamesFile, DamagedLinesShowTheirNumbers) {
  QByteArray bytes = ToCp932(QStringLiteral("ピアノ\r\n"));
  bytes += QByteArray("\x01\x02\x03\r\n", 5); // control characters
  bytes += "\r\n";                            // empty
  bytes += QByteArray(500, 'x') + "\r\n";     // far too long for a label
  bytes += ToCp932(QStringLiteral("  ハープ  \r\n"));
  const ToneNames tones = ParseToneNames(bytes);
  EXPECT_EQ(tones.names[0].toStdString(), "ピアノ");
  EXPECT_EQ(tones.names[1].toStdString(), "1");
  EXPECT_EQ(tones.names[2].toStdString(), "2");
  EXPECT_EQ(tones.names[3].toStdString(), "3");
  EXPECT_EQ(tones.names[4].toStdString(), "ハープ");
  EXPECT_EQ(tones.namedLines, 2);
}

TEST(ToneNamesFile, BinaryGarbageStillGives128Labels) {
  QByteArray bytes;
  for (int i = 0; i < 4096; ++i)
    bytes += static_cast<char>((i * 37) & 0xFF);
  const ToneNames tones = ParseToneNames(bytes);
  for (int n = 0; n < kToneCount; ++n)
    EXPECT_FALSE(tones.names[static_cast<std::size_t>(n)].isEmpty()) << n;
}

TEST(ToneNamesFile, CopiedIntoTheProgramDirectoryOnlyWhenMissing) {
  QTemporaryDir dir;
  const QString target = dir.filePath("pipora.tnf");
  ASSERT_TRUE(EnsureToneNamesFile(kInstalled, target));
  EXPECT_EQ(ReadAll(target), ReadAll(kInstalled));
  EXPECT_TRUE(QFileInfo(target).isWritable());

  // The user's own list is kept.
  QFile own(target);
  ASSERT_TRUE(own.open(QIODevice::WriteOnly | QIODevice::Truncate));
  own.write(ToCp932(QStringLiteral("わたしのピアノ\r\n")));
  own.close();
  ASSERT_TRUE(EnsureToneNamesFile(kInstalled, target));
  EXPECT_EQ(LoadToneNames(target).names[0].toStdString(), "わたしのピアノ");
}

TEST(ToneNamesFile, NoInstalledCopyReportsFailure) {
  QTemporaryDir dir;
  EXPECT_FALSE(EnsureToneNamesFile(dir.filePath("absent.tnf"), dir.filePath("pipora.tnf")));
  EXPECT_EQ(LoadToneNames(dir.filePath("pipora.tnf")).namedLines, 0);
}

} // namespace
} // namespace pipora
