// Colours laid over a picture at an opacity, in percent: the same arithmetic for the lines,
// the numbers and the grid exported alone.
#pragma once

#include <QImage>

namespace tessara {

inline constexpr int kOpaque = 100;

// The colour laid over `under` at `percent`: each channel percent / 100 of the colour's and
// the rest of the pixel's, rounded half up; opaque.
QRgb blendOver(QRgb colour, QRgb under, int percent);

// Every channel of a premultiplied picture, alpha included, at `percent` of itself, rounded
// half up: the picture made that much fainter over whatever it is laid on.
void fadePremultiplied(QImage& image, int percent);

}  // namespace tessara
