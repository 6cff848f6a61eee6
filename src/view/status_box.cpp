#include "view/status_box.h"

#include <QEvent>

namespace tessara {
namespace {

constexpr int kMessageSeconds = 30;
constexpr int kMargin = 4;  // pixels from the view's edges

}  // namespace

StatusBox::StatusBox(QWidget* view) : QLabel(view) {
    setObjectName(QStringLiteral("lblStatus"));
    setAccessibleName(QStringLiteral("Status"));
    setAttribute(Qt::WA_TransparentForMouseEvents);  // the map under it still takes clicks
    setStyleSheet(
        QStringLiteral("background: rgba(255, 255, 255, 215); color: black; "
                       "padding: 2px 4px; border: 1px solid rgba(0, 0, 0, 120);"));
    setTextFormat(Qt::PlainText);
    expiry_.setSingleShot(true);
    connect(&expiry_, &QTimer::timeout, this, [this] { setMessage({}); });
    view->installEventFilter(this);
    hide();
}

void StatusBox::setMessage(const QString& message) {
    message_ = message;
    if (!message.isEmpty()) {
        expiry_.start(kMessageSeconds * 1000);
    }
    refresh();
}

void StatusBox::setPointer(const QString& pointer) {
    pointer_ = pointer;
    refresh();
}

bool StatusBox::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        refresh();
    }
    return false;
}

void StatusBox::refresh() {
    QStringList lines;
    for (const QString& line : {message_, pointer_}) {
        if (!line.isEmpty()) {
            lines << line;
        }
    }
    setText(lines.join(u'\n'));
    if (lines.isEmpty()) {
        hide();
        return;
    }
    const QWidget* view = parentWidget();
    const int widest = std::max(1, view->width() - 2 * kMargin);
    setMaximumWidth(widest);
    setWordWrap(false);  // a wrapped label's size hint is narrow: measure the text unwrapped
    setWordWrap(sizeHint().width() > widest);
    adjustSize();
    if (wordWrap()) {
        // adjustSize picks its own width for wrapped text and then cuts it to the widest,
        // leaving the height of fewer, longer lines: the text's end was cut off.
        resize(widest, heightForWidth(widest));
    }
    move(kMargin, view->height() - height() - kMargin);
    show();
    raise();
}

}  // namespace tessara
