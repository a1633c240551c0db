#pragma once
// Encoding SMD melody files. Every note must fit SMD: numbers in its range, the sixteen
// length codes, and triplets in complete groups of three that fit one octave window.
// A song that does not fit is refused with one of the three messages and the note's place.
#include "model/result.h"
#include "model/save_checks.h"
#include "model/song.h"

#include <QByteArray>

namespace pipora {

// Builds the file text (CP932, CR LF included) from the note lists, title, tempo and volumes,
// running the three checks (the first problem FindSaveProblems would list). The song's note lists
// must be current (BuildNoteList first when the score editor is active). As the phone format cannot
// tie inside a triplet, a tie on the first note of a triplet group is not written; the song
// itself is left as it is (DropTripletTies shows the rule in the song).
Result<QByteArray> EncodeSmd(const Song &song);

} // namespace pipora
