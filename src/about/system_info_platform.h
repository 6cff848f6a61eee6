// Where this platform keeps its system information tool, and the real file lookup and
// program starter. There is no system registry here: a small read-only registry answers the
// two lookups of the System Info button, and every choice about them is made in
// system_info_platform.cpp.
#pragma once

#include <QString>
#include <QStringList>

#include "platform/file_lookup.h"
#include "platform/program_starter.h"
#include "platform/registry.h"

namespace tessara {

// The tool's file name, appended to the folder the second lookup gives ("/hardinfo").
QString sysInfoToolFile();

// System information programs, the first found on the search path being the one started.
QStringList sysInfoPrograms();

// The full path of the first of the programs found, as an executable file, in the folders
// of a search path ("/usr/local/bin:/usr/bin"); an empty text when there is none.
QString findProgramOnPath(const QString& searchPath, const QStringList& programs);

// Answers the two lookups: the first with the full path of a system information program
// found on the search path (the value is missing when there is none), the second with the
// folder the distribution installs its programs in. Values are strings; every key may be
// opened, whatever access is asked for, as nothing here is ever written.
class PlatformRegistry : public Registry {
  public:
    // Uses the search path the program was started with.
    PlatformRegistry();
    explicit PlatformRegistry(QString searchPath);

    long RegOpenKeyExA(RegKey root, const QByteArray& subKey, std::uint32_t options,
                       std::uint32_t access, RegKey* result) override;
    long RegQueryValueExA(RegKey key, const QByteArray& valueName, std::uint32_t reserved,
                          std::uint32_t* type, char* data, std::uint32_t* size) override;
    long RegCloseKey(RegKey key) override;

  private:
    QString searchPath_;
};

class QtFileLookup : public FileLookup {
  public:
    QString Dir(const QString& path) override;
};

// Starts the program detached from this one, so that it lives on after Tessara ends. The
// window manager opens its window normally and gives it the focus.
class QtProgramStarter : public ProgramStarter {
  public:
    bool Shell(const QString& path, WindowStyle style) override;
};

}  // namespace tessara
