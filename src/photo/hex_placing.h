// Where one section of a map lies on another, in whole hexes, from the colours of the hexes
// both show: the correlation of every hex's colours at every whole-hex placing, and the
// surest of them when it stands clearly above the others.
#pragma once

#include <QPoint>
#include <array>
#include <optional>
#include <vector>

namespace tessara {

// The middle of a hex is read in quarters, along the board's rows and across them, so that
// what lies inside a hex (a label, a wood's dots) counts besides its mean colour.
inline constexpr size_t kHexValues = 4 * 3;

// The mean colour of the middle of each hex of a section, by the hex's steps from its first
// hex on an upright grid of its own; a hex the picture does not show whole is not known.
struct HexColours {
    QPoint first;  // the steps of the hex at index 0
    int columns = 0;
    int rows = 0;
    std::vector<std::array<float, kHexValues>> mean;  // red, green, blue of each quarter
    std::vector<char> known;
    int count = 0;

    int index(QPoint steps) const {
        const QPoint at = steps - first;
        return at.x() < 0 || at.y() < 0 || at.x() >= columns || at.y() >= rows
                   ? -1
                   : at.y() * columns + at.x();
    }
};

struct Placing {
    QPoint steps;          // from a's first hex to b's, along a row (column) and to the next
    double likeness = -1;  // the correlation of the hexes both know, the colours pooled
    double weight = 0;     // how far it stands above chance: Fisher's z over those hexes
};

// Every placing of `b` on `a` at which they share at least `least` known hexes, by rows of
// steps and along each row.
std::vector<Placing> placingsOf(const HexColours& a, const HexColours& b, int least);

// Where `b` lies on `a`: the surest placing, when its overlap is large enough, its colours
// alike, and it is clearly surer than any other more than two hexes away; otherwise nothing.
std::optional<Placing> placeOn(const HexColours& a, const HexColours& b);

}  // namespace tessara
