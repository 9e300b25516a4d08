// The canvas over QPainter, checked by rendering into images; rounding and rectangles.
#include "platform/Canvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "canvas_tests";
        static char* argv[] = {name, nullptr};
        application_ = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { application_.reset(); }

private:
    std::unique_ptr<QGuiApplication> application_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

const QRgb kGrey = qRgb(128, 128, 128);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);

struct RoundingRow {
    const char* name;
    double value;
    int expected;
};

const RoundingRow kRounding[] = {
    {"HalfDownToEven", 2.5, 2},      {"HalfUpToEven", 3.5, 4},
    {"NegativeHalfToEven", -2.5, -2}, {"NegativeHalfUpToEven", -3.5, -4},
    {"BelowHalf", 2.4999, 2},        {"AboveHalf", 2.5001, 3},
    {"ZeroHalf", 0.5, 0},            {"TooLargeSaturates", 1e12, std::numeric_limits<int>::max()},
    {"TooSmallSaturates", -1e12, std::numeric_limits<int>::min()}, {"NotANumberIsZero", std::nan(""), 0},
};

class RoundingTest : public ::testing::TestWithParam<RoundingRow> { };

TEST_P(RoundingTest, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(RoundHalfEven(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, RoundingTest, ::testing::ValuesIn(kRounding),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RoundingTest64, KeepsValuesBeyondThirtyTwoBits)
{
    EXPECT_EQ(RoundHalfEven64(6000000000.5), 6000000000LL);
    EXPECT_EQ(ClampToInt(qint64(1) << 40), std::numeric_limits<int>::max());
}

struct FontSizeRow {
    const char* name;
    int points;
    int ppi;
    int pixels;
};

const FontSizeRow kFontSizes[] = {
    {"TenPointsAt600Dpi", 10, 600, 83},   // 83.33
    {"TwelvePointsAt96Dpi", 12, 96, 16},
    {"HalfPixelGoesToEvenDown", 5, 36, 2}, // 2.5
    {"HalfPixelGoesToEvenUp", 3, 36, 2},   // 1.5
    {"NeverBelowOnePixel", 1, 10, 1},
    {"HugeSizeAtFineResolution", 2000000, 2400, 66666667},
    {"MostNegativeSizeSaturates", std::numeric_limits<int>::min(), 600,
     std::numeric_limits<int>::max()},
};

class FontSizeTest : public ::testing::TestWithParam<FontSizeRow> { };

TEST_P(FontSizeTest, PixelSizeFollowsPointsAndResolution)
{
    TFont font;
    font.SetSize(GetParam().points);
    font.SetPixelsPerInch(GetParam().ppi);
    EXPECT_EQ(font.ToQFont().pixelSize(), GetParam().pixels);
}

INSTANTIATE_TEST_SUITE_P(Rows, FontSizeTest, ::testing::ValuesIn(kFontSizes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FontTest, StylesMapToTheQFont)
{
    TFont font;
    font.SetStyle(fsBold | fsUnderline);
    const QFont qfont = font.ToQFont();
    EXPECT_TRUE(qfont.bold());
    EXPECT_TRUE(qfont.underline());
    EXPECT_FALSE(qfont.italic());
    EXPECT_FALSE(qfont.strikeOut());
}

class CanvasTest : public ::testing::Test {
protected:
    CanvasTest() : image(200, 200, QImage::Format_RGB32)
    {
        image.fill(kGrey);
        painter.begin(&image);
        canvas = std::make_unique<TCanvas>(&painter);
    }
    QRgb At(int x, int y)
    {
        if (painter.isActive())
            painter.end();
        return image.pixel(x, y);
    }
    QImage image;
    QPainter painter;
    std::unique_ptr<TCanvas> canvas;
};

TEST_F(CanvasTest, TextOutFillsTheCellFromItsTopLeftCorner)
{
    canvas->Font().SetSize(20);
    const QSize extent = canvas->TextExtent(QStringLiteral("Hg"));
    ASSERT_GT(extent.width(), 0);
    EXPECT_EQ(extent.height(), canvas->TextHeight(QStringLiteral("Hg")));
    EXPECT_EQ(extent.width(), canvas->TextWidth(QStringLiteral("Hg")));
    canvas->TextOut(30, 40, QStringLiteral("Hg"));
    EXPECT_EQ(canvas->PenPos(), QPoint(30 + extent.width(), 40));
    EXPECT_EQ(At(30, 40), kWhite);
    EXPECT_EQ(At(29, 40), kGrey);
    EXPECT_EQ(At(30, 39), kGrey);
    EXPECT_EQ(At(30 + extent.width() - 1, 40 + extent.height() - 1), kWhite);
    EXPECT_EQ(At(30 + extent.width(), 40), kGrey);
    EXPECT_EQ(At(30, 40 + extent.height()), kGrey);
}

TEST_F(CanvasTest, TextOutWithAClearBrushLeavesTheBackground)
{
    canvas->Brush().SetStyle(bsClear);
    canvas->Font().SetSize(20);
    canvas->TextOut(30, 40, QStringLiteral("."));
    EXPECT_EQ(At(30, 40), kGrey);
}

TEST_F(CanvasTest, TextIsDrawnInTheFontColour)
{
    canvas->Font().SetSize(40);
    canvas->Font().SetColor(Qt::red);
    canvas->Brush().SetStyle(bsClear);
    canvas->TextOut(10, 10, QStringLiteral("\u2588\u2588\u2588"));
    const QSize extent = canvas->TextExtent(QStringLiteral("\u2588\u2588\u2588"));
    painter.end();
    int red = 0;
    for (int y = 10; y < 10 + extent.height(); ++y)
        for (int x = 10; x < 10 + extent.width(); ++x)
            red += image.pixel(x, y) == kRed;
    EXPECT_GT(red, 0);
}

TEST_F(CanvasTest, PenPosAfterTextOutUsesTheFontTheTextWasDrawnIn)
{
    canvas->Font().SetSize(10);
    const int width = canvas->TextWidth(QStringLiteral("Hello"));
    canvas->TextOut(30, 40, QStringLiteral("Hello"));
    canvas->Font().SetSize(40);
    EXPECT_EQ(canvas->PenPos(), QPoint(30 + width, 40));
}

TEST_F(CanvasTest, HatchedFillAfterTextLeavesTheGapsUntouched)
{
    canvas->Font().SetSize(20);
    canvas->TextOut(0, 0, QStringLiteral("x"));
    canvas->Brush().SetColor(Qt::red);
    canvas->Brush().SetStyle(bsHorizontal);
    canvas->FillRect(TRect{100, 100, 200, 200});
    canvas->Rectangle(TRect{100, 0, 200, 100});
    int grey = 0;
    for (int y = 101; y < 199; ++y)
        grey += At(150, y) == kGrey && At(150, y - 100) == kGrey;
    EXPECT_GT(grey, 50) << "the brush's gaps were filled";
}

TEST_F(CanvasTest, RectangleIsPenOutlineAndBrushFill)
{
    canvas->Pen().SetColor(Qt::black);
    canvas->Pen().SetWidth(1);
    canvas->Brush().SetColor(Qt::red);
    canvas->Rectangle(TRect{10, 10, 20, 20});
    EXPECT_EQ(At(10, 10), kBlack);
    EXPECT_EQ(At(19, 19), kBlack);
    EXPECT_EQ(At(15, 15), kRed);
    EXPECT_EQ(At(20, 20), kGrey);
    EXPECT_EQ(At(9, 10), kGrey);
}

TEST_F(CanvasTest, FillRectUsesTheBrushOnly)
{
    canvas->Pen().SetColor(Qt::black);
    canvas->Brush().SetColor(Qt::red);
    canvas->FillRect(TRect{10, 10, 20, 20});
    EXPECT_EQ(At(10, 10), kRed);
    EXPECT_EQ(At(19, 19), kRed);
    EXPECT_EQ(At(20, 19), kGrey);
}

TEST_F(CanvasTest, ViewportOriginMovesDrawingInDeviceUnits)
{
    EXPECT_EQ(canvas->SetViewportOrg(QPoint(50, 60)), QPoint(0, 0));
    EXPECT_EQ(canvas->SetViewportOrg(QPoint(50, 60)), QPoint(50, 60));
    canvas->Brush().SetColor(Qt::red);
    canvas->FillRect(TRect{0, 0, 5, 5});
    EXPECT_EQ(At(50, 60), kRed);
    EXPECT_EQ(At(49, 60), kGrey);
    EXPECT_EQ(At(0, 0), kGrey);
}

TEST_F(CanvasTest, ViewportOriginAddsToThePaintersTransformAtCreation)
{
    painter.translate(10, 20);
    TCanvas translated(&painter);
    translated.SetViewportOrg(QPoint(5, 5));
    translated.Brush().SetColor(Qt::red);
    translated.FillRect(TRect{0, 0, 3, 3});
    EXPECT_EQ(At(15, 25), kRed);
    EXPECT_EQ(At(14, 25), kGrey);
}

TEST_F(CanvasTest, MappingScalesLogicalUnits)
{
    canvas->SetMapping(QSize(4, 4), QSize(1, 1));
    EXPECT_EQ(canvas->WindowExt(), QSize(4, 4));
    EXPECT_EQ(canvas->ViewportExt(), QSize(1, 1));
    canvas->SetViewportOrg(QPoint(100, 100));
    canvas->Brush().SetColor(Qt::red);
    canvas->FillRect(TRect{0, 0, 40, 40});
    EXPECT_EQ(At(100, 100), kRed);
    EXPECT_EQ(At(109, 109), kRed);
    EXPECT_EQ(At(110, 110), kGrey);
}

TEST_F(CanvasTest, ExcludedRectangleStaysUntouched)
{
    canvas->ExcludeClipRect(TRect{50, 50, 60, 60});
    canvas->Brush().SetColor(Qt::red);
    canvas->FillRect(TRect{0, 0, 200, 200});
    EXPECT_EQ(At(55, 55), kGrey);
    EXPECT_EQ(At(49, 55), kRed);
    EXPECT_EQ(At(60, 55), kRed);
}

TEST_F(CanvasTest, IntersectAndRemoveClip)
{
    canvas->IntersectClipRect(TRect{10, 10, 100, 100});
    canvas->IntersectClipRect(TRect{50, 50, 150, 150});
    canvas->Brush().SetColor(Qt::red);
    canvas->FillRect(TRect{0, 0, 200, 200});
    canvas->RemoveClip();
    canvas->Brush().SetColor(Qt::white);
    canvas->FillRect(TRect{0, 0, 5, 5});
    EXPECT_EQ(At(75, 75), kRed);
    EXPECT_EQ(At(40, 40), kGrey);
    EXPECT_EQ(At(120, 120), kGrey);
    EXPECT_EQ(At(2, 2), kWhite);
}

TEST_F(CanvasTest, LineToDrawsFromThePenPosition)
{
    canvas->Pen().SetColor(Qt::red);
    canvas->MoveTo(10, 100);
    canvas->LineTo(100, 100);
    EXPECT_EQ(canvas->PenPos(), QPoint(100, 100));
    EXPECT_EQ(At(50, 100), kRed);
    EXPECT_EQ(At(50, 101), kGrey);
}

TEST_F(CanvasTest, ClearPenDrawsNoLine)
{
    canvas->Pen().SetColor(Qt::red);
    canvas->Pen().SetStyle(psClear);
    canvas->MoveTo(10, 100);
    canvas->LineTo(100, 100);
    EXPECT_EQ(At(50, 100), kGrey);
}

} // namespace
