// A grid measured from the paper: the same tickets and cut marks on the paper whatever
// the printer's margins, the default ticket size from the paper, and the texts that
// record a layout (the journal's line, the design) unchanged for the layouts measured
// from the printable area.
#include "ticket/SheetLayout.h"
#include "ticket/TicketDesign.h"

#include <gtest/gtest.h>

namespace {

using ticket::TOrigin;
using ticket::TPageArea;
using ticket::TSheetLayout;

// Letter paper on a printer with 0.158 in margins, and on a queue with 0.25 in margins
// and a printable area not centred.
const TPageArea kNarrowMargins { QSizeF(8.5, 11), QRectF(0.158, 0.158, 8.5 - 0.316, 11 - 0.316) };
const TPageArea kWideMargins { QSizeF(8.5, 11), QRectF(0.25, 0.30, 8.0, 10.45) };

TSheetLayout Grid(TOrigin origin)
{
    TSheetLayout layout;
    layout.Columns = 1;
    layout.Rows = 3;
    layout.Left = 0.25;
    layout.Top = 0.5;
    layout.GapY = 0.2;
    layout.CutMarks = true;
    layout.Origin = origin;
    return layout;
}

QRectF OnPaper(const TSheetLayout& layout, int slot, const TPageArea& area)
{
    return ticket::SlotRect(layout, slot, area).translated(area.printable.topLeft());
}

void ExpectNear(const QRectF& a, const QRectF& b, const char* what)
{
    EXPECT_NEAR(a.left(), b.left(), 1e-9) << what;
    EXPECT_NEAR(a.top(), b.top(), 1e-9) << what;
    EXPECT_NEAR(a.width(), b.width(), 1e-9) << what;
    EXPECT_NEAR(a.height(), b.height(), 1e-9) << what;
}

TEST(SheetOrigin, APaperGridLiesAtTheSamePlacesOnEveryPrinter)
{
    // Every slot, measured from the paper's corner: (left, top, width, height).
    struct Row {
        int slot;
        QRectF paper;
    };
    // Default sizes from the paper: (8.5 - 0.25) wide, (11 - 0.5 - 2 * 0.2) / 3 high.
    const double height = (11 - 0.5 - 0.4) / 3;
    const Row table[] = {
        { 0, QRectF(0.25, 0.5, 8.25, height) },
        { 1, QRectF(0.25, 0.5 + height + 0.2, 8.25, height) },
        { 2, QRectF(0.25, 0.5 + 2 * (height + 0.2), 8.25, height) },
    };
    const TSheetLayout paper = Grid(TOrigin::Paper);
    for (const Row& row : table) {
        SCOPED_TRACE(row.slot);
        ExpectNear(OnPaper(paper, row.slot, kNarrowMargins), row.paper, "narrow margins");
        ExpectNear(OnPaper(paper, row.slot, kWideMargins), row.paper, "wide margins");
    }
    // Measured from the printable area, the same layout moves and shrinks with the margins.
    const TSheetLayout printable = Grid(TOrigin::Printable);
    const QRectF narrow = OnPaper(printable, 2, kNarrowMargins);
    const QRectF wide = OnPaper(printable, 2, kWideMargins);
    EXPECT_NEAR(narrow.left(), 0.408, 1e-9);
    EXPECT_NEAR(wide.left(), 0.5, 1e-9);
    EXPECT_NEAR(narrow.width(), 8.184 - 0.25, 1e-9);
    EXPECT_NEAR(wide.width(), 7.75, 1e-9);
    // Given sizes are kept; the corner still follows the origin.
    TSheetLayout sized = paper;
    sized.Width = 7.99;
    sized.Height = 2.85;
    ExpectNear(OnPaper(sized, 1, kWideMargins), QRectF(0.25, 0.5 + 2.85 + 0.2, 7.99, 2.85), "given size");
    // A printer that reports no paper: the printable area stands for it.
    const TPageArea noPaper { QSizeF(), kWideMargins.printable };
    EXPECT_EQ(ticket::SlotRect(paper, 1, noPaper), ticket::SlotRect(printable, 1, noPaper));
}

TEST(SheetOrigin, CutMarksOfAPaperGridLieAtTheSamePlacesOnEveryPrinter)
{
    const TSheetLayout paper = Grid(TOrigin::Paper);
    const QList<QLineF> narrow = ticket::CutMarkLines(paper, kNarrowMargins);
    const QList<QLineF> wide = ticket::CutMarkLines(paper, kWideMargins);
    // Two marks for each of 2 vertical edges and 6 horizontal ones.
    ASSERT_EQ(narrow.size(), 16);
    ASSERT_EQ(wide.size(), narrow.size());
    for (qsizetype i = 0; i < narrow.size(); ++i) {
        const QLineF a = narrow[i].translated(kNarrowMargins.printable.topLeft());
        const QLineF b = wide[i].translated(kWideMargins.printable.topLeft());
        EXPECT_NEAR(a.x1(), b.x1(), 1e-9) << i;
        EXPECT_NEAR(a.y1(), b.y1(), 1e-9) << i;
        EXPECT_NEAR(a.x2(), b.x2(), 1e-9) << i;
        EXPECT_NEAR(a.y2(), b.y2(), 1e-9) << i;
    }
    // The first mark stands above the grid's left edge, 1/16 in off it.
    const QLineF first = narrow[0].translated(kNarrowMargins.printable.topLeft());
    EXPECT_NEAR(first.x1(), 0.25, 1e-9);
    EXPECT_NEAR(first.y2(), 0.5 - 0.0625, 1e-9);
    TSheetLayout none = paper;
    none.CutMarks = false;
    EXPECT_TRUE(ticket::CutMarkLines(none, kWideMargins).isEmpty());
}

TEST(SheetOrigin, TheJournalsLineNamesThePaperOnly)
{
    TSheetLayout layout = Grid(TOrigin::Printable);
    layout.Columns = 2;
    EXPECT_EQ(ticket::LayoutText(layout), QStringLiteral("2x3 marks left=0.25 top=0.5 gapy=0.2"));
    layout.Origin = TOrigin::Paper;
    EXPECT_EQ(ticket::LayoutText(layout), QStringLiteral("2x3 marks left=0.25 top=0.5 gapy=0.2 origin=paper"));
    EXPECT_EQ(ticket::ParseLayoutText(ticket::LayoutText(layout)), layout);
    EXPECT_EQ(ticket::ParseLayoutText(QStringLiteral("2x3 origin=printable"))->Origin, TOrigin::Printable);
    EXPECT_FALSE(ticket::ParseLayoutText(QStringLiteral("2x3 origin=edge")));
    EXPECT_FALSE(ticket::ParseLayoutText(QStringLiteral("2x3 origin")));
}

TEST(SheetOrigin, TheDesignRecordsThePaperAndSizesTicketsFromIt)
{
    ticket::TTicketDesign design;
    design.Paper = QStringLiteral("Letter");
    design.PaperSize = kWideMargins.paper;
    design.Printable = kWideMargins.printable;
    design.Sheet = ticket::Resolved(Grid(TOrigin::Printable), kWideMargins);
    const QString printable = ticket::DesignText(design);
    EXPECT_FALSE(printable.contains(QStringLiteral("Origin"))) << printable.toStdString();
    EXPECT_DOUBLE_EQ(design.Sheet.Width, 7.75);

    design.Sheet = ticket::Resolved(Grid(TOrigin::Paper), kWideMargins);
    EXPECT_DOUBLE_EQ(design.Sheet.Width, 8.25);
    EXPECT_DOUBLE_EQ(design.Sheet.Height, (11 - 0.5 - 0.4) / 3);
    const QString paper = ticket::DesignText(design);
    EXPECT_TRUE(paper.contains(QStringLiteral("\r\nOrigin=paper\r\n"))) << paper.toStdString();
    // Only the origin tells the two apart, and the text reads back to the same design.
    const std::optional<ticket::TTicketDesign> back = ticket::ParseDesign(paper);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, design);
    EXPECT_EQ(ticket::DesignText(*back), paper);
    EXPECT_NE(ticket::DesignHash(paper), ticket::DesignHash(printable));
    // Replayed on the other printer, the resolved grid keeps its place on the paper.
    for (int slot = 0; slot < 3; ++slot)
        ExpectNear(OnPaper(back->Sheet, slot, kNarrowMargins), OnPaper(Grid(TOrigin::Paper), slot, kWideMargins), "replayed");
}

} // namespace
