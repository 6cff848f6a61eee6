#include "cli/find_grid_command.h"

#include "cli/cli_text.h"
#include "grid/find_grid.h"
#include "grid/grid_fields.h"
#include "grid/grid_messages.h"
#include "image/picture.h"
#include "image/quiet_stderr.h"

namespace tessara {
namespace {

// The number with as many decimals as a found grid carries, less the zeros at its end.
QString figure(double value, int decimals) {
    QString text = QString::number(value, 'f', decimals);
    while (text.contains(u'.') && (text.endsWith(u'0') || text.endsWith(u'.'))) {
        text.chop(1);
    }
    return text;
}

}  // namespace

QString gridArguments(const GridOptions& options) {
    return QStringLiteral(
               "--orientation %1 --hex-pixels %2 --stretch %3 --rotation %4 --skew %5 "
               "--offset %6,%7 --shifted %8")
        .arg(field::kOrientation.word(static_cast<int>(options.orientation)),
             figure(options.hexPixels.value_or(0), kFoundDecimals),
             figure(options.stretch, kFoundDecimals), figure(options.rotation, kFoundDecimals),
             figure(options.skew, kFoundDecimals), figure(options.offsetX, kFoundOffsetDecimals),
             figure(options.offsetY, kFoundOffsetDecimals),
             field::kShifted.word(static_cast<int>(options.shifted)));
}

CommandOutcome runFindGridCommand(const QString& input) {
    return withinMemory([&input] {
        Picture map;
        if (auto refused = loadInput(input, map)) {
            return *refused;
        }
        const std::optional<GridOptions> found = findPrintedGrid(map.image());
        if (!found) {
            return noGridFound(input);
        }
        return CommandOutcome{kExitSuccess, {}, {}, gridArguments(*found)};
    });
}

}  // namespace tessara
