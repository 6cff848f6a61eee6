// Drag-panning: a right button held for two seconds near the right edge of the map, on a real
// main window (offscreen). The drag is run paced as the program paces it, then unpaced, as
// fast as the event loop returns, for comparison. Printed: passes per second, the processor
// time used and its ratio to the wall time of the drag, and as the floor the processor time
// of an idle event loop over the same two seconds, measured in the same run.
#include <sys/resource.h>

#include <QEventLoop>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <chrono>
#include <cstdio>

#include "bench_support.h"
#include "platform/qt_pacer.h"
#include "view/image_control.h"
#include "window/main_window.h"

using namespace tessara;
using namespace std::chrono_literals;

namespace {

constexpr auto kHold = 2000ms;

double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Counts the passes of the loop it paces.
class CountingPacer : public Pacer {
  public:
    explicit CountingPacer(Pacer& pacer) : pacer_(pacer) {}
    void awaitNextPass(const std::function<bool()>& over) override {
        ++passes;
        pacer_.awaitNextPass(over);
    }
    long passes = 0;

  private:
    Pacer& pacer_;
};

struct Figures {
    long passes;
    double wall;
    double cpu;
    int value;  // where the horizontal bar stood at the release
};

void postMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QCoreApplication::postEvent(widget, new QMouseEvent(type, at, widget->mapToGlobal(at),
                                                        Qt::RightButton, held, Qt::NoModifier));
}

Figures holdDrag(Pacer& pacer) {
    QtDialogBackend dialogs;
    QtMessageBoxes messages;
    CountingPacer counting(pacer);
    Form1 form(bench::benchServices(dialogs, messages, &counting));
    form.show();
    form.picMap().setPicture(Picture(QImage(4000, 3000, QImage::Format_RGB32)));
    form.mnuNormal_Click();
    QCoreApplication::processEvents();

    auto* image = form.findChild<ImageControl*>(QStringLiteral("Imgdisplay"));
    auto* bar = form.findChild<QScrollBar*>(QStringLiteral("HScroll1"));
    // Fifty pixels inside the right edge: a step of about 0.225 a pass at Medium, so that
    // the paced drag stays short of the end of the range.
    const QPoint at(image->parentWidget()->width() - 50, image->parentWidget()->height() / 2);
    bool ended = false;
    QObject::connect(image, &ImageControl::mouseDown, [&] { ended = true; });
    QTimer::singleShot(kHold, [&] { postMouse(image, QEvent::MouseButtonRelease, at, {}); });
    postMouse(image, QEvent::MouseButtonPress, at, Qt::RightButton);

    const double cpu0 = processorSeconds();
    const double wall0 = wallSeconds();
    while (!ended) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return {counting.passes, wallSeconds() - wall0, processorSeconds() - cpu0, bar->value()};
}

Figures idleLoop() {
    const double cpu0 = processorSeconds();
    const double wall0 = wallSeconds();
    QEventLoop loop;
    QTimer::singleShot(kHold, &loop, &QEventLoop::quit);
    loop.exec();
    return {0, wallSeconds() - wall0, processorSeconds() - cpu0, 0};
}

void print(const char* what, const Figures& f) {
    std::printf("%-26s %9ld %11.1f %8.3f %9.3f %6d\n", what, f.passes, f.passes / f.wall, f.cpu,
                f.cpu / f.wall, f.value);
}

}  // namespace

int main(int argc, char* argv[]) {
    const auto app = bench::windowsApplication(argc, argv);

    QtPacer paced;
    QtPacer unpaced(0ms);
    const Figures floor = idleLoop();
    const Figures busy = holdDrag(unpaced);
    const Figures normal = holdDrag(paced);

    std::printf("drag-pan, right button held %lld ms at Medium (4000x3000 map)\n",
                static_cast<long long>(kHold.count()));
    std::printf("%-26s %9s %11s %8s %9s %6s\n", "", "passes", "passes/s", "cpu s", "cpu/wall",
                "value");
    print("idle event loop (floor)", floor);
    print("paced, one pass per 5 ms", normal);
    print("unpaced (busy loop)", busy);
    std::printf("paced: %.2f passes per 5 ms of wall time; processor time %.1f x the floor's\n",
                normal.passes / (normal.wall / 0.005),
                normal.cpu / (floor.cpu > 0 ? floor.cpu : 1e-6));
    std::printf("paced processor time is %.1f%% of the busy loop's\n",
                100.0 * normal.cpu / busy.cpu);
    return 0;
}
