#include "support_preview.h"

#include <QPainter>

using previewtest::PreviewFixture;

namespace {

const QColor Black(Qt::black);
const QColor White(Qt::white);
const QColor Grey(0x80, 0x80, 0x80);
const QColor Shadow(0x40, 0x40, 0x40);

QRect InkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

// The preview at 500 x 300 gives a panel of 216 x 276 with the shadow 8: the page is
// (0, 0, 208, 268), and with offsets of 150 on 5100 x 6600 the printable area scales to
// (7, 7, 202, 262).
class PagePainting : public PreviewFixture {
protected:
    void SetUp() override
    {
        PreviewFixture::SetUp();
        // The job blackens its whole page, so every white pixel is blanking.
        job->OnDraw = [](TCustomPrintJob*, TCanvas* canvas, int, TRect rect, TDrawArea,
                         TDrawTarget) {
            canvas->Brush().SetColor(Qt::black);
            canvas->FillRect(rect);
        };
        preview->SetPrintJob(job.get());
        ASSERT_EQ(preview->DrawPanel()->size(), QSize(216, 276));
    }
};

TEST_F(PagePainting, BorderBlankingBandsAndPrintableArea)
{
    const QImage img = PaintPanel();
    const int y = 100;
    EXPECT_EQ(img.pixelColor(0, y), Black) << "left border";
    for (int x = 1; x <= 6; ++x)
        EXPECT_EQ(img.pixelColor(x, y), White) << "left band at x " << x;
    EXPECT_EQ(img.pixelColor(7, y), Black) << "first printable column";
    EXPECT_EQ(img.pixelColor(201, y), Black) << "last printable column";
    for (int x = 202; x <= 206; ++x)
        EXPECT_EQ(img.pixelColor(x, y), White) << "right band at x " << x;
    EXPECT_EQ(img.pixelColor(207, y), Black) << "right border";

    const int x = 100;
    EXPECT_EQ(img.pixelColor(x, 0), Black) << "top border";
    for (int yy = 1; yy <= 6; ++yy)
        EXPECT_EQ(img.pixelColor(x, yy), White) << "top band at y " << yy;
    EXPECT_EQ(img.pixelColor(x, 7), Black);
    EXPECT_EQ(img.pixelColor(x, 261), Black);
    for (int yy = 262; yy <= 266; ++yy)
        EXPECT_EQ(img.pixelColor(x, yy), White) << "bottom band at y " << yy;
    EXPECT_EQ(img.pixelColor(x, 267), Black) << "bottom border";
}

TEST_F(PagePainting, ShadowBandAndCornerSquares)
{
    const QImage img = PaintPanel();
    for (int x = 208; x < 216; ++x) {
        EXPECT_EQ(img.pixelColor(x, 8), Shadow) << "right band at x " << x;
        EXPECT_EQ(img.pixelColor(x, 275), Shadow) << "corner at x " << x;
        EXPECT_EQ(img.pixelColor(x, 7), Grey) << "top-right square at x " << x;
    }
    for (int y = 268; y < 276; ++y) {
        EXPECT_EQ(img.pixelColor(8, y), Shadow) << "bottom band at y " << y;
        EXPECT_EQ(img.pixelColor(7, y), Grey) << "bottom-left square at y " << y;
    }
}

TEST_F(PagePainting, NoShadowPageFillsThePanel)
{
    preview->SetShadowSize(0);
    const QSize size = preview->DrawPanel()->size();
    const QImage img = PaintPanel();
    EXPECT_EQ(img.pixelColor(size.width() - 1, 100), Black) << "right border at the edge";
    EXPECT_EQ(img.pixelColor(100, size.height() - 1), Black) << "bottom border at the edge";
    EXPECT_EQ(img.pixelColor(size.width() - 2, 100), White);
}

TEST_F(PagePainting, PrintableAreaOfTheWholePaperHidesTheRightAndBottomBorder)
{
    TPrinter::InstallTestDevice(TDeviceCaps{600, 600, 5100, 6600, 0, 0, 5100, 6600});
    // A blank page, so that page content shows white where the border is hidden.
    job->OnDraw = nullptr;
    preview->Update();
    const QImage blank = PaintPanel();
    EXPECT_EQ(blank.pixelColor(0, 100), Black) << "left border stays";
    EXPECT_EQ(blank.pixelColor(100, 0), Black) << "top border stays";
    EXPECT_EQ(blank.pixelColor(207, 100), White) << "right border is covered by the page";
    EXPECT_EQ(blank.pixelColor(100, 267), White) << "bottom border is covered by the page";
}

TEST_F(PagePainting, TheWidgetPaintsWhatThePanelPaints)
{
    const QImage expected = PaintPanel();
    const QImage shown =
        preview->DrawPanel()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), expected.size());
    for (QPoint at : {QPoint(0, 100), QPoint(3, 100), QPoint(100, 100), QPoint(204, 100),
                      QPoint(212, 100), QPoint(212, 2), QPoint(100, 272)})
        EXPECT_EQ(shown.pixel(at), expected.pixel(at)) << at.x() << "," << at.y();
}

TEST_F(PagePainting, UnboundPanelShowsOnlyItsColour)
{
    preview->SetPrintJob(nullptr);
    preview->DrawPanel()->resize(40, 40);
    const QImage img = PaintPanel();
    EXPECT_EQ(img.pixelColor(0, 0), Grey);
    EXPECT_EQ(img.pixelColor(20, 20), Grey);
    EXPECT_EQ(img.pixelColor(39, 39), Grey);
}

TEST_F(PreviewFixture, TextLandsWhereThePrinterPutsIt)
{
    TPrinter::InstallTestDevice(TDeviceCaps{600, 600, 5100, 6600, 0, 0, 5100, 6600});
    auto draw = [](TCanvas* canvas) {
        canvas->Font().SetSize(72); // an inch high at the printer's resolution
        canvas->TextOut(1000, 1000, QStringLiteral("HH"));
    };
    job->OnDraw = [&](TCustomPrintJob*, TCanvas* canvas, int, TRect, TDrawArea, TDrawTarget) {
        draw(canvas);
    };
    preview->SetViewMode(vmCustom);
    preview->SetPrintJob(job.get());
    preview->SetViewScale(100); // 818 wide; the whole paper maps onto the page, 810 wide
    const QImage shown = PaintPanel();

    // The same drawing on a 600 dpi device, as the printer draws it (a window of it).
    QImage paper(2000, 1200, QImage::Format_RGB32);
    paper.setDotsPerMeterX(qRound(600 / 0.0254));
    paper.setDotsPerMeterY(qRound(600 / 0.0254));
    paper.fill(Qt::white);
    {
        QPainter painter(&paper);
        painter.translate(-500, -500);
        TCanvas canvas(&painter);
        canvas.Font().SetPixelsPerInch(600);
        canvas.Brush().SetStyle(bsClear);
        draw(&canvas);
    }
    const QRect printed = InkBox(paper).translated(500, 500);
    ASSERT_FALSE(printed.isEmpty());
    // Inside the page border.
    const QRect onScreen = InkBox(shown.copy(1, 1, 808, 1046)).translated(1, 1);
    ASSERT_FALSE(onScreen.isEmpty());
    const double s = 810.0 / 5100;
    EXPECT_NEAR(onScreen.left(), printed.left() * s, 2.0);
    EXPECT_NEAR(onScreen.top(), printed.top() * s, 2.0);
    EXPECT_NEAR(onScreen.width(), printed.width() * s, 2.0);
    EXPECT_NEAR(onScreen.height(), printed.height() * s, 2.0);

    // A target of another resolution (a high-density screen) shows the same page.
    QImage dense(preview->DrawPanel()->size(), QImage::Format_RGB32);
    dense.setDotsPerMeterX(qRound(192 / 0.0254));
    dense.setDotsPerMeterY(qRound(192 / 0.0254));
    {
        QPainter painter(&dense);
        preview->DrawPanel()->PaintPanel(painter);
    }
    const QRect denseInk = InkBox(dense.copy(1, 1, 808, 1046)).translated(1, 1);
    EXPECT_NEAR(denseInk.left(), onScreen.left(), 1);
    EXPECT_NEAR(denseInk.top(), onScreen.top(), 1);
    EXPECT_NEAR(denseInk.width(), onScreen.width(), 1);
    EXPECT_NEAR(denseInk.height(), onScreen.height(), 1);
}

// Text far taller than usual (a size in the thousands of points) is the normal-size text
// scaled up, on the screen as on the paper: the ink of a dot at ten times the size lies
// ten times as far from the text's corner and is ten times as large.
TEST_F(PreviewFixture, HugeTextIsTheNormalTextScaledUp)
{
    TPrinter::InstallTestDevice(TDeviceCaps{600, 600, 5100, 6600, 0, 0, 5100, 6600});
    int points = 0;
    QPoint corner;
    job->OnDraw = [&](TCustomPrintJob*, TCanvas* canvas, int, TRect, TDrawArea, TDrawTarget) {
        canvas->Font().SetName(QStringLiteral("DejaVu Sans"));
        canvas->Font().SetSize(points);
        canvas->TextOut(corner.x(), corner.y(), QStringLiteral("."));
    };
    preview->SetViewMode(vmCustom);
    preview->SetPrintJob(job.get());
    preview->SetViewScale(100); // the paper's 5100 pixels on 810
    const double s = 810.0 / 5100;
    auto inkFromCorner = [&](int size, QPoint at) {
        points = size;
        corner = at;
        preview->Update();
        const QRect ink = InkBox(PaintPanel().copy(1, 1, 808, 1046)).translated(1, 1);
        return QRectF(ink.left() - at.x() * s, ink.top() - at.y() * s, ink.width(), ink.height());
    };
    const QRectF normal = inkFromCorner(300, QPoint(-200, -1800));
    ASSERT_FALSE(normal.isEmpty());
    for (const int huge : {2000, 3000}) {
        const double k = huge / 300.0;
        const QRectF big = inkFromCorner(huge, QPoint(qRound(-200 * k), qRound(-1800 * k)));
        EXPECT_NEAR(big.left(), normal.left() * k, 2 * k) << huge;
        EXPECT_NEAR(big.top(), normal.top() * k, 2 * k) << huge;
        EXPECT_NEAR(big.width(), normal.width() * k, 2 * k) << huge;
        EXPECT_NEAR(big.height(), normal.height() * k, 2 * k) << huge;
    }
}

// On a screen whose resolution differs from the recording's, the page goes through an
// image: only the exposed part, at any zoom, and it shows what a direct replay shows.
class ExposedPart : public PreviewFixture, public testing::WithParamInterface<int> { };

TEST_P(ExposedPart, IsAllThatIsReplayed)
{
    TPrinter::InstallTestDevice(TDeviceCaps{600, 600, 5100, 6600, 0, 0, 5100, 6600});
    job->OnDraw = [&](TCustomPrintJob*, TCanvas* canvas, int, TRect, TDrawArea, TDrawTarget) {
        canvas->Font().SetSize(72);
        canvas->TextOut(1000, 1000, QStringLiteral("HH"));
    };
    preview->SetViewMode(vmCustom);
    preview->SetPrintJob(job.get());
    preview->SetViewScale(GetParam());
    TDrawPanel* panel = preview->DrawPanel();
    const double s = double(panel->width() - 2 - preview->ShadowSize()) / 5100;
    const QRect exposed(qRound(1000 * s) - 60, qRound(1000 * s) - 40, 400, 300);

    auto paint = [&](int dpi) {
        QImage image(exposed.size(), QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(dpi / 0.0254));
        image.setDotsPerMeterY(qRound(dpi / 0.0254));
        image.fill(Qt::magenta);
        panel->render(&image, QPoint(), QRegion(exposed));
        return image;
    };
    const QRect direct = InkBox(paint(96));
    const QRect dense = InkBox(paint(192));
    EXPECT_LE(panel->ReplayImageSize().width(), exposed.width());
    EXPECT_LE(panel->ReplayImageSize().height(), exposed.height());
    ASSERT_FALSE(direct.isEmpty());
    EXPECT_NEAR(dense.left(), direct.left(), 1);
    EXPECT_NEAR(dense.top(), direct.top(), 1);
    EXPECT_NEAR(dense.right(), direct.right(), 1);
    EXPECT_NEAR(dense.bottom(), direct.bottom(), 1);
}

INSTANTIATE_TEST_SUITE_P(Zoom, ExposedPart, testing::Values(100, 1000),
    [](const auto& info) { return "Percent" + std::to_string(info.param); });

} // namespace
