#pragma once
// Tones (MIDI program numbers) remembered per SMD file in "pipora.ton" in the
// program's directory: one INI section per file, named by the file's full path,
// keys "1" to "16" holding each part's tone as decimal text.
#include "model/result.h"
#include "model/song.h"

#include <QString>

namespace pipora {

// ProgramFile("pipora.ton").
QString ToneStorePath();

// The section name used for an SMD file: its absolute path.
QString ToneSection(const QString &smdPath);

// Sets the tones of the user's parts from the store; a part without an entry (or with an
// unreadable store) keeps its current tone.
void LoadTones(Song &song, const QString &smdPath);

// Writes the tones of the user's parts under the file's section, keeping everything else.
// Every change to the store reads, changes and writes it under one lock ("pipora.ton.lock"),
// so that editors saving at once keep each other's sections.
Status SaveTones(const Song &song, const QString &smdPath);

// What a save stores for the file in one change of the store: the score's clefs and key, and
// with `withTones` the tones.
Status SaveSongSettings(const Song &song, const QString &smdPath, bool withTones);

// The score's clefs and key for the file, kept in the same section ("clef1".."clef16":
// "treble" or "bass"; "key": the signature's fifths and "m" for minor, e.g. "-3" or "-1m"),
// and its time signature when not 4/4 ("time": "3/4"); what is not stored stays automatic,
// the meter 4/4.
void LoadScoreDisplay(Song &song, const QString &smdPath);
Status SaveScoreDisplay(const Song &song, const QString &smdPath);

} // namespace pipora
