// tessara export's pair of files, a board and its definition, where things go wrong: names,
// signals and refused renames while the pair goes in place, two runs writing one pair at
// once. The built program runs with its arguments' own bytes, and a fault lands on one exact
// call through the fault shim (support/fault_shim.cpp).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "boards/board_export.h"
#include "core/file_names.h"
#include "image/atomic_file.h"
#include "support/program_run.h"
#include "support/qt_print.h"
#include "support/test_files.h"

// A name in a failure message as the bytes it is.
inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << ::testing::PrintToString(bytes.toStdString());
}

using namespace tessara;
using namespace tessara::test;

namespace {

struct Ran {
    int status = 0;  // the exit status, or minus the signal that ended the program
    QString err;
};

// An argument in the shell's words: its printf makes the bytes of a name that is not UTF-8.
QString printed(const QByteArray& argument) {
    QString octal;
    for (const char c : argument) {
        octal += QStringLiteral("\\%1").arg(static_cast<uchar>(c), 3, 8, QChar(u'0'));
    }
    return " \"$(printf '" + octal + "')\"";
}

// The built program from the current folder, as a shell starts it (the ending signals at
// their defaults, no display), its fault shim given `fault`.
Ran runExport(const QList<QByteArray>& arguments, const QByteArray& fault = {}) {
    QString line = "exec \"$0\" export map.png";
    for (const QByteArray& argument : arguments) {
        line += printed(argument);
    }
    QProcessEnvironment env = environmentWithoutDisplay();
    env.insert("LD_PRELOAD", TESSARA_FAULT_SHIM);
    env.insert("TESSARA_FAULT", QString::fromLatin1(fault));
    env.insert("ASAN_OPTIONS", "verify_asan_link_order=0");  // the shim comes first
    QProcess process;
    process.setProcessEnvironment(env);
    process.setChildProcessModifier([] {
        for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
            ::signal(s, SIG_DFL);
        }
    });
    process.start("/bin/sh", {"-c", line, TESSARA_PROGRAM});
    EXPECT_TRUE(process.waitForFinished(120000));
    const bool signalled = process.exitStatus() == QProcess::CrashExit;
    return {signalled ? -process.exitCode() : process.exitCode(),
            QString::fromUtf8(process.readAllStandardError())};
}

// The names in a folder, as their bytes, sorted.
QList<QByteArray> namesIn(const QByteArray& folder) {
    QList<QByteArray> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.toStdString())) {
        names << QByteArray::fromStdString(entry.path().filename().native());
    }
    std::sort(names.begin(), names.end());
    return names;
}

QByteArray bytesAt(const QByteArray& path) {
    std::ifstream in(path.constData(), std::ios::binary);
    return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(in), {}));
}

// The attribute of Tiled's <image>, from a .tmx that must be well-formed.
QString imageAttribute(const QByteArray& tmx, const char* name) {
    QString value;
    for (QXmlStreamReader xml(tmx); !xml.atEnd();) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"image") {
            value = xml.attributes().value(QLatin1String(name)).toString();
        }
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    }
    return value;
}

// A board with Tiled's definition of it: the picture has the size the definition says.
void expectOnePair(const QByteArray& board, const QByteArray& tmx) {
    const QImage picture = QImage::fromData(bytesAt(board));
    EXPECT_EQ(QSize(imageAttribute(bytesAt(tmx), "width").toInt(),
                    imageAttribute(bytesAt(tmx), "height").toInt()),
              picture.size());
}

const QList<QByteArray> kTiled{"--for", "tiled", "--hex-pixels", "30"};

class ExportFaults : public ::testing::Test {
  protected:
    ExportFaults() { writeImage(dir.path("map.png"), makeMap(400, 300), "PNG"); }

    ScratchDir dir;
    const QByteArray root = encodeFileName(dir.root()) + '/';
};

}  // namespace

// Both files are written under the bytes typed, a folder's name whatever bytes it holds, with
// the board's name in the definition; 248 to 255 bytes leave the board's scratch name no
// room, which is shortened. The definition names the board as text: a name that is not
// UTF-8, or holds what XML cannot, is refused for every target alike, in one line, with
// nothing written. Either file of the pair named where a folder is, is bad input, and a file
// that cannot be replaced is named itself.
TEST_F(ExportFaults, BoardNamesAreWrittenAsTypedOrRefusedInOneLine) {
    ASSERT_EQ(::mkdir(root + "d\xe9", 0755), 0);
    ASSERT_EQ(::mkdir(root + "taken.tmx", 0755), 0);
    writeBytes(dir.path("ro.tmx"), "an older definition");
    ASSERT_EQ(::chmod(root + "ro.tmx", 0444), 0);
    const QByteArray long248 = QByteArray(244, 'a') + ".png";
    const QByteArray long255 = QByteArray(251, 'b') + ".png";
    const QString notText =
        "its name is not UTF-8 text, so its grid definition could not name it\n";
    const QString cannot = "tessara: cannot write ";
    // clang-format off
    const struct { const char* guards; QByteArray board; const char* target; int status; QString err; QByteArray definition = {}; } rows[] = {
        {"a name that is not UTF-8", "b\xe9.png", "tiled", 2, cannot + "'b\uFFFD.png': " + notText},
        {"the same for Foundry, whose JSON alone could hold it", "b\xe9.png", "foundry", 2, cannot + "'b\uFFFD.png': " + notText},
        {"a control character", "b\x01.png", "vassal", 2,
         cannot + "'b\uFFFD.png': its name holds U+0001, which its grid definition cannot hold\n"},
        {"U+FFFE", "b\xef\xbf\xbe.png", "tiled", 2, cannot + "'b\uFFFE.png': its name holds U+FFFE, which its grid definition cannot hold\n"},
        {"a tab and U+FFFD, which XML holds, in a folder that is not UTF-8", "d\xe9/b\t\xef\xbf\xbd.png", "tiled", 0, "",
         "d\xe9/b\t\xef\xbf\xbd.tmx"},
        {"248 bytes", long248, "tiled", 0, "", long248.chopped(3) + "tmx"},
        {"255 bytes", long255, "tiled", 0, "", long255.chopped(3) + "tmx"},
        {"a folder where the definition goes", "taken.png", "tiled", 2, cannot + "'taken.tmx': it is a folder\n"},
        {"a read-only definition, named itself", "ro.png", "tiled", 1, cannot + "'ro.tmx': The file ro.tmx is read-only.\n"},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.guards);
        const QList<QByteArray> before = namesIn(root), beforeSub = namesIn(root + "d\xe9");
        const Ran ran = runExport({row.board, "--for", row.target, "--hex-pixels", "30"});
        EXPECT_EQ(std::tuple(ran.status, ran.err), std::tuple(row.status, row.err));
        const qsizetype slash = row.board.lastIndexOf('/') + 1;
        const QByteArray folder = root + row.board.left(slash);
        QList<QByteArray> made = folder == root ? before : beforeSub;
        if (!row.definition.isEmpty()) {
            made << row.board.mid(slash) << row.definition.mid(slash);
            std::sort(made.begin(), made.end());
            EXPECT_EQ(imageAttribute(bytesAt(root + row.definition), "source"),
                      QString::fromUtf8(row.board.mid(slash)));
        }
        EXPECT_EQ(namesIn(folder), made) << "both files under the bytes typed, or nothing";
        if (!row.definition.isEmpty()) {
            ::unlink(root + row.board);
            ::unlink(root + row.definition);
        }
    }
    EXPECT_EQ(readBytes(dir.path("ro.tmx")), "an older definition");
    ::rmdir(root + "d\xe9");  // a name Qt's own removal cannot give back
}

// A signal, or a refused rename, at each step of putting the pair in place: the folder holds
// the old pair or the new one, never one of each, and no scratch file. A signal once both are
// written waits for the few renames that put them in place, then ends the program.
TEST_F(ExportFaults, AFaultLeavesBothOldFilesOrBothNewOnes) {
    const QString denied = "tessara: cannot write 'b.png': ";
    // clang-format off
    const struct { const char* guards; QByteArray fault; bool before; int status; QString err; bool renewed; } rows[] = {
        {"SIGTERM as the definition is flushed, the board whole under its scratch name", "fsync *.b.tmx.* raise 15",
         true, -SIGTERM, "", false},
        {"the same with no pair before: nothing is left", "fsync *.b.tmx.* raise 2", false, -SIGINT, "", false},
        {"SIGINT as the definition goes in place", "rename b.tmx raise 2", true, -SIGINT, "", true},
        {"SIGTERM as the board goes in place, the definition there already", "rename b.png raise 15", true, -SIGTERM, "", true},
        {"the board's rename refused, as a sticky folder does: the old definition goes back", "rename b.png fail 1",
         true, 1, denied + "Operation not permitted\n", false},
        {"the same with no pair before: the new definition goes", "rename b.png fail 13", false, 1,
         denied + "Permission denied\n", false},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.guards);
        QFile::remove(dir.path("b.png"));
        QFile::remove(dir.path("b.tmx"));
        if (row.before) {
            writeBytes(dir.path("b.png"), "an older board");
            writeBytes(dir.path("b.tmx"), "an older definition");
        }
        QList<QByteArray> expected = namesIn(root);
        const Ran ran = runExport(QList<QByteArray>{"b.png"} + kTiled, row.fault);
        EXPECT_EQ(std::tuple(ran.status, ran.err), std::tuple(row.status, row.err));
        if (row.renewed && !row.before) {
            expected << "b.png"
                     << "b.tmx";
        }
        EXPECT_EQ(namesIn(root), expected) << "no scratch file left";
        if (row.renewed) {
            expectOnePair(root + "b.png", root + "b.tmx");
        } else if (row.before) {
            EXPECT_EQ(readBytes(dir.path("b.png")) + readBytes(dir.path("b.tmx")),
                      "an older boardan older definition");
        }
    }
}

namespace {

// Waits until the run waits for a lock (/proc/locks marks a waiter "->"); false when it
// ended first.
bool untilWaiting(QProcess& run) {
    const QRegularExpression waiting(
        QStringLiteral("-> FLOCK +ADVISORY +WRITE +%1 ").arg(run.processId()));
    while (!QString::fromLatin1(readBytes("/proc/locks")).contains(waiting)) {
        if (run.waitForFinished(10)) {
            return false;
        }
    }
    return true;
}

}  // namespace

// Two runs writing one pair at once put theirs in place in turn: while another holds the
// folder, each waits with both files written under scratch names, and the pair left is one
// run's board with the same run's definition.
TEST_F(ExportFaults, TwoExportsToOneBoardPutTheirPairsInPlaceInTurn) {
    const int folder = ::open(root, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(folder, LOCK_EX), 0);
    QProcess one, other;
    for (QProcess* run : {&one, &other}) {
        run->start(TESSARA_PROGRAM, {"export", "map.png", "b.png", "--for", "tiled", "--hex-pixels",
                                     run == &one ? "30" : "45"});
        EXPECT_TRUE(untilWaiting(*run)) << "ended with the folder held";
    }
    const QList<QByteArray> names = namesIn(root);
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const QByteArray& name) { return name.contains("b.tmx"); }),
              2)
        << "two scratch definitions, none in place";
    ::close(folder);
    for (QProcess* run : {&one, &other}) {
        EXPECT_TRUE(run->waitForFinished(120000));
        EXPECT_EQ(run->exitCode(), 0);
    }
    expectOnePair(root + "b.png", root + "b.tmx");
}

namespace {

QByteArray lastFlushed;  // the file or folder, and the pair at that moment

int recordFlush(int fd) {
    char path[4096] = {};
    const ssize_t n = ::readlink("/proc/self/fd/" + QByteArray::number(fd), path, sizeof path);
    lastFlushed = QByteArray(path, static_cast<int>(std::max<ssize_t>(n, 0))) + ' ' +
                  readBytes("b.png").toBase64() + ' ' + readBytes("b.tmx");
    return ::fsync(fd);
}

}  // namespace

// The last flush is the folder's, once both files have their names: a power loss after the
// export leaves the new pair, not one new file beside an old one.
TEST_F(ExportFaults, TheFolderIsFlushedAfterTheLastRename) {
    GridOptions options;
    options.hexPixels = 30;
    BoardRequest request;
    request.target = findBoardFormat("tiled");
    request.boardPath = "b.png";
    const FlushToDisk previous = setFlushToDisk(&recordFlush);
    const BoardOutcome outcome =
        exportBoard(LoadPicture(dir.path("map.png")), layoutGrid(400, 300, 1, 1, options), request);
    setFlushToDisk(previous);
    ASSERT_TRUE(outcome.written) << outcome.written.error.toStdString();
    EXPECT_EQ(lastFlushed,
              root.chopped(1) + ' ' + readBytes("b.png").toBase64() + ' ' + readBytes("b.tmx"));
}
