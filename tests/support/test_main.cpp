// Runs the tests inside a QApplication on the offscreen platform, so that widgets work
// without a display and no window ever appears.
#include <gtest/gtest.h>

#include <QApplication>

#include "window/application.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    tessara::configureApplication();
    return RUN_ALL_TESTS();
}
