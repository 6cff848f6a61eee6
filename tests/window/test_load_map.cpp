#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <functional>
#include <optional>

#include "support/as_nobody.h"
#include "support/form_fixture.h"
#include "support/test_files.h"
#include "window/map_messages.h"

using namespace tessara;
using namespace tessara::test;

namespace {

const Message kLoadFailed{"Please check this is a valid graphics file", "Can't load graphics file"};

}  // namespace

class LoadMap : public FormTest {
  protected:
    void load(const QString& path) {
        platform.dialogs.answer(path);
        action("mnuLoad")->trigger();
    }
    ScratchDir dir;
};

TEST_F(LoadMap, TheMessageHasItsExactWords) {
    EXPECT_EQ(loadFailedMessage(), kLoadFailed);
}

TEST_F(LoadMap, OpensTheDialogWithEveryPictureTypeAndAllPicturesSelected) {
    platform.dialogs.answer(std::nullopt);
    action("mnuLoad")->trigger();
    ASSERT_EQ(platform.dialogs.requests().size(), 1U);
    const FileDialogRequest& r = platform.dialogs.requests()[0];
    EXPECT_EQ(r.kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(r.nameFilters, (QStringList{"All pictures", "Bitmaps (*.bmp)", "JPEG (*.jpg)",
                                          "PNG (*.png)", "TIFF (*.tif)", "GIF (*.gif)",
                                          "WebP (*.webp)", "PDF (*.pdf)", "All Files (*.*)"}));
    EXPECT_EQ(r.patterns.first().split(' ').size(), 9);  // bmp jpg jpeg png tif tiff gif webp pdf
    EXPECT_EQ(r.selectedFilter, 0);
    EXPECT_TRUE(r.fileMustExist);
    EXPECT_TRUE(r.folderMustExist);
    const CommonDialog& settings = form.commonDialog();
    EXPECT_EQ(settings.FilterIndex, 1);
    EXPECT_EQ(settings.Flags, 6148);
    EXPECT_TRUE(settings.CancelError);
}

TEST_F(LoadMap, ShowsTheMapAtFullSizeFromItsTopLeftCorner) {
    const QImage map = makeMap(640, 480);
    form.mnu3to1_Click();
    hbar()->setValue(60);
    load(writeImage(dir.path("map.bmp"), map, "BMP"));
    EXPECT_TRUE(platform.messages.shown().empty());
    EXPECT_EQ(form.picMap().picture().image(), map);
    EXPECT_EQ(form.picMap().Width(), 9600.0F);
    EXPECT_EQ(image()->Width(), 9600.0F) << "normal size, whatever the zoom before";
    EXPECT_EQ(image()->Height(), 7200.0F);
    EXPECT_TRUE(image()->picture().sharesPixelsWith(form.picMap().picture()));
    EXPECT_EQ(hbar()->value(), 0);
    EXPECT_EQ(image()->Left(), 0.0F);
    EXPECT_EQ(form.commonDialog().FileName, dir.path("map.bmp"));
}

TEST_F(LoadMap, LoadsAJpegChosenUnderAnyFilter) {
    load(writeImage(dir.path("scan.jpg"), makeMap(300, 200), "JPEG"));
    EXPECT_EQ(form.picMap().picture().width(), 300);
    EXPECT_EQ(image()->Width(), 4500.0F);
    EXPECT_TRUE(platform.messages.shown().empty());
}

TEST_F(LoadMap, DisablesTheDimensionsReportAndDropsTheOldGrid) {
    action("mnuInformation")->setEnabled(true);  // as after a grid was drawn
    load(writeImage(dir.path("first.bmp"), makeMap(50, 40), "BMP"));
    EXPECT_FALSE(action("mnuInformation")->isEnabled());
}

TEST_F(LoadMap, CancelChangesNothing) {
    load(writeImage(dir.path("map.bmp"), makeMap(100, 80), "BMP"));
    const Picture before = form.picMap().picture();
    form.mnu2to1_Click();
    hbar()->setValue(30);
    platform.dialogs.answer(std::nullopt);
    action("mnuLoad")->trigger();
    EXPECT_TRUE(form.picMap().picture().sharesPixelsWith(before));
    EXPECT_EQ(image()->Width(), 3000.0F) << "the zoom stays";
    EXPECT_EQ(hbar()->value(), 30) << "the scroll position stays";
    EXPECT_TRUE(platform.messages.shown().empty()) << "a cancel shows nothing";
}

TEST_F(LoadMap, TheNextDialogIsPrefilledWithTheLastChosenName) {
    load(writeImage(dir.path("map.bmp"), makeMap(10, 10), "BMP"));
    platform.dialogs.answer(std::nullopt);
    action("mnuLoad")->trigger();
    EXPECT_EQ(platform.dialogs.requests().back().initialPath, dir.path("map.bmp"));
}

// A PDF has no pixels of its own: which page is the map, and at what resolution it is
// drawn, are asked in one box, and the page drawn at that is the map.
TEST_F(LoadMap, APdfPageIsAskedForInOneBoxAndDrawnAtTheResolutionTyped) {
    const auto filled = [](QSize size, QColor colour) {
        QImage page(size, QImage::Format_RGB32);
        page.fill(colour);
        return page;
    };
    writePdf(dir.path("game.pdf"), {filled({144, 72}, Qt::red), filled({144, 72}, Qt::blue)}, 72);
    writePdf(dir.path("one.pdf"), {filled({72, 144}, Qt::green)}, 72);
    writePdf(dir.path("wide.pdf"), {filled({1980, 72}, Qt::red)}, 72);  // 27.5 inches
    writeBytes(dir.path("junk.pdf"), "%PDF-1.4 and nothing else\n");
    load(writeImage(dir.path("map.bmp"), makeMap(40, 30), "BMP"));
    const QStringList pageAndResolution{"Page", "Resolution (dots per inch)"};
    const struct {
        const char* guards;
        const char* file;
        std::optional<std::vector<double>> answer;  // nothing: cancelled, or never asked
        QStringList fields;
        QSize size;  // empty: the map before stays
        QRgb colour;
        std::optional<Message> told;
    } rows[] = {
        {"cancelled at the question", "game.pdf", std::nullopt, pageAndResolution, {}, 0, {}},
        {"page 2 at 144 dpi",
         "game.pdf",
         std::vector{2.0, 144.0},
         pageAndResolution,
         {288, 144},
         qRgb(0, 0, 255),
         {}},
        {"a one-page PDF asks its resolution only",
         "one.pdf",
         std::vector{50.0},
         {"Resolution (dots per inch)"},
         {50, 100},
         qRgb(0, 255, 0),
         {}},
        {"no PDF, though named one",
         "junk.pdf",
         std::nullopt,
         {},
         {},
         0,
         Message{"\"junk.pdf\" cannot be opened as a map: it is not a PDF Tessara can read.",
                 "Can't load PDF file"}},
        {"larger than the largest picture",
         "wide.pdf",
         std::vector{1200.0},
         {"Resolution (dots per inch)"},
         {},
         0,
         Message{"Page 1 drawn at 1200 dots per inch would be larger than the largest picture "
                 "Tessara makes (32767 pixels a side). Please choose a lower resolution.",
                 "Picture too large"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.guards);
        const Picture before = form.picMap().picture();
        const auto asked = platform.questions.manyNumbersAsked().size();
        const auto told = platform.messages.shown().size();
        if (!row.fields.isEmpty()) {
            platform.questions.answerNumbers(row.answer);
        }
        load(dir.path(row.file));
        const auto& questions = platform.questions.manyNumbersAsked();
        ASSERT_EQ(questions.size(), asked + (row.fields.isEmpty() ? 0 : 1));
        if (!row.fields.isEmpty()) {
            QStringList labels;
            for (const NumberQuestion& field : questions.back().fields) {
                labels << field.prompt;
            }
            EXPECT_EQ(labels, row.fields);
            EXPECT_EQ(questions.back().fields.back().value, 300);
            EXPECT_EQ(questions.back().fields.back().minimum, 50);
            EXPECT_EQ(questions.back().fields.back().maximum, 1200);
            EXPECT_EQ(questions.back().fields.front().maximum, row.fields.size() == 2 ? 2 : 1200);
        }
        const std::vector<Message>& shown = platform.messages.shown();
        EXPECT_EQ(std::vector(shown.begin() + static_cast<std::ptrdiff_t>(told), shown.end()),
                  row.told ? std::vector{*row.told} : std::vector<Message>{});
        if (row.size.isEmpty()) {
            EXPECT_TRUE(form.picMap().picture().sharesPixelsWith(before));
            continue;
        }
        const QImage& map = form.picMap().picture().image();
        EXPECT_EQ(map.size(), row.size);
        const QRgb middle = map.pixel(map.width() / 2, map.height() / 2);
        EXPECT_LE(std::abs(qRed(middle) - qRed(row.colour)) +
                      std::abs(qGreen(middle) - qGreen(row.colour)) +
                      std::abs(qBlue(middle) - qBlue(row.colour)),
                  6);
        EXPECT_EQ(image()->Width(), static_cast<float>(15 * row.size.width())) << "normal size";
    }
}

struct BadFile {
    const char* guards;
    std::function<QString(const ScratchDir&)> make;
    bool needsNobody = false;
};

TEST_F(LoadMap, ABadFileGetsTheMessageAndThePreviousMapStays) {
    const BadFile rows[] = {
        {"a text file named .bmp",
         [](const ScratchDir& d) { return writeBytes(d.path("t.bmp"), "hello\n"); }},
        {"a zero-byte file", [](const ScratchDir& d) { return writeBytes(d.path("z.jpg"), {}); }},
        {"a truncated JPEG",
         [](const ScratchDir& d) {
             const QByteArray b = readBytes(writeImage(d.path("w.jpg"), makeMap(300, 300), "JPEG"));
             return writeBytes(d.path("cut.jpg"), b.left(b.size() / 2));
         }},
        {"a bitmap with a corrupt header",
         [](const ScratchDir& d) {
             QByteArray b = readBytes(writeImage(d.path("g.bmp"), makeMap(30, 30), "BMP"));
             b[14] = 3;
             b[28] = 77;
             return writeBytes(d.path("bad.bmp"), b);
         }},
        {"a folder",
         [](const ScratchDir& d) {
             QDir(d.root()).mkdir("maps.bmp");
             return d.path("maps.bmp");
         }},
        {"an absurd declared size",
         [](const ScratchDir& d) {
             QByteArray b = readBytes(writeImage(d.path("s.bmp"), makeMap(8, 8), "BMP"));
             qToLittleEndian<qint32>(200000, b.data() + 18);
             qToLittleEndian<qint32>(200000, b.data() + 22);
             return writeBytes(d.path("huge.bmp"), b);
         }},
        {"a file without read permission",
         [](const ScratchDir& d) {
             const QString p = writeImage(d.path("locked.bmp"), makeMap(8, 8), "BMP");
             QFile::setPermissions(p, QFileDevice::WriteOwner);
             return p;
         },
         true},
    };
    load(writeImage(dir.path("good.bmp"), makeMap(120, 90), "BMP"));
    const Picture good = form.picMap().picture();
    action("mnuInformation")->setEnabled(true);
    form.mnu1to2_Click();
    for (const auto& row : rows) {
        const QString path = row.make(dir);
        const size_t shownBefore = platform.messages.shown().size();
        ASSERT_TRUE(runAsNobodyIf(row.needsNobody, [&] { load(path); }))
            << row.guards << ": could not drop root rights";
        ASSERT_EQ(platform.messages.shown().size(), shownBefore + 1) << row.guards;
        EXPECT_EQ(platform.messages.shown().back(), kLoadFailed) << row.guards;
        EXPECT_TRUE(form.picMap().picture().sharesPixelsWith(good)) << row.guards;
        EXPECT_TRUE(image()->picture().sharesPixelsWith(good)) << row.guards;
        EXPECT_EQ(image()->Width(), 900.0F) << row.guards << ": the zoom stays";
        EXPECT_TRUE(action("mnuInformation")->isEnabled()) << row.guards;
    }
}

TEST_F(LoadMap, APictureTooLargeSaysSoNamingItsSize) {
    // One row of 32768 pixels: a small file, but one pixel over the longest side.
    QByteArray b = readBytes(writeImage(dir.path("row.bmp"), makeMap(8, 1), "BMP")).left(54);
    b.append(QByteArray(32768 * 3, '\0'));
    qToLittleEndian<qint32>(32768, b.data() + 18);
    load(writeBytes(dir.path("wide.bmp"), b));
    ASSERT_EQ(platform.messages.shown().size(), 1U);
    EXPECT_EQ(platform.messages.shown()[0],
              Message({"This picture is 32768 x 1 pixels; a map can be at most 32767 pixels wide "
                       "and 32767 pixels high.",
                       "Picture too large"}));
    EXPECT_TRUE(form.picMap().picture().isNull());
}
