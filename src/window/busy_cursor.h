// Shows the busy cursor for as long as the guard lives.
#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace tessara {

class BusyCursor {
  public:
    BusyCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace tessara
