// The artwork in the window's preview: drawn under the numbers, rendered once per zoom
// level however much is typed, and left out, with the reason in the status bar, when the
// file cannot be used.
#include "app/Tallyforge.h"
#include "app/TemplateDialog.h"
#include "preview/Preview.h"
#include "preview/PreviewStatusBar.h"
#include "support_app.h"
#include "support_window.h"
#include "widgets/HistoryEdit.h"

#include <QLineEdit>
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

// A letter page, as the test device's paper, with an orange block on it.
void WriteArtwork(const QString& path)
{
    apptest::WriteArtworkPdf(path, QSizeF(612, 792), QRectF(100, 300, 400, 300), QColor(255, 140, 0));
}

TEST_F(TemplatePreviewTest, ArtworkIsRenderedOncePerZoomAndABadFileIsNamedInTheStatusBar)
{
    // Named relative to the settings file, and not printed (pre-printed stock).
    WriteArtwork(dir_.filePath(QStringLiteral("artwork.pdf")));
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

// Options > Template checks a file as it is chosen, and the preview follows the dialog;
// Cancel puts back the window's own choice.
TEST_F(TemplatePreviewTest, TemplateDialogChecksTheFileAndThePreviewFollowsUntilCancel)
{
    WriteArtwork(dir_.filePath(QStringLiteral("artwork.pdf")));
    QFile broken(dir_.filePath(QStringLiteral("broken.pdf")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("%PDF-1.4\nnot a document\n");
    broken.close();
    WriteSettings("[SN]\r\nLastNumber=100\r\n");
    auto window = MakeWindow();
    ASSERT_TRUE(ShowLarge(*window));
    ASSERT_EQ(OrangePixels(PreviewImage(*window)), 0);

    QString good;
    QString bad;
    int orangeWhileOpen = 0;
    WhenModal<TTemplateDialog>([&](TTemplateDialog* dialog) {
        // Keys go where the focus is: the dialog must have it first.
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("txtTemplateFile"));
        // Typed, relative to the settings file, and left with Tab as a person does.
        file->setFocus();
        QTest::keyClicks(file, QStringLiteral("artwork.pdf"));
        QTest::keyClick(file, Qt::Key_Tab);
        good = dialog->CheckText();
        orangeWhileOpen = OrangePixels(PreviewImage(*window));
        file->setFocus();
        file->selectAll();
        QTest::keyClicks(file, QStringLiteral("broken.pdf"));
        QTest::keyClick(file, Qt::Key_Tab);
        bad = dialog->CheckText();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    ChooseFromMenu(window->mnuOptions, { Qt::Key_T });
    EXPECT_EQ(good, QStringLiteral("1 page; page 1 is 8.50 x 11.00 in."));
    EXPECT_GT(orangeWhileOpen, 1000);
    EXPECT_TRUE(bad.startsWith(QStringLiteral("Cannot be used: The template ")) && bad.contains(QStringLiteral("broken.pdf")))
        << bad.toStdString();
    EXPECT_TRUE(window->Template().File.isEmpty());
    EXPECT_EQ(OrangePixels(PreviewImage(*window)), 0);
}

} // namespace
