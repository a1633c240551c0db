// The one door for song files: a file's kind from its content first, then its name.
#include "session/song_files.h"

#include <gtest/gtest.h>

#include <optional>

namespace pipora {
namespace {

struct KindRow {
  const char *name;
  const char *fileName;
  QByteArray head;
  std::optional<SongFileKind> kind;
};

class SongFileKinds : public testing::TestWithParam<KindRow> {};

TEST_P(SongFileKinds, ContentFirstThenName) {
  EXPECT_EQ(SongFileKindOf(GetParam().fileName, GetParam().head), GetParam().kind);
}

const QByteArray kSmd("abc\x1b$D!$6\x0f\r\n");
const QByteArray kMidi("MThd\0\0\0\x06\0\0\0\x01\x01\xe0", 14);

INSTANTIATE_TEST_SUITE_P(
    Files, SongFileKinds,
    testing::Values(KindRow{"SmdByName", "a.smd", kSmd, SongFileKind::Smd},
                    KindRow{"SmzUpperCase", "/x/TUNE.SMZ", kSmd, SongFileKind::Smd},
                    KindRow{"SmdWithoutExtension", "song", kSmd, SongFileKind::Smd},
                    KindRow{"SmdNamedMidi", "a.midi", kSmd, SongFileKind::Smd},
                    KindRow{"MidiNamedSmd", "a.smd", kMidi, SongFileKind::Midi},
                    KindRow{"MidiWithoutHeaderByName", "broken.mid", "junk", SongFileKind::Midi},
                    KindRow{"EmptyMidiByName", "empty.mid", "", SongFileKind::Midi},
                    KindRow{"EmptyFileIsAnEmptySong", "empty", "", SongFileKind::Smd},
                    KindRow{"TitleOnlySmdByName", "t.smd", "title only\r\n", SongFileKind::Smd},
                    KindRow{"XmlNamedXml", "x.xml", "<?xml version=\"1.0\"?>\n<score-partwise>",
                            SongFileKind::MusicXml},
                    KindRow{"XmlWithBomNamedSmd", "x.smd",
                            "\xEF\xBB\xBF<score-partwise version=\"4.0\">", SongFileKind::MusicXml},
                    KindRow{"MusicXmlByName", "x.musicxml", "not yet looked at",
                            SongFileKind::MusicXml},
                    KindRow{"TextIsNoSong", "notes.txt", "just words\n", std::nullopt},
                    KindRow{"DotInFolderOnly", "a.smd/notes", "words", std::nullopt},
                    KindRow{"StandardInputTextIsSmd", "", "title only\r\n", SongFileKind::Smd}),
    [](const testing::TestParamInfo<KindRow> &info) { return std::string(info.param.name); });

TEST(SongFileBytes, MusicXmlIsRefusedUntilItCanBeRead) {
  const Result<DecodedSong> decoded =
      DecodeSongBytes(SongFileKind::MusicXml, "<?xml version=\"1.0\"?>", {});
  ASSERT_FALSE(decoded.ok());
  EXPECT_EQ(decoded.error(), kMusicXmlUnreadableMessage);
}

} // namespace
} // namespace pipora
