// A toolbar print through a real CUPS scheduler: a private cupsd with one queue that
// writes what it receives, after its filters, into a PDF file.
#include "support_app.h"
#include "support_cups.h"

#include "app/Tallyforge.h"
#include "platform/Application.h"
#include "platform/FormatSettings.h"
#include "platform/Printer.h"
#include "preview/PreviewStatusBar.h"
#include "widgets/HistoryEdit.h"

#include <QAction>
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
        qputenv("CUPS_SERVER", cups_->Server().toLocal8Bit());
        static QTemporaryDir home;
        apptest::UseHome(home.path());
        apptest::EnsureApplication();
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

} // namespace
