// How Print at Scale prints a map: a printed hex size or a resolution, the paper, its
// orientation and the pages' overlap. The dialog asks for it; a settings file keeps it.
#pragma once

#include <QPageSize>
#include <QString>
#include <optional>

#include "print/scale_tiles.h"

namespace tessara {

struct ScaleChoice {
    bool byHex = true;  // a printed hex size; otherwise a resolution
    double hexSize = kDefaultHexMm;
    LengthUnit unit = LengthUnit::Millimetre;
    double dpi = 300;
    QPageSize::PageSizeId paper = QPageSize::A4;
    bool landscape = false;
    double overlapMm = kDefaultOverlapMm;

    // Picture pixels per millimetre of paper for a grid of hexes `hexPixels` across.
    double pixelsPerMm(std::optional<double> hexPixels) const;
    QString scaleText() const;
    friend bool operator==(const ScaleChoice&, const ScaleChoice&) = default;
};

// The papers offered, in the order shown.
inline constexpr QPageSize::PageSizeId kScalePapers[] = {
    QPageSize::A4, QPageSize::A3, QPageSize::Letter, QPageSize::Legal, QPageSize::Tabloid};

}  // namespace tessara
