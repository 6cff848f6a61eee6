#include "boards/board_export.h"

#include <QFileInfo>

#include "boards/bicubic_resample.h"
#include "core/file_names.h"
#include "image/atomic_file.h"
#include "image/file_pair.h"
#include "image/picture_memory.h"

namespace tessara {
namespace {

// The characters XML 1.0 holds: every target's definition is read as text, and Tiled's and
// VASSAL's as XML, whose writer would drop any other.
bool xmlHolds(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

QString fileNameOf(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// The board, made as any new file is, with the user's usual permissions.
PairPart boardPart(const Picture& map, const BoardRequest& request, const Straightening& s) {
    const auto write = [&map, &request, &s](const QString& scratch) {
        const QImage board = resampleBicubic(map.image(), s.toBoard.inverted(), s.board);
        if (board.isNull()) {
            return WriteResult::failed(QStringLiteral("There is not enough memory."));
        }
        ExportOptions options;
        options.format = request.format;
        options.jpegQuality = request.jpegQuality;
        return exportPicture(Picture(board), scratch, options);
    };
    return {request.boardPath, write, false};
}

// The definition, with the permissions of the one it replaces, as any file written
// atomically keeps them.
PairPart definitionPart(const QString& path, const BoardFormat& target,
                        const BoardContext& context) {
    const auto write = [&target, &context](const QString& scratch) {
        const QByteArray text = target.definition(context);
        return writeFileAtomically(
            scratch, [&text](QIODevice& file) { return file.write(text) == text.size(); });
    };
    return {path, write, true};
}

}  // namespace

BoardLook boardLook(const GridChoices& choices) {
    const GridPen pen = choices.pen();
    BoardLook look;
    look.lines = lineColourOf(pen, choices.options);
    look.thickness = pen.width;
    look.opacity = choices.options.opacity;
    look.numbering = choices.numbering;
    look.hexDistance = choices.hexSize;
    return look;
}

QString definitionPathFor(const QString& boardPath, const BoardFormat& target) {
    const QString suffix = QFileInfo(boardPath).suffix();
    const QString stem = suffix.isEmpty() ? boardPath : boardPath.chopped(suffix.size() + 1);
    return stem + target.definitionSuffix();
}

QString boardNameProblem(const QString& boardPath) {
    const QString name = fileNameOf(boardPath);
    if (shownText(name) != name) {
        return QStringLiteral(
            "Its name is not UTF-8 text, so its grid definition could not name it.");
    }
    for (const char32_t c : name.toUcs4()) {
        if (!xmlHolds(c)) {
            return QStringLiteral("Its name holds U+%1, which its grid definition cannot hold.")
                .arg(QString::number(c, 16).toUpper().rightJustified(4, u'0'));
        }
    }
    return {};
}

BoardOutcome exportBoard(const Picture& map, const GridLayout& layout,
                         const BoardRequest& request) {
    BoardOutcome outcome;
    const BoardFormat& target = *request.target;
    outcome.definitionPath = definitionPathFor(request.boardPath, target);
    outcome.failedPath = request.boardPath;
    outcome.straightening = straighten(layout, target);
    const Straightening& s = outcome.straightening;
    if (s.problem != BoardProblem::None) {
        outcome.written = WriteResult::failed(boardProblemText(s));
        return outcome;
    }
    if (const QString problem = boardNameProblem(request.boardPath); !problem.isEmpty()) {
        outcome.written = WriteResult::failed(problem);
        return outcome;
    }
    const BoardContext context{layout, s, fileNameOf(request.boardPath), request.look,
                               &request.terrain};
    outcome.unexpressed = target.unexpressed(context);
    const PairOutcome written = writeFilePair(
        boardPart(map, request, s), definitionPart(outcome.definitionPath, target, context));
    outcome.written = written.written;
    outcome.failedPath = written.failedPath;
    return outcome;
}

QString boardProblemText(const Straightening& s) {
    switch (s.problem) {
        case BoardProblem::None:
            return {};
        case BoardProblem::NoGrid:
            return QStringLiteral("The grid cannot be laid over this map.");
        case BoardProblem::HexTooSmall:
            return s.format->sizeProblem(s.sizes);
        case BoardProblem::BoardTooLarge:
            return QStringLiteral("The straightened board would be over %1 pixels on a side.")
                .arg(kLongestSide);
        case BoardProblem::HexLargerThanMap:
            return QStringLiteral(
                       "The hexes are larger than the map: %1's grid starts at a hex's corner, "
                       "which would leave the board mostly blank.")
                .arg(s.format->program());
    }
    return {};
}

QString scaleText(const Straightening& s) {
    return QStringLiteral("%1 across, %2 down")
        .arg(s.scaleX(), 0, 'f', 5)
        .arg(s.scaleY(), 0, 'f', 5);
}

QString scaleFactorText(const Straightening& s) {
    return QStringLiteral("scale factor ") + scaleText(s);
}

}  // namespace tessara
