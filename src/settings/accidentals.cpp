#include "settings/accidentals.h"

#include <array>

namespace pipora {
namespace {

struct SpellingPair {
  int pitchClass;
  const char *a;
  const char *b;
};

constexpr std::array<SpellingPair, 7> kSpellingPairs = {{
    {1, "ド#", "レb"},
    {3, "レ#", "ミb"},
    {4, "ミ", "ﾌｧb"},
    {5, "ﾌｧ", "ミ#"},
    {6, "ﾌｧ#", "ソb"},
    {8, "ソ#", "ラb"},
    {10, "ラ#", "シb"},
}};

struct SyllableOffset {
  const char *syllable;
  int offset;
};

constexpr std::array<SyllableOffset, 7> kSyllableOffsets = {{
    {"ド", 0},
    {"レ", 6},
    {"ミ", 12},
    {"ﾌｧ", 18},
    {"ソ", 24},
    {"ラ", 30},
    {"シ", 36},
}};

} // namespace

QString ToggledSpelling(int pitchClass, const QString &name) {
  for (const SpellingPair &pair : kSpellingPairs) {
    if (pair.pitchClass != pitchClass)
      continue;
    if (name == QString::fromUtf8(pair.a))
      return QString::fromUtf8(pair.b);
    if (name == QString::fromUtf8(pair.b))
      return QString::fromUtf8(pair.a);
  }
  return name;
}

bool HasTwoSpellings(int pitchClass) {
  for (const SpellingPair &pair : kSpellingPairs)
    if (pair.pitchClass == pitchClass)
      return true;
  return false;
}

int OffsetOfSpelling(const QString &name) {
  for (const SyllableOffset &row : kSyllableOffsets)
    if (name.startsWith(QString::fromUtf8(row.syllable)))
      return row.offset;
  return -1;
}

void ApplySpellings(DoReMiTable &table, const std::array<QString, 12> &names) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    const int offset = OffsetOfSpelling(names[i]);
    if (offset < 0)
      continue;
    table[i].name = names[i];
    table[i].offset = offset;
  }
}

} // namespace pipora
