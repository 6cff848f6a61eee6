#include "settings/json_keys.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <vector>

namespace tessara {
namespace {

// An object or an array the scan is inside, named by the path of the key that holds it.
struct Level {
    bool object = false;
    QString path;
    QSet<QString> keys;
    QString lastKey;  // the path of the key read last, which names a value that opens
};

// The text a string token stands for, escapes read as JSON reads them.
QString stringOf(const QByteArray& token) {
    if (!token.contains('\\')) {
        return QString::fromUtf8(token.mid(1, token.size() - 2));
    }
    return QJsonDocument::fromJson('[' + token + ']').array().at(0).toString();
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

QString firstRepeatedKey(const QByteArray& json) {
    std::vector<Level> levels;
    const qsizetype n = json.size();
    for (qsizetype i = 0; i < n;) {
        const char c = json[i];
        if (c == '"') {
            const qsizetype start = i;
            for (++i; i < n && json[i] != '"'; ++i) {
                i += json[i] == '\\' ? 1 : 0;  // an escaped quote does not end the string
            }
            ++i;
            qsizetype after = i;
            while (after < n && isSpace(json[after])) {
                ++after;
            }
            // In valid JSON only a key is followed by a colon.
            if (after < n && json[after] == ':' && !levels.empty()) {
                Level& level = levels.back();
                const QString key = stringOf(json.mid(start, i - start));
                const QString path = level.path.isEmpty() ? key : level.path + u'.' + key;
                if (level.keys.contains(key)) {
                    return path;
                }
                level.keys.insert(key);
                level.lastKey = path;
            }
            continue;
        }
        if (c == '{' || c == '[') {
            const QString path = levels.empty()         ? QString()
                                 : levels.back().object ? levels.back().lastKey
                                                        : levels.back().path;
            levels.push_back({c == '{', path, {}, {}});
        } else if ((c == '}' || c == ']') && !levels.empty()) {
            levels.pop_back();
        }
        ++i;
    }
    return {};
}

}  // namespace tessara
