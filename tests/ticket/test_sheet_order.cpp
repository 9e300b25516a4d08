// The order tickets take on a sheet, checked the way a print room checks it: cut every
// sheet into its tickets, put the piles together, and read them.
#include "ticket/SheetLayout.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

using ticket::TOrder;
using ticket::TSheetLayout;
using ticket::TSheetPlan;

// Cut and stack: within each block, the piles in slot order, each pile from its top
// sheet down, must read 0, 1, 2, ... with no gap and no repeat.
std::vector<qint64> Guillotine(const TSheetPlan& plan, const TSheetLayout& layout)
{
    std::vector<qint64> read;
    std::map<std::pair<qint64, int>, std::vector<qint64>> piles; // (block, slot) -> tickets
    const qint64 depth = layout.StackDepth > 0 ? layout.StackDepth : plan.LogicalSheets();
    for (qint64 sheet = 0; sheet < plan.LogicalSheets(); ++sheet) {
        const QList<qint64> tickets = plan.OnSheet(sheet);
        for (int slot = 0; slot < tickets.size(); ++slot)
            if (tickets[slot] >= 0)
                piles[{ sheet / std::max<qint64>(depth, 1), slot }].push_back(tickets[slot]);
    }
    for (const auto& [where, pile] : piles)
        read.insert(read.end(), pile.begin(), pile.end());
    return read;
}

std::vector<qint64> InOrder(qint64 count)
{
    std::vector<qint64> tickets(static_cast<size_t>(count));
    for (qint64 t = 0; t < count; ++t)
        tickets[size_t(t)] = t;
    return tickets;
}

TEST(SheetOrder, CutAndStackReadsInOrderForEveryGridCountAndDepth)
{
    for (int columns = 1; columns <= 6; ++columns)
        for (int rows = 1; rows <= 6; ++rows)
            for (const int depth : { 0, 1, 3, 7 }) {
                TSheetLayout layout;
                layout.Columns = columns;
                layout.Rows = rows;
                layout.Order = TOrder::Stack;
                layout.StackDepth = depth;
                const qint64 perSheet = layout.Slots();
                for (const qint64 count : { qint64(1), perSheet * 5, perSheet * 5 + 1, perSheet * 7 - 1, qint64(97) }) {
                    const TSheetPlan plan(layout, count);
                    ASSERT_EQ(Guillotine(plan, layout), InOrder(count))
                        << columns << "x" << rows << " depth " << depth << " count " << count;
                    for (qint64 t = 0; t < count; ++t) {
                        const TSheetPlan::TPlace place = plan.Place(t);
                        ASSERT_EQ(plan.OnSheet(place.sheet).value(place.slot), t) << "ticket " << t;
                    }
                }
            }
}

// Rows and columns read sheet after sheet; the first slot skips the used part of a sheet.
TEST(SheetOrder, RowsAndColumnsFillEachSheetInTurnFromTheFirstSlot)
{
    TSheetLayout layout;
    layout.Columns = 3;
    layout.Rows = 2;
    layout.FirstSlot = 5;
    TSheetPlan rows(layout, 8);
    EXPECT_EQ(rows.LogicalSheets(), 2);
    EXPECT_EQ(rows.OnSheet(0), QList<qint64>({ -1, -1, -1, -1, 0, 1 }));
    EXPECT_EQ(rows.OnSheet(1), QList<qint64>({ 2, 3, 4, 5, 6, 7 }));
    layout.Order = TOrder::Columns;
    layout.FirstSlot = 1;
    TSheetPlan columns(layout, 5);
    // Down the first column (perSheet 0 and 3), then the next.
    EXPECT_EQ(columns.OnSheet(0), QList<qint64>({ 0, 2, 4, 1, 3, -1 }));
}

// Copies come in a row and a reversed run comes out last first, so a face-up pile reads
// in order.
TEST(SheetOrder, CopiesInARowAndReverseLastFirst)
{
    TSheetLayout layout;
    layout.Columns = 2;
    layout.Copies = 3;
    layout.Reverse = true;
    const TSheetPlan plan(layout, 5); // 3 sheets, 9 printed
    ASSERT_EQ(plan.PrintedSheets(), 9);
    std::vector<qint64> shown;
    for (qint64 printed = 0; printed < plan.PrintedSheets(); ++printed)
        shown.push_back(plan.LogicalSheet(printed));
    EXPECT_EQ(shown, (std::vector<qint64> { 2, 2, 2, 1, 1, 1, 0, 0, 0 }));
}

} // namespace
