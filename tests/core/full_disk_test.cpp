// Every writer of the program on a disk that fails: through the fault hook anywhere, and on
// a real 64 KB tmpfs filled to the last page where the tests may mount one (as root).
#include "model/vocabulary.h"
#include "platform/files/file_io.h"
#include "platform/ini/ini_file.h"
#include "session/midi_files.h"
#include "session/smd_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace pipora {
namespace {

const QByteArray kOld = "old contents\r\n";
const std::string kNoSpace = std::strerror(ENOSPC);

Song OneNoteSong() {
  Song song;
  InsertNote(song, 1, 0, 60, "4", PitchNameOf(60));
  RecalcTimes(song);
  return song;
}

// Repeats a real file's bytes to a few megabytes: many write calls on the same path.
QByteArray Megabytes(const QByteArray &unit) {
  QByteArray bytes;
  while (bytes.size() < 3 * 1024 * 1024)
    bytes += unit;
  return bytes;
}

// A writer of the program: writes its content to `path`, returns the error ("" on success).
struct WriterRow {
  std::string name;
  std::function<std::string(const QString &path)> write;
};

std::string Reported(const Status &status) {
  return status.ok() ? "" : status.error();
}

std::vector<WriterRow> EveryWriter() {
  return {
      {"SmdSaveFewBytes",
       [](const QString &path) {
         Song song = OneNoteSong();
         return Reported(SaveSmdFile(song, path, false));
       }},
      {"UndoSnapshotFewBytes",
       [](const QString &path) {
         Song song = OneNoteSong();
         const Result<QByteArray> written = WriteSmdSnapshot(song, path);
         return Reported(written ? Status(Ok{}) : Status(written.failure()));
       }},
      {"MidiExportFewBytes",
       [](const QString &path) {
         return Reported(ExportMidiFile(OneNoteSong(), path, [] { return 0.5; }));
       }},
      {"IniFewBytes",
       [](const QString &path) {
         IniFile ini;
         ini.setValue("pipora", "LastFileName", "a.smd");
         return Reported(ini.save(path));
       }},
      {"IniMegabytes",
       [](const QString &path) {
         IniFile ini;
         ini.setValue("pipora", "LastFileName", QString(3 * 1024 * 1024, 'a'));
         return Reported(ini.save(path));
       }},
      {"SmdMegabytes",
       [](const QString &path) {
         Song song = OneNoteSong();
         return Reported(WriteFileAtomically(path, Megabytes(*EncodeSmd(song))));
       }},
      {"MidiMegabytes",
       [](const QString &path) {
         const SmfFile smf = EncodeSmf(OneNoteSong(), [] { return 0.5; });
         return Reported(WriteFileAtomically(path, Megabytes(smf.bytes)));
       }},
  };
}

QStringList FolderEntries(const QString &folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

std::string RowName(const testing::TestParamInfo<WriterRow> &info) {
  return info.param.name;
}

// Every writer goes through the checked path: a failing write keeps the old file.
class WriterOnFailingWrite : public testing::TestWithParam<WriterRow> {};

TEST_P(WriterOnFailingWrite, KeepsTheOldFileAndReportsTheFailure) {
  QTemporaryDir dir;
  const QString target = dir.filePath("target");
  ASSERT_TRUE(WriteFileAtomically(target, kOld).ok());
  SetWriteFaultHook(
      [](WriteStep step, int n) { return step == WriteStep::Write && n == 1 ? ENOSPC : 0; });
  const std::string error = GetParam().write(target);
  SetWriteFaultHook({});
  EXPECT_NE(error, "");
  EXPECT_EQ(*ReadWholeFile(target), kOld);
  EXPECT_EQ(FolderEntries(dir.path()), QStringList{"target"});
}

INSTANTIATE_TEST_SUITE_P(Writers, WriterOnFailingWrite, testing::ValuesIn(EveryWriter()), RowName);

// A real file system with no room left: a 64 KB tmpfs filled up.
class WriterOnFullDisk : public testing::TestWithParam<WriterRow> {
protected:
  void SetUp() override {
    if (::geteuid() != 0)
      GTEST_SKIP() << "not root: a 64 KB tmpfs cannot be mounted here";
    ASSERT_TRUE(dir_.isValid());
    mountPoint_ = QFile::encodeName(dir_.filePath("full"));
    ASSERT_TRUE(QDir().mkpath(dir_.filePath("full")));
    if (::mount("tmpfs", mountPoint_.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0)
      GTEST_SKIP() << "mounting a tmpfs is not allowed here: " << std::strerror(errno);
    mounted_ = true;
  }

  void TearDown() override {
    if (mounted_)
      ::umount2(mountPoint_.constData(), MNT_DETACH);
  }

  QString folder() const { return QFile::decodeName(mountPoint_); }

  // Writes a filler file until the file system refuses another byte.
  void fill() {
    const int fd = ::open((mountPoint_ + "/filler").constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    const std::vector<char> page(4096, 'x');
    while (::write(fd, page.data(), page.size()) > 0) {
    }
    ASSERT_EQ(errno, ENOSPC);
    while (::write(fd, page.data(), 1) > 0) { // the last bytes of a partly used page
    }
    ::close(fd);
  }

private:
  QTemporaryDir dir_;
  QByteArray mountPoint_;
  bool mounted_ = false;
};

TEST_P(WriterOnFullDisk, KeepsTheOldFileAndSaysNoSpaceLeft) {
  const QString target = folder() + "/target";
  ASSERT_TRUE(WriteFileAtomically(target, kOld).ok());
  fill();
  const std::string error = GetParam().write(target);
  EXPECT_NE(error.find(kNoSpace), std::string::npos) << error;
  EXPECT_EQ(*ReadWholeFile(target), kOld);
  EXPECT_EQ(FolderEntries(folder()), QStringList({"filler", "target"}));
}

INSTANTIATE_TEST_SUITE_P(Writers, WriterOnFullDisk, testing::ValuesIn(EveryWriter()), RowName);

} // namespace
} // namespace pipora
