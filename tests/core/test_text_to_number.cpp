#include <gtest/gtest.h>

#include <limits>

#include "core/text_to_number.h"

using namespace tessara;

namespace {

struct Row {
    const char* guards;
    const char* locale;
    const char* text;
    std::optional<Single> expected;
};

constexpr std::optional<Single> kRefused = std::nullopt;

}  // namespace

TEST(TextToNumber, ReadsNumbersTheWayTheUsersLocaleWritesThem) {
    const Row rows[] = {
        {"a whole number", "en_US", "100", 100.0F},
        {"a decimal point", "en_US", "2.5", 2.5F},
        {"blanks around the number", "en_US", "  37 \t", 37.0F},
        {"digit grouping", "en_US", "1,000", 1000.0F},
        {"an exponent", "en_US", "1e3", 1000.0F},
        {"a leading sign", "en_US", "-5", -5.0F},
        {"rounded to single precision", "en_US", "0.1", 0.1F},
        {"a decimal comma", "de_DE", "2,5", 2.5F},
        {"a German thousands point", "de_DE", "1.000", 1000.0F},
        {"a French blank between thousands", "fr_FR", "1 000,5", 1000.5F},
        {"the largest Single", "en_US", "3.4028234e38", std::numeric_limits<Single>::max()},
        {"the C locale", "C", "83.37838", 83.37838F},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(textToSingle(QString::fromUtf8(row.text), QLocale(row.locale)), row.expected)
            << row.guards;
    }
}

TEST(TextToNumber, RefusesWhatIsNotANumberOfSinglePrecision) {
    const Row rows[] = {
        {"empty text", "en_US", "", kRefused},
        {"only blanks", "en_US", "   ", kRefused},
        {"a word", "en_US", "ten", kRefused},
        {"a number followed by a unit", "en_US", "10 km", kRefused},
        {"not a number", "en_US", "nan", kRefused},
        {"infinity", "en_US", "inf", kRefused},
        {"minus infinity", "en_US", "-inf", kRefused},
        {"beyond the Single range", "en_US", "1e39", kRefused},
        {"beyond it below zero", "en_US", "-3.5e38", kRefused},
        {"a decimal comma where the point is used", "en_US", "2,5", kRefused},
        {"a decimal point where the comma is used", "de_DE", "2.5", kRefused},
        {"a hexadecimal number", "en_US", "0x10", kRefused},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(textToSingle(QString::fromUtf8(row.text), QLocale(row.locale)), row.expected)
            << row.guards;
    }
}
