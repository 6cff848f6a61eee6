// Hex numbers on an 8000 x 6000 map: what numbering adds to drawing the grid, for W1 (hexes
// of 80 pixels, about 9,000 of them) and hexes of 24 pixels (about 97,000), beside drawing
// every label with a text layout call, which the numbering does not do. Goals: under 50 ms
// added for W1, under 0.5 s for the 24-pixel hexes.
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <cstdlib>
#include <vector>

#include "bench_support.h"
#include "grid/grid_generation.h"
#include "grid/number_stamps.h"

using namespace tessara;
using namespace tessara::bench;

namespace {

// Milliseconds to draw the grid on a fresh box over the map, with or without numbers.
double drawing(const Picture& map, const GridSizes& sizes, const HexNumbering& numbering) {
    PictureBox box(0, 0);
    box.setPicture(map);
    return millisecondsOf([&] {
        const GridOutcome outcome = drawGridOn(box, sizes, {3, QColor(128, 0, 0)}, {}, numbering);
        if (outcome.failure != GridFailure::None || outcome.numbersLeftOut) {
            std::printf("the grid or its numbers were not drawn\n");
        }
    });
}

// Every label through QPainter::drawText, for comparison.
double textLayout(const Picture& map, const GridSizes& sizes, const HexNumbering& numbering) {
    const GridLayout layout = layoutGrid(8000, 6000, sizes.hexSize, sizes.mapSize, {});
    const NumberPlan plan = planNumbers(layout, 8000, 6000, numbering);
    QImage canvas = map.image().copy();
    return millisecondsOf([&] {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        const QFont font = numberFont(plan.textHeight);
        const QPen halo(Qt::white, plan.textHeight / 3);
        for (size_t k = 0; k < plan.hexes.size(); ++k) {
            const QPointF middle =
                labelMiddle(layout, numbering, plan.hexes[k].centre, plan.textHeight);
            QPainterPath path;
            path.addText(middle, font, plan.labels[k]);
            painter.strokePath(path, halo);
            painter.fillPath(path, Qt::black);
        }
    });
}

// Drawing in a fresh process, as the user's first press is: the best of three processes.
double freshDrawing(const char* program, int workload, bool numbered) {
    double best = 1e300;
    for (int run = 0; run < 3; ++run) {
        QProcess child;
        child.start(QString::fromLocal8Bit(program),
                    {QStringLiteral("--draw"), QString::number(workload),
                     QString::number(numbered ? 1 : 0)});
        child.waitForFinished(-1);
        best = std::min(best, child.readAllStandardOutput().trimmed().toDouble());
    }
    return best;
}

struct Workload {
    const char* name;
    GridSizes sizes;
    HexNumbering numbering;
    double goal;  // milliseconds numbering may add
};

std::vector<Workload> workloads() {
    HexNumbering numbers;
    numbers.enabled = true;
    numbers.halo = NumberHalo::White;
    // Six digits do not fit a 24-pixel hex at a legible size; its labels are the column
    // alone, three digits at most, at 30% of the hex.
    HexNumbering columnsOnly = numbers;
    columnsOnly.format = NumberFormat::Pattern;
    columnsOnly.pattern = QStringLiteral("{c}");
    columnsOnly.sizePercent = 30;
    return {{"W1: h = 80 px, labels 0101", {100, 1}, numbers, 50},
            {"h = 24 px, labels {c}", {100, 0.3F}, columnsOnly, 500}};
}

}  // namespace

int main(int argc, char* argv[]) {
    offscreenUnlessSet();
    QGuiApplication app(argc, argv);
    const Picture map(makeBigMap(8000, 6000));
    if (argc == 4 && QByteArray(argv[1]) == "--draw") {
        const Workload w = workloads().at(static_cast<size_t>(std::atoi(argv[2])));
        std::printf("%.2f\n",
                    drawing(map, w.sizes, std::atoi(argv[3]) ? w.numbering : HexNumbering{}));
        return 0;
    }
    int index = 0;
    for (const Workload& w : workloads()) {
        std::printf("\n%s, on an 8000 x 6000 map, each the best of 3 fresh processes\n", w.name);
        const double plain = freshDrawing(argv[0], index, false);
        const double numbered = freshDrawing(argv[0], index, true);
        ++index;
        report("grid drawn without numbers", plain, "ms");
        report("grid drawn with numbers (glyphs cached, white halo)", numbered, "ms");
        report("the same labels through a text layout call each",
               textLayout(map, w.sizes, w.numbering), "ms");
        verdict("milliseconds the numbers add", numbered - plain, w.goal);
    }
    return 0;
}
