// Hex numbers drawn into the picture. Each character is drawn once, antialiased, with its
// halo, and its pixels are laid at every place it appears: drawing every label through a
// text layout would take seconds on a big map.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QString>
#include <array>
#include <map>

#include "grid/hex_numbers.h"
#include "image/picture_box.h"

namespace tessara {

class NumberStamps {
  public:
    // Characters `pixelSize` pixels high, in `colour`, with the halo asked for, laid over the
    // picture at `opacity` percent: the character and its halo together, as one.
    NumberStamps(double pixelSize, const QColor& colour, NumberHalo halo,
                 int opacity = kMaxOpacity);

    // The width of the text, in pixels.
    double width(const QString& text);
    // Draws the text with its middle at `middle`.
    void stamp(PictureBox& box, const QString& text, QPointF middle);

  private:
    struct Glyph {
        QImage image;    // premultiplied, with the halo
        QPointF offset;  // of the image's corner from the pen on the baseline
        double advance;  // to the next character
    };
    const Glyph& glyph(QChar character);

    QFont font_;
    QColor colour_;
    NumberHalo halo_;
    int opacity_;
    double haloWidth_;
    double capHeight_;
    std::map<char16_t, Glyph> glyphs_;
    std::array<const Glyph*, 128> ascii_{};  // the glyphs of plain characters, found at once
};

// The font hex numbers are drawn in, at this height in pixels.
QFont numberFont(double pixelSize);

// Numbers that did not fit: the smallest hex size, in pixels, that would hold them, or 0
// when no hex size would, the size chosen in points being below kSmallestNumber pixels.
struct NumbersLeftOut {
    double smallestHex = 0;
};

// The labels of a numbering and the text height they are drawn at: the height asked for,
// or less where the widest label would not fit its hex. Empty, with what is left out, when
// that is below kSmallestNumber pixels.
struct NumberPlan {
    std::vector<NumberedHex> hexes;
    std::vector<QString> labels;
    double textHeight = 0;
    std::optional<NumbersLeftOut> leftOut;
};
NumberPlan planNumbers(const GridLayout& layout, double width, double height,
                       const HexNumbering& numbering);

// Draws the number of every hex whose centre lies on the box's picture, in the numbering's
// colour or else `gridColour`, at `opacity` percent. A label too wide for its hex is drawn
// smaller, down to kSmallestNumber pixels; below that no number is drawn and the outcome
// says so.
std::optional<NumbersLeftOut> drawNumbers(PictureBox& box, const GridLayout& layout,
                                          const HexNumbering& numbering, const QColor& gridColour,
                                          int opacity = kMaxOpacity);

}  // namespace tessara
