// Answers Qt's real modal windows from a timer while the code under test waits in their
// exec(): each step deals with one window of its type when it is the active modal one. A
// watchdog closes whatever is still up should the script not get through, so no test ever
// hangs on a window.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

namespace tessara::test {

class ModalScript {
  public:
    explicit ModalScript(int watchdogMs = 10000) {
        poll_.setInterval(20);
        QObject::connect(&poll_, &QTimer::timeout, [this] { step(); });
        watchdog_.setSingleShot(true);
        watchdog_.setInterval(watchdogMs);
        QObject::connect(&watchdog_, &QTimer::timeout, [this] { giveUp(); });
    }

    // The next window to answer: the first active modal window of type W.
    template <typename W>
    ModalScript& then(std::function<void(W&)> answer) {
        steps_.push_back({[](QWidget& modal) { return qobject_cast<W*>(&modal) != nullptr; },
                          [answer](QWidget& modal) { answer(*qobject_cast<W*>(&modal)); }});
        return *this;
    }

    // Runs `code`, which shows the windows, with the script answering them.
    template <typename Code>
    void run(Code code) {
        poll_.start();
        watchdog_.start();
        code();
        poll_.stop();
        watchdog_.stop();
        EXPECT_EQ(next_, steps_.size()) << "not every window the script expected was shown";
    }

  private:
    void step() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || next_ >= steps_.size() || !steps_[next_].matches(*modal)) {
            return;
        }
        // Answered from the event loop rather than from this timer: an answer may open a
        // window of its own (a question before a file is replaced), and the timer must go on
        // polling inside that window's loop for the next step to answer it.
        const Step& step = steps_[next_++];
        poll_.stop();
        QTimer::singleShot(0, &poll_, [this, &step, window = QPointer<QWidget>(modal)] {
            poll_.start();
            if (window) {
                step.answer(*window);
            }
        });
    }

    void giveUp() {
        poll_.stop();
        for (int tries = 0; tries < 10; ++tries) {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) {
                return;
            }
            ADD_FAILURE() << "a " << modal->metaObject()->className()
                          << " was still up; closing it";
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            } else {
                modal->close();
            }
            QApplication::processEvents();
        }
    }

    struct Step {
        std::function<bool(QWidget&)> matches;
        std::function<void(QWidget&)> answer;
    };
    std::vector<Step> steps_;
    size_t next_ = 0;
    QTimer poll_;
    QTimer watchdog_;
};

}  // namespace tessara::test
