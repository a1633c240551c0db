#include "settings/settings.h"

#include "editing/score_geometry.h"

namespace pipora {

DoReMiTable DefaultDoReMiTable() {
  // The score editor's staff labels: the do-re-mi names with their offsets above middle C.
  const StaffLabelTable staff = DefaultStaffLabels();
  DoReMiTable table;
  for (std::size_t pc = 0; pc < table.size(); ++pc)
    table[pc] = {QString::fromStdString(staff[pc].label), static_cast<int>(staff[pc].position)};
  return table;
}

} // namespace pipora
