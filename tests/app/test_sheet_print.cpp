// Sheets of several tickets through the whole print path into the PDF printer, read back
// with poppler and put through a guillotine: every serial's place on every sheet, the
// sheets cut into one pile a slot, the piles stacked, and the stack must read the run's
// serials in order, exactly once each, in every copy set.
#include "support_app.h"

#include "platform/Printer.h"
#include "printjob/PrintJob.h"
#include "run/PrintRoom.h"
#include "run/Journal.h"
#include "run/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace {

using ticket::TOrder;
using ticket::TSheetLayout;

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

class SheetPrintTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        apptest::UsePdfPrinterOnly();
    }
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        TPrinter::ResetForTests();
    }
    void TearDown() override { TPrinter::ResetForTests(); }

    // Prints `count` tickets from `start` through the print room into a new PDF; returns
    // its path, or empty when the run did not complete.
    QString Print(const TSheetLayout& layout, int start, int count, const QString& name)
    {
        const QString settings = dir_.filePath(name + QStringLiteral(".ini"));
        WriteBytes(settings, QStringLiteral("[SN]\r\nLastNumber=%1\r\n").arg(start - 1).toUtf8());
        const QString pdf = dir_.filePath(name + QStringLiteral(".pdf"));
        Printer().SetOutputFileName(pdf, TOutputFileMode::Exact);
        TPrintJob job;
        TPrintRoom room(job, std::make_shared<TLocalSeries>(settings));
        serial::ConfigureJob(job, [&](TCustomPrintJob*, TCanvas* canvas, int pageIndex, TRect, TDrawArea area, TDrawTarget) {
            room.Run().DrawPage(*canvas, pageIndex, area, *room.Run().Page());
        });
        TPrintRequest request;
        request.page.StartingNumber = start;
        request.page.Prefix = QStringLiteral("T");
        request.page.Font.Size = 8;
        request.page.HorizontalIndent = 0.1;
        request.page.VerticalIndent = 0.1;
        request.page.HorizontalIndent2 = 0.3;
        request.page.VerticalIndent2 = 0.5;
        request.count = count;
        request.knownLastNumber = QString::number(start - 1);
        request.layout = layout;
        const TPrintPlan plan = room.Prepare(request);
        const std::optional<TSerialRun::Outcome> outcome = room.Carry(plan);
        if (!outcome || outcome->delivered != count)
            return {};
        // The counter moved past the run's tickets, not its sheets.
        EXPECT_EQ(apptest::IniValue(settings, QStringLiteral("SN"), QStringLiteral("LastNumber")), QString::number(start + count - 1));
        return pdf;
    }

    QTemporaryDir dir_;
};

// The serial in each slot of each printed sheet (0 where the slot is empty), found by
// where its words lie on the page; both of a ticket's texts must say the same serial.
QList<QList<int>> ReadSheets(const QString& pdf, const TSheetLayout& layout)
{
    const ticket::TPageArea printable = serial::PageArea();
    const QPointF origin = apptest::PrintableOriginPoints();
    const int pages = apptest::PdfPageCount(pdf);
    QList<QList<int>> sheets(pages, QList<int>(layout.Slots(), 0));
    static const QRegularExpression serialWord(QStringLiteral("^T(-?\\d+)$"));
    for (const apptest::PdfWord& word : apptest::PdfWords(pdf)) {
        const QRegularExpressionMatch match = serialWord.match(word.text);
        if (!match.hasMatch())
            continue;
        const QPointF at((word.xMin + word.xMax) / 2, (word.yMin + word.yMax) / 2);
        int found = -1;
        for (int slot = 0; slot < layout.Slots() && found < 0; ++slot) {
            const QRectF inches = ticket::SlotRect(layout, slot, printable);
            const QRectF points(origin + inches.topLeft() * 72, inches.size() * 72);
            if (points.contains(at))
                found = slot;
        }
        EXPECT_GE(found, 0) << word.text.toStdString() << " lies on no ticket";
        if (found < 0 || word.page < 1 || word.page > pages)
            continue;
        int& serial = sheets[word.page - 1][found];
        const int value = match.captured(1).toInt();
        EXPECT_TRUE(serial == 0 || serial == value) << "two serials on one ticket: " << serial << ", " << value;
        serial = value;
    }
    return sheets;
}

// The guillotine: a copy set's sheets in the order they are read (the printer's order,
// turned over when it printed the last first), cut, the piles stacked.
QList<int> Guillotine(const QList<QList<int>>& printed, const TSheetLayout& layout, int copySet)
{
    QList<QList<int>> sheets;
    for (qsizetype i = copySet; i < printed.size(); i += layout.Copies)
        sheets << printed[layout.Reverse ? printed.size() - 1 - i : i];
    QList<int> stack;
    const auto take = [&](int serial) {
        if (serial != 0)
            stack << serial;
    };
    if (layout.Order == TOrder::Stack) {
        const qsizetype depth = layout.StackDepth > 0 ? layout.StackDepth : sheets.size();
        for (qsizetype block = 0; block < sheets.size(); block += depth)
            for (int slot = 0; slot < layout.Slots(); ++slot)
                for (qsizetype sheet = block; sheet < std::min(block + depth, sheets.size()); ++sheet)
                    take(sheets[sheet][slot]);
    } else {
        for (const QList<int>& sheet : sheets)
            for (int i = 0; i < layout.Slots(); ++i) {
                const int row = layout.Order == TOrder::Columns ? i % layout.Rows : i / layout.Columns;
                const int column = layout.Order == TOrder::Columns ? i / layout.Rows : i % layout.Columns;
                take(sheet[row * layout.Columns + column]);
            }
    }
    return stack;
}

TSheetLayout Layout(int columns, int rows, TOrder order, int depth = 0, int copies = 1, bool reverse = false, int firstSlot = 1)
{
    TSheetLayout layout;
    layout.Columns = columns;
    layout.Rows = rows;
    layout.Order = order;
    layout.StackDepth = depth;
    layout.Copies = copies;
    layout.Reverse = reverse;
    layout.FirstSlot = firstSlot;
    layout.GapX = columns > 1 ? 0.1 : 0;
    layout.GapY = rows > 1 ? 0.1 : 0;
    layout.CutMarks = true;
    return layout;
}

TEST_F(SheetPrintTest, CutAndStackedSheetsReadTheRunInOrder)
{
    struct Case {
        TSheetLayout layout;
        int count;
    };
    const Case cases[] = {
        { Layout(1, 1, TOrder::Rows), 4 },
        { Layout(1, 1, TOrder::Stack, 0, 3, true), 3 },
        { Layout(2, 4, TOrder::Stack), 24 },                 // fills every sheet
        { Layout(2, 4, TOrder::Stack), 21 },                 // the last sheets not full
        { Layout(2, 4, TOrder::Stack, 2, 1, true), 37 },     // piles of two sheets, a short last block
        { Layout(2, 4, TOrder::Stack, 2, 3), 30 },
        { Layout(3, 3, TOrder::Rows, 0, 1, true), 18 },
        { Layout(3, 3, TOrder::Columns, 0, 3, false, 4), 20 },
        { Layout(3, 3, TOrder::Rows, 0, 1, false, 8), 5 },
        { Layout(6, 6, TOrder::Stack, 3, 3, true), 100 },
        { Layout(6, 6, TOrder::Columns), 72 },
    };
    int start = 101;
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << index << ": " << c.layout.Columns << "x" << c.layout.Rows << " order "
                                        << int(c.layout.Order) << " depth " << c.layout.StackDepth << " copies "
                                        << c.layout.Copies << " reverse " << c.layout.Reverse << " first slot "
                                        << c.layout.FirstSlot << ", " << c.count << " tickets");
        const QString pdf = Print(c.layout, start, c.count, QStringLiteral("run%1").arg(index++));
        ASSERT_FALSE(pdf.isEmpty());
        const QList<QList<int>> sheets = ReadSheets(pdf, c.layout);
        EXPECT_EQ(sheets.size(), ticket::TSheetPlan(c.layout, c.count).PrintedSheets());
        QList<int> expected;
        for (int serial = start; serial < start + c.count; ++serial)
            expected << serial;
        for (int copySet = 0; copySet < c.layout.Copies; ++copySet)
            EXPECT_EQ(Guillotine(sheets, c.layout, copySet), expected) << "copy set " << copySet;
        start += c.count;
    }
}

// A run stopped after two of its sheets: in rows its first tickets came out and the rest
// goes back to the counter; cut into stacks the tickets out are spread over the whole
// range, so all of it stays used and is journaled cancelled, never handed out again.
// Either way the journal's pages are the 16 tickets on the two sheets.
TEST_F(SheetPrintTest, StoppedRunGivesBackOnlyAnUnprintedTail)
{
    for (const TOrder order : { TOrder::Rows, TOrder::Stack }) {
        SCOPED_TRACE(int(order));
        ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("stop%1").arg(int(order))));
        const QString settings = dir_.filePath(QStringLiteral("stop%1/Tallyforge.ini").arg(int(order)));
        WriteBytes(settings, "[SN]\r\nLastNumber=100\r\n");
        Printer().SetOutputFileName(dir_.filePath(QStringLiteral("stop%1.pdf").arg(int(order))), TOutputFileMode::Exact);
        TPrintJob job;
        TPrintRoom room(job, std::make_shared<TLocalSeries>(settings));
        serial::ConfigureJob(job, [&](TCustomPrintJob*, TCanvas* canvas, int pageIndex, TRect, TDrawArea area, TDrawTarget) {
            room.Run().DrawPage(*canvas, pageIndex, area, *room.Run().Page());
        });
        room.Run().OnProgress = [&](int done, int) {
            if (done == 2)
                room.Run().Stop();
        };
        TPrintRequest request;
        request.page.StartingNumber = 101;
        request.page.Prefix = QStringLiteral("T");
        request.page.Font.Size = 8;
        request.count = 40;
        request.knownLastNumber = QStringLiteral("100");
        request.layout = Layout(2, 4, order);
        const std::optional<TSerialRun::Outcome> outcome = room.Carry(room.Prepare(request));
        ASSERT_TRUE(outcome.has_value());
        EXPECT_EQ(outcome->sheets, 5);
        EXPECT_EQ(outcome->sheetsDelivered, 2);
        const QList<TJournalRecord> runs = TJournal(TJournal::PathBeside(settings)).Runs();
        ASSERT_EQ(runs.size(), 1);
        EXPECT_EQ(runs[0].status, TRunStatus::Cancelled);
        EXPECT_EQ(runs[0].first, 101);
        EXPECT_EQ(runs[0].sheets, 2);
        if (order == TOrder::Rows) {
            EXPECT_EQ(apptest::IniValue(settings, QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("116"));
            EXPECT_EQ(runs[0].last, 116);
            EXPECT_EQ(runs[0].pages, 16);
        } else {
            EXPECT_EQ(apptest::IniValue(settings, QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("140"));
            EXPECT_EQ(runs[0].last, 140);
            EXPECT_EQ(runs[0].pages, 16);
        }
    }
}

// The question before a large run counts what goes on paper: tickets and the sheets they
// take where a sheet holds several (copies too), pages where a page is a ticket.
TEST_F(SheetPrintTest, LargeRunQuestionCountsTicketsAndSheets)
{
    const QString settings = dir_.filePath(QStringLiteral("large.ini"));
    WriteBytes(settings, "[SN]\r\nLastNumber=100\r\n");
    TPrintJob job;
    TPrintRoom room(job, std::make_shared<TLocalSeries>(settings));
    const struct {
        const char* name;
        TRunKind kind;
        TSheetLayout layout;
        const char* asked;
    } rows[] = {
        { "RunOf2x4", TRunKind::Print, Layout(2, 4, TOrder::Rows), "This run prints 20000 tickets on 2500 sheets, serials 101 to 20100" },
        { "CopiesTakeSheets", TRunKind::PrintNoAdvance, Layout(2, 4, TOrder::Stack, 0, 2), "This run prints 20000 tickets on 5000 sheets, serials 101 to 20100" },
        { "ReprintOf2x4", TRunKind::Reprint, Layout(2, 4, TOrder::Columns), "This reprint prints 20000 tickets on 2500 sheets, serials 101 to 20100" },
        { "OneTicketPage", TRunKind::Print, TSheetLayout(), "This run prints 20000 pages, serials 101 to 20100" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TPrintRequest request;
        request.kind = row.kind;
        request.page.StartingNumber = 101;
        request.page.Font.Size = 8;
        request.count = 20000;
        request.knownLastNumber = QStringLiteral("100");
        request.confirmAbove = 1000;
        request.layout = row.layout;
        const TPrintPlan plan = room.Prepare(request);
        ASSERT_FALSE(plan.questions.isEmpty());
        EXPECT_EQ(plan.questions.front().kind, TPrintQuestion::Kind::Large);
        EXPECT_EQ(plan.questions.front().text, QString::fromUtf8(row.asked));
    }
}

// A journal of the version before the sheets column still reads and takes records, in
// its own width, so its header still names every field.
TEST(SheetJournal, JournalWithoutSheetsColumnKeepsItsWidth)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tallyforge-journal.csv"));
    const QByteArray header = "started,finished,kind,status,first,last,pages,prefix,suffix,printer,output,job,user,host,run,void_first,void_last,digits";
    WriteBytes(path, header + "\r\n2026-03-01T07:00:00.000Z,2026-03-01T07:00:05.000Z,print,completed,1,10,10,A,,PDF,,,clerk,desk1,00000000000000aa,,,4\r\n");
    const TJournal journal(path);
    TJournalRecord record;
    record.started = QDateTime::fromString(QStringLiteral("2026-03-01T08:00:00.000Z"), Qt::ISODateWithMs);
    record.status = TRunStatus::Completed;
    record.first = 11;
    record.last = 26;
    record.pages = 16;
    record.sheets = 2;
    journal.Append(record);
    const QList<TJournalRecord> runs = journal.Runs();
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs[0].first, 11);
    EXPECT_EQ(runs[1].digits, 4);
    for (const QByteArray& line : ReadBytes(path).split('\n')) {
        if (!line.trimmed().isEmpty()) {
            EXPECT_EQ(line.count(','), header.count(',')) << line.toStdString();
        }
    }

    // A new journal has the column, and a run's sheets read back.
    const TJournal fresh(dir.filePath(QStringLiteral("new.csv")));
    fresh.Append(record);
    ASSERT_EQ(fresh.Runs().size(), 1);
    EXPECT_EQ(fresh.Runs()[0].sheets, 2);
}

// A file without [Sheet] is saved byte for byte as before and prints one serial twice a
// page; a [Sheet] that is there stays through a save even at the one-ticket values, and
// values past the limits read as the limits.
TEST_F(SheetPrintTest, SettingsWithoutSheetStayAsTheyWere)
{
    const QString path = dir_.filePath(QStringLiteral("Tallyforge.ini"));
    const QByteArray before = "[SN]\r\nLastNumber=41\r\nPageCount=3\r\nPrefix=T\r\nSuffix=\r\n[Paper]\r\nHorizontalIndent=0.5\r\n"
                              "VerticalIndent=0.5\r\nHorizontalIndent2=2.25\r\nVerticalIndent2=3\r\n[Font]\r\nName=Arial\r\nSize=24\r\n"
                              "Color=0\r\nBold=0\r\nUnderline=0\r\nItalic=0\r\nStrikeout=0\r\n[View]\r\nWholePage=1\r\n";
    WriteBytes(path, before);
    const TallyforgeSettings settings = LoadSettingsFile(path);
    EXPECT_TRUE(settings.Sheet.IsDefault());
    SaveSettingsFile(path, settings);
    EXPECT_EQ(ReadBytes(path), before);

    Printer().SetOutputFileName(dir_.filePath(QStringLiteral("plain.pdf")), TOutputFileMode::Exact);
    TPrintJob job;
    TPrintRoom room(job, std::make_shared<TLocalSeries>(path));
    serial::ConfigureJob(job, [&](TCustomPrintJob*, TCanvas* canvas, int pageIndex, TRect, TDrawArea area, TDrawTarget) {
        room.Run().DrawPage(*canvas, pageIndex, area, *room.Run().Page());
    });
    TPrintRequest request;
    request.page.StartingNumber = 42;
    request.page.Prefix = settings.Prefix;
    request.page.HorizontalIndent = settings.HorizontalIndent;
    request.page.VerticalIndent = settings.VerticalIndent;
    request.page.HorizontalIndent2 = settings.HorizontalIndent2;
    request.page.VerticalIndent2 = settings.VerticalIndent2;
    request.count = settings.PageCount;
    request.knownLastNumber = settings.LastNumberText;
    request.layout = settings.Sheet;
    ASSERT_TRUE(room.Carry(room.Prepare(request)).has_value());
    const QString pdf = dir_.filePath(QStringLiteral("plain.pdf"));
    ASSERT_EQ(apptest::PdfPageCount(pdf), 3);
    for (int page = 1; page <= 3; ++page)
        EXPECT_EQ(apptest::PdfText(pdf, page).simplified(), QStringLiteral("T%1 T%1").arg(41 + page)) << "page " << page;

    // One-ticket values in a [Sheet] keep the section; limits hold.
    QByteArray withSheet = ReadBytes(path) + "[Sheet]\r\nColumns=1\r\nRows=9999\r\nCopies=0\r\nOrder=stack\r\nGapX=-500\r\n";
    WriteBytes(path, withSheet);
    TallyforgeSettings read = LoadSettingsFile(path);
    EXPECT_EQ(read.Sheet.Rows, ticket::kMaxGrid);
    EXPECT_EQ(read.Sheet.Copies, 1);
    EXPECT_EQ(read.Sheet.GapX, -ticket::kMaxSize);
    EXPECT_EQ(read.Sheet.Order, TOrder::Stack);
    read.Sheet = TSheetLayout();
    SaveSettingsFile(path, read);
    EXPECT_EQ(apptest::IniValue(path, QStringLiteral("Sheet"), QStringLiteral("Rows")), QStringLiteral("1"));
    EXPECT_EQ(apptest::IniValue(path, QStringLiteral("Sheet"), QStringLiteral("Order")), QStringLiteral("rows"));
    EXPECT_EQ(apptest::IniValue(path, QStringLiteral("Sheet"), QStringLiteral("GapX")), QStringLiteral("0"));
}


// Letter paper at 600 dpi with margins of 1/8 and 1/6 in, and of 1/4 and 7/24 in: whole
// points, as the test device lays its PDF's printable area out.
constexpr TDeviceCaps kNarrowMargins { 600, 600, 5100, 6600, 75, 100, 4950, 6400 };
constexpr TDeviceCaps kWideMargins { 600, 600, 5100, 6600, 150, 175, 4800, 6250 };
const QString kPaperGrid = QStringLiteral("2x3 marks left=0.6 top=0.7 width=3.5 height=2.9 gapx=0.2 gapy=0.3 origin=paper");

// A grid measured from the paper prints at the same places on the paper whatever the
// printer's margins: every serial, and the cut marks, where the layout puts them.
TEST_F(SheetPrintTest, APaperGridPrintsAtTheSamePlacesWhateverTheMargins)
{
    QList<QList<apptest::PdfWord>> words;
    for (const TDeviceCaps& caps : { kNarrowMargins, kWideMargins }) {
        TPrinter::InstallTestDevice(caps);
        const QString pdf = Print(*ticket::ParseLayoutText(kPaperGrid), 101, 6, QStringLiteral("margins%1").arg(caps.PhysicalOffsetX));
        ASSERT_FALSE(pdf.isEmpty());
        words << apptest::PdfWords(pdf);
        // The cut marks above the grid's left edge and right of its bottom edge.
        const QString png = dir_.filePath(QStringLiteral("render%1").arg(caps.PhysicalOffsetX));
        apptest::Run(QStringLiteral("pdftoppm"), { "-r", "100", "-gray", "-singlefile", "-png", pdf, png });
        const QImage page(png + QStringLiteral(".png"));
        for (const QPoint mark : { QPoint(60, 55), QPoint(796, 1000) })
            EXPECT_LT(std::min({ qGray(page.pixel(mark)), qGray(page.pixel(mark + QPoint(1, 0))), qGray(page.pixel(mark - QPoint(1, 0))) }), 128);
    }
    ASSERT_EQ(words[0].size(), 12); // two serials on each of six tickets
    ASSERT_EQ(words[1].size(), 12);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(words[1][i].text, words[0][i].text);
        EXPECT_NEAR(words[1][i].xMin, words[0][i].xMin, 0.2) << words[0][i].text.toStdString();
        EXPECT_NEAR(words[1][i].yMin, words[0][i].yMin, 0.2) << words[0][i].text.toStdString();
    }
    // T106 0.1 in into the last ticket, at 4.3, 7.1 in on the paper.
    const apptest::PdfWord last = apptest::PdfWordsOnPage(words[0], 1, QStringLiteral("T106")).value(0);
    EXPECT_NEAR(last.xMin, 4.4 * 72, 2.0);
    EXPECT_NEAR(last.yMin, 7.2 * 72, 3.0);
}

TEST_F(SheetPrintTest, TicketsAndCutMarksOffThePrintableAreaAreWarnings)
{
    TPrinter::InstallTestDevice(kWideMargins); // printable from 0.25, 0.29 in, 8.00 x 10.42 in
    TPrintJob job;
    serial::ConfigureJob(job, {});
    using K = TPreflightWarning::Kind;
    const std::pair<QString, QList<K>> cases[] = {
        { kPaperGrid, {} },
        { QStringLiteral("2x1 origin=paper"), { K::TicketOutside } }, // from the paper's corner
        { QString(kPaperGrid).replace(QStringLiteral("left=0.6"), QStringLiteral("left=0.3")), { K::CutMarksOutside } },
        { QStringLiteral("2x1 marks"), { K::CutMarksOutside } }, // beside a grid filling the area
        { QStringLiteral("2x1"), {} },
    };
    for (const auto& [layout, kinds] : cases) {
        const TPreflight result = CheckRun(job, serial::SerialPage(), 6, {}, *ticket::ParseLayoutText(layout));
        QList<K> found;
        for (const TPreflightWarning& warning : result.warnings)
            if (warning.kind == K::TicketOutside || warning.kind == K::CutMarksOutside)
                found << warning.kind;
        EXPECT_EQ(found, kinds) << layout.toStdString();
        if (kinds == QList<K> { K::TicketOutside }) {
            EXPECT_TRUE(std::any_of(result.warnings.begin(), result.warnings.end(), [](const TPreflightWarning& w) {
                return w.text == QStringLiteral("Ticket 1 of the sheet (4.25 x 11.00 in at 0.00, 0.00 in from the paper's corner) does not "
                                                "fit on the printable area of the page (8.00 x 10.42 in at 0.25, 0.29 in)");
            }));
        }
    }
}
} // namespace

#include "app/SheetLayoutDialog.h"
#include "app/Tallyforge.h"
#include "preview/Preview.h"
#include "preview/PreviewStatusBar.h"
#include "support_window.h"
#include "widgets/HistoryEdit.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QMenu>
#include <QSpinBox>
#include <QTest>

#include <tuple>

namespace {

class SheetLayoutWindowTest : public WindowTest {};

// Options > Sheet Layout, from the keyboard: a 2x2 grid in cut-and-stack order shows the
// first sheet's serials as the piles will read, and OK gives the window the layout, its
// preview sheets and a settings file that keeps it.
TEST_F(SheetLayoutWindowTest, ChosenInTheDialogReachesThePreviewAndTheSettingsFile)
{
    WriteSettings("[SN]\r\nLastNumber=100\r\nPageCount=8\r\nPrefix=N\r\n\r\n[Paper]\r\nVerticalIndent2=2\r\n\r\n");
    auto window = MakeWindow();
    QStringList firstSheet;
    WhenModal<TSheetLayoutDialog>([&](TSheetLayoutDialog* dialog) {
        Retype(dialog->ColumnsEdit(), QStringLiteral("2"));
        Retype(dialog->RowsEdit(), QStringLiteral("2"));
        dialog->OrderBox()->setFocus();
        QTest::keyClick(dialog->OrderBox(), Qt::Key_End); // the last order: cut and stack
        firstSheet = dialog->FirstSheet();
        QTest::keyClick(dialog->OrderBox(), Qt::Key_Return);
    });
    ChooseFromMenu(window->mnuOptions, { Qt::Key_L });
    // Eight tickets on two sheets: the piles read 101-102, 103-104, 105-106, 107-108.
    EXPECT_EQ(firstSheet, QStringList({ "N101", "N103", "N105", "N107" }));
    EXPECT_EQ(window->SheetLayout().Columns, 2);
    EXPECT_EQ(window->SheetLayout().Order, ticket::TOrder::Stack);
    // Measured from the paper, the tickets fit the grid to the paper's edges, past the
    // printable area: the bar warns of that instead of counting the sheets.
    EXPECT_EQ(window->Preview1->PageText(), QStringLiteral("Sheet 1 of 2"));
    EXPECT_TRUE(window->PreviewStatusBar1->UserText().contains(QStringLiteral("does not fit on the printable area")))
        << window->PreviewStatusBar1->UserText().toStdString();
    window->close();
    EXPECT_EQ(Setting("Sheet", "Columns"), QStringLiteral("2"));
    // Beginning where the printable area does on the test device (100 and 150 pixels in).
    EXPECT_EQ(Setting("Sheet", "Left"), QStringLiteral("0.167"));
    EXPECT_EQ(Setting("Sheet", "Top"), QStringLiteral("0.25"));
    EXPECT_EQ(Setting("Sheet", "Order"), QStringLiteral("stack"));
    // A layout made in the dialog is measured from the paper.
    EXPECT_EQ(Setting("Sheet", "Origin"), QStringLiteral("paper"));
}

// The preview follows the dialog as values are typed; Cancel puts the window's layout back.
TEST_F(SheetLayoutWindowTest, PreviewFollowsTheDialogUntilCancel)
{
    WriteSettings("[SN]\r\nLastNumber=100\r\nPageCount=8\r\n");
    auto window = MakeWindow();
    const QString pageBefore = window->Preview1->PageText();
    int columnsWhileOpen = 0;
    QString pageWhileOpen;
    WhenModal<TSheetLayoutDialog>([&](TSheetLayoutDialog* dialog) {
        Retype(dialog->ColumnsEdit(), QStringLiteral("4"));
        columnsWhileOpen = window->SheetLayout().Columns;
        pageWhileOpen = window->Preview1->PageText();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    ChooseFromMenu(window->mnuOptions, { Qt::Key_L });
    EXPECT_EQ(columnsWhileOpen, 4);
    EXPECT_EQ(pageWhileOpen, QStringLiteral("Sheet 1 of 2"));
    EXPECT_TRUE(window->SheetLayout().IsDefault());
    EXPECT_EQ(window->Preview1->PageText(), pageBefore);
}

// The outline colour of a ticket in the preview, give or take the screen's rounding.
bool TicketBlue(const QColor& c)
{
    return std::abs(c.red() - 96) < 24 && std::abs(c.green() - 128) < 24 && std::abs(c.blue() - 176) < 24;
}

TEST_F(SheetLayoutWindowTest, TheDialogWritesThePaperForAChangedLayoutOnly)
{
    // Measured from the printable area, which begins 1/6 and 1/4 in into the test paper.
    WriteSettings("[SN]\r\nLastNumber=100\r\n\r\n[Sheet]\r\nColumns=2\r\nRows=2\r\nLeft=0.1\r\nTop=0.2\r\nWidth=3\r\nHeight=4\r\n");
    auto window = MakeWindow();
    const ticket::TSheetLayout before = window->SheetLayout();
    for (const bool change : { false, true }) {
        WhenModal<TSheetLayoutDialog>([&](TSheetLayoutDialog* dialog) {
            // Shown from the paper, at the place it has on this printer, and said so.
            EXPECT_EQ(dialog->OriginBox()->currentText(), QStringLiteral("The paper's edges"));
            EXPECT_NEAR(dialog->LeftEdit()->value(), 0.1 + 1.0 / 6, 0.0005);
            EXPECT_EQ(dialog->LeftEdit()->toolTip(), QStringLiteral("From the left edge of the paper to the first ticket's left edge"));
            if (change)
                Retype(dialog->RowsEdit(), QStringLiteral("1"));
            QTest::keyClick(dialog->RowsEdit(), Qt::Key_Return);
        });
        window->mnuSheetLayout->trigger();
        if (!change) {
            EXPECT_EQ(window->SheetLayout(), before); // unchanged: as the file has it
        }
    }
    EXPECT_EQ(window->SheetLayout().Origin, ticket::TOrigin::Paper);
    EXPECT_NEAR(window->SheetLayout().Left, 0.267, 0.0005);
    EXPECT_NEAR(window->SheetLayout().Top, 0.45, 0.0005);
    window->close();
    EXPECT_EQ(Setting("Sheet", "Origin"), QStringLiteral("paper"));
}

TEST_F(SheetLayoutWindowTest, ThePreviewOutlinesTheTicketsDashedAndThePrintDoesNot)
{
    WriteSettings("[SN]\r\nLastNumber=100\r\nPageCount=4\r\nPrefix=T\r\n\r\n[Paper]\r\nHorizontalIndent=0.5\r\nVerticalIndent=0.5\r\n"
                  "HorizontalIndent2=1\r\nVerticalIndent2=2\r\n\r\n[Font]\r\nSize=10\r\n\r\n[Sheet]\r\nColumns=2\r\nRows=2\r\n"
                  "Left=0.5\r\nTop=0.5\r\nWidth=3.5\r\nHeight=4.5\r\nGapX=0.25\r\nGapY=0.25\r\nOrigin=paper\r\n");
    auto window = MakeWindow();
    ASSERT_TRUE(ShowLarge(*window));
    const QImage preview = PreviewImage(*window);
    EXPECT_GT(apptest::CountPixels(preview, TicketBlue), 100);
    EXPECT_EQ(apptest::RedPixels(preview), 0);
    // Dashed: along the row where the outline runs farthest, it comes in many pieces.
    int most = 0;
    int pieces = 0;
    for (int y = 0; y < preview.height(); ++y) {
        int count = 0;
        int starts = 0;
        for (int x = 0; x < preview.width(); ++x) {
            const bool on = TicketBlue(preview.pixelColor(x, y));
            count += on;
            starts += on && (x == 0 || !TicketBlue(preview.pixelColor(x - 1, y)));
        }
        if (count > most)
            std::tie(most, pieces) = std::make_pair(count, starts);
    }
    EXPECT_GT(pieces, 10);

    answer_ = true;
    window->ToolButton1->trigger();
    ASSERT_TRUE(QFile::exists(OutputPdf()));
    EXPECT_TRUE(apptest::PdfText(OutputPdf(), 1).contains(QStringLiteral("T101")));
    const QString stem = dir_.filePath(QStringLiteral("printed"));
    apptest::Run(QStringLiteral("pdftoppm"), { QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-singlefile"),
                                               QStringLiteral("-png"), OutputPdf(), stem });
    const QImage printed(stem + QStringLiteral(".png"));
    ASSERT_FALSE(printed.isNull());
    EXPECT_EQ(apptest::CountPixels(printed, TicketBlue), 0);

    // Tickets off the printable area: outlined in red, and the bar says why.
    ticket::TSheetLayout off = window->SheetLayout();
    off.Left = 0;
    window->SetSheetLayout(off);
    EXPECT_GT(apptest::RedPixels(PreviewImage(*window)), 0);
    EXPECT_TRUE(window->PreviewStatusBar1->UserText().contains(QStringLiteral("from the paper's corner) does not fit on the printable area")))
        << window->PreviewStatusBar1->UserText().toStdString();
}

} // namespace

#include "app/PrintLog.h"
#include "app/PrintRestDialog.h"
#include "preview/Preview.h"

#include <QComboBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>

namespace {

// A run in cut-and-stack order, two copies a sheet, last sheet first, stopped from its
// progress part way: the journal names exactly the serials that did not come out, and
// Print the Rest in the Print Log asks where (the stopped run's printer first) and, for so
// many tickets, whether to print them, then prints the sheets that were left into a file
// named as the run's rest; the sheets of both files, put through the guillotine, read
// the whole run once in every copy set.
TEST_F(SheetLayoutWindowTest, StoppedStackRunIsCompletedByPrintTheRest)
{
    WriteSettings("[SN]\r\nLastNumber=100\r\nPageCount=8000\r\nPrefix=T\r\n\r\n[Paper]\r\nHorizontalIndent=0.1\r\nVerticalIndent=0.1\r\n"
                  "HorizontalIndent2=0.3\r\nVerticalIndent2=0.5\r\n\r\n[Font]\r\nSize=8\r\n\r\n[Sheet]\r\nColumns=2\r\nRows=4\r\n"
                  "Order=stack\r\nStackDepth=300\r\nCopies=2\r\nReverse=1\r\n");
    auto window = MakeWindow();
    const TSheetLayout layout = window->SheetLayout();
    ASSERT_EQ(layout.Order, TOrder::Stack);
    const qint64 printedSheets = ticket::TSheetPlan(layout, 8000).PrintedSheets();
    EXPECT_EQ(window->Preview1->PageText(), QStringLiteral("Sheet 1 of %1").arg(printedSheets));
    answer_ = true; // yes to a run this large, and to replacing the first file
    // Stopped as the progress's Cancel stops it, once sheet 25 is drawn (the run is too
    // quick to be caught by a timer).
    const TDrawEvent draw = window->pjSN->OnDraw;
    window->pjSN->OnDraw = [&](TCustomPrintJob* job, TCanvas* canvas, int page, TRect rect, TDrawArea area, TDrawTarget target) {
        draw(job, canvas, page, rect, area, target);
        if (page == 25 && area == daBody && target == dtPrinter)
            job->Abort();
    };
    window->ToolButton1->trigger();
    window->pjSN->OnDraw = draw;
    EXPECT_TRUE(window->PreviewStatusBar1->UserText().contains(QStringLiteral("Print the Rest")))
        << window->PreviewStatusBar1->UserText().toStdString();
    EXPECT_TRUE(window->PreviewStatusBar1->UserText().contains(QStringLiteral(" of %1 sheets.").arg(printedSheets)))
        << window->PreviewStatusBar1->UserText().toStdString();
    const QString firstPart = dir_.filePath(QStringLiteral("first.pdf"));
    ASSERT_TRUE(QFile::copy(OutputPdf(), firstPart));
    const QList<QList<int>> before = ReadSheets(firstPart, layout);
    ASSERT_GE(before.size(), 25);
    ASSERT_LT(before.size(), printedSheets) << "the run was not stopped";
    // The serials out are the ones on every copy of their sheet; the journal says which are not.
    std::map<int, int> copiesOut;
    for (const QList<int>& sheet : before)
        for (const int serial : sheet)
            if (serial != 0)
                ++copiesOut[serial];
    const QList<TJournalRecord> runs = TJournal(TJournal::PathBeside(settingsPath_)).Runs();
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].status, TRunStatus::Cancelled);
    EXPECT_EQ(runs[0].sheets, before.size());
    for (int serial = 101; serial <= 8100; ++serial)
        ASSERT_EQ(runs[0].NotPrinted(serial), copiesOut[serial] < 2) << serial;
    EXPECT_EQ(Setting("SN", "LastNumber"), QStringLiteral("8100")); // kept for the rest
    qint64 ticketsLeft = 0;
    for (int serial = 101; serial <= 8100; ++serial)
        ticketsLeft += runs[0].NotPrinted(serial) ? 1 : 0;
    EXPECT_EQ(runs[0].pages, 8000 - ticketsLeft); // the tickets that came out

    // Into the PDF printer's folder, where the file is named by what it holds.
    Printer().SetOutputFileName(QString());
    Printer().SetOutputFolder(dir_.path());
    window->mnuPrintLog->trigger();
    TPrintLog* log = window->PrintLog();
    ASSERT_NE(log, nullptr);
    log->Table()->selectRow(0);
    ASSERT_TRUE(log->PrintRestButton()->isEnabled());
    QString offered;
    WhenModal<TPrintRestDialog>([&](TPrintRestDialog* dialog) {
        offered = dialog->PrinterCombo()->currentText();
        dialog->accept();
    });
    questions_.clear();
    QTest::mouseClick(log->PrintRestButton(), Qt::LeftButton);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(offered, runs[0].printer);
    ASSERT_EQ(questions_.size(), 1) << questions_.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(questions_[0].startsWith(QStringLiteral("The rest of this run prints %1 tickets on %2 sheets, of serials 101 to 8100")
                                             .arg(ticketsLeft)
                                             .arg(printedSheets - before.size())))
        << questions_[0].toStdString();
    const QString restFile = dir_.filePath(QStringLiteral("Tallyforge 101-8100 rest.pdf"));
    ASSERT_TRUE(QFile::exists(restFile)) << QDir(dir_.path()).entryList(QDir::Files).join(u' ').toStdString();

    QList<QList<int>> all = before;
    all += ReadSheets(restFile, layout);
    ASSERT_EQ(all.size(), printedSheets);
    QList<int> expected;
    for (int serial = 101; serial <= 8100; ++serial)
        expected << serial;
    for (int copySet = 0; copySet < layout.Copies; ++copySet)
        EXPECT_EQ(Guillotine(all, layout, copySet), expected) << "copy set " << copySet;
    // Nothing is left, and the counter never moved.
    log->Table()->selectRow(0);
    EXPECT_FALSE(log->PrintRestButton()->isEnabled());
    const QList<TJournalRecord> after = TJournal(TJournal::PathBeside(settingsPath_)).Runs();
    EXPECT_FALSE(RestOf(after, runs[0]).has_value());
    ASSERT_EQ(after.size(), 2);
    EXPECT_EQ(after[0].kind, TRunKind::Resume);
    EXPECT_EQ(after[0].pages, ticketsLeft);
    EXPECT_EQ(after[0].sheets, printedSheets - before.size());
    EXPECT_EQ(Setting("SN", "LastNumber"), QStringLiteral("8100"));
}

} // namespace

namespace {

// Types into the field a label's mnemonic takes the focus to, as a person does: Alt and
// the letter, select what is there, type.
void TypeAt(QWidget* dialog, Qt::Key mnemonic, const QString& text)
{
    QTest::keyClick(dialog, mnemonic, Qt::AltModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClicks(QApplication::focusWidget(), text);
}

// Books and the names of the copies are set in Sheet Layout: the preview and the bar
// follow while they are typed, Escape puts back what was there, OK keeps them in the
// window and its settings file.
TEST_F(SheetLayoutWindowTest, BooksAndPartNamesFollowTheDialogUntilCancelAndAreKeptOnOk)
{
    WriteSettings("[SN]\r\nLastNumber=100\r\nPageCount=8\r\n");
    auto window = MakeWindow();
    const QString barBefore = window->PreviewStatusBar1->UserText();
    for (const bool ok : { false, true }) {
        serial::SerialPage whileOpen;
        QString barWhileOpen;
        bool up = false;
        WhenModal<TSheetLayoutDialog>([&](TSheetLayoutDialog* dialog) {
            up = QTest::qWaitForWindowActive(dialog);
            TypeAt(dialog, Qt::Key_C, QStringLiteral("3"));
            TypeAt(dialog, Qt::Key_N, QStringLiteral("Customer|Office|File"));
            QTest::keyClick(dialog, Qt::Key_R, Qt::AltModifier);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_End); // cut and stack
            TypeAt(dialog, Qt::Key_P, QStringLiteral("10"));
            TypeAt(dialog, Qt::Key_B, QStringLiteral("25"));
            TypeAt(dialog, Qt::Key_E, QStringLiteral("1001"));
            whileOpen = window->CurrentPage();
            barWhileOpen = window->PreviewStatusBar1->UserText();
            QTest::keyClick(QApplication::focusWidget(), ok ? Qt::Key_Return : Qt::Key_Escape);
        });
        ChooseFromMenu(window->mnuOptions, { Qt::Key_L });
        ASSERT_TRUE(up) << "the dialog never had the keyboard";
        EXPECT_EQ(whileOpen.BookSize, 25);
        EXPECT_EQ(whileOpen.BookFirst, 1001);
        EXPECT_EQ(whileOpen.PartNames, QStringList({ "Customer", "Office", "File" }));
        // Piles of ten sheets against books of 25: warned of as the other warnings are.
        EXPECT_TRUE(barWhileOpen.startsWith(QStringLiteral("Warning: ")) && barWhileOpen.contains(QStringLiteral("The piles are not whole books")))
            << barWhileOpen.toStdString();
        const serial::SerialPage after = window->CurrentPage();
        if (!ok) {
            EXPECT_EQ(after.BookSize, 0);
            EXPECT_EQ(after.BookFirst, 1);
            EXPECT_TRUE(after.PartNames.isEmpty());
            EXPECT_TRUE(window->SheetLayout().IsDefault());
            EXPECT_EQ(window->PreviewStatusBar1->UserText(), barBefore);
        } else {
            EXPECT_EQ(after.BookSize, 25);
            EXPECT_EQ(after.BookFirst, 1001);
            EXPECT_EQ(after.PartNames, whileOpen.PartNames);
            EXPECT_EQ(window->SheetLayout().Copies, 3);
        }
    }
    window->close();
    EXPECT_EQ(Setting("Book", "Size"), QStringLiteral("25"));
    EXPECT_EQ(Setting("Book", "FirstNumber"), QStringLiteral("1001"));
    EXPECT_EQ(Setting("Sheet", "PartNames"), QStringLiteral("Customer|Office|File"));
}

// A file without books or names keeps its bytes through the dialog: a first number typed
// and left without books writes no [Book] key.
TEST_F(SheetLayoutWindowTest, AFileWithoutBooksOrNamesKeepsItsBytes)
{
    WriteSettings("[SN]\r\nLastNumber=100\r\nPageCount=8\r\n\r\n[Sheet]\r\nColumns=2\r\nCopies=2\r\nOrigin=paper\r\n");
    auto window = MakeWindow();
    window->SaveSettings();
    const QByteArray before = apptest::ReadText(settingsPath_).toUtf8();
    WhenModal<TSheetLayoutDialog>([&](TSheetLayoutDialog* dialog) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        EXPECT_FALSE(dialog->BookFirstEdit()->isEnabled());
        TypeAt(dialog, Qt::Key_B, QStringLiteral("5"));
        TypeAt(dialog, Qt::Key_E, QStringLiteral("77"));
        TypeAt(dialog, Qt::Key_B, QStringLiteral("0"));
        TypeAt(dialog, Qt::Key_N, QStringLiteral("A|B"));
        TypeAt(dialog, Qt::Key_N, QString());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    ChooseFromMenu(window->mnuOptions, { Qt::Key_L });
    window->SaveSettings();
    EXPECT_EQ(apptest::ReadText(settingsPath_).toUtf8(), before);
    EXPECT_FALSE(apptest::ReadText(settingsPath_).contains(QStringLiteral("[Book]")));
}

} // namespace
