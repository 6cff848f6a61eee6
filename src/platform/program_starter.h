// Starting another program, as one small interface.
#pragma once

#include <QString>

namespace tessara {

enum class WindowStyle {
    NormalFocus = 1,  // a normal window that gets the focus
};

class ProgramStarter {
  public:
    virtual ~ProgramStarter() = default;
    // Starts the program file at path, on its own; false when it cannot be started.
    virtual bool Shell(const QString& path, WindowStyle style) = 0;
};

}  // namespace tessara
