#include "formats/smd/smd_code.h"

#include "model/vocabulary.h"
#include "platform/text/cp932.h"

#include <array>

namespace pipora {
namespace {

constexpr std::array<std::string_view, 12> kPitchNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                          "F#", "G",  "G#", "A",  "A#", "B"};
constexpr std::array<std::string_view, 4> kBaseLengths = {"16", "8", "4", "2"};

SmdWord SelectorWord(unsigned char selector) {
  switch (selector) {
  case '"':
    return SmdWord::High;
  case '#':
    return SmdWord::Low;
  case '$':
    return SmdWord::Middle;
  case '%':
    return SmdWord::SameTriplet;
  case '&':
    return SmdWord::MixedTriplet;
  case '(':
    return SmdWord::Fast;
  case ')':
    return SmdWord::Normal;
  case '*':
    return SmdWord::SomewhatSlow;
  case '+':
    return SmdWord::Slow;
  case ',':
    return SmdWord::SofterTwice;
  case '-':
    return SmdWord::Softer;
  case '/':
    return SmdWord::Louder;
  default:
    return SmdWord::None;
  }
}

// The rest code of a length group: '#' sixteenth .. '&' half.
char RestCode(int lengthIndex) {
  return static_cast<char>('#' + lengthIndex);
}

} // namespace

std::string_view SmdWordText(SmdWord word) {
  switch (word) {
  case SmdWord::None:
    return "";
  case SmdWord::Start:
    return "開始";
  case SmdWord::End:
    return "終了";
  case SmdWord::High:
    return "高い";
  case SmdWord::Low:
    return "低い";
  case SmdWord::Middle:
    return "まん中";
  case SmdWord::SameTriplet:
    return "同音3連符";
  case SmdWord::MixedTriplet:
    return "異音3連符";
  case SmdWord::Fast:
    return "速い";
  case SmdWord::Normal:
    return "普通の速さ";
  case SmdWord::SomewhatSlow:
    return "やや遅い";
  case SmdWord::Slow:
    return "遅い";
  case SmdWord::SofterTwice:
    return "小さく小さく";
  case SmdWord::Softer:
    return "小さく";
  case SmdWord::Louder:
    return "大きく";
  case SmdWord::Tie:
    return "タイ";
  }
  return "";
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
    d.length = kBaseLengths[c - '#'];
  } else if (c >= '\'' && c <= 126) {
    d.isNote = true;
    // 39 stands for F#5 half, whose regular code 127 is not a printable character.
    const int code = c == '\'' ? 127 : c;
    d.writtenNumber = std::min(57 + (code - 40) / 4, 78);
    d.pitch = kPitchNames[static_cast<std::size_t>(d.writtenNumber % 12)];
    d.length = kBaseLengths[static_cast<std::size_t>(code % 4)];
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
    out += "!$";
  if (target == kOctaveLow)
    out += "!#";
  else if (target == kOctaveHigh)
    out += "!\"";
  octaveState = target;
}

std::string EncodeNote(int &octaveState, int noteNumber, std::string_view length) {
  const int k = LengthIndex(length);
  std::string out;
  if (noteNumber == 0) {
    if (k >= 0)
      out += RestCode(k);
    return out;
  }
  // Which window the note needs, given the one the phone is in now.
  int target = octaveState;
  switch (octaveState) {
  case kOctaveMiddle:
    target = noteNumber < 57 ? kOctaveLow : noteNumber > 78 ? kOctaveHigh : kOctaveMiddle;
    break;
  case kOctaveLow:
    target = noteNumber <= 66 ? kOctaveLow : noteNumber <= 78 ? kOctaveMiddle : kOctaveHigh;
    break;
  case kOctaveHigh:
    target = noteNumber >= 69 ? kOctaveHigh : noteNumber >= 57 ? kOctaveMiddle : kOctaveLow;
    break;
  default:
    break;
  }
  AppendOctaveMove(out, octaveState, target);
  int written = noteNumber;
  if (octaveState == kOctaveLow)
    written += 12;
  else if (octaveState == kOctaveHigh)
    written -= 12;
  int code = k < 0 ? 0 : 52 + (written - 60) * 4 + k;
  if (code == 127)
    code = '\'';
  if (code < 35 || code > 126)
    return {};
  out += static_cast<char>(code);
  if (IsTied(length))
    out += kTieCode;
  return out;
}

} // namespace pipora
