#include "preview/PreviewLayout.h"

#include <gtest/gtest.h>

#include <string>

using namespace preview;

namespace {

// Letter paper at 600 dpi on a 96 ppi screen.
constexpr double PaperW = 5100;
constexpr double PaperH = 6600;

TBoxMetrics Box(int width, int height, int scrollBar = 16)
{
    return TBoxMetrics{width, height, width, scrollBar};
}

TLayoutInput Input(TViewMode mode, TBoxMetrics box, int scale = 0, int shadow = 8)
{
    TLayoutInput in;
    in.Mode = mode;
    in.ShadowSize = shadow;
    in.ViewScale = scale;
    in.Box = box;
    in.PageWidthPx = PaperW;
    in.PageHeightPx = PaperH;
    in.ScreenPpi = 96;
    in.PrinterDpiX = 600;
    return in;
}

struct LayoutRow {
    std::string name;
    TLayoutInput in;
    QRect panel;
    int horzRange;
    int vertRange;
    int viewScale;
    bool resetScroll;
};

void PrintTo(const LayoutRow& row, std::ostream* os) { *os << row.name; }

class WorkedLayouts : public ::testing::TestWithParam<LayoutRow> { };

TEST_P(WorkedLayouts, GivePanelRangesAndScale)
{
    const LayoutRow& row = GetParam();
    const TLayoutResult out = LayoutPage(row.in);
    ASSERT_TRUE(out.PageShown);
    EXPECT_EQ(out.Panel, row.panel);
    EXPECT_EQ(out.HorzRange, row.horzRange);
    EXPECT_EQ(out.VertRange, row.vertRange);
    EXPECT_EQ(out.ViewScale, row.viewScale);
    EXPECT_EQ(out.ResetScroll, row.resetScroll);
}

TLayoutInput WithVertRange(TLayoutInput in, int vertRange)
{
    in.VertRange = vertRange;
    return in;
}

INSTANTIATE_TEST_SUITE_P(
    Preview, WorkedLayouts,
    ::testing::Values(
        // 276 high, Round(266 * 5100 / 6600) + 10 = 216 wide, centred; 12,960,000 / 5100 / 96.
        LayoutRow{"WholePageFitsTheHeight", Input(vmWholePage, Box(500, 300)),
                  QRect(142, 12, 216, 276), 0, 0, 26, true},
        // 216 does not fit 150 - 16: 134 wide, Round(124 * 6600 / 5100) + 10 = 170 high.
        LayoutRow{"WholePageLimitedByTheWidth", Input(vmWholePage, Box(150, 300)),
                  QRect(8, 65, 134, 170), 0, 0, 16, true},
        // No shadow: 284 high, Round(282 * 5100 / 6600) + 2 = 220 wide.
        LayoutRow{"WholePageWithoutShadow", Input(vmWholePage, Box(500, 300), 0, 0),
                  QRect(140, 8, 220, 284), 0, 0, 27, true},
        // Outer 520 - 20 - 16 = 484 wide, Round(474 * 6600 / 5100) + 10 = 623 high.
        LayoutRow{"PageWidthKeepsRoomForTheBar", Input(vmPageWidth, Box(520, 300)),
                  QRect(8, 8, 484, 623), 0, 639, 59, false},
        // Round(5100 * 100 * 96 / 600 / 100) + 2 = 818, Round(808 * 6600 / 5100) + 10 = 1056.
        LayoutRow{"CustomAtRealSize", Input(vmCustom, Box(500, 300), 100),
                  QRect(8, 8, 818, 1056), 834, 1072, 100, true},
        // 206 x 264 fits 500 x 300 both ways: centred.
        LayoutRow{"CustomSmallIsCentred", Input(vmCustom, Box(500, 300), 25),
                  QRect(147, 18, 206, 264), 222, 280, 25, true},
        // The left is taken before the new vertical range: with last layout's bar showing,
        // the box is 484 wide, (484 - 410) / 2 = 37.
        LayoutRow{"CustomReadsTheWidthBeforeTheNewVerticalRange",
                  WithVertRange(Input(vmCustom, Box(500, 300), 50), 1000),
                  QRect(37, 8, 410, 528), 426, 544, 50, true},
        LayoutRow{"CustomWithoutAnOldBarIsCentredInTheWholeBox",
                  Input(vmCustom, Box(500, 300), 50), QRect(45, 8, 410, 528), 426, 544, 50,
                  true}),
    [](const ::testing::TestParamInfo<LayoutRow>& info) { return info.param.name; });

TEST(LayoutPage, ScaleOfAWidePanelOnAFinePrinterDoesNotOverflow)
{
    // 20000 x 100 x 2400 is beyond 32 bits.
    TLayoutInput in = Input(vmPageWidth, TBoxMetrics{20040, 300, 20040, 20});
    in.PageWidthPx = 20400;
    in.PageHeightPx = 26400;
    in.PrinterDpiX = 2400;
    const TLayoutResult out = LayoutPage(in);
    EXPECT_EQ(out.Panel.width(), 20000);
    EXPECT_EQ(out.ViewScale, 2451); // 4.8e9 / 20400 / 96 = 2450.98
}

TEST(LayoutPage, PageWithoutAreaIsNotLaidOut)
{
    for (TViewMode mode : {vmWholePage, vmPageWidth, vmCustom}) {
        TLayoutInput in = Input(mode, Box(500, 300), 100);
        in.HorzRange = 11;
        in.VertRange = 22;
        in.PageWidthPx = 0;
        TLayoutResult out = LayoutPage(in);
        EXPECT_FALSE(out.PageShown) << "mode " << mode;
        EXPECT_EQ(out.HorzRange, 11);
        EXPECT_EQ(out.VertRange, 22);
        in.PageWidthPx = PaperW;
        in.PageHeightPx = 0;
        EXPECT_FALSE(LayoutPage(in).PageShown) << "mode " << mode;
    }
}

TEST(LayoutPage, TinyBoxGivesAnEmptyPanelNotANegativeOne)
{
    const TLayoutResult out = LayoutPage(Input(vmWholePage, Box(10, 10)));
    EXPECT_EQ(out.Panel.width(), 0); // BW - 16 is negative
    EXPECT_GE(out.Panel.height(), 0);
}

TEST(BoxClient, BarsTakeRoomFromEachOther)
{
    const TBoxMetrics box = Box(500, 300);
    TBoxClient c = BoxClient(box, 0, 0);
    EXPECT_EQ(c.Width, 500);
    EXPECT_EQ(c.Height, 300);
    EXPECT_FALSE(c.HorzBar || c.VertBar);

    c = BoxClient(box, 0, 639);
    EXPECT_TRUE(c.VertBar);
    EXPECT_FALSE(c.HorzBar);
    EXPECT_EQ(c.Width, 484);

    // 490 fits 500 but not 484: the vertical bar brings the horizontal one.
    c = BoxClient(box, 490, 301);
    EXPECT_TRUE(c.VertBar && c.HorzBar);
    EXPECT_EQ(c.Height, 284);

    // 295 fits 300 until the horizontal bar takes 16.
    c = BoxClient(box, 600, 295);
    EXPECT_TRUE(c.VertBar && c.HorzBar);
    EXPECT_EQ(c.Width, 484);
}

struct FrameRow {
    std::string name;
    int panelW, panelH, shadow;
    TDeviceCaps caps;
    TRect page, printable;
};

void PrintTo(const FrameRow& row, std::ostream* os) { *os << row.name; }

class PageFrames : public ::testing::TestWithParam<FrameRow> { };

TEST_P(PageFrames, PageAndPrintableArea)
{
    const FrameRow& row = GetParam();
    const TPageFrame f = PageFrame(row.panelW, row.panelH, row.shadow, row.caps);
    EXPECT_EQ(f.Page, row.page);
    EXPECT_EQ(f.Printable, row.printable);
}

// Letter paper at 600 dpi, printable area offset by 150, and the same printable to its edges.
constexpr TDeviceCaps Offset150{600, 600, 5100, 6600, 150, 150, 4800, 6300};
constexpr TDeviceCaps Borderless{600, 600, 5100, 6600, 0, 0, 5100, 6600};

INSTANTIATE_TEST_SUITE_P(
    Preview, PageFrames,
    ::testing::Values(
        FrameRow{"Offsets150OnLetter", 216, 276, 8, Offset150, {0, 0, 208, 268}, {7, 7, 202, 262}},
        // Printable area = paper: one pixel past the page at the right and the bottom.
        FrameRow{"WholePaperPrintable", 216, 276, 8, Borderless, {0, 0, 208, 268},
                 {1, 1, 209, 269}},
        FrameRow{"NoShadow", 216, 276, 0, Offset150, {0, 0, 216, 276}, {7, 7, 210, 270}},
        // 100000 x 29992 is beyond 32 bits.
        FrameRow{"LargeProductsStayExact", 30000, 40000, 8,
                 {600, 600, 100000, 100000, 0, 0, 100000, 100000}, {0, 0, 29992, 39992},
                 {1, 1, 29993, 39993}},
        FrameRow{"NoPaperNothingPrintable", 216, 276, 8, {}, {0, 0, 208, 268}, {1, 1, 1, 1}}),
    [](const ::testing::TestParamInfo<FrameRow>& info) { return info.param.name; });

} // namespace
