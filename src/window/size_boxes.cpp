#include "window/size_boxes.h"

#include "core/number_to_text.h"
#include "core/text_to_number.h"
#include "view/status_box.h"
#include "window/measure_messages.h"

namespace tessara {

void SizeBoxes::follow(const QLineEdit* box, double pixels) {
    const int width = window_.map->pixelWidth();
    if (width <= 0 || !window_.hasMap()) {
        return;
    }
    if (box == window_.mapSize) {
        fillHexSize(pixels);
    } else if (const std::optional<Single> hex = textToSingle(window_.hexSize->text());
               hex && *hex > 0) {
        window_.mapSize->setText(singleToText(toSingle(*hex * width / pixels)));
    }
}

void SizeBoxes::fillHexSize(double pixels) {
    const std::optional<Single> mapSize = textToSingle(window_.mapSize->text());
    const int width = window_.map->pixelWidth();
    if (mapSize && *mapSize > 0 && width > 0 && window_.hasMap()) {
        window_.hexSize->setText(singleToText(toSingle(pixels * *mapSize / width)));
    }
}

bool SizeBoxes::fillForFit(double pixels) {
    const int width = window_.map->pixelWidth();
    if (!window_.hasMap() || width <= 0 ||
        checkGridSizes(window_.mapSize->text(), window_.hexSize->text()).problem ==
            GridSizeProblem::None) {
        return false;
    }
    const std::optional<Single> map = textToSingle(window_.mapSize->text());
    const std::optional<Single> hex = textToSingle(window_.hexSize->text());
    if (map && *map > 0) {
        window_.hexSize->setText(singleToText(toSingle(pixels * *map / width)));
    } else {
        // The hex size typed, or one unit a hex: the map is as many units as hexes across.
        const double units = hex && *hex > 0 ? *hex : 1;
        window_.hexSize->setText(singleToText(toSingle(units)));
        window_.mapSize->setText(singleToText(toSingle(units * width / pixels)));
    }
    window_.status->setMessage(sizesFilledStatus(window_.mapSize->text(), window_.hexSize->text()));
    return true;
}

}  // namespace tessara
