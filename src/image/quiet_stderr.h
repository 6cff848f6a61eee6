// Silences the C library's standard error stream for a while. The C libraries behind Qt's
// image plugins print their own complaints there (libpng its errors, libtiff its errors and
// warnings), while the callers report each failure themselves: the command line on one line
// that a script can read. Only the stream is swapped: the descriptor 2 itself stays open,
// so that what writes to it directly, as the sanitizers' reports do, is still seen.
#pragma once

#include <cstdio>

namespace tessara {

class QuietStandardError {
  public:
    QuietStandardError() : saved_(stderr), null_(std::fopen("/dev/null", "we")) {
        if (null_ != nullptr) {
            stderr = null_;
        }
    }
    ~QuietStandardError() {
        if (null_ != nullptr) {
            stderr = saved_;
            std::fclose(null_);
        }
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

  private:
    std::FILE* saved_;
    std::FILE* null_;
};

}  // namespace tessara
