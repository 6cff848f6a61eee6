// Resampling a picture through an affine map of the plane with the bicubic filter: each new
// pixel is a weighted sum of the 4 x 4 source pixels round the point it comes from, in
// OpenCV's cubic convolution (a = -0.75, a little sharper than the Catmull-Rom spline's
// -0.5). It keeps thin printed lines sharp where a bilinear filter blurs them, and rings less
// than Lanczos at their edges. The work is spread over every core by OpenCV's own threads.
#pragma once

#include <QImage>
#include <QSize>
#include <QTransform>

namespace tessara {

// A picture of `size` whose pixel (x, y) is `source` at toSource(x, y), pixels named by
// their centres; white where that point lies more than half a pixel outside the source,
// and the source's edge pixels carried on out to there. toSource is affine; Format_RGB32,
// opaque. A null picture when there is no memory for it. When the system refuses the
// threads, the work is done on the calling thread alone.
QImage resampleBicubic(const QImage& source, const QTransform& toSource, QSize size);

}  // namespace tessara
