// Units, page geometry and the property setters of the print job, on exact test printers.
#include "support_printjob.h"

using testsupport::PrinterFixture;

namespace {

class CountingPreview : public IJobPreview {
public:
    void Update() override { ++updates; }
    int updates = 0;
};

class ThrowingPreview : public IJobPreview {
public:
    void Update() override
    {
        ++updates;
        throw std::runtime_error("preview failed");
    }
    int updates = 0;
};

class GeometryTest : public PrinterFixture { };

struct ConversionRow {
    const char* name;
    TDeviceCaps caps;
    TUnits from;
    TUnits to;
    double value;
    bool vertical;
    double base;
    double expected;
};

TDeviceCaps Dpi300() { return TDeviceCaps{300, 300, 2550, 3300, 0, 0, 2550, 3300}; }
TDeviceCaps Dpi600x300() { return TDeviceCaps{600, 300, 5100, 3300, 0, 0, 5100, 3300}; }

const ConversionRow kConversions[] = {
    {"PixelsToMillimetersAt300", Dpi300(), unPixels, unMillimeters, 100, false, 0, 8.47},
    {"PixelsToInchesAt300", Dpi300(), unPixels, unInches, 100, false, 0, 0.333},
    {"SameUnitInchesOnlyRounds", Dpi300(), unInches, unInches, 1.23456, false, 0, 1.235},
    {"SameUnitPixelsHalfGoesEvenDown", Dpi300(), unPixels, unPixels, 2.5, false, 0, 2},
    {"SameUnitPixelsHalfGoesEvenUp", Dpi300(), unPixels, unPixels, 3.5, false, 0, 4},
    {"SameUnitMillimetersTwoDecimals", Dpi300(), unMillimeters, unMillimeters, 8.4666, false, 0, 8.47},
    {"InchesToPixelsHorizontalUsesX", Dpi600x300(), unInches, unPixels, 1, false, 0, 600},
    {"InchesToPixelsVerticalUsesY", Dpi600x300(), unInches, unPixels, 1, true, 0, 300},
    {"PercentOfBaseToPixels", Dpi300(), unPercents, unPixels, 10, true, 3000, 300},
    {"PixelsToPercentOfPaper", testsupport::Letter600(), unPixels, unPercents, 100, false, 5100, 1.961},
    {"MillimetersToInches", Dpi300(), unMillimeters, unInches, 25.4, false, 0, 1},
    {"PercentOfZeroBaseIsZero", Dpi300(), unPixels, unPercents, 100, false, 0, 0},
    {"PercentFromZeroBaseIsZero", Dpi300(), unPercents, unPixels, 50, false, 0, 0},
};

class ConversionTest : public PrinterFixture, public ::testing::WithParamInterface<ConversionRow> { };

TEST_P(ConversionTest, ConvertsAndRoundsToTheTargetStep)
{
    const ConversionRow& row = GetParam();
    Install(row.caps);
    TPrintJob job;
    EXPECT_DOUBLE_EQ(job.ConvertUnits(row.from, row.to, row.value, row.vertical, row.base), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, ConversionTest, ::testing::ValuesIn(kConversions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GeometryTest, UnroundedConversionsUseTheAxisResolution)
{
    Install(Dpi600x300());
    TPrintJob job;
    EXPECT_DOUBLE_EQ(job.InchesToPixels(false, 1.25), 750.0);
    EXPECT_DOUBLE_EQ(job.InchesToPixels(true, 1.25), 375.0);
    EXPECT_DOUBLE_EQ(job.MillimetersToPixels(false, 12.7), 300.0);
    EXPECT_NEAR(job.PixelsToMillimeters(true, 100), 8.4666666, 1e-6);
}

TEST_F(GeometryTest, DefaultPageIsThePaperInPixels)
{
    TPrintJob job;
    EXPECT_EQ(job.PageWidth(), 5100);
    EXPECT_EQ(job.PageHeight(), 6600);
    TRect page;
    job.GetPageRect(page);
    EXPECT_EQ(page, (TRect{0, 0, 5100, 6600}));
    TRect printable;
    job.GetPrintableRect(printable);
    EXPECT_EQ(printable, (TRect{0, 0, 4900, 6400}));
}

TEST_F(GeometryTest, LeftMarginOfHalfAnInchAt600DpiIs300Pixels)
{
    TPrintJob job;
    job.SetMarginsError(meNone);
    job.SetMarginsUnits(unInches);
    TMargins margins;
    margins.SetLeft(0.5);
    job.SetMargins(margins);
    TRect rect;
    job.GetMarginsRect(rect);
    EXPECT_EQ(rect, (TRect{0, 0, 5100, 6600})) << "margins without joMargins have no effect";
    job.SetOptions({joMargins});
    job.GetMarginsRect(rect);
    EXPECT_EQ(rect, (TRect{300, 0, 5100, 6600}));
}

TEST_F(GeometryTest, HeaderOfTenPercentOfThreeThousandPixels)
{
    TPrintJob job;
    job.SetPageMode(pmCustom);
    job.SetPageWidth(2000);
    job.SetPageHeight(3000);
    job.SetHeaderUnits(unPercents);
    job.SetHeader(10);
    TRect header;
    job.GetHeaderRect(header);
    EXPECT_EQ(header, TRect{}) << "header band off";
    job.SetOptions({joHeader});
    job.GetHeaderRect(header);
    EXPECT_EQ(header, (TRect{0, 0, 2000, 300}));
    TRect body;
    job.GetBodyRect(body);
    EXPECT_EQ(body, (TRect{0, 300, 2000, 3000}));
}

TEST_F(GeometryTest, BandsShareTheMarginsRectangleAndAreNotClamped)
{
    TPrintJob job;
    job.SetMarginsError(meNone);
    job.SetPageMode(pmCustom);
    job.SetPageWidth(2000);
    job.SetPageHeight(3000);
    job.SetMargins([] {
        TMargins m;
        m.SetLeft(100);
        m.SetTop(200);
        m.SetRight(50);
        m.SetBottom(100);
        return m;
    }());
    job.SetOptions({joMargins, joHeader, joFooter});
    job.SetHeader(2000);
    job.SetFooter(1000);
    TRect header, body, footer;
    job.GetHeaderRect(header);
    job.GetBodyRect(body);
    job.GetFooterRect(footer);
    EXPECT_EQ(header, (TRect{100, 200, 1950, 2200}));
    EXPECT_EQ(footer, (TRect{100, 1900, 1950, 2900}));
    EXPECT_EQ(body, (TRect{100, 2200, 1950, 1900})) << "a body whose top lies below its bottom";
}

TEST_F(GeometryTest, PercentPageUnitsReadHundredInDefaultMode)
{
    TPrintJob job;
    job.SetPageUnits(unPercents);
    EXPECT_EQ(job.PageWidth(), 100);
    EXPECT_EQ(job.PageHeight(), 100);
}

TEST_F(GeometryTest, WritingPageWidthInDefaultModeKeepsThePaperAndRefreshes)
{
    TPrintJob job;
    CountingPreview preview;
    job.AddPreview(&preview);
    job.SetPageWidth(5);
    EXPECT_EQ(job.PageWidth(), 5100);
    EXPECT_EQ(preview.updates, 1);
}

TEST_F(GeometryTest, SwitchingPageUnitsConvertsOnlyInDefaultMode)
{
    TPrintJob job;
    job.SetPageUnits(unInches);
    EXPECT_DOUBLE_EQ(job.PageWidth(), 8.5);
    EXPECT_DOUBLE_EQ(job.PageHeight(), 11.0);

    TPrintJob custom;
    custom.SetPageMode(pmCustom);
    custom.SetPageWidth(2400);
    custom.SetPageUnits(unInches);
    EXPECT_EQ(custom.PageWidth(), 2400);
    TRect page;
    custom.GetPageRect(page);
    EXPECT_EQ(page.Right, 2400 * 600) << "2400 inches at 600 dpi";
}

TEST_F(GeometryTest, LandscapeMakesThePageWidthTheLongSide)
{
    TPrintJob job;
    job.SetOrientation(orLandscape);
    EXPECT_EQ(Printer().Orientation(), poLandscape);
    EXPECT_EQ(job.PageWidth(), 6600);
    EXPECT_EQ(job.PageHeight(), 5100);
    job.SetOrientation(orPortrait);
    EXPECT_EQ(job.PageWidth(), 5100);
}

TEST_F(GeometryTest, PageCountIsAtLeastOneAndEqualValuesDoNotRefresh)
{
    TPrintJob job;
    CountingPreview preview;
    job.AddPreview(&preview);
    job.SetPageCount(0);
    EXPECT_EQ(job.PageCount(), 1);
    job.SetPageCount(-5);
    EXPECT_EQ(job.PageCount(), 1);
    EXPECT_EQ(preview.updates, 0);
    job.SetPageCount(7);
    EXPECT_EQ(job.PageCount(), 7);
    EXPECT_EQ(preview.updates, 1);
    job.SetPageCount(7);
    job.SetMultiDoc(true);
    job.SetTitle(QStringLiteral("Run"));
    EXPECT_EQ(preview.updates, 1) << "MultiDoc and Title only store";
}

TEST_F(GeometryTest, PreviewsAreUpdatedOnceEachAndOneFailureDoesNotStopTheOthers)
{
    TPrintJob job;
    ThrowingPreview failing;
    CountingPreview counting;
    int updates = 0;
    job.OnUpdate = [&](TCustomPrintJob* sender) {
        EXPECT_EQ(sender, &job);
        ++updates;
    };
    job.AddPreview(&failing);
    job.AddPreview(&counting);
    job.AddPreview(&counting);
    ASSERT_EQ(job.Previews().size(), 2);
    job.Update();
    EXPECT_EQ(failing.updates, 1);
    EXPECT_EQ(counting.updates, 1);
    EXPECT_EQ(updates, 1);
    CountingPreview stranger;
    job.RemovePreview(&stranger);
    job.RemovePreview(&failing);
    EXPECT_EQ(job.Previews(), QList<IJobPreview*>{&counting});
}

TEST_F(GeometryTest, OnCreateFiresAtTheEndOfConstructionAndOnDestroyErrorsAreSwallowed)
{
    double widthSeen = -1;
    int creates = 0;
    {
        TPrintJob job(nullptr, [&](TCustomPrintJob* sender) {
            ++creates;
            widthSeen = sender->PageWidth();
        });
        job.OnDestroy = [](TCustomPrintJob*) { throw std::runtime_error("ignored"); };
        EXPECT_EQ(job.MarginsError(), meAutoFix);
    }
    EXPECT_EQ(creates, 1);
    EXPECT_EQ(widthSeen, 5100);
    EXPECT_THROW(TPrintJob(nullptr, [](TCustomPrintJob*) { throw Exception(QStringLiteral("no")); }), Exception);
}

// ------------------------------------------------------------------ no printer at all

class NoPrinterTest : public PrinterFixture {
protected:
    void SetUp() override
    {
        TPrinter::ClearInstalledPrinters();
    }
};

TEST_F(NoPrinterTest, FallsBackTo300DpiAndA2000By3000Page)
{
    TPrintJob job;
    EXPECT_FALSE(job.PrinterInstalled());
    EXPECT_EQ(job.PrinterPixelsPerInchX(), 300);
    EXPECT_EQ(job.PrinterPixelsPerInchY(), 300);
    EXPECT_EQ(job.PhysicalPageWidth(), 2000);
    EXPECT_EQ(job.PhysicalPageHeight(), 3000);
    EXPECT_DOUBLE_EQ(job.ConvertUnits(unPixels, unMillimeters, 100, false, 0), 8.47);
    EXPECT_EQ(job.PageWidth(), 2000);
    EXPECT_EQ(job.PageHeight(), 3000);
}

TEST_F(NoPrinterTest, PageSizeIsStoredAsItStandsWhateverModeAndUnit)
{
    TPrintJob job;
    job.SetPageMode(pmCustom);
    job.SetPageUnits(unInches);
    job.SetPageWidth(8.5);
    job.UpdatePageSize();
    EXPECT_EQ(job.PageWidth(), 2000);
    EXPECT_EQ(job.PageHeight(), 3000);
    TRect untouched{1, 2, 3, 4};
    job.GetPageRect(untouched);
    job.GetPrintableRect(untouched);
    EXPECT_EQ(untouched, (TRect{1, 2, 3, 4}));
}

TEST_F(NoPrinterTest, RefreshDoesNothing)
{
    TPrintJob job;
    CountingPreview preview;
    int updates = 0;
    job.OnUpdate = [&](TCustomPrintJob*) { ++updates; };
    job.AddPreview(&preview);
    job.SetMarginsError(meException);
    job.SetPageCount(3);
    job.Update();
    EXPECT_EQ(preview.updates, 0);
    EXPECT_EQ(updates, 0);
}

TEST_F(NoPrinterTest, PrintingReportsTheMissingPrinter)
{
    TPrintJob job;
    EXPECT_FALSE(Printer().HasHandle());
    EXPECT_TRUE(Printer().Printers().isEmpty());
    EXPECT_THROW(job.Print(), Exception);
    EXPECT_FALSE(Printer().Printing());
}

} // namespace
