#include "grid/grid_export.h"

#include <QFontMetricsF>
#include <QIODevice>
#include <algorithm>
#include <charconv>
#include <new>
#include <string>

#include "grid/grid_generation.h"
#include "grid/grid_layout.h"
#include "grid/grid_messages.h"
#include "grid/hex_grid.h"
#include "grid/number_stamps.h"
#include "image/atomic_file.h"
#include "image/large_image.h"
#include "image/opacity.h"

namespace tessara {
namespace {

QString outOfMemory() {
    return gridFailureFact(GridFailure::OutOfMemory);
}

GridLayout layoutOnMap(int width, int height, const GridSizes& sizes, const GridOptions& options) {
    return layoutGrid(static_cast<Single>(width), static_cast<Single>(height), sizes.hexSize,
                      sizes.mapSize, options);
}

// Why no grid can be laid over a map of this size, in the button's words; empty when one can.
QString layoutProblem(const GridLayout& layout) {
    switch (layout.problem) {
        case GridProblem::NoPictureArea:
            return emptyMapPictureMessage().prompt;
        case GridProblem::TooManyCells:
            return tooManyHexesMessage().prompt;
        case GridProblem::None:
            break;
    }
    return {};
}

// Why the grid has nothing to draw, when it has not; empty when it has.
QString nothingToDraw(const GridOutcome& outcome) {
    return outcome.failure == GridFailure::NothingToDraw ? nothingToDrawFact(outcome.numbersLeftOut)
                                                         : QString();
}

// The button's drawing on a plain picture of one colour; a null image, and why in `outcome`,
// when there is nothing to draw.
QImage drawnOver(QRgb background, int width, int height, const GridSizes& sizes, const GridPen& pen,
                 const GridOptions& options, const HexNumbering& numbering, GridOutcome& outcome) {
    QImage plain = largeImage(width, height);
    if (plain.isNull()) {
        throw std::bad_alloc();
    }
    plain.fill(background);
    PictureBox box(0, 0);
    box.setPicture(Picture(std::move(plain)));
    box.drawOnPicture();  // drawn in place: no second copy of the picture
    // The size was checked before, so only memory, or a grid of nothing, can fail here.
    outcome = drawGridOn(box, sizes, pen, options, numbering);
    if (outcome.failure == GridFailure::NothingToDraw) {
        return {};
    }
    if (outcome.failure != GridFailure::None) {
        throw std::bad_alloc();
    }
    return box.takeLayer();
}

// Over black a pixel shows the drawing's own premultiplied colour; over white, the same
// plus whatever share of the white shows through it. A pixel the grid left alone is all
// background: black over black, white over white. Lines are opaque in any colour, black
// or white included, as both pictures then have the pen's colour there.
void separate(QImage& overBlack, const QImage& overWhite) {
    for (int y = 0; y < overBlack.height(); ++y) {
        auto* dark = reinterpret_cast<QRgb*>(overBlack.scanLine(y));
        const auto* light = reinterpret_cast<const QRgb*>(overWhite.constScanLine(y));
        for (int x = 0; x < overBlack.width(); ++x) {
            const QRgb k = dark[x];
            const QRgb w = light[x];
            const int through =
                (qRed(w) - qRed(k) + qGreen(w) - qGreen(k) + qBlue(w) - qBlue(k) + 1) / 3;
            const int alpha = std::clamp(255 - through, 0, 255);
            dark[x] = qRgba(std::min(qRed(k), alpha), std::min(qGreen(k), alpha),
                            std::min(qBlue(k), alpha), alpha);
        }
    }
    overBlack.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
}

// Thrown at the first write the device refuses: tracing millions of lines stops there, and
// the atomic write reports the device's reason.
struct WriteRefused {};

// The document as it is worked out, a megabyte at a time.
class SvgWriter {
  public:
    explicit SvgWriter(QIODevice& out) : out_(out) { buffer_.reserve(kFlushBytes + 4096); }

    SvgWriter& operator<<(std::string_view text) {
        buffer_.append(text);
        return flushIfFull();
    }
    SvgWriter& operator<<(const char* text) { return *this << std::string_view(text); }
    SvgWriter& operator<<(char character) { return *this << std::string_view(&character, 1); }
    SvgWriter& operator<<(const QString& text) { return *this << text.toUtf8().toStdString(); }
    SvgWriter& operator<<(int value) { return *this << std::to_string(value); }
    // A thousandth of a pixel is beyond anything a drawing program shows.
    SvgWriter& operator<<(double value) {
        char text[64];
        const auto [end, error] =
            std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3);
        std::string_view number =
            error == std::errc() ? std::string_view(text, end) : std::string_view("0");
        while (number.find('.') != number.npos && (number.back() == '0' || number.back() == '.')) {
            number.remove_suffix(1);
        }
        return *this << (number == "-0" ? std::string_view("0") : number);
    }
    void flush() {
        if (out_.write(buffer_.data(), static_cast<qint64>(buffer_.size())) !=
            static_cast<qint64>(buffer_.size())) {
            throw WriteRefused();
        }
        buffer_.clear();
    }

  private:
    static constexpr size_t kFlushBytes = 1 << 20;

    SvgWriter& flushIfFull() {
        if (buffer_.size() >= kFlushBytes) {
            flush();
        }
        return *this;
    }

    QIODevice& out_;
    std::string buffer_;
};

// The text as XML character data, well-formed whatever it holds: markup is escaped, and
// the characters XML cannot hold (a control character but a tab or a line break, U+FFFE,
// U+FFFF) are written as U+FFFD. A lone surrogate is written as '?' by QString::toUtf8.
QString xmlText(QString text) {
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0xFFFE || u == 0xFFFF) {
            c = QChar::ReplacementCharacter;
        }
    }
    return text.toHtmlEscaped();
}

// The raster names a pixel by its centre, an SVG drawing by its corner.
constexpr double kPixelCentre = 0.5;

// Fades a group as a whole: the lines' round ends overlap where they meet, and each line
// faded on its own would darken the corners twice.
void writeOpacity(SvgWriter& svg, int opacity) {
    if (opacity < kMaxOpacity) {
        svg << " opacity=\"" << opacity / 100.0 << '"';
    }
}

// A dashed or dotted side's own pattern (line_dashes.h): whole periods of it fit the side,
// and the offset centres a dash on each end.
void writeDashes(SvgWriter& svg, QPointF from, QPointF to, DashStyle style, int width) {
    const DashPattern pattern = dashPattern(style, width, QLineF(from, to).length());
    if (pattern.period > 0) {
        svg << "\" stroke-dasharray=\"" << pattern.dash << ' ' << pattern.period - pattern.dash
            << "\" stroke-dashoffset=\"" << pattern.dash / 2;
    }
}

void writeLines(SvgWriter& svg, const GridLayout& layout, const GridPen& pen,
                const GridOptions& options) {
    if (options.lineStyle == LineStyle::None) {
        return;
    }
    const int width = std::max(1, static_cast<int>(pen.width));
    svg << "<g id=\"grid\" fill=\"none\" stroke=\"" << lineColourOf(pen, options).name()
        << "\" stroke-width=\"" << width << "\" stroke-linecap=\"round\"";
    writeOpacity(svg, options.opacity);
    svg << ">\n";
    const DashStyle style = dashStyleOf(options.lineStyle);
    traceDrawn(layout, [&](QPointF from, QPointF to) {
        svg << "<line x1=\"" << from.x() + kPixelCentre << "\" y1=\"" << from.y() + kPixelCentre
            << "\" x2=\"" << to.x() + kPixelCentre << "\" y2=\"" << to.y() + kPixelCentre;
        writeDashes(svg, from, to, style, width);
        svg << "\"/>\n";
    });
    svg << "</g>\n";
}

// One group of numbers with the attributes they share. They stand where the picture has
// them: its numbers are stamped in corner-named pixels, so they need no half-pixel shift.
void writeNumberGroup(SvgWriter& svg, const GridLayout& layout, const HexNumbering& numbering,
                      const NumberPlan& plan, const QString& paint) {
    const QFont font = numberFont(plan.textHeight);
    const double toBaseline = QFontMetricsF(font).capHeight() / 2;
    svg << "<g " << paint << " font-family=\"" << font.family()
        << "\" font-weight=\"bold\" font-size=\"" << font.pixelSize()
        << "\" text-anchor=\"middle\">\n";
    for (size_t k = 0; k < plan.hexes.size(); ++k) {
        const QPointF middle =
            labelMiddle(layout, numbering, plan.hexes[k].centre, plan.textHeight);
        svg << "<text x=\"" << middle.x() << "\" y=\"" << middle.y() + toBaseline << "\">"
            << xmlText(plan.labels[k]) << "</text>\n";
    }
    svg << "</g>\n";
}

void writeNumbers(SvgWriter& svg, const GridLayout& layout, const HexNumbering& numbering,
                  const NumberPlan& plan, const QColor& gridColour, int opacity) {
    if (plan.hexes.empty()) {
        return;
    }
    const bool faded = opacity < kMaxOpacity;
    if (faded) {
        // The numbers and their halo fade as one, as they are drawn into the picture.
        svg << "<g";
        writeOpacity(svg, opacity);
        svg << ">\n";
    }
    if (numbering.halo != NumberHalo::None) {
        const QString ring = numbering.halo == NumberHalo::White ? "#ffffff" : "#000000";
        const double haloWidth = std::max(1.5, plan.textHeight / 6);  // as NumberStamps has it
        writeNumberGroup(svg, layout, numbering, plan,
                         QStringLiteral("id=\"halo\" fill=\"%1\" stroke=\"%1\" stroke-width=\"%2\" "
                                        "stroke-linejoin=\"round\"")
                             .arg(ring)
                             .arg(2 * haloWidth));
    }
    const QString colour = numbering.colour.value_or(gridColour).name();
    writeNumberGroup(svg, layout, numbering, plan,
                     QStringLiteral("id=\"numbers\" fill=\"%1\"").arg(colour));
    if (faded) {
        svg << "</g>\n";
    }
}

}  // namespace

QImage gridOnlyImage(int width, int height, const GridSizes& sizes, const GridPen& pen,
                     const GridOptions& options, const HexNumbering& numbering, QString* why) {
    QString problem = layoutProblem(layoutOnMap(width, height, sizes, options));
    if (problem.isEmpty()) {
        // Drawn opaque, then faded as a whole: the opacity becomes the lines' alpha.
        GridOptions opaque = options;
        opaque.opacity = kMaxOpacity;
        try {
            GridOutcome outcome;
            QImage grid =
                drawnOver(qRgb(0, 0, 0), width, height, sizes, pen, opaque, numbering, outcome);
            problem = nothingToDraw(outcome);
            if (problem.isEmpty()) {
                separate(grid, drawnOver(qRgb(255, 255, 255), width, height, sizes, pen, opaque,
                                         numbering, outcome));
                if (options.opacity < kMaxOpacity) {
                    fadePremultiplied(grid, options.opacity);
                }
                return grid;
            }
        } catch (const std::bad_alloc&) {
            problem = outOfMemory();
        }
    }
    if (why != nullptr) {
        *why = problem;
    }
    return {};
}

QImage gridOnlyImage(const GridChoices& choices, QSize map, QString* why) {
    return gridOnlyImage(map.width(), map.height(), choices.sizes(), choices.pen(), choices.options,
                         choices.numbering, why);
}

WriteResult writeGridSvg(const QString& path, int width, int height, const GridSizes& sizes,
                         const GridPen& pen, const GridOptions& options,
                         const HexNumbering& numbering) {
    std::optional<NumbersLeftOut> leftOut;
    return writeGridSvg(path, width, height, sizes, pen, options, numbering, leftOut);
}

namespace {

WriteResult writeLaidOut(const QString& path, const GridLayout& layout, const GridPen& pen,
                         const HexNumbering& numbering, std::optional<NumbersLeftOut>& leftOut) {
    leftOut.reset();
    if (const QString problem = layoutProblem(layout); !problem.isEmpty()) {
        return WriteResult::failed(problem);
    }
    const GridOptions& options = layout.options;
    const auto width = static_cast<int>(layout.picture.width());
    const auto height = static_cast<int>(layout.picture.height());
    NumberPlan plan;
    try {
        if (numbering.enabled) {
            plan = planNumbers(layout, width, height, numbering);
            leftOut = plan.leftOut;
        }
    } catch (const std::bad_alloc&) {
        return WriteResult::failed(outOfMemory());
    }
    if (options.lineStyle == LineStyle::None && plan.hexes.empty()) {
        return WriteResult::failed(nothingToDrawFact(plan.leftOut));
    }
    return writeFileAtomically(path, [&](QIODevice& out) {
        SvgWriter svg(out);
        svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            << "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" << width
            << "\" height=\"" << height << "\" viewBox=\"0 0 " << width << ' ' << height << "\">\n";
        writeLines(svg, layout, pen, options);
        writeNumbers(svg, layout, numbering, plan, lineColourOf(pen, options), options.opacity);
        svg << "</svg>\n";
        svg.flush();
        return true;
    });
}

}  // namespace

WriteResult writeGridSvg(const QString& path, int width, int height, const GridSizes& sizes,
                         const GridPen& pen, const GridOptions& options,
                         const HexNumbering& numbering, std::optional<NumbersLeftOut>& leftOut) {
    return writeLaidOut(path, layoutOnMap(width, height, sizes, options), pen, numbering, leftOut);
}

WriteResult writeGridSvg(const QString& path, const GridChoices& choices, const GridLayout& layout,
                         std::optional<NumbersLeftOut>& leftOut) {
    return writeLaidOut(path, layout, choices.pen(), choices.numbering, leftOut);
}

}  // namespace tessara
