#include "help/help_book.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextDocumentFragment>

namespace tessara {
namespace {

constexpr auto kOptions =
    QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption;

QString firstCapture(const QString& text, const QString& pattern) {
    const QRegularExpressionMatch match = QRegularExpression(pattern, kOptions).match(text);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString plainText(const QString& html) {
    return QTextDocumentFragment::fromHtml(html).toPlainText().simplified();
}

}  // namespace

const HelpTopic* HelpBook::find(const QString& id) const {
    for (const HelpTopic& topic : topics) {
        if (topic.id == id) {
            return &topic;
        }
    }
    return nullptr;
}

HelpBook parseHelpBook(const QString& html) {
    HelpBook book;
    book.title = plainText(firstCapture(html, QStringLiteral("<title[^>]*>(.*?)</title>")));
    book.styleSheet = firstCapture(html, QStringLiteral("<style[^>]*>(.*?)</style>"));
    QString body = firstCapture(html, QStringLiteral("<body[^>]*>(.*)</body>"));
    if (body.isEmpty()) {
        body = html;
    }

    static const QRegularExpression heading(
        QStringLiteral(R"(<h1\b[^>]*\bid\s*=\s*["']([^"']+)["'][^>]*>(.*?)</h1>)"), kOptions);
    std::vector<QRegularExpressionMatch> starts;
    for (auto it = heading.globalMatch(body); it.hasNext();) {
        starts.push_back(it.next());
    }
    if (starts.empty()) {
        book.topics.push_back({QStringLiteral("contents"),
                               book.title.isEmpty() ? QStringLiteral("Contents") : book.title,
                               body.trimmed()});
        return book;
    }
    for (size_t i = 0; i < starts.size(); ++i) {
        const qsizetype from = starts[i].capturedStart();
        const qsizetype to = i + 1 < starts.size() ? starts[i + 1].capturedStart() : body.size();
        book.topics.push_back(
            {starts[i].captured(1), plainText(starts[i].captured(2)), body.mid(from, to - from)});
    }
    return book;
}

QStringList helpFolders() {
    const QString program = QCoreApplication::applicationDirPath();
    return {program, QDir::cleanPath(program + u'/' + QStringLiteral(TESSARA_DATA_FROM_PROGRAM)),
            QDir::currentPath()};
}

QString findHelpFile(const QString& name, const QStringList& folders) {
    if (name.contains(QLatin1Char('/'))) {
        return QFileInfo(name).isFile() ? QFileInfo(name).absoluteFilePath() : QString();
    }
    for (const QString& folder : folders) {
        const QFileInfo candidate(QDir(folder), name);
        if (candidate.isFile()) {
            return candidate.absoluteFilePath();
        }
    }
    return {};
}

QString sampleFolder(const QStringList& folders) {
    for (const QString& folder : folders) {
        const QDir samples(QDir(folder).filePath(QStringLiteral("samples")));
        if (QFileInfo(samples.filePath(QLatin1String(kSampleMapName))).isFile()) {
            return samples.absolutePath();
        }
    }
    return {};
}

}  // namespace tessara
