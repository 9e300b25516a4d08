#include "widgets/EditDragDrop.h"

#include <gtest/gtest.h>

namespace {

using dragdrop::Selection;

TEST(DropText, KeepsOnlyTheFirstLine)
{
    EXPECT_EQ(dragdrop::FirstLine("one\r\ntwo"), "one");
    EXPECT_EQ(dragdrop::FirstLine("one\ntwo"), "one");
    EXPECT_EQ(dragdrop::FirstLine("one\rtwo"), "one");
    EXPECT_EQ(dragdrop::FirstLine("single"), "single");
    EXPECT_EQ(dragdrop::FirstLine("\nlost"), "");
}

struct DropRow {
    const char* name;
    int dropPos;
    bool fromThis, copy;
    int selStart, selLength;
    bool ignored;
    int removeFrom, removeCount, insertAt;
};

class DropPlanning : public ::testing::TestWithParam<DropRow> {};

// The window text is "<<value>>" style: prefix of 2, value from 2 to 8.
TEST_P(DropPlanning, RemovesOwnSelectionOnAMoveAndInsertsAtTheDropPosition)
{
    const DropRow& r = GetParam();
    const dragdrop::DropPlan plan = dragdrop::PlanDrop(r.dropPos, r.fromThis, r.copy, r.selStart, r.selLength, 2, 8);
    EXPECT_EQ(plan.ignored, r.ignored);
    if (r.ignored)
        return;
    EXPECT_EQ(plan.removeFrom, r.removeFrom);
    EXPECT_EQ(plan.removeCount, r.removeCount);
    EXPECT_EQ(plan.insertAt, r.insertAt);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DropPlanning,
    ::testing::Values(DropRow{"FromOutside", 5, false, false, 3, 2, false, 0, 0, 5},
                      DropRow{"IntoOwnSelectionIsIgnored", 4, true, false, 3, 2, true, 0, 0, 0},
                      DropRow{"MoveBeforeSelection", 2, true, false, 5, 2, false, 5, 2, 2},
                      DropRow{"MoveAfterSelectionShiftsBack", 8, true, false, 2, 3, false, 2, 3, 5},
                      DropRow{"CopyWithControlKeepsSelection", 8, true, true, 2, 3, false, 0, 0, 8},
                      DropRow{"IntoPrefixLandsAtValueStart", 0, false, false, 4, 0, false, 0, 0, 2},
                      DropRow{"IntoSuffixLandsAtValueEnd", 10, false, false, 4, 0, false, 0, 0, 8}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AfterClick, CaretInPrefixSelectsTheValue)
{
    EXPECT_EQ(dragdrop::AfterClick({1, 0}, 2, 8), (Selection{2, 6}));
}

TEST(AfterClick, SelectionPastTheValueIsCutBack)
{
    EXPECT_EQ(dragdrop::AfterClick({10, 0}, 2, 8), (Selection{8, 0}));
    EXPECT_EQ(dragdrop::AfterClick({5, 5}, 2, 8), (Selection{5, 3}));
    EXPECT_EQ(dragdrop::AfterClick({0, 4}, 2, 8), (Selection{2, 2}));
}

TEST(AfterClick, CaretInsideTheValueStays)
{
    EXPECT_EQ(dragdrop::AfterClick({4, 0}, 2, 8), (Selection{4, 0}));
    EXPECT_EQ(dragdrop::AfterClick({3, 2}, 2, 8), (Selection{3, 2}));
}

} // namespace
