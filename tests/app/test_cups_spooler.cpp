// A toolbar print through a real CUPS scheduler: a private cupsd with one queue that
// writes what it receives, after its filters, into a PDF file.
#include "support_app.h"
#include "support_cups.h"

#include "app/Tallyforge.h"
#include "dialogs/DialogPrinter.h"
#include "platform/Application.h"
#include "platform/FormatSettings.h"
#include "platform/Printer.h"
#include "preview/PreviewStatusBar.h"
#include "widgets/HistoryEdit.h"

#include <QAction>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

class CupsSpoolerTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        reason_ = PrivateCups::UnavailableReason();
        if (!reason_.isEmpty())
            return;
        cups_ = new PrivateCups;
        if (!cups_->Start()) {
            startError_ = cups_->Error();
            return;
        }
        // Before the first printer look-up: the program finds its queues through this.
        cups_->ServeThisProcess();
    }

    static void TearDownTestSuite()
    {
        delete cups_;
        cups_ = nullptr;
    }

    void SetUp() override
    {
        if (!reason_.isEmpty())
            GTEST_SKIP() << reason_.toStdString();
        ASSERT_TRUE(startError_.isEmpty()) << startError_.toStdString();
        ASSERT_TRUE(dir_.isValid());
        TPrinter::ResetForTests();
        app::SetErrorHandler([this](const QString&, const QString& text) { errors_ << text; });
    }

    void TearDown() override
    {
        app::SetErrorHandler(nullptr);
        TPrinter::ResetForTests();
    }

    static QString reason_;
    static QString startError_;
    static PrivateCups* cups_;
    QTemporaryDir dir_;
    QStringList errors_;
    ScopedFormatSettings formats_ { QLatin1Char('.'), QLatin1Char(',') };
};

QString CupsSpoolerTest::reason_;
QString CupsSpoolerTest::startError_;
PrivateCups* CupsSpoolerTest::cups_ = nullptr;

TEST_F(CupsSpoolerTest, ToolbarPrintGoesThroughTheDefaultQueue)
{
    const QString settings = dir_.filePath(QStringLiteral("Tallyforge.ini"));
    TfrmTallyforge window(nullptr, settings);
    // The scheduler's default queue is the program's default printer.
    ASSERT_EQ(Printer().PrinterName(), cups_->QueueName());
    EXPECT_TRUE(Printer().Printers().contains(QStringLiteral("PDF")));

    window.txtStartingSN->SetText(QStringLiteral("7"));
    window.txtPageCount->SetText(QStringLiteral("3"));
    window.txtPrefix->SetText(QStringLiteral("Q-"));
    window.txtSuffix->SetText(QStringLiteral("-Z"));
    window.txtHorizontalIndent->SetText(QStringLiteral("1.00"));
    window.txtVerticalIndent->SetText(QStringLiteral("1.00"));
    window.txtHorizontalIndent2->SetText(QStringLiteral("3.00"));
    window.txtVerticalIndent2->SetText(QStringLiteral("6.00"));
    window.ToolButton1->trigger();
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(window.txtStartingSN->Text(), QStringLiteral("10"));
    EXPECT_EQ(apptest::IniValue(settings, QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("9"));
    // The status bar names the queue and the job it accepted.
    EXPECT_TRUE(window.PreviewStatusBar1->UserText().startsWith(QStringLiteral("Sent to tfq as job ")))
        << window.PreviewStatusBar1->UserText().toStdString();

    ASSERT_TRUE(cups_->WaitForJobs()) << "the queue did not finish the job";
    const QString output = cups_->OutputFile();
    ASSERT_EQ(apptest::PdfPageCount(output), 3);
    // The job is laid out on the queue's own default paper (Letter), so nothing is scaled
    // on the way and the serials stand at the typed inches from the printable corner.
    EXPECT_EQ(apptest::PdfPageSizePoints(output), QSizeF(612, 792));
    const QPointF origin = apptest::PrintableOriginPoints();
    const double offsetX = origin.x();
    const double offsetY = origin.y();
    const QList<apptest::PdfWord> words = apptest::PdfWords(output);
    for (int page = 1; page <= 3; ++page) {
        const QList<apptest::PdfWord> found = apptest::PdfWordsOnPage(words, page, QStringLiteral("Q-%1-Z").arg(6 + page));
        ASSERT_EQ(found.size(), 2) << "page " << page;
        // The upper copy is the one further left, as typed.
        EXPECT_NEAR(found[0].xMin, offsetX + 72, 2) << "page " << page;
        EXPECT_NEAR(found[1].xMin, offsetX + 3 * 72, 2) << "page " << page;
        EXPECT_NEAR(found[0].yMin, offsetY + 72, 6) << "page " << page;
        EXPECT_NEAR(found[1].yMin, offsetY + 6 * 72, 6) << "page " << page;
    }
}

// A reprint into the PDF printer from a window that prints to a queue says where it went,
// not what the queue the window goes back to did last.
TEST_F(CupsSpoolerTest, ReprintOnAnotherPrinterReportsWhereItWent)
{
    const QString settings = dir_.filePath(QStringLiteral("Tallyforge.ini"));
    TfrmTallyforge window(nullptr, settings);
    ASSERT_EQ(Printer().PrinterName(), cups_->QueueName());
    window.txtStartingSN->SetText(QStringLiteral("7"));
    window.txtPageCount->SetText(QStringLiteral("2"));
    window.txtVerticalIndent2->SetText(QStringLiteral("6.00"));
    window.ToolButton1->trigger();
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(cups_->WaitForJobs()) << "the queue did not finish the job";

    Printer().SetOutputFolder(dir_.path());
    // The PDF printer's printable area is not the queue's: the reprint asks first.
    QStringList questions;
    app::SetQuestionHandler([&questions](const QString&, const QString& text) {
        questions << text;
        return true;
    });
    window.Reprint(QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("REPRINT"), int(Printer().Printers().indexOf(QStringLiteral("PDF"))));
    app::SetQuestionHandler(nullptr);
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].contains(QStringLiteral("printed on another printable area"))) << questions[0].toStdString();
    EXPECT_EQ(Printer().PrinterName(), cups_->QueueName());
    const QString file = dir_.filePath(QStringLiteral("Tallyforge 7-8.pdf"));
    ASSERT_EQ(apptest::PdfPageCount(file), 2);
    EXPECT_EQ(window.PreviewStatusBar1->UserText(), QStringLiteral("Printed to %1").arg(file));
}

// Whatever a print dialog leaves on the device (a page range, copies) never reaches the
// queue: a toolbar print of N pages is N sheets, and the counter moves by N.
TEST_F(CupsSpoolerTest, LeftoverRangeAndCopiesNeverReachTheQueue)
{
    const QString settings = dir_.filePath(QStringLiteral("Tallyforge.ini"));
    TfrmTallyforge window(nullptr, settings);
    // A print dialog's OK with a range, copies and the order changed.
    std::unique_ptr<QPrinter> device = dialogs::DialogPrinter();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->printerName(), cups_->QueueName());
    device->setPageRanges(QPageRanges::fromString(QStringLiteral("2-3")));
    device->setCopyCount(2);
    device->setPageOrder(QPrinter::LastPageFirst);
    dialogs::TakeDialogChoices(*device);
    ASSERT_EQ(Printer().PrinterName(), cups_->QueueName());
    window.txtStartingSN->SetText(QStringLiteral("1"));
    window.txtPageCount->SetText(QStringLiteral("10"));
    window.txtPrefix->SetText(QStringLiteral("N"));
    QFile::remove(cups_->OutputFile());
    // 1 to 10 changes width: asked, and printed anyway.
    app::SetQuestionHandler([](const QString&, const QString&) { return true; });
    window.ToolButton1->trigger();
    app::SetQuestionHandler(nullptr);
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(cups_->WaitForJobs());
    ASSERT_EQ(apptest::PdfPageCount(cups_->OutputFile()), 10);
    EXPECT_TRUE(apptest::PdfText(cups_->OutputFile(), 1).contains(QStringLiteral("N1")));
    EXPECT_TRUE(apptest::PdfText(cups_->OutputFile(), 10).contains(QStringLiteral("N10")));
    EXPECT_EQ(apptest::IniValue(settings, QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("10"));

    // The print dialog's range is drawn by the job, once: pages 2 and 3 of 5.
    window.txtPageCount->SetText(QStringLiteral("5"));
    device = dialogs::DialogPrinter();
    device->setPageRanges(QPageRanges::fromString(QStringLiteral("2-3")));
    dialogs::TakeDialogChoices(*device);
    TCustomPrintJob::SetPrintDialogHandler([](int& from, int& to, int, int) {
        from = 2;
        to = 3;
        return true;
    });
    QFile::remove(cups_->OutputFile());
    window.pjSN->PrintWithDialog();
    TCustomPrintJob::SetPrintDialogHandler(nullptr);
    ASSERT_TRUE(cups_->WaitForJobs());
    ASSERT_EQ(apptest::PdfPageCount(cups_->OutputFile()), 2);
    EXPECT_TRUE(apptest::PdfText(cups_->OutputFile(), 1).contains(QStringLiteral("N12")));
    EXPECT_TRUE(apptest::PdfText(cups_->OutputFile(), 2).contains(QStringLiteral("N13")));
}

// A queue that refuses the job, and a scheduler that is gone: an error, and the settings
// file (with its counter) exactly as it was. Runs last: it stops the scheduler.
TEST_F(CupsSpoolerTest, RefusedJobLeavesTheSettingsFileAlone)
{
    const QString settings = dir_.filePath(QStringLiteral("Tallyforge.ini"));
    const QByteArray before = "[SN]\r\nLastNumber=41\r\nPageCount=3\r\n\r\n";
    const auto bytes = [&] {
        QFile file(settings);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    {
        QFile file(settings);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    TfrmTallyforge window(nullptr, settings);
    int code = -1;
    cups_->RunTool(QStringLiteral("cupsreject"), { cups_->QueueName() }, &code);
    ASSERT_EQ(code, 0);
    window.ToolButton1->trigger();
    cups_->RunTool(QStringLiteral("cupsaccept"), { cups_->QueueName() }, &code);
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].startsWith(QStringLiteral("The print queue tfq refused the job: "))) << errors_[0].toStdString();
    EXPECT_EQ(window.txtStartingSN->Text(), QStringLiteral("42"));
    EXPECT_EQ(bytes(), before);

    cups_->Stop();
    window.ToolButton1->trigger();
    ASSERT_EQ(errors_.size(), 2);
    EXPECT_TRUE(errors_[1].startsWith(QStringLiteral("The print queue tfq refused the job: "))) << errors_[1].toStdString();
    EXPECT_EQ(bytes(), before);
}

} // namespace
