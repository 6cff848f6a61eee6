#include "terrain/lab_colour.h"

#include <algorithm>
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

// CIE's curve from linear light to lightness, tabled: a cube root for every channel of
// every pixel takes longer than decoding the map. Read between the table's steps, it is
// within a thousandth of a unit of lightness of the curve.
constexpr int kCurveSteps = 4096;

double labCurveExact(double t) {
    constexpr double kEdge = 216.0 / 24389;
    return t > kEdge ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116;
}

const std::array<float, kCurveSteps + 2>& labCurveTable() {
    static const std::array<float, kCurveSteps + 2> table = [] {
        std::array<float, kCurveSteps + 2> values{};
        for (size_t i = 0; i < values.size(); ++i) {
            values[i] = static_cast<float>(labCurveExact(static_cast<double>(i) / kCurveSteps));
        }
        return values;
    }();
    return table;
}

// Clamped by min and max, and the step cut to an int, which take no branch.
inline float labCurve(const std::array<float, kCurveSteps + 2>& table, float t) {
    const float at = std::min(std::max(t, 0.0F), 1.0F) * kCurveSteps;
    const int step = static_cast<int>(at);
    const float within = at - static_cast<float>(step);
    const float low = table[static_cast<size_t>(step)];
    return low + within * (table[static_cast<size_t>(step) + 1] - low);
}

// The tables are looked up once by the caller: their first use is guarded by a lock.
inline LabColour labOf(const std::array<float, 256>& light,
                       const std::array<float, kCurveSteps + 2>& curve, QRgb colour) {
    const float r = light[static_cast<size_t>(qRed(colour))];
    const float g = light[static_cast<size_t>(qGreen(colour))];
    const float b = light[static_cast<size_t>(qBlue(colour))];
    // XYZ over the D65 white point.
    const float x = labCurve(curve, (0.4124F * r + 0.3576F * g + 0.1805F * b) / 0.95047F);
    const float y = labCurve(curve, 0.2126F * r + 0.7152F * g + 0.0722F * b);
    const float z = labCurve(curve, (0.0193F * r + 0.1192F * g + 0.9505F * b) / 1.08883F);
    return {116 * y - 16, 500 * (x - y), 200 * (y - z)};
}

// Linear light back to an 8-bit sRGB value, rounded, clamped to 0 to 255.
int srgbValue(double light) {
    const double c = std::clamp(light, 0.0, 1.0);
    const double encoded = c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
    return static_cast<int>(std::lround(encoded * 255));
}

// The inverse of labCurveExact.
double labCurveInverse(double f) {
    constexpr double kEdge = 6.0 / 29;
    return f > kEdge ? f * f * f : 3 * kEdge * kEdge * (f - 4.0 / 29);
}

}  // namespace

LabColour toLab(QRgb colour) {
    return labOf(linearLight(), labCurveTable(), colour);
}

void toLab(const QRgb* colours, size_t count, LabColour* lab) {
    const auto& light = linearLight();
    const auto& curve = labCurveTable();
    for (size_t i = 0; i < count; ++i) {
        lab[i] = labOf(light, curve, colours[i]);
    }
}

QRgb fromLab(LabColour colour) {
    const double fy = (colour.l + 16.0) / 116;
    const double x = 0.95047 * labCurveInverse(fy + colour.a / 500.0);
    const double y = labCurveInverse(fy);
    const double z = 1.08883 * labCurveInverse(fy - colour.b / 200.0);
    // The inverse of toLab's matrix, from XYZ to linear sRGB.
    return qRgb(srgbValue(3.2406 * x - 1.5372 * y - 0.4986 * z),
                srgbValue(-0.9689 * x + 1.8758 * y + 0.0415 * z),
                srgbValue(0.0557 * x - 0.2040 * y + 1.0570 * z));
}

}  // namespace tessara
