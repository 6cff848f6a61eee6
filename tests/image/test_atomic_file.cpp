#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <vector>

#include "image/atomic_file.h"
#include "image/bmp_writer.h"
#include "image/descriptor_device.h"
#include "image/picture.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

QStringList entries(const ScratchDir& dir) {
    return QDir(dir.root())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

auto writing(const QByteArray& bytes) {
    return [bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); };
}

std::string octal(mode_t mode) {
    return QString::number(mode, 8).rightJustified(4, '0').toStdString();
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// What was flushed to the disk, and what the target held at that moment.
struct Flush {
    QString name;  // of the file or folder, as the descriptor names it
    QByteArray content;
    QByteArray targetThen;
};

// Records each flush, then does it, or fails as a disk that cannot write does.
class FlushWatch {
  public:
    explicit FlushWatch(const QString& target, int failWith = 0) {
        target_ = target;
        failWith_ = failWith;
        flushes_.clear();
        previous_ = setFlushToDisk(&FlushWatch::flush);
    }
    ~FlushWatch() { setFlushToDisk(previous_); }
    FlushWatch(const FlushWatch&) = delete;
    FlushWatch& operator=(const FlushWatch&) = delete;
    const std::vector<Flush>& flushes() const { return flushes_; }

  private:
    static int flush(int fd) {
        const QString link = QStringLiteral("/proc/self/fd/%1").arg(fd);
        struct stat st {};
        ::fstat(fd, &st);
        flushes_.push_back({QFileInfo(QFile::symLinkTarget(link)).fileName(),
                            S_ISREG(st.st_mode) ? readBytes(link) : QByteArray(),
                            readBytes(target_)});
        if (failWith_ != 0) {
            errno = failWith_;
            return -1;
        }
        return ::fsync(fd);
    }
    static inline QString target_;
    static inline int failWith_ = 0;
    static inline std::vector<Flush> flushes_;
    FlushToDisk previous_;
};

}  // namespace

TEST(WriteFileAtomically, ReplacesTheFileWithTheNewContent) {
    ScratchDir dir;
    writeBytes(dir.path("map.bmp"), "old");
    EXPECT_EQ(writeFileAtomically(dir.path("map.bmp"), writing("new")).error, QString());
    EXPECT_EQ(readBytes(dir.path("map.bmp")), QByteArray("new"));
    EXPECT_EQ(entries(dir), QStringList{"map.bmp"}) << "no temporary file is left";
}

TEST(WriteFileAtomically, AFailedWriteLeavesTheOldFileWhole) {
    ScratchDir dir;
    writeBytes(dir.path("map.bmp"), "precious");
    const WriteResult written = writeFileAtomically(dir.path("map.bmp"), [](QIODevice& out) {
        out.write("half");
        return false;
    });
    EXPECT_FALSE(written);
    EXPECT_EQ(written.error, "The file could not be written.");
    EXPECT_EQ(readBytes(dir.path("map.bmp")), QByteArray("precious"));
    EXPECT_EQ(entries(dir), QStringList{"map.bmp"});
}

TEST(WriteFileAtomically, AThrowingWriterLeavesNothingBehind) {
    ScratchDir dir;
    const WriteResult written = writeFileAtomically(
        dir.path("new.bmp"), [](QIODevice&) -> bool { throw std::bad_alloc(); });
    EXPECT_FALSE(written);
    EXPECT_TRUE(entries(dir).isEmpty());
}

TEST(WriteFileAtomically, ASymbolicLinkOfThatNameIsReplacedNotFollowed) {
    ScratchDir dir;
    writeBytes(dir.path("elsewhere.txt"), "keep me");
    ASSERT_TRUE(QFile::link(dir.path("elsewhere.txt"), dir.path("tmp.bmp")));
    EXPECT_EQ(writeFileAtomically(dir.path("tmp.bmp"), writing("grid")).error, QString());
    EXPECT_FALSE(QFileInfo(dir.path("tmp.bmp")).isSymLink());
    EXPECT_EQ(readBytes(dir.path("tmp.bmp")), QByteArray("grid"));
    EXPECT_EQ(readBytes(dir.path("elsewhere.txt")), QByteArray("keep me"));
}

TEST(WriteFileAtomically, KeepsThePermissionsOfTheFileItReplaces) {
    ScratchDir dir;
    writeBytes(dir.path("shared.bmp"), "old");
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                      QFileDevice::WriteGroup | QFileDevice::ReadOther;
    QFile::setPermissions(dir.path("shared.bmp"), mode);
    EXPECT_EQ(writeFileAtomically(dir.path("shared.bmp"), writing("new")).error, QString());
    EXPECT_EQ(QFile::permissions(dir.path("shared.bmp")) & 0xF0FF, mode & 0xF0FF);
}

TEST(WriteFileAtomically, RefusesAFolderAndAMissingFolder) {
    ScratchDir dir;
    QDir(dir.root()).mkdir("sub");
    EXPECT_FALSE(writeFileAtomically(dir.path("sub"), writing("x")));
    EXPECT_TRUE(QFileInfo(dir.path("sub")).isDir());
    EXPECT_FALSE(writeFileAtomically(dir.path("gone/map.bmp"), writing("x")));
}

TEST(WriteFileAtomically, RefusesToReplaceAReadOnlyFileAndNamesIt) {
    ScratchDir dir;
    const QString path = writeBytes(dir.path("map.bmp"), "old");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    EXPECT_EQ(writeFileAtomically(path, writing("new")).error, "The file map.bmp is read-only.");
    EXPECT_EQ(readBytes(path), "old");
    EXPECT_EQ(entries(dir), QStringList{"map.bmp"});
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(writeFileAtomically(path, writing("new")).error, QString());  // writable again
}

TEST(WriteFileAtomically, AFailedWriteSaysWhy) {
    struct Row {
        const char* guards;
        int error;
        QString reason;
    };
    const Row rows[] = {
        {"a full disk", ENOSPC, "The disk is full."},
        {"a full quota", EDQUOT, "The disk is full."},
        {"a file over the size limit", EFBIG, "File too large"},
        {"an input/output error", EIO, "Input/output error"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(writeFailureReason(row.error), row.reason) << row.guards;
    }
}

TEST(DescriptorDevice, KeepsTheReasonOfAShortWriteOnAFullDisk) {
    const int fd = ::open("/dev/full", O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    DescriptorDevice device(fd);
    EXPECT_FALSE(writeBmp(makeMap(40, 30), device));
    EXPECT_EQ(device.lastError(), ENOSPC);
    EXPECT_EQ(writeFailureReason(device.lastError()), "The disk is full.");
    ::close(fd);
}

TEST(WriteFileAtomically, ANewFileTakesItsModeFromTheUmaskWhichIsLeftAlone) {
    struct Row {
        mode_t umask;
        mode_t mode;
    };
    const Row rows[] = {{022, 0644}, {027, 0640}, {077, 0600}, {002, 0664}};
    for (const Row& row : rows) {
        ScratchDir dir;
        const mode_t before = ::umask(row.umask);
        mode_t during = 0;
        const WriteResult written = writeFileAtomically(dir.path("map.bmp"), [&](QIODevice& out) {
            during = currentUmask();
            return out.write("map") == 3;
        });
        const mode_t after = ::umask(before);
        EXPECT_EQ(written.error, QString());
        EXPECT_EQ(octal(during), octal(row.umask)) << "while writing";
        EXPECT_EQ(octal(after), octal(row.umask)) << "afterwards";
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(dir.path("map.bmp")).constData(), &st), 0);
        EXPECT_EQ(octal(st.st_mode & 07777), octal(row.mode)) << "under umask " << octal(row.umask);
    }
}

TEST(WriteFileAtomically, FlushesTheFileBeforeItTakesTheNameThenTheFolder) {
    struct Row {
        const char* guards;
        Durability durability;
        int failWith;  // the flush fails with this error; 0: it succeeds
        std::string reason;
        std::string left;  // what the target holds afterwards
        size_t flushes;
    };
    const Row rows[] = {
        {"a save to the disk", Durability::OnDisk, 0, "", "new", 2},
        {"a scratch file", Durability::Cached, 0, "", "new", 0},
        {"a disk that fails to flush", Durability::OnDisk, EIO, "Input/output error", "old", 1},
    };
    for (const Row& row : rows) {
        ScratchDir dir;
        const QString path = writeBytes(dir.path("map.bmp"), "old");
        const FlushWatch watch(path, row.failWith);
        EXPECT_EQ(writeFileAtomically(path, writing("new"), row.durability).error.toStdString(),
                  row.reason)
            << row.guards;
        EXPECT_EQ(readBytes(path).toStdString(), row.left) << row.guards;
        EXPECT_EQ(entries(dir), QStringList{"map.bmp"}) << row.guards;
        ASSERT_EQ(watch.flushes().size(), row.flushes) << row.guards;
        if (row.flushes >= 1) {
            const Flush& file = watch.flushes()[0];
            EXPECT_TRUE(file.name.startsWith(".map.bmp."))
                << row.guards << ": " << file.name.toStdString();
            EXPECT_EQ(file.content.toStdString(), "new") << row.guards << ": all of it is flushed";
            EXPECT_EQ(file.targetThen.toStdString(), "old") << row.guards << ": before the rename";
        }
        if (row.flushes >= 2) {
            const Flush& folder = watch.flushes()[1];
            EXPECT_EQ(folder.name, QFileInfo(dir.root()).fileName()) << row.guards;
            EXPECT_EQ(folder.targetThen.toStdString(), "new") << row.guards << ": after the rename";
        }
    }
}

// A name may take 255 bytes, and the scratch file's name adds 10 to it: the name it is made
// from is shortened when there is no room, between two characters.
TEST(WriteFileAtomically, WritesANameOfEveryLengthUpToTheLongest) {
    const QString e = QStringLiteral("\u00e9");  // two bytes in UTF-8
    for (const QString& name : {QString(241, u'm') + ".bmp", QString(242, u'm') + ".bmp",
                                QString(251, u'm') + ".bmp", e.repeated(125) + "m.bmp"}) {
        ScratchDir dir;
        QByteArray scratch;
        const WriteResult written = writeFileAtomically(dir.path(name), [&](QIODevice& out) {
            scratch = QFile::encodeName(entries(dir).value(0));
            return out.write("map") == 3;
        });
        const qsizetype bytes = QFile::encodeName(name).size();
        EXPECT_EQ(written.error, "") << bytes << " bytes";
        EXPECT_EQ(entries(dir), QStringList{name}) << bytes << " bytes";
        EXPECT_EQ(QString::fromUtf8(scratch).toUtf8(), scratch) << "no character cut in two";
        EXPECT_LE(scratch.size(), 255);
    }
}
