// The one path that replaces files: every step that can fail is made to fail, and the old
// file must come out byte for byte as it was, with the system's message reported.
#include "platform/files/file_io.h"

#include "model/file_messages.h"
#include "platform/files/program_directory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace pipora {
namespace {

// Removes the fault hook however the test ends.
class FaultInjection {
public:
  FaultInjection(WriteStep step, int count, int error = ENOSPC) {
    SetWriteFaultHook([=](WriteStep s, int n) { return s == step && n == count ? error : 0; });
  }
  ~FaultInjection() { SetWriteFaultHook({}); }
};

// A few pieces and a part piece: several write calls, so each one can be made to fail.
QByteArray ContentOfPieces(double pieces) {
  QByteArray bytes(static_cast<qsizetype>(pieces * kWriteChunkBytes), '\0');
  for (qsizetype i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>(i * 131 % 251);
  return bytes;
}

const QByteArray kOld = "old contents\r\n";
const QByteArray kNew = ContentOfPieces(4.5);
const int kWriteCalls = 5;

QStringList FolderEntries(const QString &folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

struct FaultRow {
  std::string name;
  WriteStep step;
  int count;
};

std::vector<FaultRow> EveryFailingStep() {
  std::vector<FaultRow> rows{{"Create", WriteStep::Create, 1}};
  for (int n = 1; n <= kWriteCalls; ++n)
    rows.push_back({"Write" + std::to_string(n), WriteStep::Write, n});
  rows.push_back({"Sync", WriteStep::Sync, 1});
  rows.push_back({"Close", WriteStep::Close, 1});
  rows.push_back({"ReadBack", WriteStep::ReadBack, 1});
  rows.push_back({"Rename", WriteStep::Rename, 1});
  return rows;
}

class FailingStep : public testing::TestWithParam<FaultRow> {
protected:
  QString target() const { return dir_.filePath("song.smd"); }
  QTemporaryDir dir_;
};

TEST_P(FailingStep, KeepsTheOldFileByteForByteAndReportsTheSystemError) {
  ASSERT_TRUE(WriteFileAtomically(target(), kOld).ok());
  const FaultInjection fault(GetParam().step, GetParam().count);
  const Status written = WriteFileAtomically(target(), kNew);
  ASSERT_FALSE(written.ok());
  EXPECT_EQ(written.error(), std::strerror(ENOSPC));
  EXPECT_EQ(*ReadWholeFile(target()), kOld);
  EXPECT_EQ(FolderEntries(dir_.path()), QStringList{"song.smd"}) << "temporary file left";
}

TEST_P(FailingStep, LeavesNoFileWhereThereWasNone) {
  const FaultInjection fault(GetParam().step, GetParam().count);
  EXPECT_FALSE(WriteFileAtomically(target(), kNew).ok());
  EXPECT_TRUE(FolderEntries(dir_.path()).isEmpty());
}

TEST_P(FailingStep, ScratchFilesAreCheckedToo) {
  if (GetParam().step == WriteStep::Sync)
    GTEST_SKIP() << "scratch files are not synced";
  ASSERT_TRUE(WriteScratchFile(target(), kOld).ok());
  const FaultInjection fault(GetParam().step, GetParam().count);
  EXPECT_FALSE(WriteScratchFile(target(), kNew).ok());
  EXPECT_EQ(*ReadWholeFile(target()), kOld);
}

// The streamed form (a long render): appended a piece at a time, its start rewritten last.
Status WriteStreamed(const QString &target, const QByteArray &bytes) {
  StreamedFileWrite file(QFile::encodeName(target));
  for (qsizetype at = 0; at < bytes.size(); at += kWriteChunkBytes)
    if (Status appended = file.append(bytes.mid(at, kWriteChunkBytes)); !appended)
      return appended;
  if (Status rewritten = file.rewriteStart(bytes.left(4)); !rewritten)
    return rewritten;
  return file.finish();
}

TEST_P(FailingStep, StreamedWritesAreCheckedToo) {
  ASSERT_TRUE(WriteFileAtomically(target(), kOld).ok());
  const FaultInjection fault(GetParam().step, GetParam().count);
  const Status written = WriteStreamed(target(), kNew);
  ASSERT_FALSE(written.ok());
  EXPECT_EQ(written.error(), std::strerror(ENOSPC));
  EXPECT_EQ(*ReadWholeFile(target()), kOld);
  EXPECT_EQ(FolderEntries(dir_.path()), QStringList{"song.smd"}) << "temporary file left";
}

INSTANTIATE_TEST_SUITE_P(Steps, FailingStep, testing::ValuesIn(EveryFailingStep()),
                         [](const testing::TestParamInfo<FaultRow> &info) {
                           return info.param.name;
                         });

TEST(ReplacingWrite, CountsOneWriteCallPerPiece) {
  int calls = 0;
  SetWriteFaultHook([&](WriteStep step, int) { return calls += step == WriteStep::Write, 0; });
  QTemporaryDir dir;
  const Status written = WriteFileAtomically(dir.filePath("a"), kNew);
  SetWriteFaultHook({});
  ASSERT_TRUE(written.ok()) << written.error();
  EXPECT_EQ(calls, kWriteCalls);
}

// After the rename the new file is in place; a folder that cannot be synced is still told.
TEST(ReplacingWrite, ReportsAFolderSyncFailureAfterTheRename) {
  QTemporaryDir dir;
  const QString target = dir.filePath("a.mid");
  ASSERT_TRUE(WriteFileAtomically(target, kOld).ok());
  const FaultInjection fault(WriteStep::SyncFolder, 1, EIO);
  const Status written = WriteFileAtomically(target, kNew);
  ASSERT_FALSE(written.ok());
  EXPECT_EQ(written.error(), std::strerror(EIO));
  EXPECT_EQ(*ReadWholeFile(target), kNew);
}

TEST(ReplacingWrite, WritesMegabytesAndNothingElse) {
  QTemporaryDir dir;
  const QByteArray big = ContentOfPieces(48.3);
  const QString target = dir.filePath("big.smd");
  ASSERT_TRUE(WriteFileAtomically(target, kOld).ok());
  ASSERT_TRUE(WriteFileAtomically(target, big).ok());
  EXPECT_EQ(*ReadWholeFile(target), big);
  EXPECT_EQ(FolderEntries(dir.path()), QStringList{"big.smd"});
  ASSERT_TRUE(WriteFileAtomically(target, {}).ok());
  EXPECT_EQ(QFileInfo(target).size(), 0);
}

TEST(ReplacingWrite, StreamedFileGetsItsRewrittenStartAndEveryPiece) {
  QTemporaryDir dir;
  const QString target = dir.filePath("big.wav");
  QByteArray expected = ContentOfPieces(48.3);
  {
    StreamedFileWrite file(QFile::encodeName(target));
    ASSERT_TRUE(file.append(QByteArray(44, '\0')).ok());
    ASSERT_TRUE(file.append(expected.mid(44)).ok());
    ASSERT_TRUE(file.rewriteStart(expected.left(44)).ok());
    ASSERT_FALSE(file.rewriteStart(ContentOfPieces(1.5)).ok()) << "only the first piece";
    EXPECT_FALSE(file.finish().ok()) << "a failed call fails the file";
  }
  EXPECT_TRUE(FolderEntries(dir.path()).isEmpty()) << "the temporary file goes with it";
  StreamedFileWrite again(QFile::encodeName(target));
  ASSERT_TRUE(again.append(QByteArray(44, '\0') + expected.mid(44)).ok());
  ASSERT_TRUE(again.rewriteStart(expected.left(44)).ok());
  ASSERT_TRUE(again.finish().ok());
  EXPECT_EQ(*ReadWholeFile(target), expected);
  EXPECT_EQ(FolderEntries(dir.path()), QStringList{"big.wav"});
}

// A Latin-1 name is written, read and named again byte for byte; text stays text.
TEST(ReplacingWrite, NamesThatAreNotUtf8KeepTheirBytes) {
  QTemporaryDir dir;
  const QByteArray bytes = QFile::encodeName(dir.path()) + "/caf\xe9 \xff.smd";
  const QString name = FileNameFromBytes(bytes);
  EXPECT_EQ(FileNameBytes(name), bytes);
  EXPECT_FALSE(FileExists(name));
  ASSERT_TRUE(WriteFileAtomically(name, kOld).ok());
  struct stat st;
  EXPECT_EQ(::stat(bytes.constData(), &st), 0);
  EXPECT_TRUE(FileExists(name)) << "the overwrite question and the recent files see it";
  const QString before = QDir::currentPath(); // a name given relative to the working folder
  ASSERT_TRUE(QDir::setCurrent(dir.path()));
  EXPECT_EQ(FileNameBytes(AbsoluteFileName(FileNameFromBytes("./caf\xe9 \xff.smd"))), bytes);
  QDir::setCurrent(before);
  EXPECT_EQ(*ReadWholeFile(name), kOld);
  const QByteArray text = "\xe6\x9b\xb2.smd";
  EXPECT_EQ(FileNameFromBytes(text), QString::fromUtf8(text));
  const QByteArray replacement = "\xef\xbf\xbd.smd"; // U+FFFD itself comes back as it was
  EXPECT_EQ(FileNameBytes(FileNameFromBytes(replacement)), replacement);
  ::unlink(bytes.constData()); // Qt cannot name it to clean the folder up
}

TEST(ReplacingWrite, KeepsTheOldFilesPermissions) {
  QTemporaryDir dir;
  const QString target = dir.filePath("a.smd");
  ASSERT_TRUE(WriteFileAtomically(target, kOld).ok());
  ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
  ASSERT_TRUE(WriteFileAtomically(target, kNew).ok());
  struct stat st;
  ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(ReplacingWrite, ReplacesTheFileALinkPointsAtAndKeepsTheLink) {
  QTemporaryDir dir;
  const QString real = dir.filePath("real.smd");
  const QString link = dir.filePath("link.smd");
  ASSERT_TRUE(WriteFileAtomically(real, kOld).ok());
  ASSERT_TRUE(QFile::link(real, link));
  ASSERT_TRUE(WriteFileAtomically(link, kNew).ok());
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(*ReadWholeFile(real), kNew);
}

// What the replacing write does with each shape of target, "song.smd" in a fresh folder
// unless the row names another.
struct TargetRow {
  std::string name;
  std::vector<std::string> setUp; // shell commands run in the folder first
  std::string error;              // empty: written
  std::string changed;            // the file that then holds the new bytes
  bool needsRoot = false;         // to plant files as another user (uid 4242)
  std::string target = "song.smd";
  std::string unchanged = ""; // a shell condition that must still hold afterwards
};

std::string Refused(int error) {
  return std::strerror(error);
}
const std::string kNotRegular(kNotRegularFileMessage);
// 251 letters and ".smd": the longest name most file systems take.
const std::string kLongestName = std::string(251, 'a') + ".smd";

class TargetShape : public testing::TestWithParam<TargetRow> {};

TEST_P(TargetShape, WritesTheFileAtTheEndOrRefusesWithTheSystemMessage) {
  const TargetRow &row = GetParam();
  if (row.needsRoot && ::geteuid() != 0)
    GTEST_SKIP() << "needs root to plant files as another user";
  QTemporaryDir dir;
  const QByteArray folder = QFile::encodeName(dir.path());
  const auto inFolder = [&](const std::string &command) {
    return std::system(("cd '" + folder.toStdString() + "' && " + command).c_str());
  };
  for (const std::string &command : row.setUp)
    ASSERT_EQ(inFolder(command), 0) << command;
  // A FIFO opened for writing would wait for a reader: the test would hang, not fail.
  const Status written =
      WriteFileAtomically(dir.filePath(QString::fromStdString(row.target)), kNew);
  if (!row.error.empty()) {
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.error(), row.error);
  } else {
    ASSERT_TRUE(written.ok()) << written.error();
  }
  if (!row.changed.empty()) {
    EXPECT_EQ(*ReadWholeFile(dir.filePath(QString::fromStdString(row.changed))), kNew);
  }
  if (!row.unchanged.empty()) {
    EXPECT_EQ(inFolder(row.unchanged), 0) << row.unchanged;
  }
  for (const QString &entry : FolderEntries(dir.path()))
    EXPECT_FALSE(entry.endsWith(".tmp")) << "temporary file left: " << entry.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Targets, TargetShape,
    testing::Values(
        TargetRow{"ReadOnlyFileRefused",
                  {"echo old >song.smd", "chmod 444 song.smd"},
                  Refused(EACCES),
                  ""},
        TargetRow{"ChainOfLinksReachesItsEnd",
                  {"echo old >final.smd", "ln -s final.smd mid.smd", "ln -s mid.smd song.smd"},
                  "",
                  "final.smd"},
        TargetRow{"RelativeLinksInOtherFolders",
                  {"mkdir sub", "echo old >final.smd", "ln -s ../final.smd sub/mid.smd",
                   "ln -s sub/mid.smd song.smd"},
                  "",
                  "final.smd"},
        TargetRow{"LinkToAReadOnlyFileRefused",
                  {"echo old >final.smd", "chmod 444 final.smd", "ln -s final.smd song.smd"},
                  Refused(EACCES),
                  ""},
        TargetRow{"LinkLoopRefused", {"ln -s song.smd song.smd"}, Refused(ELOOP), ""},
        TargetRow{"AFolderRefused", {"mkdir song.smd"}, Refused(EISDIR), ""},
        TargetRow{
            "OthersLinkInAStickyFolderNotFollowed",
            {"echo old >victim", "chmod 1777 .", "ln -s victim song.smd", "chown -h 4242 song.smd"},
            Refused(EACCES),
            "",
            true},
        TargetRow{"OwnLinkInAStickyFolderFollowed",
                  {"echo old >final.smd", "chmod 1777 .", "ln -s final.smd song.smd"},
                  "",
                  "final.smd"},
        TargetRow{"FifoRefusedAtOnce",
                  {"mkfifo song.smd"},
                  kNotRegular,
                  "",
                  false,
                  "song.smd",
                  "[ -p song.smd ]"},
        TargetRow{"LinkToAFifoRefused",
                  {"mkfifo fifo", "ln -s fifo song.smd"},
                  kNotRegular,
                  "",
                  false,
                  "song.smd",
                  "[ -p fifo ]"},
        TargetRow{"DeviceNotReplaced",
                  {"ln -s /dev/null song.smd"},
                  kNotRegular,
                  "",
                  false,
                  "song.smd",
                  "[ -c /dev/null ]"},
        TargetRow{"OthersFifoInAStickyFolderRefused",
                  {"chmod 1777 .", "mkfifo song.smd", "chown 4242 song.smd"},
                  kNotRegular,
                  "",
                  true,
                  "song.smd",
                  "[ -p song.smd ]"},
        TargetRow{
            "OthersFileInAStickyFolderNotReplaced",
            {"chmod 1777 .", "echo old >song.smd", "chmod 666 song.smd", "chown 4242 song.smd"},
            Refused(EACCES),
            "",
            true,
            "song.smd",
            "[ \"$(cat song.smd)\" = old ]"},
        TargetRow{"OthersFolderLinkInThePathNotFollowed",
                  {"chmod 1777 .", "mkdir private", "echo old >private/song.smd",
                   "ln -s private sub", "chown -h 4242 sub"},
                  Refused(EACCES),
                  "",
                  true,
                  "sub/song.smd",
                  "[ \"$(cat private/song.smd)\" = old ]"},
        TargetRow{"OwnFolderLinkInThePathFollowed",
                  {"mkdir real", "echo old >real/song.smd", "ln -s real sub"},
                  "",
                  "real/song.smd",
                  false,
                  "sub/song.smd",
                  "[ -L sub ]"},
        TargetRow{"LongestNameWritten", {}, "", kLongestName, false, kLongestName}),
    [](const testing::TestParamInfo<TargetRow> &info) { return info.param.name; });

// The command line's outputs that are written in place: sinks and terminals only, and each
// write checked.
struct DeviceRow {
  std::string name;
  std::string setUp; // makes "out" in the folder
  bool device;       // written in place
  std::string error; // of WriteToDevice; empty: written
  bool needsRoot = false;
};

class DeviceTarget : public testing::TestWithParam<DeviceRow> {};

TEST_P(DeviceTarget, IsWrittenInPlaceOnlyWhenASinkAndReportsItsFailure) {
  const DeviceRow &row = GetParam();
  if (row.needsRoot && ::geteuid() != 0)
    GTEST_SKIP() << "needs root to plant files as another user";
  QTemporaryDir dir;
  const std::string folder = QFile::encodeName(dir.path()).toStdString();
  ASSERT_EQ(std::system(("cd '" + folder + "' && " + row.setUp).c_str()), 0);
  const QByteArray out = QFile::encodeName(dir.filePath("out"));
  EXPECT_EQ(IsWritableDevice(out), row.device);
  const Status written = WriteToDevice(out, kNew);
  if (row.error.empty()) {
    EXPECT_TRUE(written.ok()) << written.error();
  } else {
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.error(), row.error);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Devices, DeviceTarget,
    testing::Values(DeviceRow{"NullTakesAll", "ln -s /dev/null out", true, ""},
                    DeviceRow{"FullSaysSo", "ln -s /dev/full out", true, Refused(ENOSPC)},
                    DeviceRow{"FifoNeverOpened", "mkfifo out", false, kNotRegular},
                    DeviceRow{"RegularFileIsNoDevice", "echo old >out", false, kNotRegular},
                    DeviceRow{"OthersLinkToADeviceInAStickyFolder",
                              "chmod 1777 . && ln -s /dev/null out && chown -h 4242 out", false,
                              kNotRegular, true}),
    [](const testing::TestParamInfo<DeviceRow> &info) { return info.param.name; });

// A replaced file keeps its permissions less what the umask takes away: never setuid or
// setgid, never writable by others when the umask says no.
struct ModeRow {
  std::string name;
  mode_t old;
  mode_t umask;
  mode_t expected;
};

class ReplacedMode : public testing::TestWithParam<ModeRow> {};

TEST_P(ReplacedMode, IsTheOldOneWithinTheUmask) {
  const ModeRow &row = GetParam();
  QTemporaryDir dir;
  const QString target = dir.filePath("a.smd");
  ASSERT_TRUE(WriteFileAtomically(target, kOld).ok());
  ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), row.old), 0);
  const mode_t before = ::umask(row.umask);
  const Status written = WriteFileAtomically(target, kNew);
  ::umask(before);
  ASSERT_TRUE(written.ok()) << written.error();
  struct stat st;
  ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, row.expected);
}

INSTANTIATE_TEST_SUITE_P(Modes, ReplacedMode,
                         testing::Values(ModeRow{"KeptWithinTheUmask", 0640, 022, 0640},
                                         ModeRow{"WorldWritableNarrowed", 0666, 022, 0644},
                                         ModeRow{"SetuidDropped", 04755, 022, 0755},
                                         ModeRow{"SetgidDropped", 02775, 002, 0775},
                                         ModeRow{"PrivateUmaskNarrowsFurther", 0644, 077, 0600}),
                         [](const testing::TestParamInfo<ModeRow> &info) {
                           return info.param.name;
                         });

TEST(ReplacingWrite, ANewFileGetsWhatTheUmaskLeavesOf0666) {
  QTemporaryDir dir;
  const QString target = dir.filePath("new.smd");
  const mode_t before = ::umask(027);
  const Status written = WriteFileAtomically(target, kNew);
  ::umask(before);
  ASSERT_TRUE(written.ok()) << written.error();
  struct stat st;
  ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// Reading takes regular files only and never more than its limit, whatever the file is.
struct ReadRow {
  std::string name;
  std::string setUp; // makes "in" in the folder
  std::string message;
};

class ReadShape : public testing::TestWithParam<ReadRow> {};

TEST_P(ReadShape, RefusesAtOnceWithAMessage) {
  QTemporaryDir dir;
  const std::string folder = QFile::encodeName(dir.path()).toStdString();
  ASSERT_EQ(std::system(("cd '" + folder + "' && " + GetParam().setUp).c_str()), 0);
  const QString in = dir.filePath("in");
  const Result<QByteArray> whole = ReadWholeFile(in, 1 << 20);
  ASSERT_FALSE(whole.ok());
  EXPECT_EQ(whole.error(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ReadShape,
    testing::Values(ReadRow{"Fifo", "mkfifo in", std::string(kNotRegularFileMessage)},
                    ReadRow{"LinkToAnEndlessDevice", "ln -s /dev/zero in",
                            std::string(kNotRegularFileMessage)},
                    ReadRow{"HugeSparseFile", "truncate -s 600M in", TooLargeText(1 << 20)},
                    ReadRow{"LinkToTheProcessMemory", "ln -s /proc/self/mem in",
                            std::string(kNotRegularFileMessage)},
                    ReadRow{"LinkToTheEnvironment", "ln -s /proc/self/environ in",
                            std::string(kNotRegularFileMessage)},
                    ReadRow{"Folder", "mkdir in", std::strerror(EISDIR)}),
    [](const testing::TestParamInfo<ReadRow> &info) { return info.param.name; });

// Only the first line counts, and no more of it than one byte past the limit is read.
TEST(ReadFirstLine, StopsOneBytePastTheLimit) {
  QTemporaryDir dir;
  const QString in = dir.filePath("in");
  ASSERT_EQ(std::system(("truncate -s 600M '" + QFile::encodeName(in).toStdString() + "'").c_str()),
            0);
  const Result<QByteArray> line = ReadFirstLine(in, 1000);
  ASSERT_TRUE(line.ok());
  EXPECT_EQ(line->size(), 1001);
}

TEST(ReplacingWrite, FilesOfTheProgramFolderAreTheUsersAlone) {
  const QString file = ProgramFile("mode-check.tmp");
  ASSERT_TRUE(WriteFileAtomically(file, kOld).ok());
  struct stat st;
  ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  QFile::remove(file);
}

TEST(ReplacingWrite, AMissingFolderIsReportedBySystemMessage) {
  QTemporaryDir dir;
  const Status written = WriteFileAtomically(dir.filePath("no/such/a.smd"), kNew);
  ASSERT_FALSE(written.ok());
  EXPECT_EQ(written.error(), std::strerror(ENOENT));
}

} // namespace
} // namespace pipora
