// The artwork in the window's preview: drawn under the numbers, rendered once per zoom
// level however much is typed, and left out, with the reason in the status bar, when the
// file cannot be used.
#include "app/Tallyforge.h"
#include "preview/Preview.h"
#include "preview/PreviewStatusBar.h"
#include "support_app.h"
#include "support_window.h"
#include "widgets/HistoryEdit.h"

#include <QPainter>
#include <QPdfWriter>
#include <QTest>

namespace {

class TemplatePreviewTest : public WindowTest {};

// Orange: no other part of the preview has it.
int OrangePixels(const QImage& image)
{
    return apptest::CountPixels(image, [](const QColor& c) { return c.red() > 220 && c.green() > 100 && c.green() < 180 && c.blue() < 60; });
}

TEST_F(TemplatePreviewTest, ArtworkIsRenderedOncePerZoomAndABadFileIsNamedInTheStatusBar)
{
    // A letter page, as the test device's paper, with an orange block on it; named
    // relative to the settings file, and not printed (pre-printed stock).
    {
        QPdfWriter writer(dir_.filePath(QStringLiteral("artwork.pdf")));
        writer.setPageSize(QPageSize(QSizeF(612, 792), QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF());
        writer.setResolution(72);
        QPainter painter(&writer);
        painter.fillRect(QRectF(100, 300, 400, 300), QColor(255, 140, 0));
    }
    WriteSettings("[SN]\r\nLastNumber=100\r\n\r\n[Template]\r\nFile=artwork.pdf\r\nPrint=0\r\n");
    auto window = MakeWindow();
    ASSERT_TRUE(ShowLarge(*window));
    const auto preview = [&] { return PreviewImage(*window); };
    EXPECT_GT(OrangePixels(preview()), 1000);
    EXPECT_TRUE(window->PreviewStatusBar1->UserText().contains(QStringLiteral("artwork.pdf")))
        << window->PreviewStatusBar1->UserText().toStdString();
    const int renders = window->ArtworkView().Renders();
    EXPECT_GE(renders, 1);

    // Typing redraws the numbers, not the artwork.
    window->txtStartingSN->setFocus();
    QTest::keyClicks(window->txtStartingSN, QStringLiteral("2345"));
    preview();
    EXPECT_EQ(window->ArtworkView().Renders(), renders);
    // Another zoom, another size: rendered once more.
    window->butPageWidthClick();
    preview();
    EXPECT_EQ(window->ArtworkView().Renders(), renders + 1);
    EXPECT_GT(OrangePixels(preview()), 1000);

    // A file that is gone: the numbers alone, and the bar says why.
    ticket::TTemplate gone = window->Template();
    gone.File = dir_.filePath(QStringLiteral("gone.pdf"));
    window->SetTemplate(gone);
    EXPECT_EQ(OrangePixels(preview()), 0);
    EXPECT_TRUE(window->PreviewStatusBar1->UserText().contains(QStringLiteral("gone.pdf")))
        << window->PreviewStatusBar1->UserText().toStdString();
    window->close();
    EXPECT_EQ(Setting("Template", "File"), gone.File);
    EXPECT_EQ(Setting("Template", "Print"), QStringLiteral("0"));
}

} // namespace
