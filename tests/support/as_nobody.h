// Tests run as root in CI, and root reads every file. To try a file without read
// permission the test drops to the unprivileged user for the length of one call.
#pragma once

#include <sys/types.h>
#include <unistd.h>

namespace tessara::test {

class AsNobody {
  public:
    AsNobody() : wasRoot_(::geteuid() == 0) {
        if (wasRoot_) {
            ok_ = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
        }
    }
    ~AsNobody() {
        if (wasRoot_) {
            [[maybe_unused]] const int u = ::seteuid(0);
            [[maybe_unused]] const int g = ::setegid(0);
        }
    }
    AsNobody(const AsNobody&) = delete;
    AsNobody& operator=(const AsNobody&) = delete;
    // False when the test runs as root and could not drop its rights.
    bool ok() const { return !wasRoot_ || ok_; }

  private:
    bool wasRoot_;
    bool ok_ = false;
};

// Runs `work`, as the unprivileged user when `needed`; false, with nothing run, when the
// rights could not be dropped.
template <class Work>
bool runAsNobodyIf(bool needed, Work&& work) {
    if (!needed) {
        work();
        return true;
    }
    const AsNobody nobody;
    if (!nobody.ok()) {
        return false;
    }
    work();
    return true;
}

}  // namespace tessara::test
