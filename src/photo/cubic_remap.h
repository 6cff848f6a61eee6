// A 32-bit picture's colours at points between its pixels, by the cubic convolution that
// OpenCV's INTER_CUBIC uses (a = -0.75: thin printed lines stay sharp), for a row of points
// at a time. OpenCV works each point out in integers, a tap at a time, and puts the point
// on a thirty-second of a pixel; this works the four channels of a tap at once, in floats,
// at the point itself, in a third of the time: a joined board resamples 80 megapixels.
#pragma once

#include <QImage>

namespace tessara {

// out[i] = `source` (Format_RGB32 or ARGB32) at (xs[i], ys[i]), pixels named by their
// centres, for i from 0 to count - 1 where `wanted` is null or wanted[i] is not 0 (the
// others are left as they are). The 4 x 4 pixels round a point are weighed; those beyond
// the picture count as opaque white, so a point more than two pixels outside it, or NaN,
// is white.
void remapCubic(const QImage& source, const float* xs, const float* ys, const uchar* wanted,
                int count, QRgb* out);

}  // namespace tessara
