#include <gtest/gtest.h>

#include <QLocale>

#include "cli/command_line.h"

using namespace tessara;

namespace {

CommandLine parse(const char* line) {
    return parseCommandLine(QString::fromUtf8(line).split(u' ', Qt::SkipEmptyParts));
}

// Every field, so that a table row shows the whole difference at once.
std::string describe(const GridRequest& r) {
    const GridOptions& o = r.choices.options;
    return QStringLiteral(
               "%1 -> %2 [%3] M=%4 S=%5 pen %6 %7 columns=%8 offset %9,%10 second=%11 "
               "stretch %12 pixels %13")
        .arg(r.input, r.output, QString::fromLatin1(r.format))
        .arg(r.choices.sizes().mapSize, 0, 'g', 9)
        .arg(r.choices.sizes().hexSize, 0, 'g', 9)
        .arg(r.choices.pen().width)
        .arg(r.choices.pen().colour.name())
        .arg(o.orientation == GridOrientation::Columns)
        .arg(o.offsetX, 0, 'g', 17)
        .arg(o.offsetY, 0, 'g', 17)
        .arg(o.shifted == ShiftedLines::Second)
        .arg(o.stretch, 0, 'g', 17)
        .arg(o.hexPixels ? QString::number(*o.hexPixels, 'g', 17) : QStringLiteral("unset"))
        .toStdString();
}

// A user's locale with a decimal comma must not change how the arguments are read.
class CliCommandLine : public ::testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void TearDown() override { QLocale::setDefault(previous_); }

  private:
    QLocale previous_;
};

}  // namespace

TEST_F(CliCommandLine, GoodArgumentsGiveTheRequest) {
    using enum GridOrientation;
    // The request of those files, sizes, list positions (colour, thickness) and options.
    const auto expected = [](const char* input, const char* output, const char* format, double map,
                             double hex, int colour, int thickness, GridOptions options) {
        GridRequest request;
        request.input = input;
        request.output = output;
        request.format = format;
        request.choices.mapWidth = map;
        request.choices.hexSize = hex;
        request.choices.colour = colour;
        request.choices.thickness = thickness;
        request.choices.options = options;
        return request;
    };
    struct Row {
        const char* guards;
        const char* line;
        GridRequest expected;
    } const rows[] = {
        {"every default", "grid map.jpg out.bmp --map-width 100 --hex-size 5",
         expected("map.jpg", "out.bmp", "bmp", 100, 5, 0, 1, {})},
        {"the example of the usage",
         "grid map.jpg g.bmp --map-width 100 --hex-size 5 --colour red --thickness 3",
         expected("map.jpg", "g.bmp", "bmp", 100, 5, 4, 3, {})},
        {"every option after an equals sign, at the far end of its range",
         "grid a.png b.PNG --map-width=22.5 --hex-size=22.25 --colour=white --thickness=20 "
         "--orientation=columns --offset=-30.5,9 --shifted=second --stretch=0.5 --hex-pixels=0.01",
         expected("a.png", "b.PNG", "png", 22.5, 22.25, 7, 20,
                  {Columns, -30.5, 9, ShiftedLines::Second, 0.5, 0.01})},
        {"options anywhere, a value starting with a minus, the last one given wins",
         "grid --colour blue --map-width 1e2 in.tif --hex-size .5 o.Jpeg --colour green "
         "--offset -1,-2.25 --stretch 2 --orientation rows --shifted first",
         expected("in.tif", "o.Jpeg", "jpeg", 100, 0.5, 2, 1,
                  {Rows, -1, -2.25, ShiftedLines::First, 2, {}})},
    };
    for (const Row& row : rows) {
        const CommandLine command = parse(row.line);
        ASSERT_EQ(command.action, CommandAction::Grid)
            << row.line << ": " << command.error.toStdString();
        EXPECT_EQ(describe(command.grid), describe(row.expected)) << row.guards;
    }
    // The palette's dark halves: red is 128,0,0, white a light grey.
    EXPECT_EQ(parse(rows[1].line).grid.choices.pen().colour, QColor(128, 0, 0));
    EXPECT_EQ(parse(rows[2].line).grid.choices.pen().colour, QColor(192, 192, 192));
}

TEST_F(CliCommandLine, PdfOptionsGiveThePages) {
    const char* good = "grid a.bmp b.pdf --map-width 100 --hex-size 5 ";
    const struct {
        const char* options;
        double hexSize;
        LengthUnit unit;
        double dpi;
        QPageSize::PageSizeId paper;
        bool landscape;
        double overlap;
    } rows[] = {
        {"", 16, LengthUnit::Millimetre, 0, QPageSize::A4, false, 10},
        {"--hex-inches 0.75 --paper Tabloid --landscape --overlap-mm 0", 0.75, LengthUnit::Inch, 0,
         QPageSize::Tabloid, true, 0},
        {"--dpi=300 --paper Letter", 16, LengthUnit::Millimetre, 300, QPageSize::Letter, false, 10},
        {"--hex-mm 19 --paper A3", 19, LengthUnit::Millimetre, 0, QPageSize::A3, false, 10},
    };
    for (const auto& row : rows) {
        const CommandLine command = parse((std::string(good) + row.options).c_str());
        ASSERT_EQ(command.action, CommandAction::Grid) << command.error.toStdString();
        const ScaleChoice& pages = command.grid.choices.print;
        EXPECT_EQ(command.grid.format, "pdf");
        EXPECT_EQ(pages.hexSize, row.hexSize) << row.options;
        EXPECT_EQ(pages.unit, row.unit) << row.options;
        EXPECT_EQ(pages.byHex ? 0 : pages.dpi, row.dpi) << row.options;
        EXPECT_EQ(pages.paper, row.paper) << row.options;
        EXPECT_EQ(pages.landscape, row.landscape) << row.options;
        EXPECT_EQ(pages.overlapMm, row.overlap) << row.options;
    }
}

// A row that starts with an option is added to a good command line, where the last value
// given for an option is the one that counts. Mistakes that the program's own tests show
// on standard error are not repeated here.
TEST_F(CliCommandLine, NumberOptionsGiveTheNumbering) {
    const char* good = "grid a.bmp b.bmp --map-width 100 --hex-size 5 ";
    struct Row {
        const char* options;
        NumberFormat format;
        int first;
        NumberOrigin origin;
        NumberPosition position;
        double percent;
        std::optional<double> points;
        NumberHalo halo;
    } const rows[] = {
        {"--numbers 0101", NumberFormat::Joined, 1, NumberOrigin::TopLeft, NumberPosition::Top, 20,
         std::nullopt, NumberHalo::None},
        {"--numbers {C}-{r:3} --first=-2 --origin bottom-left --number-position centre "
         "--number-size 9pt --halo black",
         NumberFormat::Pattern, -2, NumberOrigin::BottomLeft, NumberPosition::Centre, 20, 9,
         NumberHalo::Black},
        {"--numbers 1,1 --number-size 35 --number-position bottom", NumberFormat::Comma, 1,
         NumberOrigin::TopLeft, NumberPosition::Bottom, 35, std::nullopt, NumberHalo::None},
    };
    for (const Row& row : rows) {
        const CommandLine command = parse((std::string(good) + row.options).c_str());
        ASSERT_EQ(command.action, CommandAction::Grid) << row.options;
        const HexNumbering& n = command.grid.choices.numbering;
        EXPECT_TRUE(n.enabled) << row.options;
        EXPECT_EQ(n.format, row.format) << row.options;
        EXPECT_EQ(n.first, row.first) << row.options;
        EXPECT_EQ(n.origin, row.origin) << row.options;
        EXPECT_EQ(n.position, row.position) << row.options;
        EXPECT_EQ(n.sizePercent, row.percent) << row.options;
        EXPECT_EQ(n.sizePoints, row.points) << row.options;
        EXPECT_EQ(n.halo, row.halo) << row.options;
    }
    EXPECT_EQ(parse("grid a.bmp b.bmp --map-width 9 --hex-size 1 --numbers A1 --number-colour "
                    "blue")
                  .grid.choices.numbering.colour,
              QColor(0, 0, 128));
    EXPECT_FALSE(parse(good).grid.choices.numbering.enabled);
}

TEST_F(CliCommandLine, BadArgumentsAreRefusedWithWhatIsWrong) {
    const std::string good = "grid a.bmp b.bmp --map-width 100 --hex-size 5 ";
    const std::string offset = "--offset must be two numbers separated by a comma, as in -30.5,9";
    const std::string pen = "--colour must be black, blue, green, cyan, red, magenta, yellow or";
    struct Row {
        std::string line;
        std::string error;
    } const rows[] = {
        {"grid --map-width 100 --hex-size 5", "missing INPUT, the map picture to read"},
        {"grid a.bmp --map-width 100 --hex-size 5", "missing OUTPUT, the file to write"},
        {"grid a.bmp b.bmp --hex-size 5", "missing --map-width, the map's width in distance units"},
        {"grid a.bmp b.bmp --map-width 9", "missing --hex-size, the hexes' size in the same units"},
        {"grid a.bmp bmp --map-width 9 --hex-size 5",
         "OUTPUT 'bmp' must end in .bmp, .png, "
         ".jpg, .jpeg, .tif, .tiff, .svg or .pdf"},
        {"grid a.bmp b.png --map-width 9 --hex-size 5 --paper A4", "--paper needs a .pdf OUTPUT"},
        {"grid a.bmp b.pdf --map-width 9 --hex-size 5 --hex-mm 16 --dpi 300",
         "give only one of --hex-mm or --dpi"},
        {"grid a.bmp b.pdf --map-width 9 --hex-size 5 --hex-inches 0",
         "--hex-inches must be a number of inches from 0.04 to 20, not '0'"},
        {"grid a.bmp b.pdf --map-width 9 --hex-size 5 --overlap-mm -0.5",
         "--overlap-mm must be a number of millimetres from 0 to 100, not '-0.5'"},
        {"grid a.bmp b.pdf --map-width 9 --hex-size 5 --paper A5",
         "--paper must be A4, A3, Letter, Legal or Tabloid, not 'A5'"},
        {"grid a.bmp b.pdf --map-width 9 --hex-size 5 --landscape=yes",
         "option --landscape takes no value"},
        {"gird a.bmp b.bmp", "unknown command 'gird'"},
        {"grid a.bmp b.bmp c.bmp", "unexpected argument 'c.bmp'"},
        {"--size=3", "unknown option '--size'"},
        {"-c red", "unknown option '-c'"},
        {"--colour", "option --colour needs a value"},
        {"--map-width 100,5", "--map-width must be a positive number, not '100,5'"},
        {"--map-width 0", "--map-width must be a positive number, not '0'"},
        {"--map-width inf", "--map-width must be a positive number, not 'inf'"},
        {"--map-width=", "--map-width must be a positive number, not ''"},
        {"--hex-size -5", "--hex-size must be a positive number below --map-width, not '-5'"},
        {"--colour Red", pen + " white, not 'Red'"},
        {"--thickness 3.0", "--thickness must be 1, 2, 3, 5, 10, 15 or 20, not '3.0'"},
        {"--orientation diagonal", "--orientation must be rows or columns, not 'diagonal'"},
        {"--shifted third", "--shifted must be first or second, not 'third'"},
        {"--stretch 0.49", "--stretch must be a number from 0.5 to 2, not '0.49'"},
        {"--hex-pixels 0",
         "--hex-pixels must be a number of pixels above 0 and up to 32767, not '0'"},
        {"--offset 5", offset + ", not '5'"},
        {"--offset 1,2,3", offset + ", not '1,2,3'"},
        {"--offset 1,x", offset + ", not '1,x'"},
        {"--first 0", "--first needs --numbers"},
        {"--numbers 12",
         "--numbers must be 0101, 01.01, A1, 1,1 or a pattern such as {c:2}{r:2}, "
         "not '12'"},
        {"--numbers 0101 --first 1.5",
         "--first must be a whole number from -9999 to 9999, not '1.5'"},
        {"--numbers 0101 --number-size 201",
         "--number-size must be a number of percent from 1 to 200, or a number of points from 4.5 "
         "to 500 such as 9pt, not '201'"},
        {"--numbers 0101 --halo grey", "--halo must be none, white or black, not 'grey'"},
        {"--numbers 0101 --number-position center",
         "--number-position must be top, centre or bottom, not 'center'"},
        {"--rotation 45.01", "--rotation must be a number of degrees from -45 to 45, not '45.01'"},
        {"--skew -10.001", "--skew must be a number of degrees from -10 to 10, not '-10.001'"},
        {"--anchor 3", "--anchor must be two numbers separated by a comma, as in -30.5,9, not '3'"},
        {"--anchor 3,4 --offset 1,2", "give only one of --offset or --anchor"},
        {"grid a.bmp b.bmp --hex-pixels 40 --hex-size 2",
         "missing --map-width, the map's width in distance units"},
    };
    for (const Row& row : rows) {
        const std::string line = row.line.starts_with("-") ? good + row.line : row.line;
        const CommandLine command = parse(line.c_str());
        EXPECT_EQ(command.action, CommandAction::Refused) << line;
        EXPECT_EQ(command.error.toStdString(), row.error) << line;
    }
}

TEST_F(CliCommandLine, TurnsAnchorsAndAGridInPixelsAloneAreRead) {
    const struct {
        const char* line;
        double rotation, skew;
        std::optional<QPointF> anchor;
        bool sizesGiven;
    } rows[] = {
        {"--rotation 45 --skew -10 --map-width 9 --hex-size 1", 45, -10, {}, true},
        {"--rotation -0 --anchor=-2.5,7 --hex-pixels 33", 0, 0, QPointF(-2.5, 7), false},
    };
    for (const auto& row : rows) {
        const CommandLine command = parse((std::string("grid a.bmp b.bmp ") + row.line).c_str());
        ASSERT_EQ(command.action, CommandAction::Grid) << row.line;
        EXPECT_EQ(command.grid.choices.options.rotation, row.rotation) << row.line;
        EXPECT_EQ(command.grid.choices.options.skew, row.skew) << row.line;
        EXPECT_EQ(command.grid.anchor, row.anchor) << row.line;
        EXPECT_EQ(command.grid.choices.sizesGiven(), row.sizesGiven) << row.line;
    }
    EXPECT_TRUE(parse("grid a.bmp b.bmp --rotation -0 --map-width 9 --hex-size 1")
                    .grid.choices.options.isDefault())
        << "a turn of nothing is the button's own grid";
}
