#include "scale_bar.h"

#include <QFontMetricsF>
#include <QLineF>
#include <array>

#include "labels.h"
#include "landscape.h"

namespace tessara {

namespace {

const QColor kInk(52, 40, 32);
// Every size in the panel, in kilometres of the map, so the panel scales with it.
constexpr double kMargin = 0.8;
constexpr double kPadding = 1.6;
constexpr double kHeight = 5.4;
constexpr double kBarFromBottom = 1.2;
constexpr double kBarThickness = 0.32;

// The bar's pieces as [from, to) in km and whether each is inked: five single kilometres
// for measuring short distances, then 5-10 and 10-20.
struct Piece {
    double from;
    double to;
    bool dark;
};
constexpr std::array<Piece, 7> kPieces{{{0, 1, true},
                                        {1, 2, false},
                                        {2, 3, true},
                                        {3, 4, false},
                                        {4, 5, true},
                                        {5, 10, false},
                                        {10, 20, true}}};
constexpr std::array<int, 4> kLabelled{0, 5, 10, 20};

void drawBar(QPainter& painter, QLineF ends, double km) {
    double top = ends.y1() - kBarThickness * km / 2;
    painter.setPen(Qt::NoPen);
    for (const Piece& piece : kPieces) {
        painter.setBrush(piece.dark ? kInk : kPaper);
        painter.drawRect(QRectF(ends.x1() + piece.from * km, top, (piece.to - piece.from) * km,
                                kBarThickness * km));
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kInk, 0.05 * km, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(QRectF(ends.x1(), top, kScaleBarKm * km, kBarThickness * km));

    QFont font = mapFont(0.5 * km);
    QFontMetricsF metrics(font);
    painter.setFont(font);
    for (int mark : kLabelled) {
        double x = ends.x1() + mark * km;
        // Ticks above the bar: the points to click when measuring.
        painter.drawLine(QPointF(x, top - 0.3 * km), QPointF(x, top + kBarThickness * km));
        QString text = QString::number(mark);
        painter.drawText(QPointF(x - metrics.horizontalAdvance(text) / 2, top - 0.45 * km), text);
    }
    painter.drawText(QPointF(ends.x2() + 0.45 * km, ends.y1() + metrics.ascent() / 2.6), "km");
}

}  // namespace

QRectF cartoucheRect(QSize size, double pixelsPerKm) {
    double km = pixelsPerKm;
    double width = (kScaleBarKm + 2 * kPadding) * km;
    double height = kHeight * km;
    return {kMargin * km, size.height() - kMargin * km - height, width, height};
}

QLineF scaleBarEnds(QSize size, double pixelsPerKm) {
    QRectF panel = cartoucheRect(size, pixelsPerKm);
    double left = panel.left() + kPadding * pixelsPerKm;
    double y = panel.bottom() - kBarFromBottom * pixelsPerKm;
    return {left, y, left + kScaleBarKm * pixelsPerKm, y};
}

void drawCartouche(QPainter& painter, QSize size, double pixelsPerKm, const QString& region) {
    double km = pixelsPerKm;
    QRectF panel = cartoucheRect(size, km);
    painter.save();
    painter.setPen(QPen(kInk, 0.07 * km));
    painter.setBrush(kPaper);
    painter.drawRect(panel);
    painter.setPen(QPen(kInk, 0.025 * km));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(panel.adjusted(0.18 * km, 0.18 * km, -0.18 * km, -0.18 * km));

    QFont title = mapFont(1.1 * km, true, false, 112);
    painter.setFont(title);
    painter.setPen(kInk);
    double left = panel.left() + kPadding * km;
    painter.drawText(QPointF(left, panel.top() + 1.75 * km), region.toUpper());
    painter.setFont(mapFont(0.5 * km, false, true));
    painter.drawText(QPointF(left, panel.top() + 2.6 * km),
                     QStringLiteral("Contour interval %1 metres").arg(kContourMetres));
    drawBar(painter, scaleBarEnds(size, km), km);
    painter.restore();
}

}  // namespace tessara
