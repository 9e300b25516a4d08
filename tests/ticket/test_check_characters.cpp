// Check characters against the published examples and, over tables of ranges, against an
// implementation of each scheme written here the other way round (the check is the
// character that makes the whole number valid); serials step apart against brute force.
#include "ticket/SerialText.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

using ticket::TCheck;

// The digits with the candidate appended pass the scheme's validation: the check is the
// one candidate that does.
bool Valid(TCheck check, const std::string& digits, int candidate)
{
    switch (check) {
    case TCheck::Luhn: {
        // Validation from the right, the check digit itself undoubled.
        const std::string full = digits + char('0' + candidate);
        int sum = 0;
        for (size_t i = 0; i < full.size(); ++i) {
            const int d = full[full.size() - 1 - i] - '0';
            sum += i % 2 == 1 ? (2 * d) / 10 + (2 * d) % 10 : d;
        }
        return sum % 10 == 0;
    }
    case TCheck::Mod10: { // the check weighs 1, the payload's rightmost 3
        int sum = candidate;
        for (size_t i = 0; i < digits.size(); ++i)
            sum += (digits[digits.size() - 1 - i] - '0') * (i % 2 == 0 ? 3 : 1);
        return sum % 10 == 0;
    }
    case TCheck::Mod11: {
        int sum = candidate;
        for (size_t i = 0; i < digits.size(); ++i)
            sum += (digits[digits.size() - 1 - i] - '0') * int(2 + i % 6);
        return sum % 11 == 0;
    }
    case TCheck::Mod7: {
        unsigned __int128 value = 0; // 32 digits fit
        for (const char c : digits)
            value = value * 10 + unsigned(c - '0');
        return int(value % 7) == candidate;
    }
    case TCheck::None:
        break;
    }
    return false;
}

QString Expected(TCheck check, const QString& printed)
{
    std::string digits;
    for (const QChar c : printed)
        if (c.isDigit())
            digits += char(c.unicode());
    for (int candidate = 0; candidate <= 10; ++candidate)
        if (Valid(check, digits, candidate))
            return candidate == 10 ? QStringLiteral("X") : QString::number(candidate);
    return QStringLiteral("?");
}

TEST(CheckCharacters, PublishedExamples)
{
    EXPECT_EQ(ticket::CheckCharacter(TCheck::Luhn, u"7992739871"), QStringLiteral("3"));
    EXPECT_EQ(ticket::CheckCharacter(TCheck::Mod10, u"400638133393"), QStringLiteral("1"));
    EXPECT_EQ(ticket::CheckCharacter(TCheck::Mod11, u"13739"), QStringLiteral("1"));
    EXPECT_EQ(ticket::CheckCharacter(TCheck::Mod7, u"1234567"), QStringLiteral("5"));
    EXPECT_EQ(ticket::CheckCharacter(TCheck::None, u"1234567"), QString());
    for (const TCheck check : { TCheck::None, TCheck::Luhn, TCheck::Mod10, TCheck::Mod11, TCheck::Mod7 })
        EXPECT_EQ(ticket::ParseCheck(QStringLiteral(" %1 ").arg(ticket::CheckName(check).toUpper())), check);
    EXPECT_EQ(ticket::ParseCheck(QStringLiteral("mod97")), std::nullopt);
}

TEST(CheckCharacters, RangesAgreeWithTheValidatingImplementation)
{
    struct Range {
        const char* name;
        qint32 from;
        qint32 to;
        int digits;
    };
    const Range ranges[] = {
        { "small numbers unpadded", 0, 3000, 0 },
        { "padded to 8", 99990, 101000, 8 },
        { "padded to 32 (beyond 64 bits)", 2147482000, 2147483647, 32 },
        { "negative: the digits without the sign", -2147483647 - 1, -2147482000, 12 },
        { "around zero", -1500, 1500, 5 },
    };
    int mod11X = 0;
    for (const Range& range : ranges)
        for (const TCheck check : { TCheck::Luhn, TCheck::Mod10, TCheck::Mod11, TCheck::Mod7 })
            for (qint64 n = range.from; n <= range.to; ++n) {
                const ticket::TSerialParts parts = ticket::SerialParts(QStringLiteral("A-"), qint32(n), QStringLiteral("/B"), range.digits, check);
                const QString expected = Expected(check, parts.number);
                ASSERT_EQ(parts.check, expected) << range.name << " " << ticket::CheckName(check).toStdString() << " " << n;
                ASSERT_EQ(parts.text, QStringLiteral("A-") + parts.number + expected + QStringLiteral("/B"));
                mod11X += parts.check == QStringLiteral("X");
            }
    EXPECT_GT(mod11X, 100); // the tables reach mod 11's "X"
}

TEST(SerialSteps, SharedIndicesAgreeWithBruteForceAcrossTheWrap)
{
    // Spans near 0 and near the wrap, with steps that share factors and ones that do not.
    std::mt19937 random(20261207);
    const qint32 bases[] = { 0, -50, 2147483600, -2147483647 - 1 };
    int shared = 0;
    for (int round = 0; round < 4000; ++round) {
        const auto span = [&] {
            ticket::TSerialSpan s;
            s.first = ticket::NthSerial(bases[random() % 4], qint64(random() % 120), 1);
            s.count = 1 + random() % 25;
            const qint64 steps[] = { 1, 2, 3, 4, 6, 7, 10, 12, 15 };
            s.step = steps[random() % 9];
            return s;
        };
        const ticket::TSerialSpan a = span();
        const ticket::TSerialSpan b = span();
        std::set<qint32> inB;
        for (qint64 j = 0; j < b.count; ++j)
            inB.insert(ticket::NthSerial(b.first, j, b.step));
        std::vector<qint64> expected;
        for (qint64 i = 0; i < a.count; ++i)
            if (inB.count(ticket::NthSerial(a.first, i, a.step)))
                expected.push_back(i);
        const std::optional<ticket::TSharedIndices> found = ticket::SharedIndices(a, b);
        std::vector<qint64> got;
        if (found)
            for (qint64 i = found->first; i <= found->last; i += found->period)
                got.push_back(i);
        ASSERT_EQ(got, expected) << a.first << "+" << a.step << "x" << a.count << " vs " << b.first << "+" << b.step << "x" << b.count;
        shared += !expected.empty();
    }
    EXPECT_GT(shared, 500);
}

} // namespace
