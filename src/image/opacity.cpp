#include "image/opacity.h"

namespace tessara {
namespace {

int share(unsigned channel, unsigned percent) {
    return static_cast<int>((channel * percent + 50) / 100);
}

}  // namespace

QRgb blendOver(QRgb colour, QRgb under, int percent) {
    const auto p = static_cast<unsigned>(percent);
    const unsigned q = kOpaque - p;
    const auto mix = [p, q](int over, int pixel) {
        return static_cast<int>(
            (static_cast<unsigned>(over) * p + static_cast<unsigned>(pixel) * q + 50) / 100);
    };
    return qRgb(mix(qRed(colour), qRed(under)), mix(qGreen(colour), qGreen(under)),
                mix(qBlue(colour), qBlue(under)));
}

void fadePremultiplied(QImage& image, int percent) {
    const auto p = static_cast<unsigned>(percent);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            line[x] = qRgba(share(qRed(pixel), p), share(qGreen(pixel), p), share(qBlue(pixel), p),
                            share(qAlpha(pixel), p));
        }
    }
}

}  // namespace tessara
