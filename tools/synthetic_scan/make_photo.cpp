// Draws a made-up phone photo of a printed board with a hex grid of known placement, for
// demonstrations and for measuring the photo grid finder by hand.
//   make_photo OUTPUT [--size 800x600] [--hex 50] [--tilt 10] [--axis 30] [--turn 4]
//              [--fill 0.8] [--k1 0] [--light 0.25] [--glare 0] [--hand] [--box]
//              [--quality 0] [--seed 7]
// The board is 1.4 photo pixels a board pixel across, with a 1.3 degree grid in a margin.
#include <QCommandLineParser>
#include <QGuiApplication>
#include <cstdio>

#include "synthetic_photo.h"

using namespace tessara;
using namespace tessara::synthetic;

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addPositionalArgument("output", "The photo to write.");
    const auto option = [&parser](const char* name, const char* value) {
        parser.addOption({QString::fromLatin1(name), QString::fromLatin1(name),
                          QStringLiteral("value"), QString::fromLatin1(value)});
    };
    option("size", "800x600");
    option("hex", "50");
    option("tilt", "10");
    option("axis", "30");
    option("turn", "4");
    option("fill", "0.8");
    option("k1", "0");
    option("light", "0.25");
    option("glare", "0");
    option("quality", "0");
    parser.addOption({QStringLiteral("hand"), QStringLiteral("A hand on the board's near edge.")});
    parser.addOption({QStringLiteral("box"), QStringLiteral("The game's box over a corner.")});
    option("seed", "7");
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "make_photo: one OUTPUT file\n");
        return 2;
    }
    PhotoRecipe recipe;
    const QStringList size = parser.value("size").split('x');
    recipe.size = QSize(size.value(0).toInt(), size.value(1).toInt());
    recipe.board.size = QSize(static_cast<int>(recipe.size.width() * 1.125),
                              static_cast<int>(recipe.size.height() * 1.133));
    recipe.board.grid.hexPixels = parser.value("hex").toDouble();
    recipe.board.grid.rotation = 1.3;
    recipe.board.lineWidth = 2;
    recipe.board.lineGrey = 30;
    recipe.board.margin = 24;
    recipe.tilt = parser.value("tilt").toDouble();
    recipe.tiltAxis = parser.value("axis").toDouble();
    recipe.turn = parser.value("turn").toDouble();
    recipe.fill = parser.value("fill").toDouble();
    recipe.k1 = parser.value("k1").toDouble();
    recipe.light = parser.value("light").toDouble();
    recipe.glare = parser.value("glare").toDouble();
    recipe.hand = parser.isSet("hand");
    recipe.box = parser.isSet("box");
    recipe.jpegQuality = parser.value("quality").toInt();
    recipe.seed = parser.value("seed").toULongLong();
    if (recipe.size.isEmpty() || !drawPhoto(recipe).save(parser.positionalArguments().first())) {
        std::fprintf(stderr, "make_photo: cannot write the photo\n");
        return 1;
    }
    return 0;
}
