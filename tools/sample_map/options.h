// The command line: tessara-sample-map OUTPUT.jpg [--seed N] [--width W] [--height H]
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace tessara {

struct SampleOptions {
    QString output;
    std::uint64_t seed = 1865;
    QSize size{4000, 3000};
};

// The options, or nothing with `error` saying what is wrong.
std::optional<SampleOptions> parseSampleOptions(const QStringList& arguments, QString& error);

inline constexpr int kSmallestSide = 200;
// Past this the picture alone would take more than half a gigabyte.
inline constexpr int kLargestSide = 12000;

}  // namespace tessara
