#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtEndian>
#include <functional>
#include <memory>

#include "about/about_box.h"
#include "about/system_info.h"
#include "support/form_fixture.h"
#include "support/qt_print.h"
#include "view/image_control.h"

using namespace tessara;
using namespace tessara::test;

namespace {

// The About boxes that exist, shown or not.
QList<frmAbout*> aboutBoxes() {
    QList<frmAbout*> found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* about = qobject_cast<frmAbout*>(w)) {
            found << about;
        }
    }
    return found;
}

class AboutBox : public FormTest {
  protected:
    // Chooses Help, About and returns the dialog it shows.
    frmAbout* openAbout() {
        action("mnuAbout")->trigger();
        const QList<frmAbout*> boxes = aboutBoxes();
        EXPECT_EQ(boxes.size(), 1);
        return boxes.value(0);
    }
    template <typename T = QLabel>
    static T* part(frmAbout* about, const char* name) {
        T* found = about->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
};

}  // namespace

TEST(AboutTexts, VersionAndDisclaimer) {
    EXPECT_EQ(versionText(1, 0, 0), QString("Version 1.0.0"));
    EXPECT_EQ(versionText(2, 10, 37), QString("Version 2.10.37"));
    const QString disclaimer = aboutDisclaimer();
    EXPECT_EQ(disclaimer.size(), 122);
    EXPECT_EQ(disclaimer.trimmed().size(), 54) << "a sentence of 54 characters";
    EXPECT_TRUE(disclaimer.endsWith(QString(68, ' '))) << "then 68 blanks";
}

TEST_F(AboutBox, ShowsTheProgramsTitleVersionAndWords) {
    frmAbout* about = openAbout();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->windowTitle(), QString("About Tessara"));
    EXPECT_EQ(part(about, "lblTitle")->text(), QString("Tessara"));
    EXPECT_EQ(part(about, "lblVersion")->text(), QString("Version 1.0.0"));
    EXPECT_EQ(part(about, "lblDescription")->text(),
              QString("This program can be used to generate hexagonal grids over graphics "
                      "files. This makes using published maps to build scenario maps for games "
                      "much easier."));
    EXPECT_TRUE(part(about, "lblDescription")->wordWrap());
    EXPECT_EQ(part(about, "lblDisclaimer")->text(), aboutDisclaimer());
    EXPECT_EQ(part<QPushButton>(about, "cmdOK")->text(), QString("OK"));
    EXPECT_EQ(part<QPushButton>(about, "cmdSysInfo")->text(), QString("&System Info..."));
    const QFont title = part(about, "lblTitle")->font();
    EXPECT_EQ(title.family(), QString("MS Sans Serif"));
    EXPECT_EQ(title.pointSize(), 18);
    EXPECT_EQ(title.weight(), QFont::Normal);
}

TEST_F(AboutBox, IsAFixedModelessDialogWithNoOwner) {
    frmAbout* about = openAbout();
    EXPECT_EQ(about->size(), QSize(382, 238)) << "5736 x 3564 twips";
    EXPECT_EQ(about->minimumSize(), about->maximumSize()) << "cannot be resized";
    EXPECT_FALSE(about->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(about->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(about->isModal());
    EXPECT_EQ(about->parentWidget(), nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the main window stays usable";
}

TEST_F(AboutBox, PlacesEveryControlAtItsTwips) {
    frmAbout* about = openAbout();
    struct Row {
        const char* name;
        TwipsRect place;
    } const rows[] = {
        {"Image1", {0, 240, 975, 855}},
        {"lblTitle", {1050, 240, 3885, 480}},
        {"lblVersion", {1050, 780, 3885, 225}},
        {"lblDescription", {1050, 1125, 3885, 1170}},
        {"lblDisclaimer", {255, 2625, 3870, 825}},
        {"cmdOK", {4245, 2625, 1260, 345}},
        {"cmdSysInfo", {4260, 3075, 1245, 345}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(part<QWidget>(about, row.name)->geometry(), toPixels(row.place)) << row.name;
    }
}

TEST_F(AboutBox, DrawsItsPictureStretchedAndAnEngravedSeparator) {
    frmAbout* about = openAbout();
    auto* image = part<ImageControl>(about, "Image1");
    EXPECT_EQ(image->picture().width(), 588);
    EXPECT_EQ(image->picture().height(), 273);
    const QImage shot = about->grab().toImage();
    EXPECT_EQ(separatorLine(1).colour, qRgb(128, 128, 128));
    EXPECT_EQ(QColor(shot.pixel(200, 163)), QColor(128, 128, 128)) << "the grey line";
    EXPECT_EQ(QColor(shot.pixel(200, 164)), QColor(255, 255, 255)) << "the white line, 2 wide";
    EXPECT_EQ(QColor(shot.pixel(200, 165)), QColor(255, 255, 255));
    EXPECT_NE(QColor(shot.pixel(200, 166)), QColor(255, 255, 255));
    EXPECT_EQ(QColor(shot.pixel(5, 163)), QColor(shot.pixel(5, 150))) << "starts at 90 twips";
    // The picture fills its frame: its corners are map, not dialog.
    const QColor background = about->palette().window().color();
    EXPECT_NE(QColor(shot.pixel(1, 17)), background);
    EXPECT_NE(QColor(shot.pixel(64, 72)), background);
}

TEST(AboutPicture, IsAnUncompressedTwentyFourBitBitmap) {
    QFile file(":/tessara/about.bmp");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bmp = file.readAll();
    auto u32 = [&](int at) {
        return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(bmp.constData()) + at);
    };
    auto u16 = [&](int at) {
        return qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(bmp.constData()) + at);
    };
    ASSERT_GE(bmp.size(), 54);
    EXPECT_EQ(bmp.left(2), QByteArray("BM"));
    EXPECT_EQ(u32(18), 588U);
    EXPECT_EQ(u32(22), 273U);
    EXPECT_EQ(u16(28), 24) << "bits per pixel";
    EXPECT_EQ(u32(30), 0U) << "uncompressed";
    EXPECT_EQ(u32(38), 2834U);
    EXPECT_EQ(u32(42), 2834U);
    EXPECT_EQ(static_cast<quint32>(bmp.size()), u32(2));
}

TEST_F(AboutBox, TabOrderStartsAtOk) {
    showAndActivate();
    frmAbout* about = openAbout();
    ASSERT_TRUE(QTest::qWaitForWindowActive(about));
    EXPECT_EQ(QApplication::focusWidget(), part<QWidget>(about, "cmdOK"));
    QStringList order;
    QWidget* w = part<QWidget>(about, "cmdOK");
    for (int i = 0; i < 6; ++i) {
        order << w->objectName();
        do {
            w = w->nextInFocusChain();
        } while (w->objectName().isEmpty() || w->objectName().startsWith("qt_"));
    }
    EXPECT_EQ(order, (QStringList{"cmdOK", "cmdSysInfo", "lblDescription", "lblDisclaimer",
                                  "lblTitle", "lblVersion"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), part<QWidget>(about, "cmdSysInfo"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), part<QWidget>(about, "cmdOK")) << "labels take no focus";
}

TEST_F(AboutBox, OkEnterAndEscCloseIt) {
    showAndActivate();
    struct Row {
        const char* guards;
        std::function<void(frmAbout*)> close;
    } const rows[] = {
        {"OK", [](frmAbout* a) { part<QPushButton>(a, "cmdOK")->click(); }},
        {"Enter", [](frmAbout*) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }},
        {"Esc", [](frmAbout*) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); }},
        {"the title bar's close button", [](frmAbout* a) { a->close(); }},
    };
    for (const auto& row : rows) {
        frmAbout* about = openAbout();
        ASSERT_TRUE(QTest::qWaitForWindowActive(about)) << row.guards;
        row.close(about);
        EXPECT_TRUE(eventually([&] { return !about->isVisible(); })) << row.guards;
        EXPECT_EQ(aboutBoxes().size(), 1) << row.guards << ": closed, not destroyed";
    }
}

TEST_F(AboutBox, OneDialogForTheRunBroughtForwardWhileOpen) {
    showAndActivate();
    frmAbout* first = openAbout();
    ASSERT_TRUE(QTest::qWaitForWindowActive(first));
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form)) << "the main window stays usable";
    frmAbout* again = openAbout();
    EXPECT_EQ(again, first);
    EXPECT_TRUE(QTest::qWaitForWindowActive(first)) << "brought forward";
    part<QPushButton>(first, "cmdOK")->click();
    EXPECT_EQ(openAbout(), first) << "the same object after a close";
}

TEST_F(AboutBox, SetsItsTextsAfreshAtEveryLoad) {
    frmAbout* about = openAbout();
    part(about, "lblVersion")->setText("stale");
    part(about, "lblTitle")->setText("stale");
    about->setWindowTitle("stale");
    action("mnuAbout")->trigger();
    EXPECT_EQ(part(about, "lblVersion")->text(), QString("stale")) << "open: not loaded again";
    part<QPushButton>(about, "cmdOK")->click();

    QApplication::setApplicationName("Hexmaster");
    QApplication::setApplicationVersion("2.3.4");
    openAbout();
    const QString title = about->windowTitle();
    const QString version = part(about, "lblVersion")->text();
    const QString name = part(about, "lblTitle")->text();
    QApplication::setApplicationName("Tessara");
    QApplication::setApplicationVersion(TESSARA_VERSION);
    EXPECT_EQ(title, QString("About Hexmaster"));
    EXPECT_EQ(version, QString("Version 2.3.4"));
    EXPECT_EQ(name, QString("Hexmaster"));
}

TEST_F(AboutBox, SystemInfoStartsTheToolOrSaysItIsUnavailable) {
    frmAbout* about = openAbout();
    part<QPushButton>(about, "cmdSysInfo")->click();
    EXPECT_EQ(platform.messages.shown(),
              (std::vector<Message>{{"System Information Is Unavailable At This Time", ""}}));
    EXPECT_TRUE(about->isVisible()) << "the About box stays open";

    platform.registry.addKey(QByteArray(kSysInfoKey));
    platform.registry.setString(QByteArray(kSysInfoKey), "PATH", "/usr/bin/hardinfo2");
    platform.programs.addProgram("/usr/bin/hardinfo2");
    part<QPushButton>(about, "cmdSysInfo")->click();
    EXPECT_EQ(platform.programs.starts().back().path, QString("/usr/bin/hardinfo2"));
    EXPECT_EQ(platform.messages.shown().size(), 1U);
}

// Runs the program's event loop as main() does: the About box keeps the program running
// after the main window is closed, and the program ends when it is closed too.
TEST(AboutBoxLifetime, OutlivesTheMainWindowAndTheProgramEndsWithIt) {
    TestPlatform platform;
    auto form = std::make_unique<Form1>(platform.services());
    form->show();
    form->findChild<QAction*>("mnuAbout")->trigger();
    frmAbout* about = aboutBoxes().value(0);
    ASSERT_NE(about, nullptr);
    bool runningAfterMainClosed = false;
    bool aboutOpenAfterMainClosed = false;
    QTimer::singleShot(0, [&] { form->close(); });
    QTimer::singleShot(200, [&] {
        runningAfterMainClosed = true;
        aboutOpenAfterMainClosed = about->isVisible() && !form->isVisible();
        about->findChild<QPushButton*>("cmdOK")->click();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        ADD_FAILURE() << "the program did not end when its last window closed";
        QApplication::exit(1);
    });
    watchdog.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(runningAfterMainClosed) << "closing the main window did not end the program";
    EXPECT_TRUE(aboutOpenAfterMainClosed);
}
