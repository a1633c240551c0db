#include "formats/musicxml/musicxml_reader.h"
#include "formats/musicxml/mxl_archive.h"

#include <gtest/gtest.h>

#include <string>

namespace pipora {
namespace {

// A partwise score of one part "P1" around `measures`.
std::string Partwise(const std::string &measures, const std::string &head = "") {
  return "<?xml version=\"1.0\"?>\n<score-partwise version=\"4.0\">" + head +
         "<part-list><score-part id=\"P1\"><part-name>A</part-name></score-part></part-list>"
         "<part id=\"P1\">" +
         measures + "</part></score-partwise>";
}

std::string Note(const std::string &step, int octave, int duration, const std::string &more = "") {
  return "<note><pitch><step>" + step + "</step><octave>" + std::to_string(octave) +
         "</octave></pitch><duration>" + std::to_string(duration) + "</duration>" + more +
         "</note>";
}

std::string Rest(int duration) {
  return "<note><rest/><duration>" + std::to_string(duration) + "</duration></note>";
}

// Quarter note divisions 1, 4/4.
const std::string kStart = "<attributes><divisions>1</divisions><time><beats>4</beats>"
                           "<beat-type>4</beat-type></time></attributes>";

std::string Measure(const std::string &body, const std::string &attributes = "") {
  return "<measure>" + attributes + body + "</measure>";
}

// Every part's notes as "key@on-off" (with "/voice" past the first voice).
std::string Describe(const MusicXmlScore &score) {
  std::string out;
  for (const MusicXmlPart &p : score.parts) {
    if (!out.empty())
      out += " | ";
    std::string part;
    for (const MusicXmlNote &n : p.notes) {
      if (!part.empty())
        part += ' ';
      part += std::to_string(n.key) + "@" + std::to_string(n.on) + "-" + std::to_string(n.off);
      if (n.voice > 0)
        part += "/" + std::to_string(n.voice);
    }
    out += part;
  }
  return out;
}

struct ReadRow {
  const char *name;
  std::string xml;
  std::string notes;
};

class MusicXmlNotes : public ::testing::TestWithParam<ReadRow> {};

TEST_P(MusicXmlNotes, ReadsEveryNoteAtItsWrittenTime) {
  const Result<MusicXmlScore> score = ReadMusicXml(QByteArray::fromStdString(GetParam().xml));
  ASSERT_TRUE(score) << score.error();
  EXPECT_EQ(Describe(*score), GetParam().notes);
}

const std::string kRepeatBody = Note("C", 4, 4);

INSTANTIATE_TEST_SUITE_P(
    Cases, MusicXmlNotes,
    ::testing::Values(
        ReadRow{
            "DivisionsToTicksExactly",
            Partwise(Measure(Note("C", 4, 1) + Note("D", 4, 1) + Note("E", 4, 1) + Note("F", 4, 5),
                             "<attributes><divisions>3</divisions></attributes>")),
            "60@0-160 62@160-320 64@320-480 65@480-1280"},
        ReadRow{"BackupGivesASecondVoice",
                Partwise(Measure(Note("E", 5, 4, "<voice>1</voice>") +
                                     "<backup><duration>4</duration></backup>" +
                                     Note("C", 4, 2, "<voice>2</voice>") +
                                     Note("D", 4, 2, "<voice>2</voice>"),
                                 kStart)),
                "60@0-960/1 76@0-1920 62@960-1920/1"},
        ReadRow{"ForwardSkipsTime",
                Partwise(Measure("<forward><duration>2</duration></forward>" + Note("G", 4, 2),
                                 kStart)),
                "67@960-1920"},
        ReadRow{"ChordNotesShareTheirStart",
                Partwise(Measure(Note("C", 4, 2) +
                                     "<note><chord/><pitch><step>E</step><octave>4</octave></"
                                     "pitch><duration>2</duration></note>" +
                                     Note("G", 4, 2),
                                 kStart)),
                "60@0-960 64@0-960 67@960-1920"},
        ReadRow{"RestsWithAndWithoutType",
                Partwise(Measure(
                    Rest(1) + "<note><rest/><duration>1</duration><type>quarter</type></note>" +
                        Note("A", 4, 2),
                    kStart)),
                "69@960-1920"},
        ReadRow{"MultiMeasureRestThenANote",
                Partwise(Measure("<note><rest measure=\"yes\"/><duration>4</duration></note>",
                                 kStart + "<attributes><measure-style><multiple-rest>2</"
                                          "multiple-rest></measure-style></attributes>") +
                         Measure("<note><rest measure=\"yes\"/><duration>4</duration></note>") +
                         Measure(Note("B", 4, 4))),
                "71@3840-5760"},
        ReadRow{"WholeMeasureRestWithoutDuration",
                Partwise(Measure("<note><rest measure=\"yes\"/></note>", kStart) +
                         Measure(Note("B", 4, 4))),
                "71@1920-3840"},
        ReadRow{
            "TiesJoinAcrossTheBarLine",
            Partwise(Measure(Note("C", 4, 2) + Note("D", 4, 2, "<tie type=\"start\"/>"), kStart) +
                     Measure(Note("D", 4, 1, "<tie type=\"stop\"/>") + Note("E", 4, 3))),
            "60@0-960 62@960-2400 64@2400-3840"},
        ReadRow{
            "TiedNotationAloneAlsoTies",
            Partwise(Measure(Note("C", 4, 2, "<notations><tied type=\"start\"/></notations>") +
                                 Note("C", 4, 2, "<notations><tied type=\"stop\"/></notations>"),
                             kStart)),
            "60@0-1920"},
        ReadRow{"DottedValueWithoutDurationFromItsType",
                Partwise(Measure("<note><pitch><step>C</step><octave>4</octave></"
                                 "pitch><type>quarter</type><dot/></note>" +
                                     Note("D", 4, 1),
                                 "<attributes><divisions>2</divisions></attributes>")),
                "60@0-720 62@720-960"},
        ReadRow{"TupletFromTimeModification",
                Partwise(Measure(
                    "<note><pitch><step>C</step><octave>4</octave></pitch><type>eighth</"
                    "type><time-modification><actual-notes>3</actual-notes><normal-notes>2</"
                    "normal-notes></time-modification></note>"
                    "<note><pitch><step>D</step><octave>4</octave></pitch><type>eighth</"
                    "type><time-modification><actual-notes>3</actual-notes><normal-notes>2</"
                    "normal-notes></time-modification></note>"
                    "<note><pitch><step>E</step><octave>4</octave></pitch><type>eighth</"
                    "type><time-modification><actual-notes>3</actual-notes><normal-notes>2</"
                    "normal-notes></time-modification></note>",
                    "<attributes><divisions>3</divisions></attributes>")),
                "60@0-160 62@160-320 64@320-480"},
        ReadRow{"FiveTupletOfSixteenths",
                Partwise(Measure(Note("C", 4, 1) + Note("D", 4, 1) + Note("E", 4, 1) +
                                     Note("F", 4, 1) + Note("G", 4, 1),
                                 "<attributes><divisions>5</divisions></attributes>")),
                "60@0-96 62@96-192 64@192-288 65@288-384 67@384-480"},
        ReadRow{"GraceNotesTakeNoTime",
                Partwise(Measure("<note><grace/><pitch><step>B</step><octave>3</octave></"
                                 "pitch><type>eighth</type></note>" +
                                     Note("C", 4, 4),
                                 kStart)),
                "60@0-1920"},
        ReadRow{
            "RepeatPlaysTwice",
            Partwise(
                Measure(
                    kRepeatBody,
                    kStart +
                        "<barline location=\"left\"><repeat direction=\"forward\"/></barline>") +
                Measure(Note("D", 4, 4) +
                        "<barline location=\"right\"><repeat direction=\"backward\"/></barline>") +
                Measure(Note("E", 4, 4))),
            "60@0-1920 62@1920-3840 60@3840-5760 62@5760-7680 64@7680-9600"},
        ReadRow{"RepeatWithoutStartGoesToTheBeginning",
                Partwise(Measure(kRepeatBody + "<barline location=\"right\"><repeat "
                                               "direction=\"backward\" times=\"3\"/></barline>",
                                 kStart) +
                         Measure(Note("E", 4, 4))),
                "60@0-1920 60@1920-3840 60@3840-5760 64@5760-7680"},
        ReadRow{
            "VoltasOnTheirOwnPasses",
            Partwise(
                Measure(kRepeatBody, kStart) +
                Measure(Note("D", 4, 4) +
                        "<barline location=\"left\"><ending number=\"1\" type=\"start\"/></barline>"
                        "<barline location=\"right\"><ending number=\"1\" type=\"stop\"/><repeat "
                        "direction=\"backward\"/></barline>") +
                Measure(Note("E", 4, 4) +
                        "<barline location=\"left\"><ending number=\"2\" type=\"start\"/></barline>"
                        "<barline location=\"right\"><ending number=\"2\" "
                        "type=\"discontinue\"/></barline>") +
                Measure(Note("F", 4, 4))),
            "60@0-1920 62@1920-3840 60@3840-5760 64@5760-7680 65@7680-9600"},
        ReadRow{"PickupMeasureIsShort",
                Partwise("<measure implicit=\"yes\" number=\"0\">" + kStart + Note("G", 4, 1) +
                         "</measure>" + Measure(Note("C", 5, 4))),
                "67@0-480 72@480-2400"},
        ReadRow{"TransposedPartSounds",
                Partwise(Measure(Note("D", 4, 4),
                                 kStart +
                                     "<attributes><transpose><diatonic>-1</diatonic><chromatic>-2</"
                                     "chromatic></transpose></attributes>")),
                "60@0-1920"},
        ReadRow{
            "DivisionsChangeBetweenMeasures",
            Partwise(Measure(Note("C", 4, 4), kStart) +
                     Measure(Note("D", 4, 8), "<attributes><divisions>2</divisions></attributes>")),
            "60@0-1920 62@1920-3840"},
        ReadRow{
            "TimewiseIsReadAsPartwise",
            "<score-timewise><part-list><score-part id=\"A\"/><score-part id=\"B\"/></part-list>"
            "<measure number=\"1\"><part id=\"A\">" +
                kStart + Note("C", 4, 4) +
                "</part>"
                "<part id=\"B\">" +
                kStart + Note("E", 3, 4) +
                "</part></measure>"
                "<measure number=\"2\"><part id=\"A\">" +
                Note("D", 4, 4) +
                "</part>"
                "<part id=\"B\">" +
                Note("F", 3, 4) + "</part></measure></score-timewise>",
            "60@0-1920 62@1920-3840 | 52@0-1920 53@1920-3840"}),
    [](const ::testing::TestParamInfo<ReadRow> &info) { return std::string(info.param.name); });

TEST(MusicXmlScoreFacts, KeyClefTimeTitleAndTempo) {
  const std::string attributes =
      "<attributes><divisions>2</divisions><key><fifths>-2</fifths><mode>minor</mode></key>"
      "<time><beats>6</beats><beat-type>8</beat-type></time><clef><sign>F</sign><line>4</line></"
      "clef>"
      "</attributes><direction><direction-type><metronome><beat-unit>quarter</beat-unit>"
      "<beat-unit-dot/><per-minute>60</per-minute></metronome></direction-type></direction>";
  const Result<MusicXmlScore> score = ReadMusicXml(QByteArray::fromStdString(Partwise(
      Measure(Note("C", 3, 6), attributes) + Measure("<sound tempo=\"132\"/>" + Note("C", 3, 6)),
      "<work><work-title>夜の歌</work-title></work><movement-title>Other</movement-title>")));
  ASSERT_TRUE(score) << score.error();
  ASSERT_TRUE(score->key);
  EXPECT_EQ(score->key->fifths, -2);
  EXPECT_TRUE(score->key->minor);
  EXPECT_EQ(score->beats, 6);
  EXPECT_EQ(score->beatType, 8);
  EXPECT_EQ(score->parts.at(0).clef, Clef::Bass);
  EXPECT_EQ(score->title, "夜の歌");
  ASSERT_EQ(score->tempos.size(), 2u);
  EXPECT_DOUBLE_EQ(score->tempos[0].rate, 90.0); // a dotted quarter at 60
  EXPECT_EQ(score->tempos[1].tick, 1440);
  EXPECT_DOUBLE_EQ(score->tempos[1].rate, 132.0);
  EXPECT_EQ(score->pickup, 0);
}

struct TitleRow {
  const char *name;
  std::string head;
  std::string title;
};

class MusicXmlTitle : public ::testing::TestWithParam<TitleRow> {};

TEST_P(MusicXmlTitle, TakesTheFirstTitleTheScoreGives) {
  const Result<MusicXmlScore> score = ReadMusicXml(
      QByteArray::fromStdString(Partwise(Measure(Note("C", 4, 4), kStart), GetParam().head)));
  ASSERT_TRUE(score) << score.error();
  EXPECT_EQ(score->title, GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, MusicXmlTitle,
    ::testing::Values(
        TitleRow{"WorkTitle",
                 "<work><work-title>Work</work-title></work><movement-title>Move</movement-title>",
                 "Work"},
        TitleRow{"MovementTitle", "<movement-title>Move</movement-title>", "Move"},
        TitleRow{
            "CreditTypedTitle",
            "<credit page=\"1\"><credit-words font-size=\"30\">Composer</credit-words></credit>"
            "<credit page=\"1\"><credit-type>title</credit-type><credit-words "
            "font-size=\"20\">Song</credit-words></credit>",
            "Song"},
        TitleRow{
            "LargestCreditWords",
            "<credit page=\"1\"><credit-words font-size=\"10\">by me</credit-words></credit>"
            "<credit page=\"1\"><credit-words font-size=\"24\">Big Title</credit-words></credit>",
            "Big Title"},
        TitleRow{"None", "", ""}),
    [](const ::testing::TestParamInfo<TitleRow> &info) { return std::string(info.param.name); });

TEST(MusicXmlScoreFacts, GraceNotesAndPercussionAreCounted) {
  const Result<MusicXmlScore> score = ReadMusicXml(QByteArray::fromStdString(Partwise(
      Measure("<note><grace/><pitch><step>B</step><octave>3</octave></pitch></note>"
              "<note><grace slash=\"yes\"/><pitch><step>A</step><octave>3</octave></pitch></note>"
              "<note><unpitched><display-step>E</display-step><display-octave>4</display-octave></"
              "unpitched><duration>2</duration></note>" +
                  Note("C", 4, 2),
              kStart))));
  ASSERT_TRUE(score) << score.error();
  EXPECT_EQ(score->graceNotes, 2);
  EXPECT_EQ(score->unpitchedNotes, 1);
  EXPECT_EQ(Describe(*score), "60@960-1920");
}

TEST(MusicXmlScoreFacts, PickupIsTheShortFirstMeasure) {
  const Result<MusicXmlScore> score = ReadMusicXml(QByteArray::fromStdString(
      Partwise("<measure implicit=\"yes\" number=\"0\">" + kStart + Note("G", 4, 1) + "</measure>" +
               Measure(Note("C", 5, 4)))));
  ASSERT_TRUE(score) << score.error();
  EXPECT_EQ(score->pickup, 480);
  EXPECT_EQ(score->endTick, 2400);
}

struct RefusalRow {
  const char *name;
  std::string xml;
  std::string message; // what the message starts with
};

class MusicXmlRefusal : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(MusicXmlRefusal, SaysWhereAndWhy) {
  const Result<MusicXmlScore> score = ReadMusicXml(QByteArray::fromStdString(GetParam().xml));
  ASSERT_FALSE(score);
  EXPECT_EQ(score.error().rfind(GetParam().message, 0), 0u) << score.error();
}

INSTANTIATE_TEST_SUITE_P(
    Files, MusicXmlRefusal,
    ::testing::Values(
        RefusalRow{"NotWellFormed",
                   "<?xml version=\"1.0\"?>\n<score-partwise>\n<part id=\"P1\"><measure>\n</part>",
                   "4行目、7列目: XML として読めません"},
        RefusalRow{"NotAScore", "<?xml version=\"1.0\"?>\n<html><body/></html>",
                   "2行目、6列目: MusicXML の楽譜ではありません（最初の要素が html）"},
        RefusalRow{"Empty", "", "1行目、0列目: MusicXML の楽譜がありません"},
        RefusalRow{"NoMeasures", "<score-partwise><part-list/></score-partwise>",
                   "1行目、45列目: MusicXML の楽譜に小節がありません"},
        RefusalRow{"BinaryBytes", std::string("\x00\x01\x02MThd", 7), "1行目"}),
    [](const ::testing::TestParamInfo<RefusalRow> &info) { return std::string(info.param.name); });

struct SniffRow {
  const char *name;
  std::string bytes;
  bool score;
};

class MusicXmlSniff : public ::testing::TestWithParam<SniffRow> {};

TEST_P(MusicXmlSniff, KnowsAScoreByItsFirstElement) {
  EXPECT_EQ(LooksLikeMusicXml(QByteArray::fromStdString(GetParam().bytes)), GetParam().score);
}

INSTANTIATE_TEST_SUITE_P(
    Starts, MusicXmlSniff,
    ::testing::Values(
        SniffRow{"Partwise", "<?xml version=\"1.0\"?><!-- c --><score-partwise version=\"3.1\">",
                 true},
        SniffRow{"Timewise", "<score-timewise>", true},
        SniffRow{"DoctypeOnly",
                 "<?xml version=\"1.0\"?><!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD "
                 "MusicXML 4.0 Partwise//EN\" \"http://www.musicxml.org/dtds/partwise.dtd\">",
                 true},
        SniffRow{"OtherXml", "<?xml version=\"1.0\"?><svg/>", false},
        SniffRow{"SmdLine", "\x1b$D title", false}, SniffRow{"MidiHeader", "MThd", false}),
    [](const ::testing::TestParamInfo<SniffRow> &info) { return std::string(info.param.name); });

TEST(MxlArchive, WrittenArchiveGivesItsScoreBack) {
  const QByteArray score = QByteArray::fromStdString(Partwise(Measure(Note("C", 4, 4), kStart)));
  const Result<QByteArray> archive = WriteMxl(score);
  ASSERT_TRUE(archive) << archive.error();
  EXPECT_TRUE(LooksLikeZip(*archive));
  // The format asks for an uncompressed "mimetype" entry first.
  EXPECT_EQ(archive->mid(30, 8), "mimetype");
  const Result<QByteArray> back = ReadMxlScore(*archive);
  ASSERT_TRUE(back) << back.error();
  EXPECT_EQ(*back, score);
}

TEST(MxlArchive, DamagedArchiveIsRefused) {
  const QByteArray score = QByteArray::fromStdString(Partwise(Measure(Note("C", 4, 4), kStart)));
  QByteArray archive = *WriteMxl(score);
  EXPECT_FALSE(ReadMxlScore(archive.left(archive.size() / 2)));
  EXPECT_FALSE(ReadMxlScore("PK\x03\x04 not really"));
}

} // namespace
} // namespace pipora
