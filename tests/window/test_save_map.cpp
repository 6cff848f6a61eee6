#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImageReader>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <functional>
#include <optional>

#include "image/bmp_writer.h"
#include "platform/qt_platform.h"
#include "support/as_nobody.h"
#include "support/form_fixture.h"
#include "support/modal_script.h"
#include "support/test_files.h"
#include "window/map_messages.h"

using namespace tessara;
using namespace tessara::test;

namespace {

const Message kNoMapToSave{"There is no map to save yet. Please load a map picture first.",
                           "No map to save"};

// The picture in a file, as read back by Qt's own reader.
QImage readBack(const QString& path) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

}  // namespace

class SaveMap : public FormTest {
  protected:
    void load(const QString& path) {
        platform.dialogs.answer(path);
        action("mnuLoad")->trigger();
        ASSERT_TRUE(platform.messages.shown().empty());
    }
    void save(const std::optional<QString>& path) {
        platform.dialogs.answer(path);
        action("mnuSave")->trigger();
    }
    QImage loadMap(int width, int height) {
        const QImage map = makeMap(width, height);
        load(writeImage(dir.path("map.bmp"), map, "BMP"));
        return map;
    }
    ScratchDir dir;
};

TEST_F(SaveMap, MessagesSayWhatWentWrongAndWhere) {
    EXPECT_EQ(noMapToSaveMessage(), kNoMapToSave);
    const Message failed = saveFailedMessage("/maps/gone/map.bmp", "No such file or directory");
    EXPECT_EQ(failed.title, QString("Can't save map"));
    EXPECT_EQ(failed.prompt,
              QString("The map could not be saved as\n/maps/gone/map.bmp\n\nNo such file or "
                      "directory"));
}

TEST_F(SaveMap, AsksForABitmapNamePrefilledWithTheLastName) {
    const QString jpeg = writeImage(dir.path("scan.jpg"), makeMap(60, 40), "JPEG");
    load(jpeg);
    save(std::nullopt);
    ASSERT_EQ(platform.dialogs.requests().size(), 2U);
    const FileDialogRequest& r = platform.dialogs.requests().back();
    EXPECT_EQ(r.kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(r.nameFilters, QStringList{"Bitmap (*.bmp)"});
    EXPECT_EQ(r.patterns, QStringList{"*.[bB][mM][pP]"});
    EXPECT_EQ(r.defaultSuffix, QString("bmp"));
    EXPECT_TRUE(r.confirmOverwrite);
    EXPECT_TRUE(r.folderMustExist);
    EXPECT_FALSE(r.fileMustExist);
    EXPECT_EQ(r.initialPath, jpeg) << "the map's own name, extension and all";
    const CommonDialog& settings = form.commonDialog();
    EXPECT_EQ(settings.Flags, 0x806);
    EXPECT_TRUE(settings.CancelError);
    EXPECT_EQ(settings.Filter, QString("Bitmap (*.bmp)|*.bmp"));
    EXPECT_EQ(settings.DefaultExt, QString(".bmp"));
    EXPECT_EQ(settings.FileName, jpeg) << "a cancel keeps the name";
}

TEST_F(SaveMap, CancelWritesNothingAndShowsNothing) {
    loadMap(40, 30);
    const QByteArray old = readBytes(writeBytes(dir.path("old.bmp"), "old content"));
    const QStringList before = filesIn(dir.root());
    save(std::nullopt);
    EXPECT_EQ(filesIn(dir.root()), before);
    EXPECT_EQ(readBytes(dir.path("old.bmp")), old);
    EXPECT_TRUE(platform.messages.shown().empty());
}

TEST_F(SaveMap, WritesTheFullResolutionMapWhateverTheZoom) {
    const QImage map = loadMap(123, 77);
    struct Row {
        const char* guards;
        void (Form1::*zoom)();
        const char* name;
    } const rows[] = {
        {"normal size", &Form1::mnuNormal_Click, "normal.bmp"},
        {"1:5", &Form1::mnu1to5_Click, "small.bmp"},
        {"5:1", &Form1::mnu5to1_Click, "large.bmp"},
        {"1:3, a size with a fraction", &Form1::mnu1to3_Click, "third.bmp"},
    };
    QByteArray first;
    for (const auto& row : rows) {
        (form.*row.zoom)();
        hbar()->setValue(70);  // the scroll position does not matter either
        save(dir.path(row.name));
        const QByteArray bytes = readBytes(dir.path(row.name));
        ASSERT_TRUE(bytes.startsWith("BM")) << row.guards;
        EXPECT_EQ(bytes.size(), bmpFileSize(map)) << row.guards;
        EXPECT_EQ(readBack(dir.path(row.name)).convertToFormat(QImage::Format_RGB32), map)
            << row.guards;
        if (first.isEmpty()) {
            first = bytes;
        }
        EXPECT_EQ(bytes, first) << row.guards << ": the same file as at normal size";
    }
    EXPECT_TRUE(platform.messages.shown().empty());
}

TEST_F(SaveMap, AnyNameGetsABitmapInThePicturesOwnDepth) {
    QImage grey(30, 20, QImage::Format_Indexed8);
    grey.setColorCount(256);
    for (int i = 0; i < 256; ++i) {
        grey.setColor(i, qRgb(i, i, i));
    }
    for (int y = 0; y < grey.height(); ++y) {
        for (int x = 0; x < grey.width(); ++x) {
            grey.setPixel(x, y, static_cast<uint>((x * 8 + y) % 256));
        }
    }
    QImage mono = makeMap(33, 9).convertToFormat(QImage::Format_Mono);
    struct Row {
        const char* guards;
        QImage map;
        const char* name;
        int bits;
    } const rows[] = {
        {"a colour map named .png", makeMap(50, 25), "gridded.png", 24},
        {"a colour map named .jpg", makeMap(50, 25), "gridded.jpg", 24},
        {"an 8-bit grey scan", grey, "grey.bmp", 8},
        {"a black and white map", mono, "mono.bmp", 1},
    };
    for (const auto& row : rows) {
        load(writeImage(dir.path("in.bmp"), row.map, "BMP"));
        save(dir.path(row.name));
        const QByteArray bytes = readBytes(dir.path(row.name));
        ASSERT_TRUE(bytes.startsWith("BM")) << row.guards;
        EXPECT_EQ(static_cast<int>(bytes.at(28)), row.bits) << row.guards;
        EXPECT_EQ(QImageReader(dir.path(row.name)).format(), QByteArray("bmp")) << row.guards;
        EXPECT_EQ(readBack(dir.path(row.name)).convertToFormat(QImage::Format_RGB32),
                  row.map.convertToFormat(QImage::Format_RGB32))
            << row.guards;
    }
}

TEST_F(SaveMap, BeforeAnyMapItSaysThereIsNoneAndWritesNothing) {
    const QStringList before = filesIn(dir.root());
    action("mnuSave")->trigger();
    EXPECT_TRUE(platform.dialogs.requests().empty()) << "told before choosing a name";
    ASSERT_EQ(platform.messages.shown().size(), 1U);
    EXPECT_EQ(platform.messages.shown()[0], kNoMapToSave);
    EXPECT_EQ(filesIn(dir.root()), before);
}

struct Unwritable {
    const char* guards;
    std::function<QString(const ScratchDir&)> make;  // the path the user accepts
    const char* reason;
    bool needsNobody = false;
};

TEST_F(SaveMap, APathThatCannotBeWrittenIsNamedAndTheOldFileKept) {
    const Unwritable rows[] = {
        {"a folder without write permission, old file there",
         [](const ScratchDir& d) {
             QDir(d.root()).mkdir("locked");
             const QString p = writeBytes(d.path("locked/map.bmp"), "the old map");
             QFile::setPermissions(d.path("locked"),
                                   QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                       QFileDevice::ReadOther | QFileDevice::ExeOther);
             return p;
         },
         "Permission denied", true},
        {"a folder that is gone",
         [](const ScratchDir& d) {
             QDir(d.root()).mkdir("gone");
             QDir(d.root()).rmdir("gone");
             return d.path("gone/map.bmp");
         },
         "No such file or directory"},
        {"a folder with the file's name",
         [](const ScratchDir& d) {
             QDir(d.root()).mkdir("folder.bmp");
             writeBytes(d.path("folder.bmp/inside.txt"), "kept");
             return d.path("folder.bmp");
         },
         "is a folder."},
    };
    loadMap(64, 48);
    bool busyWhileTold = false;
    platform.messages.onShow = [&](const Message&) {
        busyWhileTold = busyWhileTold || QGuiApplication::overrideCursor() != nullptr;
    };
    for (const auto& row : rows) {
        const QString path = row.make(dir);
        const QFileInfo parent(QFileInfo(path).absolutePath());
        const QStringList before = parent.exists() ? filesIn(parent.filePath()) : QStringList();
        const QByteArray old = readBytes(path);
        const size_t shown = platform.messages.shown().size();
        ASSERT_TRUE(runAsNobodyIf(row.needsNobody, [&] { save(path); }))
            << row.guards << ": could not drop root rights";
        ASSERT_EQ(platform.messages.shown().size(), shown + 1) << row.guards;
        const Message& m = platform.messages.shown().back();
        EXPECT_EQ(m.title, QString("Can't save map")) << row.guards;
        const QString head = QStringLiteral("The map could not be saved as\n%1\n\n").arg(path);
        EXPECT_TRUE(m.prompt.startsWith(head)) << row.guards << ": " << m.prompt.toStdString();
        EXPECT_TRUE(m.prompt.endsWith(row.reason)) << row.guards << ": " << m.prompt.toStdString();
        EXPECT_EQ(readBytes(path), old) << row.guards << ": the old file is kept";
        if (parent.exists()) {
            EXPECT_EQ(filesIn(parent.filePath()), before) << row.guards << ": nothing left over";
        }
    }
    EXPECT_FALSE(busyWhileTold) << "the busy cursor is gone when the message shows";
    // The program goes on: the next save works.
    save(dir.path("fine.bmp"));
    EXPECT_TRUE(readBytes(dir.path("fine.bmp")).startsWith("BM"));
    EXPECT_EQ(platform.messages.shown().size(), std::size(rows));
}

// Qt's real save dialog, answered while it is up.
class SaveMapRealDialog : public ::testing::Test {
  protected:
    SaveMapRealDialog()
        : form(Services{files, platform.messages, platform.pacer, platform.printers, platform.help,
                        platform.registry, platform.files, platform.programs, platform.questions}) {
        map = makeMap(90, 60);
        form.picMap().setPicture(Picture(map));
        form.mnuNormal_Click();
    }
    ScratchDir dir;
    TestPlatform platform;
    QtDialogBackend files;
    Form1 form;
    QImage map;
};

TEST_F(SaveMapRealDialog, ANameTypedWithoutExtensionGetsBmp) {
    form.commonDialog().FileName = dir.path("previous.jpg");
    QStringList filters;
    QString folder;
    ModalScript script;
    script
        .then<QFileDialog>([&](QFileDialog& d) {
            filters = d.nameFilters();
            folder = d.directory().absolutePath();
            auto* edit = d.findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(edit, nullptr);
            edit->setText("gridded");
            static_cast<QDialog&>(d).accept();
        })
        .run([&] { form.findChild<QAction*>("mnuSave")->trigger(); });
    EXPECT_EQ(filters, QStringList{"Bitmap (*.bmp) (*.[bB][mM][pP])"});
    EXPECT_EQ(folder, dir.root()) << "opens in the folder of the last name";
    const QString written = dir.path("gridded.bmp");
    ASSERT_TRUE(QFileInfo::exists(written));
    EXPECT_EQ(readBack(written).convertToFormat(QImage::Format_RGB32), map);
    EXPECT_EQ(form.commonDialog().FileName, written);
    EXPECT_TRUE(platform.messages.shown().empty());
}

TEST_F(SaveMapRealDialog, AsksBeforeReplacingAFileAndNoKeepsIt) {
    const QString old = writeBytes(dir.path("keep.bmp"), "the old map");
    form.commonDialog().FileName = old;
    QString question;
    ModalScript script;
    script.then<QFileDialog>([](QFileDialog& d) { static_cast<QDialog&>(d).accept(); })
        .then<QMessageBox>([&](QMessageBox& box) {
            question = box.text();
            box.button(QMessageBox::No)->click();
        })
        .then<QFileDialog>([](QFileDialog& d) { static_cast<QDialog&>(d).reject(); })
        .run([&] { form.findChild<QAction*>("mnuSave")->trigger(); });
    EXPECT_TRUE(question.contains("keep.bmp")) << question.toStdString();
    EXPECT_EQ(readBytes(old), QByteArray("the old map"));
    EXPECT_TRUE(platform.messages.shown().empty());
}
