#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "support/form_fixture.h"
#include "support/test_files.h"
#include "window/map_messages.h"

using namespace tessara;
using namespace tessara::test;

// A map opened from the command line or dropped on the window loads as Load Map Picture
// loads one; anything else dropped is refused while it is dragged and changes nothing.
class DroppedMap : public FormTest {
  protected:
    // Drags the data over the window and drops it; true when the window took the drag.
    bool dragAndDrop(const QMimeData& data) {
        const QPoint at(50, 50);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &drop);
        return true;
    }
    static QMimeData* files(const QStringList& paths) {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls << QUrl::fromLocalFile(path);
        }
        data->setUrls(urls);
        return data;
    }
    ScratchDir dir;
};

TEST_F(DroppedMap, OneDroppedPictureLoadsAndAnythingElseIsRefused) {
    const QString map = writeImage(dir.path("map.bmp"), makeMap(120, 90), "BMP");
    const QString other = writeImage(dir.path("other.jpg"), makeMap(30, 20), "JPEG");
    QMimeData text;
    text.setText(map);
    struct Row {
        const char* guards;
        std::unique_ptr<QMimeData> data;
    };
    Row refused[3] = {{"two files", std::unique_ptr<QMimeData>(files({map, other}))},
                      {"a folder", std::unique_ptr<QMimeData>(files({dir.root()}))},
                      {"a web address", std::unique_ptr<QMimeData>(new QMimeData)}};
    refused[2].data->setUrls({QUrl("https://example.org/map.bmp")});
    for (const Row& row : refused) {
        EXPECT_FALSE(dragAndDrop(*row.data)) << row.guards;
    }
    EXPECT_FALSE(dragAndDrop(text)) << "text";
    EXPECT_TRUE(image()->picture().isNull()) << "nothing was loaded";
    const std::unique_ptr<QMimeData> one(files({map}));
    ASSERT_TRUE(dragAndDrop(*one));
    EXPECT_EQ(image()->picture().width(), 120);
    EXPECT_TRUE(platform.messages.shown().empty());
}

TEST_F(DroppedMap, ABadFileGetsTheLoadMessageAndTheDialogStartsAtIt) {
    const QString bad = writeBytes(dir.path("notes.jpg"), "not a picture");
    form.openMap(bad);
    ASSERT_EQ(platform.messages.shown().size(), 1U);
    EXPECT_EQ(platform.messages.shown().front(), loadFailedMessage());
    EXPECT_TRUE(image()->picture().isNull());
    platform.dialogs.answer(std::nullopt);
    action("mnuLoad")->trigger();
    EXPECT_EQ(QDir::cleanPath(platform.dialogs.requests().back().initialPath),
              QDir::cleanPath(bad));
}
