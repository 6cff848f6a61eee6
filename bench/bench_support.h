// Small tools the benchmarks share: a stopwatch, the process's memory, stand-ins for the
// dialogs so that the real commands run without a user, and the pictures they work on.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QString>
#include <cstdio>
#include <memory>
#include <optional>

#include "about/system_info_platform.h"
#include "core/twips.h"
#include "help/help_viewer.h"
#include "platform/dialog_backend.h"
#include "platform/message_boxes.h"
#include "platform/printer_backend.h"
#include "platform/qt_pacer.h"
#include "platform/qt_platform.h"
#include "platform/services.h"
#include "synthetic_scan.h"
#include "window/application.h"

namespace tessara::bench {

// Runs Qt offscreen unless told otherwise (QT_QPA_PLATFORM=xcb shows the windows).
inline void offscreenUnlessSet() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

// The application of a benchmark that drives the program's windows: offscreen unless told
// otherwise, and set up as the program sets itself up.
inline std::unique_ptr<QApplication> windowsApplication(int& argc, char** argv) {
    offscreenUnlessSet();
    auto app = std::make_unique<QApplication>(argc, argv);
    configureApplication();
    return app;
}

// Milliseconds taken by `work`.
template <typename Work>
double millisecondsOf(Work&& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The best of `runs` timings, which is the least disturbed by the rest of the machine.
template <typename Work>
double bestOf(int runs, Work&& work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        best = std::min(best, millisecondsOf(work));
    }
    return best;
}

// A field of /proc/self/status in MiB ("VmRSS", "VmHWM").
inline double statusMiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key)) {
            return line.mid(key.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    return -1;
}
inline double residentMiB() {
    return statusMiB("VmRSS");
}
inline double peakResidentMiB() {
    return statusMiB("VmHWM");
}

// Answers every file dialog with one path.
class FixedDialogs : public DialogBackend {
  public:
    QString path;
    std::optional<QString> getFileName(const FileDialogRequest&) override { return path; }
    std::optional<QStringList> getFileNames(const FileDialogRequest&) override {
        return QStringList{path};
    }
};

// Prints what would have been shown.
class PrintedMessages : public MessageBoxes {
  public:
    void MsgBox(const Message& m) override {
        std::printf("message box: %s / %s\n", qPrintable(m.title), qPrintable(m.prompt));
    }
};

// A machine without a printer.
class NoPrinter : public PrinterBackend {
  public:
    QPrinter& printer() override {
        if (!printer_) {
            printer_ = std::make_unique<QPrinter>();
        }
        return *printer_;
    }
    void showPrintPreview(const std::function<void(QPrinter&)>&) override {}
    PrintDialogResult showPrintDialog(const PrintDialogRequest&) override {
        return PrintDialogResult::Failed;
    }

  private:
    std::unique_ptr<QPrinter> printer_;
};

// The services of a main window driven by a benchmark: its own dialogs and message boxes,
// the program's real pace for the drag loop, no printer.
inline Services benchServices(DialogBackend& dialogs, MessageBoxes& messages,
                              Pacer* pacer = nullptr) {
    static QtPacer realPace;
    static NoPrinter printers;
    static QtHelpLauncher help;  // the rest are never used by a benchmark
    static PlatformRegistry registry;
    static QtFileLookup files;
    static QtProgramStarter programs;
    static QtQuestions questions;
    return {dialogs,  messages, pacer ? *pacer : realPace, printers, help, registry, files,
            programs, questions};
}

inline void report(const char* what, double value, const char* unit) {
    std::printf("%-58s %12.2f %s\n", what, value, unit);
}

inline void verdict(const char* what, double ratio, double goal, bool lowerIsBetter = true) {
    const bool met = lowerIsBetter ? ratio <= goal : ratio >= goal;
    std::printf("%-58s %12.2f  (goal %s %.2f: %s)\n", what, ratio,
                lowerIsBetter ? "<=" : ">=", goal, met ? "met" : "NOT MET");
}

// A 300 by 298 dpi scan of a map with 16 mm hexes at 150 dpi, a little crooked on the glass,
// in a white margin with a title: the grid finder's benchmark finds its grid, the export's
// straightens a board from it.
inline synthetic::ScanRecipe largeScan() {
    synthetic::ScanRecipe recipe;
    recipe.size = QSize(6000, 4000);
    recipe.grid.orientation = GridOrientation::Columns;
    recipe.grid.hexPixels = 94.488;
    recipe.grid.stretch = 0.99333;
    recipe.grid.rotation = 0.61;
    recipe.grid.skew = -0.12;
    recipe.grid.offsetX = 17.3;
    recipe.grid.offsetY = -8.45;
    recipe.lineWidth = 2;
    recipe.lineGrey = 40;
    recipe.margin = 160;
    recipe.seed = 2024;
    return recipe;
}

// A made-up map of the given size whose colours change from pixel to pixel, so that no
// decoder or writer gets an easy picture.
inline QImage makeBigMap(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            line[x] = qRgb((x / 7) & 0xFF, (y / 5) & 0xFF, ((x + y) / 11) & 0xFF);
        }
    }
    return image;
}

// Shows the window at the outer size that gives its viewport `width` x `height` pixels:
// besides the viewport, the layout takes 655 twips across and 3300 down.
inline void showWithViewport(QWidget& form, int width, int height) {
    form.show();
    const int frameW = form.frameGeometry().width() - form.width();
    const int frameH = form.frameGeometry().height() - form.height();
    form.resize(twipsToPixels(static_cast<Single>(width * 15 + 655)) - frameW,
                twipsToPixels(static_cast<Single>(height * 15 + 3300)) - frameH);
    QApplication::processEvents();
}

}  // namespace tessara::bench
