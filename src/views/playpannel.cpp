#include "views/playpannel.h"

namespace pipora {

playpannel::playpannel(Song &song, QWidget *parent) : QWidget(parent), song_(song) { setObjectName("playpannel"); }

} // namespace pipora
