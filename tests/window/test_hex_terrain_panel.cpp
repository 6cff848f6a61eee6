// Grid > Hex Terrain... and File > Export Hex Data... on the main window, over a small printed
// hex map of four terrains: the classes proposed, named, merged and corrected, each one step
// that Undo takes back, the tint over the map, the table written and the settings file's
// terrain.
#include <QCheckBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <map>
#include <ranges>

#include "settings/grid_settings.h"
#include "support/form_fixture.h"
#include "support/test_files.h"
#include "terrain/hex_sides.h"
#include "terrain_maps.h"
#include "window/edit_history.h"
#include "window/hex_terrain_panel.h"

using namespace tessara;
using namespace tessara::test;

TEST_F(FormTest, HexTerrainProposesTheClassesAndEveryChangeIsOneStep) {
    ScratchDir dir;
    const TerrainTestMap map =
        drawTerrainMap({4, false, GridOrientation::Rows, ShiftedLines::First, 3, {2}});
    EXPECT_FALSE(action("mnuHexTerrain")->isEnabled()) << "greyed with no map";
    platform.dialogs.answer(writeImage(dir.path("map.png"), map.picture, "PNG"));
    action("mnuLoad")->trigger();
    control<QLineEdit>("txtMapSize")->setText("13.5");
    control<QLineEdit>("txtHexF")->setText("1");
    form.fitting().sizesTyped();
    form.fitting().setOptions(map.layout.options);
    auto* panel = form.findChild<HexTerrainPanel*>();
    EditHistory* history = form.findChild<EditHistory*>();
    const int steps = history->count();
    const QImage untinted = image()->grab().toImage();
    action("mnuHexTerrain")->trigger();
    auto* list = control<QListWidget>("lstTerrainClasses");
    ASSERT_TRUE(panel->panel()->isVisible());
    ASSERT_EQ(list->count(), 4) << "as many classes as the map shows";
    EXPECT_EQ(list->item(0)->text(), "Terrain 1");
    EXPECT_TRUE(list->item(0)->data(Qt::AccessibleTextRole).toString().contains(" hexes"));
    ASSERT_EQ(panel->hexes().size(), map.hexes.size());
    // The class each drawn terrain got most, and how many hexes are of it.
    const auto right = [&] {
        std::map<int, std::map<int, int>> votes;
        for (size_t h = 0; h < map.hexes.size(); ++h) {
            ++votes[map.truth[h]][panel->terrain().hexes[h].terrainClass];
        }
        int count = 0;
        for (const auto& [drawn, found] : votes) {
            count += std::ranges::max(found | std::views::values);
        }
        return count;
    };
    EXPECT_GE(right(), 0.97 * map.hexes.size());
    EXPECT_EQ(history->count(), steps) << "reading proposes, it changes nothing";

    list->item(0)->setText("Woods: #");
    EXPECT_EQ(list->item(0)->text(), "Woods");
    ASSERT_EQ(panel->notes().legend.size(), 4);
    EXPECT_TRUE(panel->notes().legend[0].startsWith("Woods: ")) << "a legend of sample hexes";
    EXPECT_EQ(history->undoText(), "Name Terrain Class");
    EXPECT_GE(right(), 0.97 * map.hexes.size()) << "the samples keep the classes";
    history->undo();
    EXPECT_EQ(panel->notes(), TerrainNotes{});
    EXPECT_EQ(list->item(0)->text(), "Terrain 1");
    history->redo();

    // A hex of another class corrected to the first, whole, by a click on its centre.
    const size_t other = static_cast<size_t>(
        std::ranges::find_if(panel->terrain().hexes,
                             [](const HexTerrain& t) { return t.terrainClass != 0; }) -
        panel->terrain().hexes.begin());
    list->setCurrentRow(0);
    control<QPushButton>("cmdCorrectHexes")->click();
    const QPointF centre = map.hexes[other].centre;
    EXPECT_TRUE(form.fitting().clickedAt(static_cast<Single>(centre.x() * kTwipsPerPixel),
                                         static_cast<Single>(centre.y() * kTwipsPerPixel)));
    EXPECT_EQ(panel->terrain().hexes[other].terrainClass, 0);
    EXPECT_EQ(panel->terrain().hexes[other].share, 1.0);
    EXPECT_EQ(panel->notes().corrections,
              (std::vector<TerrainCorrection>{{map.hexes[other].number, "Woods"}}));

    list->clearSelection();
    list->item(2)->setSelected(true);
    list->item(3)->setSelected(true);
    control<QPushButton>("cmdMergeClasses")->click();
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(history->undoText(), "Merge Terrain Classes");

    // The river, named by a click on a side it follows: every side below the third line.
    const std::vector<HexSide> sides = mapSides(map.layout, map.hexes);
    const auto riverSides = std::ranges::count_if(sides, [&](const HexSide& s) {
        return map.hexes[s.hex].hex.line == 2 && map.hexes[s.neighbour].hex.line == 3;
    });
    const HexSide sample = *std::ranges::find_if(sides, [&](const HexSide& s) {
        return map.hexes[s.hex].hex.line == 2 && map.hexes[s.neighbour].hex.line == 3;
    });
    const QPointF onSide =
        (map.hexes[sample.hex].centre * 0.55 + map.hexes[sample.neighbour].centre * 0.45);
    control<QPushButton>("cmdAddFeature")->click();
    EXPECT_TRUE(form.fitting().clickedAt(static_cast<Single>(onSide.x() * kTwipsPerPixel),
                                         static_cast<Single>(onSide.y() * kTwipsPerPixel)));
    EXPECT_EQ(history->undoText(), "Add Line Feature");
    auto* features = control<QListWidget>("lstLineFeatures");
    ASSERT_EQ(features->count(), 1);
    features->item(0)->setText("River");
    EXPECT_EQ(panel->notes().legend.back(), "River: line " + map.hexes[sample.hex].number + " " +
                                                map.hexes[sample.neighbour].number);
    EXPECT_EQ(features->item(0)->data(Qt::AccessibleTextRole).toString(),
              QStringLiteral("River, %1 sides").arg(riverSides));

    control<QCheckBox>("chkTint")->setChecked(true);
    const QImage tinted = image()->grab().toImage();
    const QPoint at = centre.toPoint() + QPoint(0, 8);  // below the number
    EXPECT_NE(tinted.pixel(at), untinted.pixel(at));
    control<QCheckBox>("chkTint")->setChecked(false);
    EXPECT_EQ(image()->grab().toImage(), untinted);

    platform.dialogs.answer(dir.path("hexes.csv"));
    action("mnuExportHexData")->trigger();
    const QStringList table =
        QString::fromUtf8(readBytes(dir.path("hexes.csv"))).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(table.size(), map.hexes.size() + 1);
    EXPECT_TRUE(table[other + 1].startsWith(map.hexes[other].number + ","));
    EXPECT_TRUE(table[other + 1].endsWith(",Woods,1.00")) << table[other + 1].toStdString();

    EXPECT_EQ(QString::fromUtf8(readBytes(dir.path("hexes.sides.csv"))).count(",River\n"),
              riverSides);

    // The Tiled map carries the classes as they are now, named, as its Terrain layer.
    platform.dialogs.answer(dir.path("board.png"));
    action("mnuExportTiled")->trigger();
    const QByteArray tmx = readBytes(dir.path("board.tmx"));
    EXPECT_TRUE(tmx.contains("<layer id=\"3\" name=\"Terrain\"")) << tmx.left(2000).constData();
    EXPECT_TRUE(tmx.contains("<property name=\"terrain\" value=\"Woods\"/>"));
    EXPECT_EQ(tmx.count("<tile id="), 3);
    ASSERT_EQ(platform.messages.shown().size(), 1) << "the board's message, and no other";

    platform.dialogs.answer(dir.path("fit.hexgrid"));
    action("mnuSaveSettings")->trigger();
    const SettingsRead saved = loadSettings(dir.path("fit.hexgrid"));
    ASSERT_TRUE(saved.settings) << saved.problem.toStdString();
    EXPECT_EQ(saved.settings->terrain, panel->notes());
    for (int k = 0; k < 5; ++k) {
        history->undo();
    }
    EXPECT_EQ(panel->notes(), TerrainNotes{});
    platform.dialogs.answer(dir.path("fit.hexgrid"));
    action("mnuLoadSettings")->trigger();
    EXPECT_EQ(panel->notes(), saved.settings->terrain) << "Load Grid Settings brings it back";
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(platform.messages.shown().size(), 1);
}
