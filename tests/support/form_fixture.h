// A real main window wired to scripted stand-ins, and ways to reach its controls by name.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <ostream>

#include "support/scripted_services.h"
#include "view/image_control.h"
#include "window/grid_fitting.h"
#include "window/main_window.h"

namespace tessara::test {

class FormTest : public ::testing::Test {
  protected:
    FormTest() : form(platform.services()) {}

    template <typename T = QWidget>
    T* control(const char* name) {
        T* found = form.findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << "no control named " << name;
        return found;
    }
    QAction* action(const char* name) { return control<QAction>(name); }
    ImageControl* image() { return control<ImageControl>("Imgdisplay"); }
    QScrollBar* hbar() { return control<QScrollBar>("HScroll1"); }
    QScrollBar* vbar() { return control<QScrollBar>("VScroll2"); }

    // Shows the window and waits until it is exposed and active.
    void showAndActivate() {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    // Resizes the window so that its outer size, frame included, is this many twips.
    void resizeOuter(Single widthTwips, Single heightTwips) {
        const int frameWidth = form.frameGeometry().width() - form.width();
        const int frameHeight = form.frameGeometry().height() - form.height();
        form.resize(twipsToPixels(widthTwips) - frameWidth,
                    twipsToPixels(heightTwips) - frameHeight);
    }

    // Waits for the event loop to make `condition` true; false after `ms` milliseconds.
    template <typename Condition>
    static bool eventually(Condition condition, int ms = 5000) {
        return QTest::qWaitFor(condition, ms);
    }

    TestPlatform platform;
    Form1 form;
};

}  // namespace tessara::test

namespace tessara {
// Readable failure messages for places in twips.
inline void PrintTo(const TwipsRect& r, std::ostream* os) {
    *os << "{" << r.Left << ", " << r.Top << ", " << r.Width << ", " << r.Height << "}";
}
}  // namespace tessara
