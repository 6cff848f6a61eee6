// Numbers joined into a text, written the way the user reads them everywhere in the
// program: no leading blank, no plus sign, no thousands separators, the decimal separator
// of the user's locale, at most seven significant digits for a Single, whole numbers
// without a decimal separator, and integers in full.
#pragma once

#include <QLocale>
#include <QString>

#include "core/numeric.h"

namespace tessara {

// 100 -> "100", 12.5 -> "12.5", 29.594004 -> "29.594" ("29,594" with a decimal comma),
// 800 * 100 / 1200 -> "66.66666", 0.5 -> "0.5". Values that would need more than seven
// digits before the separator, or more than four zeros after it, are written with an
// exponent: 123456789 -> "1.234568E+08", 0.00001 -> "1E-05".
QString singleToText(Single value, const QLocale& locale = QLocale());

// Written in full: 12 -> "12", -32768 -> "-32768".
QString integerToText(long long value);

}  // namespace tessara
