#include "window/measure_hexes.h"

#include <cmath>
#include <numbers>

#include "grid/grid_measure.h"
#include "window/grid_fitting.h"
#include "window/measure_messages.h"

namespace tessara {
namespace {

double degreesOf(QPointF step) {
    return std::atan2(step.y(), step.x()) * 180 / std::numbers::pi;
}

}  // namespace

MeasureHexes::MeasureHexes(const MapWindow& window, GridFitting& fitting)
    : ClickedMeasure(window, fitting, measureHexesMessage(), 2) {}

void MeasureHexes::finish() {
    const std::optional<double> count = window().services.questions.askNumber(hexesApartQuestion());
    if (!count) {
        return;
    }
    const QPointF first = points()[0];
    const QPointF second = points()[1];
    const std::optional<double> pixels = hexSizeFromCentres(first, second, *count);
    if (!pixels) {
        window().services.messages.MsgBox(measuredNothingMessage());
        return;
    }
    // How far the two centres are off the line's direction, either way along it.
    const GridOptions& options = fitting().options();
    const bool columns = options.orientation == GridOrientation::Columns;
    double off = degreesOf(second - first) - (columns ? 90 : 0) - options.rotation;
    off = std::remainder(off, 180.0);
    if (!window().services.questions.confirm(measuredHexesMessage(*pixels, off))) {
        return;
    }
    fitting().showFitted(centredOn(options, *pixels, first), QStringLiteral("Measure Hexes"));
}

}  // namespace tessara
