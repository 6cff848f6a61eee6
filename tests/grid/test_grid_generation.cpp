#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <functional>
#include <optional>

#include "grid/grid_generation.h"
#include "grid/grid_messages.h"
#include "image/bmp_writer.h"
#include "image/opacity.h"
#include "support/as_nobody.h"
#include "support/form_fixture.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

const Message kInvalidMap{"Enter the horizontal size of your map", "Invalid map size"};
const Message kInvalidHex{
    "Enter the size you want your hexes to be in the same units as the map size",
    "Invalid Hex size"};

constexpr int kRed = 4;
constexpr int kBlue = 1;
constexpr int kThickness3 = 2;
const QRgb kRedRgb = qRgb(128, 0, 0);
const QRgb kBlueRgb = qRgb(0, 0, 128);

int count(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return n;
}

// Pixels that are neither the map's own nor the pen's colour.
int strayPixels(const QImage& gridded, const QImage& map, QRgb pen) {
    int n = 0;
    for (int y = 0; y < map.height(); ++y) {
        for (int x = 0; x < map.width(); ++x) {
            const QRgb p = gridded.pixel(x, y);
            n += p != map.pixel(x, y) && p != pen ? 1 : 0;
        }
    }
    return n;
}

}  // namespace

class GridGeneration : public FormTest {
  protected:
    void loadMap(const QImage& map) {
        platform.dialogs.answer(writeImage(dir.path("map.bmp"), map, "BMP"));
        action("mnuLoad")->trigger();
        ASSERT_TRUE(platform.messages.shown().empty());
    }
    void generate(const QString& mapSize, const QString& hexSize, int colour = 0,
                  int thickness = 0) {
        control<QLineEdit>("txtMapSize")->setText(mapSize);
        control<QLineEdit>("txtHexF")->setText(hexSize);
        control<QComboBox>("cmbColour")->setCurrentIndex(colour);
        control<QComboBox>("cmbThick")->setCurrentIndex(thickness);
        control<QPushButton>("Command1")->click();
    }
    QImage picture() { return form.picMap().picture().image(); }
    static bool tmpExists() { return QFileInfo::exists(QStringLiteral("tmp.bmp")); }

    ScratchDir dir;
};

TEST_F(GridGeneration, TheMessagesHaveTheirExactWords) {
    EXPECT_EQ(invalidMapSizeMessage(), kInvalidMap);
    EXPECT_EQ(invalidHexSizeMessage(), kInvalidHex);
}

TEST_F(GridGeneration, TheWorkedExampleIsDrawnIntoTheMapAndMergedThroughTmpBmp) {
    const QImage map = makeMap(1000, 800);
    loadMap(map);
    generate("100", "10", kRed, kThickness3);
    EXPECT_TRUE(platform.messages.shown().empty());

    const FormState& state = form.state();
    EXPECT_EQ(state.mapWidth, 100.0F);
    EXPECT_EQ(state.mapHeight, 80.0F);
    EXPECT_EQ(state.hexColumns, 12);
    EXPECT_EQ(state.hexRows, 11);

    const QImage gridded = picture();
    ASSERT_EQ(gridded.size(), QSize(1000, 800));
    EXPECT_FALSE(form.picMap().hasDrawing()) << "the drawing is part of the picture now";
    // The right flat of column 2, row 1 runs down x = 150, three pixels wide.
    for (const int x : {149, 150, 151}) {
        EXPECT_EQ(gridded.pixel(x, 30), kRedRgb) << "x = " << x;
    }
    EXPECT_EQ(gridded.pixel(148, 30), map.pixel(148, 30));
    EXPECT_EQ(gridded.pixel(152, 30), map.pixel(152, 30));
    EXPECT_EQ(gridded.pixel(100, 29), map.pixel(100, 29)) << "inside a hexagon";
    EXPECT_EQ(gridded.pixel(100, 115), kRedRgb) << "the lone right flat of row 2";
    EXPECT_EQ(gridded.pixel(0, 115), map.pixel(0, 115)) << "no left flat at the left edge";
    EXPECT_GT(count(gridded, kRedRgb), 20000);
    EXPECT_EQ(strayPixels(gridded, map, kRedRgb), 0) << "no shades, nothing else touched";

    ASSERT_TRUE(tmpExists());
    EXPECT_EQ(readBytes("tmp.bmp").left(2), QByteArray("BM"));
    EXPECT_EQ(LoadPicture("tmp.bmp").image(), gridded);

    EXPECT_TRUE(image()->picture().sharesPixelsWith(form.picMap().picture()));
    EXPECT_EQ(image()->Width(), 15000.0F);
    EXPECT_TRUE(action("mnuInformation")->isEnabled());
    EXPECT_EQ(form.picMap().scaleMode(), ScaleMode::Pixels) << "the pen stays set";
    EXPECT_EQ(form.picMap().DrawWidth(), 3);
    EXPECT_EQ(form.picMap().ForeColor(), QColor(128, 0, 0));
}

TEST_F(GridGeneration, ARejectedSizeShowsItsMessageFocusesItsBoxAndChangesNothing) {
    struct Row {
        const char* guards;
        const char* map;
        const char* hex;
        const Message& expected;
        const char* focused;
    } const rows[] = {
        {"a map size of 0", "0", "10", kInvalidMap, "txtMapSize"},
        {"a negative map size", "-5", "10", kInvalidMap, "txtMapSize"},
        {"a word", "ten", "10", kInvalidMap, "txtMapSize"},
        {"an empty map size", "", "10", kInvalidMap, "txtMapSize"},
        {"an infinite map size", "inf", "10", kInvalidMap, "txtMapSize"},
        {"both invalid: only the map size message", "", "x", kInvalidMap, "txtMapSize"},
        {"a hex size of 0", "100", "0", kInvalidHex, "txtHexF"},
        {"a negative hex size", "100", "-2", kInvalidHex, "txtHexF"},
        {"a hex size that is a word", "100", "big", kInvalidHex, "txtHexF"},
        {"a hex size equal to the map size", "10", "10", kInvalidHex, "txtHexF"},
        {"a hex size above the map size", "10", "12", kInvalidHex, "txtHexF"},
    };
    loadMap(makeMap(200, 150));
    const Picture before = form.picMap().picture();
    showAndActivate();
    for (const auto& row : rows) {
        control("Command1")->setFocus();
        const size_t shown = platform.messages.shown().size();
        generate(row.map, row.hex, kRed, kThickness3);
        ASSERT_EQ(platform.messages.shown().size(), shown + 1) << row.guards;
        EXPECT_EQ(platform.messages.shown().back(), row.expected) << row.guards;
        QWidget* box = control(row.focused);
        EXPECT_TRUE(eventually([&] { return QApplication::focusWidget() == box; })) << row.guards;
        EXPECT_EQ(control<QLineEdit>("txtMapSize")->text(), QString(row.map)) << "left as typed";
        EXPECT_TRUE(form.picMap().picture().sharesPixelsWith(before)) << row.guards;
        EXPECT_FALSE(form.picMap().hasDrawing()) << row.guards;
        EXPECT_EQ(form.picMap().scaleMode(), ScaleMode::Twips) << row.guards << ": no pen set";
        EXPECT_EQ(form.state().hexRows, 0) << row.guards;
        EXPECT_EQ(form.state().mapWidth, 0.0F) << row.guards;
        EXPECT_FALSE(action("mnuInformation")->isEnabled()) << row.guards;
        EXPECT_FALSE(tmpExists()) << row.guards;
    }
}

TEST_F(GridGeneration, AHexSizeJustBelowTheMapSizeIsAccepted) {
    loadMap(makeMap(300, 200));
    generate("10", "9.999999");
    EXPECT_TRUE(platform.messages.shown().empty());
    EXPECT_EQ(form.state().hexColumns, 3) << "Int(300 / 299.99997) + 2";
    EXPECT_TRUE(action("mnuInformation")->isEnabled());
}

TEST_F(GridGeneration, GridsAccumulateUntilANewMapIsLoaded) {
    loadMap(makeMap(400, 300));
    generate("100", "10", kRed);
    generate("100", "25", kBlue);
    EXPECT_TRUE(platform.messages.shown().empty());
    const QImage both = picture();
    EXPECT_EQ(both.pixel(60, 10), kRedRgb) << "the first grid's flat at x = 60 stays";
    EXPECT_EQ(both.pixel(150, 30), kBlueRgb) << "the second grid's flat at x = 150";
    EXPECT_EQ(form.state().hexColumns, 6) << "the report describes the last grid";
    loadMap(makeMap(400, 300));
    EXPECT_EQ(count(picture(), kRedRgb) + count(picture(), kBlueRgb), 0);
}

TEST_F(GridGeneration, BeforeAnyMapIsLoadedTheGridIsDrawnOnTheEmptyPicture) {
    generate("100", "10");
    EXPECT_TRUE(platform.messages.shown().empty());
    const QImage gridded = picture();
    ASSERT_EQ(gridded.size(), QSize(129, 81)) << "the empty picture box's own size";
    EXPECT_EQ(gridded.pixel(19, 3), qRgb(0, 0, 0)) << "a black right flat at x = 6 + 12.9";
    EXPECT_EQ(gridded.pixel(12, 3), PictureBox::backColor().rgb());
    EXPECT_EQ(LoadPicture("tmp.bmp").image(), gridded);
    EXPECT_EQ(form.state().mapHeight, static_cast<Single>(81.0 * 100 / 129));
    EXPECT_EQ(image()->Width(), 1935.0F);
}

TEST_F(GridGeneration, TheResultIsShownAtNormalSizeFromTheTopLeftCorner) {
    loadMap(makeMap(500, 400));
    form.mnu3to1_Click();
    hbar()->setValue(50);
    vbar()->setValue(70);
    generate("100", "10");
    EXPECT_EQ(image()->Width(), 7500.0F);
    EXPECT_EQ(image()->Height(), 6000.0F);
    EXPECT_EQ(hbar()->value(), 0);
    EXPECT_EQ(vbar()->value(), 0);
    EXPECT_EQ(image()->Left(), 0.0F);
    EXPECT_TRUE(image()->picture().sharesPixelsWith(form.picMap().picture()));
}

TEST_F(GridGeneration, TheCursorIsBusyWhileTheGridIsDrawn) {
    loadMap(makeMap(100, 100));
    std::optional<Qt::CursorShape> during;
    form.picMap().watchLines([&](QPointF, QPointF) {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        during = cursor ? cursor->shape() : Qt::ArrowCursor;
    });
    generate("100", "10");
    form.picMap().watchLines({});
    EXPECT_EQ(during, Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "and normal again afterwards";
}

TEST_F(GridGeneration, ASymbolicLinkNamedTmpBmpIsReplacedNotFollowed) {
    loadMap(makeMap(120, 90));
    writeBytes(dir.path("elsewhere.bmp"), "keep me");
    ASSERT_TRUE(QFile::link(dir.path("elsewhere.bmp"), dir.path("tmp.bmp")));
    generate("100", "10");
    EXPECT_TRUE(platform.messages.shown().empty());
    EXPECT_FALSE(QFileInfo(dir.path("tmp.bmp")).isSymLink());
    EXPECT_EQ(readBytes(dir.path("elsewhere.bmp")), QByteArray("keep me"));
    EXPECT_EQ(LoadPicture("tmp.bmp").image(), picture());
}

struct Failure {
    const char* guards;
    const char* hexSize;
    QString title;
    std::function<void()> setUp;
    bool asNobody = false;
    const char* says = "";  // part of the prompt: why it failed
};

TEST_F(GridGeneration, AFailureIsReportedAndLeavesTheMapTheReportAndTheMenuAlone) {
    const auto permissions = [](const QString& path, QFileDevice::Permissions p) {
        ASSERT_TRUE(QFile::setPermissions(path, p));
    };
    const auto all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                     QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther |
                     QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup;
    const Failure rows[] = {
        {"a hex size tiny against the map", "0.0001", "Too many hexes", nullptr},
        {"no colour chosen", "10", "No hex colour or thickness",
         [this] { control<QComboBox>("cmbColour")->setCurrentIndex(-1); }},
        {"tmp.bmp is a folder", "50", "Can't write tmp.bmp",
         [this] { QDir(dir.root()).mkdir("tmp.bmp"); }, false, "is a folder"},
        {"a current folder that cannot be written", "50", "Can't write tmp.bmp",
         [&] {
             QDir(dir.root()).rmdir("tmp.bmp");
             permissions(dir.root(), all & ~(QFileDevice::WriteOther | QFileDevice::WriteGroup));
         },
         true, "permission denied"},
        {"tmp.bmp cannot be read back", "50", "Can't read tmp.bmp",
         [&] {
             permissions(dir.root(), all);
             writeBytes(dir.path("tmp.bmp"), "old");
             permissions(dir.path("tmp.bmp"), QFileDevice::WriteOwner | QFileDevice::WriteOther);
         },
         true, "permission denied"},
    };
    const QImage map = makeMap(160, 120);
    loadMap(map);
    const Picture before = form.picMap().picture();
    const QImage pixels = before.image().copy();
    form.mnu1to2_Click();
    for (const auto& row : rows) {
        const size_t shown = platform.messages.shown().size();
        control<QLineEdit>("txtMapSize")->setText("100");
        control<QLineEdit>("txtHexF")->setText(row.hexSize);
        if (row.setUp) {
            row.setUp();
        }
        {
            std::optional<AsNobody> nobody;
            if (row.asNobody) {
                nobody.emplace();
                ASSERT_TRUE(nobody->ok()) << row.guards;
            }
            control<QPushButton>("Command1")->click();
        }
        ASSERT_EQ(platform.messages.shown().size(), shown + 1) << row.guards;
        const Message& message = platform.messages.shown().back();
        EXPECT_EQ(message.title, row.title) << row.guards;
        EXPECT_TRUE(message.prompt.contains(row.says, Qt::CaseInsensitive))
            << row.guards << ": " << message.prompt.toStdString();
        if (row.title.contains("tmp.bmp")) {
            EXPECT_TRUE(message.prompt.contains(dir.root())) << row.guards << ": names the folder";
        }
        EXPECT_TRUE(form.picMap().picture().sharesPixelsWith(before)) << row.guards;
        EXPECT_EQ(picture(), pixels) << row.guards << ": the lines drawn are put back";
        EXPECT_FALSE(form.picMap().hasDrawing()) << row.guards;
        EXPECT_TRUE(image()->picture().sharesPixelsWith(before)) << row.guards;
        EXPECT_EQ(image()->Width(), 1200.0F) << row.guards << ": the zoom stays";
        EXPECT_EQ(form.state().hexColumns, 0) << row.guards;
        EXPECT_EQ(form.state().mapHeight, 0.0F) << row.guards;
        EXPECT_FALSE(action("mnuInformation")->isEnabled()) << row.guards;
        control<QComboBox>("cmbColour")->setCurrentIndex(0);
    }
    QFile::setPermissions(dir.root(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(GridGeneration, HexesTooSmallForTheMapSendTheFocusToTheHexSize) {
    loadMap(makeMap(100, 80));
    showAndActivate();
    generate("100", "0.001");
    ASSERT_EQ(platform.messages.shown().size(), 1U);
    EXPECT_EQ(platform.messages.shown()[0], tooManyHexesMessage());
    QWidget* hexSize = control("txtHexF");
    EXPECT_TRUE(eventually([&] { return QApplication::focusWidget() == hexSize; }));
}

TEST_F(GridGeneration, AFailureAfterAGoodGridKeepsThatGridAndItsReport) {
    loadMap(makeMap(300, 200));
    generate("100", "10", kRed);
    ASSERT_TRUE(platform.messages.shown().empty());
    const Picture gridded = form.picMap().picture();
    const FormState good = form.state();
    QFile::remove("tmp.bmp");
    QDir(dir.root()).mkdir("tmp.bmp");
    generate("50", "10", kBlue);
    ASSERT_EQ(platform.messages.shown().size(), 1U);
    EXPECT_EQ(platform.messages.shown()[0].title, QString("Can't write tmp.bmp"));
    EXPECT_TRUE(form.picMap().picture().sharesPixelsWith(gridded));
    EXPECT_EQ(form.state().mapWidth, good.mapWidth);
    EXPECT_EQ(form.state().hexColumns, good.hexColumns);
    EXPECT_TRUE(action("mnuInformation")->isEnabled());
}

TEST_F(GridGeneration, APictureOfNoWidthIsReported) {
    form.picMap().setSize(0, 1215);
    generate("100", "10");
    ASSERT_EQ(platform.messages.shown().size(), 1U);
    EXPECT_EQ(platform.messages.shown()[0], emptyMapPictureMessage());
    EXPECT_TRUE(form.picMap().picture().isNull());
    EXPECT_EQ(form.state().mapWidth, 0.0F);
    EXPECT_FALSE(action("mnuInformation")->isEnabled());
    EXPECT_FALSE(tmpExists());
}

TEST_F(GridGeneration, TheFileTheMapCameFromIsNeverWrittenOver) {
    struct Row {
        const char* guards;
        QString loadFrom;  // made from map.bmp
        bool hardLink;
        bool refused;
    };
    const Row rows[] = {
        {"the map is tmp.bmp in the current folder", "tmp.bmp", false, true},
        {"the map is a hard link named tmp.bmp", "tmp.bmp", true, true},
        {"the map is a tmp.bmp of another folder", "maps/tmp.bmp", false, false},
    };
    for (const Row& row : rows) {
        QFile::remove("tmp.bmp");
        QDir(dir.root()).mkpath("maps");
        const QString map = writeImage(dir.path("map.bmp"), makeMap(200, 150), "BMP");
        QFile::remove(row.loadFrom);
        ASSERT_TRUE(row.hardLink ? ::link("map.bmp", "tmp.bmp") == 0
                                 : QFile::copy(map, row.loadFrom));
        const QByteArray before = readBytes(row.loadFrom);
        platform.dialogs.answer(dir.path(row.loadFrom));
        action("mnuLoad")->trigger();
        const Picture loaded = form.picMap().picture();
        const size_t shownBefore = platform.messages.shown().size();
        generate("100", "10", kRed);
        if (row.refused) {
            ASSERT_EQ(platform.messages.shown().size(), shownBefore + 1) << row.guards;
            EXPECT_EQ(platform.messages.shown().back(), mergeOverwritesMapMessage("tmp.bmp"));
            EXPECT_EQ(readBytes(row.loadFrom), before) << row.guards;
            EXPECT_TRUE(form.picMap().picture().sharesPixelsWith(loaded)) << row.guards;
            EXPECT_EQ(picture(), LoadPicture(row.loadFrom).image()) << row.guards;
            EXPECT_FALSE(form.picMap().hasDrawing()) << row.guards;
        } else {
            EXPECT_EQ(platform.messages.shown().size(), shownBefore) << row.guards;
            EXPECT_EQ(readBytes(row.loadFrom), before) << row.guards;
            EXPECT_TRUE(tmpExists()) << row.guards;
        }
    }
}

TEST_F(GridGeneration, EachPressDrawsInTheMapsOwnMemoryUnlessTheLinesCoverMostOfIt) {
    loadMap(makeMap(600, 400));
    const uchar* const loaded = picture().constBits();
    generate("100", "10", kRed);
    EXPECT_EQ(picture().constBits(), loaded) << "the first press makes no copy of the map";
    EXPECT_EQ(picture(), LoadPicture("tmp.bmp").image());
    generate("100", "1", kBlue);  // hexes of six pixels: the drawing moves to a copy
    const uchar* const copy = picture().constBits();
    EXPECT_NE(copy, loaded);
    EXPECT_EQ(picture(), LoadPicture("tmp.bmp").image());
    generate("100", "20", kRed);
    EXPECT_EQ(picture().constBits(), copy) << "and the next press draws in that copy";
    EXPECT_EQ(picture(), LoadPicture("tmp.bmp").image());
    EXPECT_TRUE(platform.messages.shown().empty());
}

TEST_F(GridGeneration, AMapOfMoreThan268MegapixelsIsGridded) {
    // One pixel row more than 16384 x 16384, past what Qt's decoder reads. One bit a pixel
    // keeps the test's own file small; the grid is drawn on its 32-bit copy all the same.
    QImage white(16384, 16385, QImage::Format_Mono);
    white.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    white.fill(1);
    QFile file(dir.path("big.bmp"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(writeBmp(white, file));
    file.close();
    white = QImage();
    platform.dialogs.answer(file.fileName());
    action("mnuLoad")->trigger();
    ASSERT_TRUE(platform.messages.shown().empty());
    ASSERT_EQ(picture().size(), QSize(16384, 16385));
    generate("100", "10", kRed, kThickness3);
    ASSERT_TRUE(platform.messages.shown().empty());
    const QImage gridded = picture();
    ASSERT_EQ(gridded.size(), QSize(16384, 16385));
    // Hexes 10 units across on a map 100 wide: a flat every 1638.4 pixels.
    EXPECT_EQ(gridded.pixel(2457, 500), kRedRgb);
    EXPECT_EQ(gridded.pixel(2453, 500), qRgb(255, 255, 255));
    EXPECT_EQ(QFileInfo("tmp.bmp").size(), 54 + qint64{16384} * 3 * 16385);
}

namespace {

// What Generate Hex Grid draws over `map` (100 units wide, hexes of 10), before the merge.
QImage gridOver(const QImage& map, const GridPen& pen, const GridOptions& options,
                const HexNumbering& numbering = {}) {
    PictureBox box(0, 0);
    box.setPicture(Picture(map));
    EXPECT_EQ(drawGridOn(box, {100, 10}, pen, options, numbering).failure, GridFailure::None);
    return box.Image().image();
}

}  // namespace

TEST(GridLines, ATranslucentGridBlendsExactlyThePixelsTheOpaqueGridCovers) {
    const QImage map = makeMap(400, 300);
    const struct {
        GridPen pen;
        GridOptions options;
    } rows[] = {
        {{3, QColor(kRedRgb)}, {.opacity = 40}},
        {{1, QColor(Qt::black)},
         {.hexPixels = 41.5, .rotation = 2, .opacity = 10, .lineColour = QColor(90, 60, 30)}},
        {{5, QColor(kBlueRgb)}, {.opacity = 75, .lineStyle = LineStyle::Dashed}},
    };
    for (const auto& row : rows) {
        GridOptions opaque = row.options;
        opaque.opacity = kMaxOpacity;
        const QImage solid = gridOver(map, row.pen, opaque);
        const QImage faint = gridOver(map, row.pen, row.options);
        const QRgb colour = lineColourOf(row.pen, row.options).rgb();
        int wrong = 0;
        for (int i = 0; i < map.width() * map.height(); ++i) {
            const QPoint p(i % map.width(), i / map.width());
            const QRgb under = map.pixel(p);
            wrong +=
                faint.pixel(p) !=
                (solid.pixel(p) != under ? blendOver(colour, under, row.options.opacity) : under);
        }
        EXPECT_EQ(wrong, 0) << row.options.opacity;
        EXPECT_NE(solid, map) << "lines were drawn";
    }
}

// Hexes of 60 pixels: along a row every hex is the one before, 60 pixels to the left.
TEST(GridLines, DashesArePixelsOfTheSolidGridAndEveryHexAlongALineLooksTheSame) {
    QImage map(400, 300, QImage::Format_RGB32);
    map.fill(Qt::white);
    for (const auto& [style, width] :
         {std::pair{LineStyle::Dashed, 3}, {LineStyle::Dotted, 1}, {LineStyle::Dotted, 5}}) {
        const GridPen pen{static_cast<Integer>(width), QColor(kRedRgb)};
        const QImage solid = gridOver(map, pen, {.hexPixels = 60});
        const QImage dashed = gridOver(map, pen, {.hexPixels = 60, .lineStyle = style});
        int outside = 0;
        int unlike = 0;
        for (int i = 0; i < 400 * 300; ++i) {
            const int x = i % 400, y = i / 400;
            outside += dashed.pixel(x, y) == kRedRgb && solid.pixel(x, y) != kRedRgb;
            unlike += x >= 60 && x < 300 && dashed.pixel(x, y) != dashed.pixel(x + 60, y);
        }
        EXPECT_EQ(outside, 0) << width;
        EXPECT_EQ(unlike, 0) << width;
        EXPECT_LT(count(dashed, kRedRgb), count(solid, kRedRgb) * 0.8) << width;
    }
}

// Numbers alone are the numbers drawn with the lines, without a pixel of the lines.
TEST(GridLines, NumbersOnlyAreTheGridsNumbersWithoutItsLines) {
    const QImage map = makeMap(400, 300);
    const GridPen pen{3, QColor(kRedRgb)};
    HexNumbering numbers;
    numbers.enabled = true;
    const QImage lines = gridOver(map, pen, {});
    const QImage both = gridOver(map, pen, {}, numbers);
    const QImage only = gridOver(map, pen, {.lineStyle = LineStyle::None}, numbers);
    int wrong = 0;
    for (int i = 0; i < 400 * 300; ++i) {
        const QPoint p(i % 400, i / 400);
        const bool line = lines.pixel(p) != map.pixel(p);
        wrong += line ? both.pixel(p) == kRedRgb && only.pixel(p) != map.pixel(p)
                      : only.pixel(p) != both.pixel(p);
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_NE(only, map) << "the numbers are drawn";
}

// Setting the lines' look to what it always was keeps the button's grid, not a fitted one.
TEST(GridLines, LinesLookingAsTheyAlwaysDidAreTheButtonsGridPixelForPixel) {
    const QImage map = makeMap(400, 300);
    const GridPen pen{3, QColor(kRedRgb)};
    EXPECT_EQ(gridOver(map, pen, {.opacity = 100, .lineColour = QColor(kRedRgb)}),
              gridOver(map, pen, {}));
}

TEST_F(GridGeneration, WithNoLinesAndNoNumbersGenerateSaysThereIsNothingToDraw) {
    const QImage map = makeMap(300, 200);
    loadMap(map);
    form.fitting().setOptions({.lineStyle = LineStyle::None});
    generate("100", "10");
    EXPECT_EQ(platform.messages.shown(), std::vector<Message>{nothingToDrawMessage({})});
    EXPECT_EQ(picture(), map);
    EXPECT_FALSE(tmpExists());
}
