#include <gtest/gtest.h>

#include "support/form_fixture.h"
#include "support/qt_print.h"

using namespace tessara;
using namespace tessara::test;

using HelpContents = FormTest;

TEST_F(HelpContents, OpensTheHelpFileAtItsContentsEveryTime) {
    CommonDialog& dialog = form.commonDialog();
    dialog.HelpFile = "other.hlp";  // as another command might have left them
    dialog.HelpCommand = 1;
    action("mnuContents")->trigger();
    EXPECT_EQ(dialog.HelpFile, QString("tessara.hlp")) << "a bare name, no folder";
    EXPECT_EQ(dialog.HelpCommand, 3);
    dialog.HelpFile = "/elsewhere/tessara.hlp";
    dialog.HelpCommand = 2;
    action("mnuContents")->trigger();
    const std::vector<ScriptedHelp::Request> expected = {{"tessara.hlp", 3}, {"tessara.hlp", 3}};
    EXPECT_EQ(platform.help.requests(), expected);
    EXPECT_TRUE(platform.messages.shown().empty()) << "no message of its own";
}

TEST_F(HelpContents, LeavesTheFileDialogSettingsAlone) {
    CommonDialog& dialog = form.commonDialog();
    dialog.FileName = "/maps/region.bmp";
    dialog.Filter = "Bitmap (*.bmp)|*.bmp";
    action("mnuContents")->trigger();
    EXPECT_EQ(dialog.FileName, QString("/maps/region.bmp"));
    EXPECT_EQ(dialog.Filter, QString("Bitmap (*.bmp)|*.bmp"));
}
