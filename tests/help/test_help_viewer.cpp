#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

#include "help/help_viewer.h"
#include "support/as_nobody.h"
#include "support/qt_print.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

const char* const kBook = R"(<html><head><title>Field Manual</title></head><body>
<h1 id="contents">Contents</h1>
<p><a href="#loading">Loading</a> <a href="#saving">Saving</a> <a href="#nowhere">Lost</a></p>
<h1 id="loading">Loading a map</h1><p>Choose a picture.</p>
<h1 id="saving">Saving a map</h1><p>Choose a name.</p>
</body></html>)";

class HelpViewerTest : public ::testing::Test {
  protected:
    HelpViewerTest() : launcher({dir.root()}) {}

    QString shownText() { return browser()->toPlainText(); }
    QTextBrowser* browser() { return launcher.viewer()->findChild<QTextBrowser*>("helpText"); }
    QPushButton* button(const char* name) {
        return launcher.viewer()->findChild<QPushButton*>(QLatin1String(name));
    }

    ScratchDir dir;
    QtHelpLauncher launcher;
};

}  // namespace

TEST_F(HelpViewerTest, OpensAtTheContentsInAWindowOfItsOwn) {
    writeBytes(dir.path("tessara.hlp"), kBook);
    launcher.showHelp("tessara.hlp", HelpCommands::kContents);
    HelpViewer* viewer = launcher.viewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_TRUE(viewer->isWindow());
    EXPECT_EQ(viewer->parentWidget(), nullptr);
    EXPECT_EQ(viewer->windowTitle(), QString("Field Manual"));
    EXPECT_EQ(viewer->currentTopic(), QString("contents"));
    EXPECT_TRUE(shownText().startsWith("Contents"));
    EXPECT_FALSE(shownText().contains("Choose a picture")) << "one topic at a time";
    EXPECT_FALSE(button("helpBack")->isEnabled());
    EXPECT_FALSE(button("helpForward")->isEnabled());
}

TEST_F(HelpViewerTest, LinksLeadToTopicsAndBackAndForwardRetraceThem) {
    writeBytes(dir.path("tessara.hlp"), kBook);
    launcher.showHelp("tessara.hlp", HelpCommands::kContents);
    HelpViewer& viewer = *launcher.viewer();
    viewer.openLink(QUrl("#loading"));
    EXPECT_EQ(viewer.currentTopic(), QString("loading"));
    EXPECT_TRUE(shownText().contains("Choose a picture."));
    EXPECT_TRUE(button("helpBack")->isEnabled());
    viewer.openLink(QUrl("#nowhere"));
    EXPECT_EQ(viewer.currentTopic(), QString("loading")) << "a broken link goes nowhere";

    button("helpBack")->click();
    EXPECT_EQ(viewer.currentTopic(), QString("contents"));
    EXPECT_TRUE(button("helpForward")->isEnabled());
    button("helpForward")->click();
    EXPECT_EQ(viewer.currentTopic(), QString("loading"));
    button("helpBack")->click();
    viewer.openLink(QUrl("#saving"));
    EXPECT_FALSE(button("helpForward")->isEnabled()) << "a new way replaces the old way forward";
    button("helpContents")->click();
    EXPECT_EQ(viewer.currentTopic(), QString("contents"));
}

TEST_F(HelpViewerTest, KeysGoBackAndForward) {
    writeBytes(dir.path("tessara.hlp"), kBook);
    launcher.showHelp("tessara.hlp", HelpCommands::kContents);
    HelpViewer& viewer = *launcher.viewer();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&viewer));
    viewer.openLink(QUrl("#saving"));
    viewer.openLink(QUrl("#saving"));  // the same topic again adds no step to go back
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(viewer.currentTopic(), QString("contents"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(viewer.currentTopic(), QString("saving"));
    button("helpContents")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(viewer.currentTopic(), QString("contents")) << "wherever the focus is";
}

TEST_F(HelpViewerTest, EveryUseBringsTheSameWindowBackToAFreshContents) {
    writeBytes(dir.path("tessara.hlp"), kBook);
    launcher.showHelp("tessara.hlp", HelpCommands::kContents);
    HelpViewer* first = launcher.viewer();
    first->openLink(QUrl("#saving"));
    first->close();
    writeBytes(dir.path("tessara.hlp"),
               "<html><body><h1 id=\"contents\">Revised contents</h1></body></html>");
    launcher.showHelp("tessara.hlp", HelpCommands::kContents);
    EXPECT_EQ(launcher.viewer(), first) << "one viewer window";
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->currentTopic(), QString("contents"));
    EXPECT_TRUE(shownText().contains("Revised contents")) << "the file is read afresh";
    EXPECT_FALSE(button("helpBack")->isEnabled()) << "no way back into the old file";
}

TEST_F(HelpViewerTest, SaysPlainlyWhenTheFileCannotBeFound) {
    launcher.showHelp("tessara.hlp", HelpCommands::kContents);
    ASSERT_NE(launcher.viewer(), nullptr);
    EXPECT_TRUE(launcher.viewer()->isVisible());
    EXPECT_TRUE(shownText().contains("The help file tessara.hlp could not be found."));
    EXPECT_TRUE(shownText().contains(dir.root())) << "it says where it looked";
    EXPECT_FALSE(button("helpContents")->isEnabled());
    EXPECT_FALSE(button("helpBack")->isEnabled());
}

TEST_F(HelpViewerTest, SaysPlainlyWhenTheFileCannotBeRead) {
    const QString path = writeBytes(dir.path("tessara.hlp"), kBook);
    QFile::setPermissions(dir.root(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(path, QFile::WriteOwner);
    {
        const AsNobody nobody;
        ASSERT_TRUE(nobody.ok());
        launcher.showHelp("tessara.hlp", HelpCommands::kContents);
    }
    EXPECT_TRUE(shownText().contains("could not be read")) << qPrintable(shownText());
    EXPECT_TRUE(shownText().contains(path));
}

TEST(ShippedHelpFile, IsCopiedNextToTheBuiltProgram) {
    const QString found = findHelpFile("tessara.hlp", {QStringLiteral(TESSARA_PROGRAM_DIR)});
    ASSERT_FALSE(found.isEmpty());
    EXPECT_EQ(readBytes(found), readBytes(QStringLiteral(TESSARA_HELP_SOURCE)));
}

TEST(ShippedHelpFile, EveryContentsLinkOpensItsTopic) {
    QtHelpLauncher launcher({QStringLiteral(TESSARA_PROGRAM_DIR)});
    launcher.showHelp("tessara.hlp", HelpCommands::kContents);
    HelpViewer& viewer = *launcher.viewer();
    auto* text = viewer.findChild<QTextBrowser*>("helpText");
    EXPECT_EQ(viewer.windowTitle(), QString("Tessara Help"));
    EXPECT_TRUE(text->toPlainText().startsWith("Tessara Help"));
    const HelpBook book = parseHelpBook(QString::fromUtf8(readBytes(TESSARA_HELP_SOURCE)));
    for (const HelpTopic& topic : book.topics) {
        viewer.showContents();
        viewer.openLink(QUrl("#" + topic.id));
        EXPECT_EQ(viewer.currentTopic(), topic.id);
        EXPECT_TRUE(text->toPlainText().startsWith(topic.title)) << qPrintable(topic.id);
    }
}

TEST(ShippedHelpFile, ThePictureOfHexNumbersIsFoundBesideTheFile) {
    QtHelpLauncher launcher({QStringLiteral(TESSARA_PROGRAM_DIR)});
    launcher.showHelp("tessara.hlp", HelpCommands::kContents);
    HelpViewer& viewer = *launcher.viewer();
    ASSERT_TRUE(viewer.showTopic("hex-numbers"));
    auto* text = viewer.findChild<QTextBrowser*>("helpText");
    const QVariant picture =
        text->loadResource(QTextDocument::ImageResource, QUrl("tessara-numbers.png"));
    ASSERT_TRUE(picture.isValid()) << "the picture is not beside the help file";
    EXPECT_EQ(QImage::fromData(picture.toByteArray()).width(), 480);
}
