#pragma once
// Single-step undo: the current part exchanged with the backup slot (part 18).
#include "model/song.h"

namespace pipora {

// Exchanges the part recorded in part 18 with part 18, the score lists when the score editor
// is active, else the note lists. Doing it twice exchanges back. Returns the part exchanged,
// or 0 when part 18 holds no backup.
int ExchangeWithBackup(Song &song, bool scoreEditorActive);

} // namespace pipora
