#include "boards/board_export.h"

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>

#include "boards/bicubic_resample.h"
#include "image/atomic_file.h"
#include "image/picture_memory.h"

namespace tessara {
namespace {

// Why the board's own name cannot take a new board, as a single file written atomically
// would be refused: a folder there, or a read-only file, which an editor would not replace.
QString boardNameProblem(const QString& path) {
    const QFileInfo target(path);
    if (target.isDir() && !target.isSymLink()) {
        return QStringLiteral("%1 is a folder.").arg(path);
    }
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode) &&
        (st.st_mode & 0222) == 0) {
        return QStringLiteral("The file %1 is read-only.").arg(target.fileName());
    }
    return {};
}

// A free name beside the board, for the board until its definition is written. The file
// that found it is gone again, so that the board is made as any new file is, with the
// user's usual permissions.
QString temporaryBoardPath(const QString& boardPath) {
    const QFileInfo board(boardPath);
    QTemporaryFile reserve(
        board.dir().filePath(QStringLiteral(".%1.XXXXXX").arg(board.fileName())));
    if (!reserve.open()) {
        return {};
    }
    return reserve.fileName();
}

}  // namespace

BoardLook boardLook(const GridPen& pen, const GridOptions& options, const HexNumbering& numbering,
                    std::optional<double> hexDistance) {
    BoardLook look;
    look.lines = lineColourOf(pen, options);
    look.thickness = pen.width;
    look.opacity = options.opacity;
    look.numbering = numbering;
    look.hexDistance = hexDistance;
    return look;
}

QString definitionPathFor(const QString& boardPath, const BoardFormat& target) {
    const QString suffix = QFileInfo(boardPath).suffix();
    const QString stem = suffix.isEmpty() ? boardPath : boardPath.chopped(suffix.size() + 1);
    return stem + target.definitionSuffix();
}

BoardOutcome exportBoard(const Picture& map, const GridLayout& layout,
                         const BoardRequest& request) {
    BoardOutcome outcome;
    const BoardFormat& target = *request.target;
    outcome.definitionPath = definitionPathFor(request.boardPath, target);
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
    const BoardContext context{layout, s, QFileInfo(request.boardPath).fileName(), request.look};
    outcome.unexpressed = target.unexpressed(context);
    const QImage board = resampleBicubic(map.image(), s.toBoard.inverted(), s.board);
    if (board.isNull()) {
        outcome.written = WriteResult::failed(QStringLiteral("There is not enough memory."));
        return outcome;
    }
    const QString temporary = temporaryBoardPath(request.boardPath);
    if (temporary.isEmpty()) {
        outcome.written = WriteResult::failed(writeFailureReason(errno));
        return outcome;
    }
    ExportOptions options;
    options.format = request.format;
    options.jpegQuality = request.jpegQuality;
    outcome.written = exportPicture(Picture(board), temporary, options);
    if (outcome.written) {
        const QByteArray text = target.definition(context);
        outcome.written = writeFileAtomically(outcome.definitionPath, [&text](QIODevice& file) {
            return file.write(text) == text.size();
        });
    }
    if (outcome.written && std::rename(QFile::encodeName(temporary).constData(),
                                       QFile::encodeName(request.boardPath).constData()) != 0) {
        outcome.written = WriteResult::failed(writeFailureReason(errno));
    }
    QFile::remove(temporary);  // gone already once renamed
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
