#pragma once
// New: the empty song every session starts from.
#include "model/song.h"

namespace pipora {

// New's resets: the user's parts and the clipboard emptied, volumes 4, current part 1, tempo
// normal, title empty, lists rebuilt. Outside snapshot mode the file name is cleared and the
// song is clean. The backup slot is kept. Asking to save first and restarting the undo
// history belong to the caller.
void NewSong(Song &song, bool snapshotMode = false);

} // namespace pipora
