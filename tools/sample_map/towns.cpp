#include "towns.h"

#include <QTransform>
#include <algorithm>
#include <cmath>
#include <optional>

#include "labels.h"

namespace tessara {

namespace {

constexpr double kKm2PerTown = 360.0;
constexpr double kSpacingKm = 8.0;
constexpr double kEdgeMarginKm = 3.0;
constexpr int kCandidates = 1500;
const QColor kBuildings(140, 58, 46);
const QColor kBuildingEdge(78, 34, 28);

struct Site {
    QPointF centre;
    double score;
    NameMaker::Place place;
};

// The eight points of the compass, by their cosines and sines.
constexpr double kCompass[8][2] = {{1, 0},  {0.7071, 0.7071},   {0, 1},  {-0.7071, 0.7071},
                                   {-1, 0}, {-0.7071, -0.7071}, {0, -1}, {0.7071, -0.7071}};

bool nearSea(const Landscape& land, QPointF centre, double radius) {
    for (const auto& direction : kCompass) {
        if (land.isSea(centre + QPointF(direction[0], direction[1]) * radius)) {
            return true;
        }
    }
    return land.isSea(centre);
}

bool nearRiver(const Drainage& drainage, QPointF centre) {
    int cell = drainage.cellAt(centre);
    std::vector<int> around = drainage.neighbours(cell);
    around.push_back(cell);
    return std::any_of(around.begin(), around.end(), [&](int c) { return drainage.river(c); });
}

// Low, dry, open ground scores; a river or a harbour scores more; some luck decides.
std::optional<Site> judgeSite(const Landscape& land, const Drainage& drainage, QPointF centre,
                              Random& random) {
    double share = land.landShare(land.height.atPixel(centre));
    double km = land.pixelsPerKm;
    if (share < 0.01 || share > 0.4 || land.inWoods(centre) || nearSea(land, centre, 0.8 * km)) {
        return std::nullopt;
    }
    Site site{centre, random.unit() + 0.4 * (1 - share), NameMaker::Place::Inland};
    if (nearSea(land, centre, 2.5 * km)) {
        site.score += 0.7;
        site.place = NameMaker::Place::Coast;
    } else if (nearRiver(drainage, centre)) {
        site.score += 0.8;
        site.place = NameMaker::Place::River;
    }
    return site;
}

bool farFromAll(const std::vector<Town>& towns, QPointF centre, double distance) {
    return std::all_of(towns.begin(), towns.end(), [&](const Town& town) {
        QPointF d = town.centre - centre;
        return d.x() * d.x() + d.y() * d.y() >= distance * distance;
    });
}

}  // namespace

std::vector<Town> placeTowns(const Landscape& land, const Drainage& drainage,
                             const QRectF& keepClear, NameMaker& names, Random random) {
    double km = land.pixelsPerKm;
    QRectF allowed = QRectF(QPointF(), QSizeF(land.size))
                         .adjusted(kEdgeMarginKm * km, kEdgeMarginKm * km, -kEdgeMarginKm * km,
                                   -kEdgeMarginKm * km);
    QRectF clear = keepClear.adjusted(-2 * km, -2 * km, 2 * km, 2 * km);
    std::vector<Site> sites;
    for (int i = 0; i < kCandidates; ++i) {
        QPointF centre(random.between(allowed.left(), allowed.right()),
                       random.between(allowed.top(), allowed.bottom()));
        std::optional<Site> site = judgeSite(land, drainage, centre, random);
        if (site && !clear.contains(centre)) {
            sites.push_back(*site);
        }
    }
    std::stable_sort(sites.begin(), sites.end(),
                     [](const Site& a, const Site& b) { return a.score > b.score; });

    double areaKm2 = land.size.width() * land.size.height() / (km * km);
    auto wanted = static_cast<std::size_t>(std::lround(areaKm2 / kKm2PerTown));
    std::vector<Town> towns;
    for (const Site& site : sites) {
        if (towns.size() < wanted && farFromAll(towns, site.centre, kSpacingKm * km)) {
            // The best sites grew into the market towns.
            bool large = towns.size() < 2;
            towns.push_back({site.centre, (large ? 1.2 : 0.5) * km, names.town(site.place), large});
        }
    }
    return towns;
}

void drawTowns(QPainter& painter, const Landscape& land, const std::vector<Town>& towns,
               Random random) {
    double km = land.pixelsPerKm;
    painter.save();
    painter.setPen(QPen(kBuildingEdge, std::max(0.02 * km, 0.5)));
    painter.setBrush(kBuildings);
    for (const Town& town : towns) {
        // The streets of a town run one way and across; a unit vector picked at random turns
        // the blocks without any trigonometry.
        double ax = random.between(-1, 1);
        double ay = random.between(0.2, 1);
        double length = std::sqrt(ax * ax + ay * ay);
        ax /= length;
        ay /= length;
        int blocks = town.large ? 26 : 7;
        for (int i = 0; i < blocks; ++i) {
            // A point in the unit disc, pulled in towards the middle where a town is densest.
            QPointF offset;
            do {
                offset = QPointF(random.between(-1, 1), random.between(-1, 1));
            } while (offset.x() * offset.x() + offset.y() * offset.y() > 1);
            QPointF at = town.centre + offset * (town.radius * (0.3 + 0.7 * random.unit()));
            if (land.isSea(at)) {
                continue;
            }
            QSizeF block(random.between(0.18, 0.36) * km, random.between(0.12, 0.22) * km);
            painter.setTransform(QTransform(ax, ay, -ay, ax, at.x(), at.y()));
            painter.drawRect(QRectF(QPointF(-block.width() / 2, -block.height() / 2), block));
        }
    }
    painter.restore();
}

void drawTownNames(QPainter& painter, const Landscape& land, const std::vector<Town>& towns) {
    double km = land.pixelsPerKm;
    for (const Town& town : towns) {
        QFont font = mapFont((town.large ? 1.0 : 0.72) * km, town.large);
        QRectF box = textBox(font, town.name, 0, 0);
        double left = town.centre.x() + town.radius + 0.3 * km;
        // A name that would run off the map goes on the town's other side.
        if (left + box.width() > land.size.width() - 0.3 * km) {
            left = town.centre.x() - town.radius - 0.3 * km - box.width();
        }
        drawLabel(painter, town.name, font, left, town.centre.y(), QColor(40, 32, 28), 0.22 * km);
    }
}

}  // namespace tessara
