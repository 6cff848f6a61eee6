// Runs the tests inside a QApplication on the offscreen platform, so that widgets work
// without a display and no window ever appears, in the same settings whether ctest runs a
// test program or a developer does.
#include <gtest/gtest.h>

#include <QApplication>

#include "window/application.h"

// The sanitizers' settings for every run of a test program, by ctest, by hand, or when ctest
// lists its cases. Each is read only by a build with that sanitizer.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=1:allocator_may_return_null=1";
}
extern "C" const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}
extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}
// Allocations that the system's font and graphics libraries keep for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libglib-2.0.so\nleak:libdbus-1.so\n";
}

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Numbers are written and read the same way on every machine; a test that needs another
    // locale sets it itself.
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("LANG", "C.UTF-8");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    tessara::configureApplication();
    return RUN_ALL_TESTS();
}
