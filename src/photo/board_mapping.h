// Where a photo shows the pixels of a flat board, many at once: what resampling a board
// asks of the photo model, pixel by pixel.
#pragma once

#include <QPointF>

#include "photo/photo_flattening.h"
#include "photo/photo_grid.h"

namespace tessara {

// Where the photo shows the board points `origin` + (x, y), x < width, y < rows, into `xs`
// and `ys` (rows x width floats each, row by row); NaN where the model sees no point.
// The model is smooth over a few pixels, lens, perspective and warp alike: it is worked out
// every kMappedStep pixels and bilinearly in between, within a few thousandths of a pixel
// of working out every pixel, in a small part of the time; a cell whose middle that misses
// by a hundredth of a pixel is worked out pixel by pixel.
inline constexpr int kMappedStep = 8;
void photoPointsOf(const PhotoGrid& grid, const FlatBoard& board, QPointF origin, int width,
                   int rows, float* xs, float* ys);

}  // namespace tessara
