// The help file read as a book of topics, and where the file is looked for.
//
// The help file is HTML. Each topic starts at an <h1> heading that carries an id
// (<h1 id="printing-tips">Printing tips</h1>) and runs to the next such heading; the first
// topic is the contents. Links of the form href="#id" lead to the topic of that id.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace tessara {

struct HelpTopic {
    QString id;
    QString title;  // the heading's text
    QString html;   // from the heading to the next topic's heading
};

struct HelpBook {
    QString title;       // the document's <title>, or empty
    QString styleSheet;  // the document's <style> rules, applied to every topic
    std::vector<HelpTopic> topics;

    // The topic of that id, or nullptr.
    const HelpTopic* find(const QString& id) const;
    const HelpTopic* contents() const { return topics.empty() ? nullptr : &topics.front(); }
};

// Splits the file's text into its topics. A document without topic headings becomes one
// topic, "contents", holding the whole body.
HelpBook parseHelpBook(const QString& html);

// The folders the help file is looked for in, in order: the program's own folder, the
// installed data folder (share/tessara beside the program's bin folder), the current directory.
QStringList helpFolders();

// The full path of the first file of that name in the folders, or an empty text. A name
// with a folder part is taken as it is.
QString findHelpFile(const QString& name, const QStringList& folders);

// The folder of the sample map, in the program's folder when it runs where it was built,
// else in the installed data folder; an empty text when neither holds it.
QString sampleFolder(const QStringList& folders = helpFolders());
inline constexpr const char* kSampleMapName = "sample-map.jpg";

}  // namespace tessara
