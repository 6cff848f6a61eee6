// The grid finder's first look: a shrunk, grey window of the map with its thin dark lines
// brought out, and how well that window matches itself shifted by every lag. A printed grid
// repeats with the lattice of its hex centres, so the shifts that bring its lines back onto
// themselves stand out as peaks at the lattice's steps, whatever lies under the lines.
#pragma once

#include <QPoint>
#include <QPointF>
#include <cstdint>
#include <memory>
#include <vector>

namespace tessara {

class MapDarkness;

struct LineWindow {
    int factor = 1;  // picture pixels across one window pixel
    QPoint corner;   // the picture pixel at the window's top left
    int width = 0;
    int height = 0;
    // The thin dark lines of each window pixel: its darkness above the darkness that is left
    // once everything thinner than a few pixels is opened away (a black top-hat), on a
    // logarithmic scale so that faint lines count nearly as much as black labels.
    std::vector<std::uint8_t> lines;
    // How much the lines look like themselves shifted by (dx, dy), circularly: the inverse
    // FFT of the magnitude of their spectrum (an autocorrelation with the spectrum flattened,
    // which sharpens a grid's peaks), over the taper's own autocorrelation, 1 at lag 0.
    std::unique_ptr<float, void (*)(void*)> correlation{nullptr, nullptr};
    int correlationStride = 0;

    int lineAt(int x, int y) const {
        return lines[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
    // Any lag, whole pixels, wrapped round the window.
    float correlationAt(int dx, int dy) const;
    // The centre of a window pixel (or a point between them) in picture pixels.
    QPointF toPicture(QPointF window) const {
        const double half = (factor - 1) / 2.0;
        return QPointF(corner) + window * factor + QPointF(half, half);
    }
};

// The window over the middle of the map: the whole of a small map, shrunk so that hexes of
// 16 pixels and more still span a few window pixels, at most 1024 window pixels a side.
LineWindow lineWindow(const MapDarkness& map);
// The same shrunk by `factor`, 1 or 2, whatever the map's size.
LineWindow lineWindow(const MapDarkness& map, int factor);

}  // namespace tessara
