// Silences the process's standard error for a while. The C libraries behind Qt's image
// plugins (libpng, libtiff, libjpeg) print their own complaints there, while the callers
// report each failure themselves: the command line on one line that a script can read.
#pragma once

#include <fcntl.h>
#include <unistd.h>

namespace tessara {

class QuietStandardError {
  public:
    QuietStandardError() : saved_(::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0)) {
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0) {
            ::dup2(null, STDERR_FILENO);
        }
        if (null >= 0) {
            ::close(null);
        }
    }
    ~QuietStandardError() {
        if (saved_ >= 0) {
            ::dup2(saved_, STDERR_FILENO);
            ::close(saved_);
        }
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

  private:
    int saved_;
};

}  // namespace tessara
