// The tree symbols scattered through the woods, over the green the terrain laid down.
#pragma once

#include <QPainter>

#include "landscape.h"
#include "random.h"

namespace tessara {

void drawTrees(QPainter& painter, const Landscape& land, Random random);

}  // namespace tessara
