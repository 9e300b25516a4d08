// The print room: the log of runs, reprints, the number width and the check before a run.
#include "support_app.h"
#include "support_window.h"

#include "app/NumberFormatDialog.h"
#include "app/PrintLog.h"
#include "app/ReprintDialog.h"
#include "app/VoidDialog.h"
#include "platform/Application.h"
#include "run/Journal.h"
#include "run/PrintRoom.h"
#include "printjob/PrintJob.h"
#include "preview/Preview.h"
#include "preview/PreviewStatusBar.h"
#include "widgets/HistoryEdit.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

class PrintRoomTest : public WindowTest {
protected:
    // A toolbar print of count pages from start, answered Yes if it asks.
    void Print(TfrmTallyforge& window, int start, int count)
    {
        window.txtStartingSN->SetText(QString::number(start));
        window.txtPageCount->SetText(QString::number(count));
        answer_ = true;
        window.ToolButton1->trigger();
        answer_ = false;
        questions_.clear();
        ASSERT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
    }
    QList<TJournalRecord> Runs() const { return TJournal(TJournal::PathBeside(settingsPath_)).Runs(); }
};


QStringList Column(QTableView* table, int column)
{
    QStringList texts;
    for (int row = 0; row < table->model()->rowCount(); ++row)
        texts << table->model()->index(row, column).data().toString();
    return texts;
}

TEST_F(PrintRoomTest, LogListsRunsNewestFirstSortsNumbersAndFindsTheRunOfASerial)
{
    auto window = MakeWindow();
    Print(*window, 8, 2);
    Print(*window, 10, 3);
    Print(*window, 100, 2);
    ChooseFromMenu(window->mnuFile, { Qt::Key_L });
    TPrintLog* log = window->PrintLog();
    ASSERT_NE(log, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(log));
    QTableView* table = log->Table();
    EXPECT_EQ(Column(table, TPrintLog::colFirst), QStringList({ "100", "10", "8" }));

    // By First, ascending: as numbers, not as text ("10" < "100" < "8").
    QHeaderView* header = table->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(TPrintLog::colFirst) + 5, header->height() / 2));
    EXPECT_EQ(Column(table, TPrintLog::colFirst), QStringList({ "8", "10", "100" }));

    QTest::keyClicks(log->SerialFilter(), QStringLiteral("11"));
    EXPECT_EQ(Column(table, TPrintLog::colFirst), QStringList({ "10" }));
    EXPECT_EQ(Column(table, TPrintLog::colLast), QStringList({ "12" }));
    Retype(log->SerialFilter(), QStringLiteral("101"));
    EXPECT_EQ(Column(table, TPrintLog::colFirst), QStringList({ "100" }));
    Retype(log->SerialFilter(), QStringLiteral("13"));
    EXPECT_EQ(Column(table, TPrintLog::colFirst), QStringList());
}

// From the log: the selected run's range, narrowed in the dialog, comes out with the mark,
// is journaled as a reprint and moves neither the counter nor the starting number.
TEST_F(PrintRoomTest, ReprintFromTheLogPrintsExactlyTheAskedSerialsWithTheMark)
{
    auto window = MakeWindow();
    Print(*window, 8, 2);
    Print(*window, 10, 3);
    Print(*window, 100, 2);
    ChooseFromMenu(window->mnuFile, { Qt::Key_L });
    TPrintLog* log = window->PrintLog();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(log));
    QTest::keyClicks(log->SerialFilter(), QStringLiteral("11"));
    QTableView* table = log->Table();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(0, 1)).center());
    ASSERT_TRUE(log->ReprintButton()->isEnabled());

    QFile::remove(OutputPdf());
    QString presetFirst;
    QString presetLast;
    WhenModal<TReprintDialog>([&](TReprintDialog* dialog) {
        presetFirst = dialog->First();
        presetLast = dialog->Last();
        Retype(dialog->FirstEdit(), QStringLiteral("11"));
        QTest::keyClick(dialog->FirstEdit(), Qt::Key_Return);
    });
    QTest::mouseClick(log->ReprintButton(), Qt::LeftButton);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(presetFirst, QStringLiteral("10"));
    EXPECT_EQ(presetLast, QStringLiteral("12"));
    EXPECT_TRUE(questions_.isEmpty()) << questions_.join(QLatin1Char('\n')).toStdString();

    ASSERT_EQ(apptest::PdfPageCount(OutputPdf()), 2);
    const QString page1 = apptest::PdfText(OutputPdf(), 1);
    const QString page2 = apptest::PdfText(OutputPdf(), 2);
    EXPECT_TRUE(page1.contains(QStringLiteral("11")) && !page1.contains(QStringLiteral("10"))) << page1.toStdString();
    EXPECT_TRUE(page2.contains(QStringLiteral("12"))) << page2.toStdString();
    EXPECT_TRUE(page1.contains(QStringLiteral("11 REPRINT"))) << page1.toStdString();

    const QList<TJournalRecord> runs = Runs();
    ASSERT_EQ(runs.size(), 4);
    EXPECT_EQ(runs[0].kind, TRunKind::Reprint);
    EXPECT_EQ(runs[0].status, TRunStatus::Completed);
    EXPECT_EQ(runs[0].first, 11);
    EXPECT_EQ(runs[0].last, 12);
    EXPECT_EQ(Setting("SN", "LastNumber"), QStringLiteral("101"));
    EXPECT_EQ(window->txtStartingSN->Text(), QStringLiteral("102"));
    // The log follows the run: serial 11 is in the reprint and in the run it repeats.
    EXPECT_EQ(Column(table, TPrintLog::colKind), QStringList({ "Reprint", "Print" }));
    // The preview shows the inputs' run again.
    EXPECT_EQ(window->pjSN->PageCount(), 2);
}

// Print Log > Void: the selected run's serials in the dialog, narrowed, with a reason, go
// on record as void; the line under the table follows.
TEST_F(PrintRoomTest, VoidFromTheLogRecordsTheSerialsAndTheSummaryFollows)
{
    auto window = MakeWindow();
    Print(*window, 8, 2);
    Print(*window, 10, 3);
    ChooseFromMenu(window->mnuFile, { Qt::Key_L });
    TPrintLog* log = window->PrintLog();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(log));
    EXPECT_EQ(log->SummaryLabel()->text(),
              QStringLiteral("Numbers 8-12: printed 5, reprinted 0 tickets, void 0, given back 0, held by stopped runs 0, sent 0, skipped 0, unaccounted 0"));
    QString presetFirst;
    QString presetLast;
    WhenModal<TVoidDialog>([&](TVoidDialog* dialog) {
        presetFirst = dialog->First();
        presetLast = dialog->Last();
        Retype(dialog->LastEdit(), QStringLiteral("11"));
        QTest::keyClicks(dialog->ReasonEdit(), QStringLiteral("smudged"));
        QTest::keyClick(dialog->ReasonEdit(), Qt::Key_Return);
    });
    QTest::mouseClick(log->VoidButton(), Qt::LeftButton);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(questions_.isEmpty()) << questions_.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(presetFirst, QStringLiteral("10")); // the newest run, selected
    EXPECT_EQ(presetLast, QStringLiteral("12"));
    const QList<TJournalRecord> runs = Runs();
    ASSERT_EQ(runs.size(), 3);
    EXPECT_EQ(runs[0].kind, TRunKind::Void);
    EXPECT_EQ(runs[0].first, 10);
    EXPECT_EQ(runs[0].last, 11);
    EXPECT_EQ(runs[0].reason, QStringLiteral("smudged"));
    EXPECT_EQ(Setting("SN", "LastNumber"), QStringLiteral("12"));
    EXPECT_EQ(Column(log->Table(), TPrintLog::colKind), QStringList({ "Void", "Print", "Print" }));
    EXPECT_EQ(log->SummaryLabel()->text(),
              QStringLiteral("Numbers 8-12: printed 3, reprinted 0 tickets, void 2, given back 0, held by stopped runs 0, sent 0, skipped 0, unaccounted 0"));
}

TEST_F(PrintRoomTest, ReprintOfNeverPrintedSerialsAsksFirstAndNoPrintsNothing)
{
    auto window = MakeWindow();
    Print(*window, 100, 3);
    QFile::remove(OutputPdf());
    QString presetFirst;
    QString presetLast;
    const auto askFor = [&](const QString& last) {
        WhenModal<TReprintDialog>([&, last](TReprintDialog* dialog) {
            presetFirst = dialog->First();
            presetLast = dialog->Last();
            Retype(dialog->LastEdit(), last);
            QTest::keyClick(dialog->LastEdit(), Qt::Key_Return);
        });
        ChooseFromMenu(window->mnuFile, { Qt::Key_R });
    };
    askFor(QStringLiteral("105"));
    EXPECT_EQ(presetFirst, QStringLiteral("100")); // the journal's last run
    EXPECT_EQ(presetLast, QStringLiteral("102"));
    ASSERT_EQ(questions_, QStringList({ "Serials 103 to 105 were never printed\n\nReprint them anyway?" }));
    EXPECT_FALSE(QFileInfo::exists(OutputPdf()));
    EXPECT_EQ(Runs().size(), 1);

    // Yes prints them, with the mark.
    answer_ = true;
    askFor(QStringLiteral("104"));
    EXPECT_EQ(questions_.size(), 2);
    EXPECT_EQ(apptest::PdfPageCount(OutputPdf()), 5);
    EXPECT_TRUE(apptest::PdfText(OutputPdf(), 5).contains(QStringLiteral("104 REPRINT")));
    EXPECT_EQ(Setting("SN", "LastNumber"), QStringLiteral("102"));
}

struct PreflightRow {
    const char* name;
    const char* start;
    const char* count;
    const char* horizontalIndent;
    const char* warning;
};

class PreflightTest : public PrintRoomTest, public testing::WithParamInterface<PreflightRow> { };

// A toolbar print with a warning asks once; No prints nothing and moves nothing, Yes prints.
TEST_P(PreflightTest, ToolbarPrintWithAWarningAsksOnce)
{
    const PreflightRow& row = GetParam();
    auto window = MakeWindow();
    window->txtStartingSN->SetText(QLatin1String(row.start));
    window->txtPageCount->SetText(QLatin1String(row.count));
    window->txtHorizontalIndent->SetText(QLatin1String(row.horizontalIndent));
    EXPECT_TRUE(window->PreviewStatusBar1->UserText().contains(QLatin1String(row.warning)))
        << window->PreviewStatusBar1->UserText().toStdString();
    window->ToolButton1->trigger();
    ASSERT_EQ(questions_.size(), 1);
    EXPECT_TRUE(questions_[0].contains(QLatin1String(row.warning))) << questions_[0].toStdString();
    EXPECT_TRUE(questions_[0].endsWith(QStringLiteral("Print anyway?"))) << questions_[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(OutputPdf()));
    EXPECT_FALSE(QFileInfo::exists(settingsPath_));
    EXPECT_TRUE(Runs().isEmpty());
    EXPECT_EQ(window->txtStartingSN->Text(), QLatin1String(row.start));

    answer_ = true;
    window->ToolButton1->trigger();
    EXPECT_EQ(questions_.size(), 2);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(apptest::PdfPageCount(OutputPdf()), QByteArray(row.count).toInt());
    EXPECT_EQ(Runs().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, PreflightTest,
                         testing::Values(PreflightRow { "SerialOffThePage", "5", "2", "8.20", "5 does not fit on the printable area" }),
                         [](const testing::TestParamInfo<PreflightRow>& info) { return std::string(info.param.name); });

// Numbers that change width are a note where nothing fixes their place, and a warning
// asked about once a ticket item is laid out for one width.
TEST_F(PrintRoomTest, AChangeOfWidthIsANoteUnlessItemsFixThePlace)
{
    WriteSettings("[SN]\r\nLastNumber=998\r\nPageCount=2\r\n\r\n[Paper]\r\nVerticalIndent2=3\r\n\r\n");
    auto window = MakeWindow();
    EXPECT_EQ(window->PreviewStatusBar1->UserText(), QStringLiteral("Note: The numbers change width within the run (999 to 1000)"));
    window->ToolButton1->trigger(); // nothing to ask: it prints
    EXPECT_TRUE(questions_.isEmpty()) << questions_.join(u'\n').toStdString();
    EXPECT_EQ(Runs().size(), 1);
    window.reset();
    ASSERT_TRUE(QFile::remove(OutputPdf())); // nothing to replace

    WriteSettings("[SN]\r\nLastNumber=9998\r\nPageCount=2\r\n\r\n[Paper]\r\nVerticalIndent2=3\r\n\r\n"
                  "[Item3]\r\nKind=text\r\nLeft=3\r\nText=No. {number}\r\n");
    window = MakeWindow();
    EXPECT_EQ(window->PreviewStatusBar1->UserText().toStdString(), "Warning: The numbers change width within the run (9999 to 10000)");
    window->txtStartingSN->SetText(QStringLiteral("9999"));
    window->ToolButton1->trigger();
    ASSERT_EQ(questions_.size(), 1) << questions_.join(u'\n').toStdString();
    EXPECT_TRUE(questions_[0].contains(QStringLiteral("change width within the run (9999 to 10000)"))) << questions_[0].toStdString();
}

// Texts off the printable area are outlined in red in the preview; without them the
// status bar says what the run prints.
TEST_F(PrintRoomTest, PreviewOutlinesTextsOffThePrintableArea)
{
    WriteSettings("[SN]\r\nLastNumber=99\r\nPageCount=10\r\n\r\n");
    auto window = MakeWindow();
    ASSERT_TRUE(ShowLarge(*window));
    const auto preview = [&] { return PreviewImage(*window); };
    EXPECT_EQ(apptest::RedPixels(preview()), 0);
    // Both numbers at the file's default place: the status bar says so too.
    EXPECT_EQ(window->PreviewStatusBar1->UserText(), QStringLiteral("Two numbers on top of each other"));

    // 8.2 in from the printable corner: past its 4900 pixels at 600 dpi, still on the paper.
    window->txtHorizontalIndent->SetText(QStringLiteral("8.20"));
    const QImage outlined = preview();
    EXPECT_GT(apptest::RedPixels(outlined), 20);
    EXPECT_EQ(apptest::RedPixels(outlined.copy(0, 0, outlined.width() / 2, outlined.height())), 0)
        << "the outline stands where the first text is, at the page's right edge";
    ASSERT_EQ(window->Preflight().outside.size(), 1);
}

// The width reaches the preview's status, the printed page and the settings file.
TEST_F(PrintRoomTest, NumberFormatWidthReachesThePageAndTheSettingsFile)
{
    auto window = MakeWindow();
    window->txtVerticalIndent2->SetText(QStringLiteral("3")); // two numbers apart
    window->txtStartingSN->SetText(QStringLiteral("7"));
    window->txtPageCount->SetText(QStringLiteral("1"));
    WhenModal<TNumberFormatDialog>([](TNumberFormatDialog* dialog) {
        Retype(dialog->DigitsEdit(), QStringLiteral("5"));
        QTest::keyClick(dialog->DigitsEdit(), Qt::Key_Return);
    });
    ChooseFromMenu(window->mnuOptions, { Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return });
    EXPECT_EQ(window->Digits(), 5);
    EXPECT_TRUE(window->PreviewStatusBar1->UserText().startsWith(QStringLiteral("Prints 00007-00007; next run starts at 00008")))
        << window->PreviewStatusBar1->UserText().toStdString();
    window->ToolButton1->trigger();
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(apptest::PdfText(OutputPdf(), 1).contains(QStringLiteral("00007"))) << apptest::PdfText(OutputPdf(), 1).toStdString();
    EXPECT_EQ(Setting("SN", "Digits"), QStringLiteral("5"));
    // The print's report stays until the next edit.
    EXPECT_TRUE(window->PreviewStatusBar1->UserText().startsWith(QStringLiteral("Printed to "))) << window->PreviewStatusBar1->UserText().toStdString();

    auto again = MakeWindow();
    EXPECT_EQ(again->Digits(), 5);
    EXPECT_EQ(again->CurrentPage().Digits, 5);
}

// A check scheme the program does not know is named in the status bar and refuses a
// print; chosen again in Options > Number Format, it prints and the file gets the choice.
TEST_F(PrintRoomTest, AValueTheProgramDoesNotKnowRefusesUntilItIsSet)
{
    WriteSettings("[SN]\r\nLastNumber=99\r\nPageCount=1\r\nCheck=luhnx\r\n\r\n[Paper]\r\nVerticalIndent2=3\r\n\r\n");
    auto window = MakeWindow();
    EXPECT_TRUE(window->PreviewStatusBar1->UserText().contains(QStringLiteral("[SN] Check=luhnx")))
        << window->PreviewStatusBar1->UserText().toStdString();
    window->ToolButton1->trigger();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].contains(QStringLiteral("[SN] Check=luhnx"))) << errors_[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(OutputPdf()));
    EXPECT_EQ(Setting("SN", "LastNumber"), QStringLiteral("99"));
    errors_.clear();

    WhenModal<TNumberFormatDialog>([](TNumberFormatDialog* dialog) { QTest::keyClick(dialog->DigitsEdit(), Qt::Key_Return); });
    ChooseFromMenu(window->mnuOptions, { Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return });
    EXPECT_FALSE(window->PreviewStatusBar1->UserText().contains(QStringLiteral("luhnx")));
    window->ToolButton1->trigger();
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(Setting("SN", "LastNumber"), QStringLiteral("100"));
    EXPECT_TRUE(Setting("SN", "Check").isNull());
}

// A journal this program does not write: the log says why instead of rows, a run asks
// before it takes a number (No by default), and one printed all the same says it was not
// journaled.
TEST_F(PrintRoomTest, ForeignJournalIsShownAndARunAsksBeforeItTakesANumber)
{
    QFile journal(TJournal::PathBeside(settingsPath_));
    ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
    journal.write("name,amount\nsoap,3\n");
    journal.close();
    auto window = MakeWindow();
    ChooseFromMenu(window->mnuFile, { Qt::Key_L });
    TPrintLog* log = window->PrintLog();
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->ErrorLabel()->isVisible());
    EXPECT_FALSE(log->Table()->isVisible());
    EXPECT_TRUE(log->ErrorLabel()->text().contains(QStringLiteral("is not one this program writes")))
        << log->ErrorLabel()->text().toStdString();

    window->txtStartingSN->SetText(QStringLiteral("100"));
    window->txtPageCount->SetText(QStringLiteral("1"));
    window->ToolButton1->trigger();
    ASSERT_EQ(questions_.size(), 1);
    EXPECT_TRUE(questions_[0].contains(QStringLiteral("recorded nowhere"))) << questions_[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(OutputPdf()));
    EXPECT_NE(Setting("SN", "LastNumber"), QStringLiteral("100"));
    // Yes prints, unrecorded, and says so; the foreign file is left as it was.
    answer_ = true;
    window->ToolButton1->trigger();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].startsWith(QStringLiteral("This run was not recorded in the journal: The journal ")))
        << errors_[0].toStdString();
    EXPECT_EQ(apptest::PdfPageCount(OutputPdf()), 1);
    EXPECT_EQ(Setting("SN", "LastNumber"), QStringLiteral("100"));
}

} // namespace

namespace {

// File > Print of serials the toolbar printed asks in a real message box that names the
// run; Enter answers No, so one key press never prints a serial twice.
TEST_F(PrintRoomTest, PrintingSerialsAgainAsksAndEnterSaysNo)
{
    app::SetQuestionHandler(nullptr);
    auto window = MakeWindow();
    window->txtStartingSN->SetText(QStringLiteral("40"));
    window->txtPageCount->SetText(QStringLiteral("2"));
    window->ToolButton1->trigger();
    ASSERT_EQ(Runs().size(), 1);
    QFile::remove(OutputPdf());
    window->txtStartingSN->SetText(QStringLiteral("41"));
    QString asked;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        asked = box->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    window->mnuPrint->trigger();
    EXPECT_TRUE(asked.startsWith(QStringLiteral("Serials 41 to 41 were printed already by the run of "))) << asked.toStdString();
    EXPECT_TRUE(asked.endsWith(QStringLiteral("Print them again?"))) << asked.toStdString();
    EXPECT_FALSE(QFileInfo::exists(OutputPdf()));
    EXPECT_EQ(Runs().size(), 1);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
}

} // namespace

namespace {

// A position typed beyond what a page allows is refused before anything is reserved,
// with the reason, and the preview draws on without overflowing.
TEST_F(PrintRoomTest, PositionBeyondAPageIsRefusedBeforeTheRun)
{
    WriteSettings("[SN]\r\nLastNumber=10\r\nPageCount=1\r\n\r\n");
    auto window = MakeWindow();
    Retype(window->txtVerticalIndent2, QStringLiteral("30000000"));
    QTest::keyClick(window->txtVerticalIndent2, Qt::Key_Tab);
    window->ToolButton1->trigger();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].startsWith(QStringLiteral("A position of 30000000 in is more than a page allows"))) << errors_[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(OutputPdf()));
    EXPECT_EQ(Setting("SN", "LastNumber"), QStringLiteral("10"));
    EXPECT_TRUE(Runs().isEmpty());
}

} // namespace

namespace {

// The calibration sheet is a run of the print room's, with no window: the Print Setup
// file is asked about only while it holds printed serials; said yes, the sheet replaces
// it, is journaled as a calibration from its start and moves no counter; a journal the
// sheet could not be recorded in is asked about as for any run.
TEST_F(PrintRoomTest, CalibrationPlanAsksBeforeReplacingPrintedSerials)
{
    WriteSettings("[SN]\r\nLastNumber=100\r\n");
    TPrintJob job;
    TPrintRoom room(job, std::make_shared<TLocalSeries>(settingsPath_));
    serial::ConfigureJob(job, [&](TCustomPrintJob*, TCanvas* canvas, int pageIndex, TRect, TDrawArea area, TDrawTarget) {
        room.Run().DrawPage(*canvas, pageIndex, area, *room.Run().Page());
    });
    TPrintRequest sheet;
    sheet.kind = TRunKind::Calibration;
    sheet.page.HorizontalIndent = 1;
    sheet.page.VerticalIndent = 1;
    sheet.page.HorizontalIndent2 = 3;
    sheet.page.VerticalIndent2 = 5;
    using Kind = TPrintQuestion::Kind;
    const auto asked = [&] {
        QList<Kind> kinds;
        for (const TPrintQuestion& question : room.Prepare(sheet).questions)
            kinds << question.kind;
        return kinds;
    };
    EXPECT_EQ(asked(), QList<Kind>()) << "no file yet";

    TPrintRequest print;
    print.page = sheet.page;
    print.page.StartingNumber = 101;
    print.page.Font.Size = 10;
    print.count = 3;
    print.knownLastNumber = QStringLiteral("100");
    ASSERT_TRUE(room.Carry(room.Prepare(print)).has_value());
    const TPrintPlan plan = room.Prepare(sheet);
    ASSERT_EQ(plan.questions.size(), 1);
    EXPECT_EQ(plan.questions[0].kind, Kind::ReplacesOutput);
    EXPECT_TRUE(plan.questions[0].text.startsWith(OutputPdf() + QStringLiteral(" holds serials 101 to 103"))) << plan.questions[0].text.toStdString();

    const std::optional<TSerialRun::Outcome> outcome = room.Carry(plan);
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(outcome->sheetsDelivered, 1);
    EXPECT_EQ(room.JournalProblem(), QString());
    EXPECT_EQ(apptest::PdfPageCount(OutputPdf()), 1);
    EXPECT_TRUE(apptest::PdfText(OutputPdf()).contains(QStringLiteral("Calibration sheet for Test printer")));
    const QList<TJournalRecord> runs = Runs();
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs[0].kind, TRunKind::Calibration);
    EXPECT_EQ(runs[0].status, TRunStatus::Completed);
    EXPECT_EQ(runs[0].pages, 1);
    EXPECT_FALSE(runs[0].first.has_value());
    EXPECT_EQ(runs[0].output, OutputPdf());
    EXPECT_EQ(apptest::ReadText(TJournal::PathBeside(settingsPath_)).count(QStringLiteral(",calibration,interrupted,")), 1);
    EXPECT_EQ(Setting("SN", "LastNumber"), QStringLiteral("103"));
    EXPECT_EQ(asked(), QList<Kind>()) << "the file holds the sheet now, no serials";

    // A journal that is not this program's: the sheet would go unrecorded.
    QFile journal(TJournal::PathBeside(settingsPath_));
    ASSERT_TRUE(journal.open(QIODevice::WriteOnly | QIODevice::Truncate));
    journal.write("name,amount\n");
    journal.close();
    const TPrintPlan unrecorded = room.Prepare(sheet);
    ASSERT_EQ(unrecorded.questions.size(), 1);
    EXPECT_EQ(unrecorded.questions[0].kind, Kind::Unrecorded);
    EXPECT_TRUE(unrecorded.questions[0].text.endsWith(QStringLiteral("this calibration sheet would be recorded nowhere"))) << unrecorded.questions[0].text.toStdString();
}

// The window's File > Print Calibration Sheet asks the room's question (No keeps the
// printed serials' file as it was).
TEST_F(PrintRoomTest, CalibrationSheetFromTheMenuAsksBeforeReplacingTheFile)
{
    auto window = MakeWindow();
    Print(*window, 40, 2);
    const auto bytes = [this] {
        QFile file(OutputPdf());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray printed = bytes();
    ASSERT_FALSE(printed.isEmpty());
    window->mnuCalibrationSheet->trigger();
    ASSERT_EQ(questions_.size(), 1);
    EXPECT_TRUE(questions_[0].contains(QStringLiteral("holds serials 40 to 41"))) << questions_[0].toStdString();
    EXPECT_TRUE(questions_[0].endsWith(QStringLiteral("Replace it?"))) << questions_[0].toStdString();
    EXPECT_EQ(bytes(), printed);
    EXPECT_EQ(Runs().size(), 1);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
}

} // namespace
