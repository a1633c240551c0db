#include "engraving/key_signature.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <span>

namespace pipora {
namespace {

constexpr std::array<int, 7> kNaturalPitchClass = {0, 2, 4, 5, 7, 9, 11};

// A note outside the scale: semitones above the tonic, the scale degree it is written on
// (0 = the tonic's step) and how it alters that degree.
struct ChromaticDegree {
  int semitones;
  int degree;
  int alteration;
};
// The raised first, fourth and fifth and the lowered third and seventh of a major key; the
// lowered second and the raised third, fourth and sixth of a minor key.
constexpr std::array<ChromaticDegree, 5> kMajorChromatics = {
    {{1, 0, 1}, {3, 2, -1}, {6, 3, 1}, {8, 4, 1}, {10, 6, -1}}};
constexpr std::array<ChromaticDegree, 4> kMinorChromatics = {
    {{1, 1, -1}, {4, 2, 1}, {6, 3, 1}, {9, 5, 1}}};

// The tonic's pitch class of a signature.
int Tonic(KeySignature key) {
  const int major = ((key.fifths * 7) % 12 + 12) % 12;
  return key.minor ? (major + 9) % 12 : major;
}

} // namespace

KeySignature KeyOf(const Song &song) {
  return song.display.key ? *song.display.key : InferKey(song);
}

std::string KeyName(KeySignature key) {
  // Japanese note names of the tonic by pitch class, spelled as the signature spells them.
  static constexpr std::array<const char *, 12> kSharpNames = {
      "ハ", "嬰ハ", "ニ", "嬰ニ", "ホ", "ヘ", "嬰ヘ", "ト", "嬰ト", "イ", "嬰イ", "ロ"};
  static constexpr std::array<const char *, 12> kFlatNames = {
      "ハ", "変ニ", "ニ", "変ホ", "ホ", "ヘ", "変ト", "ト", "変イ", "イ", "変ロ", "ロ"};
  const int tonic = Tonic(key);
  std::string name = key.fifths < 0 ? kFlatNames[static_cast<std::size_t>(tonic)]
                                    : kSharpNames[static_cast<std::size_t>(tonic)];
  // C flat major and C sharp major name their tonic apart from the common spelling.
  if (key.fifths == -7 && !key.minor)
    name = "変ハ";
  if (key.fifths == 7 && !key.minor)
    name = "嬰ハ";
  if (key.fifths == -6 && !key.minor)
    name = "変ト";
  return name + (key.minor ? "短調" : "長調");
}

StaffLabelTable SpelledLabels(const StaffLabelTable &table, KeySignature key) {
  StaffLabelTable out = table;
  std::array<bool, 12> spelled{};
  auto spell = [&](int pitchClass, int step, int alteration) {
    const std::size_t pc = static_cast<std::size_t>(((pitchClass % 12) + 12) % 12);
    const std::size_t natural = static_cast<std::size_t>(kNaturalPitchClass[std::size_t(step)]);
    std::string label(SyllableOf(table[natural].label));
    if (alteration > 0)
      label += "#";
    else if (alteration < 0)
      label += "b";
    // A step's written octave may differ from its sounding one (C flat, B sharp).
    const int octaveShift = (kNaturalPitchClass[std::size_t(step)] + alteration) < 0    ? 42
                            : (kNaturalPitchClass[std::size_t(step)] + alteration) > 11 ? -42
                                                                                        : 0;
    out[pc] = {static_cast<float>(step * 6 + octaveShift), label};
    spelled[pc] = true;
  };
  for (int step = 0; step < 7; ++step) {
    const int alteration = KeyAlteration(key.fifths, step);
    spell(kNaturalPitchClass[static_cast<std::size_t>(step)] + alteration, step, alteration);
  }
  // The step the tonic is written on.
  const int tonic = Tonic(key);
  int tonicStep = 0;
  for (int step = 0; step < 7; ++step)
    if (((kNaturalPitchClass[std::size_t(step)] + KeyAlteration(key.fifths, step)) % 12 + 12) %
            12 ==
        tonic)
      tonicStep = step;
  if (key.minor) {
    // The leading tone: the seventh step raised.
    const int seventh = (tonicStep + 6) % 7;
    spell(tonic + 11, seventh, KeyAlteration(key.fifths, seventh) + 1);
  }
  if (key.fifths != 0) {
    // The black keys outside the scale as the scale's steps altered the way music writes
    // them: in G major the lowered B is B flat (the minor third), not A sharp.
    const std::span<const ChromaticDegree> chromatics =
        key.minor ? std::span<const ChromaticDegree>(kMinorChromatics) : kMajorChromatics;
    for (const ChromaticDegree &d : chromatics) {
      const int pc = (tonic + d.semitones) % 12;
      const int step = (tonicStep + d.degree) % 7;
      const int alteration = KeyAlteration(key.fifths, step) + d.alteration;
      const bool blackKey = (0x54A >> pc) & 1; // C#, D#, F#, G#, A#
      if (!spelled[static_cast<std::size_t>(pc)] && blackKey && std::abs(alteration) <= 1)
        spell(kNaturalPitchClass[std::size_t(step)] + alteration, step, alteration);
    }
  }
  for (int pc = 0; pc < 12; ++pc) {
    // Without a signature the table's own spellings stand.
    if (spelled[static_cast<std::size_t>(pc)] || key.fifths == 0)
      continue;
    // A white key stands as its natural; the others are sharps of the step below in sharp
    // keys, flats of the step above in flat keys.
    bool natural = false;
    for (int step = 0; step < 7; ++step)
      if (kNaturalPitchClass[static_cast<std::size_t>(step)] == pc) {
        spell(pc, step, 0);
        natural = true;
      }
    for (int step = 0; step < 7 && !natural; ++step) {
      const int natural = kNaturalPitchClass[static_cast<std::size_t>(step)];
      if (key.fifths >= 0 && (natural + 1) % 12 == pc) {
        spell(natural + 1, step, 1);
        break;
      }
      if (key.fifths < 0 && (natural + 11) % 12 == pc) {
        spell(natural - 1, step, -1);
        break;
      }
    }
  }
  return out;
}

std::vector<double> KeySignaturePositions(int fifths, Clef clef) {
  const double shift = clef == Clef::Bass ? -84 : 0;
  // Sharps F5 C5 G5 D5 A4 E5 B4, flats B4 E5 A4 D5 G4 C5 F4 (pixels above middle C).
  static constexpr std::array<double, 7> kSharps = {60, 42, 66, 48, 30, 54, 36};
  static constexpr std::array<double, 7> kFlats = {36, 54, 30, 48, 24, 42, 18};
  std::vector<double> positions;
  for (int k = 0; k < std::abs(fifths) && k < 7; ++k)
    positions.push_back(shift + (fifths > 0 ? kSharps[static_cast<std::size_t>(k)]
                                            : kFlats[static_cast<std::size_t>(k)]));
  return positions;
}

} // namespace pipora
