#include "window/main_window.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QGroupBox>
#include <QIcon>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>

#include "about/about_box.h"
#include "grid/grid_fields.h"
#include "grid/grid_parameters.h"
#include "image/program_icon.h"
#include "view/image_control.h"
#include "view/offset_rule.h"
#include "view/viewport.h"

namespace tessara {
namespace {

constexpr Single kDesignClientWidth = 8388;
constexpr Single kDesignClientHeight = 5304;
constexpr Single kPictureBoxDesignWidth = 1935;
constexpr Single kPictureBoxDesignHeight = 1215;

}  // namespace

Form1::Form1(Services services, QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      CommonDialog1(services.dialogs, &services.printers, &services.help),
      picMap_(kPictureBoxDesignWidth, kPictureBoxDesignHeight) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kMainWindowCaption));
    setWindowIcon(tessaraIcon());
    // The controls were sized for a small dialog font; 8 points keeps every caption inside.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    buildControls();
    buildMenus();
    resize(twipsToPixels(kDesignClientWidth),
           twipsToPixels(kDesignClientHeight) + menuBar()->sizeHint().height());
    Form_Load();
}

Form1::~Form1() {
    // Destroying a shown window takes the focus from the viewport; its handler must not run
    // on a window that is half destroyed.
    disconnect(Picture1, nullptr, this, nullptr);
}

void Form1::Form_Load() {
    cmbColour->clear();  // a second load lists each choice once
    cmbThick->clear();
    cmbColour->addItems(field::kColour.words());
    cmbColour->setCurrentIndex(0);
    cmbThick->addItems(field::kThickness.words());
    cmbThick->setCurrentIndex(0);
    state_.lineWidths = kLineWidths;
    state_.scrollSpeed = 0.005F;
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // Tell the window manager the minimum too, so that a drag stops there instead of being
    // set back afterwards.
    const int frameWidth = frameGeometry().width() - width();
    const int frameHeight = frameGeometry().height() - height();
    setMinimumSize(twipsToPixels(kMinimumWindowWidth) - frameWidth,
                   twipsToPixels(kMinimumWindowHeight) - frameHeight);
    Form_Resize();
}

void Form1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        Form_Resize();  // restoring from the task bar lays out again
    }
}

void Form1::Form_Resize() {
    const LayoutStep step = layoutFor(outerWidth(*this), outerHeight(*this), isMinimized());
    if (const auto* h = std::get_if<SetWindowHeight>(&step)) {
        setOuterHeight(*this, h->height);
    } else if (const auto* w = std::get_if<SetWindowWidth>(&step)) {
        setOuterWidth(*this, w->width);
    } else if (const auto* places = std::get_if<ControlPlaces>(&step)) {
        placeControls(*places);
    }
}

void Form1::placeControls(const ControlPlaces& p) {
    frame1Place_->setLeft(p.frame1Left);
    frame1Place_->setTop(p.frame1Top);
    frame2Place_->setLeft(p.frame2Left);
    frame2Place_->setTop(p.frame2Top);
    command1Place_->setLeft(p.command1Left);
    command1Place_->setTop(p.command1Top);
    picture1Place_->setTop(p.picture1.Top);
    picture1Place_->setLeft(p.picture1.Left);
    picture1Place_->setHeight(p.picture1.Height);
    picture1Place_->setWidth(p.picture1.Width);
    vscroll2Place_->setTop(p.vscroll2Top);
    vscroll2Place_->setLeft(p.vscroll2Left);
    vscroll2Place_->setHeight(p.vscroll2Height);
    hscroll1Place_->setLeft(p.hscroll1Left);
    hscroll1Place_->setWidth(p.hscroll1Width);
    hscroll1Place_->setTop(p.hscroll1Top);
    Imgdisplay->setTop(imageOffset(Imgdisplay->Height(), picture1Place_->Height(),
                                   VScroll2->value(), VScroll2->maximum()));
    Imgdisplay->setLeft(imageOffset(Imgdisplay->Width(), picture1Place_->Width(), HScroll1->value(),
                                    HScroll1->maximum()));
}

TwipsRect Form1::placeOf(const QString& controlName) const {
    if (controlName == QLatin1String("Imgdisplay")) {
        return {Imgdisplay->Left(), Imgdisplay->Top(), Imgdisplay->Width(), Imgdisplay->Height()};
    }
    for (const auto* placed : {picture1Place_.get(), hscroll1Place_.get(), vscroll2Place_.get(),
                               frame1Place_.get(), frame2Place_.get(), command1Place_.get()}) {
        if (placed->widget()->objectName() == controlName) {
            return placed->place();
        }
    }
    return {};
}

void Form1::mnuExit_Click() {
    close();
}

}  // namespace tessara
