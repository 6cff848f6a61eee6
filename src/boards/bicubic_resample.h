// Resampling a picture through a map of the plane with the bicubic filter (Keys' cubic
// convolution, a = -0.5, the Catmull-Rom spline): each new pixel is a weighted sum of the
// 4 x 4 source pixels round the point it comes from. It keeps thin printed lines sharp
// where a bilinear filter blurs them, and rings less than Lanczos at their edges.
#pragma once

#include <QImage>
#include <QSize>
#include <QTransform>

namespace tessara {

// The weights of the four source pixels at -1, 0, 1 and 2 from the one before a point
// `t` (0 <= t < 1) of the way to the next; they add up to 1.
struct CubicWeights {
    double w[4];
};
CubicWeights cubicWeights(double t);

// A picture of `size` whose pixel (x, y) is `source` at toSource(x, y), pixels named by
// their centres; white where that point lies more than half a pixel outside the source.
// Format_RGB32. A null picture when there is no memory for it.
QImage resampleBicubic(const QImage& source, const QTransform& toSource, QSize size);

}  // namespace tessara
