#include "window/settings_files.h"

#include <QMenu>
#include <QUndoCommand>
#include <functional>

#include "core/number_to_text.h"
#include "grid/grid_parameters.h"
#include "view/status_box.h"
#include "window/edit_history.h"
#include "window/grid_fitting.h"
#include "window/hex_terrain_panel.h"
#include "window/map_exports.h"
#include "window/menu_items.h"
#include "window/scale_printing.h"
#include "window/settings_messages.h"
#include "window/shown_choices.h"
#include "window/value_step.h"

namespace tessara {

namespace {

void fillBox(QLineEdit* box, std::optional<double> size) {
    box->setText(size ? singleToText(toSingle(*size)) : QString());
}

}  // namespace

SettingsFiles::SettingsFiles(const MapWindow& window, GridFitting& fitting, ScalePrinting& printing,
                             HexTerrainPanel& terrain, QMenu* menu)
    : QObject(window.window),
      window_(window),
      fitting_(fitting),
      printing_(printing),
      terrain_(terrain) {
    separator(menu, "mnuSep7");
    connect(item(menu, "mnuSaveSettings", QStringLiteral("Sa&ve Grid Settings...")),
            &QAction::triggered, this, &SettingsFiles::save);
    connect(item(menu, "mnuLoadSettings", QStringLiteral("&Load Grid Settings...")),
            &QAction::triggered, this, &SettingsFiles::load);
}

void SettingsFiles::apply(const GridChoices& settings) {
    // Everything the window held before the load, and the file's settings, each put in place.
    window_.history->push(
        new ValueStep<GridChoices>(QStringLiteral("Load Grid Settings"), held(), settings,
                                   [this](const GridChoices& shown) { put(shown); }));
}

void SettingsFiles::put(const GridChoices& settings) {
    fitting_.putFit({settings.options, settings.numbering});
    fillBox(window_.mapSize, settings.mapWidth);
    fillBox(window_.hexSize, settings.hexSize);
    window_.colour->setCurrentIndex(settings.colour);
    const auto& widths = *window_.lineWidths;
    const auto width = std::find(widths.begin(), widths.end(), settings.thickness);
    window_.thickness->setCurrentIndex(static_cast<int>(width - widths.begin()) %
                                       static_cast<int>(widths.size()));
    printing_.setChoice(settings.print);
    fitting_.sizesTyped();  // the preview follows the boxes
    terrain_.putNotes(settings.terrain);
}

GridChoices SettingsFiles::held() const {
    GridChoices choices = shownChoices(window_, fitting_, printing_);
    choices.terrain = terrain_.notes();
    return choices;
}

bool SettingsFiles::askName(bool saving) {
    CommonDialog& files = *window_.dialog;
    files.FileName =
        saving ? proposedName(*window_.mapFile, {}, QStringLiteral(".hexgrid")) : QString();
    files.Flags = DialogFlags::kHideReadOnly | DialogFlags::kPathMustExist |
                  (saving ? DialogFlags::kOverwritePrompt : DialogFlags::kFileMustExist);
    files.CancelError = true;
    files.Filter = QStringLiteral("Grid settings (*.hexgrid)|*.hexgrid");
    files.FilterIndex = 1;
    files.DefaultExt = QStringLiteral(".hexgrid");
    return saving ? files.ShowSave() : files.ShowOpen();
}

void SettingsFiles::save() {
    if (!askName(true)) {
        return;
    }
    const QString path = window_.dialog->FileName;
    if (const WriteResult written = saveSettings(held(), path); !written) {
        window_.services.messages.MsgBox(settingsNotSavedMessage(path, written.error));
        return;
    }
    window_.status->setMessage(settingsSavedStatus(path));
}

void SettingsFiles::load() {
    if (!askName(false)) {
        return;
    }
    const QString path = window_.dialog->FileName;
    const SettingsRead read = loadSettings(path);
    if (!read.settings) {
        window_.services.messages.MsgBox(settingsNotLoadedMessage(path, read.problem));
        return;
    }
    apply(*read.settings);
    window_.status->setMessage(read.ignored.isEmpty()
                                   ? settingsLoadedStatus(path)
                                   : settingsPartlyLoadedStatus(path, read.ignored));
}

}  // namespace tessara
