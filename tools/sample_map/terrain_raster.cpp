#include "terrain_raster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace tessara {

namespace {

struct Colour {
    double r;
    double g;
    double b;
};

Colour mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour scaled(Colour c, double factor) {
    return {c.r * factor, c.g * factor, c.b * factor};
}

QRgb toRgb(Colour c) {
    auto channel = [](double v) { return static_cast<int>(std::clamp(v + 0.5, 0.0, 255.0)); };
    return qRgb(channel(c.r), channel(c.g), channel(c.b));
}

// How much of a pixel a line `width` pixels wide covers when the pixel's centre is
// `distance` pixels from the line's middle: a cheap, steady anti-aliasing.
double lineCover(double distance, double width) {
    return std::clamp(width / 2 + 0.5 - std::abs(distance), 0.0, 1.0);
}

// The muted inks of a printed map.
constexpr Colour kDeepSea{146, 176, 188};
constexpr Colour kShallowSea{180, 203, 204};
constexpr Colour kWaterLine{120, 152, 170};
constexpr Colour kCoast{62, 92, 112};
constexpr Colour kSand{236, 226, 184};
constexpr Colour kWoods{158, 178, 118};
constexpr Colour kWoodsEdge{96, 122, 72};
constexpr Colour kContour{150, 112, 74};
constexpr std::array<Colour, 5> kHeightTints{
    {{234, 229, 202}, {226, 218, 180}, {216, 200, 154}, {200, 178, 132}, {184, 160, 118}}};

Colour heightTint(double share) {
    double position = std::clamp(share, 0.0, 1.0) * (kHeightTints.size() - 1);
    auto low = std::min(static_cast<std::size_t>(position), kHeightTints.size() - 2);
    return mix(kHeightTints[low], kHeightTints[low + 1], position - low);
}

// Three consecutive pixel rows of a field, so that its slope at the middle one is at hand.
class RowWindow {
  public:
    RowWindow(const CoarseField& field, int width) : field_(field), width_(width) {}

    void moveTo(int y, int lastRow) {
        std::array<std::vector<float>, 3> rows;
        std::array<int, 3> loaded{};
        for (int k = 0; k < 3; ++k) {
            loaded[k] = std::clamp(y - 1 + k, 0, lastRow);
            // Two of the three rows were already there for the row before.
            auto found = std::find(loaded_.begin(), loaded_.end(), loaded[k]);
            if (found != loaded_.end()) {
                rows[k] = rows_[found - loaded_.begin()];
            } else {
                field_.resampleRow(loaded[k], width_, rows[k]);
            }
        }
        rows_ = std::move(rows);
        loaded_ = loaded;
    }
    double at(int x) const { return rows_[1][x]; }
    // Change per pixel across and down.
    double slopeX(int x) const {
        int left = std::max(x - 1, 0);
        int right = std::min(x + 1, width_ - 1);
        return (rows_[1][right] - rows_[1][left]) / std::max(right - left, 1);
    }
    double slopeY(int x) const { return (rows_[2][x] - rows_[0][x]) / 2; }

  private:
    const CoarseField& field_;
    int width_;
    std::array<std::vector<float>, 3> rows_;
    std::array<int, 3> loaded_{-1, -1, -1};
};

// What the colouring needs to know about one pixel.
struct Ground {
    double height;
    double share;      // of the highest land, 0 on the shore
    double slope;      // height per pixel
    double fromCoast;  // pixels, positive inland
    double intoWoods;  // pixels, positive inside
    double shade;      // 1 on flat ground
};

struct Style {
    double scale;
    double contourLevels;
    double relief;  // how much steeper than true the shading makes the land
};

Colour seaColour(const Landscape& land, const Ground& ground, const Style& style) {
    double depth = (land.seaLevel - ground.height) / land.seaLevel;
    Colour colour = mix(kShallowSea, kDeepSea, std::clamp(depth * 4, 0.0, 1.0));
    // Water-lines: the old engraver's rings along the shore.
    for (int ring = 1; ring <= 3; ++ring) {
        double cover = lineCover(-ground.fromCoast - ring * 11 * style.scale, 1.3 * style.scale);
        colour = mix(colour, kWaterLine, cover * (0.75 - 0.18 * ring));
    }
    return colour;
}

Colour landColour(const Ground& ground, const Style& style) {
    Colour colour = heightTint(ground.share);
    colour =
        mix(colour, kSand, std::clamp(1.0 - (ground.fromCoast - 4 * style.scale) / 3, 0.0, 1.0));
    double woods = std::clamp(ground.intoWoods + 0.5, 0.0, 1.0);
    colour = mix(colour, kWoods, 0.85 * woods);
    colour = mix(colour, kWoodsEdge,
                 0.8 * lineCover(ground.intoWoods - 1.2 * style.scale, 1.8 * style.scale));
    colour = scaled(colour, ground.shade);
    // Contours, every fifth one heavier, as on a survey sheet.
    double level = ground.share * style.contourLevels;
    double nearest = std::round(level);
    if (nearest >= 1) {
        double perPixel = std::max(ground.slope * style.contourLevels, 1e-6);
        double distance = (level - nearest) / perPixel;
        bool index = static_cast<int>(nearest) % 5 == 0;
        double width = (index ? 1.9 : 1.1) * style.scale;
        colour = mix(colour, kContour, (index ? 0.7 : 0.45) * lineCover(distance, width));
    }
    return colour;
}

Ground groundAt(const Landscape& land, const RowWindow& height, const RowWindow& wetness, int x,
                const Style& style) {
    Ground ground{};
    ground.height = height.at(x);
    double gx = height.slopeX(x);
    double gy = height.slopeY(x);
    ground.slope = std::max(std::sqrt(gx * gx + gy * gy), 1e-9);
    double landSpan = 1.0 - land.seaLevel;
    ground.share = land.landShare(ground.height);
    ground.slope /= landSpan;
    ground.fromCoast = ground.share / ground.slope;

    double wx = wetness.slopeX(x);
    double wy = wetness.slopeY(x);
    double wetSlope = std::max(std::sqrt(wx * wx + wy * wy), 1e-9);
    // How far inside the woods is the nearest of their three edges, which is close enough to
    // a distance for a line a pixel or two wide.
    double wet = (wetness.at(x) - land.woodsLevel) / wetSlope;
    double aboveShore = (ground.share - kWoodsLowest) / ground.slope;
    double belowTops = (kWoodsHighest - ground.share) / ground.slope;
    ground.intoWoods = std::min({wet, aboveShore, belowTops});

    // Lambert shading with the light from the north-west, normalised so flat ground is 1.
    double nx = -gx / landSpan * style.relief;
    double ny = -gy / landSpan * style.relief;
    constexpr double lx = -0.5, ly = -0.5, lz = 0.7071;
    double dot = (nx * lx + ny * ly + lz) / std::sqrt(nx * nx + ny * ny + 1.0);
    ground.shade = std::clamp(0.35 + 0.65 * dot / lz, 0.55, 1.12);
    return ground;
}

}  // namespace

double lineScale(QSize size) {
    return std::max(size.width() / 4000.0, 0.3);
}

void paintTerrain(QImage& image, const Landscape& land) {
    int width = image.width();
    int lastRow = image.height() - 1;
    // Heights are shares of the highest land over a pixel of 1000 / pixelsPerKm metres; the
    // shading steepens them threefold so gentle hills still read.
    Style style{lineScale(land.size), kHighestMetres / kContourMetres,
                3.0 * kHighestMetres * land.pixelsPerKm / 1000};
    RowWindow height(land.height, width);
    RowWindow wetness(land.wetness, width);
    for (int y = 0; y <= lastRow; ++y) {
        height.moveTo(y, lastRow);
        wetness.moveTo(y, lastRow);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            Ground ground = groundAt(land, height, wetness, x, style);
            Colour colour = ground.height < land.seaLevel ? seaColour(land, ground, style)
                                                          : landColour(ground, style);
            colour = mix(colour, kCoast, lineCover(ground.fromCoast, 2.2 * style.scale));
            line[x] = toRgb(colour);
        }
    }
}

}  // namespace tessara
