#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "platform/qt_pacer.h"

using namespace tessara;
using namespace std::chrono_literals;

namespace {
const auto never = [] { return false; };
}

TEST(QtPacer, TheFirstPassGoesOnAtOnceAndDispatchesWhatIsPending) {
    QtPacer pacer(10s);
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    QElapsedTimer clock;
    clock.start();
    pacer.awaitNextPass(never);
    EXPECT_TRUE(ran);
    EXPECT_LT(clock.elapsed(), 10000) << "no wait before the first pass";
}

TEST(QtPacer, APassComesNoSoonerThanAnIntervalAfterThePreviousOne) {
    QtPacer pacer(50ms);
    pacer.awaitNextPass(never);
    QElapsedTimer clock;
    clock.start();
    pacer.awaitNextPass(never);
    pacer.awaitNextPass(never);
    EXPECT_GE(clock.elapsed(), 100);
}

TEST(QtPacer, EventsAreDispatchedDuringTheWait) {
    QtPacer pacer(200ms);
    pacer.awaitNextPass(never);
    int fired = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] { ++fired; });
    ticks.start(10);
    pacer.awaitNextPass(never);
    EXPECT_GE(fired, 3) << "a 10 ms timer ran while a 200 ms pass was awaited";
}

TEST(QtPacer, ReturnsAsSoonAsTheLoopIsOverWithoutDispatchingMore) {
    QtPacer pacer(10s);
    pacer.awaitNextPass(never);
    bool over = false;
    bool later = false;
    QTimer::singleShot(20, [&] {
        over = true;
        QTimer::singleShot(0, [&] { later = true; });
    });
    QElapsedTimer clock;
    clock.start();
    pacer.awaitNextPass([&] { return over; });
    EXPECT_TRUE(over);
    EXPECT_FALSE(later) << "nothing is dispatched after the loop is over";
    EXPECT_LT(clock.elapsed(), 10000) << "it did not wait out the interval";
    QCoreApplication::processEvents();
}

TEST(QtPacer, AZeroIntervalNeverWaits) {
    QtPacer pacer(0ms);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 100; ++i) {
        pacer.awaitNextPass(never);
    }
    EXPECT_LT(clock.elapsed(), 10000);
}
