// The zoom commands: each shows the full-size map at a fixed scale of its own size, never of
// the current one, so zooming never accumulates.
#pragma once

#include "core/numeric.h"

namespace tessara {

enum class Zoom { Normal, OneToFive, OneToThree, OneToTwo, TwoToOne, ThreeToOne, FiveToOne };

// The shown size for a full size, in double precision and stored as a Single.
inline Single zoomedSize(Zoom zoom, Single size) {
    const double x = size;
    switch (zoom) {
        case Zoom::Normal:
            return size;
        case Zoom::OneToFive:
            return toSingle(x * 0.2);
        case Zoom::OneToThree:
            return toSingle(x / 3);
        case Zoom::OneToTwo:
            return toSingle(x / 2);
        case Zoom::TwoToOne:
            return toSingle(x * 2);
        case Zoom::ThreeToOne:
            return toSingle(x * 3);
        case Zoom::FiveToOne:
            return toSingle(x * 5);
    }
    return size;
}

}  // namespace tessara
