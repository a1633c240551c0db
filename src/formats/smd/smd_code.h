#pragma once
// The SMD melody alphabet: one character per note or rest, "!" plus a selector for
// escape words, ESC "$D" and 0x0F around every part. A phone plays written pitches
// in one of the three octave windows of the vocabulary, chosen by the octave words; the
// octave state tracks the window while reading or writing.
#include "model/song.h"
#include "model/vocabulary.h"

#include <optional>
#include <string>
#include <string_view>

namespace pipora {

// The window a note needs when the phone is in `state`: the current one while the note fits,
// else the middle one, else the low or high one.
int OctaveStateFor(int state, int noteNumber);

inline constexpr char kPartStartEsc = 27;
inline constexpr std::string_view kPartStart = "\x1b$D";
inline constexpr char kPartEnd = 15;
inline constexpr char kTieCode = '"';

enum class SmdWord {
  None,
  Start,        // "開始"
  End,          // "終了"
  High,         // "高い"
  Low,          // "低い"
  Middle,       // "まん中"
  SameTriplet,  // "同音3連符": the next code, played three times as a triplet
  MixedTriplet, // "異音3連符": the next three codes form a triplet
  Fast,         // "速い"
  Normal,       // "普通の速さ"
  SomewhatSlow, // "やや遅い"
  Slow,         // "遅い"
  SofterTwice,  // "小さく小さく"
  Softer,       // "小さく"
  Louder,       // "大きく"
  Tie,          // "タイ"
};

// The Japanese name of a word; "" for None.
std::string_view SmdWordText(SmdWord word);

// The escape that writes a word: "!" and its selector ("!(" for Fast); "" for the words
// that have none (None, Start, End, Tie).
std::string EscapeCode(SmdWord word);
// The same, appended to `out`.
void AppendEscape(std::string &out, SmdWord word);

// The tempo words and the tempo steps they set.
SmdWord TempoEscapeWord(TempoChoice tempo);
std::optional<TempoChoice> TempoOfWord(SmdWord word);

struct DecodedCode {
  int consumed = 1;
  SmdWord word = SmdWord::None;
  bool isNote = false;     // a note or a rest
  int writtenNumber = 0;   // 57..78 for notes, 0 for rests
  std::string_view pitch;  // PitchName, "R" for rests
  std::string_view length; // "16", "8", "4" or "2"
};

// Decodes the code at the start of `text` (bytes, which must not be empty). Looks at most
// three bytes ahead. `consumed` counts bytes: a double-byte CP932 character is skipped
// whole. It may exceed the text left when an escape word is cut off after "!"; callers
// treat that as damage.
DecodedCode DecodeCode(std::string_view text);

// Encodes one element, updating `octaveState` for notes. Rests and unknown lengths give
// the texts described in the table of the module; an empty result for a note means it
// cannot be encoded (the state change has still happened).
std::string EncodeNote(int &octaveState, int noteNumber, std::string_view length);
// The same for a list's own length, appended to `out`: false, with nothing appended, when there
// is nothing to write (a rest of an unknown length) or the note cannot be encoded.
bool AppendNoteCode(std::string &out, int &octaveState, int noteNumber, NoteLength length);

// Appends the escape words that move `octaveState` to `target` (3, 4 or 5).
void AppendOctaveMove(std::string &out, int &octaveState, int target);

} // namespace pipora
