#include "views/playpannel.h"

namespace pipora {

playpannel::playpannel(AppContext &ctx, QWidget *parent) : QWidget(parent), ctx_(ctx) {
  setObjectName("playpannel");
}

} // namespace pipora
