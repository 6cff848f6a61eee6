#include "grid/number_stamps.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

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

NumberPlan planNumbers(const GridLayout& layout, double width, double height,
                       const HexNumbering& numbering) {
    NumberPlan plan;
    plan.hexes = numberedHexes(layout, width, height, numbering);
    int columnWidth = 0;
    int rowWidth = 0;
    for (const NumberedHex& hex : plan.hexes) {
        columnWidth = std::max(columnWidth, paddedWidth(hex.column));
        rowWidth = std::max(rowWidth, paddedWidth(hex.row));
    }
    double size = numberSize(layout, numbering);
    NumberStamps measure(size, Qt::black, numbering.halo);
    double widest = 0;
    plan.labels.reserve(plan.hexes.size());
    for (const NumberedHex& hex : plan.hexes) {
        plan.labels.push_back(hexLabel(numbering, hex.column, hex.row, columnWidth, rowWidth));
        widest = std::max(widest, measure.width(plan.labels.back()));
    }
    const double room = roomForLabel(layout, numbering);
    if (widest > room) {
        size *= room / widest;
    }
    if (size < kSmallestNumber && !plan.hexes.empty()) {
        // Text and room both grow with the hex, so the share found here holds for any size;
        // rounded up to the hundredth, past the last bits of the division's error.
        const double share = size / layout.hexSize;
        const bool fixedTooSmall =
            numbering.sizePoints && numberSize(layout, numbering) < kSmallestNumber;
        // A size in points too small to read stays so on any hex: no hex size is named.
        plan.leftOut = NumbersLeftOut{
            fixedTooSmall ? 0 : std::ceil(kSmallestNumber / share * 100 - 1e-6) / 100};
        plan.hexes.clear();
        plan.labels.clear();
    }
    plan.textHeight = size;
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
