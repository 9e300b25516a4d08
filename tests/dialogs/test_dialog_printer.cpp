// The print dialog's QPrinter: made from the process's printer for each dialog, and what a
// dialog chose taken back through the printer's setters.
#include "TestApplication.h"

#include "dialogs/DialogPrinter.h"
#include "platform/Printer.h"

#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const TDeviceCaps kCaps{600, 300, 5100, 3300, 100, 75, 4900, 3150};

class DialogPrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        // No scheduler: the machine's printers are the PDF printer alone.
        qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
    }
    void TearDown() override
    {
        TPrinter::ResetForTests();
        qunsetenv("CUPS_SERVER");
    }
    QTemporaryDir dir;
};

TEST_F(DialogPrinterTest, TestDeviceTakesBackTheOrientationAndNothingElse)
{
    TPrinter::InstallTestDevice(kCaps);
    const QString chosen = dir.filePath(QStringLiteral("chosen.pdf"));
    Printer().SetOutputFileName(chosen);
    std::unique_ptr<QPrinter> device = dialogs::DialogPrinter();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(device->resolution(), 600);
    EXPECT_EQ(device->outputFileName(), QString()) << "the chosen file is the printer's, not the dialog's suggestion";
    // What a dialog does to it: its orientation counts; the file name it suggests and the
    // range and copies it offers never reach a run.
    device->setPageOrientation(QPageLayout::Landscape);
    device->setOutputFileName(dir.filePath(QStringLiteral("suggested.pdf")));
    device->setPageRanges(QPageRanges::fromString(QStringLiteral("2-3")));
    device->setCopyCount(3);
    dialogs::TakeDialogChoices(*device);
    EXPECT_EQ(Printer().Orientation(), poLandscape);
    EXPECT_EQ(Printer().DeviceCaps(), (TDeviceCaps{300, 600, 3300, 5100, 75, 100, 3150, 4900}));
    EXPECT_EQ(Printer().OutputFileName(), chosen);
    Printer().BeginDoc();
    Printer().Canvas()->TextOut(0, 0, QStringLiteral("landscape"));
    Printer().EndDoc();
    EXPECT_EQ(Printer().LastOutputFile(), chosen);
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), { chosen });
    info.waitForFinished(60000);
    EXPECT_TRUE(info.readAllStandardOutput().contains("792 x 612 pts"));
    // The next dialog starts from the printer, not from what the last one held.
    device = dialogs::DialogPrinter();
    EXPECT_TRUE(device->pageRanges().isEmpty());
    EXPECT_EQ(device->copyCount(), 1);
    EXPECT_EQ(device->pageLayout().orientation(), QPageLayout::Landscape);
}

TEST_F(DialogPrinterTest, PdfPrinterPaperAndLayoutGoBothWays)
{
    TPrinter::ResetForTests();
    ASSERT_EQ(Printer().Printers(), QStringList { QStringLiteral("PDF") });
    std::unique_ptr<QPrinter> device = dialogs::DialogPrinter();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(device->pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_EQ(device->pageLayout().fullRectPixels(600), QRect(0, 0, Printer().DeviceCaps().PhysicalWidth, Printer().DeviceCaps().PhysicalHeight));
    device->setPageSize(QPageSize(QPageSize::Letter));
    dialogs::TakeDialogChoices(*device);
    EXPECT_EQ(Printer().PaperSize().id(), QPageSize::Letter);
    EXPECT_EQ(Printer().DeviceCaps().PhysicalWidth, 5100);
    // A size the PDF printer does not offer leaves its paper.
    device->setPageSize(QPageSize(QSizeF(100, 100), QPageSize::Millimeter));
    dialogs::TakeDialogChoices(*device);
    EXPECT_EQ(Printer().PaperSize().id(), QPageSize::Letter);
}

TEST_F(DialogPrinterTest, NoPrinterNoDialogPrinter)
{
    TPrinter::ClearInstalledPrinters();
    EXPECT_EQ(dialogs::DialogPrinter(), nullptr);
}

} // namespace
