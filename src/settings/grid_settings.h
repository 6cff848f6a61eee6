// Everything that decides a grid and its printing, kept in a small text file (JSON, ending
// in .hexgrid) so that a fit survives the window and can grid the next map of a game, in
// the window or on the command line. The file begins with its version; a newer program may
// add fields, which this one ignores with a warning only when the file says they may be.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

#include "core/write_result.h"
#include "grid/grid_choices.h"

namespace tessara {

inline constexpr int kSettingsVersion = 2;
inline constexpr const char* kSettingsSuffix = "hexgrid";

// The file's text: the version first, then the fields, indented, in a fixed order.
QByteArray settingsText(const GridChoices& settings);

// What reading a file gave: the settings, or why the file is refused, in words naming the
// field; and the unknown fields a newer version may add, left out.
struct SettingsRead {
    std::optional<GridChoices> settings;
    QString problem;
    QStringList ignored;
};
SettingsRead readSettingsText(const QByteArray& text);

// Fields named for the user on one short line, however many there are: the first few, and
// how many more ("a, b, c, d, e and 3 more").
QString fieldsNamed(const QStringList& fields);

// The same from and to a file; the file is written whole or not at all.
SettingsRead loadSettings(const QString& path);
WriteResult saveSettings(const GridChoices& settings, const QString& path);

}  // namespace tessara
