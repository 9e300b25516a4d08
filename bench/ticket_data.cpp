// Data rows: a run of tickets whose text items take {data:...} fields and {book} against
// the same run with fixed texts, alternating in one process through the serial run as the
// program prints; then a data file of a million rows read as a run reads it.
//
//   ticket_data [tickets] [rows]      (default 10000 and 1000000)
//
// Prints the median time of each run, the ratio data/fixed (at most 1.3x is the aim), and
// the time and the memory the process grew by to read the large file.
#include "BenchRun.h"
#include "DirectPrint.h"
#include "ticket/DataRows.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kRuns = 5;

// The resident set's peak so far, in MiB.
double PeakMiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// The resident set now, in MiB.
double ResidentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// Row n of the data: four columns, one quoted with a comma and doubled quotes in it.
QByteArray Row(qint64 n)
{
    QByteArray bytes = "Guest ";
    bytes += QByteArray::number(n);
    bytes += ",R";
    bytes += QByteArray::number(n % 40 + 1);
    bytes += " S";
    bytes += QByteArray::number(n % 25 + 1);
    bytes += ",G";
    bytes += QByteArray::number(n % 9);
    bytes += ",\"row ";
    bytes += QByteArray::number(n);
    bytes += ", \"\"on time\"\"\"\r\n";
    return bytes;
}

// The header and rows 1 to `rows`.
QByteArray Rows(qint64 rows)
{
    QByteArray bytes = "Name,Seat,Gate,Note\r\n";
    for (qint64 n = 1; n <= rows; ++n)
        bytes += Row(n);
    return bytes;
}

} // namespace

int main(int argc, char* argv[])
{
    TunePrintingAllocator();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int tickets = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const qint64 bigRows = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000000;
    QApplication application(argc, argv);
    TBenchRun bench;
    TSerialRun& run = bench.Run();
    TPrinter& printer = Printer();

    // The large file as a run reads it: from disk, checked, hashed and indexed. Measured
    // first, before the runs' pages have grown the process; the file is written in parts.
    const QString big = bench.Path(QStringLiteral("big.csv"));
    {
        QFile file(big);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        if (file.write(Rows(0)) < 0)
            return 1;
        QByteArray part;
        for (qint64 from = 1; from <= bigRows; from += 10000) {
            part.clear();
            for (qint64 n = from; n < std::min(bigRows + 1, from + 10000); ++n)
                part += Row(n);
            if (file.write(part) < 0)
                return 1;
        }
        if (!file.flush())
            return 1;
    }
    const qint64 bytes = QFileInfo(big).size();
    const double before = PeakMiB();
    const double residentBefore = ResidentMiB();
    QElapsedTimer load;
    load.start();
    std::shared_ptr<const ticket::TDataTable> table = ticket::TDataTable::Load(big);
    const double seconds = load.nsecsElapsed() / 1e9;
    if (table->Rows() != bigRows || table->Value(bigRows - 1, 3) != QStringLiteral("row %1, \"on time\"").arg(bigRows))
        return 1;
    std::printf("load %lld rows (%.1f MiB): %.3f s; peak memory %.1f -> %.1f MiB (+%.1f MiB), held %.1f MiB\n",
                static_cast<long long>(bigRows), bytes / 1048576.0, seconds, before, PeakMiB(), PeakMiB() - before,
                ResidentMiB() - residentBefore);
    table.reset();

    serial::SerialPage fixed = BenchPage();
    fixed.BookSize = 50;
    ticket::TTicketItem name;
    name.Left = 1.0;
    name.Top = 2.0;
    ticket::TTicketItem seat = name;
    seat.Top = 2.5;
    ticket::TTicketItem book = name;
    book.Top = 3.0;
    serial::SerialPage data = fixed;
    // The same lengths of text, fixed and filled in.
    name.Text = QStringLiteral("Guest 12345");
    seat.Text = QStringLiteral("Seat R12 S7, gate G3");
    book.Text = QStringLiteral("Book 12 ticket 34");
    fixed.Items = { name, seat, book };
    name.Text = QStringLiteral("{data:Name}");
    seat.Text = QStringLiteral("Seat {data:Seat}, gate {data:Gate}");
    book.Text = QStringLiteral("Book {book} ticket {inbook}");
    data.Items = { name, seat, book };
    data.DataFile = bench.Path(QStringLiteral("run.csv"));
    data.Data = ticket::TDataTable::FromBytes(Rows(tickets), data.DataFile);

    const auto time = [&](const serial::SerialPage& page, const QString& file) {
        QFile::remove(bench.Path(file));
        printer.SetOutputFileName(bench.Path(file));
        QElapsedTimer timer;
        timer.start();
        const std::optional<TSerialRun::Outcome> outcome = run.Print(page, tickets, TRunKind::PrintNoAdvance, QString(), {});
        if (!outcome || outcome->delivered != tickets) {
            std::fprintf(stderr, "ticket_data: the run into %s did not complete\n", qPrintable(file));
            std::exit(1);
        }
        return timer.nsecsElapsed() / 1e9;
    };
    std::vector<double> fixedTimes, dataTimes;
    for (int i = 0; i < kRuns; ++i) {
        fixedTimes.push_back(time(fixed, QStringLiteral("fixed.pdf")));
        dataTimes.push_back(time(data, QStringLiteral("data.pdf")));
    }
    const double fixedTime = bench::median(fixedTimes);
    const double dataTime = bench::median(dataTimes);
    std::printf("fixed texts:        %d tickets: %.3f s (%.0f tickets/s)\n", tickets, fixedTime, tickets / fixedTime);
    std::printf("{data:...} {book}:  %d tickets: %.3f s (%.0f tickets/s)\n", tickets, dataTime, tickets / dataTime);
    std::printf("ratio data/fixed:   %.2fx\n", dataTime / fixedTime);

    return 0;
}
