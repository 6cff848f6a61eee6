#include "about/about_box.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVersionNumber>

#include "about/system_info.h"
#include "core/number_to_text.h"
#include "image/program_icon.h"
#include "view/image_control.h"

namespace tessara {
namespace {

constexpr Single kClientWidth = 5736;
constexpr Single kClientHeight = 3564;

constexpr int kDisclaimerBlanks = 68;

const SeparatorLine kSeparator[] = {
    {105, 2466, 5660, 2466, qRgb(255, 255, 255), 2},  // Line1(0)
    {90, 2451, 5660, 2451, qRgb(128, 128, 128), 1},   // Line1(1)
};

QLabel* label(QWidget* parent, const char* name, const TwipsRect& place) {
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setGeometry(toPixels(place));
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                    const TwipsRect& place) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(toPixels(place));
    return b;
}

}  // namespace

QString aboutDisclaimer() {
    return QStringLiteral("Tessara is provided as is, and comes with no warranty.") +
           QString(kDisclaimerBlanks, QLatin1Char(' '));
}

QString versionText(int major, int minor, int revision) {
    return QStringLiteral("Version ") + integerToText(major) + QLatin1Char('.') +
           integerToText(minor) + QLatin1Char('.') + integerToText(revision);
}

const SeparatorLine& separatorLine(int index) {
    return kSeparator[index];
}

frmAbout::frmAbout(Services services)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      services_(services) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowIcon(tessaraIcon());
    setModal(false);
    setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));
    QFont small = font();
    small.setPointSize(8);  // the size the controls were laid out for
    setFont(small);

    // Made in their tab order, which is the order of the window's focus chain. The labels
    // take no focus, so Tab goes from one button to the other.
    cmdOK = button(this, "cmdOK", QStringLiteral("OK"), {4245, 2625, 1260, 345});
    cmdOK->setDefault(true);
    cmdSysInfo =
        button(this, "cmdSysInfo", QStringLiteral("&System Info..."), {4260, 3075, 1245, 345});
    lblDescription = label(this, "lblDescription", {1050, 1125, 3885, 1170});
    lblDescription->setText(QString::fromLatin1(kAboutDescription));
    lblDisclaimer = label(this, "lblDisclaimer", {255, 2625, 3870, 825});
    lblDisclaimer->setText(aboutDisclaimer());
    lblTitle = label(this, "lblTitle", {1050, 240, 3885, 480});
    QFont title(QStringLiteral("MS Sans Serif"));
    title.setStyleHint(QFont::SansSerif);  // whatever sans serif font this system has
    title.setPointSize(18);
    title.setWeight(QFont::Normal);
    lblTitle->setFont(title);
    lblVersion = label(this, "lblVersion", {1050, 780, 3885, 225});

    Image1 = new ImageControl(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(QStringLiteral("A map under a hex grid"));
    Image1->setLeft(0);
    Image1->setTop(240);
    Image1->setWidth(975);
    Image1->setHeight(855);
    Image1->setPicture(Picture(QImage(QStringLiteral(":/tessara/about.bmp"))));

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

void frmAbout::showAbout() {
    if (!isVisible()) {
        Form_Load();
        show();
        cmdOK->setFocus();
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void frmAbout::Form_Load() {
    const QString title = QApplication::applicationName();
    const QVersionNumber version = QVersionNumber::fromString(QApplication::applicationVersion());
    setWindowTitle(QStringLiteral("About ") + title);
    lblVersion->setText(
        versionText(version.majorVersion(), version.minorVersion(), version.microVersion()));
    lblTitle->setText(title);
}

void frmAbout::cmdOK_Click() {
    accept();  // closes the window; the next About loads it again
}

void frmAbout::reject() {
    cmdOK_Click();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

void frmAbout::StartSysInfo() {
    tessara::StartSysInfo(services_.registry, services_.files, services_.programs,
                          services_.messages);
}

void frmAbout::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    for (const SeparatorLine& line : kSeparator) {
        const int left = twipsToPixels(line.x1);
        const int top = twipsToPixels(line.y1);
        painter.fillRect(QRect(left, top, twipsToPixels(line.x2) - left, line.width),
                         QColor(line.colour));
    }
}

}  // namespace tessara
