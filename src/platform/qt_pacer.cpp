#include "platform/qt_pacer.h"

#include <QCoreApplication>
#include <QTimer>

namespace tessara {

QtPacer::QtPacer(std::chrono::milliseconds interval) : interval_(interval) {}

void QtPacer::awaitNextPass(const std::function<bool()>& over) {
    using Clock = std::chrono::steady_clock;
    const auto now = Clock::now();
    // Passes fall due on a steady beat, so that a late wake-up shortens the next wait
    // instead of slowing every pass; a loop more than a pass behind (or the first pass of a
    // drag) goes on at once rather than racing to catch up.
    if (due_ + interval_ < now) {
        due_ = now;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(due_ - now);
    if (wait.count() > 0) {
        bool woken = false;
        QTimer wake;
        wake.setTimerType(Qt::PreciseTimer);
        wake.setSingleShot(true);
        QObject::connect(&wake, &QTimer::timeout, [&woken] { woken = true; });
        wake.start(wait);
        // Each call sleeps until at least one event has come, and dispatches it.
        while (!woken && !over()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }
    if (!over()) {
        QCoreApplication::processEvents();
    }
    due_ += interval_;
}

}  // namespace tessara
