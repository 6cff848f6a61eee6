#include "options.h"

namespace tessara {

namespace {

std::optional<qulonglong> number(const QStringList& arguments, int& i, QString& error) {
    QString name = arguments[i];
    if (i + 1 >= arguments.size()) {
        error = name + " needs a number";
        return std::nullopt;
    }
    bool ok = false;
    qulonglong value = arguments[++i].toULongLong(&ok);
    if (!ok) {
        error = name + " needs a whole number, not \"" + arguments[i] + "\"";
        return std::nullopt;
    }
    return value;
}

bool sideInRange(qulonglong side, const QString& name, QString& error) {
    if (side >= kSmallestSide && side <= kLargestSide) {
        return true;
    }
    error = QStringLiteral("%1 must be from %2 to %3 pixels")
                .arg(name)
                .arg(kSmallestSide)
                .arg(kLargestSide);
    return false;
}

}  // namespace

std::optional<SampleOptions> parseSampleOptions(const QStringList& arguments, QString& error) {
    SampleOptions options;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == "--seed" || argument == "--width" || argument == "--height") {
            std::optional<qulonglong> value = number(arguments, i, error);
            if (!value) {
                return std::nullopt;
            }
            if (argument == "--seed") {
                options.seed = *value;
            } else if (!sideInRange(*value, argument, error)) {
                return std::nullopt;
            } else if (argument == "--width") {
                options.size.setWidth(static_cast<int>(*value));
            } else {
                options.size.setHeight(static_cast<int>(*value));
            }
        } else if (argument.startsWith("--") || !options.output.isEmpty()) {
            error = "unexpected \"" + argument + "\"";
            return std::nullopt;
        } else {
            options.output = argument;
        }
    }
    if (options.output.isEmpty()) {
        error = "no output file named";
        return std::nullopt;
    }
    return options;
}

}  // namespace tessara
