#include "formats/smd/smd_code.h"

#include "model/vocabulary.h"
#include "platform/text/cp932.h"

#include <algorithm>
#include <array>

namespace pipora {
namespace {

struct Escape {
  SmdWord word;
  char selector; // the byte after "!"; 0 for words written otherwise
  std::string_view text;
};
// Every word of the melody alphabet, with the byte that selects it after "!".
constexpr std::array<Escape, 15> kEscapes = {{{SmdWord::Start, 0, "開始"},
                                              {SmdWord::End, 0, "終了"},
                                              {SmdWord::High, '"', "高い"},
                                              {SmdWord::Low, '#', "低い"},
                                              {SmdWord::Middle, '$', "まん中"},
                                              {SmdWord::SameTriplet, '%', "同音3連符"},
                                              {SmdWord::MixedTriplet, '&', "異音3連符"},
                                              {SmdWord::Fast, '(', "速い"},
                                              {SmdWord::Normal, ')', "普通の速さ"},
                                              {SmdWord::SomewhatSlow, '*', "やや遅い"},
                                              {SmdWord::Slow, '+', "遅い"},
                                              {SmdWord::SofterTwice, ',', "小さく小さく"},
                                              {SmdWord::Softer, '-', "小さく"},
                                              {SmdWord::Louder, '/', "大きく"},
                                              {SmdWord::Tie, 0, "タイ"}}};

// The tempo words in the order of TempoChoice.
constexpr std::array<SmdWord, 4> kTempoWords = {SmdWord::Fast, SmdWord::Normal,
                                                SmdWord::SomewhatSlow, SmdWord::Slow};

SmdWord SelectorWord(unsigned char selector) {
  for (const Escape &e : kEscapes)
    if (e.selector != 0 && static_cast<unsigned char>(e.selector) == selector)
      return e.word;
  return SmdWord::None;
}

// The table lists the words in the order of SmdWord from Start on, so a word is its own index.
constexpr bool EscapesInWordOrder() {
  for (std::size_t i = 0; i < kEscapes.size(); ++i)
    if (kEscapes[i].word != static_cast<SmdWord>(i + 1))
      return false;
  return true;
}
static_assert(EscapesInWordOrder());

const Escape *EscapeOf(SmdWord word) {
  const auto i = static_cast<std::size_t>(word) - 1;
  return word != SmdWord::None && i < kEscapes.size() ? &kEscapes[i] : nullptr;
}

// The rest code of a length group: '#' sixteenth .. '&' half.
char RestCode(int lengthIndex) {
  return static_cast<char>('#' + lengthIndex);
}

// The plain length of a group (0 sixteenth .. 3 half), as the note codes' low bits give it.
std::string_view LengthOfGroup(int group) {
  for (const LengthCode &len : kLengthCodes)
    if (!len.triplet && len.group == group)
      return len.code;
  return {};
}

} // namespace

std::string_view SmdWordText(SmdWord word) {
  const Escape *e = EscapeOf(word);
  return e ? e->text : std::string_view();
}

std::string EscapeCode(SmdWord word) {
  std::string out;
  AppendEscape(out, word);
  return out;
}

void AppendEscape(std::string &out, SmdWord word) {
  const Escape *e = EscapeOf(word);
  if (e == nullptr || e->selector == 0)
    return;
  out += '!';
  out += e->selector;
}

SmdWord TempoEscapeWord(TempoChoice tempo) {
  return kTempoWords[static_cast<std::size_t>(std::clamp(static_cast<int>(tempo), 0, 3))];
}

std::optional<TempoChoice> TempoOfWord(SmdWord word) {
  for (std::size_t i = 0; i < kTempoWords.size(); ++i)
    if (kTempoWords[i] == word)
      return static_cast<TempoChoice>(i);
  return std::nullopt;
}

int OctaveStateFor(int state, int noteNumber) {
  const OctaveWindow *current = state == kOctaveMiddle ? &kMiddleWindow
                                : state == kOctaveLow  ? &kLowWindow
                                : state == kOctaveHigh ? &kHighWindow
                                                       : nullptr;
  if (current == nullptr || current->holds(noteNumber))
    return state;
  if (kMiddleWindow.holds(noteNumber))
    return kOctaveMiddle;
  return noteNumber < kMiddleWindow.lowest ? kOctaveLow : kOctaveHigh;
}

DecodedCode DecodeCode(std::string_view text) {
  DecodedCode d;
  const auto c = static_cast<unsigned char>(text.front());
  if (c == kPartStartEsc) {
    if (text.substr(0, 3) == kPartStart) {
      d.word = SmdWord::Start;
      d.consumed = 3;
    }
  } else if (c == kPartEnd) {
    d.word = SmdWord::End;
  } else if (c == '!') {
    d.consumed = 2;
    if (text.size() >= 2)
      d.word = SelectorWord(static_cast<unsigned char>(text[1]));
  } else if (c == kTieCode) {
    d.word = SmdWord::Tie;
  } else if (c >= '#' && c <= '&') {
    d.isNote = true;
    d.pitch = "R";
    d.length = LengthOfGroup(c - '#');
  } else if (c >= '\'' && c <= 126) {
    d.isNote = true;
    // 39 stands for F#5 half, whose regular code 127 is not a printable character.
    const int code = c == '\'' ? 127 : c;
    d.writtenNumber = std::min(kMiddleWindow.lowest + (code - 40) / 4, kMiddleWindow.highest);
    d.pitch = kPitchNames[static_cast<std::size_t>(d.writtenNumber % 12)];
    d.length = LengthOfGroup(code % 4);
  } else if (IsCp932LeadByte(c) && text.size() >= 2 &&
             IsCp932TrailByte(static_cast<unsigned char>(text[1]))) {
    // A double-byte character is one character: its second byte is no code of its own.
    d.consumed = 2;
  }
  return d;
}

void AppendOctaveMove(std::string &out, int &octaveState, int target) {
  if (octaveState == target)
    return;
  if (octaveState != kOctaveMiddle)
    AppendEscape(out, SmdWord::Middle);
  if (target == kOctaveLow)
    AppendEscape(out, SmdWord::Low);
  else if (target == kOctaveHigh)
    AppendEscape(out, SmdWord::High);
  octaveState = target;
}

std::string EncodeNote(int &octaveState, int noteNumber, std::string_view length) {
  std::string out;
  AppendNoteCode(out, octaveState, noteNumber, NoteLength(length));
  return out;
}

bool AppendNoteCode(std::string &out, int &octaveState, int noteNumber, NoteLength length) {
  const int k = LengthIndex(length);
  if (noteNumber == 0) {
    if (k >= 0)
      out += RestCode(k);
    return k >= 0;
  }
  const std::size_t before = out.size();
  const int target = OctaveStateFor(octaveState, noteNumber);
  AppendOctaveMove(out, octaveState, target);
  int written = noteNumber;
  if (octaveState == kOctaveLow)
    written += 12;
  else if (octaveState == kOctaveHigh)
    written -= 12;
  int code = k < 0 ? 0 : 52 + (written - 60) * 4 + k;
  if (code == 127)
    code = '\'';
  if (code < 35 || code > 126) {
    out.resize(before);
    return false;
  }
  out += static_cast<char>(code);
  if (IsTied(length))
    out += kTieCode;
  return true;
}

} // namespace pipora
