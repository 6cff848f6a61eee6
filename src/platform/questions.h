// Questions put to the user in a small modal box: a number to type, or OK or Cancel. The
// program shows Qt's boxes; tests answer what the test scripted.
#pragma once

#include <QString>
#include <optional>

#include "core/message.h"

namespace tessara {

struct NumberQuestion {
    QString title;
    QString prompt;
    double value = 0;
    double minimum = 0;
    double maximum = 0;
    int decimals = 2;
};

class Questions {
  public:
    virtual ~Questions() = default;
    // The number typed, or nothing when the user cancelled.
    virtual std::optional<double> askNumber(const NumberQuestion& question) = 0;
    // True when the user chose OK, false for Cancel (Esc included).
    virtual bool confirm(const Message& message) = 0;
};

}  // namespace tessara
