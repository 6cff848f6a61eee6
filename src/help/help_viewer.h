// The program's help viewer: a window of its own that shows the help file one topic at a
// time, opening at the contents, with Contents, Back and Forward buttons.
#pragma once

#include <QStringList>
#include <QWidget>
#include <memory>
#include <vector>

#include "help/help_book.h"
#include "platform/help_launcher.h"

class QPushButton;
class QTextBrowser;
class QUrl;

namespace tessara {

class HelpViewer : public QWidget {
    Q_OBJECT
  public:
    explicit HelpViewer(QWidget* parent = nullptr);

    // Reads the help file afresh, looked for by name in the folders, and carries out the
    // command. When the file cannot be found or read, the window says so.
    void open(const QString& helpFile, Integer command, const QStringList& folders);

    // Shows the topic of that id; false when the book has no such topic.
    bool showTopic(const QString& id);
    void showContents();
    void back();
    void forward();
    // Follows a link of the shown topic.
    void openLink(const QUrl& url);

    QString currentTopic() const;

  private:
    void display(const HelpTopic& topic);
    void showProblem(const QString& html);
    void updateButtons();

    QTextBrowser* browser_;
    QPushButton* contentsButton_;
    QPushButton* backButton_;
    QPushButton* forwardButton_;
    HelpBook book_;
    std::vector<QString> history_;  // topic ids, oldest first
    size_t position_ = 0;           // index of the shown topic in history_
};

// The real help: one viewer window for the whole run, brought forward on every use.
class QtHelpLauncher : public HelpLauncher {
  public:
    // Looks for the help file in helpFolders(), decided anew at every use.
    QtHelpLauncher();
    // Looks for the help file in these folders only.
    explicit QtHelpLauncher(QStringList folders);
    ~QtHelpLauncher() override;

    void showHelp(const QString& helpFile, Integer command) override;
    // The viewer window, once help has been shown.
    HelpViewer* viewer() const { return viewer_.get(); }

  private:
    QStringList folders_;
    bool fixedFolders_ = false;
    std::unique_ptr<HelpViewer> viewer_;
};

}  // namespace tessara
