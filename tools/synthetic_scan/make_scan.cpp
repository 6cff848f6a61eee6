// Draws a made-up scan of a printed map with a hex grid of known placement, for
// demonstrations and for the help's pictures, and prints the grid's options.
//   make_scan OUTPUT [--size 1200x900] [--orientation rows|columns] [--hex 60] [--stretch 1]
//             [--rotation 0] [--skew 0] [--offset X,Y] [--shifted first|second]
//             [--line-width 1.5] [--grey 0] [--margin 0] [--grain 3] [--blur 0] [--quality 90]
//             [--plain] [--no-features] [--square PX] [--no-grid] [--seed 1]
// OUTPUT's extension chooses the format; a JPEG is written at --quality.
#include <QCommandLineParser>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>
#include <cstdio>

#include "synthetic_scan.h"

using namespace tessara;
using namespace tessara::synthetic;

namespace {

[[noreturn]] void refuse(const QString& what) {
    std::fprintf(stderr, "make_scan: %s\n", qPrintable(what));
    std::exit(2);
}

double number(const QCommandLineParser& parser, const QString& name, double low, double high) {
    bool ok = false;
    const double value = parser.value(name).toDouble(&ok);
    if (!ok || !(value >= low && value <= high)) {
        refuse(QStringLiteral("--%1 takes a number from %2 to %3").arg(name).arg(low).arg(high));
    }
    return value;
}

ScanRecipe recipeFrom(const QCommandLineParser& parser) {
    ScanRecipe recipe;
    const QStringList size = parser.value("size").split('x');
    recipe.size = QSize(size.value(0).toInt(), size.value(1).toInt());
    if (size.size() != 2 || recipe.size.width() < 16 || recipe.size.height() < 16 ||
        recipe.size.width() > 30000 || recipe.size.height() > 30000) {
        refuse(QStringLiteral("--size takes WIDTHxHEIGHT, 16 to 30000 pixels each"));
    }
    GridOptions& grid = recipe.grid;
    grid.orientation =
        parser.value("orientation") == "columns" ? GridOrientation::Columns : GridOrientation::Rows;
    grid.hexPixels = number(parser, "hex", 4, 5000);
    grid.stretch = number(parser, "stretch", kMinStretch, kMaxStretch);
    grid.rotation = number(parser, "rotation", -kMaxRotation, kMaxRotation);
    grid.skew = number(parser, "skew", -kMaxSkew, kMaxSkew);
    grid.shifted = parser.value("shifted") == "second" ? ShiftedLines::Second : ShiftedLines::First;
    const QStringList offset = parser.value("offset").split(',');
    grid.offsetX = offset.value(0).toDouble();
    grid.offsetY = offset.value(1).toDouble();
    recipe.lineWidth = number(parser, "line-width", 0.5, 20);
    recipe.lineGrey = static_cast<int>(number(parser, "grey", 0, 255));
    recipe.margin = static_cast<int>(number(parser, "margin", 0, 10000));
    recipe.grain = number(parser, "grain", 0, 50);
    recipe.blur = number(parser, "blur", 0, 2);
    recipe.terrain = !parser.isSet("plain");
    recipe.features = !parser.isSet("no-features");
    recipe.seed = static_cast<std::uint64_t>(number(parser, "seed", 0, 1e15));
    if (parser.isSet("square")) {
        recipe.pattern = Pattern::Square;
        recipe.squarePixels = number(parser, "square", 4, 5000);
    }
    if (parser.isSet("no-grid")) {
        recipe.pattern = Pattern::None;
    }
    return recipe;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Draws a made-up scan of a map with a printed hex grid.");
    parser.addHelpOption();
    parser.addPositionalArgument("output", "The picture to write; its extension is its format.");
    const auto option = [&parser](const char* name, const char* help, const char* value,
                                  const char* fallback) {
        parser.addOption(QCommandLineOption(name, help, value, fallback));
    };
    option("size", "Picture size in pixels.", "WxH", "1200x900");
    option("orientation", "rows or columns.", "which", "rows");
    option("hex", "Hex size flat to flat, pixels.", "px", "60");
    option("stretch", "Line pitch over a regular hex's.", "s", "1");
    option("rotation", "Degrees, clockwise.", "deg", "0");
    option("skew", "Degrees the lines lean.", "deg", "0");
    option("offset", "The grid's offset in pixels.", "x,y", "0,0");
    option("shifted", "first or second lines shifted.", "which", "first");
    option("line-width", "Width of the printed lines.", "px", "1.5");
    option("grey", "The ink's grey, 0 black to 255 white.", "g", "0");
    option("margin", "White margin round the printed area.", "px", "0");
    option("grain", "Scanner noise, grey levels.", "sigma", "3");
    option("blur", "Scanner softness, pixels.", "sigma", "0");
    option("quality", "JPEG quality.", "q", "90");
    option("square", "A square grid this many pixels across instead.", "px", "");
    option("seed", "The random seed.", "n", "1");
    parser.addOption(QCommandLineOption("plain", "White paper instead of terrain."));
    parser.addOption(QCommandLineOption("no-features", "No labels, road or river."));
    parser.addOption(QCommandLineOption("no-grid", "No printed grid at all."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        refuse(QStringLiteral("give one output file"));
    }
    const QString output = parser.positionalArguments().first();
    const ScanRecipe recipe = recipeFrom(parser);
    const QImage scan = drawScan(recipe);
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "make_scan: cannot write %s: %s\n", qPrintable(output),
                     qPrintable(file.errorString()));
        return 1;
    }
    QImageWriter writer(&file, QFileInfo(output).suffix().toLower().toLatin1());
    writer.setQuality(static_cast<int>(number(parser, "quality", 1, 100)));
    if (!writer.write(scan) || !file.commit()) {
        std::fprintf(stderr, "make_scan: cannot write %s: %s\n", qPrintable(output),
                     qPrintable(writer.error() != QImageWriter::UnknownError ? writer.errorString()
                                                                             : file.errorString()));
        return 1;
    }
    const GridOptions& g = recipe.grid;
    std::printf(
        "%s: %dx%d, %s, hex %.4f px, stretch %.5f, rotation %.4f, skew %.4f, offset "
        "%.4f,%.4f, %s lines shifted\n",
        qPrintable(output), recipe.size.width(), recipe.size.height(),
        g.orientation == GridOrientation::Rows ? "rows" : "columns", *g.hexPixels, g.stretch,
        g.rotation, g.skew, g.offsetX, g.offsetY,
        g.shifted == ShiftedLines::First ? "first" : "second");
    return 0;
}
