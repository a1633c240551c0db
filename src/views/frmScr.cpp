#include "views/frmScr.h"

namespace pipora {

frmScr::frmScr(Song &song, QWidget *parent) : QWidget(parent), song_(song) { setObjectName("frmScr"); }

} // namespace pipora
