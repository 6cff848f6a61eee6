#include "core/number_to_text.h"

#include <cmath>

namespace tessara {

QString singleToText(Single value, const QLocale& locale) {
    if (value == 0.0F) {
        return QStringLiteral("0");  // never "-0"
    }
    // Digits and signs stay those of the C locale whatever the user's language; only the
    // decimal separator follows the user.
    QString text = QString::number(static_cast<double>(value), 'G', 7);
    if (std::isfinite(value)) {
        text.replace(QLatin1Char('.'), locale.decimalPoint());
    }
    return text;
}

QString integerToText(long long value) {
    return QString::number(value);
}

}  // namespace tessara
