#include "grid/grid_choices.h"

#include "grid/hex_grid.h"

namespace tessara {

GridSizes GridChoices::sizes() const {
    return {toSingle(mapWidth.value_or(0)), toSingle(hexSize.value_or(0))};
}

GridPen GridChoices::pen() const {
    return {static_cast<Integer>(thickness), QBColor(colour).value_or(Qt::black)};
}

GridLayout layoutFor(const GridChoices& choices, QSize picture) {
    const GridSizes sizes = choices.sizes();
    return layoutGrid(static_cast<Single>(picture.width()), static_cast<Single>(picture.height()),
                      sizes.hexSize, sizes.mapSize, choices.options);
}

}  // namespace tessara
