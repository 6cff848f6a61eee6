#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

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

}  // namespace

TEST(WriteFileAtomically, ReplacesTheFileWithTheNewContent) {
    ScratchDir dir;
    writeBytes(dir.path("map.bmp"), "old");
    EXPECT_EQ(writeFileAtomically(dir.path("map.bmp"), writing("new")), QString());
    EXPECT_EQ(readBytes(dir.path("map.bmp")), QByteArray("new"));
    EXPECT_EQ(entries(dir), QStringList{"map.bmp"}) << "no temporary file is left";
}

TEST(WriteFileAtomically, AFailedWriteLeavesTheOldFileWhole) {
    ScratchDir dir;
    writeBytes(dir.path("map.bmp"), "precious");
    const QString failure = writeFileAtomically(dir.path("map.bmp"), [](QIODevice& out) {
        out.write("half");
        return false;
    });
    EXPECT_FALSE(failure.isEmpty());
    EXPECT_EQ(readBytes(dir.path("map.bmp")), QByteArray("precious"));
    EXPECT_EQ(entries(dir), QStringList{"map.bmp"});
}

TEST(WriteFileAtomically, AThrowingWriterLeavesNothingBehind) {
    ScratchDir dir;
    const QString failure = writeFileAtomically(dir.path("new.bmp"),
                                                [](QIODevice&) -> bool { throw std::bad_alloc(); });
    EXPECT_FALSE(failure.isEmpty());
    EXPECT_TRUE(entries(dir).isEmpty());
}

TEST(WriteFileAtomically, ASymbolicLinkOfThatNameIsReplacedNotFollowed) {
    ScratchDir dir;
    writeBytes(dir.path("elsewhere.txt"), "keep me");
    ASSERT_TRUE(QFile::link(dir.path("elsewhere.txt"), dir.path("tmp.bmp")));
    EXPECT_EQ(writeFileAtomically(dir.path("tmp.bmp"), writing("grid")), QString());
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
    EXPECT_EQ(writeFileAtomically(dir.path("shared.bmp"), writing("new")), QString());
    EXPECT_EQ(QFile::permissions(dir.path("shared.bmp")) & 0xF0FF, mode & 0xF0FF);
}

TEST(WriteFileAtomically, RefusesAFolderAndAMissingFolder) {
    ScratchDir dir;
    QDir(dir.root()).mkdir("sub");
    EXPECT_FALSE(writeFileAtomically(dir.path("sub"), writing("x")).isEmpty());
    EXPECT_TRUE(QFileInfo(dir.path("sub")).isDir());
    EXPECT_FALSE(writeFileAtomically(dir.path("gone/map.bmp"), writing("x")).isEmpty());
}

TEST(WriteFileAtomically, RefusesToReplaceAReadOnlyFileAndNamesIt) {
    ScratchDir dir;
    const QString path = writeBytes(dir.path("map.bmp"), "old");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    EXPECT_EQ(writeFileAtomically(path, writing("new")), "The file map.bmp is read-only.");
    EXPECT_EQ(readBytes(path), "old");
    EXPECT_EQ(entries(dir), QStringList{"map.bmp"});
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(writeFileAtomically(path, writing("new")), QString());  // writable again
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
