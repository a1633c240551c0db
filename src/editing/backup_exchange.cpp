#include "editing/backup_exchange.h"

#include <utility>

namespace pipora {

int ExchangeWithBackup(Song &song, bool scoreEditorActive) {
  Part &backup = song.part(kBackupPart);
  const int n = backup.scoreHeader.partNumber;
  if (n < 1 || n > kUserParts)
    return 0;
  Part &part = song.part(n);
  if (scoreEditorActive) {
    std::swap(part.score, backup.score);
    std::swap(part.scoreHeader.cursor, backup.scoreHeader.cursor);
    std::swap(part.scoreHeader.count, backup.scoreHeader.count);
    part.scoreHeader.selLength = 0;
  } else {
    std::swap(part.notes, backup.notes);
    std::swap(part.cursor, backup.cursor);
    std::swap(part.count, backup.count);
  }
  return n;
}

} // namespace pipora
