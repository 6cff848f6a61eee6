#include <gtest/gtest.h>

#include <poll.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>
#include <QDir>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QtEndian>
#include <csignal>

#include "cli/option_table.h"
#include "grid/grid_generation.h"
#include "settings/grid_settings.h"
#include "support/program_run.h"
#include "support/qt_print.h"
#include "support/sanitizers.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

const QByteArray kSentinel = "an earlier file that must survive a failure";

// The built program as a user runs it from a shell on a machine without a display. A file
// size limit stands for a full disk: writes past it fail instead of killing the process; an
// address-space limit (`resource` RLIMIT_AS) for memory running out.
Finished runTessara(const QString& folder, const QStringList& arguments,
                    const char* locale = nullptr, rlim_t fileSizeLimit = 0,
                    const char* program = TESSARA_PROGRAM, int resource = RLIMIT_FSIZE) {
    const std::string line = arguments.join(u' ').toStdString();
    QProcessEnvironment env = environmentWithoutDisplay();
    if (locale != nullptr) {
        env.insert("LC_ALL", locale);
    }
    if (fileSizeLimit > 0) {
        // When libpng gives up on a full disk, Qt's PNG writer loses its row pointers: a leak
        // of Qt's that a sanitized build would report.
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
    }
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    if (fileSizeLimit > 0) {
        process.setChildProcessModifier([fileSizeLimit, resource] {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            ::setrlimit(resource, &limit);
            ::signal(SIGXFSZ, SIG_IGN);
        });
    }
    process.start();
    return finish(process, line);
}

Finished runTessara(const QString& folder, const QString& line, const char* locale = nullptr,
                    rlim_t fileSizeLimit = 0) {
    return runTessara(folder, line.split(u' ', Qt::SkipEmptyParts), locale, fileSizeLimit);
}

}  // namespace

class CliGridCommand : public ::testing::Test {
  protected:
    CliGridCommand() {
        writeImage(dir.path("map.bmp"), map, "BMP");
        const QByteArray jpeg = readBytes(writeImage(dir.path("map.jpg"), map, "JPEG"));
        writeBytes(dir.path("cut.jpg"), jpeg.left(jpeg.size() / 2));
        writeBytes(dir.path("text.bmp"), "not a picture\n");
        QDir(dir.root()).mkdir("folder.png");
    }
    Finished run(const QString& line, const char* locale = nullptr, rlim_t fileSizeLimit = 0) {
        return runTessara(dir.root(), line, locale, fileSizeLimit);
    }
    QStringList files() const {
        return QDir(dir.root())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    ScratchDir dir;
    const QImage map = makeMap(300, 200);
};

TEST_F(CliGridCommand, EachOutcomeHasItsExitStatusItsOneLineAndLeavesOutputWhole) {
    const QString sizes = " --map-width 100 --hex-size 5";
    const QString write = "tessara: cannot write ";
    struct Row {
        const char* guards;
        QString line;
        int status;
        QString err;  // all of standard error, or its start when `start` is set
        bool start = false;
        bool existing = false;  // OUTPUT is there beforehand with other bytes
        const char* locale = nullptr;
        rlim_t fileSizeLimit = 0;
    } const rows[] = {
        {"a grid written", "grid map.jpg out.bmp --colour red --thickness 3" + sizes, 0, ""},
        {"an OUTPUT replaced", "grid map.bmp old.png" + sizes, 0, "", false, true},
        {"the stretch at its limit", "grid map.bmp out.tif --stretch 2" + sizes, 0, ""},
        {"a dot in a German locale", "grid map.bmp out.bmp --map-width 100.5 --hex-size 2.5", 0, "",
         false, false, "de_DE.UTF-8"},
        {"an unknown option", "grid map.bmp out.bmp --size 3" + sizes, 2,
         "tessara: unknown option '--size'\n"},
        {"a size that is no number", "grid map.bmp out.bmp --map-width ten --hex-size 5", 2,
         "tessara: --map-width must be a positive number, not 'ten'\n", false, true},
        {"a hex size not below the map width", "grid map.bmp out.bmp --map-width 5 --hex-size 5", 2,
         "tessara: --hex-size must be a positive number below --map-width, not '5'\n"},
        {"a colour not in the list", "grid map.bmp out.bmp --colour pink" + sizes, 2,
         "tessara: --colour must be black, blue, green, cyan, red, magenta, yellow or white, "
         "not 'pink'\n"},
        {"a thickness not in the list", "grid map.bmp out.bmp --thickness 4" + sizes, 2,
         "tessara: --thickness must be 1, 2, 3, 5, 10, 15 or 20, not '4'\n"},
        {"the stretch just past its limit", "grid map.bmp out.bmp --stretch 2.01" + sizes, 2,
         "tessara: --stretch must be a number from 0.5 to 2, not '2.01'\n", false, true},
        {"a missing INPUT", "grid absent.jpg out.bmp" + sizes, 2,
         "tessara: cannot read the map 'absent.jpg': The file cannot be opened: No such file or "
         "directory\n"},
        {"a JPEG cut short", "grid cut.jpg out.bmp" + sizes, 2,
         "tessara: cannot read the map 'cut.jpg': ", true, true},
        {"a text file named .bmp", "grid text.bmp out.png" + sizes, 2,
         "tessara: cannot read the map 'text.bmp': ", true},
        {"a missing OUTPUT folder, found before INPUT", "grid absent.jpg no/out.bmp" + sizes, 2,
         write + "'no/out.bmp': the folder 'no' does not exist\n"},
        {"an OUTPUT that is a folder", "grid map.bmp folder.png" + sizes, 2,
         write + "'folder.png': it is a folder\n"},
        {"an unknown OUTPUT type", "grid map.bmp out.gif" + sizes, 2,
         "tessara: OUTPUT 'out.gif' must end in .bmp, .png, .jpg, .jpeg, .tif, .tiff, .svg or "
         ".pdf\n",
         false, true},
        {"too many hexes", "grid map.bmp out.bmp --map-width 100000 --hex-size 0.01", 2,
         "tessara: the hexes are too small for this map: the grid would need more than 32766 "
         "rows or columns of hexes; give a larger --hex-size\n",
         false, true},
        {"a PDF of more pages than can be printed",
         "grid map.bmp out.pdf --hex-mm 500 --map-width 100 --hex-size 0.05", 2,
         "tessara: at this scale the map needs 13049456 pages (5264 x 2479); at most 10000 can be "
         "printed at once\n"},
        {"a translucent dashed grid in a colour of its own",
         "grid map.bmp out.png --line-style dashed --opacity 50% --colour #5a3c1e" + sizes, 0, ""},
        {"no lines, numbers alone on hexes of 100 pixels",
         "grid map.bmp out.png --line-style none --numbers 0101 --map-width 30 --hex-size 10", 0,
         ""},
        {"an opacity of 0", "grid map.bmp out.bmp --opacity 0" + sizes, 2,
         "tessara: --opacity must be a whole number of percent from 10 to 100, not '0'\n"},
        {"an opacity one past 100", "grid map.bmp out.bmp --opacity 101" + sizes, 2,
         "tessara: --opacity must be a whole number of percent from 10 to 100, not '101'\n", false,
         true},
        {"a colour of five digits", "grid map.bmp out.bmp --colour #12345" + sizes, 2,
         "tessara: --colour must be #RRGGBB, a # and six hexadecimal digits as in #5a3c1e, not "
         "'#12345'\n"},
        {"a colour of letters past F", "grid map.bmp out.bmp --colour #GGGGGG" + sizes, 2,
         "tessara: --colour must be #RRGGBB, a # and six hexadecimal digits as in #5a3c1e, not "
         "'#GGGGGG'\n"},
        {"no lines and no numbers", "grid map.bmp out.bmp --line-style none" + sizes, 2,
         "tessara: nothing to draw: --line-style none draws no lines, and no --numbers were asked "
         "for\n",
         false, true},
        {"no lines and numbers too small to read",
         "grid map.bmp out.png --line-style none --numbers 0101 --number-size 5" + sizes, 2,
         "tessara: the grid has no lines (line style None) and its hex numbers would be too small "
         "to read, so there is nothing to draw: numbers need hexes of at least 120.00 pixels from "
         "flat to flat, or a shorter format\n"},
        {"a line style not in the list", "grid map.bmp out.bmp --line-style wavy" + sizes, 2,
         "tessara: --line-style must be solid, dashed, dotted or none, not 'wavy'\n"},
        {"a full disk under a PDF", "grid map.bmp out.pdf" + sizes, 1, write + "'out.pdf': ", true,
         true, nullptr, 4096},
        {"a full disk under a bitmap, whose reason is the image layer's",
         "grid map.bmp out.bmp" + sizes, 1, write + "'out.bmp': ", true, true, nullptr, 4096},
        {"a full disk under a PNG, whose library prints its own error",
         "grid map.bmp out.png" + sizes, 1, write + "'out.png': File too large\n", false, false,
         nullptr, 4096},
        {"a full disk under a TIFF, whose writer reports success", "grid map.bmp out.tif" + sizes,
         1, write + "'out.tif': File too large\n", false, true, nullptr, 4096},
    };
    for (const Row& row : rows) {
        const QString name = row.line.split(u' ')[2];
        if (row.existing) {
            writeBytes(dir.path(name), kSentinel);
        }
        QStringList expectedFiles = files();
        const Finished result = run(row.line, row.locale, row.fileSizeLimit);
        EXPECT_EQ(result.status, row.status) << row.guards;
        EXPECT_EQ(result.out, "") << row.guards;
        EXPECT_EQ(row.start ? result.err.left(row.err.size()) : result.err, row.err) << row.guards;
        EXPECT_TRUE(result.err.isEmpty() || result.err.indexOf(u'\n') == result.err.size() - 1)
            << row.guards << ": one line, " << result.err.toStdString();
        if (row.status == 0) {
            EXPECT_EQ(LoadPicture(dir.path(name)).image().size(), map.size()) << row.guards;
            expectedFiles.append(name);
        } else {
            EXPECT_EQ(readBytes(dir.path(name)), row.existing ? kSentinel : "") << row.guards;
        }
        expectedFiles.removeDuplicates();
        expectedFiles.sort();
        EXPECT_EQ(files(), expectedFiles) << row.guards << ": no other file made or left behind";
        QFile::remove(dir.path(name));
    }
}

namespace {

GridOptions turnedBy(double rotation, double skew, double hexPixels) {
    GridOptions options;
    options.rotation = rotation;
    options.skew = skew;
    options.hexPixels = hexPixels;
    return options;
}

}  // namespace

TEST_F(CliGridCommand, ABitmapHoldsExactlyTheBytesTheButtonWrites) {
    using enum GridOrientation;
    HexNumbering numbers;
    numbers.enabled = true;
    numbers.pattern = QStringLiteral("A1");
    numbers.format = NumberFormat::Letters;
    numbers.origin = NumberOrigin::BottomLeft;
    numbers.halo = NumberHalo::White;
    struct Row {
        const char* guards;
        QString options;
        GridOptions expected;
        HexNumbering numbering = {};
    } const rows[] = {
        {"the button's own grid", "", {}},
        {"numbered hexes", " --numbers A1 --origin bottom-left --halo white", {}, numbers},
        {"numbers asked for with one dash, which once ended in an abort for want of fonts",
         " -numbers A1 -origin bottom-left -halo white",
         {},
         numbers},
        {"a moved grid in columns",
         " --offset 3.5,-2 --orientation columns",
         {Columns, 3.5, -2, ShiftedLines::First, 1, {}}},
        {"every option",
         " --offset=-30.5,9 --shifted second --stretch 1.25 --hex-pixels 12.5",
         {Rows, -30.5, 9, ShiftedLines::Second, 1.25, 12.5}},
        {"no turn and no lean are the button's own grid", " --rotation 0 --skew 0", {}},
        {"a turned and leaning grid", " --rotation 1.5 --skew -0.4 --hex-pixels 40",
         turnedBy(1.5, -0.4, 40)},
        {"a hex centre anchored on a point: 0.5 px left and 4.4 px up of one at 30, 20",
         " --anchor 29.5,15.6 --hex-pixels 30 --orientation columns",
         {Columns, 29.5 - 0.288675 * 30, 15.6 - 30, ShiftedLines::First, 1, 30.0}},
        {"translucent dashes in a colour of their own",
         " --line-style dashed --opacity 40 --colour #5a3c1e",
         {.opacity = 40, .lineColour = QColor(90, 60, 30), .lineStyle = LineStyle::Dashed}},
        {"numbers without lines on hexes of 40 pixels",
         " --numbers A1 --origin bottom-left --halo white --line-style none --hex-pixels 40",
         {.hexPixels = 40, .lineStyle = LineStyle::None},
         numbers},
    };
    const GridPen redThree = *gridPen(4, 2, kLineWidths);  // the lists' "red" and "3"
    for (const Row& row : rows) {
        const Finished result =
            run("grid map.jpg out.bmp --map-width 100 --hex-size 5 --colour red --thickness 3" +
                row.options);
        ASSERT_EQ(result.status, 0) << row.guards << ": " << result.err.toStdString();
        PictureBox picMap(0, 0);
        picMap.setPicture(LoadPicture(dir.path("map.jpg")));
        const GridOutcome outcome = generateGrid(picMap, {100, 5}, redThree, dir.path("tmp.bmp"),
                                                 row.expected, row.numbering);
        ASSERT_EQ(outcome.failure, GridFailure::None) << row.guards;
        EXPECT_EQ(readBytes(dir.path("out.bmp")), readBytes(dir.path("tmp.bmp"))) << row.guards;
        if (row.options.contains("--hex-pixels 40")) {
            // The size in pixels alone: the same picture, the sizes taken as a unit a hex.
            const Finished alone =
                run("grid map.jpg alone.bmp --colour red --thickness 3" + row.options);
            ASSERT_EQ(alone.status, 0) << alone.err.toStdString();
            EXPECT_EQ(readBytes(dir.path("alone.bmp")), readBytes(dir.path("out.bmp")));
        }
        EXPECT_NE(LoadPicture(dir.path("out.bmp")).image(),
                  LoadPicture(dir.path("map.jpg")).image())
            << row.guards << ": a grid was drawn";
    }
}

// 300 pixels for 30 units make hexes of 10 units 100 pixels wide, so the right flat of the
// first row's second hexagon runs down x = 150, and (100, 29) lies inside a hexagon.
TEST_F(CliGridCommand, EachOutputTypeHoldsTheGridInItsOwnFormat) {
    const QRgb blue = qRgb(0, 0, 128);
    struct Row {
        const char* output;
        const char* format;
        int tolerance;  // the most a channel may be off: JPEG is lossy
    } const rows[] = {{"out.png", "png", 0}, {"out.TIFF", "tiff", 0}, {"out.jpg", "jpeg", 40}};
    for (const Row& row : rows) {
        const Finished result = run(QStringLiteral("grid map.bmp %1 --map-width 30 --hex-size 10 "
                                                   "--colour blue --thickness 3")
                                        .arg(row.output));
        ASSERT_EQ(result.status, 0) << row.output << ": " << result.err.toStdString();
        QImageReader reader(dir.path(row.output));
        EXPECT_EQ(reader.format(), row.format);
        const QImage image = reader.read();
        ASSERT_EQ(image.size(), map.size()) << row.output;
        const auto near = [&](QRgb a, QRgb b) {
            return std::abs(qRed(a) - qRed(b)) <= row.tolerance &&
                   std::abs(qGreen(a) - qGreen(b)) <= row.tolerance &&
                   std::abs(qBlue(a) - qBlue(b)) <= row.tolerance;
        };
        EXPECT_TRUE(near(image.pixel(150, 30), blue)) << row.output;
        EXPECT_TRUE(near(image.pixel(100, 29), map.pixel(100, 29))) << row.output;
    }
}

// A map of 300 x 200 pixels with hexes of 100 pixels: 16 mm hexes print it 48 x 32 mm on one
// page, 1 mm hexes 3 x 2 mm; at 19 mm on A4 landscape 57 x 38 mm. The SVG holds the grid alone.
TEST_F(CliGridCommand, PdfAndSvgOutputsHoldTheMapAtScaleAndTheGridAlone) {
    const QString grid = "grid map.bmp %1 --map-width 30 --hex-size 10 ";
    ASSERT_EQ(run(grid.arg("out.svg")).status, 0);
    const QByteArray svg = readBytes(dir.path("out.svg"));
    EXPECT_TRUE(svg.contains("width=\"300\" height=\"200\"")) << svg.left(300).toStdString();
    EXPECT_GT(svg.count("<line"), 10);
    const struct {
        const char* options;
        const char* size;  // of the page, in points, as pdfinfo gives it
    } rows[] = {{"", "595 x 842 pts (A4)"},
                {"--hex-mm 19 --paper Letter --landscape", "792 x 612 pts (letter)"},
                {"--dpi 50.8 --paper A3 --overlap-mm 0", "842 x 1191 pts (A3)"}};
    for (const auto& row : rows) {
        const Finished result = run(grid.arg("out.pdf") + row.options);
        ASSERT_EQ(result.status, 0) << row.options << ": " << result.err.toStdString();
        QProcess info;
        info.start("pdfinfo", {dir.path("out.pdf")});
        info.waitForFinished(60000);
        const QString text = QString::fromLatin1(info.readAllStandardOutput());
        EXPECT_TRUE(text.contains(QStringLiteral("Page size:       %1").arg(row.size)))
            << row.options << "\n"
            << text.toStdString();
        EXPECT_TRUE(text.contains(QRegularExpression("Pages:\\s+1\n"))) << row.options;
    }
}

// Help is given wherever it is asked for, even on a command line that is not complete.
TEST_F(CliGridCommand, HelpAndVersionGoToStandardOutput) {
    const QString example =
        "tessara grid map.jpg gridded.bmp --map-width 100 --hex-size 5 --colour red --thickness 3";
    for (const char* line : {"--help", "-h", "grid --help", "grid in.bmp -h"}) {
        const Finished result = run(line);
        EXPECT_EQ(result.status, 0) << line;
        EXPECT_TRUE(result.out.startsWith("Usage:\n  tessara ")) << line;
        EXPECT_TRUE(result.out.contains(example)) << line;
        for (const char* option : {"--map-width M", "--hex-size S", "--colour NAME",
                                   "--thickness N", "--orientation rows|columns", "--offset X,Y",
                                   "--shifted first|second", "--stretch F", "--hex-pixels P"}) {
            EXPECT_TRUE(result.out.contains(QStringLiteral("\n  ") + option)) << option;
        }
        EXPECT_EQ(result.err, "") << line;
    }
    // Every option of the table is in the usage, where the manual page reads it too.
    const QString usage = run("--help").out;
    for (const OptionEntry& option : optionTable()) {
        EXPECT_TRUE(usage.contains(QStringLiteral("--") + QLatin1String(option.name)))
            << option.name;
    }
    // Every subcommand is in the usage, by its synopsis, with only its own options.
    for (const SubcommandEntry& command : subcommandTable()) {
        EXPECT_TRUE(
            usage.contains(QStringLiteral("\n  tessara ") + QLatin1String(command.synopsis)))
            << command.name;
    }
    EXPECT_FALSE(run("terrain --help").out.contains("--hex-mm")) << "a .pdf OUTPUT's options";
    // Every registered board format is offered by export's --for, with the file it writes.
    const QString exportUsage = run("export --help").out;
    EXPECT_TRUE(exportUsage.contains("\n  --for tiled|vassal|foundry\n"))
        << exportUsage.toStdString();
    for (const char* written :
         {"tiled for Tiled, with BOARD.tmx", "vassal for VASSAL, with BOARD.vassal.xml",
          "foundry for Foundry, with BOARD.foundry.json"}) {
        EXPECT_TRUE(exportUsage.simplified().contains(written)) << written;
    }
    const Finished version = run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "tessara 1.0.0\n");
    EXPECT_EQ(run("grid --version").err, "tessara: unknown option '--version'\n");
}

// Numbers too small to read are left out of every kind of OUTPUT alike, and each says so:
// 6 pixels of text, 20% of the hex, need hexes of 30 pixels.
TEST_F(CliGridCommand, NumbersLeftOutAreSaidForEveryOutputType) {
    for (const char* output : {"out.png", "out.pdf", "out.svg"}) {
        const Finished result =
            run(QStringLiteral("grid map.bmp %1 --map-width 100 --hex-size 5 --numbers 0101")
                    .arg(output));
        EXPECT_EQ(result.status, 0) << output;
        EXPECT_EQ(result.err,
                  "tessara: hex numbers left out: they need hexes of at least 30.00 pixels from "
                  "flat to flat, or a shorter format\n")
            << output;
        EXPECT_TRUE(QFile::exists(dir.path(output))) << output;
    }
}

// Ctrl-C, a kill or a closed terminal while OUTPUT is written: no scratch file is left beside
// it, and the program ends by the signal, as a script expects of it.
TEST_F(CliGridCommand, ASignalWhileOutputIsWrittenLeavesNoScratchFile) {
    writeImage(dir.path("large.bmp"), makeMap(2400, 1800), "BMP");  // seconds of PNG to write
    const QStringList before = files();
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const int watch = ::inotify_init1(IN_CLOEXEC);
        ::inotify_add_watch(watch, QFile::encodeName(dir.root()).constData(), IN_MODIFY);
        posix_spawnattr_t attributes;  // the signals' actions as a shell leaves them
        posix_spawnattr_init(&attributes);
        sigset_t ending;
        sigemptyset(&ending);
        for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
            sigaddset(&ending, s);
        }
        posix_spawnattr_setsigdefault(&attributes, &ending);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
        const QByteArray in = QFile::encodeName(dir.path("large.bmp"));
        const QByteArray out = QFile::encodeName(dir.path("out.png"));
        const char* argv[] = {TESSARA_PROGRAM, "grid",        in.constData(),
                              out.constData(), "--map-width", "100",
                              "--hex-size",    "5",           nullptr};
        pid_t child = 0;
        ASSERT_EQ(::posix_spawn(&child, TESSARA_PROGRAM, nullptr, &attributes,
                                const_cast<char* const*>(argv), environ),
                  0);
        // The first bytes written to a file of the folder are the scratch file's.
        alignas(inotify_event) char event[4096];
        pollfd ready{watch, POLLIN, 0};
        EXPECT_EQ(::poll(&ready, 1, 120000), 1) << signal;
        EXPECT_GT(::read(watch, event, sizeof event), 0) << signal;
        EXPECT_TRUE(
            QByteArray(reinterpret_cast<inotify_event*>(event)->name).startsWith(".out.png."));
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal << ": " << status;
        EXPECT_EQ(files(), before) << signal << ": no file made or left behind";
        ::close(watch);
        posix_spawnattr_destroy(&attributes);
    }
}

// What is not a command of its own is left to the window, which needs a display.
TEST_F(CliGridCommand, WithoutADisplayTheWindowSaysSoAndWordsItDoesNotKnowAreRefused) {
    const QString noDisplay =
        "tessara: there is no display to show the window on; tessara grid works without one\n";
    const struct {
        const char* line;
        int status;
        QString err;
    } rows[] = {
        {"", 1, noDisplay},
        {"map.bmp", 1, noDisplay},
        {"gird map.bmp out.bmp", 2, "tessara: unknown command 'gird'\n"},
        {"map.bmp map.jpg", 2, "tessara: unknown command 'map.bmp'\n"},
        {"-v", 2, "tessara: unknown option '-v'\n"},
        {"--help=1", 2, "tessara: option --help takes no value\n"},
        {"--version extra", 2, "tessara: unexpected argument 'extra'\n"},
    };
    for (const auto& row : rows) {
        const Finished result = run(row.line);
        EXPECT_EQ(result.status, row.status) << row.line;
        EXPECT_EQ(result.err, row.err) << row.line;
        EXPECT_EQ(result.out, "") << row.line;
    }
}

// Values the grid cannot be drawn with are bad input, each refused on one line before any
// work starts; their limits are drawn with. Hexes of 290 pixels have room for numbers.
TEST_F(CliGridCommand, ValuesBeyondWhatCanBeDrawnAreRefusedOnOneLine) {
    const QString first = "tessara: --first must be a whole number from -9999 to 9999, not ";
    const QString size =
        "tessara: --number-size must be a number of percent from 1 to 200, or a number of "
        "points from 4.5 to 500 such as 9pt, not ";
    const QString inches = "tessara: --hex-inches must be a number of inches from 0.04 to 20, not ";
    const struct {
        const char* guards;
        QString options;  // after grid map.bmp
        int status;
        QString err;
    } rows[] = {
        {"the largest first number", "a.png --numbers 0101 --first 9999", 0, ""},
        {"the largest first number, columns far from the offset",
         "a.png --numbers 0101 --first 9999 --orientation columns --offset -1e7,0", 0, ""},
        {"one past it", "a.png --numbers 0101 --first 10000", 2, first + "'10000'\n"},
        {"the smallest", "a.png --numbers 0101 --first -9999", 0, ""},
        {"one below it", "a.png --numbers 0101 --first -10000", 2, first + "'-10000'\n"},
        {"the largest int, that crashed", "a.svg --numbers 0101 --first 2147483647", 2,
         first + "'2147483647'\n"},
        {"a tab in a pattern", "a.svg --numbers {c}\t{r}", 2,
         "tessara: --numbers cannot hold a control character, such as a tab or a line break\n"},
        {"a line break quoted back", "a.png --colour red\nblue", 2,
         "tessara: --colour must be black, blue, green, cyan, red, magenta, yellow or white, not "
         "'red\uFFFDblue'\n"},
        {"the smallest points", "a.png --numbers 0101 --number-size 4.5pt", 0, ""},
        {"points just below", "a.png --numbers 0101 --number-size 4.49pt", 2, size + "'4.49pt'\n"},
        {"the largest points", "a.png --numbers 0101 --number-size 500pt", 0, ""},
        {"points just above", "a.png --numbers 0101 --number-size 500.01pt", 2,
         size + "'500.01pt'\n"},
        {"the smallest share", "a.png --numbers 0101 --number-size 1", 0,
         "tessara: hex numbers left out: they need hexes of at least 600.00 pixels from flat to "
         "flat, or a shorter format\n"},
        {"a share just below", "a.png --numbers 0101 --number-size 0.99", 2, size + "'0.99'\n"},
        {"a share of no size", "a.png --numbers 0101 --number-size 1e-320", 2, size + "'1e-320'\n"},
        {"inches beyond any length", "a.pdf --hex-inches 1e308", 2, inches + "'1e308'\n"},
    };
    for (const auto& row : rows) {
        const Finished result = run("grid map.bmp --hex-pixels 290 " + row.options);
        EXPECT_EQ(result.status, row.status) << row.guards;
        EXPECT_EQ(result.err, row.err) << row.guards;
        const QString output = row.options.section(u' ', 0, 0);
        EXPECT_EQ(QFile::exists(dir.path(output)), row.status == 0) << row.guards;
        QFile::remove(dir.path(output));
    }
}

// A name is the bytes typed, whatever they are: a name that is not UTF-8 reads and writes
// the file of that name, under a UTF-8 locale and the C locale alike, not the file Qt would
// name with U+FFFD in its place.
TEST_F(CliGridCommand, NamesThatAreNotUtf8NameTheFilesTyped) {
    const QByteArray root = QFile::encodeName(dir.root()) + '/';
    ASSERT_EQ(::link((root + "map.bmp").constData(), (root + "map\xff.bmp").constData()), 0);
    ASSERT_EQ(::mkdir((root + "maps\xe9").constData(), 0755), 0);
    const auto printed = [](const QByteArray& name) {  // the shell's printf makes the bytes
        QString octal;
        for (const char c : name) {
            octal += QStringLiteral("\\%1").arg(static_cast<uchar>(c), 3, 8, QChar(u'0'));
        }
        return "\"$(printf '" + octal + "')\"";
    };
    ASSERT_TRUE(saveSettings(GridChoices{}, dir.path("fit.hexgrid")));
    ASSERT_EQ(::link((root + "fit.hexgrid").constData(), (root + "fit\xe9.hexgrid").constData()),
              0);
    const struct {
        const char* guards;
        QByteArray input, output;
        const char* locale;
        int status;
        QString err;
        QByteArray settings = {};
    } rows[] = {
        {"an INPUT", "map\xff.bmp", "out.png", "C.UTF-8", 0, ""},
        {"an OUTPUT", "map.bmp", "out\xff.png", "C.UTF-8", 0, ""},
        {"both, in the C locale", "map\xff.bmp", "out\xfe.svg", "C", 0, ""},
        {"an OUTPUT in a folder so named", "map.bmp", "maps\xe9/out.pdf", "C.UTF-8", 0, ""},
        {"a character cut short", "map.bmp", "out\xe2\x82.bmp", "C.UTF-8", 0, ""},
        {"a surrogate written as UTF-8", "map.bmp", "\xed\xb2\x80.png", "C.UTF-8", 0, ""},
        {"too long a form, and beyond U+10FFFF", "map.bmp", "\xc0\xaf\xf4\x90\x80\x80.png", "C", 0,
         ""},
        {"a stray byte before a character whose second half looks like one", "map.bmp",
         "\xff\xf0\x9f\x92\x80.png", "C.UTF-8", 0, ""},
        {"a missing folder, shown", "map.bmp", "gone\xff/out.png", "C", 2,
         "tessara: cannot write 'gone\uFFFD/out.png': the folder 'gone\uFFFD' does not exist\n"},
        {"a settings file", "map.bmp", "out.png", "C.UTF-8", 0, "", "fit\xe9.hexgrid"},
        {"a missing settings file, shown", "map.bmp", "out.png", "C", 2,
         "tessara: --settings 'gone\uFFFD.hexgrid': No such file or directory\n",
         "gone\xe9.hexgrid"},
    };
    for (const auto& row : rows) {
        const Finished result = runTessara(
            dir.root(),
            {"-c",
             "exec \"$0\" grid " + printed(row.input) + ' ' + printed(row.output) +
                 " --map-width 100 --hex-size 5" +
                 (row.settings.isEmpty() ? QString() : " --settings " + printed(row.settings)),
             TESSARA_PROGRAM},
            row.locale, 0, "/bin/sh");
        EXPECT_EQ(result.status, row.status) << row.guards;
        EXPECT_EQ(result.err, row.err) << row.guards;
        const QByteArray output = root + row.output;
        EXPECT_EQ(::access(output.constData(), F_OK) == 0, row.status == 0) << row.guards;
        if (!row.output.isValidUtf8()) {
            EXPECT_FALSE(QFile::exists(QFile::decodeName(output)))
                << row.guards << ": written under a name of U+FFFD";
        }
        ::unlink(output.constData());
    }
    ::unlink((root + "fit\xe9.hexgrid").constData());
}

// A settings file is opened as INPUT is, only when it is a regular file, for grid and export
// alike, and refused on one line otherwise; what a newer one holds that is left out is said
// on one short line.
TEST_F(CliGridCommand, SettingsFilesAreReadOnlyFromFilesAndWarnOnOneShortLine) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.path("fifo.hexgrid")).constData(), 0600), 0);
    QDir(dir.root()).mkdir("folder.hexgrid");
    QByteArray fields;
    for (int i = 0; i < 20000; ++i) {
        fields += QStringLiteral("\"x%1\": 0, ").arg(i, 5, 10, QChar(u'0')).toLatin1();
    }
    writeBytes(
        dir.path("newer.hexgrid"),
        settingsText(GridChoices{})
            .replace("\"version\": 1,", "\"version\": 3, \"readableFromVersion\": 1, " + fields));
    const QString settings = "tessara: --settings ";
    const QString pipe = "it is not a grid settings file but a pipe, a device or a socket\n";
    const struct {
        const char* guards;
        QString line;
        int status;
        QString err;
    } rows[] = {
        {"a named pipe, which hung", "grid map.bmp out.png --settings fifo.hexgrid", 2,
         settings + "'fifo.hexgrid': " + pipe},
        {"a named pipe for an export", "export map.bmp out.png --for tiled --settings fifo.hexgrid",
         2, settings + "'fifo.hexgrid': " + pipe},
        {"a device, read to its limit", "grid map.bmp out.png --settings /dev/zero", 2,
         settings + "'/dev/zero': " + pipe},
        {"a folder", "grid map.bmp out.png --settings folder.hexgrid", 2,
         settings + "'folder.hexgrid': it is a folder, not a grid settings file\n"},
        {"a missing file", "grid map.bmp out.png --settings absent.hexgrid", 2,
         settings + "'absent.hexgrid': No such file or directory\n"},
        {"20000 fields left out, of a 300 KB line", "grid map.bmp out.png --settings newer.hexgrid",
         0,
         "tessara: --settings: left out what this version does not know: x00000, x00001, "
         "x00002, x00003, x00004 and 19995 more\n"},
    };
    for (const auto& row : rows) {
        const Finished result = run(row.line + " --map-width 100 --hex-size 5");
        EXPECT_EQ(result.status, row.status) << row.guards;
        EXPECT_EQ(result.err, row.err) << row.guards;
        EXPECT_EQ(QFile::exists(dir.path("out.png")), row.status == 0) << row.guards;
        QFile::remove(dir.path("out.png"));
    }
}

namespace {

// A PNG that keeps no resolution of its own: Qt's writer always writes one, in its pHYs chunk
// of 9 bytes, which goes.
QByteArray withoutResolution(QByteArray png) {
    const qsizetype type = png.indexOf("pHYs");
    EXPECT_GT(type, 4);
    return png.remove(type - 4, 4 + 4 + 9 + 4);
}

}  // namespace

// A map that keeps no resolution gets the one the window gives it, whatever the options ask
// for: they once made the command line a GUI application, with the screen's 96 dpi, or not,
// with Qt's 100.
TEST_F(CliGridCommand, OutputHasTheWindowsResolutionWhicheverOptionsAreGiven) {
    const QString plain = writeBytes(dir.path("plain.png"), withoutResolution(bytesOf(map, "png")));
    const int window = LoadPicture(plain).image().dotsPerMeterX();
    GridChoices sizes;
    sizes.mapWidth = 100;
    sizes.hexSize = 5;
    ASSERT_TRUE(saveSettings(sizes, dir.path("sizes.hexgrid")));
    const struct {
        const char* guards;
        const char* line;
    } rows[] = {
        {"options alone", "grid plain.png out.png --map-width 100 --hex-size 5"},
        {"options alone, a bitmap", "grid plain.png out.bmp --map-width 100 --hex-size 5"},
        {"numbers", "grid plain.png out.png --map-width 100 --hex-size 5 --numbers A1"},
        {"a settings file", "grid plain.png out.png --settings sizes.hexgrid"},
    };
    for (const auto& row : rows) {
        const Finished result = run(row.line);
        ASSERT_EQ(result.status, 0) << row.guards << ": " << result.err.toStdString();
        const QString output = QString::fromLatin1(row.line).section(u' ', 2, 2);
        const QImage written = QImageReader(dir.path(output)).read();
        EXPECT_EQ(written.dotsPerMeterX(), window) << row.guards;
        EXPECT_EQ(written.dotsPerMeterY(), window) << row.guards;
    }
}

namespace {

// A PNG of grey and alpha whose every pixel is clear: a few hundred kilobytes of file that
// decode into four bytes a pixel.
QByteArray clearPng(int width, int height) {
    const auto chunk = [](const char* type, const QByteArray& data) {
        const QByteArray body = type + data;
        QByteArray framed(4, '\0');
        qToBigEndian<quint32>(static_cast<quint32>(data.size()), framed.data());
        QByteArray check(4, '\0');
        qToBigEndian<quint32>(
            static_cast<quint32>(
                ::crc32(0, reinterpret_cast<const Bytef*>(body.constData()), body.size())),
            check.data());
        return framed + body + check;
    };
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(width, header.data());
    qToBigEndian<quint32>(height, header.data() + 4);
    header[8] = 8;                              // bits a sample
    header[9] = 4;                              // grey and alpha
    const QByteArray row(1 + 2 * width, '\0');  // each row filtered by "none"
    z_stream zip{};
    deflateInit(&zip, 1);
    QByteArray data;
    char buffer[1 << 16];
    for (int y = 0; y <= height; ++y) {
        zip.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(row.constData()));
        zip.avail_in = y < height ? static_cast<uInt>(row.size()) : 0;
        do {
            zip.next_out = reinterpret_cast<Bytef*>(buffer);
            zip.avail_out = sizeof buffer;
            deflate(&zip, y < height ? Z_NO_FLUSH : Z_FINISH);
            data.append(buffer, static_cast<qsizetype>(sizeof buffer - zip.avail_out));
        } while (zip.avail_out == 0);
    }
    deflateEnd(&zip);
    return QByteArray("\x89PNG\r\n\x1a\n") + chunk("IHDR", header) + chunk("IDAT", data) +
           chunk("IEND", {});
}

}  // namespace

// The memory running out while a whole picture is decoded is no damage to the file: it is
// said as such, with the status of failed work. The address space is cut far below the
// 576 MB the picture decodes into, and far above what the program needs to start.
TEST_F(CliGridCommand, MemoryRunningOutWhileDecodingIsSaidAsSuch) {
    if (kAddressSanitizer) {
        GTEST_SKIP() << "AddressSanitizer cannot run in a small address space";
    }
    writeBytes(dir.path("big.png"), clearPng(12000, 12000));
    for (const char* line :
         {"grid big.png out.png --hex-pixels 40",
          "export big.png b.png --for tiled --hex-pixels 40", "find-grid big.png"}) {
        const Finished result = runTessara(dir.root(), QString::fromLatin1(line).split(u' '),
                                           nullptr, rlim_t{400} << 20, TESSARA_PROGRAM, RLIMIT_AS);
        EXPECT_EQ(result.status, 1) << line;
        // From the decoder, or from the check before it when less memory than that is free.
        EXPECT_TRUE(
            result.err.startsWith("tessara: cannot read the map 'big.png': There is not "
                                  "enough memory for this picture"))
            << line << ": " << result.err.toStdString();
        EXPECT_EQ(result.err.count(u'\n'), 1) << line;
    }
}
