#pragma once
// Decoding SMD melody files (*.smd, *.smz).
//
// Only the first line of a file counts: the title up to the first ESC "$D", then one
// frame per part. Parts fill the song's parts in file order, from the first; a 17th and 18th part
// go to the clipboard and backup slots, a 19th is damage.
#include "model/result.h"
#include "model/save_checks.h"
#include "model/smd_rules.h"
#include "model/song.h"

#include <QByteArray>

namespace pipora {

struct SmdDocument {
  Song song;         // title, tempo, volumes and note lists as read (every slot)
  int partCount = 0; // part frames found in the file, 0..18
};

// The limits (kMaxSmdLineBytes, kMaxSmdPartElements, kMaxSmdFileParts) are the rule book's:
// model/smd_rules.h.

// Decodes the first line of an SMD file into a fresh document. Nothing is validated
// beyond what decoding needs and the limits above; failures carry the position of the damage.
// `capacity` is the shared list capacity to start from (it only grows).
Result<SmdDocument> DecodeSmd(const QByteArray &line, int capacity = kInitialCapacity);

// Puts a decoded document in place of the song's melody: title, tempo, volumes, parts
// 1 to 17 (and 18 when the file had an 18th part), 4/4 at kTicksPerQuarter; then RecalcTimes
// and BuildScoreList. Tones, the current part, the file name and dirty are left alone.
void ReplaceMelody(Song &song, SmdDocument &&document);

} // namespace pipora
