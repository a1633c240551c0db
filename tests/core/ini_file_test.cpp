#include "platform/files/file_io.h"
#include "platform/ini/ini_file.h"
#include "platform/text/cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pipora {
namespace {

const QByteArray kSample = "; written by hand\r\n"
                           "[pipora]\r\n"
                           "main.Left=120\r\n"
                           "isTick = -1 \r\n"
                           "Name=\"quoted value\"\r\n"
                           "\r\n"
                           "[C:\\melodies\\a.smd]\r\n"
                           "1=19\r\n"
                           "2=abc\r\n";

TEST(IniFile, ReadsValuesBySectionAndKey) {
  const IniFile ini = IniFile::Parse(kSample);
  EXPECT_EQ(ini.readInt("pipora", "main.Left", 0), 120);
  EXPECT_EQ(ini.readInt("pipora", "isTick", 0), -1);
  EXPECT_EQ(ini.readInt("pipora", "MAIN.LEFT", 0), 120);
  EXPECT_EQ(ini.readString("pipora", "Name", "x"), "quoted value");
  EXPECT_EQ(ini.readInt("C:\\melodies\\a.smd", "1", 0), 19);
  EXPECT_EQ(ini.readInt("C:\\melodies\\a.smd", "2", 7), 0); // not a number
  EXPECT_EQ(ini.readInt("C:\\melodies\\a.smd", "3", 7), 7); // missing
  EXPECT_EQ(ini.readInt("c:\\melodies\\a.smd", "1", 5), 5); // paths are exact
  EXPECT_EQ(ini.readString("nowhere", "1", "fallback"), "fallback");
  EXPECT_FALSE(ini.value("pipora", "written by hand").has_value());
  EXPECT_TRUE(ini.hasSection("pipora"));
  EXPECT_EQ(ini.keys("pipora"), QStringList({"main.Left", "isTick", "Name"}));
}

TEST(IniFile, ReadIntTakesTheLeadingNumber) {
  const IniFile ini = IniFile::Parse("[s]\na=42abc\nb=+7\nc=\nd=99999999999\ne= 12 \n");
  EXPECT_EQ(ini.readInt("s", "a", -1), 42);
  EXPECT_EQ(ini.readInt("s", "b", -1), 7);
  EXPECT_EQ(ini.readInt("s", "c", -1), 0);
  EXPECT_EQ(ini.readInt("s", "d", -1), INT_MAX);
  EXPECT_EQ(ini.readInt("s", "e", -1), 12);
}

TEST(IniFile, WritingOneKeyKeepsEverythingElse) {
  IniFile ini = IniFile::Parse(kSample);
  ini.setValue("pipora", "main.left", "300");
  ini.setValue("pipora", "isSaveTone", "0");
  ini.setValue("C:\\melodies\\a.smd", "16", "73");
  ini.setValue("/home/b.smd", "1", "5");
  EXPECT_EQ(ini.serialize(), QByteArray("; written by hand\r\n"
                                        "[pipora]\r\n"
                                        "main.left=300\r\n"
                                        "isTick = -1 \r\n"
                                        "Name=\"quoted value\"\r\n"
                                        "isSaveTone=0\r\n"
                                        "\r\n"
                                        "[C:\\melodies\\a.smd]\r\n"
                                        "1=19\r\n"
                                        "2=abc\r\n"
                                        "16=73\r\n"
                                        "[/home/b.smd]\r\n"
                                        "1=5\r\n"));
  ini.removeKey("pipora", "Name");
  EXPECT_FALSE(ini.value("pipora", "Name").has_value());
  EXPECT_EQ(ini.readInt("pipora", "isTick", 9), -1);
}

// Lines this program does not change go back as they were read, whatever their bytes.
TEST(IniFile, LinesNotWrittenKeepTheirBytes) {
  const QByteArray other = "[other]\r\nname=caf\xc3\xa9 \x80\xff\x7f\r\n\xfd\xfe=\x81\r\n";
  IniFile ini = IniFile::Parse(other + "[pipora]\r\nisTick=0\r\n");
  ini.setValue("pipora", "isTick", "1");
  EXPECT_EQ(ini.serialize(), other + "[pipora]\r\nisTick=1\r\n");
}

TEST(IniFile, LineBreaksInValuesCannotStartNewKeys) {
  IniFile ini;
  ini.setValue("s", "LastFileName", "a\r\n[evil]\nx=1");
  const IniFile back = IniFile::Parse(ini.serialize());
  EXPECT_FALSE(back.hasSection("evil"));
  EXPECT_EQ(back.readString("s", "LastFileName", ""), "a  [evil] x=1");
}

TEST(IniFile, TextIsCp932OnDiskAndLfFilesAreRead) {
  IniFile ini = IniFile::Parse(ToCp932(QStringLiteral("[/曲/着メロ.smd]\n1=3\n")));
  EXPECT_EQ(ini.readInt(QStringLiteral("/曲/着メロ.smd"), "1", 0), 3);
  ini.setValue(QStringLiteral("/曲/着メロ.smd"), "name", QStringLiteral("ピアノ"));
  const QByteArray bytes = ini.serialize();
  EXPECT_TRUE(bytes.contains(ToCp932(QStringLiteral("name=ピアノ\r\n"))));
  EXPECT_FALSE(bytes.contains("\xe3")); // no UTF-8 lead bytes
}

TEST(IniFile, ProfileFunctionsReadAndWriteSingleKeys) {
  QTemporaryDir dir;
  const QString path = dir.filePath("pipora.ini");
  EXPECT_EQ(GetProfileInt(path, "pipora", "a", 11), 11);
  EXPECT_EQ(GetProfileString(path, "pipora", "a", "d"), "d");
  ASSERT_TRUE(WriteProfileString(path, "pipora", "a", "5").ok());
  ASSERT_TRUE(WriteProfileString(path, "pipora", "b", "text").ok());
  ASSERT_TRUE(WriteProfileString(path, "other", "a", "6").ok());
  ASSERT_TRUE(WriteProfileString(path, "pipora", "a", "7").ok());
  EXPECT_EQ(GetProfileInt(path, "pipora", "a", 0), 7);
  EXPECT_EQ(GetProfileString(path, "pipora", "b", ""), "text");
  EXPECT_EQ(GetProfileInt(path, "other", "a", 0), 6);
  EXPECT_EQ(*ReadWholeFile(path), QByteArray("[pipora]\r\na=7\r\nb=text\r\n[other]\r\na=6\r\n"));
}

TEST(IniFile, UnwritableTargetReportsTheSystemError) {
  QTemporaryDir dir;
  const QString path = dir.filePath("pipora.ton");
  ASSERT_TRUE(QDir(dir.path()).mkdir("pipora.ton"));
  IniFile ini;
  ini.setValue("s", "k", "2");
  const Status saved = ini.save(path);
  EXPECT_FALSE(saved.ok());
  EXPECT_FALSE(saved.error().empty());
  EXPECT_TRUE(QFileInfo(path).isDir());
  EXPECT_FALSE(WriteProfileString(path, "s", "k", "1").ok());
  EXPECT_EQ(GetProfileInt(path, "s", "k", 9), 9);
}

} // namespace
} // namespace pipora
