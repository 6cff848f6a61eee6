#include "window/grid_finding.h"

#include <QAction>
#include <QMenu>
#include <new>

#include "grid/find_grid.h"
#include "view/status_box.h"
#include "window/busy_cursor.h"
#include "window/grid_fitting.h"
#include "window/measure_messages.h"
#include "window/progress_window.h"

namespace tessara {

GridFinding::GridFinding(const MapWindow& window, GridFitting& fitting, QMenu* menu)
    : QObject(window.window), window_(window), fitting_(fitting) {
    find_ = new QAction(QStringLiteral("&Find Printed Grid"), menu);
    find_->setObjectName(QStringLiteral("mnuFindGrid"));
    menu->insertAction(menu->findChild<QAction*>(QStringLiteral("mnuMeasureHexes")), find_);
    find_->setEnabled(window_.hasMap());
    connect(&fitting_, &GridFitting::mapReplaced, find_,
            [this] { find_->setEnabled(window_.hasMap()); });
    connect(find_, &QAction::triggered, this, &GridFinding::find);
}

void GridFinding::find() {
    const Picture map = window_.map->picture();
    std::optional<GridOptions> found;
    try {
        const BusyCursor busy;
        ProgressWindow progress(window_.window, tr("Find Printed Grid"),
                                ProgressWindow::Cancel::Offered, *window_.progressDelay);
        found = findPrintedGrid(map.image(), progress);
    } catch (const WorkCancelled&) {
        return;  // the options are as they were
    } catch (const std::bad_alloc&) {
        window_.services.messages.MsgBox(findOutOfMemoryMessage());
        return;
    }
    if (!found) {
        window_.services.messages.MsgBox(noPrintedGridMessage());
        return;
    }
    fitting_.showFitted(*found, tr("Find Printed Grid"));
    // Empty size boxes get sizes that keep the hexes found, so Generate Hex Grid draws them.
    const bool filled = fitting_.fillSizesForFit();
    QString status = foundGridStatus(*found);
    if (filled) {
        status += u' ' + sizesFilledStatus(window_.mapSize->text(), window_.hexSize->text());
    }
    window_.status->setMessage(status);
}

}  // namespace tessara
