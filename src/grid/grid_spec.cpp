#include "grid/grid_spec.h"

#include "grid/hex_grid.h"

namespace tessara {

GridSizes GridSpec::sizes() const {
    return {toSingle(mapWidth.value_or(0)), toSingle(hexSize.value_or(0))};
}

GridPen GridSpec::pen() const {
    return {static_cast<Integer>(thickness), QBColor(colour).value_or(Qt::black)};
}

GridLayout layoutFor(const GridSpec& spec, QSize picture) {
    const GridSizes sizes = spec.sizes();
    return layoutGrid(static_cast<Single>(picture.width()), static_cast<Single>(picture.height()),
                      sizes.hexSize, sizes.mapSize, spec.options);
}

}  // namespace tessara
