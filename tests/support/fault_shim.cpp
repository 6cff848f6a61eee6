// Loaded into the built program with LD_PRELOAD, so that a test lands a fault on one exact
// call, every run alike: TESSARA_FAULT="CALL NAME ACTION N" faults the first call CALL
// (fsync, or rename, which stands for renameat2 too) on a file whose name (for a rename, the
// new one; the last part of the path) matches the pattern NAME, as a shell matches it. ACTION
// "raise" delivers signal N to the calling thread just before the call, as a kill landing at that
// moment would; "fail" makes the call fail with errno N, the file system untouched. Every other
// call goes on to the system's own.
#include <dlfcn.h>
#include <fnmatch.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Fault {
    char call[16] = {};
    char name[256] = {};
    char action[16] = {};
    int value = 0;
    bool given = false;
};

Fault readFault() {
    Fault fault;
    const char* choices = std::getenv("TESSARA_FAULT");
    fault.given = choices != nullptr && std::sscanf(choices, "%15s %255s %15s %d", fault.call,
                                                    fault.name, fault.action, &fault.value) == 4;
    return fault;
}

std::atomic<bool> spent{false};

// Whether the call fails; a raised signal has been handled, or deferred, when this returns.
bool faulted(const char* call, const char* path) {
    static const Fault fault = readFault();
    if (!fault.given || std::strcmp(call, fault.call) != 0 || path == nullptr) {
        return false;
    }
    const char* slash = std::strrchr(path, '/');
    if (::fnmatch(fault.name, slash != nullptr ? slash + 1 : path, 0) != 0 ||
        spent.exchange(true)) {
        return false;
    }
    if (std::strcmp(fault.action, "raise") == 0) {
        ::raise(fault.value);
        return false;
    }
    errno = fault.value;
    return true;
}

template <class Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int fsync(int fd) {
    char link[64];
    char path[4096] = {};
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const bool named = ::readlink(link, path, sizeof path - 1) > 0;
    if (faulted("fsync", named ? path : nullptr)) {
        return -1;
    }
    static const auto system = next<int (*)(int)>("fsync");
    return system(fd);
}

extern "C" int rename(const char* from, const char* to) {
    if (faulted("rename", to)) {
        return -1;
    }
    static const auto system = next<int (*)(const char*, const char*)>("rename");
    return system(from, to);
}

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                         unsigned int flags) {
    if (faulted("rename", to)) {
        return -1;
    }
    static const auto system =
        next<int (*)(int, const char*, int, const char*, unsigned int)>("renameat2");
    return system(fromFolder, from, toFolder, to, flags);
}
