// Grid, Flatten by the Printed Grid and File, Open Photo of a Board on the main window, over
// a made-up phone photo of a board, tilted and seen through a barrelling lens.
#include <QAccessible>
#include <QMenu>
#include <QProgressDialog>
#include <QScrollBar>
#include <QTimer>

#include "core/number_to_text.h"
#include "core/numeric.h"
#include "photo/printed_fit.h"
#include "support/form_fixture.h"
#include "support/scripted_progress.h"
#include "support/test_files.h"
#include "synthetic_photo.h"
#include "synthetic_scan.h"
#include "view/status_box.h"
#include "window/edit_history.h"
#include "window/measure_messages.h"
#include "window/photo_flattening.h"
#include "window/photo_messages.h"

using namespace tessara;
using namespace tessara::test;

namespace {

// Hexes of 44 pixels on the board, about 30 on the photo.
QImage boardPhoto() {
    synthetic::PhotoRecipe recipe;
    recipe.size = {640, 480};
    recipe.board.size = {720, 544};
    recipe.board.grid.hexPixels = 44;
    recipe.tilt = 12;
    recipe.k1 = -0.05;
    return synthetic::drawPhoto(recipe);
}

// Lines that look as the user chose them: a fit keeps their look.
const GridOptions kBefore{
    GridOrientation::Columns, 3, 4, ShiftedLines::Second, 1.02, 30.0, 2.0, 0.5, 60, QColor(Qt::red),
    LineStyle::Dashed};

enum class How { GridMenu, OpenPhoto, StopAt, CancelButton };

}  // namespace

TEST_F(FormTest, FlattenByThePrintedGridPutsTheBoardAndItsGridInOneStepOrChangesNothing) {
    ScratchDir dir;
    const QImage photo = boardPhoto();
    QImage blank(320, 240, QImage::Format_RGB32);
    blank.fill(Qt::white);
    writeImage(dir.path("photo.png"), photo, "PNG");
    writeImage(dir.path("blank.png"), blank, "PNG");
    ScriptedProgress counted;
    const FlattenedBoard flat = flattenByPrintedGrid(photo, std::nullopt, counted);
    ASSERT_EQ(flat.problem, FlatteningProblem::None);
    GridOptions fitted = flat.options;
    fitted.opacity = kBefore.opacity;
    fitted.lineColour = kBefore.lineColour;
    fitted.lineStyle = kBefore.lineStyle;
    const QString width = singleToText(toSingle(flat.board.width() / *flat.options.hexPixels));
    const int last = counted.reports - 1;
    EditHistory* history = form.findChild<EditHistory*>();
    const auto shows = [&](const char* when, const QImage& map, const GridOptions& options,
                           const QString& mapSize) {
        SCOPED_TRACE(when);
        EXPECT_EQ(form.picMap().picture().image(), map);
        EXPECT_EQ(image()->picture().image(), map);
        EXPECT_EQ(form.fitting().options(), options);
        EXPECT_EQ(control<QLineEdit>("txtMapSize")->text(), mapSize);
    };
    EXPECT_FALSE(action("mnuFlattenPhoto")->isEnabled()) << "greyed with no map";

    const struct {
        const char* guards;
        How how;
        const char* file;  // loaded before, or the one Open Photo of a Board opens
        int stopAt;
        bool flattened;
        Message (*told)();
    } rows[] = {
        {"the Grid menu's item", How::GridMenu, "photo.png", 0, true, nullptr},
        {"Open Photo loads and flattens", How::OpenPhoto, "photo.png", 0, true, nullptr},
        {"no grid: said", How::GridMenu, "blank.png", 0, false, noGridOnPhotoMessage},
        {"Open Photo, no grid: loaded as it is", How::OpenPhoto, "blank.png", 0, false,
         photoLoadedUnflattenedMessage},
        {"stopped at the first report", How::StopAt, "photo.png", 0, false, nullptr},
        {"stopped half way", How::StopAt, "photo.png", last / 2, false, nullptr},
        {"stopped at the last report", How::StopAt, "photo.png", last, false, nullptr},
        {"no stop asked past it", How::StopAt, "photo.png", last + 1, true, nullptr},
        {"Cancel on the progress window", How::CancelButton, "photo.png", 0, false, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.guards);
        platform.dialogs.answer(dir.path(row.file));
        if (row.how != How::OpenPhoto) {
            action("mnuLoad")->trigger();
        }
        form.fitting().putFit({kBefore, {}});
        control<QLineEdit>("txtMapSize")->clear();
        control<QLineEdit>("txtHexF")->clear();
        action("mnuAlign")->setChecked(false);
        history->clear();
        const auto told = static_cast<std::ptrdiff_t>(platform.messages.shown().size());
        ScriptedProgress progress;
        progress.stopAt = row.stopAt;
        if (row.how == How::StopAt && row.flattened) {
            EXPECT_EQ(form.findChild<PhotoFlattening*>()->flatten(progress),
                      FlatteningProblem::None);
        } else if (row.how == How::StopAt) {
            EXPECT_THROW(form.findChild<PhotoFlattening*>()->flatten(progress), WorkCancelled);
        } else if (row.how == How::CancelButton) {
            form.setProgressDelay(std::chrono::milliseconds(0));
            QTimer::singleShot(0, &form, [this] {
                form.findChild<QProgressDialog*>()->cancel();  // as soon as it shows
            });
            action("mnuFlattenPhoto")->trigger();
        } else {
            action(row.how == How::GridMenu ? "mnuFlattenPhoto" : "mnuOpenPhoto")->trigger();
        }
        const std::vector<Message>& shown = platform.messages.shown();
        EXPECT_EQ(std::vector(shown.begin() + told, shown.end()),
                  row.told ? std::vector{row.told()} : std::vector<Message>{});
        if (!row.flattened) {
            shows("unchanged", QString(row.file) == "photo.png" ? photo : blank, kBefore, "");
            EXPECT_EQ(history->count(), 0);
            EXPECT_FALSE(action("mnuAlign")->isChecked());
            continue;
        }
        shows("flattened", flat.board, fitted, width);
        EXPECT_TRUE(action("mnuAlign")->isChecked()) << "the board's grid shown over it";
        const PrintedFit fit = printedFit(flat.board, flat.options);
        EXPECT_EQ(form.findChild<StatusBox*>()->message(),
                  flattenedStatus(flat.board.size(), flat.options) + ' ' +
                      printedFitStatus(fit.median, fit.worst, fit.worstAt, flat.board.size()) +
                      ' ' + sizesFilledStatus(width, "1"));
        EXPECT_LT(fit.median, 0.2);
        EXPECT_LT(fit.worst, 1.0);
        // Check the Corners ends its tour where the lines fit worst, on this board alone.
        for (int stop = 0; stop < 6; ++stop) {
            action("mnuCorners")->trigger();
        }
        EXPECT_EQ(form.findChild<StatusBox*>()->message(), worstFitStatus());
        EXPECT_EQ(control<QScrollBar>("HScroll1")->value(),
                  std::lround(100 * fit.worstAt.x() / flat.board.width()));
        EXPECT_EQ(control<QScrollBar>("VScroll2")->value(),
                  std::lround(100 * fit.worstAt.y() / flat.board.height()));
        EXPECT_EQ(action("mnuUndo")->text(), "&Undo Flatten by the Printed Grid");
        action("mnuUndo")->trigger();
        shows("undone", photo, kBefore, "");
        action("mnuCorners")->trigger();
        EXPECT_EQ(form.findChild<StatusBox*>()->message(), cornerStatus(0));
        action("mnuRedo")->trigger();
        shows("redone", flat.board, fitted, width);
        EXPECT_EQ(history->count(), 1);
    }
    EXPECT_TRUE(action("mnuFlattenPhoto")->isEnabled());
}

TEST_F(FormTest, PhotoItemsSitBesideTheirKinWithAKeyOfTheirOwnAndAName) {
    const struct {
        const char* guards;
        const char* menu;
        const char* item;
        const QAction* after;
        QString caption;
    } rows[] = {
        {"Alt+G, P", "mnuGrid", "mnuFlattenPhoto", action("mnuFindGrid"),
         "Flatten by the &Printed Grid"},
        {"Alt+G, U", "mnuGrid", "mnuFlattenCorners", action("mnuFlattenPhoto"),
         "Flatten by Fo&ur Corners"},
        // After the File menu's items of old: the arrow keys reach them as before.
        {"Alt+F, O", "mnuFile", "mnuOpenPhoto", control<QMenu>("mnuExportFor")->menuAction(),
         "&Open Photo of a Board..."},
        {"Alt+F, J", "mnuFile", "mnuJoinSections", action("mnuOpenPhoto"),
         "&Join Scanned Sections..."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.guards);
        auto* menu = control<QMenu>(row.menu);
        const QList<QAction*> items = menu->actions();
        const auto at = static_cast<int>(items.indexOf(action(row.item)));
        ASSERT_GE(at, 1);
        EXPECT_EQ(items[at - 1], row.after);
        EXPECT_EQ(items[at]->text(), row.caption);
        QStringList keys;
        for (const QAction* item : items) {
            if (const qsizetype amp = item->text().indexOf('&'); amp >= 0) {
                keys << item->text().mid(amp + 1, 1).toLower();
            }
        }
        EXPECT_EQ(keys.removeDuplicates(), 0) << qPrintable(keys.join(' '));
        QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(menu)->child(at);
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->text(QAccessible::Name), QString(row.caption).remove('&'));
    }
}

TEST_F(FormTest, FlattenByFourCornersTakesFourClicksAndTheHexesBetweenThemOrChangesNothing) {
    ScratchDir dir;
    QImage plain(400, 300, QImage::Format_RGB32);
    plain.fill(QColor(200, 220, 180));
    writeImage(dir.path("plain.png"), plain, "PNG");
    const std::array<QPointF, 4> quad{{{40, 30}, {360, 50}, {350, 270}, {30, 250}}};
    EditHistory* history = form.findChild<EditHistory*>();
    EXPECT_FALSE(action("mnuFlattenCorners")->isEnabled()) << "greyed with no map";
    const struct {
        const char* guards;
        std::array<QPointF, 4> clicks;
        std::optional<std::vector<double>> hexes;
        std::vector<Message> told;
    } rows[] = {
        {"three on one line",
         {{{40, 30}, {200, 30}, {360, 30}, {200, 250}}},
         {{8, 5}},
         {fourCornersMessage(), notFourCornersMessage()}},
        {"the hexes not typed", quad, std::nullopt, {fourCornersMessage()}},
        {"flattened", quad, {{8, 5}}, {fourCornersMessage()}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.guards);
        platform.dialogs.answer(dir.path("plain.png"));
        action("mnuLoad")->trigger();
        const auto told = static_cast<std::ptrdiff_t>(platform.messages.shown().size());
        const bool asked = row.told.size() == 1;  // no hexes are asked of points that make no board
        if (asked) {
            platform.questions.answerNumbers(row.hexes);
        }
        action("mnuFlattenCorners")->trigger();
        for (const QPointF at : row.clicks) {
            EXPECT_TRUE(form.fitting().clickedAt(static_cast<Single>(at.x() * kTwipsPerPixel),
                                                 static_cast<Single>(at.y() * kTwipsPerPixel)));
        }
        EXPECT_FALSE(form.fitting().clickedAt(0, 0)) << "the map's clicks are free again";
        const std::vector<Message>& shown = platform.messages.shown();
        EXPECT_EQ(std::vector(shown.begin() + told, shown.end()), row.told);
        if (!asked || !row.hexes) {
            EXPECT_EQ(form.picMap().picture().image(), plain);
            EXPECT_EQ(history->count(), 0);
            continue;
        }
        BoardCorners corners{quad, 8, 5, form.fitting().options().orientation};
        const FlattenedBoard flat = flattenByCorners(plain, corners, std::nullopt);
        EXPECT_EQ(form.picMap().picture().image(), flat.board);
        EXPECT_EQ(form.fitting().options().hexPixels, flat.options.hexPixels);
        EXPECT_TRUE(form.findChild<StatusBox*>()->message().contains(cornersOnlyStatus()));
        EXPECT_EQ(action("mnuUndo")->text(), "&Undo Flatten by Four Corners");
        action("mnuUndo")->trigger();
        EXPECT_EQ(form.picMap().picture().image(), plain);
    }
}

TEST(PhotoMessages, TheWorstFitIsPlacedInANinthOfTheBoard) {
    const struct {
        QPointF at;
        const char* part;
    } rows[] = {
        {{0, 0}, "the top left of the board"},         {{299, 10}, "the top right of the board"},
        {{150, 100}, "the middle of the board"},       {{99.9, 100}, "the left of the board"},
        {{100, 100}, "the middle of the board"},       {{150, 199}, "the bottom of the board"},
        {{400, 400}, "the bottom right of the board"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(partOfBoard(row.at, {300, 200}), row.part) << row.at.x() << ", " << row.at.y();
    }
}

// File, Join Scanned Sections: the sections chosen together become one board and its grid in
// one step that Undo takes back, or a message names the section that kept them apart.
TEST_F(FormTest, JoinScannedSectionsPutsTheJoinedBoardInOneStepOrNamesTheSection) {
    ScratchDir dir;
    synthetic::ScanRecipe recipe;
    recipe.size = {900, 600};
    recipe.grid.hexPixels = 36;
    recipe.grid.rotation = 0.5;
    recipe.lineWidth = 2;
    const QImage map = synthetic::drawScan(recipe);
    writeImage(dir.path("left.png"), map.copy(0, 0, 560, 600), "PNG");
    writeImage(dir.path("right.png"), map.copy(380, 0, 520, 600), "PNG");
    QImage blank(320, 240, QImage::Format_RGB32);
    blank.fill(Qt::white);
    writeImage(dir.path("blank.png"), blank, "PNG");
    const QStringList both{dir.path("right.png"), dir.path("left.png")};
    const JoinedBoard joined = joinSections(
        2, [&](int k) { return LoadPicture(both[k]).image(); }, std::nullopt);
    ASSERT_EQ(joined.problem, JoiningProblem::None);
    writePdf(dir.path("pages.pdf"), {map.copy(380, 0, 520, 600), map.copy(0, 0, 560, 600)}, 72);
    writeBytes(dir.path("junk.pdf"), "%PDF-1.4 and nothing else\n");
    EditHistory* history = form.findChild<EditHistory*>();
    const struct {
        const char* guards;
        std::optional<QStringList> chosen;
        std::optional<Message> told;
        bool joins = false;
        std::optional<std::optional<double>> resolution = {};  // asked: the answer
    } rows[] = {
        {"cancelled", std::nullopt, std::nullopt},
        {"one section", QStringList{dir.path("left.png")}, sectionCountMessage(1, 16)},
        {"a section without a grid", QStringList{dir.path("left.png"), dir.path("blank.png")},
         sectionWithoutGridMessage("\"blank.png\"")},
        {"joined", both, std::nullopt, true},
        {"a PDF that cannot be read", QStringList{dir.path("junk.pdf"), dir.path("left.png")},
         Message{"\"junk.pdf\" cannot be opened as a map: it is not a PDF Tessara can read.",
                 "Can't load PDF file"}},
        {"cancelled at the pages' resolution", QStringList{dir.path("pages.pdf")}, std::nullopt,
         false, std::optional<double>()},
        {"a PDF's pages, drawn at the resolution asked once", QStringList{dir.path("pages.pdf")},
         std::nullopt, true, std::optional<double>(72)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.guards);
        const auto told = static_cast<std::ptrdiff_t>(platform.messages.shown().size());
        const auto asked = platform.questions.numbersAsked().size();
        const int steps = history->count();
        platform.dialogs.answerFiles(row.chosen);
        if (row.resolution) {
            platform.questions.answerNumber(*row.resolution);
        }
        action("mnuJoinSections")->trigger();
        EXPECT_EQ(platform.questions.numbersAsked().size(), asked + (row.resolution ? 1 : 0));
        const std::vector<Message>& shown = platform.messages.shown();
        EXPECT_EQ(std::vector(shown.begin() + told, shown.end()),
                  row.told ? std::vector{*row.told} : std::vector<Message>{});
        if (!row.joins) {
            EXPECT_TRUE(form.picMap().picture().isNull());
            EXPECT_EQ(history->count(), steps);
            continue;
        }
        if (!row.resolution) {
            EXPECT_EQ(form.picMap().picture().image(), joined.board);
            EXPECT_EQ(form.fitting().options().hexPixels, joined.options.hexPixels);
        }
        const QString status = form.findChild<StatusBox*>()->message();
        EXPECT_TRUE(status.startsWith("Joined 2 sections into a board of ")) << qPrintable(status);
        EXPECT_TRUE(action("mnuUndo")->isEnabled());
        action("mnuUndo")->trigger();
        EXPECT_TRUE(form.picMap().picture().isNull()) << "Undo gives back the window without a map";
    }
    EXPECT_EQ(platform.questions.numbersAsked().back().maximum, 1200);
    EXPECT_EQ(platform.questions.numbersAsked().back().value, 300);
    EXPECT_TRUE(platform.dialogs.requests().back().nameFilters.contains("PNG (*.png)"));
}
