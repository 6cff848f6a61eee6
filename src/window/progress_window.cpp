#include "window/progress_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace tessara {
namespace {

// How often the window gets to repaint and the Cancel button to be pressed: often enough to
// feel live, seldom enough to cost nothing next to the work.
constexpr qint64 kEventsEveryMs = 30;

// Work that cannot stop is not stopped by Esc or the title bar's close button either.
class StepDialog final : public QProgressDialog {
  public:
    StepDialog(const QString& step, bool cancellable, QWidget* parent)
        : QProgressDialog(step, cancellable ? QObject::tr("Cancel") : QString(), 0, 100, parent),
          cancellable_(cancellable) {}
    void reject() override {
        if (cancellable_) {
            QProgressDialog::reject();
        }
    }

  protected:
    void closeEvent(QCloseEvent* event) override {
        if (cancellable_) {
            QProgressDialog::closeEvent(event);
        } else {
            event->ignore();
        }
    }

  private:
    bool cancellable_;
};

}  // namespace

ProgressWindow::ProgressWindow(QWidget* parent, QString title, Cancel cancel,
                               std::chrono::milliseconds delay)
    : parent_(parent),
      title_(std::move(title)),
      cancellable_(cancel == Cancel::Offered),
      delay_(delay) {
    started_.start();
    sinceEvents_.start();
}

ProgressWindow::~ProgressWindow() {
    if (dialog_ != nullptr) {
        delete dialog_.data();
        // Where no window manager hands the keyboard back, the window the work was started
        // from takes it again.
        if (before_ != nullptr && before_->isVisible()) {
            before_->activateWindow();
        }
    }
}

void ProgressWindow::step(const QString& what) {
    step_ = what;
    if (dialog_ && !dialog_->wasCanceled()) {
        dialog_->setLabelText(step_);
        dialog_->setValue(0);
    }
    advance(0);
}

bool ProgressWindow::advance(double fraction) {
    appearWhenDue();
    if (dialog_ == nullptr) {
        return true;
    }
    if (dialog_->wasCanceled()) {
        return false;  // and the dialog stays closed while the work stops
    }
    dialog_->setValue(static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * 100)));
    if (sinceEvents_.elapsed() >= kEventsEveryMs) {
        QCoreApplication::processEvents();
        sinceEvents_.restart();
    }
    return !dialog_->wasCanceled();
}

void ProgressWindow::appearWhenDue() {
    if (dialog_ != nullptr || started_.elapsed() < delay_.count()) {
        return;
    }
    // Over the window the work was started from: a dialog of its own, or the main window.
    before_ = QApplication::activeWindow();
    dialog_ = new StepDialog(step_, cancellable_, before_ != nullptr ? before_.data() : parent_);
    dialog_->setWindowTitle(title_);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setMinimumDuration(0);
    dialog_->setMinimumWidth(360);
    dialog_->show();
    QCoreApplication::processEvents();
}

}  // namespace tessara
