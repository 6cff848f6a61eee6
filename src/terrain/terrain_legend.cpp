#include "terrain/terrain_legend.h"

#include <QDir>
#include <QHash>
#include <QStringList>
#include <cstring>

#include "core/regular_file.h"

namespace tessara {
namespace {

// What is known so far of the legend being read, to refuse a name or a sample given twice.
struct Reader {
    const GridLayout& layout;
    const std::vector<MapHex>& hexes;
    QHash<QString, int> hexByNumber;
    QHash<QString, int> nameLine;  // by the name in lower case
    QHash<int, int> sampleClass;   // by hex: the class it is a sample of
    TerrainLegend legend;
    std::vector<int> classLines;  // the line each class is on
};

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The hex a number names; its index, or a reason.
int hexNamed(const Reader& reader, const QString& number, QString& error) {
    const auto it = reader.hexByNumber.constFind(number);
    if (it == reader.hexByNumber.constEnd()) {
        error = QStringLiteral("no hex %1 on the map").arg(number);
        return -1;
    }
    return it.value();
}

QString readFeature(Reader& reader, const QString& name, const QStringList& words) {
    if (words.size() != 3) {
        return QStringLiteral("the line feature %1 needs the two hexes either side of it, not %2")
            .arg(quoted(name))
            .arg(words.size() - 1);
    }
    QString error;
    const int from = hexNamed(reader, words[1], error);
    const int to = from < 0 ? -1 : hexNamed(reader, words[2], error);
    if (to < 0) {
        return error;
    }
    if (!areNeighbours(reader.layout, reader.hexes[static_cast<size_t>(from)].hex,
                       reader.hexes[static_cast<size_t>(to)].hex)) {
        return QStringLiteral("hexes %1 and %2 are not neighbours").arg(words[1], words[2]);
    }
    reader.legend.features.push_back({name, from, to});
    return {};
}

QString readClass(Reader& reader, const QString& name, const QStringList& words, int line) {
    if (words.isEmpty()) {
        return QStringLiteral("%1 names no sample hex").arg(quoted(name));
    }
    const int terrainClass = static_cast<int>(reader.legend.classes.size());
    ClassSamples samples{name, {}};
    for (const QString& word : words) {
        QString error;
        const int hex = hexNamed(reader, word, error);
        if (hex < 0) {
            return error;
        }
        if (const auto it = reader.sampleClass.constFind(hex);
            it != reader.sampleClass.constEnd()) {
            return QStringLiteral("hex %1 is already a sample of %2, on line %3")
                .arg(word, quoted(reader.legend.classes[static_cast<size_t>(it.value())].name))
                .arg(reader.classLines[static_cast<size_t>(it.value())]);
        }
        reader.sampleClass.insert(hex, terrainClass);
        samples.hexes.push_back(hex);
    }
    reader.legend.classes.push_back(std::move(samples));
    reader.classLines.push_back(line);
    return {};
}

QString readLine(Reader& reader, QString text, int line) {
    text = text.left(text.indexOf(QLatin1Char('#'))).trimmed();
    if (text.isEmpty()) {
        return {};
    }
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0) {
        return QStringLiteral("%1 has no colon between a name and its hexes").arg(quoted(text));
    }
    const QString name = text.left(colon).trimmed();
    if (name.isEmpty()) {
        return QStringLiteral("no name before the colon");
    }
    const QString key = name.toLower();
    if (const auto it = reader.nameLine.constFind(key); it != reader.nameLine.constEnd()) {
        return QStringLiteral("%1 is named twice, first on line %2")
            .arg(quoted(name))
            .arg(it.value());
    }
    reader.nameLine.insert(key, line);
    const QStringList words = text.mid(colon + 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!words.isEmpty() &&
        words.front().compare(QLatin1String("line"), Qt::CaseInsensitive) == 0) {
        return readFeature(reader, name, words);
    }
    return readClass(reader, name, words, line);
}

}  // namespace

LegendReading readLegend(const QString& text, const GridLayout& layout,
                         const std::vector<MapHex>& hexes) {
    Reader reader{layout, hexes, {}, {}, {}, {}, {}};
    for (size_t i = 0; i < hexes.size(); ++i) {
        reader.hexByNumber.insert(hexes[i].number, static_cast<int>(i));
    }
    QString simplified = text;
    simplified.replace(QLatin1Char('\t'), QLatin1Char(' '));
    const QStringList lines = simplified.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int line = static_cast<int>(i) + 1;
        if (const QString error = readLine(reader, lines[i], line); !error.isEmpty()) {
            return {{}, QStringLiteral("line %1: %2").arg(line).arg(error)};
        }
    }
    return {std::move(reader.legend), {}};
}

namespace {

QString refusalOf(const RegularFile& file) {
    switch (file.refusal()) {
        case RegularFile::Refusal::None:
            return {};
        case RegularFile::Refusal::CannotOpen:
            return QString::fromLocal8Bit(std::strerror(file.error()));
        case RegularFile::Refusal::Folder:
        case RegularFile::Refusal::NotRegular:
            break;
    }
    return QStringLiteral("it is not a file");
}

}  // namespace

QString legendFileProblem(const QString& path) {
    return refusalOf(RegularFile(path));
}

LegendReading readLegendFile(const QString& path, const GridLayout& layout,
                             const std::vector<MapHex>& hexes) {
    const RegularFile file(path);
    if (const QString refused = refusalOf(file); !refused.isEmpty()) {
        return {{},
                QStringLiteral("Cannot read the legend %1: %2")
                    .arg(QDir::toNativeSeparators(path), refused)};
    }
    LegendReading reading = readLegend(QString::fromUtf8(file.readAll()), layout, hexes);
    if (!reading.error.isEmpty()) {
        reading.error = QDir::toNativeSeparators(path) + QStringLiteral(", ") + reading.error;
    }
    return reading;
}

}  // namespace tessara
