// The window's side of a grid measured from the paper: the Sheet Layout dialog's choice,
// which a changed layout writes as the paper and an unchanged one leaves alone, and the
// preview's dashed ticket outlines, which never reach the printed page.
#include "support_app.h"
#include "support_window.h"

#include "app/SheetLayoutDialog.h"
#include "preview/Preview.h"
#include "preview/PreviewStatusBar.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QMenu>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class SheetOriginWindowTest : public WindowTest {};

// The outline colour of a ticket in the preview, give or take the screen's rounding.
bool TicketBlue(const QColor& c)
{
    return std::abs(c.red() - 96) < 24 && std::abs(c.green() - 128) < 24 && std::abs(c.blue() - 176) < 24;
}

TEST_F(SheetOriginWindowTest, TheDialogWritesThePaperForAChangedLayoutOnly)
{
    // A layout measured from the printable area, which begins 100 and 150 pixels (1/6 and
    // 1/4 in) into the test device's paper.
    WriteSettings("[SN]\r\nLastNumber=100\r\nPageCount=4\r\n\r\n[Sheet]\r\nColumns=2\r\nRows=2\r\nLeft=0.1\r\nTop=0.2\r\n"
                  "Width=3\r\nHeight=4\r\n");
    auto window = MakeWindow();
    ASSERT_EQ(window->SheetLayout().Origin, ticket::TOrigin::Printable);
    QString leftTip;
    double shownLeft = 0;
    WhenModal<TSheetLayoutDialog>([&](TSheetLayoutDialog* dialog) {
        // Shown from the paper, at the place it has on this printer.
        EXPECT_EQ(ticket::TOrigin(dialog->OriginBox()->currentData().toInt()), ticket::TOrigin::Paper);
        shownLeft = dialog->LeftEdit()->value();
        leftTip = dialog->LeftEdit()->toolTip();
        dialog->accept();
    });
    window->mnuSheetLayout->trigger();
    EXPECT_NEAR(shownLeft, 0.1 + 100.0 / 600, 0.0005);
    EXPECT_EQ(leftTip, QStringLiteral("From the left edge of the paper to the first ticket's left edge"));
    // Unchanged: as the file has it.
    EXPECT_EQ(window->SheetLayout().Origin, ticket::TOrigin::Printable);
    EXPECT_DOUBLE_EQ(window->SheetLayout().Left, 0.1);

    // Changed: the paper's, with the corner where it was.
    WhenModal<TSheetLayoutDialog>([&](TSheetLayoutDialog* dialog) {
        Retype(dialog->RowsEdit(), QStringLiteral("1"));
        QTest::keyClick(dialog->RowsEdit(), Qt::Key_Return);
    });
    window->mnuSheetLayout->trigger();
    EXPECT_EQ(window->SheetLayout().Origin, ticket::TOrigin::Paper);
    EXPECT_NEAR(window->SheetLayout().Left, 0.267, 0.0005);
    EXPECT_NEAR(window->SheetLayout().Top, 0.45, 0.0005);
    window->close();
    EXPECT_EQ(Setting("Sheet", "Origin"), QStringLiteral("paper"));
    EXPECT_EQ(Setting("Sheet", "Rows"), QStringLiteral("1"));
}

TEST_F(SheetOriginWindowTest, ChoosingThePrintableAreaMovesLeftAndTopAndTheirTips)
{
    WriteSettings("[SN]\r\nLastNumber=100\r\nPageCount=4\r\n");
    auto window = MakeWindow();
    QString leftTip;
    WhenModal<TSheetLayoutDialog>([&](TSheetLayoutDialog* dialog) {
        // A new layout is measured from the paper.
        EXPECT_EQ(ticket::TOrigin(dialog->OriginBox()->currentData().toInt()), ticket::TOrigin::Paper);
        Retype(dialog->ColumnsEdit(), QStringLiteral("2"));
        Retype(dialog->LeftEdit(), QStringLiteral("0.5"));
        dialog->OriginBox()->setFocus();
        QTest::keyClick(dialog->OriginBox(), Qt::Key_End); // the printable area
        leftTip = dialog->LeftEdit()->toolTip();
        QTest::keyClick(dialog->OriginBox(), Qt::Key_Return);
    });
    window->mnuSheetLayout->trigger();
    EXPECT_EQ(leftTip, QStringLiteral("From the left edge of the printer's printable area to the first ticket's left edge"));
    EXPECT_EQ(window->SheetLayout().Origin, ticket::TOrigin::Printable);
    EXPECT_NEAR(window->SheetLayout().Left, 0.5 - 100.0 / 600, 0.0005);
    window->close();
    // The printable area is what a file without the key means.
    EXPECT_TRUE(Setting("Sheet", "Origin").isNull());
    EXPECT_EQ(Setting("Sheet", "Columns"), QStringLiteral("2"));
}

TEST_F(SheetOriginWindowTest, ThePreviewOutlinesTheTicketsDashedAndThePrintDoesNot)
{
    WriteSettings("[SN]\r\nLastNumber=100\r\nPageCount=4\r\nPrefix=T\r\n\r\n[Paper]\r\nHorizontalIndent=0.5\r\nVerticalIndent=0.5\r\n"
                  "HorizontalIndent2=1\r\nVerticalIndent2=2\r\n\r\n[Font]\r\nSize=10\r\n\r\n[Sheet]\r\nColumns=2\r\nRows=2\r\n"
                  "Left=0.5\r\nTop=0.5\r\nWidth=3.5\r\nHeight=4.5\r\nGapX=0.25\r\nGapY=0.25\r\nOrigin=paper\r\n");
    auto window = MakeWindow();
    ASSERT_TRUE(ShowLarge(*window));
    const QImage preview = PreviewImage(*window);
    EXPECT_GT(apptest::CountPixels(preview, TicketBlue), 100);
    EXPECT_EQ(apptest::RedPixels(preview), 0);
    // Dashed: along the row where the outline runs farthest, its pixels come in pieces.
    int bestRow = 0;
    int bestCount = 0;
    for (int y = 0; y < preview.height(); ++y) {
        int count = 0;
        for (int x = 0; x < preview.width(); ++x)
            count += TicketBlue(preview.pixelColor(x, y)) ? 1 : 0;
        if (count > bestCount) {
            bestCount = count;
            bestRow = y;
        }
    }
    int pieces = 0;
    bool inPiece = false;
    for (int x = 0; x < preview.width(); ++x) {
        const bool on = TicketBlue(preview.pixelColor(x, bestRow));
        pieces += on && !inPiece ? 1 : 0;
        inPiece = on;
    }
    EXPECT_GT(pieces, 10) << "row " << bestRow << " has " << bestCount << " outline pixels";

    answer_ = true;
    window->ToolButton1->trigger();
    ASSERT_TRUE(QFile::exists(OutputPdf()));
    EXPECT_TRUE(apptest::PdfText(OutputPdf(), 1).contains(QStringLiteral("T101")));
    const QString stem = dir_.filePath(QStringLiteral("printed"));
    apptest::Run(QStringLiteral("pdftoppm"), { QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-singlefile"),
                                               QStringLiteral("-png"), OutputPdf(), stem });
    const QImage printed(stem + QStringLiteral(".png"));
    ASSERT_FALSE(printed.isNull());
    EXPECT_EQ(apptest::CountPixels(printed, TicketBlue), 0);

    // Tickets off the printable area: outlined in red, and the bar says why.
    ticket::TSheetLayout off = window->SheetLayout();
    off.Left = 0;
    window->SetSheetLayout(off);
    EXPECT_GT(apptest::RedPixels(PreviewImage(*window)), 0);
    EXPECT_TRUE(window->PreviewStatusBar1->UserText().contains(QStringLiteral("from the paper's corner) does not fit on the printable area")))
        << window->PreviewStatusBar1->UserText().toStdString();
}

} // namespace
