#include "views/frmScr.h"

namespace pipora {

frmScr::frmScr(AppContext &ctx, QWidget *parent) : QWidget(parent), ctx_(ctx) {
  setObjectName("frmScr");
}

} // namespace pipora
