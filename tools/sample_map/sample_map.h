// The whole sample map, layer by layer, from a seed.
#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>

namespace tessara {

// A null image when there is not the memory for one that size.
QImage drawSampleMap(QSize size, std::uint64_t seed);

}  // namespace tessara
