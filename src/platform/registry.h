// The system registry as one small interface with the three calls the program makes of
// it, in their 8-bit forms: open a key, read one value, close the key. The program asks
// it where the system information tool is; tests answer from a stand-in.
#pragma once

#include <QByteArray>
#include <cstdint>

namespace tessara {

using RegKey = std::uint32_t;  // a key's handle; 0 is no key

inline constexpr RegKey kHKeyLocalMachine = 0x80000002;
// Standard read rights plus query value, set value, create subkey, enumerate subkeys,
// notify and create link.
inline constexpr std::uint32_t kKeyAccess = 0x2003F;

// Results of the calls.
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorMoreData = 234;

// Value types.
inline constexpr std::uint32_t kRegString = 1;
inline constexpr std::uint32_t kRegExpandString = 2;
inline constexpr std::uint32_t kRegNumber = 4;  // 32 bits, least significant byte first

class Registry {
  public:
    virtual ~Registry() = default;
    // Opens the key below the root; on success returns kErrorSuccess and the key's handle.
    virtual long RegOpenKeyExA(RegKey root, const QByteArray& subKey, std::uint32_t options,
                               std::uint32_t access, RegKey* result) = 0;
    // Reads a value of an open key into the buffer `data` of `*size` bytes. On success sets
    // its type and, in `*size`, the number of bytes written (string values with their
    // terminating zero). kErrorMoreData when the buffer is too small, kErrorFileNotFound
    // when there is no such value.
    virtual long RegQueryValueExA(RegKey key, const QByteArray& valueName, std::uint32_t reserved,
                                  std::uint32_t* type, char* data, std::uint32_t* size) = 0;
    virtual long RegCloseKey(RegKey key) = 0;
};

}  // namespace tessara
