#include "platform/dates.h"
#include "platform/numbers.h"

#include <gtest/gtest.h>

namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);
const QLocale kUk(QLocale::English, QLocale::UnitedKingdom);
const QLocale kDe(QLocale::German, QLocale::Germany);

std::optional<QDate> readUs(const char *text)
{
    return Dates::DateReader(kUs).read(QString::fromLatin1(text));
}

} // namespace

TEST(ShortDates, WrittenInTheLocaleOrderWithAFourDigitYearAndReadBack)
{
    const QDate d(2005, 12, 7);
    EXPECT_EQ(Dates::shortDateText(d, kUs), QStringLiteral("12/7/2005"));
    EXPECT_EQ(Dates::shortDateText(d, kUk), QStringLiteral("07/12/2005"));
    EXPECT_EQ(Dates::shortDateText(d, kDe), QStringLiteral("07.12.2005"));
    EXPECT_EQ(Dates::shortDateText(QDate(), kUs), QString());
    for (const QLocale &l : {kUs, kUk, kDe, QLocale(QLocale::Japanese, QLocale::Japan)})
        EXPECT_EQ(Dates::DateReader(l).read(Dates::shortDateText(d, l)), d)
            << l.name().toStdString();
    // Two-digit years, ISO dates and a trailing time are read too.
    EXPECT_EQ(readUs("12/27/05"), QDate(2005, 12, 27));
    EXPECT_EQ(readUs("1/2/99"), QDate(1999, 1, 2));
    EXPECT_EQ(readUs("2026-03-04"), QDate(2026, 3, 4));
    EXPECT_EQ(readUs("  3/4/2026 10:15:00 PM"), QDate(2026, 3, 4));
    EXPECT_EQ(Dates::DateReader(kUk).read(u"03/04/2026"), QDate(2026, 4, 3));
}

TEST(ShortDates, TextThatIsNotADateIsRefusedAndDayDifferencesCountCalendarDays)
{
    for (const char *bad : {"", "   ", "soon", "13/1/2026", "2/30/2026", "12/27", "12-27/2026",
                            "12/27/2026x", "12/27/20261", "1/1/5", "12 /27/2026", "١٢/٢٧/٢٠٢٦"})
        EXPECT_FALSE(Dates::DateReader(kUs).read(QString::fromUtf8(bad)).has_value()) << bad;
    // Day differences count calendar days.
    EXPECT_EQ(Dates::dayDiff(QDate(2024, 2, 28), QDate(2024, 3, 1)), 2);
    EXPECT_EQ(Dates::dayDiff(QDate(2026, 12, 31), QDate(2027, 1, 1)), 1);
    EXPECT_EQ(Dates::dayDiff(QDate(2026, 1, 10), QDate(2026, 1, 3)), -7);
}

TEST(Numbers, LeadingNumberReadsUpToTheFirstOtherCharacter)
{
    const std::pair<const char *, double> cases[] = {
        {"1", 1},  {"  12 Days", 12}, {"-3.5kg", -3.5}, {".25", 0.25}, {"4.00", 4},
        {"$4", 0}, {"", 0},           {"-", 0},         {"1,5", 1}};
    for (const auto &[text, number] : cases)
        EXPECT_DOUBLE_EQ(Numbers::leadingNumber(QString::fromLatin1(text)), number) << text;
}

TEST(Numbers, NumberTextHasNoExponentOrTrailingZeros)
{
    const std::pair<double, const char *> cases[] = {
        {4, "4"},
        {12.5, "12.5"},
        {-3, "-3"},
        {1234567890123.0, "1234567890123"},
        {0.000001, "0.000001"},
        {std::numeric_limits<double>::quiet_NaN(), "0"}};
    for (const auto &[number, text] : cases)
        EXPECT_EQ(Numbers::numberText(number), text) << number;
}
