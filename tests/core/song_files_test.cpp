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
                    KindRow{"CompressedScoreByContent", "score.bin",
                            QByteArray("PK\x03\x04\x14\0", 6), SongFileKind::MusicXml},
                    KindRow{"TextIsNoSong", "notes.txt", "just words\n", std::nullopt},
                    KindRow{"DotInFolderOnly", "a.smd/notes", "words", std::nullopt},
                    KindRow{"StandardInputTextIsSmd", "", "title only\r\n", SongFileKind::Smd}),
    [](const testing::TestParamInfo<KindRow> &info) { return std::string(info.param.name); });

TEST(SongFileBytes, MusicXmlIsImported) {
  MidiImportOptions options;
  options.writeEventLog = false;
  const Result<DecodedSong> decoded = DecodeSongBytes(
      SongFileKind::MusicXml,
      "<score-partwise><part-list><score-part id=\"P1\"/></part-list><part id=\"P1\">"
      "<measure><note><pitch><step>A</step><octave>4</octave></pitch><duration>1</duration>"
      "</note></measure></part></score-partwise>",
      options);
  ASSERT_TRUE(decoded.ok()) << decoded.error();
  EXPECT_EQ(decoded->song.part(1).count, 1);
  EXPECT_EQ(decoded->song.part(1).notes[0].noteNumber, 69);
  // And back: the song's bytes as a score.
  Song song = decoded->song;
  const Result<QByteArray> encoded = EncodeSongBytes(SongFileKind::MusicXml, song);
  ASSERT_TRUE(encoded.ok()) << encoded.error();
  EXPECT_TRUE(encoded->contains("<score-partwise version=\"4.0\">"));
}

TEST(SongFileBytes, XmlThatIsNoScoreIsRefusedWithWhere) {
  const Result<DecodedSong> decoded =
      DecodeSongBytes(SongFileKind::MusicXml, "<?xml version=\"1.0\"?>\n<svg/>", {});
  ASSERT_FALSE(decoded.ok());
  EXPECT_EQ(decoded.error(), "2行目、6列目: MusicXML の楽譜ではありません（最初の要素が svg）");
}

} // namespace
} // namespace pipora
