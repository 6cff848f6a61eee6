// Loading big maps and zooming them: load time against a bare Qt decode of the same file,
// resident memory after loading and after each zoom command, and the time of one repaint
// of a 1600 x 1000 viewport at each zoom.
#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QScrollBar>
#include <QTemporaryDir>

#include "bench_support.h"
#include "image/picture.h"
#include "view/image_control.h"
#include "window/main_window.h"

using namespace tessara;
using namespace tessara::bench;

namespace {

void measureLoad(const QString& path, const char* label) {
    std::printf("\n%s: %s\n", label, qPrintable(path));
    const double floor = bestOf(3, [&] {
        QImageReader reader(path);
        const QImage decoded = reader.read();
        if (decoded.isNull()) {
            std::printf("bare decode failed: %s\n", qPrintable(reader.errorString()));
        }
    });
    const double load = bestOf(3, [&] { const Picture p = LoadPicture(path); });
    report("floor: bare QImageReader decode", floor, "ms");
    report("LoadPicture", load, "ms");
    verdict("load time / bare decode", load / floor, 1.5);
}

void measureZoom(const QString& path) {
    std::printf("\nZoom and repaint of a 1600 x 1000 viewport, map %s\n", qPrintable(path));
    FixedDialogs dialogs;
    PrintedMessages messages;
    Form1 form(benchServices(dialogs, messages));
    showWithViewport(form, 1600, 1000);
    dialogs.path = path;
    const double before = residentMiB();
    form.findChild<QAction*>("mnuLoad")->trigger();
    QApplication::processEvents();
    report("resident memory before loading", before, "MiB");
    report("resident memory after loading", residentMiB(), "MiB");
    report("peak resident memory so far", peakResidentMiB(), "MiB");

    auto* viewport = form.findChild<QWidget*>("Picture1");
    auto* bar = form.findChild<QScrollBar*>("HScroll1");
    std::printf("viewport: %d x %d pixels\n", viewport->width(), viewport->height());
    const double afterLoad = residentMiB();
    struct Step {
        const char* name;
        void (Form1::*command)();
    } const steps[] = {
        {"1:5", &Form1::mnu1to5_Click}, {"1:3", &Form1::mnu1to3_Click},
        {"1:2", &Form1::mnu1to2_Click}, {"Normal", &Form1::mnuNormal_Click},
        {"2:1", &Form1::mnu2to1_Click}, {"3:1", &Form1::mnu3to1_Click},
        {"5:1", &Form1::mnu5to1_Click},
    };
    double worstPaint = 0;
    double growthAt5 = 0;
    for (const Step& step : steps) {
        (form.*step.command)();
        bar->setValue(50);  // somewhere in the middle of the map
        QImage canvas(viewport->size(), QImage::Format_RGB32);
        viewport->render(&canvas);  // warm up
        const double paint = bestOf(5, [&] { viewport->render(&canvas); });
        worstPaint = std::max(worstPaint, paint);
        const double growth = residentMiB() - afterLoad;
        if (std::string(step.name) == "5:1") {
            growthAt5 = growth;
        }
        std::printf("zoom %-6s repaint %7.2f ms   resident %8.1f MiB (%+.1f since load)\n",
                    step.name, paint, residentMiB(), growth);
    }
    verdict("slowest repaint of the viewport, ms", worstPaint, 16.0);
    verdict("resident memory added by zooming to 5:1, MiB", growthAt5, 16.0);
}

}  // namespace

int main(int argc, char* argv[]) {
    const auto app = windowsApplication(argc, argv);
    QTemporaryDir dir;
    const QImage map = makeBigMap(8000, 6000);
    const QString jpeg = dir.filePath("map.jpg");
    const QString bmp = dir.filePath("map.bmp");
    QImageWriter(jpeg, "JPEG").write(map);
    SavePicture(Picture(map), bmp);
    measureLoad(jpeg, "8000 x 6000 JPEG");
    measureLoad(bmp, "8000 x 6000 BMP");
    measureZoom(jpeg);

    std::printf("\n20000 x 15000 JPEG\n");
    const QString huge = dir.filePath("huge.jpg");
    {
        QImageWriter writer(huge, "JPEG");
        writer.setQuality(60);
        writer.write(makeBigMap(20000, 15000));
    }
    const double hugeLoad = millisecondsOf([&] {
        const Picture p = LoadPicture(huge);
        std::printf("loaded %d x %d\n", p.width(), p.height());
    });
    report("LoadPicture of 20000 x 15000", hugeLoad, "ms");
    report("peak resident memory", peakResidentMiB(), "MiB");
    return 0;
}
