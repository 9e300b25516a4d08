// A run is a record: the rest of a stopped run and a reprint print the design the run
// printed (positions, font, text, layout), not what the settings say since, and the
// rest of a reprint is a reprint. The print room as an object, into the PDF printer.
#include "support_app.h"

#include "FileBytes.h"

#include "platform/Printer.h"
#include "printjob/PrintJob.h"
#include "run/Journal.h"
#include "run/PrintRoom.h"
#include "run/SettingsFile.h"
#include "ticket/DataRows.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

namespace {

class ReplayTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        apptest::UsePdfPrinterOnly();
    }
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        TPrinter::ResetForTests();
        settings_ = dir_.filePath(QStringLiteral("Tallyforge.ini"));
        QFile file(settings_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[SN]\r\nLastNumber=100\r\n");
        file.close();
        room_ = std::make_unique<TPrintRoom>(job_, std::make_shared<TLocalSeries>(settings_));
        serial::ConfigureJob(job_, [this](TCustomPrintJob*, TCanvas* canvas, int pageIndex, TRect, TDrawArea area, TDrawTarget) {
            room_->Run().DrawPage(*canvas, pageIndex, area, *room_->Run().Page());
        });
    }
    void TearDown() override { TPrinter::ResetForTests(); }

    // The design of the run: 2 x 2 tickets cut and stacked, small serials.
    static TPrintRequest Designed(TRunKind kind, int first, int count)
    {
        TPrintRequest request;
        request.kind = kind;
        request.page.StartingNumber = first;
        request.page.Prefix = QStringLiteral("T");
        request.page.Font.Size = 8;
        request.page.HorizontalIndent = 0.1;
        request.page.VerticalIndent = 0.1;
        request.page.HorizontalIndent2 = 0.3;
        request.page.VerticalIndent2 = 0.5;
        request.count = count;
        request.knownLastNumber = QStringLiteral("100");
        request.layout.Columns = 2;
        request.layout.Rows = 2;
        request.layout.Order = ticket::TOrder::Stack;
        if (kind == TRunKind::Reprint)
            request.page.Mark = QStringLiteral("REPRINT");
        return request;
    }
    // A text item under the serials of each ticket.
    static ticket::TTicketItem TextItem(const QString& text)
    {
        ticket::TTicketItem item;
        item.Left = 0.1;
        item.Top = 0.8;
        item.Text = text;
        return item;
    }
    // Carries the request out into `name`, stopped after `sheets` sheets when given; the
    // plan asks nothing, or only the question `asked`, answered yes.
    std::optional<TSerialRun::Outcome> Carry(const TPrintRequest& request, const QString& name, int sheets = 0,
                                             std::optional<TPrintQuestion::Kind> asked = std::nullopt)
    {
        Printer().SetOutputFileName(dir_.filePath(name), TOutputFileMode::Exact);
        room_->Run().OnProgress = [this, sheets](int done, int) {
            if (done == sheets)
                room_->Run().Stop();
        };
        TPrintPlan plan = room_->Prepare(request);
        EXPECT_EQ(plan.questions.size(), asked ? 1 : 0) << plan.questions.value(0).text.toStdString();
        EXPECT_TRUE(!asked || plan.Asks(*asked));
        return room_->Carry(plan);
    }
    // The rest of the newest run into `name`, with today's settings quite unlike the run's.
    TPrintPlan PrepareRest(const QString& name = QStringLiteral("rest.pdf"))
    {
        Printer().SetOutputFileName(dir_.filePath(name), TOutputFileMode::Exact);
        room_->Run().OnProgress = nullptr;
        TPrintRequest rest;
        rest.kind = TRunKind::Resume;
        rest.page.Prefix = QStringLiteral("X");
        rest.page.Font.Size = 30;
        rest.page.HorizontalIndent = 2;
        rest.page.VerticalIndent = 3;
        rest.resumeOf = Runs().value(0);
        return room_->Prepare(rest);
    }
    // Today's request, made as the program makes it from the settings file after
    // `changes` were added to it: a reprint's serials from `first`, a rest of the newest
    // run. What a replay prints must be the run's, whatever these say.
    TPrintRequest Today(TRunKind kind, const QByteArray& changes, int first = 0, int count = 1)
    {
        QFile file(settings_);
        EXPECT_TRUE(file.open(QIODevice::Append));
        file.write(changes);
        file.close();
        const TallyforgeSettings today = LoadSettingsFile(settings_);
        TPrintRequest request;
        request.kind = kind;
        request.page.Prefix = today.Prefix;
        request.page.Font = today.Font;
        request.page.HorizontalIndent = today.HorizontalIndent;
        request.page.VerticalIndent = today.VerticalIndent;
        request.page.BookSize = today.BookSize;
        request.page.BookFirst = today.BookFirst;
        if (!today.PartNames.isEmpty())
            request.page.PartNames = today.PartNames.split(QLatin1Char('|'));
        request.page.Items = today.Items;
        request.layout = today.Sheet;
        request.knownLastNumber = today.LastNumberText;
        if (kind == TRunKind::Resume)
            request.resumeOf = Runs().value(0);
        request.page.StartingNumber = first;
        request.count = count;
        if (kind == TRunKind::Reprint)
            request.page.Mark = QStringLiteral("REPRINT");
        return request;
    }
    // Prepares and carries a replay into `name`; it asks nothing.
    void CarryReplay(const TPrintRequest& request, const QString& name)
    {
        Printer().SetOutputFileName(dir_.filePath(name), TOutputFileMode::Exact);
        room_->Run().OnProgress = nullptr;
        const TPrintPlan plan = room_->Prepare(request);
        EXPECT_TRUE(plan.questions.isEmpty()) << plan.questions.value(0).text.toStdString();
        ASSERT_TRUE(room_->Carry(plan));
    }
    // Every page's text of a PDF in the folder.
    QStringList PageTexts(const QString& name) const
    {
        const QString path = dir_.filePath(name);
        QStringList pages;
        for (int page = 1; page <= apptest::PdfPageCount(path); ++page)
            pages << apptest::PdfText(path, page);
        return pages;
    }
    QList<TJournalRecord> Runs() const { return TJournal(TJournal::PathBeside(settings_)).Runs(); }
    // The words on a page, in the order the text reads.
    QList<apptest::PdfWord> WordsOn(const QString& name, int page) const
    {
        QList<apptest::PdfWord> words;
        for (const apptest::PdfWord& word : apptest::PdfWords(dir_.filePath(name)))
            if (word.page == page)
                words << word;
        return words;
    }

    QTemporaryDir dir_;
    QString settings_;
    TPrintJob job_;
    std::unique_ptr<TPrintRoom> room_;
};

TEST_F(ReplayTest, TheRestOfAStoppedRunPrintsTheRunsDesign)
{
    ASSERT_TRUE(Carry(Designed(TRunKind::Print, 101, 40), QStringLiteral("run.pdf"), 3));
    ASSERT_EQ(Runs().value(0).status, TRunStatus::Cancelled);
    ASSERT_FALSE(Runs().value(0).design.isEmpty());

    const TPrintPlan plan = PrepareRest();
    EXPECT_TRUE(plan.questions.isEmpty()) << plan.questions.value(0).text.toStdString();
    EXPECT_EQ(plan.request.page.Prefix, QStringLiteral("T"));
    EXPECT_EQ(plan.request.page.Font.Size, 8);
    EXPECT_EQ(plan.request.layout.Columns, 2);
    EXPECT_EQ(plan.fromSheet, 3);
    ASSERT_TRUE(room_->Carry(plan));

    // The rest's sheets are the run's: the same words at the same places, sheet 4 on.
    const QList<apptest::PdfWord> stopped = WordsOn(QStringLiteral("run.pdf"), 3);
    const QList<apptest::PdfWord> rest = WordsOn(QStringLiteral("rest.pdf"), 1);
    ASSERT_EQ(stopped.size(), rest.size());
    for (int i = 0; i < stopped.size(); ++i) {
        EXPECT_NEAR(rest[i].xMin, stopped[i].xMin, 0.1);
        EXPECT_NEAR(rest[i].yMin, stopped[i].yMin, 0.1);
        EXPECT_EQ(rest[i].text.front(), QLatin1Char('T'));
    }
    const TJournalRecord resumed = Runs().value(0);
    EXPECT_EQ(resumed.kind, TRunKind::Resume);
    EXPECT_EQ(resumed.resumes, Runs().value(1).run);
    EXPECT_EQ(resumed.design, Runs().value(1).design);
}

// A letter series with books: the rest prints the run's letters and book places, though
// today's settings have neither.
TEST_F(ReplayTest, TheRestOfALetteredRunInBooksKeepsItsTexts)
{
    // Piles of ten sheets from a book's first number: each pile a book.
    TPrintRequest request = Designed(TRunKind::Print, 259991, 40);
    request.layout.StackDepth = 10;
    request.page.Letters = 2;
    request.page.LetterSeparator = QStringLiteral("-");
    request.page.Digits = 4;
    request.page.BookSize = 10;
    request.page.Items = { TextItem(QStringLiteral("book {book}.{inbook}")) };
    ASSERT_TRUE(Carry(request, QStringLiteral("run.pdf"), 3));
    ASSERT_EQ(Runs().value(0).letters, 2);

    const TPrintPlan plan = PrepareRest();
    ASSERT_TRUE(room_->Carry(plan));
    // Sheet 4 of the piles of ten: tickets 3, 13, 23 and 33 of the run.
    const QString text = apptest::PdfText(dir_.filePath(QStringLiteral("rest.pdf")), 1);
    for (const char* expected : { "TAZ-9994", "TBA-0004", "TBA-0024", "book 26000.4", "book 26001.4" })
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected << " in " << text.toStdString();
    EXPECT_EQ(Runs().value(0).letters, 2);
    EXPECT_EQ(Runs().value(0).letterSeparator, QStringLiteral("-"));
}

// What today's settings file says once the runs below printed: other names and copies,
// other books, another item.
const QByteArray kChangedSettings = "\r\n[Sheet]\r\nCopies=2\r\nPartNames=Red|Blue\r\n\r\n[Book]\r\nSize=4\r\nFirstNumber=1\r\n"
                                    "\r\n[Item3]\r\nKind=text\r\nLeft=0.1\r\nTop=0.8\r\nText=today {part} {book}/{inbook}\r\n";

// A set of three parts: each sheet printed three times in a row, the copies named. A
// reprint and the rest of a stopped run print each copy with the run's name for it,
// though today's file names two other parts.
TEST_F(ReplayTest, AReprintAndTheRestOfASetInThreePartsPrintTheRunsParts)
{
    TPrintRequest run = Designed(TRunKind::Print, 101, 8); // two sheets of four, three copies each
    run.layout.Copies = 3;
    run.page.PartNames = QStringList { QStringLiteral("Customer"), QStringLiteral("Office") };
    run.page.Items = { TextItem(QStringLiteral("{part} {copy}/3 {serial}")) };
    // Names that are not one a copy are asked about first.
    const TPrintPlan short_ = room_->Prepare(run);
    ASSERT_TRUE(short_.Asks(TPrintQuestion::Kind::Misprint));
    EXPECT_TRUE(short_.questions.front().text.contains(QStringLiteral("There are 2 part names for 3 copies of each sheet")))
        << short_.questions.front().text.toStdString();
    run.page.PartNames << QStringLiteral("File");
    // Stopped after the first sheet's three copies and the second sheet's first.
    ASSERT_TRUE(Carry(run, QStringLiteral("run.pdf"), 4));
    const QStringList printed = PageTexts(QStringLiteral("run.pdf"));
    ASSERT_EQ(printed.size(), 4);
    ASSERT_TRUE(printed[3].contains(QStringLiteral("Customer 1/3 T102"))) << printed[3].toStdString();

    {
        SCOPED_TRACE("the rest: the second sheet's copies 2 and 3");
        CarryReplay(Today(TRunKind::Resume, kChangedSettings), QStringLiteral("rest.pdf"));
        const QStringList rest = PageTexts(QStringLiteral("rest.pdf"));
        ASSERT_EQ(rest.size(), 2);
        for (const char* serial : { "T102", "T104", "T106", "T108" }) {
            EXPECT_TRUE(rest[0].contains(QStringLiteral("Office 2/3 ") + QLatin1String(serial))) << rest[0].toStdString();
            EXPECT_TRUE(rest[1].contains(QStringLiteral("File 3/3 ") + QLatin1String(serial))) << rest[1].toStdString();
        }
        for (const QString& page : rest)
            EXPECT_FALSE(page.contains(QStringLiteral("Customer")) || page.contains(QStringLiteral("today"))) << page.toStdString();
        EXPECT_FALSE(RestOf(Runs(), Runs().value(0)).has_value());
    }
    {
        SCOPED_TRACE("a reprint of 103 and 104: every part, each named as the run named it");
        CarryReplay(Today(TRunKind::Reprint, {}, 103, 2), QStringLiteral("again.pdf"));
        const QStringList again = PageTexts(QStringLiteral("again.pdf"));
        ASSERT_EQ(again.size(), 3);
        const char* const parts[] = { "Customer 1/3 ", "Office 2/3 ", "File 3/3 " };
        for (int copy = 0; copy < 3; ++copy) {
            for (const char* serial : { "T103", "T104" })
                EXPECT_TRUE(again[copy].contains(QLatin1String(parts[copy]) + QLatin1String(serial))) << again[copy].toStdString();
            EXPECT_TRUE(again[copy].contains(QStringLiteral("REPRINT")));
            EXPECT_FALSE(again[copy].contains(QStringLiteral("T101")) || again[copy].contains(QStringLiteral("Red"))
                         || again[copy].contains(QStringLiteral("today")))
                << again[copy].toStdString();
        }
    }
}

// A run in books of ten from 1001 that rolls from book 1 into book 2 inside a pile: the
// rest and a reprint across the roll print the run's books and places, though today's
// file has books of four from 1.
TEST_F(ReplayTest, AReprintAndTheRestOfARunInBooksKeepTheRunsBooksAcrossTheRoll)
{
    // Four piles of four, T1009 to T1012 the second: asked about, as the piles are not
    // whole books.
    TPrintRequest run = Designed(TRunKind::Print, 1005, 16);
    run.page.BookSize = 10;
    run.page.BookFirst = 1001;
    ticket::TTicketItem place;
    place.Left = 0.1;
    place.Top = 0.8;
    place.Text = QStringLiteral("book {book}.{inbook} {serial}");
    run.page.Items = { place };
    ASSERT_TRUE(Carry(run, QStringLiteral("run.pdf"), 1, TPrintQuestion::Kind::Misprint)); // T1005, T1009, T1013, T1017

    {
        SCOPED_TRACE("the rest: sheets 2 to 4");
        CarryReplay(Today(TRunKind::Resume, kChangedSettings), QStringLiteral("rest.pdf"));
        const QString rest = PageTexts(QStringLiteral("rest.pdf")).join(QLatin1Char('\n'));
        for (const char* expected : { "book 1.6 T1006", "book 1.10 T1010", "book 2.1 T1011", "book 2.2 T1012", "book 2.10 T1020" })
            EXPECT_TRUE(rest.contains(QLatin1String(expected))) << expected << " in " << rest.toStdString();
        EXPECT_FALSE(rest.contains(QStringLiteral("T1009")) || rest.contains(QStringLiteral("today"))) << rest.toStdString();
        EXPECT_FALSE(RestOf(Runs(), Runs().value(0)).has_value());
    }
    {
        SCOPED_TRACE("a reprint of T1008 to T1013");
        CarryReplay(Today(TRunKind::Reprint, {}, 1008, 6), QStringLiteral("again.pdf"));
        const QString again = PageTexts(QStringLiteral("again.pdf")).join(QLatin1Char('\n'));
        for (const char* expected : { "book 1.8 T1008", "book 1.10 T1010", "book 2.1 T1011", "book 2.3 T1013" })
            EXPECT_TRUE(again.contains(QLatin1String(expected))) << expected << " in " << again.toStdString();
        EXPECT_FALSE(again.contains(QStringLiteral("T1014")) || again.contains(QStringLiteral("today"))) << again.toStdString();
    }
}

// A run from a data file: its rest prints the rows of its own serials, from the file it
// was printed from whatever today's settings say; changed since, the rest asks first.
TEST_F(ReplayTest, TheRestOfADataRunPrintsItsRowsAndAsksWhenTheFileChanged)
{
    const QString csv = dir_.filePath(QStringLiteral("guests.csv"));
    QByteArray rows = "Guest\n";
    for (int n = 101; n <= 180; ++n)
        rows += "Guest-" + QByteArray::number(n * 7) + "\n";
    filebytes::WriteBytes(csv, rows);
    TPrintRequest request = Designed(TRunKind::Print, 101, 40);
    request.page.DataFile = csv;
    request.page.DataFirst = 101;
    request.page.Items = { TextItem(QStringLiteral("{data:Guest}")) };
    ASSERT_TRUE(Carry(request, QStringLiteral("run.pdf"), 3));
    ASSERT_EQ(Runs().value(0).dataFile, csv);
    ASSERT_EQ(Runs().value(0).dataSha256, ticket::TDataTable::FromBytes(rows, csv)->Sha256());

    TPrintPlan plan = PrepareRest();
    EXPECT_TRUE(plan.questions.isEmpty()) << plan.questions.value(0).text.toStdString();
    ASSERT_TRUE(room_->Carry(plan));
    // Sheet 4 of the stacked run: tickets 3, 13, 23 and 33, numbers 104, 114, 124 and 134.
    const QString text = apptest::PdfText(dir_.filePath(QStringLiteral("rest.pdf")), 1);
    for (const int n : { 104, 114, 124, 134 })
        EXPECT_TRUE(text.contains(QStringLiteral("Guest-%1").arg(n * 7))) << n << " in " << text.toStdString();
    EXPECT_EQ(Runs().value(0).kind, TRunKind::Resume);
    EXPECT_EQ(Runs().value(0).dataSha256, Runs().value(1).dataSha256);

    // Stopped again, the file changed under it: the rest asks before it prints.
    request.page.StartingNumber = 141;
    request.knownLastNumber = QStringLiteral("140");
    ASSERT_TRUE(Carry(request, QStringLiteral("again.pdf"), 2));
    filebytes::WriteBytes(csv, rows.replace("Guest-1050", "Guest-0"));
    plan = PrepareRest(QStringLiteral("changed.pdf"));
    ASSERT_EQ(plan.questions.size(), 1);
    EXPECT_EQ(plan.questions[0].kind, TPrintQuestion::Kind::DataChanged);
}

TEST_F(ReplayTest, TheRestOfAReprintIsAMarkedReprint)
{
    ASSERT_TRUE(Carry(Designed(TRunKind::Print, 101, 40), QStringLiteral("run.pdf")));
    ASSERT_TRUE(Carry(Designed(TRunKind::Reprint, 101, 40), QStringLiteral("again.pdf"), 2));
    const TJournalRecord reprint = Runs().value(0);
    ASSERT_EQ(reprint.kind, TRunKind::Reprint);
    ASSERT_FALSE(reprint.notPrinted.isEmpty());

    const TPrintPlan plan = PrepareRest();
    EXPECT_EQ(plan.request.page.Mark, QStringLiteral("REPRINT"));
    ASSERT_TRUE(room_->Carry(plan));
    const TJournalRecord rest = Runs().value(0);
    EXPECT_EQ(rest.kind, TRunKind::Reprint);
    EXPECT_EQ(rest.resumes, reprint.run);
    EXPECT_TRUE(apptest::PdfText(dir_.filePath(QStringLiteral("rest.pdf")), 1).contains(QStringLiteral("REPRINT")));
    // Nothing of it is left, and the counter never moved for either.
    EXPECT_FALSE(RestOf(Runs(), reprint).has_value());
    EXPECT_EQ(apptest::IniValue(settings_, QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("140"));
}

TEST_F(ReplayTest, AReplayAsksWhenTheDesignIsGoneOrThePrintableAreaDiffers)
{
    TDeviceCaps caps { 600, 600, 5100, 6600, 100, 150, 4900, 6300 };
    TPrinter::InstallTestDevice(caps);
    ASSERT_TRUE(Carry(Designed(TRunKind::Print, 101, 40), QStringLiteral("run.pdf"), 2));

    caps.PhysicalOffsetX = 300;
    caps.HorzRes = 4500;
    TPrinter::InstallTestDevice(caps);
    TPrintPlan plan = PrepareRest();
    ASSERT_EQ(plan.questions.size(), 1);
    EXPECT_EQ(plan.questions[0].kind, TPrintQuestion::Kind::PrintableChanged);
    EXPECT_TRUE(plan.questions[0].text.contains(QStringLiteral("7.50 x 10.50 in at 0.50, 0.25 in now, 8.17 x 10.50 in at 0.17, 0.25 in")))
        << plan.questions[0].text.toStdString();
    // The tickets keep the size they printed at, though the printable area shrank.
    EXPECT_NEAR(plan.request.layout.Width, 4900.0 / 600 / 2, 1e-9);

    ASSERT_TRUE(QDir(TDesignFolder::PathBeside(settings_)).removeRecursively());
    plan = PrepareRest();
    ASSERT_EQ(plan.questions.size(), 1);
    EXPECT_EQ(plan.questions[0].kind, TPrintQuestion::Kind::DesignMissing);
    EXPECT_EQ(plan.request.page.Prefix, QStringLiteral("T")); // what the record itself holds
}

// A grid measured from the paper: its rest on a printer with other margins is asked
// nothing about the printable area and prints at the places on the paper the run had.
TEST_F(ReplayTest, TheRestOfAPaperGridKeepsItsPlacesOnAnotherPrinter)
{
    TPrinter::InstallTestDevice({ 600, 600, 5100, 6600, 75, 100, 4950, 6400 }); // margins of whole points
    TPrintRequest run = Designed(TRunKind::Print, 101, 40);
    run.layout.Origin = ticket::TOrigin::Paper;
    run.layout.Left = run.layout.Top = 0.5;
    run.layout.Width = 3.5;
    run.layout.Height = 4.5;
    ASSERT_TRUE(Carry(run, QStringLiteral("run.pdf"), 3));
    TPrinter::InstallTestDevice({ 600, 600, 5100, 6600, 150, 175, 4800, 6250 });
    const TPrintPlan plan = PrepareRest();
    EXPECT_TRUE(plan.questions.isEmpty()) << plan.questions.value(0).text.toStdString();
    ASSERT_TRUE(room_->Carry(plan));
    const QList<apptest::PdfWord> stopped = WordsOn(QStringLiteral("run.pdf"), 3);
    const QList<apptest::PdfWord> rest = WordsOn(QStringLiteral("rest.pdf"), 1);
    ASSERT_EQ(stopped.size(), 8);
    ASSERT_EQ(rest.size(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(rest[i].xMin, stopped[i].xMin, 0.2) << rest[i].text.toStdString();
        EXPECT_NEAR(rest[i].yMin, stopped[i].yMin, 0.2) << rest[i].text.toStdString();
    }
}

// The rest prints on the artwork the run began on: its page and its scope, whatever
// the settings say since (a rest on page 1 at sheet scope was printed before).
TEST_F(ReplayTest, TheRestKeepsTheRunsArtworkPageAndScope)
{
    const QString artwork = dir_.filePath(QStringLiteral("art.pdf"));
    {
        QPdfWriter writer(artwork);
        writer.setPageSize(QPageSize(QSizeF(144, 144), QPageSize::Point, QString(), QPageSize::ExactMatch));
        QPainter painter(&writer);
        painter.drawText(QPointF(20, 20), QStringLiteral("ONE"));
        writer.newPage();
        painter.drawText(QPointF(20, 20), QStringLiteral("TWO"));
    }
    TPrintRequest run = Designed(TRunKind::Print, 101, 40);
    run.artwork.File = artwork;
    run.artwork.Page = 2;
    run.artwork.Scope = ticket::TTemplateScope::Ticket;
    ASSERT_TRUE(Carry(run, QStringLiteral("run.pdf"), 2));

    const TPrintPlan plan = PrepareRest();
    EXPECT_TRUE(plan.questions.isEmpty()) << plan.questions.value(0).text.toStdString();
    EXPECT_EQ(plan.request.artwork.Page, 2);
    EXPECT_EQ(plan.request.artwork.Scope, ticket::TTemplateScope::Ticket);
    ASSERT_TRUE(plan.artwork.has_value());
    ASSERT_TRUE(room_->Carry(plan));
    EXPECT_TRUE(apptest::PdfText(dir_.filePath(QStringLiteral("rest.pdf")), 1).contains(QStringLiteral("TWO")));
    EXPECT_FALSE(apptest::PdfText(dir_.filePath(QStringLiteral("rest.pdf")), 1).contains(QStringLiteral("ONE")));
}

// Artwork placed at each ticket and larger than the ticket is a warning, asked about
// before a print that moves the counter.
TEST_F(ReplayTest, ArtworkLargerThanItsTicketIsAWarning)
{
    const QString artwork = dir_.filePath(QStringLiteral("large.pdf"));
    {
        QPdfWriter writer(artwork);
        writer.setPageSize(QPageSize(QSizeF(270, 180), QPageSize::Point, QString(), QPageSize::ExactMatch));
        QPainter painter(&writer);
        painter.drawText(QPointF(20, 20), QStringLiteral("ART"));
    }
    TPrintRequest request = Designed(TRunKind::Print, 101, 4);
    request.layout.Width = 3;
    request.layout.Height = 2;
    request.artwork.File = artwork;
    request.artwork.Scope = ticket::TTemplateScope::Ticket;
    const TPrintPlan plan = room_->Prepare(request);
    ASSERT_TRUE(plan.Asks(TPrintQuestion::Kind::Misprint));
    EXPECT_TRUE(std::any_of(plan.warnings.begin(), plan.warnings.end(), [](const TPreflightWarning& w) {
        return w.kind == TPreflightWarning::Kind::ArtworkCut
            && w.text == QStringLiteral("The artwork (3.75 x 2.50 in) is larger than its ticket (3.00 x 2.00 in): it is cut at the ticket's edges");
    })) << plan.questions.value(0).text.toStdString();
    request.artwork.Scope = ticket::TTemplateScope::Sheet;
    EXPECT_FALSE(room_->Prepare(request).Asks(TPrintQuestion::Kind::Misprint));
}

} // namespace
