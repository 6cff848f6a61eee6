// Drag-panning: while the right button is held on the map, each pass of the drag loop moves
// both scroll bars towards the pressed point, faster the farther it is from the viewport's
// centre. The arithmetic lives here, free of widgets.
#pragma once

#include "core/numeric.h"

namespace tessara {

// The step factor for one direction, fixed at the press: the pointer's place across the
// viewport (0 at the inner edge, a little under 1 at the far edge) less one half, times the
// scroll speed. imageOffset is the image's Left (Top), pointer the press's X (Y) from the
// image's corner, viewportSize the viewport's outer Width (Height), all in twips.
// Computed in double precision and stored as a Single.
Single dragStep(Single imageOffset, Single pointer, Single viewportSize, Single scrollSpeed);

// Where one bar stands after one pass: the accumulated position, which keeps the fractions,
// and the whole value to give the bar.
struct BarStep {
    Single pos;
    int value;

    friend bool operator==(const BarStep&, const BarStep&) = default;
};

// One pass for one bar: the position advances by max x step; past max (below min) both the
// value and the position are held at max (min), so the position never runs on beyond the
// range; inside it the value is the position rounded, halves to the even neighbour.
BarStep advanceBar(Single pos, Single step, int min, int max);

// The three choices of the Scroll Speed menu.
enum class ScrollSpeed { Slow, Medium, Fast };

// The scroll speed factor of a choice: 0.003, 0.005 or 0.009.
Single scrollSpeedFactor(ScrollSpeed speed);

}  // namespace tessara
