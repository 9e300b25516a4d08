// A grid measured from the paper: the same tickets on the paper whatever the printer's
// margins, the default ticket size from the paper, and the texts that record a layout
// (the journal's line, the design) unchanged for layouts measured from the printable area.
#include "ticket/SheetLayout.h"
#include "ticket/TicketDesign.h"

#include <gtest/gtest.h>

namespace {

using ticket::TOrigin;
using ticket::TPageArea;

// Letter paper with 0.158 in margins, and on a queue with wider ones, not centred.
const TPageArea kNarrow { QSizeF(8.5, 11), QRectF(0.158, 0.158, 8.184, 10.684) };
const TPageArea kWide { QSizeF(8.5, 11), QRectF(0.25, 0.30, 8.0, 10.45) };

ticket::TSheetLayout Grid(TOrigin origin)
{
    ticket::TSheetLayout layout;
    layout.Rows = 3;
    layout.Left = 0.25;
    layout.Top = 0.5;
    layout.GapY = 0.2;
    layout.Origin = origin;
    return layout;
}

QRectF OnPaper(const ticket::TSheetLayout& layout, int slot, const TPageArea& area)
{
    return ticket::SlotRect(layout, slot, area).translated(area.printable.topLeft());
}

TEST(SheetOrigin, APaperGridLiesAtTheSamePlacesOnEveryPrinter)
{
    // Tickets of the default size: 8.5 - 0.25 in wide, (11 - 0.5 - 2 x 0.2) / 3 in high.
    const double h = (11 - 0.5 - 0.4) / 3;
    const QRectF table[] = { QRectF(0.25, 0.5, 8.25, h), QRectF(0.25, 0.7 + h, 8.25, h), QRectF(0.25, 0.9 + 2 * h, 8.25, h) };
    for (int slot = 0; slot < 3; ++slot)
        for (const TPageArea& area : { kNarrow, kWide }) {
            const QRectF r = OnPaper(Grid(TOrigin::Paper), slot, area);
            EXPECT_NEAR(r.left(), table[slot].left(), 1e-9) << slot;
            EXPECT_NEAR(r.top(), table[slot].top(), 1e-9) << slot;
            EXPECT_NEAR(r.width(), table[slot].width(), 1e-9) << slot;
            EXPECT_NEAR(r.height(), table[slot].height(), 1e-9) << slot;
        }
    // From the printable area, the same layout moves and shrinks with the margins.
    EXPECT_NEAR(OnPaper(Grid(TOrigin::Printable), 0, kNarrow).left(), 0.408, 1e-9);
    EXPECT_NEAR(OnPaper(Grid(TOrigin::Printable), 0, kWide).width(), 7.75, 1e-9);
}

TEST(SheetOrigin, OnlyAPaperLayoutNamesItsOriginInTheJournalAndTheDesign)
{
    EXPECT_EQ(ticket::LayoutText(Grid(TOrigin::Printable)), QStringLiteral("1x3 left=0.25 top=0.5 gapy=0.2"));
    EXPECT_EQ(ticket::LayoutText(Grid(TOrigin::Paper)), QStringLiteral("1x3 left=0.25 top=0.5 gapy=0.2 origin=paper"));
    EXPECT_EQ(ticket::ParseLayoutText(ticket::LayoutText(Grid(TOrigin::Paper))), Grid(TOrigin::Paper));
    EXPECT_FALSE(ticket::ParseLayoutText(QStringLiteral("2x3 origin=edge")));

    ticket::TTicketDesign design;
    design.PaperSize = kWide.paper;
    design.Printable = kWide.printable;
    design.Sheet = ticket::Resolved(Grid(TOrigin::Printable), kWide);
    EXPECT_FALSE(ticket::DesignText(design).contains(QStringLiteral("Origin")));
    design.Sheet = ticket::Resolved(Grid(TOrigin::Paper), kWide);
    EXPECT_DOUBLE_EQ(design.Sheet.Width, 8.25); // sized from the paper
    const QString text = ticket::DesignText(design);
    EXPECT_TRUE(text.contains(QStringLiteral("\r\nOrigin=paper\r\n"))) << text.toStdString();
    EXPECT_EQ(ticket::ParseDesign(text), design);
}

} // namespace
