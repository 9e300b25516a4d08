#include "support_preview.h"

#include "preview/PreviewStatusBar.h"

#include <QCoreApplication>
#include <QPainter>
#include <QSizeGrip>
#include <QStyle>
#include <QTranslator>

#include <algorithm>

using previewtest::PreviewFixture;

namespace {

class StatusBar : public PreviewFixture {
protected:
    void SetUp() override
    {
        PreviewFixture::SetUp();
        job->SetPageCount(10);
        preview->SetPrintJob(job.get());
        bar = new TPreviewStatusBar(&host);
        bar->resize(500, 19);
        bar->OnUpdate = [this](TCustomPreviewStatusBar*) { ++barUpdates; };
    }
    void TearDown() override
    {
        delete bar;
        PreviewFixture::TearDown();
    }

    // Where the scale part ends after a page part of pageEdge: its own width, or wider
    // when its text needs more.
    int ScaleEdge(int pageEdge, int width, const QString& text) const
    {
        return pageEdge + std::max(width, bar->fontMetrics().horizontalAdvance(text) + 8);
    }

    QWidget host;
    TPreviewStatusBar* bar = nullptr;
    int barUpdates = 0;
};

TEST_F(StatusBar, DefaultPartsShowPageScaleAndUserText)
{
    bar->SetPreview(preview.get());
    preview->SetPageIndex(2);
    EXPECT_EQ(bar->PartEdges(), QList<int>({100, ScaleEdge(100, 100, "Whole page (26%)"), 500}));
    EXPECT_EQ(bar->PartTexts(), QStringList({"Page 2 of 10", "Whole page (26%)", ""}));
}

TEST_F(StatusBar, ScaleTextFollowsTheViewMode)
{
    bar->SetPreview(preview.get());
    const int e = preview->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    preview->resize(465 + 20 + e, 300); // page-width panel 465 wide: Round(465 * 0.12255) = 57
    preview->SetViewMode(vmPageWidth);
    EXPECT_EQ(bar->PartTexts().value(1), "Page width (57%)");
    preview->SetViewMode(vmCustom);
    preview->SetViewScale(150);
    EXPECT_EQ(bar->PartTexts().value(1), "150%");
}

TEST_F(StatusBar, PartsNotShownTakeNoRoom)
{
    bar->SetPreview(preview.get());
    bar->SetUserText("ready");
    bar->SetPanels({pnScale});
    EXPECT_EQ(bar->PartEdges(), QList<int>({ScaleEdge(0, 100, "Whole page (26%)"), 500}));
    EXPECT_EQ(bar->PartTexts(), QStringList({"Whole page (26%)", "ready"}));
    bar->SetScalePanelWidth(150);
    EXPECT_EQ(bar->PartEdges(), QList<int>({150, 500}));
    bar->SetPanels({});
    EXPECT_EQ(bar->PartEdges(), QList<int>({500}));
    EXPECT_EQ(bar->PartTexts(), QStringList({"ready"}));
    bar->SetPanels({pnPage, pnScale});
    bar->SetPagePanelWidth(80);
    EXPECT_EQ(bar->PartEdges(), QList<int>({80, 230, 500}));
}

TEST_F(StatusBar, PreviewWithoutAJobLeavesThePagePartEmpty)
{
    TPreview unbound;
    unbound.resize(300, 200);
    bar->SetPreview(&unbound);
    EXPECT_EQ(bar->PartTexts().value(0), "");
    EXPECT_EQ(bar->PartEdges().value(2), 300);
    bar->SetPreview(nullptr);
}

TEST_F(StatusBar, SettersRefreshOnlyOnChange)
{
    bar->SetPreview(preview.get());
    barUpdates = 0;
    bar->SetUserText("x");
    EXPECT_EQ(barUpdates, 1);
    bar->SetUserText("x");
    bar->SetPagePanelWidth(100);
    bar->SetPanels({pnPage, pnScale});
    bar->SetSizeGrip(true);
    EXPECT_EQ(barUpdates, 1);
}

TEST_F(StatusBar, SizeGripIsMadeAnewAndRefreshes)
{
    bar->SetPreview(preview.get());
    ASSERT_NE(bar->Grip(), nullptr);
    barUpdates = 0;
    bar->SetSizeGrip(false);
    EXPECT_EQ(bar->Grip(), nullptr);
    EXPECT_EQ(barUpdates, 1);
    bar->SetSizeGrip(true);
    ASSERT_NE(bar->Grip(), nullptr);
    EXPECT_EQ(bar->Grip()->geometry().right(), bar->width() - 1);
    EXPECT_EQ(barUpdates, 2);
}

TEST_F(StatusBar, FollowsEveryCompleteUpdateOfThePreview)
{
    bar->SetPreview(preview.get());
    preview->SetPageIndex(4);
    EXPECT_EQ(bar->PartTexts().value(0), "Page 4 of 10");
    job->SetPageCount(3); // the job refreshes its preview, which refreshes the bar
    EXPECT_EQ(bar->PartTexts().value(0), "Page 3 of 3");

    // Without a printer the preview stops early and the bar keeps its texts.
    barUpdates = 0;
    TPrinter::ClearInstalledPrinters();
    preview->Update();
    EXPECT_EQ(barUpdates, 0);
    EXPECT_EQ(bar->PartTexts().value(0), "Page 3 of 3");
}

TEST_F(StatusBar, WithoutAParentOnlyOnUpdateFires)
{
    TPreviewStatusBar loose;
    int fired = 0;
    loose.OnUpdate = [&](TCustomPreviewStatusBar*) { ++fired; };
    loose.SetPreview(preview.get());
    EXPECT_EQ(fired, 1);
    EXPECT_TRUE(loose.PartEdges().isEmpty());
}

TEST_F(StatusBar, BindingIsUndoneFromBothSides)
{
    bar->SetPreview(preview.get());
    bar->SetPreview(preview.get());
    ASSERT_EQ(preview->StatusBars().count(), 1);

    delete bar;
    bar = nullptr;
    EXPECT_TRUE(preview->StatusBars().isEmpty());
    preview->SetPageIndex(2); // must not reach the destroyed bar

    bar = new TPreviewStatusBar(&host);
    bar->OnUpdate = [this](TCustomPreviewStatusBar*) { ++barUpdates; };
    bar->SetPreview(preview.get());
    barUpdates = 0;
    preview.reset();
    EXPECT_EQ(bar->Preview(), nullptr);
    EXPECT_EQ(barUpdates, 1);
}

TEST_F(StatusBar, ThrowingBarDoesNotStopTheOthers)
{
    TPreviewStatusBar second(&host);
    bar->SetPreview(preview.get());
    second.SetPreview(preview.get());
    bar->OnUpdate = [](TCustomPreviewStatusBar*) { throw Exception("bar failed"); };
    int updatesBefore = updates;
    preview->SetPageIndex(5);
    EXPECT_EQ(second.PartTexts().value(0), "Page 5 of 10");
    EXPECT_EQ(updates, updatesBefore + 1);
    bar->OnUpdate = nullptr;
}

TEST_F(StatusBar, PartsAreSunkenFramesEndingAtTheirEdges)
{
    bar->SetPreview(preview.get());
    bar->SetSizeGrip(false);
    QImage image(bar->size(), QImage::Format_RGB32);
    bar->render(&image);
    const QRgb face = bar->palette().color(QPalette::Button).rgb();
    const QRgb dark = bar->palette().color(QPalette::Dark).rgb();
    const QRgb light = bar->palette().color(QPalette::Light).rgb();
    ASSERT_NE(dark, face);
    ASSERT_NE(light, face);
    EXPECT_EQ(bar->PartRect(0), QRect(0, 2, 98, 17));
    EXPECT_EQ(image.pixel(0, 10), dark) << "left edge of the page part";
    EXPECT_EQ(image.pixel(97, 10), light) << "right edge of the page part";
    EXPECT_EQ(image.pixel(98, 10), face) << "gap between parts";
    EXPECT_EQ(image.pixel(100, 10), dark) << "left edge of the scale part";
    EXPECT_EQ(image.pixel(bar->PartRect(1).right(), 10), light);
}

struct ScaleRow {
    const char* name;
    TViewMode mode;
    int previewWidth;
    const char* text;
};

class ScalePart : public StatusBar, public testing::WithParamInterface<ScaleRow> { };

// The scale part is as wide as its text needs, never narrower than set, and the user
// part moves right to make room.
TEST_P(ScalePart, ShowsItsWholeText)
{
    bar->resize(1400, 19);
    bar->SetPreview(preview.get());
    const int e = preview->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    preview->resize(GetParam().previewWidth + 20 + e, 300);
    preview->SetViewMode(GetParam().mode);
    preview->SetViewScale(150);
    ASSERT_EQ(bar->PartTexts().value(1), GetParam().text);
    const int needed = bar->fontMetrics().horizontalAdvance(GetParam().text);
    EXPECT_GE(bar->PartRect(1).width() - 6, needed);
    EXPECT_EQ(bar->PartEdges().value(1), ScaleEdge(100, 100, GetParam().text));
    EXPECT_EQ(bar->PartRect(2).left(), bar->PartEdges().value(1));
}

INSTANTIATE_TEST_SUITE_P(Rows, ScalePart,
    testing::Values(ScaleRow { "PageWidthAbove100", vmPageWidth, 1282, "Page width (157%)" },
        ScaleRow { "PageWidthBelow100", vmPageWidth, 465, "Page width (57%)" },
        ScaleRow { "CustomKeepsItsWidth", vmCustom, 465, "150%" }),
    [](const auto& info) { return std::string(info.param.name); });

class GermanTexts : public QTranslator {
public:
    QString translate(const char*, const char* source, const char*, int) const override
    {
        const QString text = QString::fromUtf8(source);
        if (text == "Page %d of %d")
            return "Seite %d von %d";
        if (text == "Whole page (%d%%)")
            return "Ganze Seite (%d%%) %s";
        return QString();
    }
};

TEST_F(StatusBar, TextsAreTranslatable)
{
    GermanTexts german;
    QCoreApplication::installTranslator(&german);
    bar->SetPreview(preview.get());
    preview->SetPageIndex(2);
    QCoreApplication::removeTranslator(&german);
    EXPECT_EQ(bar->PartTexts().value(0), "Seite 2 von 10");
    // A stray directive in a translation is shown as it stands, never formatted.
    EXPECT_EQ(bar->PartTexts().value(1), "Ganze Seite (26%) %s");
}

} // namespace
