#include <gtest/gtest.h>

#include <QWidget>

#include "view/status_box.h"

using namespace tessara;

// The box sits in the view's bottom-left corner and shows the whole of its text: a line
// wider than the view is wrapped, not cut off at the view's edge, however it was before.
TEST(StatusBox, ShowsAllOfALongNoteInANarrowView) {
    struct Row {
        const char* guards;
        int viewWidth;
        bool wraps;
    } const rows[] = {
        {"a view wide enough for the line", 1200, false},
        {"a view half the line's width", 240, true},
    };
    const QString note = QStringLiteral(
        "Found a printed grid of 61.37-pixel hexes in columns, turned 0.80 degrees; C checks the "
        "corners, the arrow keys nudge it.");
    for (const Row& row : rows) {
        QWidget view;
        view.resize(row.viewWidth, 300);
        view.show();
        auto* box = new StatusBox(&view);
        box->setMessage(note);  // wrapped or not, as the view's width needs
        box->setPointer(QStringLiteral("Pixel 1204, 880: hex 0918"));
        EXPECT_EQ(box->wordWrap(), row.wraps) << row.guards;
        EXPECT_LE(box->geometry().right(), row.viewWidth - 4) << row.guards;
        EXPECT_GE(box->height(), box->heightForWidth(box->width())) << row.guards;
        EXPECT_EQ(box->geometry().bottom(), 300 - 4 - 1) << row.guards;
    }
}
