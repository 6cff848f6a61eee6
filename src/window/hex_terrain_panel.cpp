#include "window/hex_terrain_panel.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineF>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <numeric>

#include "terrain/hex_data_files.h"
#include "terrain/hex_sides.h"
#include "terrain/lab_colour.h"
#include "view/image_control.h"
#include "view/status_box.h"
#include "window/busy_cursor.h"
#include "window/edit_history.h"
#include "window/grid_fitting.h"
#include "window/map_exports.h"
#include "window/menu_items.h"
#include "window/value_step.h"

namespace tessara {
namespace {

constexpr int kTintAlpha = 140;  // of 255: the map shows through its tint
constexpr size_t kSamplesAClass = 3;

// The tint tells the classes apart rather than repeating the map's colours, which may be
// close: colours that people with any colour vision tell apart, one a class in its order.
QColor classColour(size_t terrainClass) {
    static const QRgb kColours[] = {0xe69f00, 0x56b4e9, 0x009e73, 0xf0e442,
                                    0x0072b2, 0xd55e00, 0xcc79a7, 0x000000};
    return QColor(kColours[terrainClass % std::size(kColours)]);
}

QIcon swatch(const QColor& colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

// The legend line of a class: its name and sample hexes; the colon ends the name.
QString legendLine(const QString& name, const QStringList& hexes) {
    return QString(name).remove(u':').remove(u'#').trimmed() + QStringLiteral(": ") +
           hexes.join(u' ');
}

// A legend's line of a line feature ("River: line 0305 0306"), rather than of a class.
bool isFeatureLine(const QString& line) {
    return line.section(u':', 1).trimmed().startsWith(QLatin1String("line"), Qt::CaseInsensitive);
}

// Corrections that name a class no longer there are dropped with it.
void keepCorrectionsOf(TerrainNotes& notes, const QStringList& names) {
    std::erase_if(notes.corrections, [&](const TerrainCorrection& c) {
        return !names.contains(c.terrain, Qt::CaseInsensitive);
    });
}

}  // namespace

HexTerrainPanel::HexTerrainPanel(const MapWindow& window, GridFitting& fitting, QMenu* gridMenu)
    : QObject(window.window), window_(window), fitting_(fitting) {
    panel_ = item(gridMenu, "mnuHexTerrain", tr("Hex &Terrain..."));
    connect(panel_, &QAction::triggered, this, &HexTerrainPanel::open);
    export_ = new QAction(tr("Export Hex &Data..."), this);
    export_->setObjectName(QStringLiteral("mnuExportHexData"));
    connect(export_, &QAction::triggered, this, &HexTerrainPanel::exportHexData);
    for (QAction* action : {panel_, export_}) {
        action->setEnabled(false);
    }
    connect(&fitting_, &GridFitting::mapReplaced, this, [this] {
        reading_.reset();
        classes_ = {};
        for (QAction* action : {panel_, export_}) {
            action->setEnabled(window_.hasMap());
        }
        if (dialog_ && dialog_->isVisible()) {
            readIfStale();
        }
    });
}

const std::vector<MapHex>& HexTerrainPanel::hexes() const {
    static const std::vector<MapHex> none;
    return reading_ ? reading_->hexes : none;
}

BoardTerrain HexTerrainPanel::boardTerrain() {
    BoardTerrain board;
    if ((!reading_ && notes_.empty()) || !readIfStale() || !classes_.error.isEmpty()) {
        return board;
    }
    for (const TerrainClass& terrain : classes_.terrain.classes) {
        board.classes.push_back(
            {terrain.name, QColor(fromLab({terrain.look[0], terrain.look[1], terrain.look[2]}))});
    }
    for (size_t h = 0; h < reading_->hexes.size(); ++h) {
        board.hexes.push_back({reading_->hexes[h].centre, classes_.terrain.hexes[h].terrainClass});
    }
    return board;
}

void HexTerrainPanel::build() {
    dialog_ = new QDialog(window_.window, Qt::Tool);
    dialog_->setObjectName(QStringLiteral("HexTerrainPanel"));
    dialog_->setWindowTitle(tr("Hex Terrain"));
    auto* layout = new QVBoxLayout(dialog_);
    summary_ = new QLabel(dialog_);
    summary_->setObjectName(QStringLiteral("lblTerrainSummary"));
    summary_->setWordWrap(true);
    count_ = new QComboBox(dialog_);
    count_->setObjectName(QStringLiteral("cmbTerrainClasses"));
    count_->addItem(tr("As many classes as the map shows"));
    for (int k = kFewestClasses; k <= kMostClasses; ++k) {
        count_->addItem(tr("%1 classes").arg(k));
    }
    count_->setAccessibleName(tr("How many classes to group the hexes into"));
    auto* countLabel = new QLabel(tr("&Group into:"), dialog_);
    countLabel->setBuddy(count_);
    list_ = new QListWidget(dialog_);
    list_->setObjectName(QStringLiteral("lstTerrainClasses"));
    list_->setAccessibleName(tr("Terrain classes: F2 renames one"));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
    auto* listLabel = new QLabel(tr("C&lasses (F2 names one):"), dialog_);
    listLabel->setBuddy(list_);
    merge_ = new QPushButton(tr("&Merge Selected"), dialog_);
    merge_->setObjectName(QStringLiteral("cmdMergeClasses"));
    correct_ = new QPushButton(tr("&Correct Hexes by Clicking"), dialog_);
    correct_->setObjectName(QStringLiteral("cmdCorrectHexes"));
    add_ = new QPushButton(tr("&Add a Class from a Hex"), dialog_);
    add_->setObjectName(QStringLiteral("cmdAddClass"));
    features_ = new QListWidget(dialog_);
    features_->setObjectName(QStringLiteral("lstLineFeatures"));
    features_->setAccessibleName(tr("Line features: F2 renames one"));
    features_->setEditTriggers(QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::DoubleClicked);
    features_->setMaximumHeight(4 * features_->fontMetrics().height() + 8);
    auto* featuresLabel = new QLabel(tr("Li&ne features (F2 names one):"), dialog_);
    featuresLabel->setBuddy(features_);
    addFeature_ = new QPushButton(tr("Add a Line &Feature by Clicking a Side"), dialog_);
    addFeature_->setObjectName(QStringLiteral("cmdAddFeature"));
    tint_ = new QCheckBox(tr("&Tint the Map by Class"), dialog_);
    tint_->setObjectName(QStringLiteral("chkTint"));
    auto* exportButton = new QPushButton(tr("&Export Hex Data..."), dialog_);
    exportButton->setObjectName(QStringLiteral("cmdExportHexData"));
    for (QWidget* widget : std::initializer_list<QWidget*>{
             summary_, countLabel, count_, listLabel, list_, merge_, add_, correct_, featuresLabel,
             features_, addFeature_, tint_, exportButton}) {
        layout->addWidget(widget);
    }
    connect(count_, &QComboBox::activated, this, &HexTerrainPanel::countChosen);
    connect(list_, &QListWidget::itemChanged, this, &HexTerrainPanel::renamed);
    connect(merge_, &QPushButton::clicked, this, &HexTerrainPanel::merge);
    for (const auto& [button, click] :
         {std::pair{correct_, Click::Correct}, std::pair{add_, Click::AddClass},
          std::pair{addFeature_, Click::AddFeature}}) {
        connect(button, &QPushButton::clicked, this, [this, click = click] {
            click_ = click;
            fitting_.startTool(*this);
        });
    }
    connect(features_, &QListWidget::itemChanged, this, &HexTerrainPanel::featureRenamed);
    connect(tint_, &QCheckBox::toggled, this, &HexTerrainPanel::tint);
    connect(exportButton, &QPushButton::clicked, this, &HexTerrainPanel::exportHexData);
}

void HexTerrainPanel::open() {
    if (!dialog_) {
        build();
    }
    if (!readIfStale()) {
        return;
    }
    if (!dialog_->isVisible()) {
        // Beside the window, where the map stays in sight: at its right, or at the screen's
        // right edge when there is no room.
        dialog_->adjustSize();
        const QRect screen = window_.window->screen()->availableGeometry();
        const QRect frame = window_.window->frameGeometry();
        dialog_->move(std::min(frame.right() + 1, screen.right() + 1 - dialog_->width()),
                      frame.top());
    }
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
    list_->setFocus();
    if (list_->count() > 0 && !list_->currentItem()) {
        list_->setCurrentRow(0);
    }
}

bool HexTerrainPanel::readIfStale() {
    const std::optional<GridLayout> layout = fitting_.layoutNow();
    if (!layout) {
        window_.services.messages.MsgBox(
            {tr("Hex Terrain reads the hexes of the grid, and there is no grid yet: type the "
                "map's width and the hex size, or fit the grid from the Grid menu."),
             tr("No grid")});
        return false;
    }
    const qint64 picture = window_.map->picture().image().cacheKey();
    if (reading_ && reading_->picture == picture && reading_->layout.options == layout->options &&
        reading_->layout.hexSize == layout->hexSize &&
        reading_->numbering == fitting_.numbering()) {
        return true;
    }
    const BusyCursor busy;
    Reading reading{*layout, fitting_.numbering(), picture, {}, {}};
    reading.hexes = mapHexes(reading.layout, reading.numbering);
    reading.looks = readHexLooks(window_.map->picture().image(), reading.layout, reading.numbering,
                                 reading.hexes);
    reading_ = std::move(reading);
    reclassify();
    return true;
}

void HexTerrainPanel::reclassify() {
    if (!reading_) {
        return;
    }
    classes_ = classifyNoted(notes_, reading_->layout, reading_->hexes, reading_->looks);
    sides_.clear();
    if (classes_.error.isEmpty() && !classes_.legend.features.empty()) {
        const BusyCursor busy;
        sides_ = featureSides(window_.map->picture().image(), reading_->layout, reading_->hexes,
                              reading_->looks, classes_.legend.features);
    }
    showClasses();
    window_.image->update();
}

void HexTerrainPanel::showClasses() {
    if (!dialog_) {
        return;
    }
    const QSignalBlocker quiet(list_);
    list_->clear();
    const TerrainMap& terrain = classes_.terrain;
    std::vector<int> counts(terrain.classes.size(), 0);
    for (const HexTerrain& hex : terrain.hexes) {
        ++counts[static_cast<size_t>(hex.terrainClass)];
    }
    for (size_t c = 0; c < terrain.classes.size(); ++c) {
        auto* row = new QListWidgetItem(swatch(classColour(c)), terrain.classes[c].name, list_);
        row->setFlags(row->flags() | Qt::ItemIsEditable);
        row->setToolTip(tr("%n hexes", nullptr, counts[c]));
        row->setData(Qt::AccessibleTextRole,
                     tr("%1, %n hexes", nullptr, counts[c]).arg(terrain.classes[c].name));
    }
    const QSignalBlocker quietFeatures(features_);
    features_->clear();
    for (size_t f = 0; f < classes_.legend.features.size(); ++f) {
        const auto count = std::ranges::count_if(sides_, [f](const FeatureSide& side) {
            return side.feature == static_cast<int>(f) && !side.through();
        });
        const QString name = classes_.legend.features[f].name;
        auto* row = new QListWidgetItem(name, features_);
        row->setFlags(row->flags() | Qt::ItemIsEditable);
        row->setToolTip(tr("%n sides", nullptr, static_cast<int>(count)));
        row->setData(Qt::AccessibleTextRole,
                     tr("%1, %n sides", nullptr, static_cast<int>(count)).arg(name));
    }
    count_->setCurrentIndex(notes_.legend.isEmpty() && notes_.classes >= kFewestClasses
                                ? notes_.classes - kFewestClasses + 1
                                : 0);
    summary_->setText(
        classes_.error.isEmpty()
            ? tr("%n hexes in %1 classes", nullptr, static_cast<int>(terrain.hexes.size()))
                  .arg(terrain.classes.size())
            : tr("The terrain cannot be read as noted: %1").arg(classes_.error));
    merge_->setEnabled(terrain.classes.size() > 1);
}

void HexTerrainPanel::putNotes(const TerrainNotes& notes) {
    notes_ = notes;
    reclassify();
}

void HexTerrainPanel::change(const TerrainNotes& after, const QString& what) {
    if (after == notes_) {
        return;
    }
    window_.history->push(new ValueStep<TerrainNotes>(
        what, notes_, after, [this](const TerrainNotes& n) { putNotes(n); }));
}

TerrainNotes HexTerrainPanel::asLegend() const {
    TerrainNotes notes = notes_;
    if (!notes.legend.isEmpty() || !reading_) {
        return notes;
    }
    const TerrainMap& terrain = classes_.terrain;
    for (size_t c = 0; c < terrain.classes.size(); ++c) {
        std::vector<std::pair<float, size_t>> near;
        for (size_t h = 0; h < terrain.hexes.size(); ++h) {
            if (terrain.hexes[h].terrainClass == static_cast<int>(c)) {
                near.emplace_back(lookDistance(reading_->looks[h].whole, terrain.classes[c].look),
                                  h);
            }
        }
        const size_t samples = std::min(kSamplesAClass, near.size());
        std::partial_sort(near.begin(), near.begin() + static_cast<std::ptrdiff_t>(samples),
                          near.end());
        QStringList hexes;
        for (size_t k = 0; k < samples; ++k) {
            hexes << reading_->hexes[near[k].second].number;
        }
        notes.legend << legendLine(terrain.classes[c].name, hexes);
    }
    notes.classes = 0;
    return notes;
}

void HexTerrainPanel::renamed(QListWidgetItem* item) {
    const int row = list_->row(item);
    const QString name = QString(item->text()).remove(u':').remove(u'#').trimmed();
    const QString old = classes_.terrain.classes[static_cast<size_t>(row)].name;
    const bool taken = std::ranges::any_of(classes_.terrain.classes, [&](const TerrainClass& c) {
        return c.name != old && c.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (name.isEmpty() || name == old || taken) {
        showClasses();  // the name as it was
        return;
    }
    TerrainNotes after = asLegend();
    // The class's line is the row-th of the legend's classes: features come after them.
    int classLine = -1;
    for (qsizetype i = 0; i < after.legend.size(); ++i) {
        if (!isFeatureLine(after.legend[i]) && !after.legend[i].trimmed().isEmpty() &&
            ++classLine == row) {
            after.legend[i] = name + u':' + after.legend[i].section(u':', 1);
            break;
        }
    }
    for (TerrainCorrection& correction : after.corrections) {
        if (correction.terrain.compare(old, Qt::CaseInsensitive) == 0) {
            correction.terrain = name;
        }
    }
    change(after, tr("Name Terrain Class"));
}

void HexTerrainPanel::featureRenamed(QListWidgetItem* item) {
    const int row = features_->row(item);
    const QString name = QString(item->text()).remove(u':').remove(u'#').trimmed();
    TerrainNotes after = notes_;
    int featureLine = -1;
    for (QString& line : after.legend) {
        if (isFeatureLine(line) && ++featureLine == row) {
            line = name + u':' + line.section(u':', 1);
            break;
        }
    }
    if (name.isEmpty()) {
        showClasses();
        return;
    }
    change(after, tr("Name Line Feature"));
}

void HexTerrainPanel::merge() {
    std::vector<int> rows;
    for (const QListWidgetItem* selected : list_->selectedItems()) {
        rows.push_back(list_->row(selected));
    }
    std::ranges::sort(rows);
    if (rows.size() < 2) {
        window_.status->setMessage(tr("Select two classes or more to merge, with Ctrl or Shift"));
        return;
    }
    TerrainNotes after = asLegend();
    QStringList classLines, features;
    for (const QString& line : after.legend) {
        (isFeatureLine(line) ? features : classLines) << line;
    }
    const auto first = static_cast<qsizetype>(rows.front());
    for (auto r = rows.rbegin(); r + 1 != rows.rend(); ++r) {
        classLines[first] += u' ' + classLines[*r].section(u':', 1).trimmed();
        classLines.removeAt(*r);
    }
    after.legend = classLines + features;
    const QString kept = classLines[first].section(u':', 0, 0).trimmed();
    for (size_t r = 1; r < rows.size(); ++r) {
        const QString gone = classes_.terrain.classes[static_cast<size_t>(rows[r])].name;
        for (TerrainCorrection& correction : after.corrections) {
            if (correction.terrain.compare(gone, Qt::CaseInsensitive) == 0) {
                correction.terrain = kept;
            }
        }
    }
    change(after, tr("Merge Terrain Classes"));
}

void HexTerrainPanel::countChosen(int index) {
    TerrainNotes after = notes_;
    after.legend.clear();
    after.classes = index == 0 ? 0 : index - 1 + kFewestClasses;
    QStringList names;
    for (int k = 1; k <= std::max(after.classes, kMostClasses); ++k) {
        names << tr("Terrain %1").arg(k);
    }
    keepCorrectionsOf(after, names);
    change(after, tr("Group Hexes into Classes"));
}

int HexTerrainPanel::selectedClass() const {
    const QListWidgetItem* current = list_ ? list_->currentItem() : nullptr;
    return current ? list_->row(current) : -1;
}

MapTool::Started HexTerrainPanel::start() {
    if (!readIfStale()) {
        return Started::Refused;
    }
    if (click_ == Click::Correct && selectedClass() < 0) {
        window_.status->setMessage(tr("Select the class the hexes you click are of"));
        return Started::Refused;
    }
    return Started::Holding;
}

QString HexTerrainPanel::status() const {
    if (click_ == Click::AddFeature) {
        return tr("Click on a river, a road or a railway where it follows a hex side");
    }
    return click_ == Click::AddClass
               ? tr("Click a hex of the new class; Esc to stop")
               : tr("Click each hex that is %1; Esc to stop")
                     .arg(classes_.terrain.classes[static_cast<size_t>(selectedClass())].name);
}

// A sample of no class so far: the new class's line, before the line features.
static void addClassLine(TerrainNotes& notes, const QString& sample, const QString& name) {
    for (QString& line : notes.legend) {
        QStringList words = line.section(u':', 1).split(u' ', Qt::SkipEmptyParts);
        if (!isFeatureLine(line) && words.removeAll(sample) > 0) {
            line = words.isEmpty() ? QString() : legendLine(line.section(u':', 0, 0), words);
        }
    }
    notes.legend.removeAll(QString());
    const auto classes = std::ranges::count_if(notes.legend, std::not_fn(isFeatureLine));
    notes.legend.insert(classes, legendLine(name, {sample}));
    std::erase_if(notes.corrections, [&](const TerrainCorrection& c) { return c.hex == sample; });
}

bool HexTerrainPanel::clicked(QPointF at) {
    // The hex clicked, and for a line feature the one across the side nearest the click.
    std::vector<std::pair<double, size_t>> nearest;
    for (size_t h = 0; h < reading_->hexes.size(); ++h) {
        nearest.emplace_back(QLineF(reading_->hexes[h].centre, at).length(), h);
    }
    if (nearest.size() < 2) {
        return false;
    }
    std::partial_sort(nearest.begin(), nearest.begin() + 2, nearest.end());
    const MapHex& hex = reading_->hexes[nearest[0].second];
    if (nearest[0].first > reading_->layout.hexSize * 0.6) {
        return false;  // off the map's hexes
    }
    TerrainNotes after = asLegend();
    if (click_ == Click::AddClass) {
        addClassLine(after, hex.number, tr("Terrain %1").arg(classes_.terrain.classes.size() + 1));
        change(after, tr("Add Terrain Class"));
        return true;
    }
    if (click_ == Click::AddFeature) {
        const MapHex& other = reading_->hexes[nearest[1].second];
        if (!areNeighbours(reading_->layout, hex.hex, other.hex)) {
            return false;
        }
        after.legend << QStringLiteral("%1: line %2 %3")
                            .arg(tr("Line %1").arg(classes_.legend.features.size() + 1), hex.number,
                                 other.number);
        change(after, tr("Add Line Feature"));
        return true;
    }
    const QString name = classes_.terrain.classes[static_cast<size_t>(selectedClass())].name;
    std::erase_if(after.corrections,
                  [&](const TerrainCorrection& c) { return c.hex == hex.number; });
    after.corrections.push_back({hex.number, name});
    std::ranges::sort(after.corrections, {}, &TerrainCorrection::hex);
    change(after, tr("Correct Hex Terrain"));
    return false;  // one hex after another, until Esc
}

void HexTerrainPanel::tint(bool on) {
    if (on) {
        fitting_.setTint(
            [this](QPainter& painter, const QRectF& area) { paintTint(painter, area); });
    } else {
        fitting_.setTint({});
    }
}

void HexTerrainPanel::paintTint(QPainter& painter, const QRectF& area) const {
    if (!reading_ || classes_.terrain.hexes.size() != reading_->hexes.size()) {
        return;
    }
    std::vector<QColor> colours;
    for (size_t c = 0; c < classes_.terrain.classes.size(); ++c) {
        QColor colour = classColour(c);
        colour.setAlpha(kTintAlpha);
        colours.push_back(colour);
    }
    const GridLayout corners = cornersGrid(reading_->layout);
    const double reach = reading_->layout.hexSize;
    const QRectF near = area.adjusted(-reach, -reach, reach, reach);
    painter.save();
    painter.setPen(Qt::NoPen);
    for (size_t h = 0; h < reading_->hexes.size(); ++h) {
        const MapHex& hex = reading_->hexes[h];
        if (!near.contains(hex.centre)) {
            continue;
        }
        painter.setBrush(colours[static_cast<size_t>(classes_.terrain.hexes[h].terrainClass)]);
        const auto polygon = hexCorners(corners, hex.hex.line, hex.hex.cell);
        painter.drawPolygon(polygon.data(), static_cast<int>(polygon.size()));
    }
    // The sides the line features follow, across their two hexes' centres.
    painter.setPen(
        QPen(QColor(255, 0, 255, 220), std::max(3.0, 0.08 * reach), Qt::SolidLine, Qt::RoundCap));
    for (const FeatureSide& side : sides_) {
        if (side.through()) {
            const QPointF centre = reading_->hexes[static_cast<size_t>(side.side.hex)].centre;
            painter.drawPoint(centre);
            continue;
        }
        const QPointF a = reading_->hexes[static_cast<size_t>(side.side.hex)].centre;
        const QPointF b = reading_->hexes[static_cast<size_t>(side.side.neighbour)].centre;
        const QPointF middle = (a + b) / 2;
        const QPointF half = QPointF(a.y() - b.y(), b.x() - a.x()) / (2 * std::sqrt(3.0));
        painter.drawLine(middle - half, middle + half);
    }
    painter.restore();
}

void HexTerrainPanel::exportHexData() {
    if (!readIfStale()) {
        return;
    }
    CommonDialog& files = *window_.dialog;
    files.FileName =
        proposedName(*window_.mapFile, QStringLiteral("-hexes"), QStringLiteral(".csv"));
    files.Flags =
        DialogFlags::kOverwritePrompt | DialogFlags::kHideReadOnly | DialogFlags::kPathMustExist;
    files.CancelError = true;
    files.Filter = QStringLiteral("Hex table (*.csv)|*.csv|HexJSON (*.json)|*.json");
    files.FilterIndex = 1;
    files.DefaultExt = QStringLiteral(".csv");
    if (!files.ShowSave()) {
        return;
    }
    QString path = files.FileName;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("csv") && suffix != QLatin1String("json")) {
        path += files.FilterIndex == 2 ? QStringLiteral(".json") : QStringLiteral(".csv");
    }
    const BusyCursor busy;
    WriteResult written = writeHexData(path, reading_->layout, reading_->hexes, classes_.terrain);
    QString failed = path;
    const std::vector<LineFeature>& features = classes_.legend.features;
    if (written && !features.empty()) {
        failed = sidesPath(path);
        written = writeHexSides(failed, reading_->hexes, sides_, features);
    }
    if (!written) {
        window_.services.messages.MsgBox({tr("The hex data could not be written as\n%1\n\n%2")
                                              .arg(QDir::toNativeSeparators(failed), written.error),
                                          tr("Can't write hex data")});
        return;
    }
    window_.status->setMessage(tr("The terrain of %n hexes written to %1", nullptr,
                                  static_cast<int>(reading_->hexes.size()))
                                   .arg(QFileInfo(path).fileName()));
}

}  // namespace tessara
