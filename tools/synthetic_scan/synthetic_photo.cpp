#include "synthetic_photo.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tessara::synthetic {
namespace {

constexpr int kSupersample = 2;

double radians(double degrees) {
    return degrees * std::numbers::pi / 180;
}

using Matrix3 = std::array<double, 9>;

Matrix3 times(const Matrix3& a, const Matrix3& b) {
    return (Homography{a} * Homography{b}).m;
}

// The board turned by `tilt` about an axis in its plane at `axis` to its x, then by `turn`
// about the camera's axis: a rotation, row by row.
Matrix3 cameraRotation(double tilt, double axis, double turn) {
    const double t = radians(tilt);
    const double a = radians(axis);
    const double ux = std::cos(a);
    const double uy = std::sin(a);
    const double c = std::cos(t);
    const double s = std::sin(t);
    // Rodrigues' formula about the unit axis (ux, uy, 0).
    const Matrix3 tilted = {c + ux * ux * (1 - c),
                            ux * uy * (1 - c),
                            uy * s,
                            ux * uy * (1 - c),
                            c + uy * uy * (1 - c),
                            -ux * s,
                            -uy * s,
                            ux * s,
                            c};
    const double r = radians(turn);
    const Matrix3 turned = {std::cos(r), -std::sin(r), 0, std::sin(r), std::cos(r), 0, 0, 0, 1};
    return times(turned, tilted);
}

// A wooden table: warm brown with the grain's streaks along x, a little wavy.
QRgb tableAt(double x, double y) {
    const double streak = std::sin(0.11 * y + 2.5 * std::sin(0.013 * x) + 0.7 * std::sin(0.05 * y));
    const double knot = std::sin(0.031 * x + 0.017 * y);
    const double shade = 0.8 + 0.12 * streak + 0.06 * knot;
    return qRgb(static_cast<int>(140 * shade), static_cast<int>(96 * shade),
                static_cast<int>(60 * shade));
}

int clampByte(double value) {
    return std::clamp(static_cast<int>(std::lround(value)), 0, 255);
}

// A hand holding the board down at its near edge, a third of the way along: a palm off the
// board and four fingers reaching onto it, with their soft shadow.
void drawHand(QPainter& painter, const PhotoTruth& truth, const PhotoRecipe& recipe) {
    const QSizeF b(recipe.board.size);
    const std::optional<QPointF> edge = truth.toPhoto(QPointF(0.3 * b.width(), b.height()));
    const std::optional<QPointF> inwards =
        truth.toPhoto(QPointF(0.3 * b.width(), 0.8 * b.height()));
    if (!edge || !inwards) {
        return;
    }
    const double d = std::hypot(recipe.size.width(), recipe.size.height());
    const QPointF towards = *inwards - *edge;
    const double angle = std::atan2(towards.y(), towards.x()) * 180 / std::numbers::pi;
    QPainterPath hand;
    hand.addEllipse(QPointF(-0.05 * d, 0), 0.055 * d, 0.07 * d);
    for (int f = 0; f < 4; ++f) {
        const double across = (f - 1.5) * 0.026 * d;
        const double length = (f == 0 || f == 3 ? 0.06 : 0.075) * d;
        hand.addRoundedRect(QRectF(-0.01 * d, across - 0.011 * d, length, 0.022 * d), 0.011 * d,
                            0.011 * d);
    }
    hand.setFillRule(Qt::WindingFill);
    painter.save();
    painter.translate(*edge);
    painter.rotate(angle);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 70));
    painter.drawPath(hand.translated(0, 0.012 * d));
    painter.setBrush(QColor(222, 170, 138));
    painter.drawPath(hand);
    painter.restore();
}

// The game's box, its lid dark red with pale stripes and lettering: straight lines and
// strokes that are no part of the grid, over the board's corner.
void drawBox(QPainter& painter, const PhotoTruth& truth, const PhotoRecipe& recipe) {
    const QSizeF b(recipe.board.size);
    const std::optional<QPointF> corner = truth.toPhoto(QPointF(b.width(), b.height()));
    if (!corner) {
        return;
    }
    const double d = std::hypot(recipe.size.width(), recipe.size.height());
    const QRectF lid(-0.02 * d, -0.06 * d, 0.3 * d, 0.2 * d);
    painter.save();
    painter.translate(*corner);
    painter.rotate(-12);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 80));
    painter.drawRect(lid.translated(0.01 * d, 0.01 * d));
    painter.setBrush(QColor(130, 28, 30));
    painter.drawRect(lid);
    painter.setPen(QPen(QColor(235, 220, 190), 0.004 * d));
    for (int k = 1; k <= 3; ++k) {
        const double y = lid.top() + k * 0.012 * d;
        painter.drawLine(QPointF(lid.left(), y), QPointF(lid.right(), y));
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(8, static_cast<int>(0.045 * d)));
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(lid.adjusted(0.01 * d, 0.06 * d, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("HEX WAR"));
    painter.restore();
}

}  // namespace

QPointF PhotoFold::at(QPointF flat) const {
    if (amplitude == 0) {
        return {};
    }
    const double s = QPointF::dotProduct(normal, flat - through) / width;
    return normal * (amplitude * std::exp(-s * s / 2));
}

QPointF PhotoFold::unfolded(QPointF photo) const {
    // The fold's slope is at most amplitude / (width sqrt(e)), a tenth or less: each
    // fixed-point step gains a digit.
    QPointF flat = photo;
    for (int k = 0; k < 20 && amplitude != 0; ++k) {
        flat = photo - at(flat);
    }
    return flat;
}

std::optional<QPointF> PhotoTruth::toPhoto(QPointF boardPoint) const {
    const std::optional<QPointF> u = board.map(boardPoint);
    if (!u) {
        return std::nullopt;
    }
    const QPointF flat = lens.distorted(*u);
    return flat + fold.at(flat);
}

PhotoRecipe tiltedBoardPhoto(QSize boardSize) {
    PhotoRecipe recipe;
    recipe.board.size = boardSize;
    recipe.board.grid.hexPixels = 50;
    recipe.board.grid.rotation = 1.3;
    recipe.board.grid.offsetX = 5.2;
    recipe.board.grid.offsetY = -3.7;
    recipe.board.lineWidth = 2;
    recipe.board.lineGrey = 30;
    recipe.board.margin = 24;
    recipe.tilt = 15;
    recipe.turn = 4;
    recipe.k1 = -0.05;
    return recipe;
}

PhotoTruth photoTruth(const PhotoRecipe& recipe) {
    const QSizeF boardSize(recipe.board.size);
    const QSizeF photo(recipe.size);
    const double boardHalfDiagonal = std::hypot(boardSize.width(), boardSize.height()) / 2;
    const double photoHalfDiagonal = std::hypot(photo.width(), photo.height()) / 2;
    // The camera's focal length in photo pixels, and its distance from the board's centre in
    // board pixels such that the board seen straight on fills `fill` of the diagonal.
    const double halfField = std::tan(radians(recipe.fieldOfView / 2));
    const double focal = photoHalfDiagonal / halfField;
    const double distance = boardHalfDiagonal / (recipe.fill * halfField);
    const Matrix3 r = cameraRotation(recipe.tilt, recipe.tiltAxis, recipe.turn);
    // Board pixel (x, y) is the point (x - cx, y - cy, 0) on the table; the camera sees
    // R X + (0, 0, distance) and puts it at focal (X / Z, Y / Z) about the photo's centre.
    const QPointF boardCentre((boardSize.width() - 1) / 2, (boardSize.height() - 1) / 2);
    const Matrix3 centred = {1, 0, -boardCentre.x(), 0, 1, -boardCentre.y(), 0, 0, 1};
    const Matrix3 placed = {r[0], r[1], 0, r[3], r[4], 0, r[6], r[7], distance};
    const PhotoLens lens = PhotoLens::of(photo, recipe.k1);
    const Matrix3 camera = {focal, 0, lens.centre.x(), 0, focal, lens.centre.y(), 0, 0, 1};
    const double a = radians(recipe.foldAngle);
    const PhotoFold fold{lens.centre, QPointF(-std::sin(a), std::cos(a)), recipe.fold,
                         recipe.foldWidth};
    return {Homography{times(camera, times(placed, centred))}.normalised(), lens, fold};
}

QSizeF paperOnFlatBoard(const ScanRecipe& board, double hexPixels) {
    const double scale = hexPixels / *board.grid.hexPixels;
    const double turn = radians(std::abs(board.grid.rotation));
    const QSizeF paper(board.size);
    return {scale * (paper.width() * std::cos(turn) + paper.height() * std::sin(turn)),
            scale * (paper.height() * std::cos(turn) + paper.width() * std::sin(turn))};
}

QImage drawPhoto(const PhotoRecipe& recipe) {
    const PhotoTruth truth = photoTruth(recipe);
    const std::optional<Homography> back = truth.board.inverted();
    QImage board = drawScan(recipe.board);
    const int w = recipe.size.width() * kSupersample;
    const int h = recipe.size.height() * kSupersample;
    // Where each sample of the large photo comes from on the board.
    cv::Mat mapX(h, w, CV_32FC1);
    cv::Mat mapY(h, w, CV_32FC1);
    for (int y = 0; y < h; ++y) {
        auto* xs = mapX.ptr<float>(y);
        auto* ys = mapY.ptr<float>(y);
        for (int x = 0; x < w; ++x) {
            const QPointF p((x + 0.5) / kSupersample - 0.5, (y + 0.5) / kSupersample - 0.5);
            const std::optional<QPointF> u = truth.lens.undistorted(truth.fold.unfolded(p));
            const std::optional<QPointF> q = u && back ? back->map(*u) : std::nullopt;
            xs[x] = q ? static_cast<float>(q->x()) : -1000.0f;
            ys[x] = q ? static_cast<float>(q->y()) : -1000.0f;
        }
    }
    const cv::Mat boardPixels(board.height(), board.width(), CV_8UC4, board.bits(),
                              static_cast<size_t>(board.bytesPerLine()));
    cv::Mat seen;
    cv::remap(boardPixels, seen, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_CONSTANT,
              cv::Scalar(0, 0, 0, 0));
    // The board's own cover of each sample, soft at its edge: the alpha channel.
    cv::Mat opaque(board.height(), board.width(), CV_8UC1, cv::Scalar(255));
    cv::Mat cover;
    cv::remap(opaque, cover, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
    cv::Mat large(h, w, CV_8UC4);
    for (int y = 0; y < h; ++y) {
        const auto* from = seen.ptr<cv::Vec4b>(y);
        const auto* alpha = cover.ptr<std::uint8_t>(y);
        auto* to = large.ptr<cv::Vec4b>(y);
        for (int x = 0; x < w; ++x) {
            const QRgb table = tableAt(x / double(kSupersample), y / double(kSupersample));
            const double a = alpha[x] / 255.0;
            to[x] = cv::Vec4b(static_cast<uchar>(a * from[x][0] + (1 - a) * qBlue(table)),
                              static_cast<uchar>(a * from[x][1] + (1 - a) * qGreen(table)),
                              static_cast<uchar>(a * from[x][2] + (1 - a) * qRed(table)), 255);
        }
    }
    QImage photo(recipe.size, QImage::Format_RGB32);
    cv::Mat small(photo.height(), photo.width(), CV_8UC4, photo.bits(),
                  static_cast<size_t>(photo.bytesPerLine()));
    cv::resize(large, small, small.size(), 0, 0, cv::INTER_AREA);
    if (recipe.hand || recipe.box) {
        QPainter painter(&photo);
        painter.setRenderHint(QPainter::Antialiasing);
        if (recipe.box) {
            drawBox(painter, truth, recipe);
        }
        if (recipe.hand) {
            drawHand(painter, truth, recipe);
        }
    }
    // Uneven light: a window on one side, falling off across the photo and to its corners;
    // glare where the window shines back; and the sensor's grain, the same on the three
    // channels.
    cv::RNG random(recipe.seed);
    const QPointF c = truth.lens.centre;
    const QPointF shine(recipe.glareAt.x() * photo.width(), recipe.glareAt.y() * photo.height());
    const double spread = recipe.glareRadius * std::hypot(photo.width(), photo.height());
    for (int y = 0; y < photo.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x) {
            const double across = (x + 0.6 * y) / (photo.width() + 0.6 * photo.height());
            const double r2 =
                (std::pow(x - c.x(), 2) + std::pow(y - c.y(), 2)) / std::pow(truth.lens.radius, 2);
            const double gain = (1 - recipe.light * across) * (1 - 0.3 * recipe.light * r2);
            const double noise = random.gaussian(recipe.grain);
            const double g2 =
                (std::pow(x - shine.x(), 2) + std::pow(y - shine.y(), 2)) / (2 * spread * spread);
            const double glare = recipe.glare > 0 ? recipe.glare * std::exp(-g2) : 0;
            const QRgb v = line[x];
            const auto lit = [&](int channel) {
                const double seen = channel * gain;
                return clampByte(seen + (255 - seen) * glare + noise);
            };
            line[x] = qRgb(lit(qRed(v)), lit(qGreen(v)), lit(qBlue(v)));
        }
    }
    return recipe.jpegQuality > 0 ? throughJpeg(photo, recipe.jpegQuality) : photo;
}

}  // namespace tessara::synthetic
