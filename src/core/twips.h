// Positions and sizes of the main window's controls are kept in twips as Singles; they are
// turned into whole pixels only when a widget's geometry is set.
#pragma once

#include <QRect>

#include "core/numeric.h"

namespace tessara {

struct TwipsRect {
    Single Left = 0;
    Single Top = 0;
    Single Width = 0;
    Single Height = 0;

    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// Whole pixels from twips. Edges are converted rather than sizes, so that controls laid
// flush against each other in twips stay flush in pixels.
int twipsToPixels(double twips);
QRect toPixels(const TwipsRect& rect);

}  // namespace tessara
