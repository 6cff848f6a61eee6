#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "about/system_info.h"
#include "about/system_info_platform.h"
#include "support/qt_print.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

QString makeProgram(const QString& path, const QByteArray& script = "#!/bin/sh\nexit 0\n") {
    writeBytes(path, script);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                    QFile::ReadOther | QFile::ExeOther);
    return path;
}

}  // namespace

TEST(FindProgramOnPath, TakesTheFirstProgramOfTheListThatIsInstalled) {
    ScratchDir first;
    ScratchDir second;
    makeProgram(first.path("kinfocenter"));
    makeProgram(second.path("hardinfo"));
    writeBytes(first.path("hardinfo2"), "not a program");  // not executable
    QDir(first.root()).mkdir("cpu-x");                     // a folder
    const QString path = first.root() + ":" + second.root();
    struct Row {
        const char* guards;
        QString searchPath;
        QStringList programs;
        QString expected;
    } const rows[] = {
        {"the list's order decides, not the path's", path, sysInfoPrograms(),
         second.path("hardinfo")},
        {"a file that is not executable is passed over",
         path,
         {"hardinfo2", "kinfocenter"},
         first.path("kinfocenter")},
        {"a folder is passed over", path, {"cpu-x"}, QString()},
        {"nothing installed", second.root(), {"kinfocenter"}, QString()},
        {"an empty search path", QString(), sysInfoPrograms(), QString()},
        {"relative folders are never searched", ".", sysInfoPrograms(), QString()},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(findProgramOnPath(row.searchPath, row.programs), row.expected) << row.guards;
    }
    EXPECT_EQ(sysInfoPrograms().first(), QString("hardinfo2"));
}

TEST(PlatformRegistry, TheFirstLookupGivesTheProgramFoundOnTheSearchPath) {
    ScratchDir dir;
    const QString program = makeProgram(dir.path("hardinfo"));
    PlatformRegistry registry(dir.root());
    QString path;
    EXPECT_TRUE(GetKeyValue(registry, kHKeyLocalMachine, kSysInfoKey, kSysInfoValue, path));
    EXPECT_EQ(path, program);

    PlatformRegistry without(QDir::tempPath() + "/no-such-folder");
    EXPECT_FALSE(GetKeyValue(without, kHKeyLocalMachine, kSysInfoKey, kSysInfoValue, path));
    EXPECT_EQ(path, QString());
}

TEST(PlatformRegistry, TheSecondLookupGivesTheSystemsProgramFolder) {
    PlatformRegistry registry(QString{});
    QString folder;
    EXPECT_TRUE(
        GetKeyValue(registry, kHKeyLocalMachine, kSysInfoFolderKey, kSysInfoFolderValue, folder));
    EXPECT_EQ(folder, QString("/usr/bin"));
    EXPECT_EQ(sysInfoToolFile(), QString("/hardinfo"));
}

TEST(PlatformRegistry, BehavesAsARegistryForAnythingElse) {
    PlatformRegistry registry(QString{});
    RegKey key = 99;
    EXPECT_EQ(registry.RegOpenKeyExA(0x80000001, kSysInfoKey, 0, kKeyAccess, &key),
              kErrorFileNotFound)
        << "another root";
    EXPECT_EQ(key, 0U);
    EXPECT_EQ(registry.RegOpenKeyExA(kHKeyLocalMachine, "SOFTWARE\\Other", 0, kKeyAccess, &key),
              kErrorFileNotFound);
    ASSERT_EQ(registry.RegOpenKeyExA(kHKeyLocalMachine,
                                     "software\\microsoft\\shared tools "
                                     "location",
                                     0, kKeyAccess, &key),
              kErrorSuccess)
        << "key names are caseless";
    char small[4] = {};
    std::uint32_t size = sizeof small;
    std::uint32_t type = 0;
    EXPECT_EQ(registry.RegQueryValueExA(key, kSysInfoFolderValue, 0, &type, small, &size),
              kErrorMoreData);
    EXPECT_EQ(size, 9U) << "/usr/bin and its zero";
    char buffer[16] = {};
    size = sizeof buffer;
    EXPECT_EQ(registry.RegQueryValueExA(key, kSysInfoFolderValue, 0, &type, buffer, &size),
              kErrorSuccess);
    EXPECT_EQ(type, kRegString);
    EXPECT_EQ(QByteArray(buffer, static_cast<int>(size)), QByteArray("/usr/bin\0", 9));
    EXPECT_EQ(registry.RegQueryValueExA(key, "Other", 0, &type, buffer, &size), kErrorFileNotFound);
    EXPECT_EQ(registry.RegCloseKey(key), kErrorSuccess);
    EXPECT_EQ(registry.RegCloseKey(0), kErrorInvalidHandle);
}

TEST(QtFileLookup, GivesTheNameOfAFileThatExists) {
    ScratchDir dir;
    writeBytes(dir.path("hardinfo"), "x");
    QDir(dir.root()).mkdir("folder");
    QtFileLookup files;
    EXPECT_EQ(files.Dir(dir.path("hardinfo")), QString("hardinfo"));
    EXPECT_EQ(files.Dir(dir.path("missing")), QString());
    EXPECT_EQ(files.Dir(dir.path("folder")), QString()) << "a folder is not the tool";
}

TEST(QtProgramStarter, StartsAProgramOnItsOwnAndFailsPlainly) {
    ScratchDir dir;
    const QString mark = dir.path("started");
    const QString program =
        makeProgram(dir.path("tool"), "#!/bin/sh\ntouch '" + mark.toLocal8Bit() + "'\n");
    QtProgramStarter programs;
    EXPECT_FALSE(programs.Shell("", WindowStyle::NormalFocus)) << "the empty path";
    EXPECT_FALSE(programs.Shell(dir.path("missing"), WindowStyle::NormalFocus));
    writeBytes(dir.path("plain"), "text");
    EXPECT_FALSE(programs.Shell(dir.path("plain"), WindowStyle::NormalFocus)) << "not a program";
    EXPECT_TRUE(programs.Shell(program, WindowStyle::NormalFocus));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(mark); }, 5000));
}
