#pragma once
// The score's display choices offered in its context menu: the clef of the part under the
// pointer and the song's key signature (automatic, or one of the 15 major and 15 minor
// keys). They are kept per file beside the tones when the song is saved, so a choice marks
// the song unsaved.
#include "model/song.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

class QMenu;

namespace pipora {

struct AppContext;

// The key choices with their captions: automatic (naming the key found in the notes), then
// the major keys and the minor keys from seven flats to seven sharps.
using KeyChoice = std::pair<std::optional<KeySignature>, QString>;
std::vector<KeyChoice> KeyChoices(const Song &song);

void AddScoreDisplayItems(QMenu &menu, AppContext &ctx, int part);

} // namespace pipora
