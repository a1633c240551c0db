#include "model/keymap.h"

namespace pipora {

std::optional<ShortCutAction> ResolveShortCut(int code, const ShortCutTable &table,
                                              std::span<const ShortCutAction> actions) {
  for (const ShortCutAction action : actions)
    if (ShortCutOf(table, action) == code)
      return action;
  return std::nullopt;
}

} // namespace pipora
