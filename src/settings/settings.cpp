#include "settings/settings.h"

#include "model/vocabulary.h"

namespace pipora {

DoReMiTable DefaultDoReMiTable() {
  DoReMiTable table;
  for (std::size_t pc = 0; pc < table.size(); ++pc)
    table[pc] = {
        QString::fromUtf8(kDoReMi[pc].name.data(), static_cast<qsizetype>(kDoReMi[pc].name.size())),
        kDoReMi[pc].staffOffset};
  return table;
}

} // namespace pipora
