#include "window/grid_nudge.h"

#include <Qt>
#include <algorithm>
#include <cmath>

namespace tessara {
namespace {

constexpr double kOffsetStep = 1;       // pixels an arrow key moves the grid
constexpr double kHexSizeStep = 0.1;    // pixels + and - change the hex size
constexpr double kStretchStep = 0.001;  // { and }
constexpr double kTurnStep = 0.05;      // degrees [ and ] turn the grid
constexpr double kFineStep = 0.1;       // with Ctrl held, steps shrink to this share
constexpr double kFineTurn = 0.2;       // the turn's fine step: 0.01 degree

}  // namespace

std::optional<GridOptions> nudged(const GridOptions& options, int key, bool fine,
                                  std::optional<double> hexPixelsNow) {
    const double scale = fine ? kFineStep : 1;
    GridOptions after = options;
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Right:
            after.offsetX += (key == Qt::Key_Left ? -1 : 1) * kOffsetStep * scale;
            break;
        case Qt::Key_Up:
        case Qt::Key_Down:
            after.offsetY += (key == Qt::Key_Up ? -1 : 1) * kOffsetStep * scale;
            break;
        case Qt::Key_BraceLeft:
        case Qt::Key_BraceRight: {
            const double step = (key == Qt::Key_BraceLeft ? -1 : 1) * kStretchStep * scale;
            after.stretch = std::clamp(std::round((after.stretch + step) * 1e5) / 1e5, kMinStretch,
                                       kMaxStretch);
            break;
        }
        case Qt::Key_BracketLeft:
        case Qt::Key_BracketRight: {
            const double step =
                (key == Qt::Key_BracketLeft ? -1 : 1) * kTurnStep * (fine ? kFineTurn : 1);
            after.rotation = std::clamp(std::round((after.rotation + step) * 1e4) / 1e4,
                                        -kMaxRotation, kMaxRotation);
            break;
        }
        case Qt::Key_Plus:
        case Qt::Key_Equal:  // the + key, with or without Shift
        case Qt::Key_Minus:
        case Qt::Key_Underscore: {
            if (!hexPixelsNow) {
                return std::nullopt;
            }
            const double step = kHexSizeStep * scale;
            const bool larger = key == Qt::Key_Plus || key == Qt::Key_Equal;
            const double pixels = *hexPixelsNow + (larger ? step : -step);
            if (pixels >= step) {
                after.hexPixels = std::round(pixels * 100) / 100;
            }
            break;
        }
        default:
            return std::nullopt;
    }
    return after;
}

}  // namespace tessara
