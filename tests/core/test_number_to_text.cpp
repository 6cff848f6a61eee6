#include <gtest/gtest.h>

#include <QLocale>

#include "core/number_to_text.h"
#include "support/qt_print.h"

using namespace tessara;

namespace {

struct SingleRow {
    const char* guards;
    Single value;
    const char* expected;
};

const QLocale kPointLocale(QLocale::English, QLocale::UnitedKingdom);
const QLocale kCommaLocale(QLocale::German, QLocale::Germany);

// Restores the program's default locale when the test ends, pass or fail.
class DefaultLocale {
  public:
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(previous_); }
    DefaultLocale(const DefaultLocale&) = delete;
    DefaultLocale& operator=(const DefaultLocale&) = delete;

  private:
    QLocale previous_ = QLocale();
};

}  // namespace

TEST(SingleToText, WritesAtMostSevenSignificantDigits) {
    const SingleRow rows[] = {
        {"a whole number has no separator", 100.0F, "100"},
        {"a whole height", 80.0F, "80"},
        {"a fraction keeps its digits", 12.5F, "12.5"},
        {"trailing zeros are dropped", 29.594004F, "29.594"},
        {"800 x 100 / 1200 is cut to seven digits", toSingle(800.0 * 100.0 / 1200.0), "66.66666"},
        {"the seventh digit is rounded", 2.0F / 3.0F, "0.6666667"},
        {"below one keeps its leading zero", 0.5F, "0.5"},
        {"negative numbers carry a minus sign", -12.5F, "-12.5"},
        {"zero", 0.0F, "0"},
        {"minus zero is plain zero", -0.0F, "0"},
        {"seven whole digits need no exponent", 9999999.0F, "9999999"},
        {"no thousands separator", 1234567.0F, "1234567"},
        {"eight whole digits need an exponent", 123456789.0F, "1.234568E+08"},
        {"a tiny value needs an exponent", 0.00001F, "1E-05"},
        {"four zeros after the separator still fit", 0.0001F, "0.0001"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(singleToText(row.value, kPointLocale), QString(row.expected)) << row.guards;
    }
}

TEST(SingleToText, UsesTheLocalesDecimalSeparatorAndNothingElseOfIt) {
    const SingleRow rows[] = {
        {"a decimal comma", 29.594004F, "29,594"},
        {"whole numbers unchanged", 37.0F, "37"},
        {"no grouping dots", 1234567.0F, "1234567"},
        {"the exponent's mantissa too", 123456789.0F, "1,234568E+08"},
        {"negative with a comma", -0.25F, "-0,25"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(singleToText(row.value, kCommaLocale), QString(row.expected)) << row.guards;
    }
    const QLocale arabic(QLocale::Arabic, QLocale::Egypt);
    const QString text = singleToText(12.5F, arabic);
    EXPECT_TRUE(text.startsWith(QLatin1String("12"))) << "digits stay 0 to 9";
    EXPECT_EQ(text.mid(2, arabic.decimalPoint().size()), arabic.decimalPoint());
}

TEST(SingleToText, FollowsTheUsersLocaleByDefault) {
    {
        const DefaultLocale comma(kCommaLocale);
        EXPECT_EQ(singleToText(29.594004F), QString("29,594"));
    }
    const DefaultLocale point(kPointLocale);
    EXPECT_EQ(singleToText(29.594004F), QString("29.594"));
}

TEST(IntegerToText, WritesIntegersInFull) {
    struct Row {
        const char* guards;
        long long value;
        const char* expected;
    } const rows[] = {
        {"a count", 12, "12"},
        {"zero", 0, "0"},
        {"the largest Integer", 32767, "32767"},
        {"the smallest Integer", -32768, "-32768"},
        {"no grouping", 1000000, "1000000"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(integerToText(row.value), QString(row.expected)) << row.guards;
    }
}
