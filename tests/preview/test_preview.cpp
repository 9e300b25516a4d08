#include "support_preview.h"

#include "platform/Application.h"

#include <QPainter>
#include <QStyle>

using previewtest::PreviewFixture;

namespace {

class Preview : public PreviewFixture { };

TEST_F(Preview, WholePageWorkedLayout)
{
    ASSERT_EQ(preview->logicalDpiX(), 96) << "the worked figures assume a 96 ppi screen";
    TDrawPanel* panel = preview->DrawPanel();
    EXPECT_FALSE(panel->isVisible()) << "nothing to show without a job";
    preview->SetPrintJob(job.get());
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->geometry(), QRect(142, 12, 216, 276));
    EXPECT_EQ(preview->ViewScale(), 26);
    EXPECT_EQ(preview->ScrollBox()->HorzScrollBar().Range(), 0);
    EXPECT_EQ(preview->ScrollBox()->VertScrollBar().Range(), 0);
    EXPECT_EQ(drawCount, 1);
    EXPECT_EQ(panel->PaperSize(), QSize(5100, 6600));

    // A narrow box limits the page by its width: 134 x Round(124 * 6600 / 5100) + 10.
    preview->resize(150, 300);
    EXPECT_EQ(panel->geometry(), QRect(8, 65, 134, 170));
}

TEST_F(Preview, CustomKeepsTheFittedScaleThenZoomsToRealSize)
{
    preview->SetPrintJob(job.get());
    preview->SetViewMode(vmCustom);
    EXPECT_EQ(preview->ViewScale(), 26);
    preview->SetViewScale(100);
    TSpecialScrollBox* box = preview->ScrollBox();
    EXPECT_EQ(preview->DrawPanel()->size(), QSize(818, 1056));
    EXPECT_EQ(preview->DrawPanel()->pos(), QPoint(8, 8));
    EXPECT_EQ(box->HorzScrollBar().Range(), 834);
    EXPECT_EQ(box->VertScrollBar().Range(), 1072);
    EXPECT_TRUE(box->HorzScrollBar().IsVisible());
    EXPECT_TRUE(box->VertScrollBar().IsVisible());
    // The bars clamp to the range less the visible client.
    box->VertScrollBar().SetPosition(5000);
    EXPECT_EQ(box->VertScrollBar().Position(), 1072 - box->ClientHeight());
    box->HorzScrollBar().SetPosition(-5);
    EXPECT_EQ(box->HorzScrollBar().Position(), 0);
}

TEST_F(Preview, ViewScaleIsClampedInCustomAndIgnoredWhenFitted)
{
    preview->SetPrintJob(job.get());
    preview->SetViewScale(300);
    EXPECT_EQ(preview->ViewScale(), 26);
    preview->SetViewMode(vmCustom);
    preview->SetViewScale(5);
    EXPECT_EQ(preview->ViewScale(), 10);
    preview->SetViewScale(5000);
    EXPECT_EQ(preview->ViewScale(), 1000);
    EXPECT_EQ(preview->DrawPanel()->width(), 8162); // Round(5100 * 1000 * 96 / 600 / 100) + 2
}

TEST_F(Preview, ShadowSizeIsClampedAndLaysOut)
{
    preview->SetPrintJob(job.get());
    preview->SetShadowSize(-3);
    EXPECT_EQ(preview->ShadowSize(), 0);
    EXPECT_EQ(preview->DrawPanel()->geometry(), QRect(140, 8, 220, 284));
    preview->SetShadowSize(250);
    EXPECT_EQ(preview->ShadowSize(), 100);
}

TEST_F(Preview, PageWidthKeepsTheScrollPositionAcrossAResize)
{
    preview->SetPrintJob(job.get());
    preview->SetViewMode(vmPageWidth);
    TBoxScrollBar& v = preview->ScrollBox()->VertScrollBar();
    EXPECT_EQ(preview->DrawPanel()->pos(), QPoint(8, 8));
    const int bar = preview->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_EQ(preview->DrawPanel()->width(), 500 - 20 - bar);
    v.SetPosition(100);
    preview->resize(520, 300);
    EXPECT_EQ(v.Position(), 100);
    preview->resize(520, 600);
    EXPECT_EQ(v.Position(), v.Range() - preview->ScrollBox()->ClientHeight());
}

TEST_F(Preview, PageIndexIsClampedAndReportedOnEveryAssignment)
{
    job->SetPageCount(5);
    preview->SetPrintJob(job.get());
    EXPECT_EQ(pageChanges, 1);
    preview->SetPageIndex(0);
    EXPECT_EQ(preview->PageIndex(), 1);
    preview->SetPageIndex(10);
    EXPECT_EQ(preview->PageIndex(), 5);
    EXPECT_EQ(pageChanges, 3);

    const int draws = drawCount;
    preview->SetPageIndex(5);
    EXPECT_EQ(pageChanges, 4) << "the same page is reported again";
    EXPECT_EQ(drawCount, draws) << "but not laid out again";

    preview->SetPrintJob(nullptr);
    preview->SetPageIndex(3);
    EXPECT_EQ(preview->PageIndex(), 1);
}

TEST_F(Preview, RebindingReturnsToPageOneAndReportsTwice)
{
    job->SetPageCount(4);
    preview->SetPrintJob(job.get());
    preview->SetPageIndex(3);
    pageChanges = 0;
    drawCount = 0;
    preview->SetPrintJob(nullptr);
    preview->SetPrintJob(job.get());
    EXPECT_EQ(pageChanges, 2);
    EXPECT_EQ(preview->PageIndex(), 1);
    EXPECT_EQ(drawCount, 1);
    EXPECT_EQ(job->Previews().count(), 1);
}

TEST_F(Preview, BindingAwayFromAnotherPageRendersTwice)
{
    TPrintJob other;
    other.SetPageCount(4);
    preview->SetPrintJob(&other);
    preview->SetPageIndex(3);
    drawCount = 0;
    preview->SetPrintJob(job.get());
    EXPECT_EQ(drawCount, 2);
    EXPECT_TRUE(other.Previews().isEmpty());
    preview->SetPrintJob(nullptr);
}

TEST_F(Preview, ShrunkenJobMovesToItsLastPageWithoutAReport)
{
    job->SetPageCount(5);
    preview->SetPrintJob(job.get());
    preview->SetPageIndex(5);
    pageChanges = 0;
    job->SetPageCount(2); // the job's refresh updates its previews
    EXPECT_EQ(preview->PageIndex(), 2);
    EXPECT_EQ(pageChanges, 0);
}

TEST_F(Preview, DestroyedJobUnbindsThePreview)
{
    preview->SetPrintJob(job.get());
    pageChanges = 0;
    job.reset();
    EXPECT_EQ(preview->PrintJob(), nullptr);
    EXPECT_FALSE(preview->DrawPanel()->isVisible());
    EXPECT_EQ(preview->PageIndex(), 1);
    EXPECT_EQ(pageChanges, 1);
}

TEST_F(Preview, DestroyedPreviewLeavesTheJob)
{
    preview->SetPrintJob(job.get());
    ASSERT_EQ(job->Previews().count(), 1);
    preview.reset();
    EXPECT_TRUE(job->Previews().isEmpty());
    job->SetPageCount(3); // a refresh must not reach the destroyed preview
}

TEST_F(Preview, NoPrinterHidesThePageAndStopsTheUpdate)
{
    preview->SetPrintJob(job.get());
    updates = 0;
    TPrinter::ClearInstalledPrinters();
    preview->Update();
    EXPECT_FALSE(preview->DrawPanel()->isVisible());
    EXPECT_EQ(updates, 0);
    TPrinter::InstallTestDevice(previewtest::Letter600Offset150());
    preview->Update();
    EXPECT_TRUE(preview->DrawPanel()->isVisible());
    EXPECT_EQ(updates, 1);
}

TEST_F(Preview, PageWithoutAreaIsHiddenInsteadOfDividingByZero)
{
    preview->SetPrintJob(job.get());
    job->SetPageMode(pmCustom);
    job->SetPageWidth(0);
    EXPECT_FALSE(preview->DrawPanel()->isVisible());
    job->SetPageWidth(2550);
    EXPECT_TRUE(preview->DrawPanel()->isVisible());
    EXPECT_EQ(preview->DrawPanel()->height(), 276);
}

TEST_F(Preview, ColourReachesTheBoxAndThePanel)
{
    preview->SetPrintJob(job.get());
    preview->SetColor(Qt::darkGreen);
    EXPECT_EQ(preview->ScrollBox()->Content()->palette().color(QPalette::Window),
              QColor(Qt::darkGreen));
    // The panel's top-right corner square shows the preview's colour.
    EXPECT_EQ(PaintPanel().pixelColor(212, 2), QColor(Qt::darkGreen));
}

TEST_F(Preview, UpdateRecordsThePageOnceAndPaintingOnlyReplaysIt)
{
    std::vector<TDrawTarget> targets;
    job->OnDraw = [&](TCustomPrintJob*, TCanvas*, int page, TRect, TDrawArea, TDrawTarget t) {
        targets.push_back(t);
        EXPECT_EQ(page, 1);
    };
    preview->SetPrintJob(job.get());
    updates = 0;
    preview->DrawPanel()->grab();
    preview->SetShadowColor(Qt::red);
    preview->Repaint();
    preview->DrawPanel()->grab();
    EXPECT_EQ(targets, std::vector<TDrawTarget>{dtPreview});
    EXPECT_EQ(updates, 0) << "recolouring the shadow lays nothing out";
    EXPECT_EQ(PaintPanel().pixelColor(212, 100), QColor(Qt::red));
}

TEST_F(Preview, DrawingFailureKeepsWhatWasRecordedAndReachesTheCaller)
{
    preview->SetPrintJob(job.get());
    updates = 0;
    job->OnDraw = [](TCustomPrintJob*, TCanvas*, int, TRect, TDrawArea, TDrawTarget) {
        throw Exception("drawing failed");
    };
    EXPECT_THROW(preview->Update(), Exception);
    EXPECT_EQ(updates, 0);
    EXPECT_FALSE(preview->DrawPanel()->PagePicture().isNull());
}

} // namespace
