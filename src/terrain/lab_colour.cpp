#include "terrain/lab_colour.h"

#include <array>
#include <cmath>

namespace tessara {
namespace {

// sRGB's 8-bit values as linear light, worked out once: every pixel of a map needs three.
const std::array<float, 256>& linearLight() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> values{};
        for (size_t i = 0; i < values.size(); ++i) {
            const double c = static_cast<double>(i) / 255;
            values[i] =
                static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return values;
    }();
    return table;
}

float labCurve(float t) {
    constexpr float kEdge = 216.0F / 24389;
    return t > kEdge ? std::cbrt(t) : (24389.0F / 27 * t + 16) / 116;
}

}  // namespace

LabColour toLab(QRgb colour) {
    const auto& light = linearLight();
    const float r = light[static_cast<size_t>(qRed(colour))];
    const float g = light[static_cast<size_t>(qGreen(colour))];
    const float b = light[static_cast<size_t>(qBlue(colour))];
    // XYZ over the D65 white point.
    const float x = labCurve((0.4124F * r + 0.3576F * g + 0.1805F * b) / 0.95047F);
    const float y = labCurve(0.2126F * r + 0.7152F * g + 0.0722F * b);
    const float z = labCurve((0.0193F * r + 0.1192F * g + 0.9505F * b) / 1.08883F);
    return {116 * y - 16, 500 * (x - y), 200 * (y - z)};
}

}  // namespace tessara
