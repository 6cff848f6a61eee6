// The main window's controls and menus, with their captions, design positions (twips),
// names and tab order.
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>

#include "view/image_control.h"
#include "view/offset_rule.h"
#include "view/scroll_bar.h"
#include "view/viewport.h"

#include "view/status_box.h"
#include "window/cursor_zoom.h"
#include "window/edit_history.h"
#include "window/edit_menu.h"
#include "window/grid_finding.h"
#include "window/grid_fitting.h"
#include "window/hex_terrain_panel.h"
#include "window/main_window.h"
#include "window/map_exports.h"
#include "window/map_sources.h"
#include "window/menu_items.h"
#include "window/photo_flattening.h"
#include "window/scale_printing.h"
#include "window/settings_files.h"

namespace tessara {
namespace {

template <typename W>
W* named(W* widget, const char* name, const QString& accessibleName = {}) {
    widget->setObjectName(QLatin1String(name));
    if (!accessibleName.isEmpty()) {
        widget->setAccessibleName(accessibleName);
    }
    return widget;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, const TwipsRect& r) {
    auto* l = named(new QLabel(caption, parent), name);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Labels run up to (Label1 a pixel under) the box beside them; wrapping a few pixels
    // short keeps their text clear of it in any font.
    l->setContentsMargins(0, 0, 4, 0);
    l->setGeometry(toPixels(r));
    return l;
}

QScrollBar* scrollBar(Qt::Orientation orientation, QWidget* parent, const char* name,
                      const QString& accessibleName) {
    auto* bar = named(new ScrollBar(orientation, parent), name, accessibleName);
    bar->setRange(0, kScrollMax);
    bar->setSingleStep(1);  // arrow
    bar->setPageStep(10);   // track
    bar->setValue(0);
    bar->setTracking(false);  // the image moves when a dragged thumb is released
    bar->setFocusPolicy(Qt::StrongFocus);
    return bar;
}

}  // namespace

void Form1::buildControls() {
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("Form1Client"));
    setCentralWidget(client_);

    Picture1 = named(new Viewport(client_), "Picture1", QStringLiteral("Map view"));
    picture1Place_ = std::make_unique<PlacedControl>(Picture1, TwipsRect{240, 120, 7575, 2055});
    Imgdisplay =
        named(new ImageControl(Picture1->inner()), "Imgdisplay", QStringLiteral("Map picture"));
    Imgdisplay->setWidth(7575);
    Imgdisplay->setHeight(2055);

    HScroll1 =
        scrollBar(Qt::Horizontal, client_, "HScroll1", QStringLiteral("Scroll the map across"));
    hscroll1Place_ = std::make_unique<PlacedControl>(HScroll1, TwipsRect{240, 2400, 7575, 255});
    VScroll2 =
        scrollBar(Qt::Vertical, client_, "VScroll2", QStringLiteral("Scroll the map up and down"));
    vscroll2Place_ = std::make_unique<PlacedControl>(VScroll2, TwipsRect{7920, 120, 255, 2055});

    Frame1 = named(new QGroupBox(QStringLiteral("Map Details"), client_), "Frame1");
    frame1Place_ = std::make_unique<PlacedControl>(Frame1, TwipsRect{240, 3240, 3615, 975});
    Label1 = label(Frame1, "Label1", QStringLiteral("Horizontal dimension (e.g. in miles or km) "),
                   {120, 360, 2175, 495});
    txtMapSize = named(new QLineEdit(Frame1), "txtMapSize",
                       QStringLiteral("Horizontal dimension (e.g. in miles or km)"));
    txtMapSize->setGeometry(toPixels({2280, 240, 1335, 375}));
    Label1->setBuddy(txtMapSize);

    Frame2 = named(new QGroupBox(QStringLiteral("Hex Details"), client_), "Frame2");
    frame2Place_ = std::make_unique<PlacedControl>(Frame2, TwipsRect{4080, 3240, 3375, 1935});
    Label2 = label(Frame2, "Label2", QStringLiteral("Distance between Hex flats (in miles or km)"),
                   {120, 360, 2055, 495});
    txtHexF = named(new QLineEdit(Frame2), "txtHexF",
                    QStringLiteral("Distance between Hex flats (in miles or km)"));
    txtHexF->setGeometry(toPixels({2280, 360, 975, 285}));
    Label2->setBuddy(txtHexF);
    Label3 = label(Frame2, "Label3", QStringLiteral("Hex colour"), {120, 960, 2055, 255});
    cmbColour = named(new QComboBox(Frame2), "cmbColour", QStringLiteral("Hex colour"));
    cmbColour->setGeometry(toPixels({2160, 840, 1095, 315}));
    Label3->setBuddy(cmbColour);
    Label4 =
        label(Frame2, "Label4", QStringLiteral("Line thickness (pixels)"), {120, 1440, 1935, 255});
    cmbThick = named(new QComboBox(Frame2), "cmbThick", QStringLiteral("Line thickness (pixels)"));
    cmbThick->setGeometry(toPixels({2160, 1440, 975, 315}));
    Label4->setBuddy(cmbThick);

    Command1 = named(new QPushButton(QStringLiteral("Generate Hex Grid"), client_), "Command1");
    command1Place_ = std::make_unique<PlacedControl>(Command1, TwipsRect{1680, 4320, 1815, 615});
    // Enter presses the button when it has the focus, as Space does.
    Command1->setAutoDefault(true);

    // Frames, labels and the hidden map take no focus; the first to get it is HScroll1.
    const QList<QWidget*> order = {HScroll1, txtMapSize, txtHexF,  cmbColour,
                                   cmbThick, Command1,   Picture1, VScroll2};
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
    HScroll1->setFocus();

    connect(HScroll1, &QScrollBar::valueChanged, this, &Form1::HScroll1_Change);
    connect(VScroll2, &QScrollBar::valueChanged, this, &Form1::VScroll2_Change);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Imgdisplay, &ImageControl::mouseDown, this, &Form1::Imgdisplay_MouseDown);
    connect(Imgdisplay, &ImageControl::mouseUp, this, &Form1::Imgdisplay_MouseUp);
    connect(Picture1, &Viewport::lostFocus, this, &Form1::Picture1_LostFocus);
}

void Form1::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    const auto command = [this](QMenu* menu, const char* name, const QString& caption,
                                void (Form1::*handler)()) {
        QAction* action = item(menu, name, caption);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    // The features reach the window only through these parts.
    MapWindow parts(this, services_);
    parts.dialog = &CommonDialog1;
    parts.map = &picMap_;
    parts.image = Imgdisplay;
    parts.viewport = Picture1;
    parts.mapSize = txtMapSize;
    parts.hexSize = txtHexF;
    parts.colour = cmbColour;
    parts.thickness = cmbThick;
    parts.lineWidths = &state_.lineWidths;
    parts.progressDelay = &progressDelay_;
    parts.mapFile = &state_.mapFile;
    history_ = new EditHistory(this);
    parts.history = history_;
    parts.status = new StatusBox(Picture1->inner());
    parts.across = HScroll1;
    parts.down = VScroll2;
    parts.zoom = [this](Zoom zoom) { applyZoom(zoom); };
    parts.viewSize = [this] { return QSizeF(picture1Place_->Width(), picture1Place_->Height()); };
    parts.closeUp = [this](int across, int down) {
        mnu5to1_Click();
        HScroll1->setValue(across);
        VScroll2->setValue(down);
    };

    mnuGrid = new QMenu(QStringLiteral("&Grid"), this);
    mnuGrid->setObjectName(QStringLiteral("mnuGrid"));
    fitting_ = new GridFitting(parts, mnuGrid);
    new GridFinding(parts, *fitting_, mnuGrid);
    auto* photos = new PhotoFlattening(parts, *fitting_, mnuGrid,
                                       [this](const QString& path) { return openMap(path); });
    printing_ = new ScalePrinting(parts, *fitting_);
    exports_ = new MapExports(parts, *fitting_, *printing_);
    auto* terrain = new HexTerrainPanel(parts, *fitting_, mnuGrid);
    exports_->setTerrain([terrain] { return terrain->boardTerrain(); });
    new SettingsFiles(parts, *fitting_, *printing_, *terrain, mnuGrid);
    sources_ = new MapSources(parts, [this](const QString& path) { openMap(path); });
    new CursorZoom(parts);

    mnuFile = bar->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuLoad =
        command(mnuFile, "mnuLoad", QStringLiteral("Load Map Picture"), &Form1::mnuLoad_Click);
    mnuSave = command(mnuFile, "mnuSave", QStringLiteral("Save Map"), &Form1::mnuSave_Click);
    mnuPrint = command(mnuFile, "mnuPrint", QStringLiteral("Print Map"), &Form1::mnuPrint_Click);
    mnuFile->addActions(
        {printing_->action(), exports_->exportMapAction(), exports_->exportGridAction()});
    mnuFile->addMenu(exports_->exportForMenu());
    // After the items of old, so that the keys that reach them stay the same.
    mnuFile->addActions({photos->openAction(), photos->joinAction(), terrain->exportAction()});
    separator(mnuFile, "Sep1");
    mnuExit = command(mnuFile, "mnuExit", QStringLiteral("Exit"), &Form1::mnuExit_Click);
    bar->addMenu((new EditMenu(this, history_))->menu());

    mnuZoom = bar->addMenu(QStringLiteral("&Zoom"));
    mnuZoom->setObjectName(QStringLiteral("mnuZoom"));
    mnuNormal = command(mnuZoom, "mnuNormal", QStringLiteral("&Normal"), &Form1::mnuNormal_Click);
    separator(mnuZoom, "mnuSep1");
    mnu1to5 = command(mnuZoom, "mnu1to5", QStringLiteral("1:5"), &Form1::mnu1to5_Click);
    mnu1to3 = command(mnuZoom, "mnu1to3", QStringLiteral("1:3"), &Form1::mnu1to3_Click);
    mnu1to2 = command(mnuZoom, "mnu1to2", QStringLiteral("1:2"), &Form1::mnu1to2_Click);
    separator(mnuZoom, "mnuSep2");
    mnu2to1 = command(mnuZoom, "mnu2to1", QStringLiteral("2:1"), &Form1::mnu2to1_Click);
    mnu3to1 = command(mnuZoom, "mnu3to1", QStringLiteral("3:1"), &Form1::mnu3to1_Click);
    mnu5to1 = command(mnuZoom, "mnu5to1", QStringLiteral("5:1"), &Form1::mnu5to1_Click);

    mnuScroll = bar->addMenu(QStringLiteral("Scroll Speed"));
    mnuScroll->setObjectName(QStringLiteral("mnuScroll"));
    mnuSlow = command(mnuScroll, "mnuSlow", QStringLiteral("Slow"), &Form1::mnuSlow_Click);
    mnuMedium = command(mnuScroll, "mnuMedium", QStringLiteral("Medium"), &Form1::mnuMedium_Click);
    mnuFast = command(mnuScroll, "mnuFast", QStringLiteral("Fast"), &Form1::mnuFast_Click);
    for (QAction* speed : {mnuSlow, mnuMedium, mnuFast}) {
        speed->setCheckable(true);
    }
    mnuMedium->setChecked(true);

    bar->addMenu(mnuGrid);

    // A command on the menu bar itself, with no submenu.
    mnuInformation = bar->addAction(QStringLiteral("Map &Dimensions"));
    mnuInformation->setObjectName(QStringLiteral("mnuInformation"));
    mnuInformation->setEnabled(false);
    connect(mnuInformation, &QAction::triggered, this, &Form1::mnuInformation_Click);

    mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuContents =
        command(mnuHelp, "mnuContents", QStringLiteral("&Contents"), &Form1::mnuContents_Click);
    mnuHelp->addAction(sources_->sampleAction());
    separator(mnuHelp, "mnuSep3");
    // About stays the last item of Help, as on every desktop.
    mnuAbout = command(mnuHelp, "mnuAbout", QStringLiteral("About"), &Form1::mnuAbout_Click);
}

}  // namespace tessara
