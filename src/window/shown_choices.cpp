#include "window/shown_choices.h"

#include <algorithm>

#include "core/text_to_number.h"
#include "window/grid_fitting.h"
#include "window/scale_printing.h"

namespace tessara {
namespace {

std::optional<double> sizeIn(const QLineEdit* box) {
    const std::optional<Single> size = textToSingle(box->text());
    return size && *size > 0 ? std::optional<double>(*size) : std::nullopt;
}

}  // namespace

GridChoices shownChoices(const MapWindow& window, const GridFitting& fitting,
                         const ScalePrinting& printing) {
    GridChoices choices;
    choices.mapWidth = sizeIn(window.mapSize);
    choices.hexSize = sizeIn(window.hexSize);
    choices.colour = std::max(0, window.colour->currentIndex());
    const int thickness = std::max(0, window.thickness->currentIndex());
    choices.thickness = static_cast<int>((*window.lineWidths)[static_cast<size_t>(thickness)]);
    choices.options = fitting.options();
    choices.numbering = fitting.numbering();
    choices.print = printing.choice();
    return choices;
}

GridChoices drawnChoices(const MapWindow& window, const GridFitting& fitting,
                         const ScalePrinting& printing) {
    GridChoices choices = shownChoices(window, fitting, printing);
    const GridSizeCheck check = checkGridSizes(window.mapSize->text(), window.hexSize->text());
    if (check.problem != GridSizeProblem::None) {
        choices.mapWidth.reset();
        choices.hexSize.reset();
    }
    return choices;
}

}  // namespace tessara
