#include "settings/accidentals.h"

#include "editing/score_geometry.h"

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
  // The staff knows where each syllable sits.
  return PositionOfSyllable(name.toStdString());
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
