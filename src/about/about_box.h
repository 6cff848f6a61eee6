// The About box frmAbout: the program's title, version, description, disclaimer and
// picture, an OK button and a System Info button. It is modeless and has no owner, so the
// main window stays usable beside it, and it outlives the main window: the program ends
// when the last of the two is closed. The main window makes one for the whole run.
#pragma once

#include <QDialog>
#include <QRgb>

#include "core/twips.h"
#include "platform/services.h"

class QLabel;
class QPushButton;

namespace tessara {

class ImageControl;

inline constexpr const char* kAboutDescription =
    "This program can be used to generate hexagonal grids over graphics files. This makes "
    "using published maps to build scenario maps for games much easier.";

// A sentence followed by 68 blanks, 122 characters in all.
QString aboutDisclaimer();

// "Version 1.0.0" from the three parts of the application's version.
QString versionText(int major, int minor, int revision);

// One line of the engraved separator, in twips.
struct SeparatorLine {
    Single x1, y1, x2, y2;
    QRgb colour;
    int width;  // pixels
};

class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(Services services);

    // Loads the dialog when it is not open, shows it modeless and brings it forward.
    void showAbout();

  public slots:
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

  protected:
    void paintEvent(QPaintEvent* event) override;
    // Esc and the title bar's close button close it like OK.
    void reject() override;

  private:
    void StartSysInfo();

    Services services_;
    ImageControl* Image1;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QLabel* lblDisclaimer;
    QPushButton* cmdOK;
    QPushButton* cmdSysInfo;
};

// Line1(0) and Line1(1): a white line under a grey one.
const SeparatorLine& separatorLine(int index);

}  // namespace tessara
