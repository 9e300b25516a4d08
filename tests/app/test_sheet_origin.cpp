// A grid measured from the paper, through the print room into the PDF printer on test
// devices with other margins: the serials and the cut marks stand at the same places on
// the paper, a reprint on the other printer puts them there again without asking, and
// the preflight tells of tickets and cut marks off the printable area.
#include "support_app.h"

#include "platform/Printer.h"
#include "printjob/PrintJob.h"
#include "run/Journal.h"
#include "run/PrintRoom.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

// Letter paper at 600 dpi: margins of 1/8 and 1/6 in, and a queue with 1/4 in and more.
// (Margins of whole points: the test device lays its PDF's printable area out in them.)
constexpr TDeviceCaps kNarrow { 600, 600, 5100, 6600, 75, 100, 4950, 6400 };
constexpr TDeviceCaps kWide { 600, 600, 5100, 6600, 150, 175, 4800, 6250 };

class SheetOriginTest : public testing::Test {
protected:
    static void SetUpTestSuite() { apptest::UsePdfPrinterOnly(); }
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        TPrinter::ResetForTests();
        settings_ = dir_.filePath(QStringLiteral("Tallyforge.ini"));
        QFile file(settings_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[SN]\r\nLastNumber=100\r\n");
        file.close();
        room_ = std::make_unique<TPrintRoom>(job_, std::make_shared<TLocalSeries>(settings_));
        serial::ConfigureJob(job_, [this](TCustomPrintJob*, TCanvas* canvas, int pageIndex, TRect, TDrawArea area, TDrawTarget) {
            room_->Run().DrawPage(*canvas, pageIndex, area, *room_->Run().Page());
        });
    }
    void TearDown() override { TPrinter::ResetForTests(); }

    // Two by three tickets of 3.5 x 2.9 in, 0.6 in from the paper's left edge and 0.7 in
    // from its top, with cut marks: on the paper of both devices.
    static ticket::TSheetLayout Grid()
    {
        ticket::TSheetLayout layout;
        layout.Columns = 2;
        layout.Rows = 3;
        layout.Left = 0.6;
        layout.Top = 0.7;
        layout.Width = 3.5;
        layout.Height = 2.9;
        layout.GapX = 0.2;
        layout.GapY = 0.3;
        layout.CutMarks = true;
        layout.Origin = ticket::TOrigin::Paper;
        return layout;
    }
    static TPrintRequest Request(TRunKind kind, int first, const ticket::TSheetLayout& layout)
    {
        TPrintRequest request;
        request.kind = kind;
        request.page.StartingNumber = first;
        request.page.Prefix = QStringLiteral("T");
        request.page.Font.Size = 10;
        request.page.HorizontalIndent = 0.1;
        request.page.VerticalIndent = 0.1;
        request.page.HorizontalIndent2 = 1.5;
        request.page.VerticalIndent2 = 2.0;
        request.count = 6;
        request.knownLastNumber = QStringLiteral("100");
        request.layout = layout;
        return request;
    }
    TPrintPlan Prepare(const TPrintRequest& request, const QString& name)
    {
        Printer().SetOutputFileName(dir_.filePath(name), TOutputFileMode::Exact);
        return room_->Prepare(request);
    }
    // The serials' words on the first page, in reading order.
    QList<apptest::PdfWord> Words(const QString& name) const
    {
        QList<apptest::PdfWord> words;
        for (const apptest::PdfWord& word : apptest::PdfWords(dir_.filePath(name)))
            if (word.page == 1 && word.text.startsWith(QLatin1Char('T')))
                words << word;
        return words;
    }
    // How dark the page is around a point given in inches from the paper's corner.
    int Darkest(const QString& name, const QPointF& inches)
    {
        const QString stem = dir_.filePath(name + QStringLiteral("-render"));
        apptest::Run(QStringLiteral("pdftoppm"), { QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-gray"),
                                                   QStringLiteral("-singlefile"), QStringLiteral("-png"), dir_.filePath(name), stem });
        const QImage page = QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_Grayscale8);
        int darkest = 255;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                darkest = std::min(darkest, qGray(page.pixel(qRound(inches.x() * 100) + dx, qRound(inches.y() * 100) + dy)));
        return darkest;
    }
    static QStringList Kinds(const QList<TPreflightWarning>& warnings)
    {
        QStringList kinds;
        for (const TPreflightWarning& warning : warnings)
            if (warning.kind == TPreflightWarning::Kind::TicketOutside)
                kinds << QStringLiteral("tickets");
            else if (warning.kind == TPreflightWarning::Kind::CutMarksOutside)
                kinds << QStringLiteral("marks");
        return kinds;
    }

    QTemporaryDir dir_;
    QString settings_;
    TPrintJob job_;
    std::unique_ptr<TPrintRoom> room_;
};

TEST_F(SheetOriginTest, APaperGridPrintsAtTheSamePlacesOnPrintersWithOtherMargins)
{
    TPrinter::InstallTestDevice(kNarrow);
    TPrintPlan plan = Prepare(Request(TRunKind::Print, 101, Grid()), QStringLiteral("narrow.pdf"));
    EXPECT_TRUE(plan.questions.isEmpty()) << plan.questions.value(0).text.toStdString();
    ASSERT_TRUE(room_->Carry(plan));

    TPrinter::InstallTestDevice(kWide);
    TPrintRequest next = Request(TRunKind::Print, 107, Grid());
    next.knownLastNumber = QStringLiteral("106");
    plan = Prepare(next, QStringLiteral("wide.pdf"));
    EXPECT_TRUE(plan.questions.isEmpty()) << plan.questions.value(0).text.toStdString();
    ASSERT_TRUE(room_->Carry(plan));
    // The first run's serials again on the other printer: its design, no question about
    // the printable area, which does not move a grid measured from the paper.
    TPrintRequest reprint = Request(TRunKind::Reprint, 101, ticket::TSheetLayout());
    plan = Prepare(reprint, QStringLiteral("reprint.pdf"));
    EXPECT_FALSE(plan.Asks(TPrintQuestion::Kind::PrintableChanged));
    EXPECT_EQ(plan.request.layout.Origin, ticket::TOrigin::Paper);
    ASSERT_TRUE(room_->Carry(plan));

    const QList<apptest::PdfWord> narrow = Words(QStringLiteral("narrow.pdf"));
    const QList<apptest::PdfWord> wide = Words(QStringLiteral("wide.pdf"));
    const QList<apptest::PdfWord> again = Words(QStringLiteral("reprint.pdf"));
    ASSERT_EQ(narrow.size(), 12); // two serials on each of six tickets
    ASSERT_EQ(wide.size(), narrow.size());
    ASSERT_EQ(again.size(), narrow.size());
    for (qsizetype i = 0; i < narrow.size(); ++i) {
        SCOPED_TRACE(narrow[i].text.toStdString());
        EXPECT_NEAR(wide[i].xMin, narrow[i].xMin, 0.2);
        EXPECT_NEAR(wide[i].yMin, narrow[i].yMin, 0.2);
        EXPECT_EQ(again[i].text, narrow[i].text);
        EXPECT_NEAR(again[i].xMin, narrow[i].xMin, 0.2);
        EXPECT_NEAR(again[i].yMin, narrow[i].yMin, 0.2);
    }
    // Where the layout says on the paper: the first ticket's first serial 0.1 in into the
    // ticket at 0.6, 0.7 in; the last ticket's at 0.6 + 3.7, 0.7 + 2 * 3.2 in.
    const auto first = std::find_if(narrow.begin(), narrow.end(), [](const apptest::PdfWord& w) { return w.text == QStringLiteral("T101"); });
    const auto last = std::find_if(narrow.begin(), narrow.end(), [](const apptest::PdfWord& w) { return w.text == QStringLiteral("T106"); });
    ASSERT_NE(first, narrow.end());
    ASSERT_NE(last, narrow.end());
    EXPECT_NEAR(first->xMin, 0.7 * 72, 2.0);
    EXPECT_NEAR(first->yMin, 0.8 * 72, 3.0);
    EXPECT_NEAR(last->xMin, 4.4 * 72, 2.0);
    EXPECT_NEAR(last->yMin, 7.2 * 72, 3.0);
    // The cut marks too: the one above the grid's left edge, and the one right of its
    // bottom edge, on both.
    for (const QString& pdf : { QStringLiteral("narrow.pdf"), QStringLiteral("wide.pdf") }) {
        EXPECT_LT(Darkest(pdf, QPointF(0.6, 0.55)), 128) << pdf.toStdString();
        EXPECT_LT(Darkest(pdf, QPointF(7.8 + 0.16, 10.0)), 128) << pdf.toStdString();
        EXPECT_GT(Darkest(pdf, QPointF(0.8, 0.55)), 200) << pdf.toStdString(); // beside a mark: paper
    }
}

TEST_F(SheetOriginTest, TicketsAndCutMarksOffThePrintableAreaAreWarnings)
{
    TPrinter::InstallTestDevice(kWide); // printable from 0.25, 0.29 in, 8.00 x 10.42 in
    struct Case {
        const char* what;
        ticket::TSheetLayout layout;
        QStringList kinds;
    };
    ticket::TSheetLayout fromCorner; // the paper's corner on, tickets of the paper's size
    fromCorner.Columns = 2;
    fromCorner.Rows = 3;
    fromCorner.Origin = ticket::TOrigin::Paper;
    ticket::TSheetLayout marksOff = Grid();
    marksOff.Left = 0.3; // the tickets fit, the marks left of them do not
    ticket::TSheetLayout filling; // the printable area filled, marks beside it
    filling.Columns = 2;
    filling.Rows = 2;
    filling.CutMarks = true;
    ticket::TSheetLayout fillingNoMarks = filling;
    fillingNoMarks.CutMarks = false;
    const Case cases[] = {
        { "paper grid that fits", Grid(), {} },
        { "tickets from the paper's corner", fromCorner, { "tickets" } },
        { "marks off the left edge", marksOff, { "marks" } },
        { "printable area filled with marks", filling, { "marks" } },
        { "printable area filled", fillingNoMarks, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TPrintPlan plan = Prepare(Request(TRunKind::Print, 101, c.layout), QStringLiteral("unused.pdf"));
        EXPECT_EQ(Kinds(plan.warnings), c.kinds);
        // A print that moves the counter asks about them first.
        EXPECT_EQ(plan.Asks(TPrintQuestion::Kind::Misprint), !c.kinds.isEmpty());
    }
    const TPrintPlan plan = Prepare(Request(TRunKind::Print, 101, fromCorner), QStringLiteral("unused.pdf"));
    const auto ticket = std::find_if(plan.warnings.begin(), plan.warnings.end(), [](const TPreflightWarning& w) {
        return w.kind == TPreflightWarning::Kind::TicketOutside;
    });
    ASSERT_NE(ticket, plan.warnings.end());
    EXPECT_EQ(ticket->text, QStringLiteral("Ticket 1 of the sheet (4.25 x 3.67 in at 0.00, 0.00 in from the paper's corner) does not "
                                           "fit on the printable area of the page (8.00 x 10.42 in at 0.25, 0.29 in)"));
    const TPrintPlan marks = Prepare(Request(TRunKind::Print, 101, marksOff), QStringLiteral("unused.pdf"));
    EXPECT_TRUE(marks.questions.value(0).text.contains(QStringLiteral(
        "Cut marks fall off the printable area of the page (8.00 x 10.42 in at 0.25, 0.29 in from the paper's corner): those outside it do not print")))
        << marks.questions.value(0).text.toStdString();
}

} // namespace
