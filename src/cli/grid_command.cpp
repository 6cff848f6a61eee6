#include "cli/grid_command.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QFileInfo>
#include <new>

#include "cli/cli_text.h"
#include "core/file_names.h"
#include "grid/grid_export.h"
#include "grid/grid_generation.h"
#include "grid/grid_layout.h"
#include "grid/grid_measure.h"
#include "grid/grid_messages.h"
#include "grid/number_stamps.h"
#include "image/picture_export.h"
#include "image/quiet_stderr.h"
#include "print/scale_pdf.h"
#include "settings/grid_settings.h"

namespace tessara {
QString cannotWrite(const QString& output, const QString& why) {
    return QStringLiteral("cannot write %1: %2").arg(quoted(output), why.simplified());
}

QString notEnoughMemory() {
    return asClause(gridFailureFact(GridFailure::OutOfMemory));
}

CommandOutcome withinMemory(const std::function<CommandOutcome()>& work) {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return CommandOutcome::failed(notEnoughMemory());
    }
}

CommandOutcome noGridFound(const QString& input) {
    return CommandOutcome::failed(QStringLiteral("no printed hex grid found on the map ") +
                                  quoted(input));
}

std::optional<CommandOutcome> loadInput(const QString& input, Picture& map) {
    try {
        const QuietStandardError quiet;  // the decoders' own complaints about damaged files
        map = LoadPicture(input);
        return std::nullopt;
    } catch (const PictureError& error) {
        const bool memory = dynamic_cast<const PictureOutOfMemory*>(&error) != nullptr;
        return CommandOutcome{memory ? kExitFailed : kExitBadInput,
                              cannotReadMap(input, QString::fromStdString(error.what())),
                              {},
                              {}};
    }
}

// Whether the path names a folder, or a link to one. Asked of the name's own bytes, as
// QFileInfo would ask of the name as Qt encodes it (file_names.h).
bool isFolder(const QString& path) {
    struct stat st {};
    return ::stat(encodeFileName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Checked before the map is loaded, so that a mistyped folder costs no time. The new file
// is made beside OUTPUT and renamed over it, so the folder itself must be writable.
QString outputProblem(const QString& output) {
    if (isFolder(output)) {
        return cannotWrite(output, QStringLiteral("it is a folder"));
    }
    const QString folder = QFileInfo(output).path();
    if (!isFolder(folder)) {
        return cannotWrite(output,
                           QStringLiteral("the folder %1 does not exist").arg(quoted(folder)));
    }
    if (::access(encodeFileName(folder).constData(), W_OK | X_OK) != 0) {
        return cannotWrite(
            output, QStringLiteral("the folder %1 cannot be written to").arg(quoted(folder)));
    }
    return {};
}

// The request for a map of that size: sizes for a grid given in pixels only, and the
// offset that puts a hex centre on the anchor.
GridRequest requestForMap(GridRequest request, int width, int height) {
    GridChoices& choices = request.choices;
    if (!choices.sizesGiven() && choices.options.hexPixels) {
        // As the window fills them in: one unit a hex.
        choices.mapWidth = toSingle(width / *choices.options.hexPixels);
        choices.hexSize = 1;
    }
    if (request.anchor) {
        const GridSizes sizes = choices.sizes();
        const double hexPixels = choices.options.hexPixels.value_or(
            hexWidth(static_cast<Single>(width), sizes.hexSize, sizes.mapSize));
        choices.options =
            anchoredAt(choices.options, hexPixels, *request.anchor, QSizeF(width, height));
    }
    return request;
}

namespace {

QString numbersLeftOut(double smallestHex) {
    if (smallestHex <= 0) {
        return QStringLiteral(
            "hex numbers left out: below 6 pixels (4.5 points) they cannot be "
            "read; give a larger --number-size");
    }
    return QStringLiteral(
               "hex numbers left out: they need hexes of at least %1 pixels from flat "
               "to flat, or a shorter format")
        .arg(smallestHex, 0, 'f', 2);
}

}  // namespace

CommandOutcome drawingFailure(const GridOutcome& outcome) {
    switch (outcome.failure) {
        case GridFailure::NoPictureArea:
            return CommandOutcome::badInput(asClause(gridFailureFact(outcome.failure)));
        case GridFailure::TooManyCells:
            return CommandOutcome::badInput(asClause(gridFailureFact(outcome.failure)) +
                                            QStringLiteral("; give a larger --hex-size"));
        case GridFailure::NothingToDraw:
            return CommandOutcome::badInput(asClause(nothingToDrawFact(outcome.numbersLeftOut)));
        default:
            return CommandOutcome::failed(notEnoughMemory());
    }
}

namespace {

// The grid alone, for the map's layout; the map itself is read only to be checked.
CommandOutcome writeGridAlone(const GridRequest& request, const GridLayout& layout) {
    if (layout.problem != GridProblem::None) {
        return drawingFailure(GridOutcome(failureOf(layout.problem)));
    }
    const HexNumbering& numbering = request.choices.numbering;
    if (request.choices.options.lineStyle == LineStyle::None) {
        const QSizeF picture = layout.picture;
        const NumberPlan plan = planNumbers(layout, static_cast<int>(picture.width()),
                                            static_cast<int>(picture.height()), numbering);
        if (plan.hexes.empty()) {
            return drawingFailure(GridOutcome(GridFailure::NothingToDraw, {}, {}, plan.leftOut));
        }
    }
    std::optional<NumbersLeftOut> leftOut;
    const WriteResult written = writeGridSvg(request.output, request.choices, layout, leftOut);
    if (!written) {
        return CommandOutcome::failed(cannotWrite(request.output, written.error));
    }
    return leftOut ? CommandOutcome{kExitSuccess, {}, numbersLeftOut(leftOut->smallestHex), {}}
                   : CommandOutcome{};
}

// The pages of a PDF OUTPUT; the hex size in pixels is the grid's, as it will be drawn.
ScalePdfSettings pdfSettings(const ScaleChoice& pages, const GridLayout& layout) {
    ScalePdfSettings settings;
    settings.paper = pages.paper;
    settings.landscape = pages.landscape;
    settings.overlapMm = pages.overlapMm;
    settings.pixelsPerMm = pages.byHex
                               ? scaleForHexSize(layout.flatsApart(), pages.hexSize, pages.unit)
                               : scaleForDpi(pages.dpi);
    return settings;
}

CommandOutcome drawGrid(const GridRequest& given) {
    if (const QString problem = outputProblem(given.output); !problem.isEmpty()) {
        return CommandOutcome::badInput(problem);
    }
    Picture map;
    if (auto refused = loadInput(given.input, map)) {
        return *refused;
    }
    PictureBox picMap(0, 0);
    picMap.setPicture(std::move(map));
    picMap.drawOnPicture();  // the map is written out once drawn: no copy is needed
    const QSize size(picMap.pixelWidth(), picMap.pixelHeight());
    const GridRequest request = requestForMap(given, size.width(), size.height());
    const GridLayout layout = layoutFor(request.choices, size);
    if (request.format == "svg") {
        return writeGridAlone(request, layout);
    }
    const std::optional<ScalePdfSettings> pdf =
        request.format == "pdf" ? std::optional(pdfSettings(request.choices.print, layout))
                                : std::nullopt;
    // Without a scale the grid itself cannot be drawn, and the drawing says why.
    if (pdf && pdf->pixelsPerMm > 0) {
        const TilePlanning planning = planScalePdf(size, *pdf);
        if (!planning.plan) {
            return CommandOutcome::badInput(asClause(planning.refusal));
        }
    }
    const GridOutcome drawn = drawGridOn(picMap, request.choices, layout);
    if (drawn.failure != GridFailure::None) {
        return drawingFailure(drawn);
    }
    const WriteResult written =
        pdf ? writeScalePdf(picMap.Image().image(), request.output, *pdf)
            : writeOutputFile(picMap.Image(), request.output, request.format);
    if (!written) {
        return CommandOutcome::failed(cannotWrite(request.output, written.error));
    }
    if (drawn.numbersLeftOut) {
        return {kExitSuccess, {}, numbersLeftOut(drawn.numbersLeftOut->smallestHex), {}};
    }
    return {};
}

}  // namespace

void warnOfIgnoredSettings(const GridRequest& request, CommandOutcome& outcome) {
    if (outcome.status == kExitSuccess && !request.settingsIgnored.isEmpty()) {
        const QString ignored =
            QStringLiteral("--settings: left out what this version does not know: ") +
            fieldsNamed(request.settingsIgnored);
        outcome.warning =
            outcome.warning.isEmpty() ? ignored : ignored + QStringLiteral("; ") + outcome.warning;
    }
}

CommandOutcome runGridCommand(const GridRequest& request) {
    CommandOutcome outcome = withinMemory([&] { return drawGrid(request); });
    warnOfIgnoredSettings(request, outcome);
    return outcome;
}

}  // namespace tessara
