#include "core/column_letters.h"

namespace tessara {

QString columnLetters(int n) {
    if (n < 1) {
        return QString::number(n);
    }
    QString letters;
    for (; n > 0; n = (n - 1) / 26) {
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    }
    return letters;
}

}  // namespace tessara
