// The About box's System Info button: where the system information tool is looked up, and
// starting it.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <stdexcept>

#include "platform/file_lookup.h"
#include "platform/message_boxes.h"
#include "platform/program_starter.h"
#include "platform/registry.h"

namespace tessara {

// The two lookups, in the order they are tried: the tool's full path, then the folder that
// holds it.
inline constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kSysInfoValue = "PATH";
inline constexpr const char* kSysInfoFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* kSysInfoFolderValue = "MSINFO";

inline constexpr std::uint32_t kValueBufferSize = 1024;

// Raised when a value's returned length cannot be used to cut it (a length of 0).
class ValueLengthError : public std::out_of_range {
  public:
    using std::out_of_range::out_of_range;
};

// The value's bytes cut to the length the registry returned: a terminating zero at that
// length is dropped. Throws ValueLengthError for a length of 0 or beyond the buffer.
QByteArray cutToLength(const QByteArray& buffer, std::uint32_t length);

// A number value's bytes (least significant first, at most four) written in decimal.
QString numberValueText(const QByteArray& bytes);

// Reads one value of a key. True when the key was opened and the value read, whatever its
// type: a string value is put in keyVal, a number value in decimal, and any other type
// leaves keyVal as it came in. False, with keyVal empty, when the key or the value cannot be
// read, the value being longer than the buffer included. Throws ValueLengthError for a value
// of length 0. The key is closed on every way out.
bool GetKeyValue(Registry& registry, RegKey keyRoot, const QString& keyName,
                 const QString& subKeyRef, QString& keyVal);

Message sysInfoUnavailableMessage();

// Starts the system information tool: from the first lookup's path, or else from the second
// lookup's folder with the tool's file name appended, when that file exists. Every failure
// ends in the one message.
void StartSysInfo(Registry& registry, FileLookup& files, ProgramStarter& programs,
                  MessageBoxes& messages);

}  // namespace tessara
