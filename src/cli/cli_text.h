// The small pieces of wording every part of the command line shares.
#pragma once

#include <QString>
#include <QStringList>

namespace tessara {

// 'text', as the command line quotes what the user gave.
inline QString quoted(const QString& text) {
    return u'\'' + text + u'\'';
}

// "a, b or c"
inline QString oneOf(const QStringList& choices) {
    return choices.size() < 2 ? choices.value(0)
                              : choices.mid(0, choices.size() - 1).join(QStringLiteral(", ")) +
                                    QStringLiteral(" or ") + choices.last();
}

// A sentence for the window as a clause of the command line's one line: "at this scale ...".
inline QString asClause(QString sentence) {
    sentence = sentence.simplified();
    if (sentence.endsWith(u'.')) {
        sentence.chop(1);
    }
    return sentence.left(1).toLower() + sentence.mid(1);
}

}  // namespace tessara
