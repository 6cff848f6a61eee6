#include "grid/number_stamps.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <vector>

#include "image/opacity.h"

namespace tessara {

QFont numberFont(double pixelSize) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize))));
    font.setHintingPreference(QFont::PreferNoHinting);  // the same shapes at every place
    return font;
}

NumberStamps::NumberStamps(double pixelSize, const QColor& colour, NumberHalo halo, int opacity)
    : font_(numberFont(pixelSize)),
      colour_(colour),
      halo_(halo),
      opacity_(opacity),
      haloWidth_(std::max(1.5, pixelSize / 6)),
      capHeight_(QFontMetricsF(font_).capHeight()) {}

const NumberStamps::Glyph& NumberStamps::glyph(QChar character) {
    const char16_t code = character.unicode();
    if (code < ascii_.size() && ascii_[code] != nullptr) {
        return *ascii_[code];
    }
    const auto found = glyphs_.find(code);
    if (found != glyphs_.end()) {
        return found->second;
    }
    QPainterPath path;
    path.addText(0, 0, font_, QString(character));
    const double margin = halo_ == NumberHalo::None ? 1 : haloWidth_ + 1;
    const QRectF bounds = path.boundingRect().adjusted(-margin, -margin, margin, margin);
    const QPointF corner(std::floor(bounds.left()), std::floor(bounds.top()));
    QImage image(std::max(1, static_cast<int>(std::ceil(bounds.right() - corner.x()))),
                 std::max(1, static_cast<int>(std::ceil(bounds.bottom() - corner.y()))),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-corner);
    if (halo_ != NumberHalo::None) {
        const QColor ring = halo_ == NumberHalo::White ? Qt::white : Qt::black;
        painter.strokePath(path,
                           QPen(ring, 2 * haloWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    painter.fillPath(path, colour_);
    painter.end();
    if (opacity_ < kMaxOpacity) {
        fadePremultiplied(image, opacity_);
    }
    const double advance = QFontMetricsF(font_).horizontalAdvance(character);
    const Glyph& made = glyphs_.emplace(code, Glyph{image, corner, advance}).first->second;
    if (code < ascii_.size()) {
        ascii_[code] = &made;  // std::map keeps its elements where they are
    }
    return made;
}

double NumberStamps::width(const QString& text) {
    double total = 0;
    for (const QChar character : text) {
        total += glyph(character).advance;
    }
    return total;
}

void NumberStamps::stamp(PictureBox& box, const QString& text, QPointF middle) {
    double pen = middle.x() - width(text) / 2;
    const double baseline = middle.y() + capHeight_ / 2;
    for (const QChar character : text) {
        const Glyph& g = glyph(character);
        box.stamp(g.image, static_cast<int>(std::lround(pen + g.offset.x())),
                  static_cast<int>(std::lround(baseline + g.offset.y())));
        pen += g.advance;
    }
}

namespace {

// The width of the widest label, found without making every label: a label is its column's
// part, its row's part and fixed text, and its width the sum of its characters' advances.
// So the width of the label of column c and row r is a(c) + b(r), with a(c) the width of
// column c's label in the first row and b(r) what row r adds to the first row's width. Each
// column's and row's label is measured once, then every numbered hex's sum is taken.
double widestLabel(const GridLayout& layout, double width, double height,
                   const NumberingFrame& frame, const HexNumbering& numbering,
                   const NumberRange& range, int columnWidth, int rowWidth, NumberStamps& measure) {
    const auto labelWidth = [&](int column, int row) {
        return measure.width(hexLabel(numbering, column, row, columnWidth, rowWidth));
    };
    std::vector<double> columns;
    for (int c = range.firstColumn; c <= range.lastColumn; ++c) {
        columns.push_back(labelWidth(c, range.firstRow));
    }
    const double corner = columns.front();
    std::vector<double> rows;
    for (int r = range.firstRow; r <= range.lastRow; ++r) {
        rows.push_back(labelWidth(range.firstColumn, r) - corner);
    }
    double widest = 0;
    visitNumberedHexes(layout, width, height, frame, numbering, [&](const NumberedHex& hex) {
        widest = std::max(widest, columns[static_cast<size_t>(hex.column - range.firstColumn)] +
                                      rows[static_cast<size_t>(hex.row - range.firstRow)]);
    });
    return widest;
}

}  // namespace

NumberPlan planNumbers(const GridLayout& layout, double width, double height,
                       const HexNumbering& numbering) {
    NumberPlan plan;
    double size = numberSize(layout, numbering);
    plan.textHeight = size;
    const NumberingFrame frame = numberingFrame(layout, width, height);
    const NumberRange range = numberRange(layout, frame, numbering);
    if (range.count == 0) {
        return plan;
    }
    // The longest number of a range is at one of its ends.
    const int columnWidth = std::max(paddedWidth(range.firstColumn), paddedWidth(range.lastColumn));
    const int rowWidth = std::max(paddedWidth(range.firstRow), paddedWidth(range.lastRow));
    NumberStamps measure(size, Qt::black, numbering.halo);
    // Whether the numbers fit is known before any label is made: millions of tiny hexes
    // would otherwise take gigabytes of labels only to be left out.
    const double widest =
        widestLabel(layout, width, height, frame, numbering, range, columnWidth, rowWidth, measure);
    const double room = roomForLabel(layout, numbering);
    if (widest > room) {
        size *= room / widest;
    }
    plan.textHeight = size;
    if (size < kSmallestNumber) {
        // Text and room both grow with the hex, so the share found here holds for any size;
        // rounded up to the hundredth, past the last bits of the division's error.
        const double share = size / layout.hexSize;
        const bool fixedTooSmall =
            numbering.sizePoints && numberSize(layout, numbering) < kSmallestNumber;
        // A size in points too small to read stays so on any hex: no hex size is named.
        plan.leftOut = NumbersLeftOut{
            fixedTooSmall ? 0 : std::ceil(kSmallestNumber / share * 100 - 1e-6) / 100};
        return plan;
    }
    plan.hexes.reserve(static_cast<size_t>(range.count));
    plan.labels.reserve(static_cast<size_t>(range.count));
    visitNumberedHexes(layout, width, height, frame, numbering, [&](const NumberedHex& hex) {
        plan.hexes.push_back(hex);
        plan.labels.push_back(hexLabel(numbering, hex.column, hex.row, columnWidth, rowWidth));
    });
    return plan;
}

std::optional<NumbersLeftOut> drawNumbers(PictureBox& box, const GridLayout& layout,
                                          const HexNumbering& numbering, const QColor& gridColour,
                                          int opacity) {
    const NumberPlan plan = planNumbers(layout, box.pixelWidth(), box.pixelHeight(), numbering);
    NumberStamps stamps(plan.textHeight, numbering.colour.value_or(gridColour), numbering.halo,
                        opacity);
    for (size_t k = 0; k < plan.hexes.size(); ++k) {
        stamps.stamp(box, plan.labels[k],
                     labelMiddle(layout, numbering, plan.hexes[k].centre, plan.textHeight));
    }
    return plan.leftOut;
}

}  // namespace tessara
