// Readable failure messages for Qt's texts in GoogleTest (lists of texts follow from it).
#pragma once

#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
