// Questions put to the user in a small modal box: a number to type, a colour to pick, or OK
// or Cancel. The program shows Qt's boxes; tests answer what the test scripted.
#pragma once

#include <QColor>
#include <QString>
#include <optional>
#include <vector>

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

// Several numbers in one box, each field a NumberQuestion whose prompt is its label; the
// intro stands above them.
struct NumbersQuestion {
    QString title;
    QString intro;
    std::vector<NumberQuestion> fields;
};

struct ColourQuestion {
    QString title;
    QColor colour;  // chosen at first
};

class Questions {
  public:
    virtual ~Questions() = default;
    // The number typed, or nothing when the user cancelled.
    virtual std::optional<double> askNumber(const NumberQuestion& question) = 0;
    // The numbers typed, in the fields' order, or nothing when the user cancelled.
    virtual std::optional<std::vector<double>> askNumbers(const NumbersQuestion& question) = 0;
    // True when the user chose OK, false for Cancel (Esc included).
    virtual bool confirm(const Message& message) = 0;
    // The colour chosen, opaque, or nothing when the user cancelled.
    virtual std::optional<QColor> askColour(const ColourQuestion& question) = 0;
};

}  // namespace tessara
