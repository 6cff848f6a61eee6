// Rivers: from where enough land drains together down to the sea, widening as they go.
#pragma once

#include <QPainter>

#include "drainage.h"
#include "random.h"

namespace tessara {

void drawRivers(QPainter& painter, const Drainage& drainage, double scale, Random random);

}  // namespace tessara
