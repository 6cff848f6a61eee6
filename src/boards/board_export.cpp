#include "boards/board_export.h"

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>

#include "boards/bicubic_resample.h"
#include "boards/tiled_map.h"
#include "boards/vassal_grid.h"
#include "image/atomic_file.h"
#include "image/picture_memory.h"

namespace tessara {
namespace {

QByteArray definitionText(const GridLayout& layout, const Straightening& s,
                          const BoardRequest& request) {
    if (request.target == BoardTarget::Tiled) {
        return tiledMapText(s, QFileInfo(request.boardPath).fileName());
    }
    return vassalGridText(layout, s, request.colour, request.numbering);
}

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

QString definitionPathFor(const QString& boardPath, BoardTarget target) {
    const QString suffix = QFileInfo(boardPath).suffix();
    const QString stem = suffix.isEmpty() ? boardPath : boardPath.chopped(suffix.size() + 1);
    return stem +
           (target == BoardTarget::Tiled ? QStringLiteral(".tmx") : QStringLiteral(".vassal.xml"));
}

BoardOutcome exportBoard(const Picture& map, const GridLayout& layout,
                         const BoardRequest& request) {
    BoardOutcome outcome;
    outcome.definitionPath = definitionPathFor(request.boardPath, request.target);
    outcome.straightening = straighten(layout, request.target);
    const Straightening& s = outcome.straightening;
    if (s.problem != BoardProblem::None) {
        outcome.written = WriteResult::failed(boardProblemText(s));
        return outcome;
    }
    if (const QString problem = boardNameProblem(request.boardPath); !problem.isEmpty()) {
        outcome.written = WriteResult::failed(problem);
        return outcome;
    }
    if (request.target == BoardTarget::Vassal && request.numbering.enabled) {
        outcome.unexpressed = vassalNumbering(layout, s, request.numbering).unexpressed;
    }
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
        const QByteArray text = definitionText(layout, s, request);
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
            return QStringLiteral(
                       "The hexes would be %1 by %2 pixels for %3, below the %4 by %5 it can "
                       "draw.")
                .arg(s.sizes.along)
                .arg(s.sizes.pitch)
                .arg(s.target == BoardTarget::Tiled ? "Tiled" : "VASSAL")
                .arg(kMinTargetHex)
                .arg(kMinTargetPitch);
        case BoardProblem::BoardTooLarge:
            return QStringLiteral("The straightened board would be over %1 pixels on a side.")
                .arg(kLongestSide);
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
