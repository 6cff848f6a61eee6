#include "about/system_info.h"

#include <algorithm>
#include <optional>

#include "about/system_info_platform.h"
#include "core/number_to_text.h"

namespace tessara {
namespace {

// Closes the key when the lookup ends, however it ends.
class KeyCloser {
  public:
    KeyCloser(Registry& registry, const RegKey& key) : registry_(registry), key_(key) {}
    ~KeyCloser() { registry_.RegCloseKey(key_); }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

  private:
    Registry& registry_;
    const RegKey& key_;
};

// The tool's path: the first lookup's, taken as it is, or else the second lookup's folder
// with the tool's file name appended, when that file exists. May throw.
std::optional<QString> lookUpSysInfo(Registry& registry, FileLookup& files) {
    QString path;
    if (GetKeyValue(registry, kHKeyLocalMachine, QString::fromLatin1(kSysInfoKey),
                    QString::fromLatin1(kSysInfoValue), path)) {
        return path;
    }
    if (!GetKeyValue(registry, kHKeyLocalMachine, QString::fromLatin1(kSysInfoFolderKey),
                     QString::fromLatin1(kSysInfoFolderValue), path)) {
        return std::nullopt;
    }
    const QString tool = path + sysInfoToolFile();
    if (files.Dir(tool).isEmpty()) {
        return std::nullopt;
    }
    return tool;
}

}  // namespace

QByteArray cutToLength(const QByteArray& buffer, std::uint32_t length) {
    if (length == 0 || length > static_cast<std::uint32_t>(buffer.size())) {
        throw ValueLengthError("the value's length does not fit its buffer");
    }
    const auto size = static_cast<qsizetype>(length);
    return buffer.left(buffer.at(size - 1) == '\0' ? size - 1 : size);
}

QString numberValueText(const QByteArray& bytes) {
    std::uint32_t value = 0;
    for (qsizetype i = std::min<qsizetype>(bytes.size(), 4) - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes.at(i));
    }
    return integerToText(value);
}

bool GetKeyValue(Registry& registry, RegKey keyRoot, const QString& keyName,
                 const QString& subKeyRef, QString& keyVal) {
    RegKey key = 0;
    const KeyCloser closer(registry, key);  // also the empty handle of a failed open
    if (registry.RegOpenKeyExA(keyRoot, keyName.toLocal8Bit(), 0, kKeyAccess, &key) !=
        kErrorSuccess) {
        keyVal.clear();
        return false;
    }
    QByteArray buffer(kValueBufferSize, '\0');
    std::uint32_t size = kValueBufferSize;
    std::uint32_t type = 0;
    if (registry.RegQueryValueExA(key, subKeyRef.toLocal8Bit(), 0, &type, buffer.data(), &size) !=
        kErrorSuccess) {
        keyVal.clear();
        return false;
    }
    const QByteArray value = cutToLength(buffer, size);
    if (type == kRegString) {
        keyVal = QString::fromLocal8Bit(value);
    } else if (type == kRegNumber) {
        keyVal = numberValueText(value);
    }
    return true;
}

Message sysInfoUnavailableMessage() {
    return {QStringLiteral("System Information Is Unavailable At This Time"), QString()};
}

void StartSysInfo(Registry& registry, FileLookup& files, ProgramStarter& programs,
                  MessageBoxes& messages) {
    try {
        const std::optional<QString> path = lookUpSysInfo(registry, files);
        if (path && programs.Shell(*path, WindowStyle::NormalFocus)) {
            return;
        }
    } catch (const std::exception&) {
        // any failure of the lookup ends in the one message below
    }
    messages.MsgBox(sysInfoUnavailableMessage());
}

}  // namespace tessara
