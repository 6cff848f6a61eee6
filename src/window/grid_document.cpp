#include "window/grid_document.h"

#include "window/edit_history.h"

namespace tessara {

GridDocument::GridDocument(EditHistory& history, QObject* parent)
    : QObject(parent), history_(history) {}

void GridDocument::change(const GridFit& after, const QString& what, Joins joins) {
    if (after == grid_) {
        return;
    }
    history_.push(new OptionsChange(
        what, grid_, after, [this](const GridFit& grid) { put(grid); }, static_cast<int>(joins)));
}

void GridDocument::put(const GridFit& grid) {
    const GridFit before = grid_;
    grid_ = grid;
    emit changed(before);
}

QString optionsStepName(const GridOptions& before, const GridOptions& after) {
    if (before.orientation != after.orientation) {
        return QStringLiteral("Orientation");
    }
    if (before.offsetX != after.offsetX || before.offsetY != after.offsetY) {
        return QStringLiteral("Offset");
    }
    if (before.stretch != after.stretch) {
        return QStringLiteral("Stretch");
    }
    if (before.hexPixels != after.hexPixels) {
        return QStringLiteral("Hex Size");
    }
    if (before.rotation != after.rotation) {
        return QStringLiteral("Rotation");
    }
    if (before.skew != after.skew) {
        return QStringLiteral("Skew");
    }
    if (before.lineColour != after.lineColour) {
        return QStringLiteral("Line Colour");
    }
    if (before.lineStyle != after.lineStyle) {
        return QStringLiteral("Line Style");
    }
    if (before.opacity != after.opacity) {
        return QStringLiteral("Opacity");
    }
    return QStringLiteral("Shifted Lines");
}

}  // namespace tessara
