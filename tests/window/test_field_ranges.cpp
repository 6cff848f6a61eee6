// One range per grid field: at its limit and one step past it, a value is accepted or refused
// alike by the command line, a settings file and the Grid Options dialog, and both refusals
// name the range in the same words.
#include <gtest/gtest.h>

#include <QDoubleSpinBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSpinBox>

#include "cli/command_line.h"
#include "cli/option_table.h"
#include "grid/grid_fields.h"
#include "grid/hex_grid.h"
#include "settings/grid_settings.h"
#include "support/scripted_services.h"
#include "window/grid_options_dialog.h"

using namespace tessara;
using namespace tessara::test;

namespace {

// The command line with the field's option at `value`.
CommandLine parsed(const QString& arguments, double value) {
    const QString text = QString::number(value, 'g', 17);
    return parseCommandLine(
        QProcess::splitCommand(QString(arguments).replace("%1", text).replace("%2", text)));
}

// A settings file of every default with `key` ("group.name", or "name") at `value`.
SettingsRead readWith(const QString& key, const QJsonValue& value, bool inches = false) {
    QJsonObject file = QJsonDocument::fromJson(settingsText(GridChoices{})).object();
    const QString group = key.section(u'.', 0, 0), name = key.section(u'.', -1);
    if (group == name) {
        file[name] = value;
    } else {
        QJsonObject inner = file[group].toObject();
        inner[name] = value;
        if (inches) {
            inner["unit"] = "inch";
        }
        file[group] = inner;
    }
    return readSettingsText(QJsonDocument(file).toJson());
}

SettingsRead read(const NumberField& field, double value) {
    return readWith(QLatin1String(field.key), value, &field == &field::kPrintHexInches);
}

// The dialog box's limits, as doubles.
std::pair<double, double> limits(const QWidget* box) {
    if (const auto* spin = qobject_cast<const QDoubleSpinBox*>(box)) {
        return {spin->minimum(), spin->maximum()};
    }
    const auto* whole = qobject_cast<const QSpinBox*>(box);
    return {static_cast<double>(whole->minimum()), static_cast<double>(whole->maximum())};
}

}  // namespace

TEST(FieldRanges, EveryPathAcceptsAndRefusesTheSameValuesInTheSameWords) {
    ScriptedQuestions questions;
    GridOptionsDialog dialog(nullptr, questions);
    const QString grid = "grid m.bmp o.bmp --hex-pixels 30 ";
    // clang-format off
    const struct { const NumberField& field; QString arguments; const char* box; double low, high, step; } rows[] = {
        {field::kOffset, grid + "--offset %1,0", "txtOffsetX", -1e9, 1e9, 1},
        {field::kStretch, grid + "--stretch %1", "txtStretch", 0.5, 2, 0.001},
        {field::kHexPixels, "grid m.bmp o.bmp --hex-pixels %1", "txtHexPixels", 0, 32767, 0.001},
        {field::kRotation, grid + "--rotation %1", "txtRotation", -45, 45, 0.001},
        {field::kSkew, grid + "--skew %1", "txtSkew", -10, 10, 0.001},
        {field::kOpacity, grid + "--opacity %1", "txtOpacity", 10, 100, 1},
        {field::kFirstNumber, grid + "--numbers 0101 --first %1", "txtFirstNumber", -9999, 9999, 1},
        {field::kNumberPercent, grid + "--numbers 0101 --number-size %1", "txtNumberSize", 1, 200, 0.01},
        {field::kNumberPoints, grid + "--numbers 0101 --number-size %1pt", nullptr, 4.5, 500, 0.01},
        {field::kPrintHex, "grid m.bmp o.pdf --hex-pixels 30 --hex-mm %1", nullptr, 1, 500, 0.01},
        {field::kPrintHexInches, "grid m.bmp o.pdf --hex-pixels 30 --hex-inches %1", nullptr, 0.04, 20, 0.001},
        {field::kPrintDpi, "grid m.bmp o.pdf --hex-pixels 30 --dpi %1", nullptr, 10, 2400, 0.5},
        {field::kOverlap, "grid m.bmp o.pdf --hex-pixels 30 --overlap-mm %1", nullptr, 0, 100, 0.01},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.field.key);
        const bool aboveLow = row.field.aboveLow;
        const double firstIn = aboveLow ? row.low + row.step : row.low;
        const double firstOut = aboveLow ? row.low : row.low - row.step;
        for (const auto& [value, accepted] :
             {std::pair(firstIn, true), std::pair(firstOut, false), std::pair(row.high, true),
              std::pair(row.high + row.step, false)}) {
            SCOPED_TRACE(value);
            const CommandLine command = parsed(row.arguments, value);
            EXPECT_EQ(command.action == CommandAction::Grid, accepted)
                << command.error.toStdString();
            const SettingsRead file = read(row.field, value);
            EXPECT_EQ(file.settings.has_value(), accepted) << file.problem.toStdString();
            if (!accepted) {
                const QString words = row.field.rangeText();
                EXPECT_TRUE(file.problem.endsWith("must be " + words))
                    << file.problem.toStdString();
                EXPECT_TRUE(command.error.contains(words.section(' ', 2)))
                    << command.error.toStdString();
            }
        }
        if (row.box) {
            // The box for a size above 0 shows 0 as "from the sizes".
            EXPECT_EQ(limits(dialog.findChild<QWidget*>(row.box)), std::pair(row.low, row.high));
        }
    }
}

// Every word of a choice means the same on the command line and in a settings file, in the
// order of its enumeration; a word that is none of them is refused by both, naming them.
TEST(FieldRanges, EveryChoiceTakesTheSameWordsOnEveryPath) {
    using Chosen = int (*)(const GridChoices&);
    // clang-format off
    const struct { const ChoiceField& field; Chosen chosen; bool inFile; } rows[] = {
        {field::kOrientation, [](const GridChoices& s) { return int(s.options.orientation); }, true},
        {field::kShifted, [](const GridChoices& s) { return int(s.options.shifted); }, true},
        {field::kLineStyle, [](const GridChoices& s) { return int(s.options.lineStyle); }, true},
        {field::kColour, [](const GridChoices& s) { return s.colour; }, true},
        {field::kOrigin, [](const GridChoices& s) { return int(s.numbering.origin); }, true},
        {field::kPosition, [](const GridChoices& s) { return int(s.numbering.position); }, true},
        {field::kHalo, [](const GridChoices& s) { return int(s.numbering.halo); }, true},
        {field::kPaper, [](const GridChoices& s) { return int(std::find(std::begin(kScalePapers), std::end(kScalePapers), s.print.paper) - std::begin(kScalePapers)); }, true},
        {field::kNumberColour, [](const GridChoices& s) { int n = 0; while (QBColor(n) && QBColor(n) != s.numbering.colour) { ++n; } return n; }, false},
        {field::kThickness, [](const GridChoices& s) { return int(std::find(kLineWidths.begin(), kLineWidths.end(), s.thickness) - kLineWidths.begin()); }, false},
    };
    // clang-format on
    const QString grid = "grid m.bmp o.pdf --hex-pixels 30 --numbers 0101 --";
    for (const auto& row : rows) {
        const QString option = QLatin1String(row.field.option);
        SCOPED_TRACE(option.toStdString());
        const QStringList words = row.field.words();
        for (int index = 0; index < words.size(); ++index) {
            const CommandLine given =
                parseCommandLine(QProcess::splitCommand(grid + option + " " + words[index]));
            ASSERT_EQ(given.action, CommandAction::Grid) << given.error.toStdString();
            EXPECT_EQ(row.chosen(given.grid.choices), index) << words[index].toStdString();
            if (row.inFile) {
                const SettingsRead file = readWith(QLatin1String(row.field.key), words[index]);
                ASSERT_TRUE(file.settings) << file.problem.toStdString();
                EXPECT_EQ(row.chosen(*file.settings), index) << words[index].toStdString();
            }
        }
        const CommandLine wrong = parseCommandLine(QProcess::splitCommand(grid + option + " x"));
        EXPECT_EQ(wrong.action, CommandAction::Refused);
        EXPECT_TRUE(wrong.error.contains(words.last())) << wrong.error.toStdString();
        if (row.inFile) {
            const SettingsRead file = readWith(QLatin1String(row.field.key), "x");
            EXPECT_EQ(file.problem.toStdString(),
                      (row.field.key + (" must be one of " + words.join(", "))).toStdString());
        }
    }
}

// The usage, and the manual page made from it, states each range as the catalogue has it.
TEST(FieldRanges, TheUsageStatesTheCataloguesRanges) {
    const QString usage = usageText(nullptr).simplified();
    for (const NumberField* field :
         {&field::kOpacity, &field::kStretch, &field::kRotation, &field::kSkew,
          &field::kFirstNumber, &field::kPrintHex, &field::kPrintHexInches, &field::kPrintDpi,
          &field::kOverlap}) {
        EXPECT_TRUE(usage.contains(QStringLiteral("--%1 ").arg(field->option)) &&
                    usage.contains(": " + field->rangeText()))
            << field->option;
    }
    for (const ChoiceField* field : {&field::kOrientation, &field::kLineStyle, &field::kHalo}) {
        EXPECT_TRUE(
            usage.contains(QStringLiteral("--%1 %2 ").arg(field->option, field->valueText())))
            << field->option;
    }
}
