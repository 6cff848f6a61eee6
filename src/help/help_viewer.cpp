#include "help/help_viewer.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <functional>

#include "image/program_icon.h"

namespace tessara {
namespace {

const QString kViewerTitle = QStringLiteral("Tessara Help");

// The browser's own Back and Forward (Alt+Left, Alt+Right while it has the focus) walk the
// viewer's history of topics instead of its own.
class TopicBrowser : public QTextBrowser {
  public:
    using QTextBrowser::QTextBrowser;
    std::function<void()> onBack;
    std::function<void()> onForward;
    void backward() override { onBack(); }
    void forward() override { onForward(); }
};

QPushButton* button(const QString& caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

HelpViewer::HelpViewer(QWidget* parent)
    : QWidget(parent, Qt::Window),
      browser_(new TopicBrowser(this)),
      contentsButton_(button(QStringLiteral("&Contents"), "helpContents", this)),
      backButton_(button(QStringLiteral("&Back"), "helpBack", this)),
      forwardButton_(button(QStringLiteral("&Forward"), "helpForward", this)) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(kViewerTitle);
    setWindowIcon(tessaraIcon());
    browser_->setObjectName(QStringLiteral("helpText"));
    static_cast<TopicBrowser*>(browser_)->onBack = [this] { back(); };
    static_cast<TopicBrowser*>(browser_)->onForward = [this] { forward(); };
    // Links are followed here, topic by topic, rather than by the browser.
    browser_->setOpenLinks(false);
    // Alt+Left and Alt+Right wherever the focus is, beside the buttons' own Alt+B and Alt+F.
    connect(new QShortcut(QKeySequence::Back, this), &QShortcut::activated, this,
            &HelpViewer::back);
    connect(new QShortcut(QKeySequence::Forward, this), &QShortcut::activated, this,
            &HelpViewer::forward);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contentsButton_);
    buttons->addWidget(backButton_);
    buttons->addWidget(forwardButton_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_);

    connect(contentsButton_, &QPushButton::clicked, this, &HelpViewer::showContents);
    connect(backButton_, &QPushButton::clicked, this, &HelpViewer::back);
    connect(forwardButton_, &QPushButton::clicked, this, &HelpViewer::forward);
    connect(browser_, &QTextBrowser::anchorClicked, this, &HelpViewer::openLink);
    resize(620, 560);
    updateButtons();
}

void HelpViewer::open(const QString& helpFile, Integer command, const QStringList& folders) {
    // Every command this viewer knows leads to the contents; there is only the one.
    (void)command;
    book_ = {};
    history_.clear();
    position_ = 0;
    const QString path = findHelpFile(helpFile, folders);
    if (path.isEmpty()) {
        QString where;
        for (const QString& folder : folders) {
            where += QStringLiteral("<li>") + folder.toHtmlEscaped() + QStringLiteral("</li>");
        }
        showProblem(QStringLiteral("<p>The help file <b>%1</b> could not be found.</p>"
                                   "<p>Tessara looked for it in these folders:</p><ul>%2</ul>")
                        .arg(helpFile.toHtmlEscaped(), where));
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        showProblem(QStringLiteral("<p>The help file <b>%1</b> could not be read.</p><p>%2</p>")
                        .arg(path.toHtmlEscaped(), file.errorString().toHtmlEscaped()));
        return;
    }
    book_ = parseHelpBook(QString::fromUtf8(file.readAll()));
    // The manual's pictures sit beside it.
    browser_->setSearchPaths({QFileInfo(path).absolutePath()});
    setWindowTitle(book_.title.isEmpty() ? kViewerTitle : book_.title);
    showContents();
}

void HelpViewer::showProblem(const QString& html) {
    setWindowTitle(kViewerTitle);
    browser_->setHtml(html);
    updateButtons();
}

bool HelpViewer::showTopic(const QString& id) {
    const HelpTopic* topic = book_.find(id);
    if (topic == nullptr) {
        return false;
    }
    if (id == currentTopic()) {
        return true;  // already shown: no extra step back
    }
    if (!history_.empty()) {
        history_.resize(position_ + 1);  // a new way forward replaces the old one
    }
    history_.push_back(id);
    position_ = history_.size() - 1;
    display(*topic);
    return true;
}

void HelpViewer::showContents() {
    if (const HelpTopic* contents = book_.contents()) {
        showTopic(contents->id);
    }
}

void HelpViewer::back() {
    if (position_ > 0 && position_ < history_.size()) {
        --position_;
        display(*book_.find(history_[position_]));
    }
}

void HelpViewer::forward() {
    if (position_ + 1 < history_.size()) {
        ++position_;
        display(*book_.find(history_[position_]));
    }
}

void HelpViewer::openLink(const QUrl& url) {
    if (url.scheme().isEmpty() && url.path().isEmpty() && url.hasFragment()) {
        showTopic(url.fragment());
    } else if (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http") ||
               url.scheme() == QLatin1String("mailto")) {
        QDesktopServices::openUrl(url);
    }
}

QString HelpViewer::currentTopic() const {
    return position_ < history_.size() ? history_[position_] : QString();
}

void HelpViewer::display(const HelpTopic& topic) {
    browser_->setHtml(QStringLiteral("<html><head><style>") + book_.styleSheet +
                      QStringLiteral("</style></head><body>") + topic.html +
                      QStringLiteral("</body></html>"));
    updateButtons();
}

void HelpViewer::updateButtons() {
    const bool hasBook = !book_.topics.empty();
    contentsButton_->setEnabled(hasBook);
    backButton_->setEnabled(hasBook && position_ > 0);
    forwardButton_->setEnabled(hasBook && position_ + 1 < history_.size());
}

QtHelpLauncher::QtHelpLauncher() = default;

QtHelpLauncher::QtHelpLauncher(QStringList folders)
    : folders_(std::move(folders)), fixedFolders_(true) {}

QtHelpLauncher::~QtHelpLauncher() = default;

void QtHelpLauncher::showHelp(const QString& helpFile, Integer command) {
    if (!viewer_) {
        viewer_ = std::make_unique<HelpViewer>();
    }
    viewer_->open(helpFile, command, fixedFolders_ ? folders_ : helpFolders());
    viewer_->show();
    viewer_->raise();
    viewer_->activateWindow();
}

}  // namespace tessara
