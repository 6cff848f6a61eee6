#include "terrain/hex_sides.h"

#include <QHash>
#include <QLineF>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "terrain/lab_colour.h"

namespace tessara {
namespace {

constexpr int kStations = 9;            // places along a side where its middle is read
constexpr double kFirstStation = 0.15;  // of the side's length: the corners are left out,
constexpr double kLastStation = 0.85;   // where other sides and their features meet
constexpr double kBand = 0.07;          // of the hex size, either side of the side
constexpr float kRoughReach = 30;       // the farthest a station may look from a feature's sample
constexpr float kFeatureReach = 20;     // and from the feature, once known from all its sides
constexpr double kMostOfASide = 0.5;    // the share of the stations a feature must hold
// A feature runs through a hex when its colour crosses the hex's inner hexagon: at least this
// many of its pixels for each pixel of the hexagon's width (a line two pixels wide over most
// of it), spread over at least this share of that width (a spot of the colour does not).
constexpr double kThroughPixels = 1.2;
constexpr double kThroughSpread = 0.6;
constexpr float kThroughReach = 13;  // a line's core: nearer its colour than the blur at its edges

qint64 keyOf(GridHex hex) {
    return (static_cast<qint64>(hex.line) << 32) ^ static_cast<quint32>(hex.cell);
}

// The neighbours that may follow a hex on the map: the next along its line, and the two
// on the next line.
std::array<GridHex, 3> laterNeighbours(const GridLayout& layout, GridHex hex) {
    const int half = halfHexesAlong(layout, hex);
    const GridHex next{hex.line + 1, 0};
    const int nextParity = halfHexesAlong(layout, next) % 2 != 0 ? 1 : 0;
    const int before = (half - 1 - nextParity) / 2;  // the cell half a hex back on the next line
    return {GridHex{hex.line, hex.cell + 1}, GridHex{next.line, before},
            GridHex{next.line, before + 1}};
}

// The two corners two neighbouring hexes share, on the picture.
QLineF sharedSide(const GridLayout& grid, const MapHex& a, const MapHex& b) {
    const auto shift = [&grid](const MapHex& hex) {
        return hex.centre - hexCentre(grid, hex.hex.line, hex.hex.cell);
    };
    const auto cornersA = hexCorners(grid, a.hex.line, a.hex.cell);
    const auto cornersB = hexCorners(grid, b.hex.line, b.hex.cell);
    std::vector<QPointF> shared;
    for (const QPointF p : cornersA) {
        for (const QPointF q : cornersB) {
            if (QLineF(p, q).length() < 0.01 * grid.hexSize && shared.size() < 2) {
                shared.push_back(p + shift(a));
            }
        }
    }
    return shared.size() == 2 ? QLineF(shared[0], shared[1]) : QLineF(a.centre, a.centre);
}

using Colour = std::array<float, 3>;

float distance(const Colour& a, const Colour& b) {
    return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

// The median colour, channel by channel.
Colour medianColour(const std::vector<Colour>& colours) {
    Colour result{};
    std::vector<float> values;
    for (size_t k = 0; k < 3; ++k) {
        values.clear();
        for (const Colour& c : colours) {
            values.push_back(c[k]);
        }
        result[k] = values.empty() ? 0 : medianOf(values);
    }
    return result;
}

// The colour across a side at each of its stations.
using SideStations = std::array<Colour, kStations>;

SideStations stationsOf(const QImage& picture, QLineF side, double band) {
    SideStations stations{};
    const QPointF along = side.p2() - side.p1();
    const QPointF across = QPointF(-along.y(), along.x()) / std::max(1e-9, side.length());
    std::vector<Colour> pixels;
    for (int s = 0; s < kStations; ++s) {
        const double t = kFirstStation + (kLastStation - kFirstStation) * s / (kStations - 1);
        const QPointF middle = side.p1() + along * t;
        pixels.clear();
        for (double offset = -band; offset <= band; offset += 1) {
            const QPoint pixel = (middle + across * offset).toPoint();
            if (picture.rect().contains(pixel)) {
                const LabColour c = toLab(picture.pixel(pixel));
                pixels.push_back({c.l, c.a, c.b});
            }
        }
        stations[static_cast<size_t>(s)] = medianColour(pixels);
    }
    return stations;
}

Colour colourOf(const Look& look) {
    return {look[0], look[1], look[2]};
}

// Which feature a station shows: the nearest of the features' colours, when it is within
// `reach` and nearer than the colours of the two hexes; -1 for none.
int stationFeature(const Colour& station, const std::vector<Colour>& features, const Colour& one,
                   const Colour& other, float reach) {
    int best = -1;
    float bestDistance = std::min({reach, distance(station, one), distance(station, other)});
    for (size_t f = 0; f < features.size(); ++f) {
        const float d = distance(station, features[f]);
        if (d < bestDistance) {
            best = static_cast<int>(f);
            bestDistance = d;
        }
    }
    return best;
}

// The feature most of a side's stations show; -1 for none.
int sideFeature(const SideStations& stations, const std::vector<Colour>& features,
                const Colour& one, const Colour& other, float reach) {
    std::vector<int> votes(features.size(), 0);
    for (const Colour& station : stations) {
        if (const int f = stationFeature(station, features, one, other, reach); f >= 0) {
            ++votes[static_cast<size_t>(f)];
        }
    }
    const auto most = std::max_element(votes.begin(), votes.end());
    return *most > kMostOfASide * kStations ? static_cast<int>(most - votes.begin()) : -1;
}

// The feature whose colour runs through the hex's inner hexagon, away from its sides and
// the features along them; -1 for none.
int featureThrough(const QImage& picture, const GridLayout& grid, const MapHex& hex,
                   const Colour& own, const std::vector<Colour>& features) {
    std::array<QPointF, 6> inner = hexCorners(grid, hex.hex.line, hex.hex.cell);
    const QPointF placed = hexCentre(grid, hex.hex.line, hex.hex.cell);
    double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
    for (QPointF& corner : inner) {
        corner = hex.centre + (corner - placed) * kInnerShare;
        left = std::min(left, corner.x());
        right = std::max(right, corner.x());
        top = std::min(top, corner.y());
        bottom = std::max(bottom, corner.y());
    }
    const QRect pixels =
        QRect(QPoint(static_cast<int>(std::floor(left)), static_cast<int>(std::floor(top))),
              QPoint(static_cast<int>(std::floor(right)), static_cast<int>(std::floor(bottom)))) &
        picture.rect();
    std::vector<int> counts(features.size(), 0);
    // The corners of the box round each feature's pixels (a QRectF of no size unites with
    // nothing, so the corners are kept as they are).
    std::vector<std::pair<QPointF, QPointF>> spread(
        features.size(), {QPointF(INFINITY, INFINITY), QPointF(-INFINITY, -INFINITY)});
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        for (int x = pixels.left(); x <= pixels.right(); ++x) {
            const QPointF at(x + 0.5, y + 0.5);
            if (!insideHexagon(inner, at)) {
                continue;
            }
            const LabColour c = toLab(picture.pixel(x, y));
            const int f = stationFeature({c.l, c.a, c.b}, features, own, own, kThroughReach);
            if (f >= 0) {
                ++counts[static_cast<size_t>(f)];
                auto& [low, high] = spread[static_cast<size_t>(f)];
                low = {std::min(low.x(), at.x()), std::min(low.y(), at.y())};
                high = {std::max(high.x(), at.x()), std::max(high.y(), at.y())};
            }
        }
    }
    const double width = kInnerShare * grid.hexSize;
    for (size_t f = 0; f < features.size(); ++f) {
        const QPointF reach = spread[f].second - spread[f].first;
        if (counts[f] >= kThroughPixels * width &&
            std::hypot(reach.x(), reach.y()) >= kThroughSpread * width) {
            return static_cast<int>(f);
        }
    }
    return -1;
}

}  // namespace

std::vector<HexSide> mapSides(const GridLayout& layout, const std::vector<MapHex>& hexes) {
    QHash<qint64, int> indexOf;
    for (size_t i = 0; i < hexes.size(); ++i) {
        indexOf.insert(keyOf(hexes[i].hex), static_cast<int>(i));
    }
    std::vector<HexSide> sides;
    for (size_t i = 0; i < hexes.size(); ++i) {
        for (const GridHex next : laterNeighbours(layout, hexes[i].hex)) {
            if (const auto it = indexOf.constFind(keyOf(next)); it != indexOf.constEnd()) {
                sides.push_back({static_cast<int>(i), it.value()});
            }
        }
    }
    return sides;
}

QString sideDirection(const MapHex& from, const MapHex& to) {
    static const char* const kWays[] = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
    const QPointF step = to.centre - from.centre;
    const double degrees = std::atan2(step.x(), -step.y()) * 180 / std::numbers::pi;
    const int way = static_cast<int>(std::lround(degrees / 45));
    return QString::fromLatin1(kWays[((way % 8) + 8) % 8]);
}

std::vector<FeatureSide> featureSides(const QImage& picture, const GridLayout& layout,
                                      const std::vector<MapHex>& hexes,
                                      const std::vector<HexLook>& looks,
                                      const std::vector<LineFeature>& features) {
    if (features.empty()) {
        return {};
    }
    const GridLayout grid = cornersGrid(layout);
    const double band = std::max(2.0, kBand * layout.hexSize);
    const std::vector<HexSide> sides = mapSides(layout, hexes);
    const auto hexColour = [&looks](int hex) {
        return colourOf(looks[static_cast<size_t>(hex)].whole);
    };
    const auto stationsAt = [&](const HexSide& side) {
        return stationsOf(picture,
                          sharedSide(grid, hexes[static_cast<size_t>(side.hex)],
                                     hexes[static_cast<size_t>(side.neighbour)]),
                          band);
    };
    std::vector<SideStations> stations;
    stations.reserve(sides.size());
    for (const HexSide& side : sides) {
        stations.push_back(stationsAt(side));
    }
    std::vector<Colour> colours;
    for (const LineFeature& feature : features) {
        const SideStations sample = stationsAt({feature.from, feature.to});
        colours.push_back(medianColour({sample.begin(), sample.end()}));
    }
    const auto sidesOf = [&](float reach) {
        std::vector<int> found;
        for (size_t s = 0; s < sides.size(); ++s) {
            found.push_back(sideFeature(stations[s], colours, hexColour(sides[s].hex),
                                        hexColour(sides[s].neighbour), reach));
        }
        return found;
    };
    // One side shows a feature's colour only roughly: it is taken again from every side
    // found near it, and the sides looked for again, nearer that truer colour.
    const std::vector<int> rough = sidesOf(kRoughReach);
    for (size_t f = 0; f < colours.size(); ++f) {
        std::vector<Colour> shown;
        for (size_t s = 0; s < sides.size(); ++s) {
            if (rough[s] == static_cast<int>(f)) {
                shown.insert(shown.end(), stations[s].begin(), stations[s].end());
            }
        }
        if (!shown.empty()) {
            colours[f] = medianColour(shown);
        }
    }
    const std::vector<int> found = sidesOf(kFeatureReach);
    std::vector<FeatureSide> followed;
    for (size_t s = 0; s < sides.size(); ++s) {
        if (found[s] >= 0) {
            followed.push_back({sides[s], found[s]});
        }
    }
    for (size_t h = 0; h < hexes.size(); ++h) {
        const int f =
            featureThrough(picture, grid, hexes[h], hexColour(static_cast<int>(h)), colours);
        if (f >= 0) {
            followed.push_back({{static_cast<int>(h), kThrough}, f});
        }
    }
    return followed;
}

}  // namespace tessara
