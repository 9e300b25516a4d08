// A run's design as one value: its canonical text names it, reads back to the same
// design, and sizes its tickets as they came out.
#include "ticket/TicketDesign.h"

#include <gtest/gtest.h>

namespace {

ticket::TTicketDesign Sample()
{
    ticket::TTicketDesign d;
    d.Paper = QStringLiteral("A4");
    d.PaperSize = QSizeF(8.27, 11.69);
    d.Printable = QRectF(0.25, 0.2, 7.77, 11.19);
    d.Page.Prefix = QStringLiteral(" No. "); // blanks at both ends survive
    d.Page.Suffix = QStringLiteral("\"/A\"");
    d.Page.HorizontalIndent = 0.125;
    d.Page.VerticalIndent2 = 5.5;
    d.Page.Font.Name = QStringLiteral("DejaVu Sans");
    d.Page.Font.Size = 9;
    d.Page.Font.Bold = true;
    d.Page.Digits = 6;
    d.Page.Step = 10;
    d.Page.Check = ticket::TCheck::Mod11;
    d.Page.Mark = QStringLiteral("REPRINT");
    ticket::TTicketItem code;
    code.Kind = ticket::TItemKind::Barcode;
    code.Symbology = ticket::TSymbology::QR;
    code.Left = 1.5;
    code.Rotation = 90;
    ticket::TTicketItem text;
    text.Text = QStringLiteral("{number} / {check}");
    text.Size = 7;
    d.Page.Items = { code, text };
    d.Sheet.Columns = 2;
    d.Sheet.Rows = 4;
    d.Sheet.Order = ticket::TOrder::Stack;
    d.Sheet.StackDepth = 300;
    d.Sheet.Width = 3.5;
    d.Sheet.Height = 2.5;
    d.Artwork.File = QStringLiteral("/art/ticket, v2.pdf");
    d.Artwork.Page = 2;
    d.Artwork.Scope = ticket::TTemplateScope::Ticket;
    d.ArtworkSha256 = QString(64, QLatin1Char('a'));
    return d;
}

TEST(TicketDesign, TextReadsBackToTheSameDesignAndOneDesignHasOneHash)
{
    const ticket::TTicketDesign design = Sample();
    const QString text = ticket::DesignText(design);
    const std::optional<ticket::TTicketDesign> read = ticket::ParseDesign(text);
    ASSERT_TRUE(read.has_value()) << text.toStdString();
    EXPECT_EQ(*read, design);
    EXPECT_EQ(ticket::DesignText(*read), text);
    EXPECT_EQ(ticket::DesignHash(text).size(), 64);

    // Anything that changes the paper changes the name.
    ticket::TTicketDesign moved = design;
    moved.Page.VerticalIndent2 += 0.01;
    EXPECT_NE(ticket::DesignHash(ticket::DesignText(moved)), ticket::DesignHash(text));
    moved = design;
    moved.Artwork.Page = 1;
    EXPECT_NE(ticket::DesignHash(ticket::DesignText(moved)), ticket::DesignHash(text));
}

TEST(TicketDesign, TextOfAnotherVersionOrSchemeIsNotADesign)
{
    QString text = ticket::DesignText(Sample());
    EXPECT_FALSE(ticket::ParseDesign(QString(text).replace(QStringLiteral("Version=1"), QStringLiteral("Version=2"))));
    EXPECT_FALSE(ticket::ParseDesign(QString(text).replace(QStringLiteral("Check=mod11"), QStringLiteral("Check=mod97"))));
    EXPECT_FALSE(ticket::ParseDesign(QStringLiteral("[SN]\nPrefix=A-\n")));
}

// The journal's layout text keeps its form (older journals hold it) and reads back.
TEST(TicketDesign, LayoutTextNamesWhatIsNotTheDefault)
{
    ticket::TSheetLayout layout = Sample().Sheet;
    layout.Reverse = true;
    layout.CutMarks = true;
    layout.GapX = 0.1;
    const QString text = ticket::LayoutText(layout);
    EXPECT_EQ(text, QStringLiteral("2x4 order=stack depth=300 reverse marks width=3.5 height=2.5 gapx=0.1"));
    EXPECT_EQ(ticket::ParseLayoutText(text), layout);
    EXPECT_EQ(ticket::LayoutText(ticket::TSheetLayout()), QStringLiteral("1x1"));
    for (const char* bad : { "2x", "2x4 reverse=1", "2x4 depth=x", "2x4 order=spiral", "2x4 colour=red" })
        EXPECT_FALSE(ticket::ParseLayoutText(QLatin1String(bad))) << bad;
}

TEST(TicketDesign, TicketsOfNoSizeAreGivenTheSizeTheyCameTo)
{
    ticket::TSheetLayout layout;
    layout.Columns = 2;
    layout.Rows = 4;
    layout.GapX = 0.5;
    const ticket::TSheetLayout resolved = ticket::Resolved(layout, ticket::TPageArea::Printable(QSizeF(8.0, 10.0)));
    EXPECT_DOUBLE_EQ(resolved.Width, 3.75);
    EXPECT_DOUBLE_EQ(resolved.Height, 2.5);
    // The same tickets on a smaller printable area, where 0 would have shrunk them.
    EXPECT_EQ(ticket::SlotRect(resolved, 7, ticket::TPageArea::Printable(QSizeF(7.5, 9.5))),
              ticket::SlotRect(layout, 7, ticket::TPageArea::Printable(QSizeF(8.0, 10.0))));
    EXPECT_EQ(ticket::Resolved(ticket::TSheetLayout(), ticket::TPageArea::Printable(QSizeF(8.0, 10.0))), ticket::TSheetLayout());
}

TEST(TicketDesign, PrintableAreasDifferFromAHundredthOfAnInch)
{
    const QRectF recorded(0.25, 0.25, 8.0, 10.5);
    EXPECT_TRUE(ticket::PrintableDifference(recorded, recorded.adjusted(0.004, 0, 0.004, 0)).isEmpty());
    const QString text = ticket::PrintableDifference(recorded, QRectF(0.5, 0.25, 7.5, 10.5));
    EXPECT_EQ(text, QStringLiteral("the printable area is 7.50 x 10.50 in at 0.50, 0.25 in now, 8.00 x 10.50 in at 0.25, 0.25 in when it printed"));
}

} // namespace
