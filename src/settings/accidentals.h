#pragma once
// The accidental spelling of each key of the octave, as the options dialog's keyboard
// switches it: a black key (and E, F) toggles between its two names; the staff offset
// follows the name's note.
#include "settings/settings.h"

#include <QString>

namespace pipora {

// The other spelling of a pitch class's name ("ミ" <-> "ﾌｧb"); the name itself when the key
// has only one (C, D, G, A, B) or the name is not one of the key's spellings.
QString ToggledSpelling(int pitchClass, const QString &name);
// True for the keys that have two spellings (1, 3, 4, 5, 6, 8, 10).
bool HasTwoSpellings(int pitchClass);
// Staff offset of a name by its note: ド 0, レ 6, ミ 12, ﾌｧ 18, ソ 24, ラ 30, シ 36; -1 for
// a name that starts with none of them.
int OffsetOfSpelling(const QString &name);

// Row i takes name i and the offset of that name (rows whose name is unknown keep theirs).
void ApplySpellings(DoReMiTable &table, const std::array<QString, 12> &names);

} // namespace pipora
