#include "window/photo_flattening.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <algorithm>
#include <new>
#include <optional>

#include "photo/printed_fit.h"
#include "view/status_box.h"
#include "window/busy_cursor.h"
#include "window/edit_history.h"
#include "window/grid_fitting.h"
#include "window/map_messages.h"
#include "window/map_picture_dialog.h"
#include "window/measure_messages.h"
#include "window/pdf_map.h"
#include "window/photo_messages.h"
#include "window/progress_window.h"

namespace tessara {
namespace {

// What the window shows of a map: the picture, the grid fitted to it, and the size boxes,
// which are the sizes of that picture.
struct ShownMap {
    Picture map;
    GridFit fit;
    QString mapSize;
    QString hexSize;
};

ShownMap shownOn(const MapWindow& window, const GridFitting& fitting) {
    return {window.map->picture(),
            {fitting.options(), fitting.numbering()},
            window.mapSize->text(),
            window.hexSize->text()};
}

// The picture first, so that the grid's hex size fills the boxes from the new map's width.
void putMap(const MapWindow& window, GridFitting& fitting, const Picture& map, const GridFit& fit) {
    window.map->setPicture(map);
    window.zoom(Zoom::Normal);
    fitting.putFit(fit);
}

void show(const MapWindow& window, GridFitting& fitting, const ShownMap& shown) {
    putMap(window, fitting, shown.map, shown.fit);
    window.mapSize->setText(shown.mapSize);
    window.hexSize->setText(shown.hexSize);
    fitting.mapExchanged();
}

// A photo flattened by its grid, kept so that Undo gives back the photo with the grid and
// the sizes it had, and Redo the board with its own.
class FlattenedPhoto : public PictureStep {
  public:
    using Show = std::function<void(const ShownMap&)>;
    FlattenedPhoto(const QString& what, ShownMap photo, ShownMap board, Show show)
        : PictureStep(what),
          photo_(std::move(photo)),
          board_(std::move(board)),
          show_(std::move(show)) {}

    void undo() override { show_(photo_); }
    void redo() override {
        if (!first_) {  // the first redo is the command itself, which showed the board
            show_(board_);
        }
        first_ = false;
    }
    size_t bytes() const override {
        return static_cast<size_t>(photo_.map.image().sizeInBytes() +
                                   board_.map.image().sizeInBytes());
    }

  private:
    ShownMap photo_;
    ShownMap board_;
    Show show_;
    bool first_ = true;
};

}  // namespace

PhotoFlattening::PhotoFlattening(const MapWindow& window, GridFitting& fitting, QMenu* menu,
                                 Open open)
    : QObject(window.window),
      window_(window),
      fitting_(fitting),
      load_(std::move(open)),
      corners_(window, fitting,
               [this](const BoardCorners& corners) { flattenShown(From::Corners, corners); }) {
    QAction* measure = menu->findChild<QAction*>(QStringLiteral("mnuMeasureHexes"));
    flatten_ = new QAction(QStringLiteral("Flatten by the &Printed Grid"), menu);
    flatten_->setObjectName(QStringLiteral("mnuFlattenPhoto"));
    byCorners_ = new QAction(QStringLiteral("Flatten by Fo&ur Corners"), menu);
    byCorners_->setObjectName(QStringLiteral("mnuFlattenCorners"));
    menu->insertActions(measure, {flatten_, byCorners_});
    const auto greyed = [this] {
        flatten_->setEnabled(window_.hasMap());
        byCorners_->setEnabled(window_.hasMap());
    };
    greyed();
    connect(&fitting_, &GridFitting::mapReplaced, this, greyed);
    connect(flatten_, &QAction::triggered, this, [this] { flattenShown(From::Map); });
    connect(byCorners_, &QAction::triggered, this, [this] { fitting_.startTool(corners_); });

    open_ = new QAction(QStringLiteral("&Open Photo of a Board..."), window.window);
    open_->setObjectName(QStringLiteral("mnuOpenPhoto"));
    connect(open_, &QAction::triggered, this, &PhotoFlattening::openPhoto);
    join_ = new QAction(QStringLiteral("&Join Scanned Sections..."), window.window);
    join_->setObjectName(QStringLiteral("mnuJoinSections"));
    connect(join_, &QAction::triggered, this, &PhotoFlattening::joinChosen);
}

void PhotoFlattening::joinChosen() {
    if (!askMapPicture(*window_.dialog, MapPictures::Several)) {
        return;
    }
    const SectionList list = listSections(window_.dialog->FileNames);
    if (!list.problem.isEmpty()) {
        window_.services.messages.MsgBox(
            pdfUnreadableMessage(QFileInfo(list.file).fileName(), list.problem));
        return;
    }
    const std::vector<SectionFile>& sections = list.sections;
    const auto count = static_cast<int>(sections.size());
    if (count < 2 || count > kMostSections) {
        window_.services.messages.MsgBox(sectionCountMessage(count, kMostSections));
        return;
    }
    std::optional<double> dpi = kPdfDpi;
    if (std::any_of(sections.begin(), sections.end(), [](const SectionFile& s) { return s.pdf; })) {
        dpi = askPdfResolution(window_.services.questions);
    }
    if (!dpi) {
        return;
    }
    std::pair<JoiningProblem, int> outcome;
    try {
        const BusyCursor busy;
        ProgressWindow progress(window_.window, tr("Join Scanned Sections"),
                                ProgressWindow::Cancel::Offered, *window_.progressDelay);
        outcome = join(sections, *dpi, progress);
    } catch (const WorkCancelled&) {
        return;
    }
    const QString name = outcome.second >= 0 ? sectionName(sections[outcome.second]) : "";
    switch (outcome.first) {
        case JoiningProblem::None:
            return;
        case JoiningProblem::NoGrid:
            window_.services.messages.MsgBox(sectionWithoutGridMessage(name));
            return;
        case JoiningProblem::NoOverlap:
            window_.services.messages.MsgBox(sectionApartMessage(name));
            return;
        case JoiningProblem::TooLong:
        case JoiningProblem::OutOfMemory:
            window_.services.messages.MsgBox(flattenOutOfMemoryMessage());
            return;
    }
}

std::pair<JoiningProblem, int> PhotoFlattening::join(const std::vector<SectionFile>& sections,
                                                     double dpi, Progress& progress) {
    int unreadable = -1;
    const auto source = [&](int k) {
        const SectionFile& section = sections[static_cast<size_t>(k)];
        QImage picture;
        try {
            picture = section.pdf ? section.rendered(dpi) : LoadPicture(section.path).image();
        } catch (const PictureError&) {
        }
        if (picture.isNull()) {
            unreadable = k;
        }
        return picture;
    };
    try {
        const JoinedBoard joined =
            joinSections(static_cast<int>(sections.size()), source, std::nullopt, progress);
        if (unreadable >= 0) {
            window_.services.messages.MsgBox(
                sectionUnreadableMessage(sectionName(sections[unreadable])));
            return {JoiningProblem::None, -1};
        }
        if (joined.problem != JoiningProblem::None) {
            return {joined.problem, joined.section};
        }
        FlattenedBoard flat;
        flat.board = joined.board;
        flat.options = joined.options;
        flat.plan = joined.plan;
        showBoard(
            std::move(flat), QStringLiteral("Join Scanned Sections"), progress,
            joinedStatus(static_cast<int>(sections.size()), joined.board.size(), joined.options) +
                u' ' + seamStatus(joined.worstSeam));
        return {JoiningProblem::None, -1};
    } catch (const std::bad_alloc&) {
        return {JoiningProblem::OutOfMemory, -1};
    }
}

QString PhotoFlattening::sectionName(const SectionFile& section) {
    return section.named(u'"' + QFileInfo(section.path).fileName() + u'"');
}

void PhotoFlattening::openPhoto() {
    if (askMapPicture(*window_.dialog) && load_(window_.dialog->FileName)) {
        flattenShown(From::OpenedPhoto);
    }
}

void PhotoFlattening::flattenShown(From from, const BoardCorners& corners) {
    FlatteningProblem problem = FlatteningProblem::None;
    try {
        const BusyCursor busy;
        ProgressWindow progress(window_.window,
                                from == From::Corners ? tr("Flatten by Four Corners")
                                                      : tr("Flatten by the Printed Grid"),
                                ProgressWindow::Cancel::Offered, *window_.progressDelay);
        problem = from == From::Corners ? flatten(corners, progress) : flatten(progress);
    } catch (const WorkCancelled&) {
        return;  // the map and its grid are as they were
    }
    switch (problem) {
        case FlatteningProblem::None:
            return;
        case FlatteningProblem::NoGrid:
            // The corners give a grid of their own, unless they make no board.
            window_.services.messages.MsgBox(from == From::OpenedPhoto
                                                 ? photoLoadedUnflattenedMessage()
                                                 : noGridOnPhotoMessage());
            return;
        case FlatteningProblem::TooLong:  // only for a hex size asked; the window asks none
        case FlatteningProblem::OutOfMemory:
            window_.services.messages.MsgBox(flattenOutOfMemoryMessage());
            return;
    }
}

FlatteningProblem PhotoFlattening::flatten(Progress& progress) {
    try {
        return showBoard(
            flattenByPrintedGrid(window_.map->picture().image(), std::nullopt, progress),
            QStringLiteral("Flatten by the Printed Grid"), progress);
    } catch (const std::bad_alloc&) {
        return FlatteningProblem::OutOfMemory;
    }
}

FlatteningProblem PhotoFlattening::flatten(const BoardCorners& corners, Progress& progress) {
    try {
        return showBoard(
            flattenByCorners(window_.map->picture().image(), corners, std::nullopt, progress),
            QStringLiteral("Flatten by Four Corners"), progress);
    } catch (const std::bad_alloc&) {
        return FlatteningProblem::OutOfMemory;
    }
}

FlatteningProblem PhotoFlattening::showBoard(FlattenedBoard flat, const QString& what,
                                             Progress& progress, const QString& done) {
    if (flat.problem != FlatteningProblem::None) {
        return flat.problem;
    }
    // The lines are measured on the board as the user would look at it; not for the corners'
    // own grid, which no line was found to follow.
    progress.step(QStringLiteral("Measuring the printed lines on the board"));
    const PrintedFit fit = flat.cornersOnly ? PrintedFit{} : printedFit(flat.board, flat.options);
    const ShownMap photo = shownOn(window_, fitting_);
    putMap(window_, fitting_, Picture(std::move(flat.board)), fitting_.fitted(flat.options));
    // Empty size boxes get sizes that keep the hexes, so Generate Hex Grid draws them.
    const bool filled = fitting_.fillSizesForFit();
    fitting_.mapExchanged();
    window_.history->push(
        new FlattenedPhoto(what, photo, shownOn(window_, fitting_),
                           [this](const ShownMap& shown) { show(window_, fitting_, shown); }));
    fitting_.showPreview();
    QString status = done.isEmpty()
                         ? flattenedStatus(window_.map->picture().image().size(), flat.options)
                         : done;
    if (flat.capped) {
        status +=
            u' ' + cappedHexesStatus(flat.plan.hexPixels, flat.plan.largestSeen, kFlatLongestSide);
    }
    if (flat.cornersOnly) {
        status += u' ' + cornersOnlyStatus();
    } else if (fit.worst > 0) {
        const QSize board = window_.map->picture().image().size();
        status += u' ' + printedFitStatus(fit.median, fit.worst, fit.worstAt, board);
        fitting_.cornerTour().addWorst(fit.worstAt, QSizeF(board));
    }
    if (filled) {
        status += u' ' + sizesFilledStatus(window_.mapSize->text(), window_.hexSize->text());
    }
    window_.status->setMessage(status);
    return FlatteningProblem::None;
}

}  // namespace tessara
