#include "settings/settings.h"

namespace pipora {

DoReMiTable DefaultDoReMiTable() {
  // The offset follows the written note: do 0, re 6, mi 12, fa 18, so 24, la 30, ti 36.
  return {{{QStringLiteral("ド"), 0},
           {QStringLiteral("ド#"), 0},
           {QStringLiteral("レ"), 6},
           {QStringLiteral("ミb"), 12},
           {QStringLiteral("ミ"), 12},
           {QStringLiteral("ﾌｧ"), 18},
           {QStringLiteral("ﾌｧ#"), 18},
           {QStringLiteral("ソ"), 24},
           {QStringLiteral("ソ#"), 24},
           {QStringLiteral("ラ"), 30},
           {QStringLiteral("シb"), 36},
           {QStringLiteral("シ"), 36}}};
}

} // namespace pipora
