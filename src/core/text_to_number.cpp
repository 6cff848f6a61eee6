#include "core/text_to_number.h"

#include <cmath>
#include <limits>

namespace tessara {

std::optional<Single> textToSingle(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    // Checked before the conversion: a double beyond the Single range has no Single.
    if (!ok || !std::isfinite(value) ||
        std::abs(value) > static_cast<double>(std::numeric_limits<Single>::max())) {
        return std::nullopt;
    }
    return toSingle(value);
}

}  // namespace tessara
