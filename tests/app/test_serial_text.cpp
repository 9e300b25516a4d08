#include "ticket/SerialDrawing.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct NumberRow {
    const char* name;
    qint32 start;
    qint32 page;
    qint32 expected;
};

class SerialNumberTest : public testing::TestWithParam<NumberRow> { };

TEST_P(SerialNumberTest, CountsFromTheStartingNumber)
{
    const NumberRow& row = GetParam();
    EXPECT_EQ(serial::SerialNumber(row.start, row.page), row.expected);
}

constexpr qint32 kMax = std::numeric_limits<qint32>::max();
constexpr qint32 kMin = std::numeric_limits<qint32>::min();

INSTANTIATE_TEST_SUITE_P(Rows, SerialNumberTest, testing::Values(
    NumberRow{"FirstPageCarriesTheStart", 100, 1, 100},
    NumberRow{"FifthPage", 100, 5, 104},
    NumberRow{"ThirdPageOf41", 41, 3, 43},
    NumberRow{"NegativeClimbsTowardsZero", -2, 3, 0},
    NumberRow{"NegativeFourthPage", -2, 4, 1},
    NumberRow{"WrapsPastTheLargest", kMax, 2, kMin},
    NumberRow{"WrapsFurther", kMax, 4, kMin + 2},
    NumberRow{"SmallestOnFirstPage", kMin, 1, kMin},
    NumberRow{"LargePageIndex", 0, kMax, kMax - 1}),
    [](const testing::TestParamInfo<NumberRow>& info) { return std::string(info.param.name); });

struct TextRow {
    const char* name;
    const char* prefix;
    qint32 start;
    qint32 page;
    const char* suffix;
    const char* expected;
};

class SerialTextTest : public testing::TestWithParam<TextRow> { };

TEST_P(SerialTextTest, JoinsPrefixNumberAndSuffix)
{
    const TextRow& row = GetParam();
    EXPECT_EQ(serial::SerialText(QString::fromUtf8(row.prefix), row.start, row.page,
                                 QString::fromUtf8(row.suffix)),
              QString::fromUtf8(row.expected));
}

INSTANTIATE_TEST_SUITE_P(Rows, SerialTextTest, testing::Values(
    TextRow{"PrefixAndSuffix", "A-", 41, 3, "/B", "A-43/B"},
    TextRow{"NumberAlone", "", 7, 1, "", "7"},
    TextRow{"EmptyFieldCountsAsZero", "No. ", 0, 1, "", "No. 0"},
    TextRow{"NegativeHasMinus", "", -2, 1, "x", "-2x"},
    TextRow{"NoThousandSeparators", "", 1234567, 1, "", "1234567"},
    TextRow{"WrappedIsNegative", "[", kMax, 2, "]", "[-2147483648]"},
    TextRow{"BlanksKept", " a ", 5, 1, " b ", " a 5 b "}),
    [](const testing::TestParamInfo<TextRow>& info) { return std::string(info.param.name); });

struct PointRow {
    const char* name;
    double x;
    double y;
    QPoint expected;
};

class DevicePointTest : public testing::TestWithParam<PointRow> { };

TEST_P(DevicePointTest, RoundsHalvesToEven)
{
    const PointRow& row = GetParam();
    EXPECT_EQ(serial::DevicePoint(row.x, row.y), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, DevicePointTest, testing::Values(
    PointRow{"OneInchByHalfAt600Dpi", 1.0 * 600, 0.5 * 600, QPoint(600, 300)},
    PointRow{"HalfGoesDownToEven", 2.5, 3.5, QPoint(2, 4)},
    PointRow{"NotQuiteHalf", 2.4999, 2.5001, QPoint(2, 3)},
    PointRow{"Origin", 0.0, 0.0, QPoint(0, 0)},
    PointRow{"HundredthInchAt300Dpi", 0.01 * 300, 1.25 * 300, QPoint(3, 375)},
    PointRow{"OddHalf", 0.5 * 301, 1.5, QPoint(150, 2)}),
    [](const testing::TestParamInfo<PointRow>& info) { return std::string(info.param.name); });

} // namespace

namespace {

// Zero padding to a width: the sign stays in front and counts in the width, a number
// wider than the width is never cut, and 0 leaves the number as it is.
TEST(NumberText, PadsToTheWidthWithTheSignInFront)
{
    EXPECT_EQ(serial::NumberText(7, 5), QStringLiteral("00007"));
    EXPECT_EQ(serial::NumberText(-7, 5), QStringLiteral("-0007"));
    EXPECT_EQ(serial::NumberText(123456, 3), QStringLiteral("123456"));
    EXPECT_EQ(serial::NumberText(999, 0), QStringLiteral("999"));
    EXPECT_EQ(serial::NumberText(std::numeric_limits<qint32>::min(), 12), QStringLiteral("-02147483648"));
    EXPECT_EQ(serial::SerialText(QStringLiteral("T"), 999, 2, QStringLiteral("/A"), 4), QStringLiteral("T1000/A"));
}

} // namespace

namespace {

// A letter series at its edges: two letters and four digits, "-" between them, count
// from AA-0000 up to ZZ-9999 (6,759,999); the check is over the digits alone.
TEST(LetterSeries, PrintsAndReadsBackAtItsEdges)
{
    const QString sep = QStringLiteral("-");
    const std::pair<qint64, const char*> rows[] = {
        { 0, "AA-0000" }, { 9999, "AA-9999" }, { 10000, "AB-0000" }, { 259999, "AZ-9999" },
        { 260000, "BA-0000" }, { 6759999, "ZZ-9999" }, { 6760000, nullptr }, { -1, nullptr },
    };
    for (const auto& [number, text] : rows) {
        const std::optional<QString> printed = ticket::LetteredText(number, 2, sep, 4);
        ASSERT_EQ(printed.has_value(), text != nullptr) << number;
        if (!text)
            continue;
        EXPECT_EQ(*printed, QLatin1String(text)) << number;
        EXPECT_EQ(ticket::ParseLettered(*printed, 2, sep, 4), qint32(number)) << text;
    }
    EXPECT_EQ(ticket::LastLettered(2, 4), 6759999);
    EXPECT_EQ(ticket::LastLettered(4, 10), std::numeric_limits<qint32>::max()); // as far as the counter goes
    for (const char* text : { "aa-0000", "AA-000", "AA0000", "AA-00000", "A1-0000" })
        EXPECT_FALSE(ticket::ParseLettered(QString::fromLatin1(text), 2, sep, 4)) << text;
    const ticket::TSerialParts parts = ticket::SerialParts(QStringLiteral("T"), 10017, QString(), 4, ticket::TCheck::Luhn, QString(), 2, sep);
    EXPECT_EQ(parts.number, QStringLiteral("AB-0017"));
    EXPECT_EQ(parts.check, ticket::CheckCharacter(ticket::TCheck::Luhn, u"0017"));
    EXPECT_EQ(parts.text, QStringLiteral("TAB-0017") + parts.check);
}

} // namespace

namespace {

// Books of 50 from 1: 49 and 50 close book 1, 51 opens book 2; numbers below the first
// book's are in book 0; {book} and {inbook} stay as typed without books.
TEST(Books, PlaceEachNumberInItsBook)
{
    const std::tuple<qint64, qint64, qint64, qint64> rows[] = {
        { 49, 1, 1, 49 }, { 50, 1, 1, 50 }, { 51, 1, 2, 1 }, { 1000, 1001, 0, 50 }, { 1001, 1001, 1, 1 },
    };
    for (const auto& [number, first, book, place] : rows) {
        const std::optional<ticket::TBookPlace> at = ticket::BookPlace(number, 50, first);
        ASSERT_TRUE(at) << number;
        EXPECT_EQ(at->book, book) << number;
        EXPECT_EQ(at->inBook, place) << number;
    }
    EXPECT_FALSE(ticket::BookPlace(51, 0, 1));
    const QString text = QStringLiteral("Book {book}, ticket {inbook} of {serial}");
    EXPECT_EQ(ticket::ItemText(text, QStringLiteral("S-51"), QStringLiteral("51"), QString(), ticket::BookPlace(51, 50, 1)),
              QStringLiteral("Book 2, ticket 1 of S-51"));
    EXPECT_EQ(ticket::ItemText(text, QStringLiteral("S-51"), QStringLiteral("51"), QString()), QStringLiteral("Book {book}, ticket {inbook} of S-51"));
}

} // namespace
