#include "window/measure_scale_bar.h"

#include "core/number_to_text.h"
#include "grid/grid_measure.h"
#include "window/grid_fitting.h"
#include "window/measure_messages.h"

namespace tessara {

MeasureScaleBar::MeasureScaleBar(const MapWindow& window, GridFitting& fitting)
    : ClickedMeasure(window, fitting, measureScaleBarMessage(), 2) {}

void MeasureScaleBar::finish() {
    const std::optional<double> length =
        window().services.questions.askNumber(scaleBarLengthQuestion());
    if (!length) {
        return;
    }
    const std::optional<double> width =
        mapWidthFromScaleBar(points()[0], points()[1], *length, window().map->pixelWidth());
    const QString text = width ? singleToText(toSingle(*width)) : QString();
    if (!width) {
        window().services.messages.MsgBox(measuredNothingMessage());
    } else if (window().services.questions.confirm(measuredScaleBarMessage(text))) {
        window().mapSize->setText(text);
        fitting().sizesTyped();  // a grid fitted in pixels keeps its hexes, in the new units
    }
}

}  // namespace tessara
