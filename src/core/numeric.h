// The program's number types and the conversions between them, kept in one place so that
// every rounding and every overflow check behaves the same way everywhere.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace tessara {

using Single = float;          // distances, pixel sizes, control positions
using Integer = std::int16_t;  // counts and list positions
using Long = std::int32_t;     // pixel coordinates handed to the hexagon drawing

// Twips are 1/1440 inch; one pixel is 15 twips at 96 dots per inch.
inline constexpr Single kTwipsPerPixel = 15.0F;

// Stores a double-precision intermediate result as a Single.
constexpr Single toSingle(double value) {
    return static_cast<Single>(value);
}

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4). Relies on the
// default floating-point rounding mode, which the program never changes.
inline double roundHalfEven(double value) {
    return std::nearbyint(value);
}

// Int: the largest whole number not above the value.
inline double floorInt(double value) {
    return std::floor(value);
}

// A whole-valued double as an integer of type T, or nothing when it does not fit
// (or is not a number).
template <typename T>
std::optional<T> wholeToInteger(double whole) {
    if (!(whole >= static_cast<double>(std::numeric_limits<T>::min()) &&
          whole <= static_cast<double>(std::numeric_limits<T>::max()))) {
        return std::nullopt;
    }
    return static_cast<T>(whole);
}

// Rounded (halves to even) into a 32-bit integer, or nothing on overflow.
inline std::optional<Long> roundToLong(double value) {
    return wholeToInteger<Long>(roundHalfEven(value));
}

// Rounded (halves to even) into a 16-bit Integer, or nothing on overflow.
inline std::optional<Integer> roundToInteger(double value) {
    return wholeToInteger<Integer>(roundHalfEven(value));
}

}  // namespace tessara
