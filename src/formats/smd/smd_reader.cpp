#include "formats/smd/smd_reader.h"

#include "formats/smd/smd_code.h"
#include "formats/smd/title_conversion.h"
#include "model/file_messages.h"
#include "model/vocabulary.h"
#include "platform/text/cp932.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace pipora {
namespace {

constexpr int kMaxFileParts = kPartSlots;
constexpr int kMaxVolume = 8;
// Beyond this a part grows as it goes, so a damaged file cannot ask for huge memory.
constexpr std::size_t kReserveLimit = 1 << 16;

// What a one-byte note or rest code puts in the list, worked out once per byte value by
// DecodeCode itself: reading a file then costs a table look-up a note.
struct NoteByte {
  bool isNote = false;
  std::int16_t writtenNumber = 0; // 0 for rests
  NoteLength length;
  NoteLength tripletLength; // two thirds of `length`, as a triplet word gives it
  PitchText pitch;
};

const std::array<NoteByte, 256> &NoteBytes() {
  static const std::array<NoteByte, 256> table = [] {
    std::array<NoteByte, 256> bytes{};
    for (int c = 0; c < 256; ++c) {
      const char text[1] = {static_cast<char>(c)};
      const DecodedCode code = DecodeCode(std::string_view(text, 1));
      if (!code.isNote || code.consumed != 1)
        continue;
      const NoteLength length(code.length);
      bytes[static_cast<std::size_t>(c)] = {
          true, static_cast<std::int16_t>(code.writtenNumber), length,
          NoteLength::FromTicks(length.ticks() * 2 / 3, false), PitchText(code.pitch)};
    }
    return bytes;
  }();
  return table;
}

// The octave window an escape's selector byte moves to; -1 for the other selectors. Worked
// out once by DecodeCode: after notes, octave moves are the commonest codes of a file.
const std::array<int, 256> &OctaveSelectors() {
  static const std::array<int, 256> table = [] {
    std::array<int, 256> windows{};
    for (int c = 0; c < 256; ++c) {
      const char text[2] = {'!', static_cast<char>(c)};
      const SmdWord word = DecodeCode(std::string_view(text, 2)).word;
      windows[static_cast<std::size_t>(c)] = word == SmdWord::High     ? kOctaveHigh
                                             : word == SmdWord::Low    ? kOctaveLow
                                             : word == SmdWord::Middle ? kOctaveMiddle
                                                                       : -1;
    }
    return windows;
  }();
  return table;
}

Error At(std::size_t offset, std::string what) {
  return Error{std::move(what), static_cast<std::int64_t>(offset)};
}

// Walks the melody text once, keeping the reader's state (part, octave) to itself.
class SmdDecoder {
public:
  SmdDecoder(Song &song, std::string_view text, std::size_t base)
      : song_(song), text_(text), base_(base) {}

  Result<int> run() {
    const std::array<NoteByte, 256> &noteBytes = NoteBytes();
    const std::array<int, 256> &octaveSelectors = OctaveSelectors();
    while (pos_ < text_.size()) {
      const std::size_t at = pos_;
      // Notes and rests are nearly every byte of a file: they take the short way.
      if (const NoteByte &b = noteBytes[static_cast<unsigned char>(text_[at])];
          b.isNote && part_ > 0) {
        std::vector<NoteEntry> &notes = song_.part(part_).notes;
        if (notes.size() < static_cast<std::size_t>(kMaxSmdPartElements)) {
          NoteEntry &e = notes.emplace_back();
          e.noteNumber =
              static_cast<std::int16_t>(b.writtenNumber == 0 ? 0 : b.writtenNumber + shift_);
          e.length = b.length;
          e.pitch = b.pitch;
          ++pos_;
          continue;
        }
      }
      if (text_[at] == '!' && at + 1 < text_.size()) {
        if (const int window = octaveSelectors[static_cast<unsigned char>(text_[at + 1])];
            window >= 0) {
          setOctave(window);
          pos_ += 2;
          continue;
        }
      }
      if (text_[at] == kTieCode && part_ > 0 && !song_.part(part_).notes.empty()) {
        // A second tie mark would make the code unreadable; one tie says it all.
        song_.part(part_).notes.back().length.setTied(true);
        ++pos_;
        continue;
      }
      const DecodedCode code = DecodeCode(text_.substr(pos_));
      if (at + static_cast<std::size_t>(code.consumed) > text_.size())
        return At(base_ + at, "エスケープ語が途中で終わっています。");
      pos_ += static_cast<std::size_t>(code.consumed);
      if (Status s = act(code, at); !s)
        return s.failure();
    }
    return part_;
  }

private:
  Status act(const DecodedCode &code, std::size_t at) {
    if (code.isNote)
      return appendNote(NoteBytes()[static_cast<unsigned char>(text_[at])], false, at);
    switch (code.word) {
    case SmdWord::Start:
      if (++part_ > kMaxFileParts)
        return At(base_ + at, "パートが18を超えています。");
      setOctave(kOctaveMiddle);
      reserveForPart();
      return Ok{};
    case SmdWord::Fast:
    case SmdWord::SomewhatSlow:
    case SmdWord::Slow:
      song_.setTempo(*TempoOfWord(code.word));
      return Ok{};
    case SmdWord::High:
      setOctave(kOctaveHigh);
      return Ok{};
    case SmdWord::Low:
      setOctave(kOctaveLow);
      return Ok{};
    case SmdWord::Middle:
      setOctave(kOctaveMiddle);
      return Ok{};
    case SmdWord::SameTriplet: {
      Result<const NoteByte *> note = tripletNote(at);
      if (!note)
        return note.failure();
      for (int i = 0; i < 3; ++i)
        if (Status s = appendNote(**note, true, at); !s)
          return s;
      return Ok{};
    }
    case SmdWord::MixedTriplet:
      for (int i = 0; i < 3; ++i) {
        Result<const NoteByte *> note = tripletNote(at);
        if (!note)
          return note.failure();
        if (Status s = appendNote(**note, true, at); !s)
          return s;
      }
      return Ok{};
    case SmdWord::Louder:
      changeVolume(+1);
      return Ok{};
    case SmdWord::Softer:
      changeVolume(-1);
      return Ok{};
    case SmdWord::SofterTwice:
      changeVolume(-1);
      changeVolume(-1);
      return Ok{};
    case SmdWord::Tie:
      return tie(at);
    case SmdWord::End:
    case SmdWord::Normal: // the tempo stays as it is
    case SmdWord::None:
      return Ok{};
    }
    return Ok{};
  }

  // A part has at most one note per byte up to its end code (a triplet word three).
  void reserveForPart() {
    const std::size_t end = std::min(text_.find(kPartEnd, pos_), text_.size());
    std::vector<NoteEntry> &notes = song_.part(part_).notes;
    notes.reserve(notes.size() + std::min<std::size_t>(end - pos_, kReserveLimit) + 1);
  }

  // The code after a triplet word must be a one-character note or rest.
  Result<const NoteByte *> tripletNote(std::size_t wordAt) {
    if (pos_ >= text_.size())
      return At(base_ + wordAt, "3連符の音符がありません。");
    const NoteByte &note = NoteBytes()[static_cast<unsigned char>(text_[pos_])];
    if (!note.isNote)
      return At(base_ + pos_, "3連符の音符がありません。");
    ++pos_;
    return &note;
  }

  // What AppendNote does, for a part being read: the count and the shared capacity are set
  // once the whole file is read.
  Status appendNote(const NoteByte &code, bool triplet, std::size_t at) {
    if (part_ == 0)
      return At(base_ + at, "パートの開始がありません。");
    std::vector<NoteEntry> &notes = song_.part(part_).notes;
    if (notes.size() >= static_cast<std::size_t>(kMaxSmdPartElements))
      return At(base_ + at,
                "パートの音符が多すぎます（" + std::to_string(kMaxSmdPartElements) + " 個まで）。");
    NoteEntry &e = notes.emplace_back();
    e.noteNumber =
        static_cast<std::int16_t>(code.writtenNumber == 0 ? 0 : code.writtenNumber + shift_);
    e.length = triplet ? code.tripletLength : code.length;
    e.pitch = code.pitch;
    return Ok{};
  }

  Status tie(std::size_t at) {
    if (part_ == 0 || song_.part(part_).notes.empty())
      return At(base_ + at, "タイの前に音符がありません。");
    // A second tie mark would make the code unreadable; one tie says it all.
    song_.part(part_).notes.back().length.setTied(true);
    return Ok{};
  }

  void setOctave(int window) { shift_ = (window - kOctaveMiddle) * 12; }

  void changeVolume(int step) {
    if (part_ == 0)
      return;
    int &volume = song_.part(part_).volume;
    if (step > 0 && volume < kMaxVolume)
      ++volume;
    else if (step < 0 && volume > 0)
      --volume;
  }

  Song &song_;
  std::string_view text_;
  std::size_t base_;
  std::size_t pos_ = 0;
  int part_ = 0;
  // Semitones the current octave window moves written notes by.
  int shift_ = 0;
};

void EmptyForReading(Part &p) {
  p.notes.clear();
  p.count = -1;
  p.cursor = 0;
  p.startTick = 0;
  p.scoreHeader.count = 0;
}

void MoveNotes(Part &to, Part &from) {
  to.notes = std::move(from.notes);
  to.count = from.count;
  to.cursor = 0;
  to.startTick = 0;
  to.scoreHeader.cursor = 0;
  to.scoreHeader.selStart = 0;
  to.scoreHeader.selLength = 0;
}

} // namespace

Result<SmdDocument> DecodeSmd(const QByteArray &line, int capacity) {
  if (line.size() > kMaxSmdLineBytes)
    return Error{TooLargeText(kMaxSmdLineBytes)};
  SmdDocument doc;
  Song &song = doc.song;
  song.capacity = capacity;
  const std::string_view text(line.constData(), static_cast<std::size_t>(line.size()));
  const std::size_t melodyStart = std::min(text.find(kPartStart), text.size());

  song.title = Cp932ToUtf8(ConvertTitle(line.left(static_cast<qsizetype>(melodyStart))));
  for (int n = 1; n <= kPartSlots; ++n)
    EmptyForReading(song.part(n));

  SmdDecoder decoder(song, text.substr(melodyStart), melodyStart);
  Result<int> parts = decoder.run();
  if (!parts)
    return parts.failure();
  doc.partCount = *parts;

  // Every part ends in its EndMarker, also the slots the file did not reach.
  for (int n = 1; n <= kPartSlots; ++n) {
    Part &p = song.part(n);
    p.notes.push_back(MakeEndMarker());
    p.count = static_cast<std::int32_t>(p.notes.size()) - 1;
    // The capacity reading grew to, as if note by note: a part's count does not yet include
    // its last note while it is being read.
    EnsureCapacityFor(song, p.count - 1);
  }
  return doc;
}

void ReplaceMelody(Song &song, SmdDocument &&document) {
  Song &read = document.song;
  song.title = std::move(read.title);
  song.setTempo(read.tempo);
  song.ticksPerBeat = 480;
  song.beatsPerMeasure = 4;
  song.capacity = std::max(song.capacity, read.capacity);
  for (int n = 1; n <= kClipboardPart; ++n)
    MoveNotes(song.part(n), read.part(n));
  for (int n = 1; n <= kUserParts; ++n)
    song.part(n).volume = read.part(n).volume;
  // The backup slot is only replaced by a file that really has an 18th part; its record
  // of which part it backs up no longer applies then.
  if (document.partCount >= kBackupPart) {
    MoveNotes(song.part(kBackupPart), read.part(kBackupPart));
    song.part(kBackupPart).scoreHeader.partNumber = 0;
  }
  RecalcTimes(song);
  BuildScoreList(song);
}

} // namespace pipora
