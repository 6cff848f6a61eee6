#include "boards/board_format.h"

#include <vector>

namespace tessara {

// Each defined beside the text it writes.
const BoardFormat& tiledFormat();
const BoardFormat& vassalFormat();
const BoardFormat& foundryFormat();

namespace {

// Every program a board can be exported for, in the order the menu and --help list them.
const std::vector<const BoardFormat*>& registered() {
    static const std::vector<const BoardFormat*> formats{&tiledFormat(), &vassalFormat(),
                                                         &foundryFormat()};
    return formats;
}

}  // namespace

QString BoardFormat::sizeProblem(const TargetSizes& sizes) const {
    if (sizes.along >= kMinTargetHex && sizes.pitch >= kMinTargetPitch) {
        return {};
    }
    return QStringLiteral(
               "The hexes would be %1 by %2 pixels for %3, below the %4 by %5 it "
               "can draw.")
        .arg(sizes.along)
        .arg(sizes.pitch)
        .arg(program())
        .arg(kMinTargetHex)
        .arg(kMinTargetPitch);
}

std::span<const BoardFormat* const> boardFormats() {
    return registered();
}

const BoardFormat* findBoardFormat(const QString& id) {
    for (const BoardFormat* format : registered()) {
        if (format->id() == id) {
            return format;
        }
    }
    return nullptr;
}

QStringList boardFormatIds() {
    QStringList ids;
    for (const BoardFormat* format : registered()) {
        ids << format->id();
    }
    return ids;
}

}  // namespace tessara
