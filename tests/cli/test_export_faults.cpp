// tessara export's pair of files, a board and its definition, where things go wrong: names
// the definition cannot hold, signals and refused renames while the pair goes in place, and
// two runs writing one pair at once. The built program is run with the arguments' own bytes,
// and a fault lands on one exact call through the fault shim (support/fault_shim.cpp).
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QThread>
#include <QXmlStreamReader>
#include <algorithm>
#include <csignal>
#include <vector>

#include "boards/board_export.h"
#include "core/file_names.h"
#include "image/atomic_file.h"
#include "support/qt_print.h"
#include "support/test_files.h"

// A name in a failure message as the bytes it is.
inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << ::testing::PrintToString(bytes.toStdString());
}

using namespace tessara;
using namespace tessara::test;

namespace {

// The built program, run from the current folder as a shell runs it: its arguments' own
// bytes, the ending signals at their defaults, no display; `fault` for the shim, `user` to
// run as another user.
class ProgramRun {
  public:
    explicit ProgramRun(const QList<QByteArray>& arguments, const QByteArray& fault = {},
                        uid_t user = 0) {
        std::vector<QByteArray> words{TESSARA_PROGRAM};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<QByteArray> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const QByteArray entry(*e);
            if (!entry.startsWith("DISPLAY=") && !entry.startsWith("WAYLAND_DISPLAY=") &&
                !entry.startsWith("QT_QPA_PLATFORM=") && !entry.startsWith("ASAN_OPTIONS=")) {
                env.push_back(entry);
            }
        }
        if (fault.isEmpty() && qEnvironmentVariableIsSet("ASAN_OPTIONS")) {
            env.push_back("ASAN_OPTIONS=" + qgetenv("ASAN_OPTIONS"));
        }
        if (!fault.isEmpty()) {
            env.push_back("LD_PRELOAD=" TESSARA_FAULT_SHIM);
            env.push_back("TESSARA_FAULT=" + fault);
            // A sanitized build wants its runtime first; the shim wraps no allocation.
            env.push_back("ASAN_OPTIONS=" + qgetenv("ASAN_OPTIONS") + ":verify_asan_link_order=0");
        }
        std::vector<char*> argv, envp;
        for (QByteArray& w : words) {
            argv.push_back(w.data());
        }
        for (QByteArray& e : env) {
            envp.push_back(e.data());
        }
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        int err[2];
        EXPECT_EQ(::pipe2(err, O_CLOEXEC), 0);
        pid_ = ::fork();
        if (pid_ == 0) {  // only calls safe after a fork from here on
            for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
                ::signal(s, SIG_DFL);
            }
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            const bool dropped = user == 0 || (::setgroups(0, nullptr) == 0 &&
                                               ::setgid(user) == 0 && ::setuid(user) == 0);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(err[1], 2);
            if (dropped) {
                ::execve(argv[0], argv.data(), envp.data());
            }
            ::_exit(127);
        }
        ::close(err[1]);
        err_ = err[0];
    }
    ~ProgramRun() {
        finish();
        ::close(err_);
    }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    pid_t pid() const { return pid_; }
    bool ended() { return ended_ || wait(WNOHANG); }
    void finish() {
        if (!ended_) {
            wait(0);
        }
    }

    int status = -1;  // the exit status; -1 when a signal ended it
    int signal = 0;   // the signal that ended it
    QString err;

  private:
    bool wait(int flags) {
        int raw = 0;
        if (::waitpid(pid_, &raw, flags) != pid_) {
            return false;
        }
        ended_ = true;
        status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        signal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
        QByteArray text;
        char buffer[4096];
        for (ssize_t n; (n = ::read(err_, buffer, sizeof buffer)) > 0;) {
            text.append(buffer, n);
        }
        err = QString::fromUtf8(text);
        return true;
    }

    pid_t pid_ = -1;
    int err_ = -1;
    bool ended_ = false;
};

// Every name under `folder` as its bytes, a subfolder's after its own and a slash.
QList<QByteArray> namesUnder(const QByteArray& folder, const QByteArray& prefix = {}) {
    QList<QByteArray> names;
    DIR* dir = ::opendir(folder.constData());
    while (const dirent* entry = dir != nullptr ? ::readdir(dir) : nullptr) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..") {
            names << prefix + name;
            if (entry->d_type == DT_DIR) {
                names << namesUnder(folder + '/' + name, prefix + name + '/');
            }
        }
    }
    if (dir != nullptr) {
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

QByteArray bytesAt(const QByteArray& path) {
    QByteArray bytes;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    char buffer[4096];
    for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
        bytes.append(buffer, n);
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return bytes;
}

// The value of an attribute of Tiled's <image>; empty, with the test failed, for a .tmx that
// is not well-formed.
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

// A board whose definition is Tiled's: the picture of the size the definition gives.
void expectMatchingPair(const QString& board, const QString& tmx) {
    const QByteArray text = readBytes(tmx);
    const QImage picture(board);
    ASSERT_FALSE(picture.isNull()) << board.toStdString();
    EXPECT_EQ(imageAttribute(text, "width").toInt(), picture.width());
    EXPECT_EQ(imageAttribute(text, "height").toInt(), picture.height());
}

const QByteArray kOldBoard = "an older board";
const QByteArray kOldDefinition = "an older definition";

class ExportFaults : public ::testing::Test {
  protected:
    ExportFaults() {
        writeImage(dir.path("map.png"), makeMap(400, 300), "PNG");
        root = encodeFileName(dir.root());
    }
    static QList<QByteArray> exportOf(const QByteArray& board, const char* target = "tiled") {
        return {"export", "map.png", board, "--for", target, "--hex-pixels", "30"};
    }

    ScratchDir dir;
    QByteArray root;
};

}  // namespace

// Both files are written under the bytes typed, a folder's name whatever bytes it holds, with
// the board's name in the definition; 248 to 255 bytes leave the board's scratch name no
// room, which is shortened. The definition names the board as text: a name that is not
// UTF-8, or holds what XML cannot, is refused for every target alike, in one line, with
// nothing written. Either file of the pair named where a folder is, is bad input, and a file
// that cannot be replaced is named itself.
TEST_F(ExportFaults, BoardNamesAreWrittenAsTypedOrRefusedInOneLine) {
    ASSERT_EQ(::mkdir((root + "/d\xe9").constData(), 0755), 0);
    ASSERT_EQ(::mkdir((root + "/taken.tmx").constData(), 0755), 0);
    writeBytes(dir.path("ro.tmx"), kOldDefinition);
    QFile::setPermissions(dir.path("ro.tmx"), QFile::ReadOwner);
    const QByteArray long248 = QByteArray(244, 'a') + ".png";
    const QByteArray long255 = QByteArray(251, 'b') + ".png";
    const QString notText =
        "its name is not UTF-8 text, so its grid definition could not name it\n";
    // clang-format off
    const struct { const char* guards; QByteArray board; const char* target; int status; QString err; QList<QByteArray> made; } rows[] = {
        {"a name that is not UTF-8", "b\xe9.png", "tiled", 2, "tessara: cannot write 'b\uFFFD.png': " + notText, {}},
        {"the same for Foundry, whose JSON alone could hold it", "b\xe9.png", "foundry", 2,
         "tessara: cannot write 'b\uFFFD.png': " + notText, {}},
        {"a control character", "b\x01.png", "vassal", 2,
         "tessara: cannot write 'b\uFFFD.png': its name holds U+0001, which its grid definition cannot hold\n", {}},
        {"U+FFFE", "b\xef\xbf\xbe.png", "tiled", 2,
         "tessara: cannot write 'b\uFFFE.png': its name holds U+FFFE, which its grid definition cannot hold\n", {}},
        {"a tab and U+FFFD, which XML holds, in a folder that is not UTF-8", "d\xe9/b\t\xef\xbf\xbd.png", "tiled", 0, "",
         {"d\xe9/b\t\xef\xbf\xbd.png", "d\xe9/b\t\xef\xbf\xbd.tmx"}},
        {"248 bytes", long248, "tiled", 0, "", {long248, long248.chopped(3) + "tmx"}},
        {"255 bytes", long255, "tiled", 0, "", {long255, long255.chopped(3) + "tmx"}},
        {"a folder where the definition goes", "taken.png", "tiled", 2, "tessara: cannot write 'taken.tmx': it is a folder\n", {}},
        {"a read-only definition, named itself", "ro.png", "tiled", 1,
         "tessara: cannot write 'ro.tmx': The file ro.tmx is read-only.\n", {}},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.guards);
        QList<QByteArray> expected = namesUnder(root) + row.made;
        std::sort(expected.begin(), expected.end());
        ProgramRun run(exportOf(row.board, row.target));
        run.finish();
        EXPECT_EQ(run.status, row.status);
        EXPECT_EQ(run.err, row.err);
        EXPECT_EQ(namesUnder(root), expected) << "both files under the bytes typed, or nothing";
        if (!row.made.isEmpty()) {
            const QByteArray tmx = bytesAt(root + '/' + row.made[1]);
            EXPECT_EQ(imageAttribute(tmx, "source"),
                      QString::fromUtf8(row.made[0].mid(row.made[0].lastIndexOf('/') + 1)));
        }
        for (const QByteArray& made : row.made) {
            ::unlink((root + '/' + made).constData());
        }
    }
    EXPECT_EQ(readBytes(dir.path("ro.tmx")), kOldDefinition);
    ::rmdir((root + "/d\xe9").constData());  // a name Qt's own removal cannot give back
}

// A signal, or a refused rename, at each step of putting the pair in place: the folder holds
// the old pair or the new one, never one of each, and no scratch file. A signal once both are
// written waits for the few renames that put them in place, then ends the program.
TEST_F(ExportFaults, AFaultLeavesBothOldFilesOrBothNewOnes) {
    constexpr uid_t kOtherUser = 65533;
    constexpr uid_t kNobody = 65534;
    // clang-format off
    const struct { const char* guards; QByteArray fault; bool before; int signal; int status; QString err; bool renewed; bool sticky = false; } rows[] = {
        {"SIGTERM as the definition is flushed, the board whole under its scratch name", "fsync *.b.tmx.* raise 15",
         true, SIGTERM, -1, "", false},
        {"the same with no pair before: nothing is left", "fsync *.b.tmx.* raise 2", false, SIGINT, -1, "", false},
        {"SIGINT as the definition goes in place", "rename b.tmx raise 2", true, SIGINT, -1, "", true},
        {"SIGTERM as the board goes in place, the definition there already", "rename b.png raise 15", true, SIGTERM, -1, "", true},
        {"the board's rename refused: the old definition goes back", "rename b.png fail 1", true, 0, 1,
         "tessara: cannot write 'b.png': Operation not permitted\n", false},
        {"the same with no pair before: the new definition goes", "rename b.png fail 13", false, 0, 1,
         "tessara: cannot write 'b.png': Permission denied\n", false},
        {"a sticky folder, the board another user's", "", true, 0, 1,
         "tessara: cannot write 'b.png': Operation not permitted\n", false, true},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.guards);
        if (row.sticky && ::geteuid() != 0) {
            std::puts("  (a sticky folder needs root to give the board to another user)");
            continue;
        }
        QFile::remove(dir.path("b.png"));
        QFile::remove(dir.path("b.tmx"));
        if (row.before) {
            writeBytes(dir.path("b.png"), kOldBoard);
            writeBytes(dir.path("b.tmx"), kOldDefinition);
        }
        if (row.sticky) {
            ASSERT_EQ(::chmod(root.constData(), 01777), 0);
            ASSERT_EQ(::chown((root + "/b.png").constData(), kNobody, kNobody), 0);
            ASSERT_EQ(::chown((root + "/b.tmx").constData(), kOtherUser, kOtherUser), 0);
        }
        const QList<QByteArray> before = namesUnder(root);
        ProgramRun run(exportOf("b.png"), row.fault, row.sticky ? kOtherUser : 0);
        run.finish();
        ::chmod(root.constData(), 0700);
        EXPECT_EQ(std::tuple(run.signal, run.status, run.err),
                  std::tuple(row.signal, row.status, row.err));
        QList<QByteArray> expected = before;
        if (row.renewed && !row.before) {
            expected << "b.png"
                     << "b.tmx";
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(namesUnder(root), expected) << "no scratch file left";
        if (row.renewed) {
            expectMatchingPair(dir.path("b.png"), dir.path("b.tmx"));
        } else if (row.before) {
            EXPECT_EQ(std::tuple(readBytes(dir.path("b.png")), readBytes(dir.path("b.tmx"))),
                      std::tuple(kOldBoard, kOldDefinition));
        }
    }
}

namespace {

// Whether `pid` waits for a lock (/proc/locks marks a waiter with "->").
bool waitsForLock(pid_t pid) {
    const QString locks = QString::fromLatin1(readBytes("/proc/locks"));
    return locks.contains(
        QRegularExpression(QStringLiteral("-> FLOCK +ADVISORY +WRITE +%1 ").arg(pid)));
}

// Waits until the run waits for a lock; false when it ended first.
bool untilWaiting(ProgramRun& run) {
    while (!waitsForLock(run.pid())) {
        if (run.ended()) {
            return false;
        }
        QThread::msleep(10);
    }
    return true;
}

}  // namespace

// Two runs writing one pair at once put theirs in place one after the other: while another
// run holds the folder, each waits with both files written under scratch names, and the
// pair left is one run's board with the same run's definition.
TEST_F(ExportFaults, TwoExportsToOneBoardPutTheirPairsInPlaceInTurn) {
    const int folder = ::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(folder, LOCK_EX), 0);
    QList<QByteArray> first = exportOf("b.png");
    QList<QByteArray> second = exportOf("b.png");
    second.last() = "45";
    ProgramRun one(first);
    EXPECT_TRUE(untilWaiting(one)) << "ended with the folder held: " << one.err.toStdString();
    ProgramRun other(second);
    EXPECT_TRUE(untilWaiting(other)) << "ended with the folder held: " << other.err.toStdString();
    const QList<QByteArray> names = namesUnder(root);
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const QByteArray& name) { return name.contains("b.tmx"); }),
              2)
        << "two scratch definitions, none in place";
    ::close(folder);
    one.finish();
    other.finish();
    EXPECT_EQ(std::tuple(one.status, other.status), std::tuple(0, 0));
    expectMatchingPair(dir.path("b.png"), dir.path("b.tmx"));
}

namespace {

struct Flushed {
    QByteArray name;  // of the file or folder flushed
    QByteArray board;
    QByteArray definition;
};
std::vector<Flushed> flushes;

int recordFlush(int fd) {
    char path[4096] = {};
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(link.constData(), path, sizeof path - 1);
    flushes.push_back({QByteArray(path, static_cast<int>(std::max<ssize_t>(n, 0))),
                       readBytes("b.png"), readBytes("b.tmx")});
    return ::fsync(fd);
}

}  // namespace

// The last flush is the folder's, once both files have their names: a power loss after the
// export leaves the new pair, not one new file beside an old one.
TEST_F(ExportFaults, TheFolderIsFlushedAfterTheLastRename) {
    GridOptions options;
    options.hexPixels = 30;
    const GridLayout layout = layoutGrid(400, 300, 1, 1, options);
    BoardRequest request;
    request.target = findBoardFormat("tiled");
    request.boardPath = "b.png";
    flushes.clear();
    const FlushToDisk previous = setFlushToDisk(&recordFlush);
    const BoardOutcome outcome = exportBoard(LoadPicture(dir.path("map.png")), layout, request);
    setFlushToDisk(previous);
    ASSERT_TRUE(outcome.written) << outcome.written.error.toStdString();
    ASSERT_FALSE(flushes.empty());
    EXPECT_EQ(flushes.back().name, root);
    EXPECT_EQ(std::tuple(flushes.back().board, flushes.back().definition),
              std::tuple(readBytes("b.png"), readBytes("b.tmx")));
}
