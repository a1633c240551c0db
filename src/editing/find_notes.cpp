#include "editing/find_notes.h"

#include "editing/score_geometry.h"
#include "model/vocabulary.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <vector>

namespace pipora {
namespace {

struct PitchRow {
  std::string_view text;
  int target;
};
// Lower-case texts; sharps and flats in half and full width.
constexpr std::array<PitchRow, 52> kPitchTexts = {{
    {"r", -1},    {"ド", 0},     {"c", 0},     {"ド#", 1},   {"ド＃", 1},   {"レb", 1},
    {"レｂ", 1},  {"c#", 1},     {"db", 1},    {"レ", 2},    {"d", 2},      {"レ#", 3},
    {"レ＃", 3},  {"ミb", 3},    {"ミｂ", 3},  {"d#", 3},    {"eb", 3},     {"ミ", 4},
    {"ファb", 4}, {"ファｂ", 4}, {"e", 4},     {"fb", 4},    {"ファ", 5},   {"ミ#", 5},
    {"ミ＃", 5},  {"f", 5},      {"e#", 5},    {"ファ#", 6}, {"ファ＃", 6}, {"ソb", 6},
    {"ソｂ", 6},  {"f#", 6},     {"gb", 6},    {"ソ", 7},    {"g", 7},      {"ソ#", 8},
    {"ソ＃", 8},  {"ラb", 8},    {"ラｂ", 8},  {"g#", 8},    {"ab", 8},     {"ラ", 9},
    {"a", 9},     {"ラ#", 10},   {"ラ＃", 10}, {"シb", 10},  {"シｂ", 10},  {"a#", 10},
    {"bb", 10},   {"シ", 11},    {"b", 11},    {"0", 0},
}};

// A length code read as a number, as the find dialog accepts it beside the ticks: "163" is 163.
int CodeNumber(std::string_view code) {
  int number = 0;
  for (const char c : code)
    number = number * 10 + (c - '0');
  return number;
}

// The leading number of a text as a decimal value ("60", " 4.5x" -> 4.5); 0 when it has none.
double LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
    ++i;
  double sign = 1;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    sign = text[i] == '-' ? -1 : 1;
    ++i;
  }
  double value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
    value = value * 10 + (text[i] - '0');
  if (i < text.size() && text[i] == '.') {
    double scale = 0.1;
    for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
      value += (text[i] - '0') * scale;
      scale /= 10;
    }
  }
  return sign * value;
}

int RoundHalfToEven(double v) {
  return static_cast<int>(std::nearbyint(v));
}

// The parts searched and, per part, the first element and the step.
std::vector<int> PartsToSearch(int current, const FindCriteria &c) {
  std::vector<int> parts;
  if (c.scope == FindScope::CurrentPart) {
    parts = {current};
  } else if (c.direction == FindDirection::Forward) {
    for (int m = current; m <= kUserParts; ++m)
      parts.push_back(m);
  } else if (c.direction == FindDirection::Backward) {
    for (int m = current; m >= 1; --m)
      parts.push_back(m);
  } else {
    for (int m = 1; m <= kUserParts; ++m)
      parts.push_back(m);
  }
  return parts;
}

struct Matcher {
  bool usePitch;
  int pitch;
  bool useLength;
  LengthTarget length;
  bool lengthTextEmpty;

  bool pitchMatches(int n) const {
    if (pitch == -1)
      return n == 0;
    return n >= 1 && (n % 12 == pitch || n == pitch);
  }
};

// The score editor compares durations: "4" finds plain and tied quarters, not triplets.
bool ScoreMatches(const Matcher &m, const ScoreNote &s) {
  if (s.noteNumber < 0)
    return false; // the end element
  if (m.usePitch && !m.pitchMatches(s.noteNumber))
    return false;
  if (m.useLength && !(m.length.ticks > 0 && s.duration == m.length.ticks))
    return false;
  return true;
}

// The source editor compares code texts: "4" also finds "43" and "43_", "16" finds "163".
bool SourceMatches(const Matcher &m, const NoteEntry &e) {
  if (m.usePitch && !m.pitchMatches(e.noteNumber))
    return false;
  if (m.useLength && (m.lengthTextEmpty ||
                      std::string_view(e.length).find(m.length.code) == std::string_view::npos))
    return false;
  return true;
}

} // namespace

int PitchTargetOf(std::string_view text) {
  const QString lower =
      QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toLower();
  const std::string key = lower.toStdString();
  int target = 0;
  for (const PitchRow &row : kPitchTexts)
    if (key == row.text)
      target = row.target;
  if (const double number = LeadingNumber(key); number > 0)
    target = RoundHalfToEven(number);
  return target;
}

LengthTarget LengthTargetOf(std::string_view text) {
  const double number = LeadingNumber(text);
  for (const LengthCode &row : kLengthCodes)
    if (number == row.ticks || number == CodeNumber(row.code))
      return LengthTarget{row.ticks, std::string(row.code)};
  return {};
}

std::optional<FindHit> FindNote(const Song &song, const FindCriteria &criteria, FindTarget target) {
  if (!criteria.usePitch && !criteria.useLength)
    return std::nullopt;
  const Matcher matcher{criteria.usePitch, PitchTargetOf(criteria.pitchText), criteria.useLength,
                        LengthTargetOf(criteria.lengthText), criteria.lengthText.empty()};
  const bool score = target == FindTarget::Score;
  const int current = std::clamp(score ? ScoreCurrentPart(song) : song.currentPart, 1, kUserParts);
  for (const int m : PartsToSearch(current, criteria)) {
    const Part &p = song.part(m);
    const int count = score ? p.scoreHeader.count : p.count;
    const int cursor = std::clamp(score ? p.scoreHeader.cursor : p.cursor, 0, count);
    int from = 0;
    int to = count;
    if (criteria.direction == FindDirection::Forward) {
      from = m == current ? cursor : 0;
    } else if (criteria.direction == FindDirection::Backward) {
      from = m == current ? cursor : count;
      to = 0;
    }
    const int step = criteria.direction == FindDirection::Backward ? -1 : 1;
    for (int i = from; step > 0 ? i <= to : i >= to; i += step) {
      const bool hit =
          score ? ScoreMatches(matcher, p.score[static_cast<std::size_t>(i)])
                : i < count && SourceMatches(matcher, p.notes[static_cast<std::size_t>(i)]);
      if (hit)
        return FindHit{m, i};
    }
  }
  return std::nullopt;
}

FindOutcome RunFind(Song &song, const FindCriteria &criteria, FindTarget target) {
  FindOutcome out;
  if (!criteria.usePitch && !criteria.useLength) {
    out.message = std::string(kFindNoCriterionMessage);
    return out;
  }
  out.hit = FindNote(song, criteria, target);
  if (!out.hit) {
    out.message = std::string(kFindNotFoundMessage);
    return out;
  }
  const FindHit hit = *out.hit;
  song.currentPart = hit.part;
  Part &p = song.part(hit.part);
  if (target == FindTarget::Score) {
    song.part(1).scoreHeader.partNumber = static_cast<std::int16_t>(hit.part);
    p.scoreHeader.cursor = hit.index;
    p.scoreHeader.selStart = hit.index;
    p.scoreHeader.selLength = 1;
  } else {
    p.cursor = hit.index;
  }
  return out;
}

} // namespace pipora
