#include "formats/smd/smd_writer.h"

#include "formats/smd/smd_code.h"
#include "model/smd_rules.h"
#include "model/vocabulary.h"
#include "platform/text/cp932.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace pipora {
namespace {

// Normal is the phone's own tempo: no word is written for it.
std::string TempoEscape(TempoChoice tempo) {
  return tempo == TempoChoice::Normal ? std::string() : EscapeCode(TempoEscapeWord(tempo));
}

// Encodes one part's elements, once the save checks (model/save_checks.h, on the rules of
// model/smd_rules.h) found nothing wrong with it; the part header is already written. The
// rules are not checked again here: a code the alphabet lacks is the one failure left.
class PartEncoder {
public:
  PartEncoder(const Part &part, int partNumber, std::string &out)
      : part_(part), number_(partNumber), out_(out) {}

  std::optional<Error> run() {
    for (int i = 0; i <= part_.count;) {
      const NoteEntry &e = note(i);
      if (IsTriplet(e.length)) {
        if (auto failure = triplet(i))
          return failure;
        i += 3;
      } else {
        if (!AppendNoteCode(out_, state_, e.noteNumber, e.length) && !e.isEndMarker())
          return fail(i);
        ++i;
      }
    }
    return std::nullopt;
  }

private:
  const NoteEntry &note(int i) const { return part_.notes[static_cast<std::size_t>(i)]; }

  Error fail(int element) const {
    return Error{std::string(kCannotHandleNote), NotePlace{number_, element}};
  }

  // The phone cannot tie inside a triplet: every note of the group is written with the first
  // note's length untied, in the window that holds the group (three rests need none).
  std::optional<Error> triplet(int p) {
    NoteLength first = note(p).length;
    first.setTied(false);
    const TripletSpan span =
        SpanOfTriplet(note(p).noteNumber, note(p + 1).noteNumber, note(p + 2).noteNumber);
    if (const OctaveWindow *w = span.window())
      AppendOctaveMove(out_, state_, w->state);
    AppendEscape(out_, SmdWord::MixedTriplet);
    for (int i = 0; i < 3; ++i) {
      const NoteEntry &e = note(p + i);
      if (!AppendNoteCode(out_, state_, e.noteNumber, first) && !e.isEndMarker())
        return fail(p + i);
    }
    return std::nullopt;
  }

  const Part &part_;
  int number_;
  std::string &out_;
  int state_ = kOctaveMiddle;
};

void AppendPartHeader(std::string &out, const Song &song, const Part &part) {
  out += kPartStart;
  out += TempoEscape(song.tempo);
  const int v = part.volume - kDefaultVolume;
  for (int i = 0; i < v; ++i)
    AppendEscape(out, SmdWord::Louder);
  for (int i = 0; i < -v; ++i)
    AppendEscape(out, SmdWord::Softer);
  AppendEscape(out, SmdWord::Middle);
}

// The title as typed, less the characters that would end the line, start a part frame
// early or shift the title's reading into JIS kana (shift-out, shift-in): a title
// converted from damaged JIS can contain them, and they would cut the melody off or
// change the title each time the file is saved and read again. CP932's second bytes
// never fall below 0x40.
QByteArray TitleBytes(const std::string &title) {
  QByteArray bytes = ToCp932(title);
  bytes.removeIf([](char c) {
    return c == '\r' || c == '\n' || c == kPartStartEsc || c == '\x0e' || c == '\x0f';
  });
  return bytes;
}

} // namespace

Result<QByteArray> EncodeSmd(const Song &song) {
  std::string melody;
  std::size_t notes = 0;
  for (int n = 1; n <= kUserParts; ++n)
    notes += static_cast<std::size_t>(std::max(song.part(n).count, 0));
  melody.reserve(notes * 2 + 64);
  for (int n = 1; n <= kUserParts; ++n) {
    const Part &part = song.part(n);
    if (part.count <= 0)
      continue;
    std::vector<SaveProblem> problems;
    FindPartSaveProblems(part, n, problems, 1);
    if (!problems.empty()) {
      const SaveProblem &first = problems.front();
      return Error{std::string(first.message()), NotePlace{first.part, first.element}};
    }
    AppendPartHeader(melody, song, part);
    if (auto failure = PartEncoder(part, n, melody).run())
      return std::move(*failure);
    melody += kPartEnd;
  }
  melody += "\r\n";
  QByteArray text = TitleBytes(song.title);
  text.append(melody.data(), static_cast<qsizetype>(melody.size()));
  return text;
}

} // namespace pipora
