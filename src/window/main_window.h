// The main window Form1: its controls, menus and layout, the state it shares between its
// commands, and the handlers of its events. Handlers keep the names of the behaviour they
// implement and stay short: they read controls, call the logic, and write controls.
#pragma once

#include <QMainWindow>
#include <array>
#include <chrono>
#include <memory>

#include "core/numeric.h"
#include "image/picture_box.h"
#include "platform/common_dialog.h"
#include "platform/services.h"
#include "view/zoom.h"
#include "window/form_layout.h"
#include "window/placed_control.h"
#include "window/progress_window.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollBar;

namespace tessara {

class EditHistory;
class GridFitting;
class ImageControl;
class MapExports;
class MapSources;
class ScalePrinting;
class Viewport;
class frmAbout;

// The window's state shared between its commands; it lives as long as the window.
struct FormState {
    std::array<Integer, 7> lineWidths{};
    bool dragging = false;
    Single scrollSpeed = 0;
    Single mapWidth = 0;
    Single mapHeight = 0;
    Integer hexColumns = 0;
    Integer hexRows = 0;
    QString mapFile;  // the file the map was loaded from
};

inline constexpr const char* kMainWindowCaption = "Tessara -  a wargame mapping utility";

// The main window: the controls, menus and layout of the program, and the handlers of their
// events. The commands beyond them (fitting the grid, printing at scale, exports, other ways
// to open a map) are feature objects of their own that the window creates and wires.
class Form1 : public QMainWindow {
    Q_OBJECT
  public:
    explicit Form1(Services services, QWidget* parent = nullptr);
    ~Form1() override;

    const FormState& state() const { return state_; }
    PictureBox& picMap() { return picMap_; }
    CommonDialog& commonDialog() { return CommonDialog1; }
    GridFitting& fitting() { return *fitting_; }
    // Position and size, in twips, of a control the layout moves, found by its name.
    TwipsRect placeOf(const QString& controlName) const;
    // How long work runs before its progress dialog appears; tests set it to nothing.
    void setProgressDelay(std::chrono::milliseconds delay) { progressDelay_ = delay; }

  public slots:
    void Form_Load();
    void Form_Resize();
    void mnuExit_Click();

    void mnuNormal_Click();
    void mnu1to5_Click();
    void mnu1to3_Click();
    void mnu1to2_Click();
    void mnu2to1_Click();
    void mnu3to1_Click();
    void mnu5to1_Click();

    void HScroll1_Change();
    void VScroll2_Change();
    void Imgdisplay_MouseDown(Integer button, Integer shift, Single x, Single y);
    void Imgdisplay_MouseUp(Integer button, Integer shift, Single x, Single y);
    void Picture1_LostFocus();
    void mnuSlow_Click();
    void mnuMedium_Click();
    void mnuFast_Click();

    void mnuLoad_Click();
    // Loads the picture as Load Map Picture does once a file is chosen: from the command
    // line ("Open with"), a file dropped on the window, the sample map and a photo of a
    // board. True when it loaded.
    bool openMap(const QString& path);
    void mnuSave_Click();
    void mnuPrint_Click();

    void Command1_Click();

    void mnuInformation_Click();
    void mnuContents_Click();
    void mnuAbout_Click();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void buildControls();
    void buildMenus();
    void placeControls(const ControlPlaces& places);
    void applyZoom(Zoom zoom);

    Services services_;
    FormState state_;
    CommonDialog CommonDialog1;
    PictureBox picMap_;
    std::unique_ptr<frmAbout> aboutBox_;  // made at the first About, kept for the run
    std::chrono::milliseconds progressDelay_ = kProgressDelay;
    GridFitting* fitting_ = nullptr;  // the features, children of the window
    ScalePrinting* printing_ = nullptr;
    MapExports* exports_ = nullptr;
    MapSources* sources_ = nullptr;
    EditHistory* history_ = nullptr;  // what Edit, Undo takes back

    // Controls, named as the rest of the program knows them.
    QWidget* client_ = nullptr;
    Viewport* Picture1 = nullptr;
    ImageControl* Imgdisplay = nullptr;
    QScrollBar* HScroll1 = nullptr;
    QScrollBar* VScroll2 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtMapSize = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtHexF = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* cmbColour = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* cmbThick = nullptr;
    QPushButton* Command1 = nullptr;
    std::unique_ptr<PlacedControl> picture1Place_, hscroll1Place_, vscroll2Place_, frame1Place_,
        frame2Place_, command1Place_;

    // Menus.
    QMenu* mnuFile = nullptr;
    QAction* mnuLoad = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuZoom = nullptr;
    QAction* mnuNormal = nullptr;
    QAction* mnu1to5 = nullptr;
    QAction* mnu1to3 = nullptr;
    QAction* mnu1to2 = nullptr;
    QAction* mnu2to1 = nullptr;
    QAction* mnu3to1 = nullptr;
    QAction* mnu5to1 = nullptr;
    QMenu* mnuScroll = nullptr;
    QAction* mnuSlow = nullptr;
    QAction* mnuMedium = nullptr;
    QAction* mnuFast = nullptr;
    QMenu* mnuGrid = nullptr;
    QAction* mnuInformation = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuContents = nullptr;
    QAction* mnuAbout = nullptr;
};

}  // namespace tessara
