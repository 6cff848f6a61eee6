#include "about/system_info_platform.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <cstring>
#include <optional>

#include "about/system_info.h"

namespace tessara {
namespace {

// Handles of the two keys this registry holds.
constexpr RegKey kToolKey = 1;
constexpr RegKey kFolderKey = 2;

// The distribution's own program folder: the place to look when the search path the
// program was started with (by some launchers, a short one) does not name it.
const QString kProgramFolder = QStringLiteral("/usr/bin");

}  // namespace

QString sysInfoToolFile() {
    return QStringLiteral("/hardinfo");
}

QStringList sysInfoPrograms() {
    // HardInfo (new and old), KDE's Info Center, CPU-X: each opens a window describing the
    // computer, started without arguments.
    return {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
            QStringLiteral("cpu-x")};
}

QString findProgramOnPath(const QString& searchPath, const QStringList& programs) {
    QStringList folders;
    for (const QString& folder : searchPath.split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(folder)) {  // never a program of the current directory
            folders << folder;
        }
    }
    if (folders.isEmpty()) {
        return {};
    }
    for (const QString& program : programs) {
        QString found = QStandardPaths::findExecutable(program, folders);
        if (!found.isEmpty()) {
            return found;
        }
    }
    return {};
}

PlatformRegistry::PlatformRegistry() : PlatformRegistry(QString::fromLocal8Bit(qgetenv("PATH"))) {}

PlatformRegistry::PlatformRegistry(QString searchPath) : searchPath_(std::move(searchPath)) {}

long PlatformRegistry::RegOpenKeyExA(RegKey root, const QByteArray& subKey,
                                     std::uint32_t /*options*/, std::uint32_t /*access*/,
                                     RegKey* result) {
    *result = 0;
    if (root != kHKeyLocalMachine) {
        return kErrorFileNotFound;
    }
    // Key names are compared without regard to case, as registry keys are.
    if (subKey.compare(kSysInfoKey, Qt::CaseInsensitive) == 0) {
        *result = kToolKey;
    } else if (subKey.compare(kSysInfoFolderKey, Qt::CaseInsensitive) == 0) {
        *result = kFolderKey;
    } else {
        return kErrorFileNotFound;
    }
    return kErrorSuccess;
}

long PlatformRegistry::RegQueryValueExA(RegKey key, const QByteArray& valueName,
                                        std::uint32_t /*reserved*/, std::uint32_t* type, char* data,
                                        std::uint32_t* size) {
    std::optional<QString> value;
    if (key == kToolKey && valueName.compare(kSysInfoValue, Qt::CaseInsensitive) == 0) {
        const QString program = findProgramOnPath(searchPath_, sysInfoPrograms());
        if (!program.isEmpty()) {
            value = program;
        }
    } else if (key == kFolderKey &&
               valueName.compare(kSysInfoFolderValue, Qt::CaseInsensitive) == 0) {
        value = kProgramFolder;
    } else if (key != kToolKey && key != kFolderKey) {
        return kErrorInvalidHandle;
    }
    if (!value) {
        return kErrorFileNotFound;
    }
    QByteArray bytes = value->toLocal8Bit();
    bytes.append('\0');  // strings are stored with their terminating zero
    const auto length = static_cast<std::uint32_t>(bytes.size());
    *type = kRegString;
    if (length > *size) {
        *size = length;
        return kErrorMoreData;
    }
    std::memcpy(data, bytes.constData(), length);
    *size = length;
    return kErrorSuccess;
}

long PlatformRegistry::RegCloseKey(RegKey key) {
    return key == kToolKey || key == kFolderKey ? kErrorSuccess : kErrorInvalidHandle;
}

QString QtFileLookup::Dir(const QString& path) {
    const QFileInfo file(path);
    return file.isFile() ? file.fileName() : QString();
}

bool QtProgramStarter::Shell(const QString& path, WindowStyle /*style*/) {
    if (path.isEmpty()) {
        return false;
    }
    return QProcess::startDetached(path, {});
}

}  // namespace tessara
