// Options > Ticket Items in the window: the preview follows the dialog while it is open,
// Cancel puts the items back, OK keeps them for the settings file, and a code that cannot
// show a serial is crossed out in the preview, said in the status bar and refused by a
// print before the counter moves; one over the edge of the page is warned about.
#include "support_app.h"
#include "support_window.h"

#include "app/TicketItemsDialog.h"
#include "preview/Preview.h"
#include "preview/PreviewStatusBar.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

class TicketItemsWindowTest : public WindowTest { };

// Pixels that differ between two pictures of the preview.
int Changed(const QImage& before, const QImage& after)
{
    if (before.size() != after.size())
        return before.width() * before.height();
    int changed = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            changed += before.pixel(x, y) != after.pixel(x, y);
    return changed;
}

TEST_F(TicketItemsWindowTest, PreviewFollowsTheDialogCancelPutsBackOkKeeps)
{
    WriteSettings("[SN]\r\nLastNumber=99\r\nPageCount=3\r\n\r\n");
    auto window = MakeWindow();
    ASSERT_TRUE(ShowLarge(*window));
    const auto preview = [&] { return PreviewImage(*window); };
    const QImage plain = preview();

    // A QR code added while the dialog is open is in the preview at once; Cancel takes
    // it away again.
    int withCode = -1;
    WhenModal<TTicketItemsDialog>([&](TTicketItemsDialog* dialog) {
        dialog->AddButton()->click();
        dialog->KindBox()->setCurrentIndex(dialog->KindBox()->findData(int(ticket::TItemKind::Barcode)));
        dialog->SymbologyBox()->setCurrentIndex(dialog->SymbologyBox()->findData(int(ticket::TSymbology::QR)));
        withCode = Changed(plain, preview());
        dialog->reject();
    });
    window->mnuTicketItems->trigger();
    EXPECT_GT(withCode, 100) << "the code did not reach the preview while the dialog was open";
    EXPECT_TRUE(window->TicketItems().isEmpty());
    EXPECT_EQ(Changed(plain, preview()), 0);

    // OK keeps an EAN-13 of a text it cannot show: crossed out in red, said in the status
    // bar, in the settings file, and a print refuses it with the counter left alone.
    WhenModal<TTicketItemsDialog>([&](TTicketItemsDialog* dialog) {
        dialog->AddButton()->click();
        dialog->KindBox()->setCurrentIndex(dialog->KindBox()->findData(int(ticket::TItemKind::Barcode)));
        dialog->SymbologyBox()->setCurrentIndex(dialog->SymbologyBox()->findData(int(ticket::TSymbology::EAN13)));
        dialog->TextEdit()->setText(QStringLiteral("A{number}"));
        // Over the printable area's right edge (8.17 in on the test device) as well.
        dialog->findChild<QDoubleSpinBox*>(QStringLiteral("ItemLeft"))->setValue(7.5);
        dialog->accept();
    });
    window->mnuTicketItems->trigger();
    ASSERT_EQ(window->TicketItems().size(), 1);
    EXPECT_GT(apptest::RedPixels(preview()), 100);
    const QString problem = QStringLiteral("Item 3: EAN-13 takes 12 or 13 digits, not 'A100'");
    EXPECT_TRUE(window->PreviewStatusBar1->UserText().contains(problem)) << window->PreviewStatusBar1->UserText().toStdString();
    EXPECT_TRUE(window->PreviewStatusBar1->UserText().contains(
        QStringLiteral("Item 3 (1.50 x 0.50 in at 7.50, 2.00 in) does not fit on the printable area of the page")))
        << window->PreviewStatusBar1->UserText().toStdString();
    window->SaveSettings();
    EXPECT_EQ(Setting(QStringLiteral("Item3"), QStringLiteral("Symbology")), QStringLiteral("ean13"));
    EXPECT_EQ(Setting(QStringLiteral("Item3"), QStringLiteral("Text")), QStringLiteral("A{number}"));
    answer_ = true;
    window->ToolButton1->trigger();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_.front().contains(problem)) << errors_.front().toStdString();
    EXPECT_EQ(Setting(QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("99"));
    EXPECT_FALSE(QFileInfo::exists(OutputPdf()));
}

} // namespace
