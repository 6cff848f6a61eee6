#include "synthetic_scan.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <vector>

#include "grid/grid_layout.h"
#include "scan_features.h"
#include "scan_terrain.h"

namespace tessara::synthetic {
namespace {

QVector<QLineF> hexLines(const ScanRecipe& recipe, const QRectF& area) {
    const GridLayout layout =
        layoutGrid(recipe.size.width(), recipe.size.height(), 1, 1, recipe.grid);
    QVector<QLineF> lines;
    traceGrid(layout, area.adjusted(-2, -2, 2, 2),
              [&lines](QPointF from, QPointF to) { lines.append(QLineF(from, to)); });
    return lines;
}

// Lines `squarePixels` apart both ways through the offset, turned about the picture's centre.
QVector<QLineF> squareLines(const ScanRecipe& recipe) {
    const QPointF centre(recipe.size.width() / 2.0, recipe.size.height() / 2.0);
    const double s = recipe.squarePixels;
    const double reach = std::hypot(recipe.size.width(), recipe.size.height());
    const int count = static_cast<int>(reach / s) + 2;
    QTransform turn;
    turn.translate(centre.x(), centre.y());
    turn.rotate(recipe.grid.rotation);
    turn.translate(-centre.x(), -centre.y());
    QVector<QLineF> lines;
    for (int k = -count; k <= count; ++k) {
        const double x = centre.x() + recipe.grid.offsetX + k * s;
        const double y = centre.y() + recipe.grid.offsetY + k * s;
        lines.append(turn.map(QLineF(x, centre.y() - reach, x, centre.y() + reach)));
        lines.append(turn.map(QLineF(centre.x() - reach, y, centre.x() + reach, y)));
    }
    return lines;
}

// How much of each pixel the grid's lines cover, 0 to 255.
QImage gridInk(const ScanRecipe& recipe) {
    QImage ink(recipe.size, QImage::Format_Alpha8);
    ink.fill(0);
    if (recipe.pattern == Pattern::None) {
        return ink;
    }
    const QRectF area = printedArea(recipe);
    QPainter painter(&ink);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(area);
    // Tessara names a pixel by its centre; Qt paints pixel (0, 0) over the square from (0, 0)
    // to (1, 1), whose centre is (0.5, 0.5).
    painter.translate(0.5, 0.5);
    painter.setPen(QPen(Qt::black, recipe.lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.drawLines(recipe.pattern == Pattern::Hex ? hexLines(recipe, area)
                                                     : squareLines(recipe));
    return ink;
}

// Printed ink darkens what is under it: the colour times the ink's grey where it covers.
void printInk(QImage& picture, const QImage& ink, int grey) {
    const int strength = 255 - grey;
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        const uchar* cover = ink.constScanLine(y);
        for (int x = 0; x < picture.width(); ++x) {
            if (cover[x] == 0) {
                continue;
            }
            const int keep = 255 * 255 - cover[x] * strength;
            const auto darken = [keep](int c) { return (c * keep + 255 * 255 / 2) / (255 * 255); };
            const QRgb c = line[x];
            line[x] = qRgb(darken(qRed(c)), darken(qGreen(c)), darken(qBlue(c)));
        }
    }
}

void whiteMargin(QPainter& painter, const QRectF& area, QSize size) {
    QPainterPath paper;
    paper.addRect(QRectF(QPointF(0, 0), size));
    QPainterPath printed;
    printed.addRect(area);
    painter.fillPath(paper.subtracted(printed), Qt::white);
    // The neat line round the printed area.
    painter.setPen(QPen(QColor(20, 20, 20), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(-1, -1, 1, 1));
}

// A Gaussian blur of the three channels, along the rows and then down the columns.
void soften(QImage& picture, double sigma) {
    const int reach = static_cast<int>(std::ceil(3 * sigma));
    if (reach < 1) {
        return;
    }
    std::vector<double> kernel(static_cast<size_t>(2 * reach + 1));
    double sum = 0;
    for (int k = -reach; k <= reach; ++k) {
        sum += kernel[static_cast<size_t>(k + reach)] = std::exp(-0.5 * k * k / (sigma * sigma));
    }
    for (double& w : kernel) {
        w /= sum;
    }
    const int width = picture.width();
    const int height = picture.height();
    const auto pass = [&](int lines, int length, auto&& at) {
        std::vector<QRgb> line(static_cast<size_t>(length));
        for (int i = 0; i < lines; ++i) {
            for (int j = 0; j < length; ++j) {
                line[static_cast<size_t>(j)] = at(i, j);
            }
            for (int j = 0; j < length; ++j) {
                double r = 0, g = 0, b = 0;
                for (int k = -reach; k <= reach; ++k) {
                    const QRgb c = line[static_cast<size_t>(std::clamp(j + k, 0, length - 1))];
                    const double w = kernel[static_cast<size_t>(k + reach)];
                    r += w * qRed(c);
                    g += w * qGreen(c);
                    b += w * qBlue(c);
                }
                at(i, j) = qRgb(static_cast<int>(r + 0.5), static_cast<int>(g + 0.5),
                                static_cast<int>(b + 0.5));
            }
        }
    };
    const auto pixel = [&picture](int y, int x) -> QRgb& {
        return reinterpret_cast<QRgb*>(picture.scanLine(y))[x];
    };
    pass(height, width, pixel);
    pass(width, height, [&pixel](int x, int y) -> QRgb& { return pixel(y, x); });
}

int clampByte(double value) {
    return std::clamp(static_cast<int>(std::lround(value)), 0, 255);
}

// The scanner's grain: nearly normal noise, the same on the three channels.
void addGrain(QImage& picture, double sigma, std::uint64_t seed) {
    if (sigma <= 0) {
        return;
    }
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const std::uint64_t bits = mix64(seed ^ (static_cast<std::uint64_t>(y) << 32 | x));
            const double sum = static_cast<double>(bits & 0xFFFF) +
                               static_cast<double>((bits >> 16) & 0xFFFF) +
                               static_cast<double>((bits >> 32) & 0xFFFF);
            // Three uniform numbers in [0, 1) have a sum of variance 1/4.
            const double noise = (sum / 65536.0 - 1.5) * 2 * sigma;
            const QRgb c = line[x];
            line[x] = qRgb(clampByte(qRed(c) + noise), clampByte(qGreen(c) + noise),
                           clampByte(qBlue(c) + noise));
        }
    }
}

}  // namespace

QRectF printedArea(const ScanRecipe& recipe) {
    const double m = recipe.margin;
    return QRectF(QPointF(0, 0), recipe.size).adjusted(m, m, -m, -m);
}

QImage drawScan(const ScanRecipe& recipe) {
    Random random(recipe.seed);
    Random terrainRandom = random.branch(1);
    Random featureRandom = random.branch(2);
    const QRectF area = printedArea(recipe);
    QImage picture(recipe.size, QImage::Format_RGB32);
    picture.fill(qRgb(250, 250, 246));
    if (recipe.terrain) {
        paintTerrain(picture, terrainRandom);
    }
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    if (recipe.features) {
        paintRiverAndRoad(painter, area, featureRandom);
    }
    painter.end();
    printInk(picture, gridInk(recipe), recipe.lineGrey);
    painter.begin(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    if (recipe.features) {
        paintLabels(painter, area, featureRandom);
    }
    if (recipe.margin > 0) {
        whiteMargin(painter, area, recipe.size);
        paintTitle(painter, area, recipe.size);
    }
    painter.end();
    soften(picture, std::min(recipe.blur, 2.0));
    addGrain(picture, recipe.grain, random.next());
    return recipe.jpegQuality > 0 ? throughJpeg(picture, recipe.jpegQuality) : picture;
}

QImage drawSideBySide(const ScanRecipe& left, const ScanRecipe& right) {
    QImage sheet(left.size.width() + right.size.width(),
                 std::max(left.size.height(), right.size.height()), QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.drawImage(0, 0, drawScan(left));
    painter.drawImage(left.size.width(), 0, drawScan(right));
    return sheet;
}

QImage throughJpeg(const QImage& picture, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.write(picture);
    buffer.close();
    return QImage::fromData(bytes, "jpeg").convertToFormat(QImage::Format_RGB32);
}

QImage scanSection(const QImage& map, const SectionCut& cut) {
    const QSize size(static_cast<int>(cut.part.width() * cut.scale),
                     static_cast<int>(cut.part.height() * cut.scale));
    const QPointF from = QRectF(cut.part).center();
    QTransform onSection;
    onSection.translate(size.width() / 2.0, size.height() / 2.0);
    onSection.rotate(cut.turn);
    onSection.scale(cut.scale, cut.scale);
    onSection.translate(-from.x(), -from.y());
    QImage section(size, QImage::Format_RGB32);
    section.fill(Qt::white);
    QPainter paint(&section);
    paint.setRenderHint(QPainter::SmoothPixmapTransform);
    paint.setTransform(onSection);
    paint.drawImage(0, 0, map);
    paint.end();
    addGrain(section, cut.grain, mix64(cut.seed));
    return section;
}

}  // namespace tessara::synthetic
