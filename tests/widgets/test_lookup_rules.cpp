#include "widgets/LookupList.h"

#include <gtest/gtest.h>

namespace {

using lookup::Match;

const QStringList kCities{"Paris", "Bern", "berlin", "Bonn", "Rome"};

TEST(LookupMatches, IgnoreCaseByDefaultAndShowSorted)
{
    EXPECT_EQ(lookup::FindMatches(kCities, "be", false), (QList<Match>{{"berlin", 2}, {"Bern", 1}}));
    EXPECT_EQ(lookup::FindMatches(kCities, "BO", false), (QList<Match>{{"Bonn", 3}}));
    EXPECT_TRUE(lookup::FindMatches(kCities, "Berlin!", false).isEmpty());
}

TEST(LookupMatches, CaseSensitiveKeepsOnlyExactPrefixes)
{
    EXPECT_EQ(lookup::FindMatches(kCities, "Be", true), (QList<Match>{{"Bern", 1}}));
    EXPECT_TRUE(lookup::FindMatches(kCities, "pa", true).isEmpty());
}

TEST(LookupAcceptedValue, ValueListEntryOfTheSameIndexWinsWhenPresent)
{
    const QStringList codes{"FR", "CH"};
    EXPECT_EQ(lookup::AcceptedValue({"Bern", 1}, codes), "CH");
    EXPECT_EQ(lookup::AcceptedValue({"berlin", 2}, codes), "berlin"); // no third code
    EXPECT_EQ(lookup::AcceptedValue({"Bern", 1}, {}), "Bern");
}

TEST(LookupPopupSize, WidthIsWidestPlusTenNeverBelowSixty)
{
    EXPECT_EQ(lookup::PopupWidth(3, 20), 60);
    EXPECT_EQ(lookup::PopupWidth(3, 50), 60);
    EXPECT_EQ(lookup::PopupWidth(3, 131), 141);
    EXPECT_EQ(lookup::PopupWidth(0, 131), 200);
}

struct Move {
    const char* name;
    int current, count, step;
    int pageDown, pageUp;
};

class LookupPaging : public ::testing::TestWithParam<Move> {};

TEST_P(LookupPaging, MovesByDisplayCountAndStopsAtTheEnds)
{
    const Move& m = GetParam();
    EXPECT_EQ(lookup::RowAfterPageDown(m.current, m.count, m.step), m.pageDown);
    EXPECT_EQ(lookup::RowAfterPageUp(m.current, m.count, m.step), m.pageUp);
}

INSTANTIATE_TEST_SUITE_P(Rows, LookupPaging,
                         ::testing::Values(Move{"FromTopOfTen", 0, 10, 4, 4, 0},
                                           Move{"NearTheEnd", 7, 10, 4, 9, 3},
                                           Move{"ExactlyOnePageDown", 4, 10, 4, 8, 0},
                                           Move{"LastRow", 9, 10, 4, 9, 5},
                                           Move{"EmptyList", -1, 0, 4, -1, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LookupStep, ArrowsStopAtFirstAndLast)
{
    EXPECT_EQ(lookup::RowAfterStep(0, 3, -1), 0);
    EXPECT_EQ(lookup::RowAfterStep(1, 3, 1), 2);
    EXPECT_EQ(lookup::RowAfterStep(2, 3, 1), 2);
}

TEST(LookupSettings, NumCharsIgnoresZeroAndBelow)
{
    TLookupSettings settings;
    settings.SetNumChars(0);
    EXPECT_EQ(settings.NumChars(), 2);
    settings.SetNumChars(-3);
    EXPECT_EQ(settings.NumChars(), 2);
    settings.SetNumChars(3);
    EXPECT_EQ(settings.NumChars(), 3);
}

} // namespace
