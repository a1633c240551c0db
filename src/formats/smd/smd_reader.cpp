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

// Notes a part's buffer holds before they are moved to its list.
constexpr std::size_t kBufferSize = 2048;
// The octave windows in table order: low, middle, high.
constexpr int kWindowCount = 3;
constexpr int WindowIndex(int octaveState) {
  return octaveState - kOctaveLow;
}

// The reader's state between two bytes: the octave window, and whether the byte before was
// the "!" of an escape word (the next byte then selects the word).
constexpr int kStateCount = kWindowCount * 2;
constexpr std::size_t StateOf(std::size_t window, bool escaped) {
  return window * 2 + (escaped ? 1 : 0);
}

// How a byte is read: the short way (notes, rests, ties, octave words, skipped bytes), a
// triplet group (one or three codes follow), or the long way through DecodeCode (part starts,
// double-byte characters, tempo and volume words).
enum ByteWay : std::uint8_t { kShortWay = 0, kSameTriplet = 1, kMixedTriplet = 3, kLongWay = 4 };

// The tables hold a row of 256 bytes per state; a state is named by where its row starts,
// so that the next look-up needs no sum beyond the byte.
constexpr std::size_t RowOf(std::size_t state) {
  return state * 256;
}

struct alignas(8) ByteStep {
  std::uint16_t next = 0;   // the row of the state after the byte
  std::uint8_t advance = 0; // 1 for a note or rest: the list grows by one
  std::uint8_t tie = 0;     // 1 for the tie mark: it ties the element before
  ByteWay way = kShortWay;
};

// Every byte in every state, and the list element each note or rest code makes in each state
// (a window's entries stand twice, the second time for the byte after "!", where they are
// never kept); worked out once by DecodeCode itself.
struct ReaderTables {
  std::array<ByteStep, kStateCount * 256> steps{};
  std::array<NoteEntry, kStateCount * 256> entries{};
  std::array<NoteLength, 256> tripletLengths{}; // two thirds of the length, as a triplet
  std::array<bool, 256> isNote{};
};

// The window an escape's selector byte moves to; -1 for the others. kLongWay for the words
// only DecodeCode reads.
int SelectedWindow(unsigned char selector, ByteWay &way) {
  const char text[2] = {'!', static_cast<char>(selector)};
  switch (DecodeCode(std::string_view(text, 2)).word) {
  case SmdWord::High:
    return WindowIndex(kOctaveHigh);
  case SmdWord::Low:
    return WindowIndex(kOctaveLow);
  case SmdWord::Middle:
    return WindowIndex(kOctaveMiddle);
  case SmdWord::SameTriplet:
    way = kSameTriplet;
    return -1;
  case SmdWord::MixedTriplet:
    way = kMixedTriplet;
    return -1;
  case SmdWord::None:
  case SmdWord::Normal: // the tempo stays as it is
    return -1;
  default:
    way = kLongWay;
    return -1;
  }
}

const ReaderTables &Tables() {
  static const ReaderTables tables = [] {
    ReaderTables built;
    for (int c = 0; c < 256; ++c) {
      const auto byte = static_cast<unsigned char>(c);
      const char one[1] = {static_cast<char>(c)};
      const DecodedCode code = DecodeCode(std::string_view(one, 1));
      if (code.isNote && code.consumed == 1) {
        const NoteLength length(code.length);
        built.isNote[byte] = true;
        built.tripletLengths[byte] = NoteLength::FromTicks(length.ticks() * 2 / 3, false);
        for (std::size_t w = 0; w < kWindowCount; ++w) {
          NoteEntry e;
          const int shift = (static_cast<int>(w) - WindowIndex(kOctaveMiddle)) * 12;
          e.noteNumber =
              static_cast<std::int16_t>(code.writtenNumber == 0 ? 0 : code.writtenNumber + shift);
          e.length = length;
          e.pitch = PitchText(code.pitch);
          built.entries[RowOf(StateOf(w, false)) + byte] = e;
          built.entries[RowOf(StateOf(w, true)) + byte] = e;
        }
      }
      ByteWay selectorWay = kShortWay;
      const int selected = SelectedWindow(byte, selectorWay);
      for (std::size_t w = 0; w < kWindowCount; ++w) {
        ByteStep &plain = built.steps[RowOf(StateOf(w, false)) + byte];
        plain.advance = code.isNote ? 1 : 0;
        plain.tie = code.word == SmdWord::Tie ? 1 : 0;
        plain.next = static_cast<std::uint16_t>(RowOf(StateOf(w, c == '!')));
        // A part start needs two more bytes, a double-byte character its second one.
        if (c == kPartStartEsc || IsCp932LeadByte(byte))
          plain.way = kLongWay;

        ByteStep &selector = built.steps[RowOf(StateOf(w, true)) + byte];
        selector.next = static_cast<std::uint16_t>(
            RowOf(StateOf(selected < 0 ? w : static_cast<std::size_t>(selected), false)));
        selector.way = selectorWay;
      }
    }
    return built;
  }();
  return tables;
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
    const ReaderTables &tables = Tables();
    const auto *bytes = reinterpret_cast<const unsigned char *>(text_.data());
    const std::size_t size = text_.size();
    // The loop's state lives in locals; the long way reads and writes the members.
    NoteEntry *out = out_;
    NoteEntry *begin = partBegin_;
    NoteEntry *end = bufferEnd_;
    std::size_t row = RowOf(StateOf(window_, false)); // the state
    std::size_t i = 0;
    while (i < size) {
      const unsigned char c = bytes[i];
      const ByteStep step = tables.steps[row + c];
      if ((step.way != kShortWay) | (out == end) | (out == begin)) [[unlikely]] {
        const bool escaped = row != RowOf(StateOf(row / RowOf(2), false));
        if (step.way != kShortWay || out == end) {
          // A triplet group whose codes are all there and fit takes a short way of its own.
          const std::size_t codes = step.way == kLongWay ? 0 : step.way;
          const unsigned char *code = bytes + i + 1;
          if (codes != 0 && size - i > codes && end - out >= 3 && tables.isNote[code[0]] &&
              tables.isNote[code[codes / 2]] && tables.isNote[code[codes - 1]]) {
            const std::size_t plain = RowOf(StateOf(row / RowOf(2), false));
            for (std::size_t k = 0; k < 3; ++k, ++out) {
              const unsigned char note = code[codes == 1 ? 0 : k];
              *out = tables.entries[plain + note];
              out->length = tables.tripletLengths[note];
            }
            row = plain;
            i += codes + 1;
            continue;
          }
          // Part starts, the rare codes, a full buffer, and no part yet: the long way.
          out_ = out;
          window_ = row / RowOf(2);
          const std::size_t at = escaped ? i - 1 : i;
          if (Status s = step.way != kShortWay ? decodeAt(at) : decodeFull(at); !s)
            return s.failure();
          out = out_;
          begin = partBegin_;
          end = bufferEnd_;
          row = RowOf(StateOf(window_, false));
          i = pos_;
          continue;
        }
        if (step.tie != 0)
          return At(base_ + i, "タイの前に音符がありません。");
      }
      // Notes, rests, ties and octave words are nearly every byte of a file, in no order a
      // branch could guess: they are applied without asking which one came. The entry is
      // written whatever the byte was, and kept only for a note or rest.
      out[-1].length.addTie(step.tie != 0);
      *out = tables.entries[row + c];
      out += step.advance;
      row = step.next;
      ++i;
    }
    out_ = out;
    const bool escaped = row != RowOf(StateOf(row / RowOf(2), false));
    if (escaped)
      return At(base_ + size - 1, "エスケープ語が途中で終わっています。");
    finishPart();
    return part_;
  }

private:
  // Decodes the code at `at` the long way and acts on it; pos_ is then past it.
  Status decodeAt(std::size_t at) {
    const DecodedCode code = DecodeCode(text_.substr(at));
    if (at + static_cast<std::size_t>(code.consumed) > text_.size())
      return At(base_ + at, "エスケープ語が途中で終わっています。");
    pos_ = at + static_cast<std::size_t>(code.consumed);
    return act(code, at);
  }

  // At a full buffer: grows it, or (before the first part, or with the part full) lets the
  // long way say what is wrong with the code at `at`.
  Status decodeFull(std::size_t at) {
    if (makeRoom()) {
      pos_ = at;
      return Ok{};
    }
    return decodeAt(at);
  }

  Status act(const DecodedCode &code, std::size_t at) {
    if (code.isNote)
      return appendNote(static_cast<unsigned char>(text_[at]), false, at);
    switch (code.word) {
    case SmdWord::Start:
      finishPart();
      if (++part_ > kMaxSmdFileParts)
        return At(base_ + at, "パートが18を超えています。");
      window_ = WindowIndex(kOctaveMiddle);
      startPart();
      return Ok{};
    case SmdWord::Fast:
    case SmdWord::SomewhatSlow:
    case SmdWord::Slow:
      song_.setTempo(*TempoOfWord(code.word));
      return Ok{};
    case SmdWord::High:
      window_ = WindowIndex(kOctaveHigh);
      return Ok{};
    case SmdWord::Low:
      window_ = WindowIndex(kOctaveLow);
      return Ok{};
    case SmdWord::Middle:
      window_ = WindowIndex(kOctaveMiddle);
      return Ok{};
    case SmdWord::SameTriplet: {
      Result<unsigned char> note = tripletNote(at);
      if (!note)
        return note.failure();
      for (int i = 0; i < 3; ++i)
        if (Status s = appendNote(*note, true, at); !s)
          return s;
      return Ok{};
    }
    case SmdWord::MixedTriplet:
      for (int i = 0; i < 3; ++i) {
        Result<unsigned char> note = tripletNote(at);
        if (!note)
          return note.failure();
        if (Status s = appendNote(*note, true, at); !s)
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

  // Notes are written into a small buffer that stays in the cache and moved to the part's
  // list a buffer at a time. The list reserves what the part's bytes allow (a code makes at
  // most one note a byte) and is filled only as far as the notes go. The buffer holds a slot
  // before its first note, so that the tie step may touch the element before the next one;
  // the last note stays in the buffer when it is moved on, for a tie that follows.
  void startPart() {
    const std::size_t end = std::min(text_.find(kPartStart, pos_), text_.size());
    // One more for the end marker the song puts after the last note.
    song_.part(part_).notes.reserve(
        std::min<std::size_t>(end - pos_, static_cast<std::size_t>(kMaxSmdPartElements)) + 1);
    buffer_.resize(kBufferSize + 1);
    partBegin_ = out_ = buffer_.data() + 1;
    bufferEnd_ = partBegin_ + std::min<std::size_t>(kBufferSize, kMaxSmdPartElements);
  }

  // Moves the buffer's notes but the last to the part's list; false before the first part
  // and when the part is full.
  bool makeRoom() {
    if (part_ == 0)
      return false;
    std::vector<NoteEntry> &notes = song_.part(part_).notes;
    const std::size_t limit = kMaxSmdPartElements;
    if (notes.size() + static_cast<std::size_t>(out_ - partBegin_) >= limit)
      return false;
    notes.insert(notes.end(), partBegin_, out_ - 1);
    *partBegin_ = out_[-1];
    out_ = partBegin_ + 1;
    // The buffer never holds more than the part may still take.
    bufferEnd_ = partBegin_ + std::min(kBufferSize, limit - notes.size());
    return true;
  }

  void finishPart() {
    if (part_ == 0)
      return;
    std::vector<NoteEntry> &notes = song_.part(part_).notes;
    notes.insert(notes.end(), partBegin_, out_);
    out_ = bufferEnd_ = partBegin_ = nullptr;
  }

  // The code after a triplet word must be a one-character note or rest.
  Result<unsigned char> tripletNote(std::size_t wordAt) {
    if (pos_ >= text_.size())
      return At(base_ + wordAt, "3連符の音符がありません。");
    const auto c = static_cast<unsigned char>(text_[pos_]);
    if (!Tables().isNote[c])
      return At(base_ + pos_, "3連符の音符がありません。");
    ++pos_;
    return c;
  }

  // What AppendNote does, for a part being read: the count and the shared capacity are set
  // once the whole file is read.
  Status appendNote(unsigned char c, bool triplet, std::size_t at) {
    if (part_ == 0)
      return At(base_ + at, "パートの開始がありません。");
    if (out_ == bufferEnd_ && !makeRoom())
      return At(base_ + at,
                "パートの音符が多すぎます（" + std::to_string(kMaxSmdPartElements) + " 個まで）。");
    const ReaderTables &tables = Tables();
    *out_ = tables.entries[RowOf(StateOf(window_, false)) + c];
    if (triplet)
      out_->length = tables.tripletLengths[c];
    ++out_;
    return Ok{};
  }

  Status tie(std::size_t at) {
    if (part_ == 0 || out_ == partBegin_)
      return At(base_ + at, "タイの前に音符がありません。");
    // A second tie mark would make the code unreadable; one tie says it all.
    out_[-1].length.setTied(true);
    return Ok{};
  }

  void changeVolume(int step) {
    if (part_ == 0)
      return;
    int &volume = song_.part(part_).volume;
    if (step > 0 && volume < kMaxSmdVolume)
      ++volume;
    else if (step < 0 && volume > 0)
      --volume;
  }

  Song &song_;
  std::string_view text_;
  std::size_t base_;
  std::size_t pos_ = 0;
  int part_ = 0;
  std::size_t window_ = WindowIndex(kOctaveMiddle);
  std::vector<NoteEntry> buffer_;
  NoteEntry *partBegin_ = nullptr;
  NoteEntry *out_ = nullptr;
  NoteEntry *bufferEnd_ = nullptr;
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
  song.ticksPerBeat = kTicksPerQuarter;
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
