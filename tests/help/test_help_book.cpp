#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <set>

#include "help/help_book.h"
#include "support/qt_print.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

const char* const kSmallBook = R"(<!DOCTYPE html>
<html><head><title>Small &amp; Useful</title><style>h1 { color: red; }</style></head>
<body>
<h1 id="contents">Contents</h1><p><a href="#first">First</a></p>
<h1 class="x" id='first'>First &amp; foremost</h1><p>One.</p>
<h1 id="second">Second</h1><p>Two.</p>
</body></html>)";

QString shippedManual() {
    QFile file(QStringLiteral(TESSARA_HELP_SOURCE));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << TESSARA_HELP_SOURCE;
    return QString::fromUtf8(file.readAll());
}

QStringList linkTargets(const QString& html) {
    QStringList targets;
    static const QRegularExpression link(QStringLiteral(R"re(href\s*=\s*"#([^"]*)")re"));
    for (auto it = link.globalMatch(html); it.hasNext();) {
        targets << it.next().captured(1);
    }
    return targets;
}

}  // namespace

TEST(HelpBook, SplitsTheFileIntoTopicsAtTheirHeadings) {
    const HelpBook book = parseHelpBook(QString::fromUtf8(kSmallBook));
    EXPECT_EQ(book.title, QString("Small & Useful"));
    EXPECT_EQ(book.styleSheet, QString("h1 { color: red; }"));
    ASSERT_EQ(book.topics.size(), 3U);
    EXPECT_EQ(book.contents()->id, QString("contents"));
    EXPECT_EQ(book.topics[1].id, QString("first")) << "single quotes and other attributes";
    EXPECT_EQ(book.topics[1].title, QString("First & foremost"));
    EXPECT_TRUE(book.topics[1].html.startsWith("<h1 class=\"x\" id='first'>"));
    EXPECT_TRUE(book.topics[1].html.contains("One.")) << "a topic runs to the next heading";
    EXPECT_FALSE(book.topics[1].html.contains("Two."));
    EXPECT_FALSE(book.topics[2].html.contains("</body>")) << "the last one ends with the body";
    EXPECT_EQ(book.find("second"), &book.topics[2]);
    EXPECT_EQ(book.find("third"), nullptr);
}

TEST(HelpBook, ADocumentWithoutTopicsIsOneContentsPage) {
    const HelpBook book = parseHelpBook("<html><body><p>Just a page.</p></body></html>");
    ASSERT_EQ(book.topics.size(), 1U);
    EXPECT_EQ(book.contents()->id, QString("contents"));
    EXPECT_EQ(book.contents()->html, QString("<p>Just a page.</p>"));
    EXPECT_TRUE(parseHelpBook("plain words").contents()->html.contains("plain words"));
}

TEST(FindHelpFile, TakesTheFirstFolderThatHoldsTheFile) {
    ScratchDir first;
    ScratchDir second;
    ScratchDir third;
    writeBytes(second.path("tessara.hlp"), "second");
    writeBytes(third.path("tessara.hlp"), "third");
    QDir(first.root()).mkdir("tessara.hlp");  // a folder of that name is not the file
    struct Row {
        const char* guards;
        QStringList folders;
        QString expected;
    } const rows[] = {
        {"the first folder that holds it",
         {first.root(), second.root(), third.root()},
         second.path("tessara.hlp")},
        {"order decides", {third.root(), second.root()}, third.path("tessara.hlp")},
        {"nowhere", {first.root()}, QString()},
        {"no folders at all", {}, QString()},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(findHelpFile("tessara.hlp", row.folders), row.expected) << row.guards;
    }
    EXPECT_EQ(findHelpFile(third.path("tessara.hlp"), {first.root()}), third.path("tessara.hlp"))
        << "a name with its folder is taken as it is";
    EXPECT_EQ(findHelpFile("", {second.root()}), QString());
}

TEST(FindHelpFile, LooksNextToTheProgramThenInTheDataFolderThenHere) {
    const QStringList folders = helpFolders();
    ASSERT_EQ(folders.size(), 3);
    EXPECT_EQ(folders[0], QCoreApplication::applicationDirPath());
    // Wherever the program was installed: /usr/bin finds /usr/share/tessara as the Debian
    // package installs it, /usr/local/bin finds /usr/local/share/tessara.
    QDir data(QCoreApplication::applicationDirPath());
    data.cdUp();
    EXPECT_EQ(folders[1], data.filePath("share/tessara"));
    ScratchDir here;
    EXPECT_EQ(helpFolders()[2], QDir::currentPath()) << "the current directory at each use";
    writeBytes(here.path("tessara.hlp"), "here");
    EXPECT_EQ(QFileInfo(findHelpFile("tessara.hlp", helpFolders())).canonicalFilePath(),
              QFileInfo(here.path("tessara.hlp")).canonicalFilePath());
}

TEST(ShippedManual, HasEveryTopicAUserNeeds) {
    const HelpBook book = parseHelpBook(shippedManual());
    EXPECT_EQ(book.title, QString("Tessara Help"));
    ASSERT_NE(book.contents(), nullptr);
    EXPECT_EQ(book.contents()->id, QString("contents"));
    for (const char* id : {"getting-started", "grid-settings", "file-menu", "zoom-menu",
                           "scrolling", "grid-menu", "map-dimensions", "help-menu",
                           "worked-example", "hex-size", "printing-tips", "finding-grid"}) {
        EXPECT_NE(book.find(id), nullptr) << id;
    }
    EXPECT_NE(book.find("tiled-vassal"), nullptr);
    std::set<QString> ids;
    for (const HelpTopic& topic : book.topics) {
        EXPECT_TRUE(ids.insert(topic.id).second)
            << "topic ids are unique: " << qPrintable(topic.id);
        EXPECT_FALSE(topic.title.isEmpty()) << qPrintable(topic.id);
    }
}

TEST(ShippedManual, EveryLinkLeadsToATopicAndTheContentsReachesThemAll) {
    const HelpBook book = parseHelpBook(shippedManual());
    for (const HelpTopic& topic : book.topics) {
        for (const QString& target : linkTargets(topic.html)) {
            EXPECT_NE(book.find(target), nullptr)
                << qPrintable(topic.id) << " links to a missing topic " << qPrintable(target);
        }
    }
    const QStringList fromContents = linkTargets(book.contents()->html);
    for (const HelpTopic& topic : book.topics) {
        if (&topic != book.contents()) {
            EXPECT_TRUE(fromContents.contains(topic.id)) << qPrintable(topic.id);
        }
    }
}

TEST(ShippedManual, DescribesHowTheLinesLookAndWhatToDoWhenThereIsNothingToDraw) {
    const QString text = shippedManual();
    for (const char* words :
         {"<h2>How the lines look</h2>", "<b>Line colour</b>", "<b>Line style</b>",
          "<b>Opacity</b>, from 10 to 100%", "<i>none: numbers only</i>", "Choose...",
          "Nothing to draw: The grid has no lines (line style None)", "--line-style", "--opacity",
          "<img src=\"tessara-lines.png\""}) {
        EXPECT_TRUE(text.contains(QLatin1String(words))) << words;
    }
}

TEST(ShippedManual, DescribesEveryCommandAndTheWorkedExample) {
    const QString text = shippedManual();
    for (const char* words :
         {"Load Map Picture", "Save Map", "Print Map", "Exit", "Normal", "1:5, 1:3, 1:2",
          "2:1, 3:1, 5:1", "Slow", "Medium", "Fast", "Map Dimensions", "Contents", "About",
          "System Info", "Generate Hex Grid", "100 by 80 distance units\n12 by 11 hexes",
          "System Information Is Unavailable At This Time", "Find Printed Grid",
          "tessara find-grid"}) {
        EXPECT_TRUE(text.contains(QLatin1String(words))) << words;
    }
    for (const char* words :
         {"Flatten by the Printed Grid", "Open Photo of a Board...", "Taking the photo",
          "tessara flatten", "<h1 id=\"flattening-photo\">Photos and warped maps</h1>",
          "<img src=\"tessara-photo.png\"", "where the paper meets the table"}) {
        EXPECT_TRUE(text.contains(QLatin1String(words))) << words;
    }
    for (const char* words :
         {"Export For, Tiled Map...", "VASSAL Board...", "Foundry Scene...", "Import Data",
          "board.foundry.json", "tessara export", "bicubic", "scale factor", "tessara terrain",
          "hex,column,row,x,y,terrain,share", "River: line 0305 0306", "hexes.sides.csv"}) {
        EXPECT_TRUE(text.contains(QLatin1String(words))) << words;
    }
}
