#include "platform/qt_platform.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QRegularExpression>
#include <QUrl>

namespace tessara {

void giveFocusBack(QWidget* owner) {
    // Desktops give the focus back to the window a dialog was shown over; where there is no
    // window manager to do it, the keyboard would otherwise talk to no window at all.
    if (owner != nullptr && owner->isVisible()) {
        owner->activateWindow();
    }
}

QWidget* dialogOwner() {
    if (QWidget* active = QApplication::activeWindow()) {
        return active;
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && qobject_cast<QMainWindow*>(window) != nullptr) {
            return window;
        }
    }
    return nullptr;
}

namespace {

// Qt's file dialog as the request asks for it; with `several`, one that opens any number
// of existing files.
std::optional<QStringList> chooseFiles(const FileDialogRequest& request, bool several) {
    const bool open = request.kind == FileDialogRequest::Kind::Open;
    QFileDialog dialog(dialogOwner());
    dialog.setWindowTitle(open ? QStringLiteral("Open") : QStringLiteral("Save As"));
    // Qt's own dialog behaves the same on every desktop; the filters show as the program
    // names them while matching the patterns behind them.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(several                         ? QFileDialog::ExistingFiles
                       : open && request.fileMustExist ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    QStringList filters;
    for (qsizetype i = 0; i < request.nameFilters.size(); ++i) {
        filters << request.nameFilters[i] + QStringLiteral(" (") + request.patterns.value(i) +
                       QLatin1Char(')');
    }
    dialog.setNameFilters(filters);
    if (request.selectedFilter < filters.size()) {
        dialog.selectNameFilter(filters[request.selectedFilter]);
    }
    dialog.setDefaultSuffix(request.defaultSuffix);
    QList<QUrl> places = dialog.sidebarUrls();
    for (const QString& folder : request.places) {
        places << QUrl::fromLocalFile(folder);
    }
    dialog.setSidebarUrls(places);
    if (!open) {
        // A name typed without an extension gets the one of the type the user picked.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& f) {
            QString pattern = request.patterns.value(filters.indexOf(f));
            pattern.replace(QRegularExpression(QStringLiteral("\\[(.).\\]")),
                            QStringLiteral("\\1"));
            if (pattern.startsWith(QLatin1String("*.")) && !pattern.contains(QLatin1Char(' '))) {
                dialog.setDefaultSuffix(pattern.mid(2));
            }
        });
    }
    if (!request.initialPath.isEmpty()) {
        const QFileInfo initial(request.initialPath);
        if (initial.dir().exists()) {
            dialog.setDirectory(initial.absolutePath());
        }
        dialog.selectFile(initial.fileName());
    }
    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    giveFocusBack(dialog.parentWidget());
    if (!accepted) {
        return std::nullopt;
    }
    return dialog.selectedFiles();
}

}  // namespace

std::optional<QString> QtDialogBackend::getFileName(const FileDialogRequest& request) {
    const std::optional<QStringList> chosen = chooseFiles(request, false);
    return chosen ? std::optional<QString>(chosen->constFirst()) : std::nullopt;
}

std::optional<QStringList> QtDialogBackend::getFileNames(const FileDialogRequest& request) {
    return chooseFiles(request, true);
}

void QtMessageBoxes::MsgBox(const Message& message) {
    const QString title = message.title.isEmpty() ? QApplication::applicationName() : message.title;
    QMessageBox box(QMessageBox::NoIcon, title, message.prompt, QMessageBox::Ok, dialogOwner());
    box.exec();
    giveFocusBack(box.parentWidget());
}

std::optional<double> QtQuestions::askNumber(const NumberQuestion& question) {
    QInputDialog box(dialogOwner());
    box.setWindowTitle(question.title);
    box.setLabelText(question.prompt);
    box.setInputMode(QInputDialog::DoubleInput);
    box.setDoubleDecimals(question.decimals);
    box.setDoubleRange(question.minimum, question.maximum);
    box.setDoubleValue(question.value);
    const bool accepted = box.exec() == QDialog::Accepted;
    giveFocusBack(box.parentWidget());
    if (!accepted) {
        return std::nullopt;
    }
    return box.doubleValue();
}

std::optional<std::vector<double>> QtQuestions::askNumbers(const NumbersQuestion& question) {
    QDialog box(dialogOwner());
    box.setWindowTitle(question.title);
    auto* form = new QFormLayout(&box);
    auto* intro = new QLabel(question.intro, &box);
    intro->setWordWrap(true);
    form->addRow(intro);
    std::vector<QDoubleSpinBox*> fields;
    for (const NumberQuestion& field : question.fields) {
        auto* number = new QDoubleSpinBox(&box);
        number->setDecimals(field.decimals);
        number->setRange(field.minimum, field.maximum);
        number->setValue(field.value);
        number->setAccessibleName(field.prompt);
        form->addRow(field.prompt, number);
        fields.push_back(number);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    form->addRow(buttons);
    // The first number is typed over, as a number in a box reached by Tab is.
    if (!fields.empty()) {
        fields.front()->setFocus();
        fields.front()->selectAll();
    }
    const bool accepted = box.exec() == QDialog::Accepted;
    giveFocusBack(box.parentWidget());
    if (!accepted) {
        return std::nullopt;
    }
    std::vector<double> numbers;
    for (const QDoubleSpinBox* number : fields) {
        numbers.push_back(number->value());
    }
    return numbers;
}

bool QtQuestions::confirm(const Message& message) {
    const QString title = message.title.isEmpty() ? QApplication::applicationName() : message.title;
    QMessageBox box(QMessageBox::Question, title, message.prompt,
                    QMessageBox::Ok | QMessageBox::Cancel, dialogOwner());
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    const bool accepted = box.exec() == QMessageBox::Ok;
    giveFocusBack(box.parentWidget());
    return accepted;
}

std::optional<QColor> QtQuestions::askColour(const ColourQuestion& question) {
    QColorDialog box(question.colour, dialogOwner());
    box.setWindowTitle(question.title);
    const bool accepted = box.exec() == QDialog::Accepted;
    giveFocusBack(box.parentWidget());
    if (!accepted || !box.selectedColor().isValid()) {
        return std::nullopt;
    }
    return QColor(box.selectedColor().rgb());
}

}  // namespace tessara
