#include "print/scale_choice.h"

namespace tessara {

double ScaleChoice::pixelsPerMm(std::optional<double> hexPixels) const {
    if (byHex) {
        return hexPixels ? scaleForHexSize(*hexPixels, hexSize, unit) : 0;
    }
    return scaleForDpi(dpi);
}

QString ScaleChoice::scaleText() const {
    return byHex ? hexScaleText(hexSize, unit) : dpiScaleText(dpi);
}

}  // namespace tessara
