// Every option and subcommand of the command line, once: the parser reads its options from
// this table and `tessara --help` is written from it (and the manual page from that).
#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <span>

#include "grid/grid_fields.h"

namespace tessara {

// Which part of the usage an option belongs to; a subcommand takes the options of its groups.
enum class OptionGroup { General, Grid, Numbers, Pdf, Board, Flatten, Join, Terrain };

struct OptionEntry {
    const char* name;   // without its dashes
    const char* value;  // what follows it, as the usage shows it; empty for a flag
    const char* help;   // one sentence or two, wrapped when shown
    OptionGroup group;
    const ChoiceField* choice = nullptr;  // the catalogue's, whose words are its value

    constexpr OptionEntry(const char* name, const char* value, const char* help, OptionGroup group)
        : name(name), value(value), help(help), group(group) {}
    // A field of the catalogue (grid_fields.h), which holds its value and help.
    constexpr OptionEntry(const NumberField& field, OptionGroup group)
        : OptionEntry(field.option, field.value, field.help, group) {}
    constexpr OptionEntry(const ChoiceField& field, OptionGroup group)
        : OptionEntry(field.option, field.value, field.help, group) {
        choice = &field;
    }
    bool takesValue() const { return choice != nullptr || *value != '\0'; }
};

struct SubcommandEntry {
    const char* name;
    const char* synopsis;  // after "tessara "
    const char* summary;
    std::span<const OptionGroup> groups;
    const char* notes;     // the paragraph after the usage's lines, wrapped
    const char* examples;  // command lines, one a line, each ending in a newline
    const char* exits;     // what its exit statuses mean, wrapped
};

std::span<const OptionEntry> optionTable();
std::span<const SubcommandEntry> subcommandTable();
const SubcommandEntry* findSubcommand(const QString& name);
// The options of a subcommand (help included), as the parser takes them.
QList<QCommandLineOption> parserOptions(const SubcommandEntry& command);
const OptionEntry* findOption(const QString& name);

// The usage: of everything, or of one subcommand.
QString usageText(const SubcommandEntry* command = nullptr);

}  // namespace tessara
