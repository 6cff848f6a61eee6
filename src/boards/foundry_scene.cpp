// Foundry VTT's scene beside a straightened board: a JSON document that Foundry (v11 and v12)
// takes with "Import Data" on a scene's context menu. Foundry's hexes are regular and `size`
// whole pixels flat to flat, at least 20; its canvas has the board at (0, 0) with no padding.
// Its HexagonalGrid puts the centre of hex (i, j) of a grid of rows at
//   x = (j + 0.5 if row i is staggered) size,  y = (0.75 i + 0.5) (2 / sqrt 3) size,
// columns the same with x and y swapped; the odd types (2 rows, 4 columns) stagger the odd
// rows (columns), the even types (3, 5) the even ones. So its canvas starts level with a
// shifted line's hex, and size / sqrt 3 above its centre, and the type is odd when the first
// line is a shifted one.
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <numbers>

#include "boards/board_format.h"
#include "boards/straightening.h"

namespace tessara {
namespace {

constexpr int kMinFoundryHex = 20;  // Foundry's smallest grid size

int foundryType(const Straightening& s) {
    const int odd = s.columns ? 4 : 2;
    return s.firstLineShifted ? odd : odd + 1;
}

QByteArray sceneText(const BoardContext& c) {
    const Straightening& s = c.straightening;
    QJsonObject grid{{"type", foundryType(s)},
                     {"size", s.sizes.along},
                     {"color", c.look.lines.name(QColor::HexRgb)},
                     {"alpha", c.look.opacity / 100.0},
                     {"thickness", c.look.thickness}};
    if (c.look.hexDistance) {
        // The map's units have no name in Tessara: Foundry shows the number alone.
        grid.insert("distance", *c.look.hexDistance);
        grid.insert("units", QString());
    }
    const QJsonObject scene{{"name", QFileInfo(c.boardFile).completeBaseName()},
                            {"width", s.board.width()},
                            {"height", s.board.height()},
                            {"padding", 0},
                            {"background", QJsonObject{{"src", c.boardFile}}},
                            {"grid", grid}};
    return QJsonDocument(scene).toJson(QJsonDocument::Indented);
}

class FoundryFormat final : public BoardFormat {
  public:
    QString id() const override { return QStringLiteral("foundry"); }
    QString program() const override { return QStringLiteral("Foundry"); }
    QString menuText() const override { return QStringLiteral("&Foundry Scene..."); }
    QString definitionSuffix() const override { return QStringLiteral(".foundry.json"); }
    TargetSizes sizesFor(double along, double) const override {
        const int size = nearestMultiple(along, 1);
        if (size == 0) {
            return {};
        }
        return {size, size * std::numbers::sqrt3 / 2, 0};
    }
    QString sizeProblem(const TargetSizes& sizes) const override {
        if (sizes.along >= kMinFoundryHex) {
            return {};
        }
        return QStringLiteral(
                   "The hexes would be %1 pixels flat to flat for Foundry, below the "
                   "%2 it can draw.")
            .arg(sizes.along)
            .arg(kMinFoundryHex);
    }
    BoardOrigin origin(const TargetSizes& sizes) const override {
        return {true, 0, -sizes.along / std::numbers::sqrt3};
    }
    QByteArray definition(const BoardContext& context) const override { return sceneText(context); }
};

}  // namespace

const BoardFormat& foundryFormat() {
    static const FoundryFormat format;
    return format;
}

}  // namespace tessara
