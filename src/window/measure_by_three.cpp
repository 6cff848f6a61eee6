#include "window/measure_by_three.h"

#include "grid/lattice_fit.h"
#include "window/grid_fitting.h"
#include "window/measure_messages.h"

namespace tessara {

MeasureByThree::MeasureByThree(const MapWindow& window, GridFitting& fitting)
    : ClickedMeasure(window, fitting, measureByThreeMessage(), 3) {}

void MeasureByThree::finish() {
    const std::vector<QPointF>& at = points();
    const GridOptions& options = fitting().options();
    const QSizeF picture(window().map->pixelWidth(), window().map->pixelHeight());
    // The guess: the steps on the grid as it is now, from the first point.
    HexSteps second;
    HexSteps third;
    if (const std::optional<double> pixels = fitting().hexPixelsNow()) {
        const LatticeOnPicture now = latticeOf(options, *pixels, picture);
        second = stepsBetween(now, at[0], at[1]);
        third = stepsBetween(now, at[0], at[2]);
    }
    const std::optional<std::vector<double>> steps = window().services.questions.askNumbers(
        hexStepsQuestion(second.along, second.across, third.along, third.across));
    if (!steps) {
        return;
    }
    const std::vector<double>& s = *steps;
    const std::optional<LatticeOnPicture> lattice =
        latticeThrough(options.orientation, at[0], at[1], {s[0], s[1]}, at[2], {s[2], s[3]});
    const std::optional<GridOptions> fitted =
        lattice ? optionsForLattice(*lattice, picture) : std::nullopt;
    if (!fitted) {
        window().services.messages.MsgBox(notATriangleMessage());
        return;
    }
    if (!window().services.questions.confirm(measuredByThreeMessage(
            *fitted->hexPixels, fitted->stretch, fitted->rotation, fitted->skew))) {
        return;
    }
    fitting().showFitted(*fitted, QStringLiteral("Measure Hexes by Three Points"));
}

}  // namespace tessara
