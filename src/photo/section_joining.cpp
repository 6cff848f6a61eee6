#include "photo/section_joining.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <QRectF>
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <future>
#include <iterator>
#include <map>
#include <new>
#include <set>
#include <utility>
#include <vector>

#include "core/parallel_work.h"
#include "grid/grid_geometry.h"
#include "grid/lattice_vectors.h"
#include "image/large_image.h"
#include "photo/board_mapping.h"
#include "photo/cubic_remap.h"
#include "photo/hex_placing.h"
#include "photo/photo_finder.h"

namespace tessara {
namespace {

// The small boards the sections are placed by: hexes of this many pixels, each hex known by
// the mean colour of its middle, inside the printed lines: the terrain, the labels and the
// roads tell the hexes apart, and the lines, the same in every hex, are left out.
constexpr double kPlacingHex = 12;
constexpr double kHexMiddle = 0.3;  // of a hex, from its centre
constexpr int kJoinBandRows = 64;

// One section as the placing knows it: its grid, its printed hexes and its boards.
struct Section {
    PhotoGrid grid;
    std::vector<QPointF> hexes;
    double largest = 0;
    FlatBoard small;  // at kPlacingHex
    HexColours colours;
    FlatBoard full;                         // at the board's hexes, without margins
    std::set<std::pair<int, int>> printed;  // its printed hexes, by their steps from its first
    QPointF at;         // where its full board's pixel (0, 0) lies on the first's, pixels
    QPoint firstSteps;  // the steps from the first section's first hex to its own
    bool placed = false;
};

// The whole-number steps of an upright grid of hexes `p` across, in board pixels.
struct Steps {
    QPointF along;
    QPointF next;
};

Steps stepsOf(GridOrientation orientation, double p) {
    return orientation == GridOrientation::Rows
               ? Steps{QPointF(p, 0), QPointF(p / 2, kRowPitch * p)}
               : Steps{QPointF(0, p), QPointF(kRowPitch * p, p / 2)};
}

constexpr FlatMargins kNoMargins{0, 0, 0, 0};

// The steps from the board's first hex to the hex whose centre is nearest to a board point,
// and that centre.
std::pair<QPoint, QPointF> nearestHex(const FlatBoard& board, QPointF q) {
    const Steps s = stepsOf(board.orientation, board.hexPixels);
    const QPointF c = coordinatesOn(s.along, s.next, q - board.centre);
    std::pair<QPoint, QPointF> best;
    double nearest = INFINITY;
    for (const double m : {std::floor(c.x()), std::ceil(c.x())}) {
        for (const double n : {std::floor(c.y()), std::ceil(c.y())}) {
            const QPointF at = board.centre + m * s.along + n * s.next;
            const QPointF d = at - q;
            if (const double dd = QPointF::dotProduct(d, d); dd < nearest) {
                nearest = dd;
                best = {QPoint(static_cast<int>(m), static_cast<int>(n)), at};
            }
        }
    }
    return best;
}

// The steps, from the board's first hex, of the hexes nearest to its four corners, and
// `margin` more on every side: a range that covers the board.
QRect stepsCovering(const FlatBoard& board, int margin) {
    const QSizeF size(board.size);
    int m0 = INT_MAX, m1 = INT_MIN, n0 = INT_MAX, n1 = INT_MIN;
    for (const QPointF q : {QPointF(0, 0), QPointF(size.width(), 0), QPointF(0, size.height()),
                            QPointF(size.width(), size.height())}) {
        const QPoint steps = nearestHex(board, q).first;
        m0 = std::min(m0, steps.x() - margin);
        m1 = std::max(m1, steps.x() + margin);
        n0 = std::min(n0, steps.y() - margin);
        n1 = std::max(n1, steps.y() + margin);
    }
    return QRect(QPoint(m0, n0), QPoint(m1, n1));
}

QImage rgb32Of(const QImage& picture) {
    return picture.format() == QImage::Format_RGB32 ? picture
                                                    : picture.convertToFormat(QImage::Format_RGB32);
}

// Each printed hex's colour is read on the picture itself, over every pixel of its middle: a board
// made small would sample one pixel in many and alias the woods' dots, the labels and the
// grain differently on every section.
HexColours hexColours(const FlatBoard& small, const PhotoGrid& grid, const QImage& picture,
                      const std::set<std::pair<int, int>>& printed) {
    HexColours colours;
    const QRect range = stepsCovering(small, 0);
    const int m0 = range.left(), m1 = range.right(), n0 = range.top(), n1 = range.bottom();
    colours.first = range.topLeft();
    colours.columns = range.width();
    colours.rows = range.height();
    const size_t cells = static_cast<size_t>(colours.columns) * colours.rows;
    colours.mean.assign(cells, {});
    colours.known.assign(cells, 0);
    const Steps s = stepsOf(small.orientation, small.hexPixels);
    const QRectF inside = QRectF(picture.rect()).adjusted(0, 0, -1, -1);
    // A row of hexes to a processor, each its own cells.
    runInParallel(
        n1 - n0 + 1,
        [&](int row) {
            const int n = n0 + row;
            for (int m = m0; m <= m1; ++m) {
                const QPointF centre = small.centre + m * s.along + n * s.next;
                if (printed.count({m, n}) == 0) {
                    continue;  // the scanner's lid round a crooked sheet, or the margin
                }
                const std::optional<QPointF> at = grid.toPhoto(small.toLattice(centre));
                const std::optional<QPointF> beside =
                    grid.toPhoto(small.toLattice(centre + s.along));
                if (!at || !beside) {
                    continue;
                }
                const double reach = kHexMiddle * length(*beside - *at);
                const QRectF box(*at - QPointF(reach, reach), *at + QPointF(reach, reach));
                if (!inside.contains(box)) {
                    continue;
                }
                const QPointF along = (*beside - *at) / length(*beside - *at);
                const QPointF across(-along.y(), along.x());
                std::array<double, kHexValues> sum{};
                std::array<int, 4> count{};
                for (int y = static_cast<int>(std::ceil(box.top())); y <= box.bottom(); ++y) {
                    const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
                    for (int x = static_cast<int>(std::ceil(box.left())); x <= box.right(); ++x) {
                        const QPointF d = QPointF(x, y) - *at;
                        if (QPointF::dotProduct(d, d) > reach * reach) {
                            continue;
                        }
                        const size_t quarter = (QPointF::dotProduct(d, along) < 0 ? 0 : 1) +
                                               (QPointF::dotProduct(d, across) < 0 ? 0 : 2);
                        sum[3 * quarter] += qRed(line[x]);
                        sum[3 * quarter + 1] += qGreen(line[x]);
                        sum[3 * quarter + 2] += qBlue(line[x]);
                        ++count[quarter];
                    }
                }
                const int k = colours.index(QPoint(m, n));
                if (*std::min_element(count.begin(), count.end()) > 0 && k >= 0) {
                    for (size_t v = 0; v < kHexValues; ++v) {
                        colours.mean[static_cast<size_t>(k)][v] =
                            static_cast<float>(sum[v] / count[v / 3]);
                    }
                    colours.known[static_cast<size_t>(k)] = 1;
                }
            }
        },
        [](int) { return true; });
    colours.count = static_cast<int>(std::count(colours.known.begin(), colours.known.end(), 1));
    return colours;
}

// The section's grid found and its hexes' colours read; false when it holds no grid.
bool readSection(const QImage& picture, Section& section, Progress& progress) {
    // Most sections are a flatbed's scans, whose grid the flat finder reads in a fraction
    // of the time; a photo or a curled sheet is read as a photo.
    std::optional<FoundPhotoGrid> found = findFlatGrid(picture, progress);
    if (!found) {
        found = findPhotoGrid(picture, progress);
    }
    if (!found) {
        return false;
    }
    section.grid = found->grid;
    section.hexes = printedHexes(picture, *found);
    const FlatPlan largest = planFlatBoard(section.grid, section.hexes, std::nullopt, kNoMargins);
    FlatPlan small = planFlatBoard(section.grid, section.hexes, kPlacingHex, kNoMargins);
    if (section.hexes.empty() || !largest.board || !small.board) {
        return false;
    }
    section.largest = largest.board->largestSeen;
    section.small = *small.board;
    const QImage rgb = rgb32Of(picture);
    // The board pixel of a lattice point, through the inverse of the board's two steps.
    const FlatBoard& b = section.small;
    const double det = cross(b.acrossStep, b.downStep);
    for (const QPointF hex : section.hexes) {
        const QPointF d = hex - b.start;
        const QPointF q(cross(d, b.downStep) / det, cross(b.acrossStep, d) / det);
        const QPoint steps = nearestHex(b, q).first;
        section.printed.insert({steps.x(), steps.y()});
    }
    section.colours = hexColours(section.small, section.grid, rgb, section.printed);
    return true;
}

// The sections placed on the first, each by the best placing onto one already placed;
// the first that none can be placed by, or -1.
int placeAll(std::vector<Section>& sections, double p, Progress& progress) {
    const size_t count = sections.size();
    std::vector<std::vector<std::optional<Placing>>> pairs(
        count, std::vector<std::optional<Placing>>(count));
    std::vector<std::pair<size_t, size_t>> both;
    for (size_t a = 0; a < count; ++a) {
        for (size_t b = a + 1; b < count; ++b) {
            both.emplace_back(a, b);
        }
    }
    // A pair to a processor.
    const bool whole = runInParallel(
        static_cast<int>(both.size()),
        [&](int n) {
            const auto [a, b] = both[static_cast<size_t>(n)];
            pairs[a][b] = placeOn(sections[a].colours, sections[b].colours);
        },
        [&](int done) { return progress.advance(static_cast<double>(done) / both.size()); });
    if (!whole) {
        throw WorkCancelled{};
    }
    for (const auto& [a, b] : both) {
        if (pairs[a][b]) {
            pairs[b][a] = Placing{-pairs[a][b]->steps, pairs[a][b]->likeness, pairs[a][b]->weight};
        }
    }
    const Steps s = stepsOf(sections[0].full.orientation, p);
    sections[0].placed = true;
    for (size_t round = 1; round < count; ++round) {
        std::optional<std::pair<size_t, size_t>> link;
        double best = -2;
        for (size_t a = 0; a < count; ++a) {
            for (size_t b = 0; b < count; ++b) {
                if (sections[a].placed && !sections[b].placed && pairs[a][b] &&
                    pairs[a][b]->weight > best) {
                    best = pairs[a][b]->weight;
                    link = {a, b};
                }
            }
        }
        if (!link) {
            for (size_t k = 0; k < count; ++k) {
                if (!sections[k].placed) {
                    return static_cast<int>(k);
                }
            }
        }
        const auto [a, b] = *link;
        const QPoint steps = pairs[a][b]->steps;
        // b's first hex lies that many steps from a's, on a's board; its pixel (0, 0) follows.
        const QPointF firstHex =
            sections[a].at + sections[a].full.centre + steps.x() * s.along + steps.y() * s.next;
        sections[b].at = firstHex - sections[b].full.centre;
        sections[b].firstSteps = sections[a].firstSteps + steps;
        sections[b].placed = true;
    }
    return -1;
}

// The board of every section's hexes, a hex of margin round them, on the first's grid; the
// first's board pixel of the board's (0, 0).
FlatBoard boardOver(const std::vector<Section>& sections, QPointF& corner) {
    QRectF all;
    for (const Section& s : sections) {
        all |= QRectF(s.at, QSizeF(s.full.size));
    }
    const double p = sections[0].full.hexPixels;
    all.adjust(-p, -p, p, p);
    corner = QPointF(std::floor(all.left()), std::floor(all.top()));
    FlatBoard board = sections[0].full;
    board.size = QSize(static_cast<int>(std::ceil(all.right() - corner.x())),
                       static_cast<int>(std::ceil(all.bottom() - corner.y())));
    board.start = sections[0].full.toLattice(corner);
    board.centre = sections[0].full.centre - corner;
    return board;
}

// How far inside section k's own board a point of the first's lies, pixels; negative
// outside it.
double insideOf(const Section& s, QPointF onFirst) {
    const QPointF q = onFirst - s.at;
    return std::min({q.x(), q.y(), s.full.size.width() - q.x(), s.full.size.height() - q.y()});
}

// The section each hex of the board comes from, by its steps from the first section's first
// hex: of the sections that printed it, the one that holds its centre farthest inside its
// own board; for a hex of the margin, the nearest.
class HexOwners {
  public:
    HexOwners(const std::vector<Section>& sections, const FlatBoard& board, QPointF corner) {
        // Three hexes round the board: a tile's hexes and their neighbours are looked up.
        const QRect range = stepsCovering(board, 3);
        const int m0 = range.left(), m1 = range.right(), n0 = range.top(), n1 = range.bottom();
        first_ = range.topLeft();
        columns_ = range.width();
        const Steps s = stepsOf(board.orientation, board.hexPixels);
        for (int n = n0; n <= n1; ++n) {
            for (int m = m0; m <= m1; ++m) {
                const QPointF centre = board.centre + m * s.along + n * s.next + corner;
                owner_.push_back(ownerOf(sections, QPoint(m, n), centre));
            }
        }
    }
    int at(QPoint steps) const {
        const QPoint k = steps - first_;
        return owner_[static_cast<size_t>(k.y() * columns_ + k.x())];
    }
    // The owner of the hex nearest to a board point. The nearest is one of the four round
    // the point's lattice coordinates, and mostly they have one owner: only between two
    // owners are the distances needed.
    int atPoint(const FlatBoard& board, QPointF q) const {
        const Steps s = stepsOf(board.orientation, board.hexPixels);
        const QPointF c = coordinatesOn(s.along, s.next, q - board.centre);
        const int m = static_cast<int>(std::floor(c.x()));
        const int n = static_cast<int>(std::floor(c.y()));
        const int owner = at({m, n});
        if (at({m + 1, n}) == owner && at({m, n + 1}) == owner && at({m + 1, n + 1}) == owner) {
            return owner;
        }
        return at(nearestHex(board, q).first);
    }
    // Marks with 1 the pixels of `width` x `rows` of the board from `origin` that section k
    // owns, and 0 the others, a row of `width` after another. A tile is marked at once where
    // every hex its pixels could be nearest to has one owner (with a hex more round them, for
    // the rounding of their coordinates): only near a seam is each pixel's owner asked.
    void mark(const FlatBoard& board, int k, QPoint origin, int width, int rows,
              uchar* mask) const {
        const Steps s = stepsOf(board.orientation, board.hexPixels);
        for (int ty = 0; ty < rows; ty += kOwnerTile) {
            for (int tx = 0; tx < width; tx += kOwnerTile) {
                const QRect tile(origin + QPoint(tx, ty), QSize(std::min(kOwnerTile, width - tx),
                                                                std::min(kOwnerTile, rows - ty)));
                const int owner = ownerOfAll(board, s, tile);
                for (int y = tile.top(); y <= tile.bottom(); ++y) {
                    uchar* line = mask + static_cast<qsizetype>(y - origin.y()) * width;
                    for (int x = tile.left(); x <= tile.right(); ++x) {
                        const int o = owner >= 0 ? owner : atPoint(board, QPointF(x, y));
                        line[x - origin.x()] = o == k ? 1 : 0;
                    }
                }
            }
        }
    }

  private:
    static constexpr int kOwnerTile = 16;

    // The one owner of the hexes the pixels of `tile` could be nearest to, or -1. Lattice
    // coordinates are affine in the pixel, so the tile's lie between its corners'.
    int ownerOfAll(const FlatBoard& board, const Steps& s, const QRect& tile) const {
        double m0 = INFINITY, m1 = -INFINITY, n0 = INFINITY, n1 = -INFINITY;
        for (const QPoint corner :
             {tile.topLeft(), tile.topRight(), tile.bottomLeft(), tile.bottomRight()}) {
            const QPointF c = coordinatesOn(s.along, s.next, QPointF(corner) - board.centre);
            m0 = std::min(m0, c.x());
            m1 = std::max(m1, c.x());
            n0 = std::min(n0, c.y());
            n1 = std::max(n1, c.y());
        }
        const int owner = at({static_cast<int>(std::floor(m0)), static_cast<int>(std::floor(n0))});
        for (int n = static_cast<int>(std::floor(n0)) - 1;
             n <= static_cast<int>(std::floor(n1)) + 2; ++n) {
            for (int m = static_cast<int>(std::floor(m0)) - 1;
                 m <= static_cast<int>(std::floor(m1)) + 2; ++m) {
                if (at({m, n}) != owner) {
                    return -1;
                }
            }
        }
        return owner;
    }

    static int ownerOf(const std::vector<Section>& sections, QPoint steps, QPointF onFirst) {
        int owner = 0;
        double deepest = -INFINITY;
        bool printed = false;
        for (size_t k = 0; k < sections.size(); ++k) {
            const Section& s = sections[k];
            const QPoint own = steps - s.firstSteps;
            const bool prints = s.printed.count({own.x(), own.y()}) > 0;
            const double inside = insideOf(s, onFirst);
            if ((prints && !printed) || (prints == printed && inside > deepest)) {
                owner = static_cast<int>(k);
                deepest = inside;
                printed = prints;
            }
        }
        return owner;
    }

    QPoint first_;
    int columns_ = 0;
    std::vector<int> owner_;
};

// Where two sections meet: patches of the board round hexes both printed, made from each of
// them. How far one's patch lies from the other's, by phase correlation, is how far their
// grids disagree there, whatever the terrain: the printed lines are in both.
constexpr int kSeamPatches = 12;  // a pair of sections at most
constexpr double kPatchHexes = 4;

struct SeamPatch {
    size_t a = 0;
    size_t b = 0;
    QPointF centre;  // on the board
    cv::Mat fromA;   // CV_32F brightness
    cv::Mat fromB;
};

std::vector<SeamPatch> seamPatches(const std::vector<Section>& sections, const FlatBoard& board) {
    std::vector<SeamPatch> patches;
    const Steps s = stepsOf(board.orientation, board.hexPixels);
    for (size_t a = 0; a < sections.size(); ++a) {
        for (size_t b = a + 1; b < sections.size(); ++b) {
            std::vector<QPointF> shared;
            // Hexes both printed with every neighbour, so that each patch is whole in both.
            const auto both = [&](QPoint global) {
                const QPoint inA = global - sections[a].firstSteps;
                const QPoint inB = global - sections[b].firstSteps;
                return sections[a].printed.count({inA.x(), inA.y()}) > 0 &&
                       sections[b].printed.count({inB.x(), inB.y()}) > 0;
            };
            for (const auto& [m, n] : sections[a].printed) {
                const QPoint global = QPoint(m, n) + sections[a].firstSteps;
                bool whole = both(global);
                for (const QPoint step : {QPoint(1, 0), QPoint(0, 1), QPoint(-1, 1), QPoint(-1, 0),
                                          QPoint(0, -1), QPoint(1, -1)}) {
                    whole = whole && both(global + step);
                }
                if (whole) {
                    shared.push_back(board.centre + global.x() * s.along + global.y() * s.next);
                }
            }
            // Spread over the overlap: every so many, in the order of the hexes.
            const size_t every = std::max<size_t>(1, shared.size() / kSeamPatches);
            for (size_t k = every / 2; k < shared.size(); k += every) {
                patches.push_back({a, b, shared[k], {}, {}});
            }
        }
    }
    return patches;
}

// The patches section k takes part in, made from its picture.
void makePatches(const Section& s, size_t k, const cv::Mat& photo, const FlatBoard& board,
                 QPointF corner, std::vector<SeamPatch>& patches) {
    const int side = static_cast<int>(std::ceil(kPatchHexes * board.hexPixels)) / 2 * 2;
    std::vector<SeamPatch*> own;
    for (SeamPatch& patch : patches) {
        if (patch.a == k || patch.b == k) {
            own.push_back(&patch);
        }
    }
    // Mapped as the board's pixels are, and a patch to a processor: thirty-six patches of a
    // section took a seventh of a second on one.
    runInParallel(
        static_cast<int>(own.size()),
        [&](int n) {
            SeamPatch& patch = *own[static_cast<size_t>(n)];
            cv::Mat fromX(side, side, CV_32FC1);
            cv::Mat fromY(side, side, CV_32FC1);
            photoPointsOf(s.grid, s.full,
                          patch.centre - QPointF(side / 2, side / 2) + corner - s.at, side, side,
                          fromX.ptr<float>(), fromY.ptr<float>());
            for (int y = 0; y < side; ++y) {
                auto* xs = fromX.ptr<float>(y);
                auto* ys = fromY.ptr<float>(y);
                for (int x = 0; x < side; ++x) {
                    const bool seen = !std::isnan(xs[x]) && !std::isnan(ys[x]);
                    xs[x] = seen ? xs[x] : -16.0F;
                    ys[x] = seen ? ys[x] : -16.0F;
                }
            }
            cv::Mat colour;
            cv::remap(photo, colour, fromX, fromY, cv::INTER_CUBIC, cv::BORDER_CONSTANT,
                      cv::Scalar(255, 255, 255, 255));
            cv::Mat grey;
            cv::cvtColor(colour, grey, cv::COLOR_BGRA2GRAY);
            grey.convertTo(patch.a == k ? patch.fromA : patch.fromB, CV_32F);
        },
        [](int) { return true; });
}

// A reading of each patch both sections made, for each pair the median over its patches
// (one patch's reading wavers with the resampling and the grain), and the largest of those.
template <class Reading>
double worstPairOf(const std::vector<SeamPatch>& patches, Reading&& reading) {
    // A patch to a processor.
    std::vector<double> read(patches.size(), NAN);
    runInParallel(
        static_cast<int>(patches.size()),
        [&](int n) {
            const SeamPatch& patch = patches[static_cast<size_t>(n)];
            if (!patch.fromA.empty() && !patch.fromB.empty()) {
                read[static_cast<size_t>(n)] = reading(patch);
            }
        },
        [](int) { return true; });
    std::map<std::pair<size_t, size_t>, std::vector<double>> readings;
    for (size_t n = 0; n < patches.size(); ++n) {
        if (!std::isnan(read[n])) {
            readings[{patches[n].a, patches[n].b}].push_back(read[n]);
        }
    }
    double worst = 0;
    for (auto& [pair, values] : readings) {
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        worst = std::max(worst, values[values.size() / 2]);
    }
    return worst;
}

// How far apart two sections show the same place, pixels of the board.
double worstSeamOf(const std::vector<SeamPatch>& patches) {
    return worstPairOf(patches, [](const SeamPatch& patch) {
        cv::Mat window;
        cv::createHanningWindow(window, patch.fromA.size(), CV_32F);
        const cv::Point2d shift = cv::phaseCorrelate(patch.fromA, patch.fromB, window);
        return std::hypot(shift.x, shift.y);
    });
}

// The pixels of the board section k owns resampled from its picture, a band of rows at a
// time; the others left as they are.
void resampleSection(const std::vector<Section>& sections, const HexOwners& owners, int k,
                     const QImage& picture, const FlatBoard& board, QPointF corner, QImage& into,
                     std::vector<SeamPatch>& patches) {
    const Section& s = sections[static_cast<size_t>(k)];
    const QImage rgb = rgb32Of(picture);
    const cv::Mat photo(rgb.height(), rgb.width(), CV_8UC4, const_cast<uchar*>(rgb.constBits()),
                        static_cast<size_t>(rgb.bytesPerLine()));
    makePatches(s, static_cast<size_t>(k), photo, board, corner, patches);
    // Only round its own board can a section own a pixel, or in the margin beyond it.
    const double p = board.hexPixels;
    const QRectF reach =
        QRectF(s.at - corner, QSizeF(s.full.size)).adjusted(-2 * p, -2 * p, 2 * p, 2 * p);
    const int left = std::max(0, static_cast<int>(reach.left()));
    const int right = std::min(board.size.width(), static_cast<int>(std::ceil(reach.right())));
    const int top = std::max(0, static_cast<int>(reach.top()));
    const int bottom = std::min(board.size.height(), static_cast<int>(std::ceil(reach.bottom())));
    if (left >= right || top >= bottom) {
        return;
    }
    const int width = right - left;
    // The bands are independent, each its own rows of the board: a band to a processor at a
    // time, every step of it, where the steps alone left the points' working out and the
    // copying to one thread. The board's pixels are taken once, as a non-const scanLine()
    // from several threads could detach the picture.
    uchar* const bits = into.bits();
    const qsizetype stride = into.bytesPerLine();
    const int bands = (bottom - top + kJoinBandRows - 1) / kJoinBandRows;
    runInParallel(
        bands,
        [&](int b) {
            const int y0 = top + b * kJoinBandRows;
            const int rows = std::min(kJoinBandRows, bottom - y0);
            cv::Mat owned(rows, width, CV_8UC1);
            owners.mark(board, k, QPoint(left, y0), width, rows, owned.ptr<uchar>());
            // Only the columns it owns a pixel of are resampled: a section's board reaches
            // well into its neighbours' beyond the seams.
            int first = width, end = 0;
            for (int r = 0; r < rows; ++r) {
                const uchar* mine = owned.ptr<uchar>(r);
                const auto* found = std::find(mine, mine + width, uchar{1});
                if (found != mine + width) {
                    first = std::min(first, static_cast<int>(found - mine));
                    const auto back = std::find(std::make_reverse_iterator(mine + width),
                                                std::make_reverse_iterator(mine), uchar{1});
                    end = std::max(end, static_cast<int>(back.base() - mine));
                }
            }
            if (first >= end) {
                return;
            }
            // On the band's own nodes (board_mapping.h), so that each pixel is mapped as the
            // whole band's would be.
            first = first / kMappedStep * kMappedStep;
            end = std::min(width - 1, (end - 1 + kMappedStep - 1) / kMappedStep * kMappedStep) + 1;
            const int span = end - first;
            cv::Mat fromX(rows, span, CV_32FC1);
            cv::Mat fromY(rows, span, CV_32FC1);
            photoPointsOf(s.grid, s.full, QPointF(left + first, y0) + corner - s.at, span, rows,
                          fromX.ptr<float>(), fromY.ptr<float>());
            for (int r = 0; r < rows; ++r) {
                remapCubic(rgb, fromX.ptr<float>(r), fromY.ptr<float>(r),
                           owned.ptr<uchar>(r) + first, span,
                           reinterpret_cast<QRgb*>(bits + (y0 + r) * stride) + left + first);
            }
        },
        [](int) { return true; });
}

JoinedBoard refused(JoiningProblem problem, int section = -1) {
    JoinedBoard joined;
    joined.problem = problem;
    joined.section = section;
    return joined;
}

}  // namespace

JoinedBoard joinSections(int count, const SectionSource& source, std::optional<double> hexPixels,
                         Progress& progress) {
    // Each section is decoded into the memory of the one before.
    const LargeImageReuse reuse;
    std::vector<Section> sections(static_cast<size_t>(count));
    // The last section read is kept, and joined first: one reading fewer, and the board and
    // one section are all that is ever held.
    QImage last;
    // While a section's grid is found, the next one is read on a thread of its own: two
    // sections are held then, never all of them (so not when there are only two), and never
    // beside the board.
    const bool readAhead = count > 2;
    std::future<QImage> next;
    for (int k = 0; k < count; ++k) {
        progress.step(
            QStringLiteral("Finding the printed grid on section %1 of %2").arg(k + 1).arg(count));
        last = QImage();
        last = next.valid() ? next.get() : source(k);
        if (last.isNull()) {
            return refused(JoiningProblem::NoGrid, k);
        }
        if (readAhead && k + 1 < count) {
            next = std::async(std::launch::async, [&source, k] { return source(k + 1); });
        }
        if (!readSection(last, sections[static_cast<size_t>(k)], progress)) {
            return refused(JoiningProblem::NoGrid, k);
        }
    }
    for (const Section& s : sections) {
        if (s.small.orientation != sections[0].small.orientation) {
            return refused(JoiningProblem::NoOverlap, static_cast<int>(&s - sections.data()));
        }
    }
    double p = 0;
    for (const Section& s : sections) {
        p = std::max(p, s.largest);
    }
    p = hexPixels.value_or(std::ceil(p * 100 - 1e-6) / 100);
    for (Section& s : sections) {
        const FlatPlan full = planFlatBoard(s.grid, s.hexes, p, kNoMargins);
        if (!full.board) {
            JoinedBoard joined = refused(JoiningProblem::TooLong);
            joined.wanted = full.wanted;
            return joined;
        }
        s.full = *full.board;
    }
    progress.step(QStringLiteral("Placing the sections by their overlaps"));
    if (const int lost = placeAll(sections, p, progress); lost >= 0) {
        return refused(JoiningProblem::NoOverlap, lost);
    }
    QPointF corner;
    const FlatBoard board = boardOver(sections, corner);
    const std::optional<GridOptions> options = flatGridOptions(board);
    if (board.size.width() > kFlatLongestSide || board.size.height() > kFlatLongestSide ||
        !options) {
        JoinedBoard joined = refused(JoiningProblem::TooLong);
        joined.wanted = board.size;
        return joined;
    }
    JoinedBoard joined;
    joined.plan = board;
    joined.options = *options;
    // Populated at once: the 83 megapixels of a board of four scans cost 80,000 page faults.
    joined.board = largeImage(board.size.width(), board.size.height());
    if (joined.board.isNull()) {
        return refused(JoiningProblem::OutOfMemory);
    }
    joined.board.fill(Qt::white);
    const HexOwners owners(sections, board, corner);
    std::vector<SeamPatch> patches = seamPatches(sections, board);
    for (int n = 0; n < count; ++n) {
        const int k = count - 1 - n;
        progress.step(QStringLiteral("Joining section %1 of %2").arg(n + 1).arg(count));
        const QImage picture = n == 0 ? std::exchange(last, QImage()) : source(k);
        if (picture.isNull()) {
            return refused(JoiningProblem::NoGrid, k);
        }
        resampleSection(sections, owners, k, picture, board, corner, joined.board, patches);
        advanceOrStop(progress, 1);
    }
    joined.worstSeam = worstSeamOf(patches);
    return joined;
}

}  // namespace tessara
