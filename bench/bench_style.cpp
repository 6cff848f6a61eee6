// The look of the lines on an 8000 x 6000 map: W1 (M = 100, S = 1: hexes of 80 pixels, red,
// 3 pixels wide) drawn as Generate Hex Grid draws it, in the map's own memory with what the
// lines cover kept aside, opaque and solid as always, then faded and dashed or dotted. Each
// figure is the best of 3 fresh processes. Goal: at 50 % in dashes within 1.3 times the
// opaque solid grid, measured in the same run.
#include <QGuiApplication>
#include <QProcess>
#include <cstdlib>
#include <vector>

#include "bench_support.h"
#include "grid/grid_generation.h"

using namespace tessara;
using namespace tessara::bench;

namespace {

struct Look {
    const char* name;
    GridOptions options;
};

std::vector<Look> looks() {
    return {{"opaque, solid (the grid as always)", {}},
            {"50 %, solid", {.opacity = 50}},
            {"50 %, dashed", {.opacity = 50, .lineStyle = LineStyle::Dashed}},
            {"50 %, dotted", {.opacity = 50, .lineStyle = LineStyle::Dotted}},
            {"opaque, dashed", {.lineStyle = LineStyle::Dashed}}};
}

// Milliseconds to draw W1 over the map, in its memory, as the button's first press does.
double drawing(const Picture& map, const GridOptions& options) {
    PictureBox box(0, 0);
    box.setPicture(map);
    box.drawInPlace();
    return millisecondsOf([&] {
        if (drawGridOn(box, {100, 1}, {3, QColor(128, 0, 0)}, options).failure !=
            GridFailure::None) {
            std::printf("the grid was not drawn\n");
        }
    });
}

double freshDrawing(const char* program, int look) {
    QProcess child;
    child.start(QString::fromLocal8Bit(program), {QStringLiteral("--draw"), QString::number(look)});
    child.waitForFinished(-1);
    return child.readAllStandardOutput().trimmed().toDouble();
}

}  // namespace

int main(int argc, char* argv[]) {
    offscreenUnlessSet();
    QGuiApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--draw") {
        const Picture map(makeBigMap(8000, 6000));
        std::printf("%.2f\n",
                    drawing(map, looks().at(static_cast<size_t>(std::atoi(argv[2]))).options));
        return 0;
    }
    std::printf("W1 drawn in the map's memory, 8000 x 6000, each the best of 3 fresh processes\n");
    // The looks take turns, so that a busy spell of the machine slows them all alike.
    const size_t count = looks().size();
    std::vector<double> best(count, 1e300);
    for (int run = 0; run < 3; ++run) {
        for (size_t look = 0; look < count; ++look) {
            best[look] = std::min(best[look], freshDrawing(argv[0], static_cast<int>(look)));
        }
    }
    for (size_t look = 0; look < count; ++look) {
        report(looks()[look].name, best[look], "ms");
    }
    verdict("50 %, dashed / opaque, solid", best[2] / best[0], 1.3);
    return 0;
}
