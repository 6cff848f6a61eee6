#include "photo/corner_flattening.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

#include "grid/grid_geometry.h"
#include "grid/lattice_vectors.h"
#include "grid/map_darkness.h"
#include "photo/photo_finder.h"
#include "photo/photo_fit.h"
#include "photo/photo_flattening.h"
#include "photo/photo_lines.h"

namespace tessara {
namespace {

// From a hex centre to the next across and down, for hexes of one pixel flat to flat.
QSizeF pitchOf(GridOrientation orientation) {
    return orientation == GridOrientation::Rows ? QSizeF(1, kRowPitch) : QSizeF(kRowPitch, 1);
}

// The rectangle's sides in hexes of one pixel.
QSizeF spanOf(const BoardCorners& corners) {
    const QSizeF pitch = pitchOf(corners.orientation);
    return {corners.across * pitch.width(), corners.down * pitch.height()};
}

// The largest hex, flat to flat, the photo shows along the rectangle's sides.
double sideHexPixels(const std::array<QPointF, 4>& c, QSizeF span) {
    return std::max({length(c[1] - c[0]) / span.width(), length(c[2] - c[3]) / span.width(),
                     length(c[3] - c[0]) / span.height(), length(c[2] - c[1]) / span.height()});
}

// The squared picture is only looked at, so it need not keep the largest hexes: this keeps
// the search's time and memory those of a large scan at most.
constexpr double kSquaredLongestSide = 6000;
// The printed area's outer hexes and the board round it are on the squared picture, and as
// much of the photo as it shows, up to twice the rectangle's size beyond it on every side
// (the four points may be those of any printed rectangle): further out, towards the horizon
// of a steep photo, a pixel of it is many of the photo's.
constexpr double kSquaredMarginHexes = 2;
constexpr double kSquaredReach = 2;

// The photo squared up by the four corners.
struct Squared {
    QImage picture;
    Homography toPhoto;  // the squared picture's pixels to the photo's
    QPointF corner;      // where the first corner is on it
    double hexPixels = 0;
};

cv::Mat pixelsOf(QImage& picture) {
    return cv::Mat(picture.height(), picture.width(), CV_8UC4, picture.bits(),
                   static_cast<size_t>(picture.bytesPerLine()));
}

Homography homographyOf(const cv::Mat& m) {
    Homography h;
    for (int i = 0; i < 9; ++i) {
        h.m[static_cast<size_t>(i)] = m.at<double>(i / 3, i % 3);
    }
    return h;
}

// The part of the rectangle's plane, in hexes of one pixel, that the squared picture shows.
QRectF squaredExtent(const Homography& toPhoto, QSizeF photo, QSizeF span) {
    const QRectF rectangle(QPointF(0, 0), span);
    QRectF seen = rectangle.adjusted(-kSquaredMarginHexes, -kSquaredMarginHexes,
                                     kSquaredMarginHexes, kSquaredMarginHexes);
    const std::optional<Homography> back = toPhoto.inverted();
    constexpr int kSteps = 64;
    for (int k = 0; back && k <= kSteps; ++k) {
        const double t = static_cast<double>(k) / kSteps;
        for (const QPointF p :
             {QPointF(t * photo.width(), 0), QPointF(t * photo.width(), photo.height()),
              QPointF(0, t * photo.height()), QPointF(photo.width(), t * photo.height())}) {
            if (const std::optional<QPointF> q = back->map(p)) {
                seen.setCoords(std::min(seen.left(), q->x()), std::min(seen.top(), q->y()),
                               std::max(seen.right(), q->x()), std::max(seen.bottom(), q->y()));
            }
        }
    }
    const double w = kSquaredReach * span.width();
    const double h = kSquaredReach * span.height();
    return seen & rectangle.adjusted(-w, -h, w, h);
}

// Nothing when there is no memory for it.
std::optional<Squared> squaredUp(QImage photo, const std::array<QPointF, 4>& c, QSizeF span) {
    const cv::Point2f from[4] = {{0, 0},
                                 {float(span.width()), 0},
                                 {float(span.width()), float(span.height())},
                                 {0, float(span.height())}};
    cv::Point2f to[4];
    for (size_t i = 0; i < c.size(); ++i) {
        to[i] = cv::Point2f(float(c[i].x()), float(c[i].y()));
    }
    const Homography unit = homographyOf(cv::getPerspectiveTransform(from, to));
    const QRectF extent = squaredExtent(unit, QSizeF(photo.size()), span);
    Squared squared;
    squared.hexPixels = std::min(sideHexPixels(c, span),
                                 kSquaredLongestSide / std::max(extent.width(), extent.height()));
    const double p = squared.hexPixels;
    squared.toPhoto = unit * Homography{{1 / p, 0, extent.left(), 0, 1 / p, extent.top(), 0, 0, 1}};
    squared.corner = -extent.topLeft() * p;
    squared.picture =
        QImage(static_cast<int>(std::ceil(extent.width() * p)),
               static_cast<int>(std::ceil(extent.height() * p)), QImage::Format_RGB32);
    photo = photo.convertToFormat(QImage::Format_RGB32);
    if (squared.picture.isNull() || photo.isNull()) {
        return std::nullopt;
    }
    cv::Mat m(3, 3, CV_64F);
    for (int i = 0; i < 9; ++i) {
        m.at<double>(i / 3, i % 3) = squared.toPhoto.m[static_cast<size_t>(i)];
    }
    cv::Mat into = pixelsOf(squared.picture);
    cv::warpPerspective(pixelsOf(photo), into, m, into.size(),
                        cv::INTER_LINEAR | cv::WARP_INVERSE_MAP, cv::BORDER_CONSTANT,
                        cv::Scalar(255, 255, 255, 255));
    return squared;
}

// The grid found on the squared picture as the photo's own model: the nine numbers fitted
// to the hex centres it carries to the photo, then to the photo's printed lines, so that
// the lens is the photo's, radial about its centre. Nothing when the lines do not follow
// it without a warp: the grid is then carried back as it was found.
std::optional<PhotoGrid> onThePhoto(const QImage& photo, const FoundPhotoGrid& found,
                                    const Homography& toPhoto, Progress& progress) {
    PhotoGrid carried = found.grid;
    carried.fromPicture = toPhoto;
    std::vector<Observation> seen;
    const QRectF& cells = found.cells;
    for (double i = std::ceil(cells.left()); i <= cells.right(); ++i) {
        for (double j = std::ceil(cells.top()); j <= cells.bottom(); ++j) {
            if (const std::optional<QPointF> p = carried.toPhoto(QPointF(i, j))) {
                seen.push_back({QPointF(i, j), QPointF(1, 0), p->x()});
                seen.push_back({QPointF(i, j), QPointF(0, 1), p->y()});
            }
        }
    }
    PhotoGrid start;
    start.lattice = toPhoto * found.grid.lattice;
    start.lens = PhotoLens::of(QSizeF(photo.size()), 0);
    const std::optional<PhotoGrid> fitted = fitObservations(start, seen, Loss::Huber, 1.0, 5, true);
    if (!fitted) {
        return std::nullopt;
    }
    const std::optional<LineFit> lines =
        fitPhotoLines(MapDarkness(photo), *fitted, cells, progress, 1, 1);
    return lines && lines->ninetyFifth <= kFlatLineReach ? std::optional(lines->grid)
                                                         : std::nullopt;
}

// The corners' own grid on the squared picture: a hex centre on the first corner.
struct CornersGrid {
    PhotoGrid grid;
    std::vector<QPointF> hexes;  // the lattice's hexes inside the rectangle
};

CornersGrid cornersGrid(const Squared& squared, GridOrientation orientation, QSizeF span) {
    const double p = squared.hexPixels;
    const bool rows = orientation == GridOrientation::Rows;
    const QPointF along = rows ? QPointF(p, 0) : QPointF(0, p);
    const QPointF next = rows ? QPointF(p / 2, kRowPitch * p) : QPointF(kRowPitch * p, p / 2);
    const QPointF o = squared.corner;
    CornersGrid corners;
    corners.grid.fromPicture = squared.toPhoto;
    corners.grid.lattice.m = {along.x(), next.x(), o.x(), along.y(), next.y(), o.y(), 0, 0, 1};
    corners.grid.lens = PhotoLens::of(QSizeF(squared.picture.size()), 0);
    // Every lattice point whose centre is in the rectangle, a hundredth of a hex to spare.
    const QSizeF size = span * p;
    const double spare = 0.01 * p;
    const double reach = std::ceil(2 * (span.width() + span.height())) + 2;
    for (double i = -reach; i <= reach; ++i) {
        for (double j = -reach; j <= reach; ++j) {
            const QPointF q = i * along + j * next;
            if (q.x() > -spare && q.y() > -spare && q.x() < size.width() + spare &&
                q.y() < size.height() + spare) {
                corners.hexes.emplace_back(i, j);
            }
        }
    }
    return corners;
}

}  // namespace

std::optional<std::array<QPointF, 4>> cornersInOrder(const std::array<QPointF, 4>& points,
                                                     double shortestSide) {
    QPointF middle;
    for (const QPointF p : points) {
        middle += p / 4;
    }
    std::array<QPointF, 4> c = points;
    // Clockwise as the photo shows them, its y axis down.
    const auto angle = [middle](QPointF p) {
        return std::atan2(p.y() - middle.y(), p.x() - middle.x());
    };
    std::sort(c.begin(), c.end(), [&](QPointF a, QPointF b) { return angle(a) < angle(b); });
    const auto first = std::min_element(
        c.begin(), c.end(), [](QPointF a, QPointF b) { return a.x() + a.y() < b.x() + b.y(); });
    std::rotate(c.begin(), first, c.end());
    for (size_t i = 0; i < c.size(); ++i) {
        const QPointF side = c[(i + 1) % 4] - c[i];
        const QPointF nextSide = c[(i + 2) % 4] - c[(i + 1) % 4];
        if (length(side) < shortestSide || cross(side, nextSide) <= 0) {
            return std::nullopt;
        }
    }
    return c;
}

FlattenedBoard flattenByCorners(const QImage& photo, const BoardCorners& corners,
                                std::optional<double> hexPixels, Progress& progress) {
    FlattenedBoard flat;
    flat.problem = FlatteningProblem::NoGrid;
    const std::optional<std::array<QPointF, 4>> c = cornersInOrder(corners.points);
    const QSizeF span = spanOf(corners);
    if (!c || !(corners.across >= kFewestCornerHexes && corners.across <= kMostCornerHexes &&
                corners.down >= kFewestCornerHexes && corners.down <= kMostCornerHexes)) {
        return flat;
    }
    progress.step(QStringLiteral("Squaring the photo up by its corners"));
    const std::optional<Squared> squared = squaredUp(photo, *c, span);
    if (!squared) {
        flat.problem = FlatteningProblem::OutOfMemory;
        return flat;
    }
    const std::optional<FoundPhotoGrid> found = findPhotoGrid(squared->picture, progress);
    const std::vector<QPointF> printed =
        found ? printedHexes(squared->picture, *found) : std::vector<QPointF>{};
    if (printed.empty()) {
        const CornersGrid own = cornersGrid(*squared, corners.orientation, span);
        PhotoGrid upright = own.grid;
        upright.fromPicture.reset();
        flat = flattenOnGrid(photo, own.grid, upright, own.hexes, hexPixels, progress);
        flat.cornersOnly = true;
        return flat;
    }
    PhotoGrid grid = found->grid;
    grid.fromPicture = squared->toPhoto;
    if (const std::optional<PhotoGrid> own =
            onThePhoto(photo, *found, squared->toPhoto, progress)) {
        grid = *own;
    }
    flat = flattenOnGrid(photo, grid, found->grid, printed, hexPixels, progress);
    return flat;
}

}  // namespace tessara
