// Text typed by the user, read as a number the way the user writes numbers: with the
// decimal separator (and digit grouping) of the user's locale.
#pragma once

#include <QLocale>
#include <QString>
#include <optional>

#include "core/numeric.h"

namespace tessara {

// The text as a Single, blanks around it ignored; nothing when the text is empty, is not a
// number in `locale`, is not finite (NaN, infinity) or lies outside the Single range.
std::optional<Single> textToSingle(const QString& text, const QLocale& locale = QLocale());

}  // namespace tessara
