// The main window Form1: its controls, menus and layout, the state it shares between its
// commands, and the handlers of its events. Handlers keep the names of the behaviour they
// implement and stay short: they read controls, call the logic, and write controls.
#pragma once

#include <QMainWindow>
#include <QPointF>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "core/numeric.h"
#include "grid/grid_layout.h"
#include "grid/grid_options.h"
#include "grid/hex_numbers.h"
#include "image/picture_box.h"
#include "image/picture_export.h"
#include "platform/common_dialog.h"
#include "platform/services.h"
#include "view/zoom.h"
#include "window/form_layout.h"
#include "window/placed_control.h"
#include "window/progress_window.h"
#include "window/scale_print_dialog.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QDragEnterEvent;
class QDropEvent;
class QKeyEvent;
class QLineEdit;
class QMenuBar;
class QMenu;
class QPrinter;
class QPushButton;
class QScrollBar;

namespace tessara {

class GridOptionsDialog;
class ImageControl;
class Viewport;
class frmAbout;

// What a click on the map is measuring, if anything.
enum class Measuring { Nothing, Hexes, ScaleBar };

// The window's state shared between its commands; it lives as long as the window.
struct FormState {
    std::array<Integer, 7> lineWidths{};
    bool dragging = false;
    Single scrollSpeed = 0;
    Single mapWidth = 0;
    Single mapHeight = 0;
    Integer hexColumns = 0;
    Integer hexRows = 0;
    GridOptions gridOptions;  // how the next grid is fitted to the map
    HexNumbering numbering;   // and numbered
    Measuring measuring = Measuring::Nothing;
    std::vector<QPointF> measured;  // the points clicked so far, in picture pixels
    ScaleChoice scale;              // Print at Scale's choices, kept for the next time
    int jpegQuality = kJpegQuality;
};

inline constexpr const char* kMainWindowCaption = "Tessara -  a wargame mapping utility";

class Form1 : public QMainWindow {
    Q_OBJECT
  public:
    explicit Form1(Services services, QWidget* parent = nullptr);
    ~Form1() override;

    const FormState& state() const { return state_; }
    PictureBox& picMap() { return picMap_; }
    CommonDialog& commonDialog() { return CommonDialog1; }
    // Position and size, in twips, of a control the layout moves, found by its name.
    TwipsRect placeOf(const QString& controlName) const;
    // The window's outer size (frame, caption and menu bar included), in twips.
    Single outerWidth() const;
    Single outerHeight() const;

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
    // line ("Open with") and from a file dropped on the window.
    void openMap(const QString& path);
    void mnuSave_Click();
    void mnuPrint_Click();
    void mnuPrintScale_Click();
    void mnuExportMap_Click();
    void mnuExportGrid_Click();

    void Command1_Click();

    void mnuGridOptions_Click();
    void mnuAlign_Click();
    void mnuMeasureHexes_Click();
    void mnuMeasureScale_Click();
    void gridOptions_Changed(const GridOptions& options);
    void gridNumbering_Changed(const HexNumbering& numbering);
    void sizeBoxes_Edited();

    void mnuInformation_Click();
    void mnuContents_Click();
    void mnuAbout_Click();
    void mnuSample_Click();

    // The grid the preview shows and Generate Hex Grid would draw now; nothing while there
    // is no map or the sizes do not make one.
    std::optional<GridLayout> gridLayoutNow() const;
    bool previewShown() const;

    // How long work runs before its progress dialog appears; tests set it to nothing.
    void setProgressDelay(std::chrono::milliseconds delay) { progressDelay_ = delay; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildControls();
    void buildMenus();
    void connectHandlers();
    void setTabOrder();
    void applyZoom(Zoom zoom);
    void setOuterWidth(Single twips);
    void setOuterHeight(Single twips);
    void placeControls(const ControlPlaces& places);
    void buildGridMenu(QMenuBar* bar);
    void showGridOptions();
    void refreshPreview();
    bool nudgeGrid(int key, bool fine);
    void setHexPixels(double pixels);
    void startMeasuring(Measuring what);
    void measureAt(Single x, Single y);
    void finishMeasuring();
    std::optional<double> hexPixelsNow() const;
    std::optional<QString> askExportName(const QString& filter, const QString& extension);
    bool paintAtScale(QPrinter& printer, const ScalePrintDialog& dialog);
    void previewAtScale(const ScalePrintDialog& dialog);
    void printAtScale(const ScalePrintDialog& dialog);
    void savePdfAtScale(const ScalePrintDialog& dialog);

    Services services_;
    FormState state_;
    CommonDialog CommonDialog1;
    PictureBox picMap_;
    std::unique_ptr<frmAbout> aboutBox_;              // made at the first About, kept for the run
    GridOptionsDialog* gridOptionsDialog_ = nullptr;  // made at its first use
    std::chrono::milliseconds progressDelay_ = kProgressDelay;

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
    QAction* mnuPrintScale = nullptr;
    QAction* mnuExportMap = nullptr;
    QAction* mnuExportGrid = nullptr;
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
    QAction* mnuGridOptions = nullptr;
    QAction* mnuAlign = nullptr;
    QAction* mnuMeasureHexes = nullptr;
    QAction* mnuMeasureScale = nullptr;
    QAction* mnuInformation = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuContents = nullptr;
    QAction* mnuAbout = nullptr;
    QAction* mnuSample = nullptr;
};

}  // namespace tessara
