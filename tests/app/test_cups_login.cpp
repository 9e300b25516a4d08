// Queues as libcups describes them, against a private scheduler: the default queue's paper
// and margins; a queue that asks for a login, refused on the command line before any
// serial is taken and asked about in the window's own dialog; and a scheduler that cannot
// be reached when the window starts, which keeps the queue Print Setup chose.
#include "support_app.h"
#include "support_cups.h"
#include "support_program.h"
#include "support_window.h"

#include "app/LoginDialog.h"
#include "app/Tallyforge.h"
#include "dialogs/PrinterSetupDialog.h"
#include "platform/Application.h"
#include "platform/CupsDests.h"
#include "platform/FormatSettings.h"
#include "platform/Printer.h"
#include "preview/PreviewStatusBar.h"
#include "widgets/HistoryEdit.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class CupsLoginTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        reason_ = PrivateCups::UnavailableReason();
        if (!reason_.isEmpty())
            return;
        cups_ = new PrivateCups;
        if (!cups_->Start() || !cups_->AddLoginQueue(QStringLiteral("sec"))) {
            startError_ = cups_->Error();
            return;
        }
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
        cups::SetPasswordHook(nullptr);
        TPrinter::ResetForTests();
    }

    QString WriteSettings(const QByteArray& content)
    {
        const QString path = dir_.filePath(QStringLiteral("Tallyforge.ini"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }
    static QByteArray Bytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static int JobRequests(const QString& operation)
    {
        return int(apptest::ReadText(cups_->AccessLog()).count(operation));
    }

    static QString reason_;
    static QString startError_;
    static PrivateCups* cups_;
    QTemporaryDir dir_;
    QStringList errors_;
    ScopedFormatSettings formats_ { QLatin1Char('.'), QLatin1Char(',') };
};

QString CupsLoginTest::reason_;
QString CupsLoginTest::startError_;
PrivateCups* CupsLoginTest::cups_ = nullptr;

// The queue's default paper with the margins of its PPD (Letter, 18 pt at the sides and
// 36 pt at top and bottom), at 300 dpi since it names no resolution.
TEST_F(CupsLoginTest, QueuesPaperAndMarginsComeFromTheScheduler)
{
    TPrinter& printer = Printer();
    EXPECT_EQ(printer.Printers(), (QStringList { QStringLiteral("sec"), QStringLiteral("tfq"), QStringLiteral("PDF") }));
    EXPECT_TRUE(printer.ServerReached());
    EXPECT_EQ(printer.PrinterName(), QStringLiteral("tfq")) << "the scheduler's default queue";
    EXPECT_EQ(printer.PaperSize().id(), QPageSize::Letter);
    ASSERT_EQ(printer.PaperSizes().size(), 1);
    EXPECT_EQ(printer.PaperSizes()[0].id(), QPageSize::Letter);
    EXPECT_EQ(TPrinter::DefaultPaperOf(QStringLiteral("sec")).id(), QPageSize::Letter);
    const QMarginsF margins = printer.PageLayout().margins(QPageLayout::Point);
    EXPECT_NEAR(margins.left(), 18, 0.01);
    EXPECT_NEAR(margins.top(), 36, 0.01);
    EXPECT_NEAR(margins.right(), 18, 0.01);
    EXPECT_NEAR(margins.bottom(), 36, 0.01);
    EXPECT_EQ(printer.DeviceCaps(), (TDeviceCaps { 300, 300, 2550, 3300, 75, 150, 2400, 3000 }));
    printer.SetOrientation(poLandscape);
    EXPECT_EQ(printer.DeviceCaps(), (TDeviceCaps { 300, 300, 3300, 2550, 75, 150, 3150, 2250 }));
    // The PDF printer keeps the paper and has margins and a resolution of its own.
    printer.SetOrientation(poPortrait);
    printer.SetPrinterIndex(printer.PdfPrinterIndex());
    EXPECT_EQ(printer.DeviceCaps(), (TDeviceCaps { 600, 600, 5100, 6600, 83, 83, 4934, 6434 }));
}

// The real program on the command line: a login queue is an error before anything is
// taken, and no print of it loads Qt's print support.
TEST_F(CupsLoginTest, CommandLineRefusesALoginQueueAndLoadsNoPrintSupport)
{
    ProgramCopy copy;
    ASSERT_TRUE(copy.Error().isEmpty()) << copy.Error().toStdString();
    const QByteArray settings = "[SN]\r\nLastNumber=41\r\nPageCount=2\r\n\r\n";
    {
        QFile file(copy.SettingsFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(settings);
    }
    const QStringList filesBefore = QDir(copy.Dir()).entryList(QDir::Files);
    const auto run = [&](const QStringList& arguments, QString* errors) {
        QProcess process;
        QProcessEnvironment environment = copy.Environment();
        environment.insert(QStringLiteral("CUPS_SERVER"), cups_->Server());
        environment.insert(QStringLiteral("QT_DEBUG_PLUGINS"), QStringLiteral("1"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(copy.Home());
        apptest::EndWithTest(process);
        process.start(copy.Program(), arguments);
        const bool finished = process.waitForFinished(60000);
        *errors = QString::fromLocal8Bit(process.readAllStandardError());
        return finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    };

    const int jobsBefore = JobRequests(QStringLiteral("Create-Job"));
    QString errors;
    EXPECT_EQ(run({ QStringLiteral("print"), QStringLiteral("--printer"), QStringLiteral("sec") }, &errors), 1) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("tallyforge: queue sec asks for a login"))) << errors.toStdString();
    EXPECT_FALSE(errors.contains(QStringLiteral("QWidget"))) << errors.toStdString();
    EXPECT_EQ(Bytes(copy.SettingsFile()), settings) << "the counter is untouched";
    EXPECT_EQ(QDir(copy.Dir()).entryList(QDir::Files), filesBefore) << "no journal, no leftovers";
    EXPECT_EQ(JobRequests(QStringLiteral("Create-Job")), jobsBefore);
    EXPECT_GT(JobRequests(QStringLiteral("Validate-Job")), 0);

    // A queue without a login prints; the plugin loader's report names the platform
    // plugin it loaded, and no print-support one.
    QFile::remove(cups_->OutputFile());
    EXPECT_EQ(run({ QStringLiteral("print"), QStringLiteral("--printer"), QStringLiteral("tfq"), QStringLiteral("--quiet") }, &errors), 0)
        << errors.toStdString();
    ASSERT_TRUE(errors.contains(QStringLiteral("offscreen"))) << "the plugin loader reported nothing: " << errors.toStdString();
    EXPECT_FALSE(errors.contains(QStringLiteral("printsupport"), Qt::CaseInsensitive)) << errors.toStdString();
    EXPECT_FALSE(errors.contains(QStringLiteral("cupsprintersupport"), Qt::CaseInsensitive)) << errors.toStdString();
    ASSERT_TRUE(cups_->WaitForJobs());
    EXPECT_EQ(apptest::PdfPageCount(cups_->OutputFile()), 2);
    EXPECT_EQ(apptest::IniValue(copy.SettingsFile(), QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("43"));
}

// The window asks in its own dialog; a refused password is said and asked again, and
// giving up prints nothing.
TEST_F(CupsLoginTest, WindowAsksForThePasswordInADialogOfItsOwn)
{
    const QByteArray before = "[SN]\r\nLastNumber=41\r\nPageCount=1\r\n\r\n[Printer]\r\nName=sec\r\nPaper=Letter\r\nOrientation=portrait\r\n\r\n";
    const QString settings = WriteSettings(before);
    TfrmTallyforge window(nullptr, settings);
    ASSERT_EQ(Printer().PrinterName(), QStringLiteral("sec"));
    const int jobsBefore = JobRequests(QStringLiteral("Create-Job"));
    QStringList messages;
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [&, poll] {
        auto* dialog = qobject_cast<TLoginDialog*>(QApplication::activeModalWidget());
        if (dialog && !dialog->property("answered").toBool()) {
            dialog->setProperty("answered", true);
            messages << dialog->Message->text();
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            if (messages.size() == 1) {
                // Typed as a person would, and confirmed with Enter.
                EXPECT_EQ(dialog->focusWidget(), dialog->PasswordEdit);
                QTest::keyClicks(dialog->PasswordEdit, QStringLiteral("not-the-password"));
                QTest::keyClick(dialog->PasswordEdit, Qt::Key_Return);
            } else {
                QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
                return;
            }
        }
        if (messages.size() < 2)
            QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
    window.ToolButton1->trigger();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0], QStringLiteral("The queue sec asks for a login."));
    EXPECT_EQ(messages[1], QStringLiteral("The password was not accepted. The queue sec asks for a login."));
    EXPECT_EQ(errors_, QStringList { QStringLiteral("queue sec asks for a login.") });
    EXPECT_EQ(Bytes(settings), before);
    EXPECT_FALSE(QFile::exists(dir_.filePath(QStringLiteral("Tallyforge-journal.csv"))));
    EXPECT_EQ(JobRequests(QStringLiteral("Create-Job")), jobsBefore);
    EXPECT_EQ(window.txtStartingSN->Text(), QStringLiteral("42"));
}

// Runs last: it stops the scheduler. The window starts on the PDF printer, says why, and
// neither a save nor Print Setup's OK replaces the chosen queue.
TEST_F(CupsLoginTest, UnreachableSchedulerAtStartKeepsTheChosenQueue)
{
    cups_->Stop();
    TPrinter::ResetForTests();
    const QString settings
        = WriteSettings("[SN]\r\nLastNumber=41\r\nPageCount=1\r\n\r\n[Printer]\r\nName=tfq\r\nPaper=Letter\r\nOrientation=portrait\r\n\r\n");
    TfrmTallyforge window(nullptr, settings);
    EXPECT_FALSE(Printer().ServerReached());
    EXPECT_TRUE(Printer().IsPdfPrinter());
    EXPECT_EQ(window.PreviewStatusBar1->UserText(),
              QStringLiteral("Warning: the print server %1 cannot be reached: prints go to PDF, and tfq stays the chosen printer")
                  .arg(cups_->Server()));
    window.SaveSettings();
    EXPECT_EQ(apptest::IniValue(settings, QStringLiteral("Printer"), QStringLiteral("Name")), QStringLiteral("tfq"));

    // Print Setup, OK after turning the page: the orientation is taken, the queue kept.
    WhenModal<TPrinterSetupDialog>([](TPrinterSetupDialog* dialog) {
        EXPECT_EQ(dialog->PrinterBox->currentText(), QStringLiteral("PDF"));
        QTest::mouseClick(dialog->Landscape, Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    window.ToolButton2->trigger();
    window.SaveSettings();
    EXPECT_EQ(apptest::IniValue(settings, QStringLiteral("Printer"), QStringLiteral("Name")), QStringLiteral("tfq"));
    EXPECT_EQ(apptest::IniValue(settings, QStringLiteral("Printer"), QStringLiteral("Orientation")), QStringLiteral("landscape"));
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
}

} // namespace
