#include <gtest/gtest.h>

#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include "support/form_fixture.h"
#include "support/test_files.h"
#include "window/progress_window.h"

using namespace tessara;
using namespace tessara::test;
using namespace std::chrono_literals;

namespace {

QProgressDialog* dialogOf(const QWidget& parent) {
    return parent.findChild<QProgressDialog*>();
}

}  // namespace

TEST(ProgressWindowTest, AppearsOnlyOnceTheWorkHasTakenItsDelay) {
    QWidget parent;
    ProgressWindow slow(&parent, "Save Map", ProgressWindow::Cancel::NotOffered, 10s);
    slow.step("Writing map.bmp");
    EXPECT_TRUE(slow.advance(0.5));
    EXPECT_EQ(dialogOf(parent), nullptr);
}

TEST(ProgressWindowTest, ShowsTheStepAndPercentageAndOffersCancelOnlyWhereAsked) {
    const struct {
        ProgressWindow::Cancel cancel;
        bool hasButton;
        bool stops;
    } cases[] = {{ProgressWindow::Cancel::Offered, true, true},
                 {ProgressWindow::Cancel::NotOffered, false, false}};
    for (const auto& c : cases) {
        QWidget parent;
        ProgressWindow progress(&parent, "Generate Hex Grid", c.cancel, 0ms);
        progress.step("Writing tmp.bmp");
        EXPECT_TRUE(progress.advance(0.505));
        QProgressDialog* dialog = dialogOf(parent);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->windowTitle(), "Generate Hex Grid");
        EXPECT_EQ(dialog->labelText(), "Writing tmp.bmp");
        EXPECT_EQ(dialog->value(), 51);
        EXPECT_EQ(dialog->findChild<QPushButton*>() != nullptr, c.hasButton);
        progress.step("Reading it back");
        EXPECT_EQ(dialog->labelText(), "Reading it back");
        EXPECT_EQ(dialog->value(), 0);
        // Cancel, where there is a button; Esc, closing the dialog, where there is none.
        if (QPushButton* cancel = dialog->findChild<QPushButton*>()) {
            cancel->click();
        } else {
            dialog->reject();
        }
        EXPECT_EQ(progress.advance(0.6), !c.stops);
        EXPECT_EQ(dialog->isVisible(), !c.stops);
    }
}

class ProgressOnTheMap : public FormTest {
  protected:
    ProgressOnTheMap() { form.setProgressDelay(0ms); }
    void load(const QString& path) {
        platform.dialogs.answer(path);
        action("mnuLoad")->trigger();
    }
    ScratchDir dir;
};

TEST_F(ProgressOnTheMap, CancellingALoadLeavesTheMapAndTheWindowAsTheyWere) {
    const QImage first = makeMap(64, 48);
    load(writeImage(dir.path("first.bmp"), first, "BMP"));
    // Read by our own reader, a megabyte at a time: the load has several steps to stop at.
    const QString big = writeImage(dir.path("big.bmp"), makeMap(1200, 1000), "BMP");
    QTimer::singleShot(0, &form, [this] {
        if (QProgressDialog* dialog = dialogOf(form)) {
            dialog->cancel();
        }
    });
    load(big);
    EXPECT_TRUE(platform.messages.shown().empty());
    EXPECT_EQ(form.picMap().picture().image(), first);
    EXPECT_EQ(dialogOf(form), nullptr);  // gone with the work

    load(big);  // not cancelled: it loads, and its dialog goes too
    EXPECT_EQ(form.picMap().picture().width(), 1200);
    EXPECT_EQ(dialogOf(form), nullptr);
}
