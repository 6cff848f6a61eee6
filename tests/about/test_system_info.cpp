#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "about/system_info.h"
#include "about/system_info_platform.h"
#include "support/qt_print.h"
#include "support/scripted_services.h"

using namespace tessara;
using namespace tessara::test;

namespace {

const QByteArray kToolKey = kSysInfoKey;
const QByteArray kFolderKey = kSysInfoFolderKey;

QByteArray bytes(std::initializer_list<unsigned char> list) {
    QByteArray b;
    for (unsigned char c : list) {
        b.append(static_cast<char>(c));
    }
    return b;
}

}  // namespace

TEST(CutToLength, DropsTheTerminatingZeroOnly) {
    QByteArray buffer(1024, '\0');
    buffer.replace(0, 5, "/bin/");
    EXPECT_EQ(cutToLength(buffer, 6), QByteArray("/bin/")) << "a string with its zero";
    EXPECT_EQ(cutToLength(buffer, 5), QByteArray("/bin/")) << "a string without one";
    EXPECT_EQ(cutToLength(buffer, 1024).size(), 1023) << "the whole buffer, ending in zero";
    buffer[1023] = 'x';
    EXPECT_EQ(cutToLength(buffer, 1024).size(), 1024) << "the whole buffer, no zero";
    EXPECT_THROW(cutToLength(buffer, 0), ValueLengthError) << "a value of length 0";
    EXPECT_THROW(cutToLength(buffer, 1025), ValueLengthError);
}

TEST(NumberValueText, ReadsTheLeastSignificantByteFirst) {
    EXPECT_EQ(numberValueText(bytes({0x39, 0x30})), QString("12345"));
    EXPECT_EQ(numberValueText(bytes({0x00, 0x00, 0x00, 0x01})), QString("16777216"));
    EXPECT_EQ(numberValueText(bytes({0xFF, 0xFF, 0xFF, 0xFF})), QString("4294967295"));
    EXPECT_EQ(numberValueText(bytes({0x00})), QString("0"));
}

TEST(GetKeyValue, ReadsOneValueAndClosesTheKey) {
    struct Row {
        const char* guards;
        std::optional<ScriptedRegistry::Value> value;  // nothing: the value is missing
        const char* keyValIn;
        bool expected;
        const char* keyValOut;
    } const rows[] = {
        {"a string loses its terminating zero", ScriptedRegistry::Value{1, "/usr/bin/tool\0"}, "",
         true, "/usr/bin/tool"},
        {"a string stored without a zero is kept whole", ScriptedRegistry::Value{1, "abc"}, "",
         true, "abc"},
        {"a string replaces what came in", ScriptedRegistry::Value{1, "new\0"}, "old", true, "new"},
        {"another type leaves what came in", ScriptedRegistry::Value{2, "%SystemRoot%\0"}, "old",
         true, "old"},
        {"an expandable string leaves an empty path empty", ScriptedRegistry::Value{2, "x\0"}, "",
         true, ""},
        {"a number in decimal", ScriptedRegistry::Value{4, bytes({0x39, 0x30, 0x00, 0x00})}, "",
         true, "12345"},
        {"a missing value", std::nullopt, "old", false, ""},
        {"1023 characters and the zero fill the buffer",
         ScriptedRegistry::Value{1, QByteArray(1023, 'a') + QByteArray(1, '\0')}, "", true,
         nullptr},
        {"1024 characters and the zero do not fit",
         ScriptedRegistry::Value{1, QByteArray(1024, 'a') + QByteArray(1, '\0')}, "old", false, ""},
    };
    for (const auto& row : rows) {
        ScriptedRegistry registry;
        registry.addKey(kToolKey);
        if (row.value) {
            registry.setValue(kToolKey, "PATH", *row.value);
        }
        QString keyVal = row.keyValIn;
        EXPECT_EQ(GetKeyValue(registry, kHKeyLocalMachine, kSysInfoKey, "PATH", keyVal),
                  row.expected)
            << row.guards;
        if (row.keyValOut != nullptr) {
            EXPECT_EQ(keyVal, QString(row.keyValOut)) << row.guards;
        } else {
            EXPECT_EQ(keyVal, QString(1023, 'a')) << row.guards;
        }
        EXPECT_EQ(registry.calls().size(), 3) << row.guards;
        EXPECT_TRUE(registry.calls().last().startsWith("close ")) << row.guards;
        EXPECT_TRUE(registry.openKeys().empty()) << row.guards;
        EXPECT_EQ(registry.lastAccess(), 0x2003FU) << row.guards;
        EXPECT_EQ(registry.lastOptions(), 0U) << row.guards;
    }
}

TEST(GetKeyValue, AKeyThatCannotBeOpenedGivesFalseAndClosesTheEmptyHandle) {
    ScriptedRegistry registry;
    QString keyVal = "old";
    EXPECT_FALSE(GetKeyValue(registry, kHKeyLocalMachine, kSysInfoKey, "PATH", keyVal));
    EXPECT_EQ(keyVal, QString());
    EXPECT_EQ(registry.calls(), (QStringList{QString("open ") + kSysInfoKey, "close 0"}));
    registry.addKey(kToolKey);
    registry.setString(kToolKey, "PATH", "/usr/bin/tool");
    EXPECT_FALSE(GetKeyValue(registry, 0x80000001, kSysInfoKey, "PATH", keyVal))
        << "the key is looked for below the root given";
}

TEST(GetKeyValue, AValueOfLengthZeroIsAnErrorAndTheKeyIsStillClosed) {
    ScriptedRegistry registry;
    registry.addKey(kToolKey);
    registry.setValue(kToolKey, "PATH", {kRegString, QByteArray()});
    QString keyVal;
    EXPECT_THROW(GetKeyValue(registry, kHKeyLocalMachine, kSysInfoKey, "PATH", keyVal),
                 ValueLengthError);
    EXPECT_TRUE(registry.openKeys().empty()) << "no key is left open";
}

// What the System Info button does, for each way the two lookups can turn out.
struct SysInfoStandIns {
    void run() { StartSysInfo(registry, files, programs, messages); }
    bool showedUnavailable() const {
        return messages.shown() == std::vector<Message>{{"System Information Is Unavailable At "
                                                         "This Time",
                                                         ""}};
    }
    static QString folderTool() { return "/opt/tools" + sysInfoToolFile(); }

    ScriptedRegistry registry;
    ScriptedFiles files;
    ScriptedPrograms programs;
    RecordingMessageBoxes messages;
};

TEST(StartSysInfo, BothPresentStartsTheFirstUnchecked) {
    SysInfoStandIns t;
    auto& [registry, files, programs, messages] = t;
    registry.addKey(kToolKey);
    registry.setString(kToolKey, "PATH", "/usr/bin/hardinfo2");
    registry.addKey(kFolderKey);
    registry.setString(kFolderKey, "MSINFO", "/opt/tools");
    programs.addProgram("/usr/bin/hardinfo2");
    t.run();
    EXPECT_EQ(
        programs.starts(),
        (std::vector<ScriptedPrograms::Start>{{"/usr/bin/hardinfo2", WindowStyle::NormalFocus}}));
    EXPECT_TRUE(files.lookups().isEmpty()) << "no check that the file exists";
    EXPECT_EQ(registry.calls(),
              (QStringList{QString("open ") + kSysInfoKey, "query PATH", "close 100"}))
        << "the second is not read";
    EXPECT_TRUE(messages.shown().empty());
}

TEST(StartSysInfo, OnlyTheFolderWithTheToolInItStartsTheTool) {
    SysInfoStandIns t;
    auto& [registry, files, programs, messages] = t;
    registry.addKey(kFolderKey);
    registry.setString(kFolderKey, "MSINFO", "/opt/tools");
    files.addFile(t.folderTool());
    programs.addProgram(t.folderTool());
    t.run();
    EXPECT_EQ(files.lookups(), QStringList{t.folderTool()});
    EXPECT_EQ(programs.starts(),
              (std::vector<ScriptedPrograms::Start>{{t.folderTool(), WindowStyle::NormalFocus}}));
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(registry.calls(),
              (QStringList{QString("open ") + kSysInfoKey, "close 0",
                           QString("open ") + kSysInfoFolderKey, "query MSINFO", "close 100"}))
        << "the tool's key first, then the folder's";
}

TEST(StartSysInfo, EveryWayItFailsEndsInTheOneMessage) {
    struct Row {
        const char* guards;
        std::function<void(SysInfoStandIns&)> arrange;
        QStringList expectedStarts;
    } const rows[] = {
        {"the folder without the tool's file",
         [](SysInfoStandIns& t) {
             t.registry.addKey(kFolderKey);
             t.registry.setString(kFolderKey, "MSINFO", "/opt/tools");
         },
         {}},
        {"neither value", [](SysInfoStandIns&) {}, {}},
        {"both keys without their values",
         [](SysInfoStandIns& t) {
             t.registry.addKey(kToolKey);
             t.registry.addKey(kFolderKey);
         },
         {}},
        {"the first value of another type: the empty path fails to start",
         [](SysInfoStandIns& t) {
             t.registry.addKey(kToolKey);
             t.registry.setValue(kToolKey, "PATH", {kRegExpandString, "%ProgramFiles%\\x\0"});
         },
         {""}},
        {"the first value of length 0",
         [](SysInfoStandIns& t) {
             t.registry.addKey(kToolKey);
             t.registry.setValue(kToolKey, "PATH", {kRegString, QByteArray()});
             t.registry.addKey(kFolderKey);
             t.registry.setString(kFolderKey, "MSINFO", "/opt/tools");
         },
         {}},
        {"the program that cannot be started",
         [](SysInfoStandIns& t) {
             t.registry.addKey(kToolKey);
             t.registry.setString(kToolKey, "PATH", "/usr/bin/gone");
         },
         {"/usr/bin/gone"}},
        {"a folder whose tool cannot be started",
         [](SysInfoStandIns& t) {
             t.registry.addKey(kFolderKey);
             t.registry.setString(kFolderKey, "MSINFO", "/opt/tools");
             t.files.addFile(t.folderTool());
         },
         {"/opt/tools" + sysInfoToolFile()}},
    };
    for (const auto& row : rows) {
        SysInfoStandIns t;
        row.arrange(t);
        t.run();
        EXPECT_TRUE(t.showedUnavailable()) << row.guards;
        QStringList started;
        for (const auto& start : t.programs.starts()) {
            started << start.path;
        }
        EXPECT_EQ(started, row.expectedStarts) << row.guards;
        EXPECT_TRUE(t.registry.openKeys().empty()) << row.guards;
    }
}
