// A pthread_create that refuses every thread, as the system does under `ulimit -u 1` or in an
// address space too small for a thread's stack. Loaded before the C library with LD_PRELOAD,
// it gives a test run as root, which no process limit holds, a program without threads.
#include <cerrno>

extern "C" int pthread_create(void*, const void*, void* (*)(void*), void*) {
    return EAGAIN;
}
