#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "image/atomic_file.h"
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
