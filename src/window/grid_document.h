// The grid the window fits to its map: how it lies on the map and how its hexes are numbered.
// Every change the user makes is a step of the undo history; the menus, the preview and the
// tools read the grid here and follow its changed signal. The grid is held whole: one value,
// read by grid(), changed by change() or put().
#pragma once

#include <QObject>
#include <QString>

#include "grid/grid_options.h"
#include "window/options_change.h"

namespace tessara {

class EditHistory;

class GridDocument : public QObject {
    Q_OBJECT
  public:
    // Which changes join the step before them in the history, when it has the same name.
    enum class Joins { Nothing = -1, Nudges = 1, FieldEdits = 2 };

    GridDocument(EditHistory& history, QObject* parent);

    const GridFit& grid() const { return grid_; }
    // A change by the user: one step of the history named `what`; the same grid again is no
    // step at all.
    void change(const GridFit& after, const QString& what, Joins joins = Joins::Nothing);
    // Put in place without a step of its own: for Undo and Redo, and for steps of the history
    // that hold more than the grid.
    void put(const GridFit& grid);

  signals:
    // After every change and every put, with the grid as it was.
    void changed(const GridFit& before);

  private:
    EditHistory& history_;
    GridFit grid_;
};

// What a change of the options did, as Edit, Undo names it.
QString optionsStepName(const GridOptions& before, const GridOptions& after);

}  // namespace tessara
