#include "grid/grid_fields.h"

#include <array>
#include <cmath>

namespace tessara {

bool NumberField::accepts(double value) const {
    return std::isfinite(value) && (aboveLow ? value > low : value >= low) && value <= high &&
           (!whole || value == std::floor(value));
}

QString NumberField::rangeText() const {
    const QString kind = QLatin1String(whole ? "a whole number" : "a number") +
                         (*unit ? QStringLiteral(" of ") + QLatin1String(unit) : QString());
    if (aboveLow && low == 0 && high >= kLargestDistance) {
        return QStringLiteral("a positive number");
    }
    if (aboveLow) {
        return QStringLiteral("%1 above %2 and up to %3").arg(kind).arg(low).arg(high);
    }
    return QStringLiteral("%1 from %2 to %3").arg(kind).arg(low).arg(high);
}

std::span<const NumberField* const> numberFields() {
    using namespace field;
    static constexpr std::array<const NumberField*, 14> fields{
        &kMapWidth,     &kHexSize,  &kOffset,   &kStretch,     &kHexPixels,
        &kRotation,     &kSkew,     &kOpacity,  &kFirstNumber, &kNumberPercent,
        &kNumberPoints, &kPrintHex, &kPrintDpi, &kOverlap};
    return fields;
}

const NumberField* numberFieldOf(const QString& option) {
    for (const NumberField* field : numberFields()) {
        if (option == QLatin1String(field->option)) {
            return field;
        }
    }
    return option == QLatin1String(field::kPrintHexInches.option) ? &field::kPrintHexInches
                                                                  : nullptr;
}

QStringList ChoiceField::words() const {
    QStringList all;
    for (const char* word : list) {
        all << QLatin1String(word);
    }
    return all;
}

const ChoiceField* choiceFieldOf(const QString& option) {
    using namespace field;
    for (const ChoiceField* choice : {&kOrientation, &kShifted, &kLineStyle, &kOrigin, &kPosition,
                                      &kNumberColour, &kHalo, &kPaper}) {
        if (option == QLatin1String(choice->option)) {
            return choice;
        }
    }
    return nullptr;
}

}  // namespace tessara
