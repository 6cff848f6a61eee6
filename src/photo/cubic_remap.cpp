#include "photo/cubic_remap.h"

#include <opencv2/core/hal/intrin.hpp>

#include <array>
#include <cstdint>

namespace tessara {
namespace {

constexpr float kA = -0.75F;  // OpenCV's cubic convolution
constexpr QRgb kWhite = 0xffffffff;
// A point this far beyond the picture has no tap in it; a coordinate moved on by as much is
// positive, and its whole part its floor.
constexpr float kBeyond = 4;

// OpenCV's cubic convolution at four distances from a point, the first and the last of
// them between one and two pixels (the outer taps'), the middle two within one.
cv::v_float32x4 cubic(const cv::v_float32x4& d) {
    const cv::v_float32x4 c3(kA, kA + 2, kA + 2, kA);
    const cv::v_float32x4 c2(-5 * kA, -(kA + 3), -(kA + 3), -5 * kA);
    const cv::v_float32x4 c1(8 * kA, 0, 0, 8 * kA);
    const cv::v_float32x4 c0(-4 * kA, 1, 1, -4 * kA);
    return cv::v_muladd(cv::v_muladd(cv::v_muladd(c3, d, c2), d, c1), d, c0);
}

// The weights of the four taps round a point a fraction `t` past the second.
cv::v_float32x4 weights(float t) {
    return cubic(cv::v_float32x4(t + 1, t, 1 - t, 2 - t));
}

// Across a row inside the picture the taps are weighed in integers, two channels' products
// summed at once: a weight is a fraction of kWhole.
constexpr float kWhole = 1 << 14;

// The weights of the taps across, as integers, in pairs: those of the first and third taps
// repeated, and of the second and fourth.
struct PairedWeights {
    cv::v_int16x8 firstAndThird;
    cv::v_int16x8 secondAndFourth;
};

PairedWeights pairedWeights(float t) {
    // In the order [w0 w2 w1 w3], so that as 16-bit integers the 32-bit lanes are the pairs.
    const cv::v_float32x4 w = cubic(cv::v_float32x4(t + 1, 1 - t, t, 2 - t));
    const cv::v_int32x4 whole = cv::v_round(w * cv::v_setall_f32(kWhole));
    const cv::v_int32x4 pairs = cv::v_reinterpret_as_s32(cv::v_pack(whole, whole));
    return {cv::v_reinterpret_as_s16(cv::v_broadcast_element<0>(pairs)),
            cv::v_reinterpret_as_s16(cv::v_broadcast_element<1>(pairs))};
}

// A row of four pixels weighed across, in kWhole parts: the first pixel's channels beside
// the third's and the second's beside the fourth's, each pair's products summed at once.
cv::v_float32x4 weighedRow(const uchar* pixels, const PairedWeights& w) {
    cv::v_uint16x8 low, high;  // the first two pixels' channels, and the last two's
    cv::v_expand(cv::v_load(pixels), low, high);
    cv::v_uint16x8 firstThird, secondFourth;
    cv::v_zip(low, high, firstThird, secondFourth);
    const cv::v_int32x4 sum =
        cv::v_dotprod(cv::v_reinterpret_as_s16(firstThird), w.firstAndThird) +
        cv::v_dotprod(cv::v_reinterpret_as_s16(secondFourth), w.secondAndFourth);
    return cv::v_cvt_f32(sum);
}

// A row's four taps weighed by `w`'s four weights.
cv::v_float32x4 weighed(const std::array<cv::v_float32x4, 4>& tap, const cv::v_float32x4& w) {
    return cv::v_muladd(tap[3], cv::v_broadcast_element<3>(w),
                        cv::v_muladd(tap[2], cv::v_broadcast_element<2>(w),
                                     cv::v_muladd(tap[1], cv::v_broadcast_element<1>(w),
                                                  tap[0] * cv::v_broadcast_element<0>(w))));
}

cv::v_float32x4 pixelOf(const uchar* pixel) {
    return cv::v_float32x4(pixel[0], pixel[1], pixel[2], pixel[3]);
}

// Rounded and held to 0..255, the four bytes in their order.
QRgb packed(const cv::v_float32x4& sum) {
    const cv::v_int32x4 whole = cv::v_round(sum);
    const cv::v_uint8x16 bytes = cv::v_pack_u(cv::v_pack(whole, whole), cv::v_pack(whole, whole));
    return cv::v_reinterpret_as_u32(bytes).get0();
}

}  // namespace

void remapCubic(const QImage& source, const float* xs, const float* ys, const uchar* wanted,
                int count, QRgb* out) {
    const uchar* const bits = source.constBits();
    const qsizetype stride = source.bytesPerLine();
    const int width = source.width();
    const int height = source.height();
    const cv::v_float32x4 white = cv::v_setall_f32(255);
    for (int i = 0; i < count; ++i) {
        if (wanted != nullptr && wanted[i] == 0) {
            continue;
        }
        const float x = xs[i];
        const float y = ys[i];
        // NaN fails every comparison.
        if (!(x > -kBeyond && y > -kBeyond && x < width + kBeyond && y < height + kBeyond)) {
            out[i] = kWhite;
            continue;
        }
        const int fx = static_cast<int>(x + kBeyond) - static_cast<int>(kBeyond);
        const int fy = static_cast<int>(y + kBeyond) - static_cast<int>(kBeyond);
        const int left = fx - 1;
        const int top = fy - 1;
        const float tx = x - static_cast<float>(fx);
        const cv::v_float32x4 wy = weights(y - static_cast<float>(fy));
        std::array<cv::v_float32x4, 4> lines;
        if (left >= 0 && top >= 0 && left + 3 < width && top + 3 < height) {
            const PairedWeights across = pairedWeights(tx);
            const uchar* row = bits + top * stride + static_cast<qsizetype>(left) * 4;
            for (size_t r = 0; r < 4; ++r, row += stride) {
                lines[r] = weighedRow(row, across);
            }
            out[i] = packed(weighed(lines, wy * cv::v_setall_f32(1 / kWhole)));
            continue;
        }
        // Near an edge: a tap at a time, in floats, white beyond it.
        const cv::v_float32x4 wx = weights(tx);
        for (size_t r = 0; r < 4; ++r) {
            const int py = top + static_cast<int>(r);
            std::array<cv::v_float32x4, 4> tap{white, white, white, white};
            for (size_t c = 0; c < 4; ++c) {
                const int px = left + static_cast<int>(c);
                if (px >= 0 && px < width && py >= 0 && py < height) {
                    tap[c] = pixelOf(bits + py * stride + static_cast<qsizetype>(px) * 4);
                }
            }
            lines[r] = weighed(tap, wx);
        }
        const cv::v_float32x4 sum = weighed(lines, wy);
        out[i] = packed(sum);
    }
}

}  // namespace tessara
