// The progress of long work done on the window's thread. The dialog appears only once the
// work has taken half a second, so that a small map never flashes one; it shows the step and
// a percentage, keeps the window repainting, and offers Cancel only where stopping changes
// nothing.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <chrono>

#include "core/progress.h"

class QWidget;

namespace tessara {

inline constexpr std::chrono::milliseconds kProgressDelay{500};

class ProgressWindow final : public Progress {
  public:
    enum class Cancel { Offered, NotOffered };
    ProgressWindow(QWidget* parent, QString title, Cancel cancel,
                   std::chrono::milliseconds delay = kProgressDelay);
    ~ProgressWindow() override;
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    void step(const QString& what) override;
    bool advance(double fraction) override;

  private:
    void appearWhenDue();

    QWidget* parent_;
    QString title_;
    bool cancellable_;
    std::chrono::milliseconds delay_;
    QElapsedTimer started_;
    QElapsedTimer sinceEvents_;
    QString step_;
    QPointer<QProgressDialog> dialog_;
    QPointer<QWidget> before_;  // the active window when the dialog appeared
};

}  // namespace tessara
