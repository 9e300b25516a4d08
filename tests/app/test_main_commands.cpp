// The window's commands: printing, paging, views, font, about, and the page drawing.
#include "support_app.h"
#include "support_window.h"

#include "app/About.h"
#include "app/FontDialog.h"
#include "platform/Printer.h"
#include "preview/Preview.h"
#include "preview/PreviewStatusBar.h"
#include "widgets/HistoryEdit.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QTest>
#include <QTimer>

namespace {

using CommandTest = WindowTest;

// Answers the next modal dialog once it is up.
void WhenModal(std::function<void(QWidget*)> answer)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [answer, poll] {
        if (QWidget* modal = QApplication::activeModalWidget())
            answer(modal);
        else
            QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

TEST_F(CommandTest, ToolbarPrintMovesTheStartPastThePagesAndSaves)
{
    auto window = MakeWindow();
    window->txtStartingSN->SetText(QStringLiteral("100"));
    window->txtPageCount->SetText(QStringLiteral("5"));
    window->ToolButton1->trigger();
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(apptest::PdfPageCount(OutputPdf()), 5);
    EXPECT_EQ(window->txtStartingSN->Text(), QStringLiteral("105"));
    EXPECT_EQ(Setting("SN", "LastNumber"), QStringLiteral("104"));
    EXPECT_EQ(Setting("SN", "PageCount"), QStringLiteral("5"));
    // The preview is back on page 1 with the new numbers.
    EXPECT_EQ(window->Preview1->PageIndex(), 1);
}

TEST_F(CommandTest, MenuPrintPrintsTheSamePagesAndMovesNothing)
{
    auto window = MakeWindow();
    window->txtStartingSN->SetText(QStringLiteral("100"));
    window->txtPageCount->SetText(QStringLiteral("5"));
    window->mnuPrint->trigger();
    EXPECT_TRUE(errors_.isEmpty());
    EXPECT_EQ(apptest::PdfPageCount(OutputPdf()), 5);
    EXPECT_TRUE(apptest::PdfText(OutputPdf(), 5).contains(QStringLiteral("104")));
    EXPECT_EQ(window->txtStartingSN->Text(), QStringLiteral("100"));
    EXPECT_FALSE(QFileInfo::exists(settingsPath_));
}

// The counter moves past the pages that went out, never by anything else: a count below 1
// still prints one page, and a count edited during the run does not change what was
// printed. Otherwise the next run would repeat serial numbers on paper.
TEST_F(CommandTest, CounterMovesPastExactlyThePagesPrinted)
{
    auto window = MakeWindow();
    window->txtStartingSN->SetText(QStringLiteral("7"));
    window->txtPageCount->SetText(QStringLiteral("0"));
    window->ToolButton1->trigger();
    EXPECT_EQ(apptest::PdfPageCount(OutputPdf()), 1);
    EXPECT_EQ(window->txtStartingSN->Text(), QStringLiteral("8"));
    EXPECT_EQ(Setting("SN", "LastNumber"), QStringLiteral("7"));

    window->txtPageCount->SetText(QStringLiteral("4"));
    answer_ = true; // 8 to 11 changes width: printed anyway
    window->pjSN->OnEndPrintPage = [&](TCustomPrintJob*, int page) {
        if (page == 1)
            window->txtPageCount->SetText(QStringLiteral("1"));
    };
    window->ToolButton1->trigger();
    window->pjSN->OnEndPrintPage = nullptr;
    EXPECT_EQ(apptest::PdfPageCount(OutputPdf()), 4);
    EXPECT_EQ(window->txtStartingSN->Text(), QStringLiteral("12"));
    EXPECT_EQ(Setting("SN", "LastNumber"), QStringLiteral("11"));
}

TEST_F(CommandTest, FailedPrintIsReportedAndMovesNothing)
{
    auto window = MakeWindow();
    window->txtStartingSN->SetText(QStringLiteral("100"));
    Printer().SetOutputFileName(dir_.filePath(QStringLiteral("missing/folder/out.pdf")));
    window->ToolButton1->trigger();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].startsWith(QStringLiteral("Cannot create file"))) << errors_[0].toStdString();
    EXPECT_EQ(window->txtStartingSN->Text(), QStringLiteral("100"));
    EXPECT_FALSE(QFileInfo::exists(settingsPath_));
    // The window goes on: the next print works.
    Printer().SetOutputFileName(OutputPdf());
    window->txtPageCount->SetText(QStringLiteral("2"));
    window->ToolButton1->trigger();
    EXPECT_EQ(errors_.size(), 1);
    EXPECT_EQ(window->txtStartingSN->Text(), QStringLiteral("102"));
}

TEST_F(CommandTest, PrintSetupConfirmedRefreshesCancelledChangesNothing)
{
    auto window = MakeWindow();
    int changes = 0;
    int updates = 0;
    window->pjSN->OnPrinterSetupChange = [&](TCustomPrintJob*) { ++changes; };
    window->Preview1->OnUpdate = [&](TCustomPreview*) { ++updates; };
    bool answer = false;
    int asked = 0;
    TCustomPrintJob::SetSetupDialogHandler([&] { ++asked; return answer; });
    window->ToolButton2->trigger();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(updates, 0);
    answer = true;
    window->ToolButton2->trigger();
    TCustomPrintJob::SetSetupDialogHandler(nullptr);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(changes, 1);
    EXPECT_GT(updates, 0); // the preview follows the printer
}

// What Print Setup chose comes back in the next session: orientation and PDF folder in
// [Printer], written only once chosen.
TEST_F(CommandTest, PrintSetupChoicesAreRememberedAcrossSessions)
{
    WriteSettings("[SN]\r\nLastNumber=5\r\n\r\n");
    const QString folder = dir_.filePath(QStringLiteral("runs"));
    ASSERT_TRUE(QDir().mkpath(folder));
    {
        auto window = MakeWindow();
        window->close();
        EXPECT_EQ(Setting("Printer", "Name"), QString()) << "nothing chosen, nothing written";
    }
    {
        auto window = MakeWindow();
        TCustomPrintJob::SetSetupDialogHandler([&] {
            Printer().SetOrientation(poLandscape);
            Printer().SetOutputFileName(QString());
            Printer().SetOutputFolder(folder);
            return true;
        });
        window->ToolButton2->trigger();
        TCustomPrintJob::SetSetupDialogHandler(nullptr);
        window->close();
    }
    EXPECT_EQ(Setting("Printer", "Orientation"), QStringLiteral("landscape"));
    EXPECT_EQ(Setting("Printer", "PdfFolder"), folder);
    Printer().SetOrientation(poPortrait);
    Printer().SetOutputFolder(dir_.path());
    auto window = MakeWindow();
    EXPECT_EQ(Printer().Orientation(), poLandscape);
    EXPECT_EQ(Printer().OutputFolder(), folder);
}

// Print Setup confirmed without a change chooses nothing new: two toolbar prints give two
// files of their own, named after their serials, and overwrite nothing.
TEST_F(CommandTest, PrintSetupConfirmedUnchangedThenTwoPrintsOverwriteNothing)
{
    const QString out = dir_.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    Printer().SetOutputFileName(QString());
    Printer().SetOutputFolder(out);
    auto window = MakeWindow();
    window->txtPageCount->SetText(QStringLiteral("3"));
    QString title;
    WhenModal([&](QWidget* dialog) {
        title = dialog->windowTitle();
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    window->ToolButton2->trigger();
    EXPECT_EQ(title, QStringLiteral("Printer Setup"));
    window->ToolButton1->trigger();
    window->ToolButton1->trigger();
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::Files), (QStringList { QStringLiteral("Tallyforge 1-3.pdf"),
                                                               QStringLiteral("Tallyforge 4-6.pdf") }));
    EXPECT_TRUE(apptest::PdfText(out + QStringLiteral("/Tallyforge 4-6.pdf"), 3).contains(QStringLiteral("6")));
    EXPECT_EQ(window->PreviewStatusBar1->UserText(), QStringLiteral("Printed to %1/Tallyforge 4-6.pdf").arg(out));
}

TEST_F(CommandTest, PrintCommandsDuringAPrintAreIgnored)
{
    auto window = MakeWindow();
    window->txtStartingSN->SetText(QStringLiteral("1"));
    window->txtPageCount->SetText(QStringLiteral("3"));
    int setups = 0;
    TCustomPrintJob::SetSetupDialogHandler([&] { ++setups; return true; });
    window->pjSN->OnEndPrintPage = [&](TCustomPrintJob*, int page) {
        if (page == 1) { // clicks that reach the window between pages
            window->ToolButton1->trigger();
            window->mnuPrint->trigger();
            window->ToolButton2->trigger();
        }
    };
    window->ToolButton1->trigger();
    TCustomPrintJob::SetSetupDialogHandler(nullptr);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(setups, 0);
    EXPECT_EQ(apptest::PdfPageCount(OutputPdf()), 3);
    EXPECT_EQ(window->txtStartingSN->Text(), QStringLiteral("4")); // moved once
}

struct PageButtonRow {
    const char* name;
    int pageCount;
    int nextClicks;
    int prevClicks;
    int expectedPage;
    bool nextEnabled;
    bool prevEnabled;
};

class PageButtonTest : public WindowTest, public testing::WithParamInterface<PageButtonRow> { };

TEST_P(PageButtonTest, ButtonsFollowThePageShown)
{
    const PageButtonRow& row = GetParam();
    auto window = MakeWindow();
    window->txtPageCount->SetText(QString::number(row.pageCount));
    window->txtPrefix->SetText(QStringLiteral("P")); // re-binds: page 1, buttons re-evaluated
    for (int i = 0; i < row.nextClicks; ++i)
        window->butNextPage->trigger();
    for (int i = 0; i < row.prevClicks; ++i)
        window->butPrevPage->trigger();
    EXPECT_EQ(window->Preview1->PageIndex(), row.expectedPage);
    EXPECT_EQ(window->butNextPage->isEnabled(), row.nextEnabled);
    EXPECT_EQ(window->butPrevPage->isEnabled(), row.prevEnabled);
}

INSTANTIATE_TEST_SUITE_P(Rows, PageButtonTest, testing::Values(
    PageButtonRow{"OnePageOnly", 1, 0, 0, 1, false, false},
    PageButtonRow{"FirstOfTen", 10, 0, 0, 1, true, false},
    PageButtonRow{"MiddleOfTen", 10, 4, 0, 5, true, true},
    PageButtonRow{"LastOfTen", 10, 9, 0, 10, false, true},
    PageButtonRow{"NextOnLastStays", 10, 12, 0, 10, false, true},
    PageButtonRow{"PreviousStepsBack", 10, 2, 1, 2, true, true},
    PageButtonRow{"PreviousOnFirstStays", 10, 1, 3, 1, true, false},
    PageButtonRow{"TwoPagesSecond", 2, 1, 0, 2, false, true}),
    [](const testing::TestParamInfo<PageButtonRow>& info) { return std::string(info.param.name); });

TEST_F(CommandTest, TypingInAnInputShowsPageOneAgain)
{
    auto window = MakeWindow();
    for (int i = 0; i < 3; ++i)
        window->butNextPage->trigger();
    ASSERT_EQ(window->Preview1->PageIndex(), 4);
    window->txtPrefix->SetText(QStringLiteral("N"));
    EXPECT_EQ(window->Preview1->PageIndex(), 1);
    EXPECT_FALSE(window->butPrevPage->isEnabled());
}

TEST_F(CommandTest, LoweringThePageCountLeavesTheButtonsUntilTheNextPageChange)
{
    auto window = MakeWindow();
    for (int i = 0; i < 6; ++i)
        window->butNextPage->trigger();
    ASSERT_EQ(window->Preview1->PageIndex(), 7);
    window->txtPageCount->SetText(QStringLiteral("3"));
    EXPECT_EQ(window->pjSN->PageCount(), 3);
    EXPECT_TRUE(window->butNextPage->isEnabled());
    EXPECT_TRUE(window->butPrevPage->isEnabled());
    window->butNextPage->trigger();
    EXPECT_EQ(window->Preview1->PageIndex(), 3);
    EXPECT_FALSE(window->butNextPage->isEnabled());
    EXPECT_TRUE(window->butPrevPage->isEnabled());
}

TEST_F(CommandTest, ViewCommandsSetTheModeAndTheCheckMarks)
{
    auto window = MakeWindow();
    window->butPageWidth->trigger();
    EXPECT_EQ(window->Preview1->ViewMode(), vmPageWidth);
    EXPECT_TRUE(window->mnuPageWidth->isChecked());
    EXPECT_FALSE(window->mnuWholePage->isChecked());
    window->mnuWholePage->trigger();
    EXPECT_EQ(window->Preview1->ViewMode(), vmWholePage);
    EXPECT_TRUE(window->mnuWholePage->isChecked());
    EXPECT_FALSE(window->mnuPageWidth->isChecked());
    // Choosing the view already on keeps its check mark.
    window->mnuWholePage->trigger();
    EXPECT_TRUE(window->mnuWholePage->isChecked());
    window->mnuPageWidth->trigger();
    EXPECT_EQ(window->Preview1->ViewMode(), vmPageWidth);
    EXPECT_TRUE(window->mnuPageWidth->isChecked());
}

TEST_F(CommandTest, CancelledFontDialogKeepsTheFontAndStillRedraws)
{
    auto window = MakeWindow();
    const serial::SerialFont before = window->SerialFont();
    int updates = 0;
    window->Preview1->OnUpdate = [&](TCustomPreview*) { ++updates; };
    QString shownFamily;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<TFontDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        shownFamily = dialog->CurrentFont().family();
        dialog->reject();
    });
    window->butFont->trigger();
    EXPECT_EQ(window->SerialFont(), before);
    EXPECT_GT(updates, 0);
    EXPECT_EQ(window->Preview1->PageIndex(), 1);
    EXPECT_FALSE(shownFamily.isEmpty());
}

TEST_F(CommandTest, ConfirmedFontDialogChangesTheSerialFontAndItsColour)
{
    WriteSettings("[Font]\r\nColor=32768\r\n"); // green
    auto window = MakeWindow();
    QColor shownColor;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<TFontDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        shownColor = dialog->Color();
        QFont font(QStringLiteral("DejaVu Serif"));
        font.setPointSize(30);
        font.setItalic(true);
        dialog->SetCurrentFont(font);
        dialog->SetColor(Qt::red);
        dialog->accept();
    });
    window->mnuFont->trigger();
    EXPECT_EQ(shownColor, QColor(0, 128, 0));
    EXPECT_EQ(window->SerialFont().Size, 30);
    EXPECT_TRUE(window->SerialFont().Italic);
    EXPECT_FALSE(window->SerialFont().Bold);
    EXPECT_EQ(window->SerialFont().Color, 255);
    EXPECT_EQ(window->Label1->font().pointSize(), 30);
}

TEST_F(CommandTest, AboutBoxIsModalAndThePreviewRedrawsAfterwards)
{
    auto window = MakeWindow();
    window->butNextPage->trigger();
    ASSERT_EQ(window->Preview1->PageIndex(), 2);
    bool sawAbout = false;
    WhenModal([&](QWidget* modal) {
        sawAbout = dynamic_cast<TAboutBox*>(modal) != nullptr;
        static_cast<QDialog*>(modal)->accept();
    });
    window->mnuAbout->trigger();
    EXPECT_TRUE(sawAbout);
    EXPECT_EQ(window->Preview1->PageIndex(), 1);
    // Created for one use: nothing of it is left.
    EXPECT_EQ(window->findChild<TAboutBox*>(), nullptr);
}

TEST_F(CommandTest, ActivationRedrawsPageOne)
{
    auto window = MakeWindow();
    window->butNextPage->trigger();
    ASSERT_EQ(window->Preview1->PageIndex(), 2);
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window.get(), &activate);
    EXPECT_EQ(window->Preview1->PageIndex(), 1);
}

// Coming back from another application is no reason to leave the page the user is on;
// coming back from another window of the program still redraws page 1.
TEST_F(CommandTest, ComingBackFromAnotherApplicationKeepsThePage)
{
    auto window = MakeWindow();
    window->butNextPage->trigger();
    ASSERT_EQ(window->Preview1->PageIndex(), 2);
    // What the platform reports when the user goes to another program and comes back
    // (the offscreen platform cannot leave the program by itself).
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window.get(), &activate);
    EXPECT_EQ(window->Preview1->PageIndex(), 2);
    // Then from the about box, say.
    QCoreApplication::sendEvent(window.get(), &activate);
    EXPECT_EQ(window->Preview1->PageIndex(), 1);
}

// --- page drawing ----------------------------------------------------------------------

using DrawingTest = WindowTest;

const QRgb kBackground = qRgb(200, 200, 200);

// Draws one page area on a grey image the size of the paper; the text cells show white.
QImage drawArea(TfrmTallyforge& window, int page, TDrawArea area)
{
    QImage image(2400, 1600, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter painter(&image);
    TCanvas canvas(&painter);
    canvas.Font().SetPixelsPerInch(600);
    canvas.Brush().SetColor(Qt::white);
    canvas.Brush().SetStyle(bsSolid);
    window.pjSNDraw(window.pjSN, &canvas, page, TRect { 0, 0, 5100, 6600 }, area, dtCanvas);
    painter.end();
    return image;
}

TEST_F(DrawingTest, TextCellsStartAtTheTwoIndents)
{
    auto window = MakeWindow();
    window->txtHorizontalIndent->SetText(QStringLiteral("1.00"));
    window->txtVerticalIndent->SetText(QStringLiteral("0.50"));
    window->txtHorizontalIndent2->SetText(QStringLiteral("0.25"));
    window->txtVerticalIndent2->SetText(QStringLiteral("2.00"));
    const QImage image = drawArea(*window, 1, daBody);
    // 600 dpi: (1.00 in, 0.50 in) is (600, 300); (0.25 in, 2.00 in) is (150, 1200).
    for (QPoint corner : { QPoint(600, 300), QPoint(150, 1200) }) {
        EXPECT_EQ(image.pixel(corner), qRgb(255, 255, 255)) << corner.x() << "," << corner.y();
        EXPECT_EQ(image.pixel(corner - QPoint(1, 0)), kBackground) << corner.x() << "," << corner.y();
        EXPECT_EQ(image.pixel(corner - QPoint(0, 1)), kBackground) << corner.x() << "," << corner.y();
    }
}

TEST_F(DrawingTest, HalfPixelPositionsRoundToEven)
{
    auto window = MakeWindow();
    window->txtHorizontalIndent2->SetText(QStringLiteral("3.00"));
    window->txtVerticalIndent2->SetText(QStringLiteral("2.00"));
    // The fields keep two decimals, so finer positions go to the drawing directly:
    // 0.0025 in at 600 dpi is 1.5 px, which goes to 2; 0.0075 in is 4.5 px, which goes to 4.
    serial::SerialPage page = window->CurrentPage();
    page.HorizontalIndent = 0.0025;
    page.VerticalIndent = 0.0075;
    QImage image(400, 400, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter painter(&image);
    TCanvas canvas(&painter);
    canvas.Font().SetPixelsPerInch(600);
    serial::DrawSerialPage(*window->pjSN, canvas, 1, daBody, page);
    painter.end();
    EXPECT_EQ(image.pixel(2, 4), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(1, 4), kBackground);
    EXPECT_EQ(image.pixel(2, 3), kBackground);
}

TEST_F(DrawingTest, HeaderAndFooterAreasStayEmpty)
{
    auto window = MakeWindow();
    window->txtHorizontalIndent->SetText(QStringLiteral("0.10"));
    window->txtVerticalIndent->SetText(QStringLiteral("0.10"));
    for (TDrawArea area : { daHeader, daFooter }) {
        const QImage image = drawArea(*window, 1, area);
        QImage empty(image.size(), image.format());
        empty.fill(kBackground);
        EXPECT_EQ(image, empty) << int(area);
    }
}

TEST_F(DrawingTest, SerialFontIsSetOnTheCanvas)
{
    WriteSettings("[Font]\r\nName=DejaVu Sans\r\nSize=30\r\nColor=255\r\nItalic=1\r\n");
    auto window = MakeWindow();
    QImage image(10, 10, QImage::Format_RGB32);
    QPainter painter(&image);
    TCanvas canvas(&painter);
    window->pjSNDraw(window->pjSN, &canvas, 1, TRect {}, daBody, dtPreview);
    painter.end();
    EXPECT_EQ(canvas.Font().Name(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(canvas.Font().Size(), 30);
    EXPECT_EQ(canvas.Font().Style(), TFontStyles(fsItalic));
    EXPECT_EQ(canvas.Font().Color(), QColor(255, 0, 0));
}

TEST_F(DrawingTest, PageTextReadsTheInputsAtEachCall)
{
    auto window = MakeWindow();
    window->txtStartingSN->SetText(QStringLiteral("41"));
    window->txtPrefix->SetText(QStringLiteral("A-"));
    window->txtSuffix->SetText(QStringLiteral("/B"));
    window->txtPageCount->SetText(QStringLiteral("3"));
    window->txtVerticalIndent2->SetText(QStringLiteral("5.00")); // apart from the first
    window->mnuPrint->trigger();
    EXPECT_TRUE(apptest::PdfText(OutputPdf(), 3).contains(QStringLiteral("A-43/B")));
    EXPECT_EQ(apptest::PdfText(OutputPdf(), 1).count(QStringLiteral("A-41/B")), 2);
}

// A run prints the numbers it took from the counter with the inputs as they were when
// it started; an edit while the pages go out waits for the next run.
TEST_F(DrawingTest, AnEditDuringAPrintWaitsForTheNextRun)
{
    auto window = MakeWindow();
    window->txtPageCount->SetText(QStringLiteral("3"));
    window->txtHorizontalIndent->SetText(QStringLiteral("1.00"));
    window->txtVerticalIndent2->SetText(QStringLiteral("5.00"));
    window->pjSN->OnEndPrintPage = [&](TCustomPrintJob*, int page) {
        if (page == 1)
            window->txtHorizontalIndent->SetText(QStringLiteral("2.00"));
    };
    window->mnuPrint->trigger();
    ASSERT_TRUE(errors_.isEmpty());
    // The canvas origin is the printable area's corner, 100 pixels in at 600 dpi. The
    // first copy of each page is the upper one (the second stands 5 inches down).
    QMap<int, double> firstLeft;
    for (const apptest::PdfWord& word : apptest::PdfWords(OutputPdf()))
        if (word.yMin < 200)
            firstLeft[word.page] = word.xMin;
    ASSERT_EQ(firstLeft.size(), 3);
    for (int page = 1; page <= 3; ++page)
        EXPECT_NEAR(firstLeft.value(page), (100 + 600) * 72.0 / 600, 3.0) << "page " << page;
}

} // namespace
