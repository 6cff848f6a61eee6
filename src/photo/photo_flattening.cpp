#include "photo/photo_flattening.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <QRectF>
#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <stdexcept>

#include "core/parallel_work.h"
#include "grid/grid_geometry.h"
#include "grid/grid_layout.h"
#include "grid/lattice_vectors.h"
#include "grid/line_cutter.h"
#include "grid/map_darkness.h"
#include "photo/board_mapping.h"

namespace tessara {
namespace {

// The six steps to a hex's neighbours, in lattice coordinates.
constexpr std::array<QPointF, 6> kSteps{{{1, 0}, {0, 1}, {-1, 1}, {-1, 0}, {0, -1}, {1, -1}}};

// The board's rows (columns) as lattice steps: `along` the one the photo shows nearest its x
// (y) axis, `next` its neighbour 60 degrees round towards the next line, as find_grid reads
// a flat scan.
struct Reading {
    GridOrientation orientation;
    QPointF along;
    QPointF next;
    double turn;  // radians the photo turns the lines from upright, there
};

Reading readingAs(GridOrientation orientation, const std::array<QPointF, 6>& seen) {
    const bool rows = orientation == GridOrientation::Rows;
    const auto lead = [rows](QPointF s) { return (rows ? s.x() : s.y()) / length(s); };
    size_t along = 0;
    for (size_t i = 0; i < seen.size(); ++i) {
        if (lead(seen[i]) > lead(seen[along])) {
            along = i;
        }
    }
    size_t next = 0;
    for (size_t i = 0; i < seen.size(); ++i) {
        const double turn = cross(seen[along], seen[i]);
        if ((rows ? turn > 0 : turn < 0) && QPointF::dotProduct(seen[along], seen[i]) > 0) {
            next = i;
        }
    }
    const QPointF s = seen[along];
    return {orientation, kSteps[along], kSteps[next],
            rows ? std::atan2(s.y(), s.x()) : std::atan2(-s.x(), s.y())};
}

QPointF meanOf(const std::vector<QPointF>& points) {
    QPointF sum;
    for (const QPointF p : points) {
        sum += p;
    }
    return sum / static_cast<double>(points.size());
}

std::optional<Reading> readingOf(const PhotoGrid& grid, const std::vector<QPointF>& hexes) {
    const QPointF mean = meanOf(hexes);
    const QPointF middle(std::round(mean.x()), std::round(mean.y()));
    const std::optional<QPointF> at = grid.toPhoto(middle);
    std::array<QPointF, 6> seen;
    for (size_t i = 0; i < kSteps.size(); ++i) {
        const std::optional<QPointF> to = grid.toPhoto(middle + kSteps[i]);
        if (!at || !to) {
            return std::nullopt;
        }
        seen[i] = *to - *at;
    }
    const Reading rows = readingAs(GridOrientation::Rows, seen);
    const Reading columns = readingAs(GridOrientation::Columns, seen);
    return std::abs(columns.turn) < std::abs(rows.turn) ? columns : rows;
}

// The distance between neighbouring hex centres where the photo shows them largest.
double largestHex(const PhotoGrid& grid, const std::vector<QPointF>& hexes) {
    double largest = 0;
    for (const QPointF hex : hexes) {
        for (size_t i = 0; i < 3; ++i) {
            const std::optional<QPointF> ahead = grid.toPhoto(hex + kSteps[i]);
            const std::optional<QPointF> behind = grid.toPhoto(hex - kSteps[i]);
            if (ahead && behind) {
                largest = std::max(largest, length(*ahead - *behind) / 2);
            }
        }
    }
    return largest;
}

// The board of hexes `hexPixels` across: the steps on it, the hexes given plus the margins.
FlatBoard boardOf(const std::vector<QPointF>& hexes, const Reading& reading, double hexPixels,
                  const FlatMargins& margins) {
    const bool rows = reading.orientation == GridOrientation::Rows;
    const double p = hexPixels;
    const QPointF along = rows ? QPointF(p, 0) : QPointF(0, p);
    const QPointF next = rows ? QPointF(p / 2, kRowPitch * p) : QPointF(kRowPitch * p, p / 2);
    const auto onBoard = [&](QPointF lattice) {
        const QPointF steps = coordinatesOn(reading.along, reading.next, lattice);
        return steps.x() * along + steps.y() * next;
    };
    QPointF low = onBoard(hexes.front());
    QPointF high = low;
    for (const QPointF hex : hexes) {
        const QPointF q = onBoard(hex);
        low = QPointF(std::min(low.x(), q.x()), std::min(low.y(), q.y()));
        high = QPointF(std::max(high.x(), q.x()), std::max(high.y(), q.y()));
    }
    QRectF box(low, high);
    // A hex reaches half a hex to its flats and 2 kHalfFlat to its corners.
    const double acrossReach = (rows ? 0.5 : 2 * kHalfFlat) * p;
    const double downReach = (rows ? 2 * kHalfFlat : 0.5) * p;
    box.adjust(-acrossReach - margins.left * p, -downReach - margins.top * p,
               acrossReach + margins.right * p, downReach + margins.bottom * p);
    FlatBoard board;
    // Far past the longest side is past it all the same.
    const auto side = [](double extent) {
        return static_cast<int>(std::clamp(std::ceil(extent), 1.0, 4.0 * kFlatLongestSide));
    };
    board.size = QSize(side(box.width()), side(box.height()));
    board.orientation = reading.orientation;
    board.hexPixels = p;
    // Pixels are named by their centres: the board spans -0.5 to its size - 0.5.
    const QPointF corner = box.topLeft() + QPointF(0.5, 0.5);
    const auto toLattice = [&](QPointF q) {
        const QPointF steps = coordinatesOn(along, next, q);
        return steps.x() * reading.along + steps.y() * reading.next;
    };
    board.start = toLattice(corner);
    board.acrossStep = toLattice(QPointF(1, 0));
    board.downStep = toLattice(QPointF(0, 1));
    board.centre = onBoard(hexes.front()) - corner;
    return board;
}

bool tooLong(QSize size) {
    return size.width() > kFlatLongestSide || size.height() > kFlatLongestSide;
}

// OpenCV's view of a picture's own pixels, B G R A in memory: no copy either way.
cv::Mat pixelsOf(const QImage& picture, uchar* bits) {
    return cv::Mat(picture.height(), picture.width(), CV_8UC4, bits,
                   static_cast<size_t>(picture.bytesPerLine()));
}

// Rows of the board are made a band at a time, so that the map of where each pixel comes
// from stays a small part of the board.
constexpr int kBandRows = 32;

void flattenBand(const cv::Mat& photo, const PhotoGrid& grid, const FlatBoard& board, int top,
                 cv::Mat band) {
    cv::Mat fromX(band.rows, band.cols, CV_32FC1);
    cv::Mat fromY(band.rows, band.cols, CV_32FC1);
    // A point off the photo, or one the model cannot see, is white.
    const auto off = static_cast<float>(-16);
    const double reachX = photo.cols + 16.0;
    const double reachY = photo.rows + 16.0;
    photoPointsOf(grid, board, QPointF(0, top), band.cols, band.rows, fromX.ptr<float>(),
                  fromY.ptr<float>());
    cv::parallel_for_(cv::Range(0, band.rows), [&](const cv::Range& lines) {
        for (int y = lines.start; y < lines.end; ++y) {
            auto* xs = fromX.ptr<float>(y);
            auto* ys = fromY.ptr<float>(y);
            for (int x = 0; x < band.cols; ++x) {
                // NaN, where the model sees nothing, fails every comparison.
                const bool on = xs[x] > -16 && ys[x] > -16 && xs[x] < reachX && ys[x] < reachY;
                xs[x] = on ? xs[x] : off;
                ys[x] = on ? ys[x] : off;
            }
        }
    });
    const QRgb o = board.outside;
    cv::remap(photo, band, fromX, fromY, cv::INTER_CUBIC, cv::BORDER_CONSTANT,
              cv::Scalar(qBlue(o), qGreen(o), qRed(o), qAlpha(o)));
}

// The board's rows from `top` on, as many as `into` holds.
void flattenAll(const cv::Mat& photo, const PhotoGrid& grid, const FlatBoard& board, int top,
                cv::Mat& into) {
    for (int row = 0; row < into.rows; row += kBandRows) {
        flattenBand(photo, grid, board, top + row,
                    into.rowRange(row, std::min(into.rows, row + kBandRows)));
    }
}

// A system that refuses OpenCV its threads says so by an exception from the first parallel
// loop: the same work then runs on the calling thread alone.
void flattenOnEveryCoreOrOne(const cv::Mat& photo, const PhotoGrid& grid, const FlatBoard& board,
                             int top, cv::Mat& into) {
    try {
        flattenAll(photo, grid, board, top, into);
        return;
    } catch (const std::runtime_error&) {
    }
    const int threads = cv::getNumThreads();
    cv::setNumThreads(1);
    try {
        flattenAll(photo, grid, board, top, into);
    } catch (...) {
        cv::setNumThreads(threads);
        throw;
    }
    cv::setNumThreads(threads);
}

// A hex's corners in lattice coordinates, round it: each the middle of the triangle of the
// hex and two neighbours.
constexpr std::array<QPointF, 6> kCorners{{{1.0 / 3, 1.0 / 3},
                                           {-1.0 / 3, 2.0 / 3},
                                           {-2.0 / 3, 1.0 / 3},
                                           {-1.0 / 3, -1.0 / 3},
                                           {1.0 / 3, -2.0 / 3},
                                           {2.0 / 3, -1.0 / 3}}};
// A line further than this from where the grid puts it is another line (a road, the table).
constexpr double kOnSide = 1.0;
constexpr int kPrintedSides = 4;

struct SideCut {
    QPointF hex;
    LineCrossing crossing;
};

// The cuts across the middles of the sides of the hex `hex` that found a line.
void cutSides(const MapDarkness& map, const PhotoGrid& grid, QPointF hex,
              std::vector<SideCut>& cuts) {
    const std::optional<QPointF> centre = grid.toPhoto(hex);
    const std::optional<QPointF> next = grid.toPhoto(hex + kSteps[0]);
    if (!centre || !next || !map.holds(*centre, 0)) {
        return;
    }
    const LineCutter cutter(map, length(*next - *centre));
    const double margin = cutter.half() + cutter.spread() + 1;
    for (size_t k = 0; k < kCorners.size(); ++k) {
        const QPointF from = hex + kCorners[k];
        const QPointF to = hex + kCorners[(k + 1) % kCorners.size()];
        const std::optional<QPointF> start = grid.toPhoto(from);
        const std::optional<QPointF> end = grid.toPhoto(to);
        const std::optional<QPointF> middle = grid.toPhoto((from + to) / 2);
        if (!start || !end || !middle || !map.holds(*middle, margin)) {
            continue;
        }
        const QPointF along = (*end - *start) / length(*end - *start);
        SideCut cut{hex, {}};
        if (cutter.measure(*middle, along, QPointF(-along.y(), along.x()), cut.crossing)) {
            cuts.push_back(cut);
        }
    }
}

// Every lattice index whose hex may lie on the photo: the lattice coordinates of points all
// round the photo's edge, with a hex more. The finder's own cells are those its tiles read,
// which may stop short of the printed grid where a tile saw too little of it (the near edge
// of a tilted board, whose hexes are largest).
QRectF cellsOnPhoto(const PhotoGrid& grid, QSize photo) {
    constexpr int kAlongEdge = 64;
    QRectF cells;
    bool any = false;
    for (int k = 0; k <= kAlongEdge; ++k) {
        const double t = static_cast<double>(k) / kAlongEdge;
        for (const QPointF p :
             {QPointF(t * photo.width(), 0), QPointF(t * photo.width(), photo.height()),
              QPointF(0, t * photo.height()), QPointF(photo.width(), t * photo.height())}) {
            const std::optional<QPointF> at = grid.toLattice(p);
            if (!at) {
                continue;
            }
            const QRectF point(*at - QPointF(1, 1), QSizeF(2, 2));
            cells = any ? cells.united(point) : point;
            any = true;
        }
    }
    return cells;
}

}  // namespace

std::vector<QPointF> printedHexes(const QImage& photo, const FoundPhotoGrid& found) {
    const MapDarkness map(photo);
    const QRectF cells = cellsOnPhoto(found.grid, photo.size());
    const double top = std::ceil(cells.top());
    const int rows = std::max(0, static_cast<int>(std::floor(cells.bottom() - top)) + 1);
    // A row of hexes to a thread at a time, each row's cuts kept apart and then joined in
    // order: the result is the one a single thread would give.
    const std::vector<SideCut> cuts =
        joinedInOrder<SideCut>(rows, [&](int row, std::vector<SideCut>& cutRow) {
            for (double i = std::ceil(cells.left()); i <= cells.right(); ++i) {
                cutSides(map, found.grid, QPointF(i, top + row), cutRow);
            }
        });
    std::vector<LineCrossing> crossings;
    for (const SideCut& cut : cuts) {
        crossings.push_back(cut.crossing);
    }
    const double least = leastContrast(crossings);
    std::vector<QPointF> hexes;
    for (size_t k = 0; k < cuts.size();) {
        int printed = 0;
        size_t end = k;
        for (; end < cuts.size() && cuts[end].hex == cuts[k].hex; ++end) {
            const LineCrossing& c = cuts[end].crossing;
            printed += c.contrast >= least && std::abs(c.offset) <= kOnSide ? 1 : 0;
        }
        if (printed >= kPrintedSides) {
            hexes.push_back(cuts[k].hex);
        }
        k = end;
    }
    return hexes;
}

LatticeOnPicture FlatBoard::lattice() const {
    const bool rows = orientation == GridOrientation::Rows;
    const double p = hexPixels;
    return {orientation, centre, rows ? QPointF(p, 0) : QPointF(0, p),
            rows ? QPointF(0, kRowPitch * p) : QPointF(kRowPitch * p, 0)};
}

FlatPlan planFlatBoard(const PhotoGrid& grid, const std::vector<QPointF>& hexes,
                       std::optional<double> hexPixels, const FlatMargins& margins) {
    const std::optional<Reading> reading = hexes.empty() ? std::nullopt : readingOf(grid, hexes);
    if (!reading) {
        return {};
    }
    const double largest = largestHex(grid, hexes);
    // The hundredth of a pixel above the largest, so that the printed size is exact.
    double p = hexPixels.value_or(std::ceil(largest * 100 - 1e-6) / 100);
    FlatBoard board = boardOf(hexes, *reading, p, margins);
    board.largestSeen = largest;
    FlatPlan plan{board, false, board.size};
    if (!tooLong(board.size)) {
        return plan;
    }
    if (hexPixels) {
        plan.board.reset();
        return plan;
    }
    plan.capped = true;
    const int longest = std::max(board.size.width(), board.size.height());
    p = std::floor(p * kFlatLongestSide / longest * 100) / 100;
    while (p > 0.01 && tooLong((board = boardOf(hexes, *reading, p, margins)).size)) {
        p = std::round(p * 100 - 1) / 100;
    }
    board.largestSeen = largest;
    plan.board = board;
    return plan;
}

void flattenRows(const QImage& photo, const PhotoGrid& grid, const FlatBoard& board, int top,
                 QImage& rows) {
    try {
        cv::Mat into = pixelsOf(rows, rows.bits());
        flattenOnEveryCoreOrOne(pixelsOf(photo, const_cast<uchar*>(photo.constBits())), grid, board,
                                top, into);
    } catch (const cv::Exception& error) {
        if (error.code == cv::Error::StsNoMem) {
            throw std::bad_alloc();
        }
        throw;
    }
}

QImage flattenPhoto(const QImage& picture, const PhotoGrid& grid, const FlatBoard& board) {
    try {
        const QImage photo = picture.format() == QImage::Format_RGB32
                                 ? picture
                                 : picture.convertToFormat(QImage::Format_RGB32);
        QImage target(board.size, QImage::Format_RGB32);
        if (photo.isNull() || target.isNull()) {
            return {};
        }
        flattenRows(photo, grid, board, 0, target);
        return target;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::optional<GridOptions> flatGridOptions(const FlatBoard& board) {
    std::optional<GridOptions> options = optionsForLattice(board.lattice(), QSizeF(board.size));
    if (options) {
        // The steps are upright by construction; what is left is rounding.
        options->stretch = 1;
        options->rotation = 0;
        options->skew = 0;
    }
    return options;
}

}  // namespace tessara
