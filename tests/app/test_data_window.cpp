// Options > Data in the window: a chosen file is read at once and shown (its columns and
// first rows), and once accepted the preview's items take their rows and the settings
// file keeps the choice.
#include "app/DataDialog.h"
#include "app/Tallyforge.h"
#include "support_window.h"

#include "FileBytes.h"

#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

namespace {

class DataWindowTest : public WindowTest { };

TEST_F(DataWindowTest, DataDialogShowsTheFileAndThePreviewTakesItsRows)
{
    filebytes::WriteBytes(dir_.filePath(QStringLiteral("seats.csv")), "Name,Seat\r\nAnna,\"A 1\"\r\nBen,B 2\r\n");
    WriteSettings("[SN]\r\nLastNumber=99\r\n\r\n[Item3]\r\nKind=text\r\nText={data:Seat}\r\n");
    auto window = MakeWindow();
    ASSERT_TRUE(ShowLarge(*window));
    const ticket::TTicketItem item = window->CurrentPage().Items.value(0);
    EXPECT_EQ(serial::ItemValue(window->CurrentPage(), item, 1), QStringLiteral("{data:Seat}"));

    QString check;
    QStringList firstRow;
    WhenModal<TDataDialog>([&](TDataDialog* dialog) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("txtDataFile"));
        file->setFocus();
        QTest::keyClicks(file, QStringLiteral("seats.csv")); // relative to the settings file
        QTest::keyClick(file, Qt::Key_Tab);
        dialog->findChild<QWidget*>(QStringLiteral("txtDataFirst"))->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("100"));
        check = dialog->CheckText();
        const auto* rows = dialog->findChild<QTableWidget*>(QStringLiteral("tblDataRows"));
        for (int column = 0; column < rows->columnCount(); ++column)
            firstRow << rows->verticalHeaderItem(0)->text() + QLatin1Char(':') + rows->item(0, column)->text();
        dialog->accept();
    });
    ChooseFromMenu(window->mnuOptions, { Qt::Key_D });
    EXPECT_EQ(check, QStringLiteral("Columns Name, Seat; 2 rows, for numbers 100 to 101.")) << check.toStdString();
    EXPECT_EQ(firstRow, (QStringList { QStringLiteral("100:Anna"), QStringLiteral("100:A 1") }));
    // The preview's serial 100 is the file's first row.
    serial::SerialPage page = window->CurrentPage();
    page.StartingNumber = 100;
    EXPECT_EQ(serial::ItemValue(page, item, 2), QStringLiteral("B 2"));
    window->close();
    EXPECT_EQ(Setting(QStringLiteral("Data"), QStringLiteral("File")), QStringLiteral("seats.csv"));
    EXPECT_EQ(Setting(QStringLiteral("Data"), QStringLiteral("FirstNumber")), QStringLiteral("100"));
}

} // namespace
