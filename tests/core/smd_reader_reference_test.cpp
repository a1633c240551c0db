// The reader takes short ways through a file (one table step a byte, triplet groups in one
// go, notes written before it knows they are notes). Here it must agree with reading the
// same bytes code by code through DecodeCode, the plain way the format is described, on
// random files full of the codes' edge cases: escape words cut off, triplets short of notes,
// ties with nothing before them, double-byte characters, parts past the limit.
#include "formats/smd/smd_code.h"
#include "formats/smd/smd_reader.h"
#include "smd_bytes.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

namespace pipora {
namespace {

using test::kEnd;
using test::kStart;

struct ReadPart {
  std::vector<NoteEntry> notes;
  int volume = Part{}.volume;
};

struct Reading {
  std::string error;        // empty when the file reads
  std::int64_t offset = -1; // -1 when the error has none
  int partCount = 0;
  TempoChoice tempo = TempoChoice::Normal;
  std::vector<ReadPart> parts = std::vector<ReadPart>(kPartSlots + 1);
};

// Code by code, as the format reads: the plain way.
Reading ReadCodeByCode(const QByteArray &line) {
  Reading r;
  const std::string_view all(line.constData(), static_cast<std::size_t>(line.size()));
  const std::size_t base = std::min(all.find(kPartStart), all.size());
  const std::string_view text = all.substr(base);
  int part = 0;
  int shift = 0;
  std::size_t pos = 0;
  const auto fail = [&](std::size_t at, std::string what) {
    r.error = std::move(what);
    r.offset = static_cast<std::int64_t>(base + at);
    return r;
  };
  // The note or rest a one-byte code makes here; false when it is none.
  const auto noteAt = [&](std::size_t at, NoteEntry &e) {
    const DecodedCode code = DecodeCode(text.substr(at, 1));
    if (!code.isNote)
      return false;
    e.noteNumber =
        static_cast<std::int16_t>(code.writtenNumber == 0 ? 0 : code.writtenNumber + shift);
    e.length = code.length;
    e.pitch = code.pitch;
    return true;
  };
  const auto append = [&](const NoteEntry &e, std::size_t at) -> std::string {
    if (part == 0)
      return "パートの開始がありません。";
    if (r.parts[part].notes.size() >= static_cast<std::size_t>(kMaxSmdPartElements))
      return "パートの音符が多すぎます（" + std::to_string(kMaxSmdPartElements) + " 個まで）。";
    (void)at;
    r.parts[part].notes.push_back(e);
    return {};
  };
  const auto volume = [&](int step) {
    if (part == 0)
      return;
    r.parts[part].volume = std::clamp(r.parts[part].volume + step, 0, 8);
  };
  while (pos < text.size()) {
    const std::size_t at = pos;
    const DecodedCode code = DecodeCode(text.substr(pos));
    if (at + static_cast<std::size_t>(code.consumed) > text.size())
      return fail(at, "エスケープ語が途中で終わっています。");
    pos += static_cast<std::size_t>(code.consumed);
    if (code.isNote) {
      NoteEntry e;
      noteAt(at, e);
      if (std::string error = append(e, at); !error.empty())
        return fail(at, error);
      continue;
    }
    switch (code.word) {
    case SmdWord::Start:
      if (++part > kPartSlots)
        return fail(at, "パートが18を超えています。");
      shift = 0;
      break;
    case SmdWord::High:
      shift = 12;
      break;
    case SmdWord::Low:
      shift = -12;
      break;
    case SmdWord::Middle:
      shift = 0;
      break;
    case SmdWord::Fast:
    case SmdWord::SomewhatSlow:
    case SmdWord::Slow:
      r.tempo = *TempoOfWord(code.word);
      break;
    case SmdWord::SameTriplet:
    case SmdWord::MixedTriplet: {
      const int codes = code.word == SmdWord::SameTriplet ? 1 : 3;
      NoteEntry e;
      for (int k = 0; k < 3; ++k) {
        if (k < codes) {
          if (pos >= text.size())
            return fail(at, "3連符の音符がありません。");
          if (!noteAt(pos, e))
            return fail(pos, "3連符の音符がありません。");
          ++pos;
        }
        NoteEntry triplet = e;
        triplet.length = NoteLength::FromTicks(e.length.ticks() * 2 / 3, false);
        if (std::string error = append(triplet, at); !error.empty())
          return fail(at, error);
      }
      break;
    }
    case SmdWord::Louder:
      volume(+1);
      break;
    case SmdWord::Softer:
      volume(-1);
      break;
    case SmdWord::SofterTwice:
      volume(-2);
      break;
    case SmdWord::Tie:
      if (part == 0 || r.parts[part].notes.empty())
        return fail(at, "タイの前に音符がありません。");
      r.parts[part].notes.back().length.setTied(true);
      break;
    default:
      break;
    }
  }
  r.partCount = part;
  return r;
}

Reading ReadFast(const QByteArray &line) {
  Reading r;
  Result<SmdDocument> doc = DecodeSmd(line);
  if (!doc) {
    r.error = doc.failure().message;
    r.offset = doc.failure().offset.value_or(-1);
    return r;
  }
  r.partCount = doc->partCount;
  r.tempo = doc->song.tempo;
  for (int n = 1; n <= kPartSlots; ++n) {
    const Part &p = doc->song.part(n);
    r.parts[n].volume = p.volume;
    r.parts[n].notes.assign(p.notes.begin(), p.notes.end() - 1); // without the end marker
  }
  return r;
}

void ExpectSameReading(const QByteArray &line) {
  const Reading plain = ReadCodeByCode(line);
  const Reading fast = ReadFast(line);
  SCOPED_TRACE(line.left(200).toHex(' ').constData());
  ASSERT_EQ(fast.error, plain.error);
  ASSERT_EQ(fast.offset, plain.offset);
  if (!plain.error.empty())
    return;
  ASSERT_EQ(fast.partCount, plain.partCount);
  ASSERT_EQ(fast.tempo, plain.tempo);
  for (int n = 1; n <= kPartSlots; ++n) {
    SCOPED_TRACE(n);
    ASSERT_EQ(fast.parts[n].volume, plain.parts[n].volume);
    const std::vector<NoteEntry> &a = fast.parts[n].notes;
    const std::vector<NoteEntry> &b = plain.parts[n].notes;
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
      SCOPED_TRACE(i);
      ASSERT_EQ(a[i].noteNumber, b[i].noteNumber);
      ASSERT_EQ(a[i].length, b[i].length);
      ASSERT_EQ(a[i].pitch, b[i].pitch);
    }
  }
}

// A random melody text built from the pieces the reader treats differently.
QByteArray RandomText(std::mt19937 &rng, int pieces) {
  static const char *const kPieces[] = {
      "6",        "5",     "#",  "&",    "'",     "~",    "(",    "\"",     "!\"",
      "!#",       "!$",    "!%", "!&",   "!(",    "!)",   "!*",   "!+",     "!,",
      "!-",       "!/",    "!!", "!.",   "!\x1b", "\x0f", "\x1b", "\x1b$D", "\x82",
      "\x82\x60", "\x82!", " ",  "\x01", "\xff",  "!\x82"};
  QByteArray text;
  for (int i = 0; i < pieces; ++i) {
    // Notes are most of a real file.
    if (rng() % 2 == 0)
      text += static_cast<char>('#' + rng() % ('~' - '#' + 1));
    else
      text += kPieces[rng() % std::size(kPieces)];
  }
  return text;
}

TEST(SmdReaderReference, RandomFilesReadAsCodeByCode) {
  std::mt19937 rng(20261207);
  for (int round = 0; round < 4000; ++round) {
    const QByteArray line = (round % 3 == 0 ? QByteArray("title") : QByteArray()) + kStart +
                            RandomText(rng, static_cast<int>(rng() % 120));
    ExpectSameReading(line);
    if (HasFatalFailure())
      return;
  }
}

// Where the short ways end: a part's list full at the element limit, a triplet that does not
// fit in it, an escape hiding a part start, cut-off words at the very end.
TEST(SmdReaderReference, EdgesOfTheShortWays) {
  const QByteArray full(kMaxSmdPartElements, '6');
  const struct {
    const char *name;
    QByteArray line;
  } rows[] = {
      {"full part then words", kStart + full + "!$!#\"!)" + kEnd},
      {"full part then a note", kStart + full + "!$6" + kEnd},
      {"triplet past the limit", kStart + full.left(kMaxSmdPartElements - 1) + "!%6" + kEnd},
      {"mixed triplet past the limit", kStart + full.left(kMaxSmdPartElements - 2) + "!&666"},
      {"triplet at the limit", kStart + full.left(kMaxSmdPartElements - 3) + "!%6\"" + kEnd},
      {"escape hides a part start", kStart + "6!" + kStart + QByteArray(5000, '5') + kEnd},
      {"ties across many buffers", kStart + QByteArray("5\"6!#7\"").repeated(6000) + kEnd},
      {"triplets across many buffers",
       kStart + QByteArray("!%6\"!&5#6!\"5").repeated(3000) + "\"" + kEnd},
      {"long part then a tie first in the next",
       kStart + QByteArray(9000, '5') + kEnd + kStart + "\"" + kEnd},
      {"many hidden part starts",
       kStart + QByteArray("!\x1b$D6").repeated(3000) + kStart + "6" + kEnd},
      {"part of nothing but words", kStart + QByteArray("!#!$!\"").repeated(100) + "\"" + kEnd},
      {"cut-off escape", kStart + "66!"},
      {"cut-off same triplet", kStart + "66!%"},
      {"cut-off mixed triplet", kStart + "66!&6"},
      {"triplet of a word", kStart + "!&6!$6" + kEnd},
      {"double-byte character at the end", kStart + "6\x82"},
      {"tie first in the second part", kStart + "6" + kEnd + kStart + "\"6"},
      {"nineteenth part", (kStart + "6" + kEnd).repeated(19)},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    ExpectSameReading(row.line);
  }
}

} // namespace
} // namespace pipora
