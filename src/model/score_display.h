#pragma once
// How the score shows a song beyond its notes: the clef of each part, the key signature and
// whether parts without notes take a staff. SMD stores none of it; it is kept per file
// beside the tones.
#include <array>
#include <cstdint>
#include <optional>

namespace pipora {

enum class Clef : std::int8_t { Automatic, Treble, Bass };

// A key as its signature: sharps (> 0) or flats (< 0), and whether the tonic is minor.
struct KeySignature {
  int fifths = 0; // -7..7
  bool minor = false;
  friend bool operator==(const KeySignature &, const KeySignature &) = default;
};

struct ScoreDisplay {
  std::array<Clef, 17> clefs{};    // by part number; Automatic until the user picks one
  std::optional<KeySignature> key; // none: inferred from the notes
  bool hideEmptyParts = false;
};

} // namespace pipora
