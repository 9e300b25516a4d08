// Page drawing on canvases and the print loop, printing for real to PDF on test printers.
#include "support_printjob.h"

#include "dialogs/Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTimer>

using testsupport::PdfPageCount;
using testsupport::PdfPageText;
using testsupport::PrinterFixture;

namespace {

struct DrawCall {
    int page;
    TRect rect;
    TDrawArea area;
    TDrawTarget target;
    QPoint origin;
};

class DrawingTest : public PrinterFixture {
protected:
    DrawingTest() : image(400, 400, QImage::Format_RGB32), painter(&image), canvas(&painter)
    {
        job.OnDraw = [this](TCustomPrintJob*, TCanvas* c, int page, TRect rect, TDrawArea area, TDrawTarget target) {
            calls.push_back({page, rect, area, target, c->ViewportOrg()});
        };
    }
    TPrintJob job;
    QImage image;
    QPainter painter;
    TCanvas canvas;
    std::vector<DrawCall> calls;
};

TEST_F(DrawingTest, OneBodyCallWithThePageRectangle)
{
    job.PaintTo(&canvas, 4);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].page, 4);
    EXPECT_EQ(calls[0].area, daBody);
    EXPECT_EQ(calls[0].target, dtCanvas);
    EXPECT_EQ(calls[0].rect, (TRect{0, 0, 5100, 6600}));
}

TEST_F(DrawingTest, BandsComeHeaderBodyFooter)
{
    job.SetOptions({joHeader, joFooter});
    job.SetHeader(300);
    job.SetFooter(200);
    job.DrawPage(&canvas, 1, dtPreview);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].area, daHeader);
    EXPECT_EQ(calls[0].rect, (TRect{0, 0, 5100, 300}));
    EXPECT_EQ(calls[1].area, daBody);
    EXPECT_EQ(calls[1].rect, (TRect{0, 300, 5100, 6400}));
    EXPECT_EQ(calls[2].area, daFooter);
    EXPECT_EQ(calls[2].rect, (TRect{0, 6400, 5100, 6600}));
    EXPECT_EQ(calls[2].target, dtPreview);
}

TEST_F(DrawingTest, RelativeCoordsMoveTheOriginToEachBandAndPutItBack)
{
    job.SetOptions({joHeader});
    job.SetHeader(300);
    job.SetRelativeCoords(true);
    canvas.SetViewportOrg(QPoint(7, 9));
    job.DrawPage(&canvas, 1, dtPreview);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].rect, (TRect{0, 0, 5100, 300}));
    EXPECT_EQ(calls[0].origin, QPoint(7, 9));
    EXPECT_EQ(calls[1].rect, (TRect{0, 0, 5100, 6300}));
    EXPECT_EQ(calls[1].origin, QPoint(7, 309));
    EXPECT_EQ(canvas.ViewportOrg(), QPoint(7, 9));
}

TEST_F(DrawingTest, RelativeCoordsScaleTheBandOffsetByTheMapping)
{
    job.SetOptions({joHeader});
    job.SetHeader(301);
    job.SetRelativeCoords(true);
    canvas.SetMapping(QSize(2, 2), QSize(1, 1));
    job.DrawPage(&canvas, 1, dtPreview);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].origin, QPoint(0, 150)) << "301 / 2 = 150.5 rounds to the even 150";
}

TEST_F(DrawingTest, RelativeCoordsRestoreTheOriginWhenTheHandlerThrows)
{
    job.SetRelativeCoords(true);
    job.SetOptions({joHeader});
    job.SetHeader(100);
    canvas.SetViewportOrg(QPoint(3, 4));
    job.OnDraw = [](TCustomPrintJob*, TCanvas*, int, TRect, TDrawArea area, TDrawTarget) {
        if (area == daBody)
            throw std::runtime_error("draw failed");
    };
    EXPECT_THROW(job.PaintTo(&canvas, 1), std::runtime_error);
    EXPECT_EQ(canvas.ViewportOrg(), QPoint(3, 4));
}

TEST_F(DrawingTest, InitDrawSetsTheCanvasDefaultsBeforeOnInitDraw)
{
    canvas.Font().SetName(QStringLiteral("Courier"));
    canvas.Font().SetSize(30);
    canvas.Font().SetStyle(fsBold);
    canvas.Pen().SetWidth(5);
    canvas.Pen().SetStyle(psDash);
    canvas.Brush().SetStyle(bsClear);
    canvas.Brush().SetColor(Qt::red);
    TDrawTarget seen = dtPrinter;
    job.OnInitDraw = [&](TCustomPrintJob*, TCanvas* c, TDrawTarget target) {
        seen = target;
        EXPECT_EQ(c->Font().Name(), QStringLiteral("Arial"));
        EXPECT_EQ(c->Font().Size(), 10);
        EXPECT_EQ(c->Font().Style(), TFontStyles());
        EXPECT_EQ(c->Font().Color(), QColor(Qt::black));
        EXPECT_EQ(c->Font().PixelsPerInch(), 600) << "the printer's vertical resolution";
        EXPECT_EQ(c->Pen().Width(), 0);
        EXPECT_EQ(c->Pen().Style(), psSolid);
        EXPECT_EQ(c->Pen().Mode(), pmCopy);
        EXPECT_EQ(c->Brush().Style(), bsSolid);
        EXPECT_EQ(c->Brush().Color(), QColor(Qt::white));
        EXPECT_TRUE(calls.empty());
    };
    job.DrawPage(&canvas, 1, dtPreview);
    EXPECT_EQ(seen, dtPreview);
    EXPECT_EQ(calls.size(), 1u);
}

// ------------------------------------------------------------------ the print loop

class PrintingTest : public PrinterFixture {
protected:
    PrintingTest()
    {
        output = TempPdf();
        Printer().SetOutputFileName(output);
        Printer().OnEvent = [this](TPrinterEvent event) {
            static const char* const names[] = {"BeginDoc", "NewPage", "EndDoc", "Abort"};
            log << QString::fromLatin1(names[event]);
        };
        job.OnAllowPrint = [this](TCustomPrintJob*, bool& allow) {
            log << QStringLiteral("AllowPrint");
            allow = allowPrint;
        };
        job.OnStartPrint = [this](TCustomPrintJob*) { log << QStringLiteral("StartPrint"); };
        job.OnEndPrint = [this](TCustomPrintJob*) { log << QStringLiteral("EndPrint"); };
        job.OnStartPrintPage = [this](TCustomPrintJob*, int p) { log << QStringLiteral("StartPage %1").arg(p); };
        job.OnEndPrintPage = [this](TCustomPrintJob*, int p) { log << QStringLiteral("EndPage %1").arg(p); };
        job.OnInitDraw = [this](TCustomPrintJob*, TCanvas*, TDrawTarget) { log << QStringLiteral("InitDraw"); };
        job.OnDraw = [this](TCustomPrintJob*, TCanvas* c, int p, TRect rect, TDrawArea, TDrawTarget target) {
            log << QStringLiteral("Draw %1").arg(p);
            rects.push_back(rect);
            EXPECT_EQ(target, dtPrinter);
            c->TextOut(600, 600, QStringLiteral("Page %1").arg(p));
        };
        job.OnPrintProgress = [this](TCustomPrintJob*, int pos, int min, int max) {
            log << QStringLiteral("Progress %1,%2,%3").arg(pos).arg(min).arg(max);
        };
    }

    // The log of a run over pages from..to, every page printed.
    static QStringList FullRun(int from, int to, bool oneDocumentPerPage)
    {
        QStringList expected{QStringLiteral("AllowPrint"), QStringLiteral("StartPrint")};
        if (!oneDocumentPerPage)
            expected << QStringLiteral("BeginDoc");
        for (int p = from; p <= to; ++p) {
            if (oneDocumentPerPage)
                expected << QStringLiteral("BeginDoc");
            expected << QStringLiteral("StartPage %1").arg(p) << QStringLiteral("InitDraw")
                     << QStringLiteral("Draw %1").arg(p) << QStringLiteral("EndPage %1").arg(p);
            if (oneDocumentPerPage)
                expected << QStringLiteral("EndDoc");
            else if (p != to)
                expected << QStringLiteral("NewPage");
            expected << QStringLiteral("Progress %1,1,%2").arg(p - from + 1).arg(to - from + 1);
        }
        if (!oneDocumentPerPage)
            expected << QStringLiteral("EndDoc");
        expected << QStringLiteral("EndPrint");
        return expected;
    }

    TPrintJob job;
    QString output;
    QStringList log;
    std::vector<TRect> rects;
    bool allowPrint = true;
};

TEST_F(PrintingTest, FivePagesInOneDocument)
{
    job.SetPageCount(5);
    job.Print();
    EXPECT_EQ(log, FullRun(1, 5, false));
    EXPECT_EQ(Printer().LastOutputFile(), output);
    EXPECT_EQ(PdfPageCount(output), 5);
}

TEST_F(PrintingTest, EveryPageCarriesItsOwnText)
{
    job.SetPageCount(3);
    job.SetTitle(QStringLiteral("Numbers"));
    job.Print();
    ASSERT_EQ(PdfPageCount(output), 3);
    for (int p = 1; p <= 3; ++p)
        EXPECT_EQ(PdfPageText(output, p), QStringLiteral("Page %1").arg(p));
    const QString info = testsupport::RunTool(QStringLiteral("pdfinfo"), {output});
    EXPECT_TRUE(info.contains(QStringLiteral("Numbers"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("612 x 792 pts"))) << info.toStdString();
}

TEST_F(PrintingTest, MultiDocGivesADocumentPerPage)
{
    job.SetPageCount(5);
    job.SetMultiDoc(true);
    job.Print();
    EXPECT_EQ(log, FullRun(1, 5, true));
    EXPECT_EQ(log.count(QStringLiteral("EndDoc")), 5);
    // The chosen file takes the first document; the others land beside it.
    EXPECT_EQ(PdfPageText(output, 1), QStringLiteral("Page 1"));
    const QString fifth = TempPdf(QStringLiteral("out (5).pdf"));
    EXPECT_EQ(Printer().LastOutputFile(), fifth);
    EXPECT_EQ(PdfPageCount(fifth), 1);
    EXPECT_EQ(PdfPageText(fifth, 1), QStringLiteral("Page 5"));

    job.SetMultiDoc(false);
    job.SetPageCount(2);
    job.Print();
    EXPECT_EQ(Printer().LastOutputFile(), output) << "the next run starts on the chosen file again";
    EXPECT_EQ(PdfPageCount(output), 2);
}

TEST_F(PrintingTest, AbortAfterPageTwoEndsTheDocumentNormally)
{
    job.SetPageCount(5);
    job.OnEndPrintPage = [this](TCustomPrintJob* sender, int p) {
        log << QStringLiteral("EndPage %1").arg(p);
        if (p == 2)
            sender->Abort();
    };
    job.Print();
    // The new page after page 2 is asked for before the loop sees the request, and is
    // never begun: no blank sheet follows the last page printed.
    const QStringList expected{
        "AllowPrint", "StartPrint", "BeginDoc",
        "StartPage 1", "InitDraw", "Draw 1", "EndPage 1", "NewPage", "Progress 1,1,5",
        "StartPage 2", "InitDraw", "Draw 2", "EndPage 2", "NewPage", "Progress 2,1,5",
        "EndDoc", "EndPrint"};
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(job.Aborted());
    ASSERT_EQ(PdfPageCount(output), 2) << "no empty page after the two printed";
    EXPECT_EQ(PdfPageText(output, 2), QStringLiteral("Page 2"));

    log.clear();
    job.OnEndPrintPage = nullptr;
    job.Print();
    EXPECT_EQ(log.count(QStringLiteral("InitDraw")), 5);
}

TEST_F(PrintingTest, AbortOutsideARunIsForgotten)
{
    job.SetPageCount(2);
    job.Abort();
    EXPECT_TRUE(job.Aborted());
    job.Print();
    EXPECT_EQ(log, FullRun(1, 2, false));
}

TEST_F(PrintingTest, RefusedRunTouchesNothing)
{
    allowPrint = false;
    job.SetPageCount(3);
    job.Print();
    EXPECT_EQ(log, QStringList{QStringLiteral("AllowPrint")});
    EXPECT_FALSE(QFile::exists(output));
}

TEST_F(PrintingTest, PrinterRectanglesAreShiftedByThePhysicalOffsets)
{
    Install(testsupport::Letter600Offset100x120());
    Printer().SetOutputFileName(output);
    job.SetPageCount(1);
    job.Print();
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0], (TRect{-100, -120, 5000, 6480}));

    rects.clear();
    job.SetOptions({joHeader});
    job.SetHeader(600);
    job.SetRelativeCoords(true);
    job.Print();
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], (TRect{-100, -120, 5000, 480}));
    EXPECT_EQ(rects[1], (TRect{-100, -120, 5000, 5880}));
}

TEST_F(PrintingTest, HandlerErrorAbortsTheDocumentAndTheNextRunWorks)
{
    job.SetPageCount(4);
    const auto drawPage = job.OnDraw;
    job.OnDraw = [&](TCustomPrintJob* s, TCanvas* c, int p, TRect r, TDrawArea a, TDrawTarget t) {
        if (p == 2)
            throw Exception(QStringLiteral("draw failed"));
        drawPage(s, c, p, r, a, t);
    };
    EXPECT_THROW(job.Print(), Exception);
    EXPECT_FALSE(Printer().Printing());
    EXPECT_EQ(Printer().Canvas(), nullptr);
    EXPECT_EQ(log.back(), QStringLiteral("Abort"));
    EXPECT_FALSE(log.contains(QStringLiteral("EndPrint")));
    EXPECT_FALSE(QFile::exists(output)) << "the incomplete file is removed";

    job.OnDraw = drawPage;
    log.clear();
    job.Print();
    EXPECT_EQ(log, FullRun(1, 4, false));
    EXPECT_EQ(PdfPageCount(output), 4);
}

TEST_F(PrintingTest, PrintWithDialogPrintsTheChosenRange)
{
    job.SetPageCount(5);
    int setupChanges = 0;
    job.OnPrinterSetupChange = [&](TCustomPrintJob*) { ++setupChanges; };
    TCustomPrintJob::SetPrintDialogHandler([](int& from, int& to, int min, int max) {
        EXPECT_EQ(from, 1);
        EXPECT_EQ(to, 5);
        EXPECT_EQ(min, 1);
        EXPECT_EQ(max, 5);
        from = 2;
        to = 3;
        return true;
    });
    job.PrintWithDialog();
    EXPECT_EQ(setupChanges, 1);
    EXPECT_EQ(log, FullRun(2, 3, false));
    EXPECT_EQ(PdfPageCount(output), 2);
    EXPECT_EQ(PdfPageText(output, 1), QStringLiteral("Page 2"));

    log.clear();
    TCustomPrintJob::SetPrintDialogHandler([](int&, int&, int, int) { return false; });
    job.PrintWithDialog();
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(setupChanges, 1);
}

TEST_F(PrintingTest, PrinterSetupRefreshesOnOkOnly)
{
    int setupChanges = 0;
    int updates = 0;
    job.OnPrinterSetupChange = [&](TCustomPrintJob*) { ++setupChanges; };
    job.OnUpdate = [&](TCustomPrintJob*) { ++updates; };
    TCustomPrintJob::SetSetupDialogHandler([] { return false; });
    job.PrinterSetup();
    EXPECT_EQ(setupChanges + updates, 0);
    TCustomPrintJob::SetSetupDialogHandler([] { return true; });
    job.PrinterSetup();
    EXPECT_EQ(setupChanges, 1);
    EXPECT_EQ(updates, 1);
}

// Accepts the next modal dialog once it is shown, reporting its title.
void AcceptNextDialog(QString* title)
{
    QTimer::singleShot(0, [title] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            *title = dialog->windowTitle();
            dialog->accept();
        } else {
            AcceptNextDialog(title);
        }
    });
}

TEST_F(PrintingTest, RealPrintDialogAcceptedPrintsAllPages)
{
    job.SetPageCount(3);
    int setupChanges = 0;
    job.OnPrinterSetupChange = [&](TCustomPrintJob*) { ++setupChanges; };
    dialogs::Install();
    QString title;
    AcceptNextDialog(&title);
    job.PrintWithDialog();
    EXPECT_FALSE(title.isEmpty());
    EXPECT_EQ(setupChanges, 1);
    EXPECT_EQ(log.filter(QRegularExpression(QStringLiteral("^Draw"))), (QStringList{"Draw 1", "Draw 2", "Draw 3"}));
}

TEST_F(PrintingTest, RealSetupDialogAcceptedRefreshes)
{
    int setupChanges = 0;
    int updates = 0;
    job.OnPrinterSetupChange = [&](TCustomPrintJob*) { ++setupChanges; };
    job.OnUpdate = [&](TCustomPrintJob*) { ++updates; };
    dialogs::Install();
    QString title;
    AcceptNextDialog(&title);
    job.PrinterSetup();
    EXPECT_EQ(title, QStringLiteral("Printer Setup"));
    EXPECT_EQ(setupChanges, 1);
    EXPECT_EQ(updates, 1);
    EXPECT_TRUE(Printer().HasHandle());
}

} // namespace
