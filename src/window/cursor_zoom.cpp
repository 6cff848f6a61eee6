#include "window/cursor_zoom.h"

#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <iterator>

#include "view/image_control.h"
#include "view/offset_rule.h"

namespace tessara {
namespace {

// Where the image goes along one direction so that `picture` (a share of the image's
// size) stays at `inView` twips from the view's edge; then the scroll bar value nearest to
// it, the image placed exactly where the point needs it.
void keepAlong(QScrollBar& bar, double share, double inView, Single imageSize, double viewSize,
               const std::function<void(Single)>& place) {
    const double overhang = imageSize - viewSize;
    if (overhang <= 0) {
        return;  // the whole image is in view, at its corner
    }
    const double offset = std::clamp(inView - share * imageSize, -overhang, 0.0);
    bar.setValue(static_cast<int>(std::lround(-offset / overhang * kScrollMax)));
    place(toSingle(offset));
}

}  // namespace

int zoomStepOf(double shownOverFull) {
    int best = 0;
    for (int step = 1; step < static_cast<int>(std::size(kZoomSteps)); ++step) {
        const double ratio = zoomedSize(kZoomSteps[step], 1e6F) / 1e6;
        const double bestRatio = zoomedSize(kZoomSteps[best], 1e6F) / 1e6;
        if (std::abs(std::log(ratio / shownOverFull)) <
            std::abs(std::log(bestRatio / shownOverFull))) {
            best = step;
        }
    }
    return best;
}

CursorZoom::CursorZoom(const MapWindow& window) : QObject(window.window), window_(window) {
    connect(window_.image, &ImageControl::zoomWheel, this, &CursorZoom::wheel);
}

void CursorZoom::wheel(int steps, Single x, Single y) {
    ImageControl& image = *window_.image;
    if (!window_.hasMap() || !(image.Width() > 0) || !(image.Height() > 0)) {
        return;
    }
    const int now = zoomStepOf(image.Width() / window_.map->Width());
    const int next = std::clamp(now + steps, 0, static_cast<int>(std::size(kZoomSteps)) - 1);
    if (next == now) {
        return;
    }
    // The point under the pointer, as a share of the image, and where it is in the view.
    const double shareX = x / image.Width();
    const double shareY = y / image.Height();
    const double viewX = image.Left() + x;
    const double viewY = image.Top() + y;
    window_.zoom(kZoomSteps[next]);
    const QSizeF view = window_.viewSize();
    keepAlong(*window_.across, shareX, viewX, image.Width(), view.width(),
              [&image](Single left) { image.setLeft(left); });
    keepAlong(*window_.down, shareY, viewY, image.Height(), view.height(),
              [&image](Single top) { image.setTop(top); });
}

}  // namespace tessara
