#include "core/file_names.h"

#include <QByteArrayView>
#include <QFile>

namespace tessara {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// A byte that is not text, kept as a lone surrogate: only bytes from 0x80 are ever not text.
bool isEscape(const QString& text, qsizetype i) {
    const char16_t c = text[i].unicode();
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF &&
           (i == 0 || !text[i - 1].isHighSurrogate());
}

// How many bytes from `s` make one valid UTF-8 character; 0 when they make none (a stray
// byte, a sequence cut short, too long a form, a surrogate, or beyond U+10FFFF).
int characterBytes(const uchar* s, qsizetype left) {
    const uchar b = s[0];
    if (b < 0x80) {
        return 1;
    }
    int length = 0;
    uchar low = 0x80;  // the range of the second byte, narrowed where the first asks it
    uchar high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        low = b == 0xE0 ? 0xA0 : 0x80;
        high = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        low = b == 0xF0 ? 0x90 : 0x80;
        high = b == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (left < length || s[1] < low || s[1] > high) {
        return 0;
    }
    for (int k = 2; k < length; ++k) {
        if ((s[k] & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

}  // namespace

QString decodeFileName(const QByteArray& bytes) {
    if (QByteArrayView(bytes).isValidUtf8()) {
        return QFile::decodeName(bytes);
    }
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    QString name;
    qsizetype at = 0;
    while (at < bytes.size()) {
        qsizetype end = at;  // a run of valid characters, decoded at once
        while (end < bytes.size()) {
            const int n = characterBytes(data + end, bytes.size() - end);
            if (n == 0) {
                break;
            }
            end += n;
        }
        name += QString::fromUtf8(bytes.constData() + at, end - at);
        if (end < bytes.size()) {
            name += QChar(static_cast<char16_t>(kEscapeBase + data[end]));
            ++end;
        }
        at = end;
    }
    return name;
}

QByteArray encodeFileName(const QString& name) {
    QByteArray bytes;
    qsizetype start = 0;  // the text not yet encoded
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (isEscape(name, i)) {
            bytes += QFile::encodeName(name.mid(start, i - start));
            bytes += static_cast<char>(name[i].unicode() - kEscapeBase);
            start = i + 1;
        }
    }
    return start == 0 ? QFile::encodeName(name) : bytes + QFile::encodeName(name.mid(start));
}

QString shownText(const QString& name) {
    QString shown = name;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (isEscape(name, i)) {
            shown[i] = QChar::ReplacementCharacter;
        }
    }
    return shown;
}

}  // namespace tessara
