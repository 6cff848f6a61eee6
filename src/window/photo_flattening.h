// A phone photo of a board made the map: Grid > Flatten by the Printed Grid finds the hex
// grid printed on the photo, through its perspective and its lens, and puts the board in
// place, drawn again as a flat scan would show it, with every Grid Options field set to its
// grid, in one step that Undo takes back. File > Open Photo of a Board loads a photo and
// flattens it at once; without a grid on it, the photo stays loaded as it was taken. File >
// Join Scanned Sections joins the scans of a map's sections on their printed grid.
#pragma once

#include <QObject>
#include <functional>

#include "core/progress.h"
#include "image/section_files.h"
#include "photo/board_flattening.h"
#include "photo/section_joining.h"
#include "window/four_corners.h"
#include "window/map_window.h"

class QAction;
class QMenu;

namespace tessara {

class GridFitting;

class PhotoFlattening : public QObject {
    Q_OBJECT
  public:
    // Loads a picture as Load Map Picture does once it is chosen; true when it loaded.
    using Open = std::function<bool(const QString& path)>;
    // Puts Flatten by the Printed Grid and Flatten by Four Corners into the Grid menu, before
    // Measure Hexes; greyed while there is no map.
    PhotoFlattening(const MapWindow& window, GridFitting& fitting, QMenu* menu, Open open);

    // Open Photo of a Board and Join Scanned Sections, for the File menu.
    QAction* openAction() const { return open_; }
    QAction* joinAction() const { return join_; }

    // The work of the Grid menu's item, reporting to `progress`: when a grid is found, the
    // board and its grid replace the map and its grid as one step of the history. The
    // problem is returned for the caller to tell. Throws WorkCancelled, with nothing
    // changed, when `progress` says stop.
    FlatteningProblem flatten(Progress& progress);
    // The same for Flatten by Four Corners, once the corners are clicked and their hexes
    // typed.
    FlatteningProblem flatten(const BoardCorners& corners, Progress& progress);
    // Join Scanned Sections once the files are chosen: the joined board and its grid replace
    // the map as one step, or the problem and the section it is about (from 0) come back.
    // Throws WorkCancelled, with nothing changed, when `progress` says stop.
    // A PDF's pages are drawn at `dpi`.
    std::pair<JoiningProblem, int> join(const std::vector<SectionFile>& sections, double dpi,
                                        Progress& progress);

  private:
    enum class From { Map, OpenedPhoto, Corners };
    void flattenShown(From from, const BoardCorners& corners = {});
    FlatteningProblem showBoard(FlattenedBoard flat, const QString& what, Progress& progress,
                                const QString& done = {});
    void openPhoto();
    void joinChosen();
    static QString sectionName(const SectionFile& section);

    MapWindow window_;
    GridFitting& fitting_;
    Open load_;
    FourCorners corners_;
    QAction* flatten_ = nullptr;
    QAction* byCorners_ = nullptr;
    QAction* open_ = nullptr;
    QAction* join_ = nullptr;
};

}  // namespace tessara
