// Where the main window's controls go for a given outer window size, in twips. The window
// keeps a minimum size: a size below it is first corrected, height before width, and the
// resize that the correction raises does the layout.
#pragma once

#include <variant>

#include "core/numeric.h"
#include "core/twips.h"

class QWidget;

namespace tessara {

inline constexpr Single kMinimumWindowWidth = 8400;
inline constexpr Single kMinimumWindowHeight = 5280;

// The window is minimised: every control stays where it was.
struct KeepLayout {};
// The window is too low: its height is set to this, and the layout waits for the resize.
struct SetWindowHeight {
    Single height;
};
// The window is too narrow: likewise for the width.
struct SetWindowWidth {
    Single width;
};
// Positions and sizes of the controls the layout moves.
struct ControlPlaces {
    Single frame1Left, frame1Top;
    Single frame2Left, frame2Top;
    Single command1Left, command1Top;
    TwipsRect picture1;
    Single vscroll2Left, vscroll2Top, vscroll2Height;
    Single hscroll1Left, hscroll1Top, hscroll1Width;
};

using LayoutStep = std::variant<KeepLayout, SetWindowHeight, SetWindowWidth, ControlPlaces>;

// What one resize pass does for the window's outer width and height in twips.
LayoutStep layoutFor(Single outerWidth, Single outerHeight, bool minimised);

// A window's outer size (frame, caption and menu bar included), in twips, and setting it.
Single outerWidth(const QWidget& window);
Single outerHeight(const QWidget& window);
void setOuterWidth(QWidget& window, Single twips);
void setOuterHeight(QWidget& window, Single twips);

}  // namespace tessara
