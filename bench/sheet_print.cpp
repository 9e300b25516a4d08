// Tickets per second printing to PDF: a run of tickets 8-up (2x4, cut and stacked) against
// the same number of one-ticket pages, both through the serial run as the program prints.
//
//   sheet_print [tickets]      (default 10000)
//
// Prints the median time of each over a few runs, and last the ratio 8-up/one-up (at
// most 1.0x is the aim: eight tickets a page must not cost more than eight pages).
#include "BenchRun.h"
#include "DirectPrint.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kRuns = 3;

} // namespace

int main(int argc, char* argv[])
{
    TunePrintingAllocator();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int tickets = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    QApplication application(argc, argv);
    TBenchRun bench;
    TSerialRun& run = bench.Run();
    TPrinter& printer = Printer();
    serial::SerialPage page;
    page.StartingNumber = 1;
    page.Prefix = QStringLiteral("SN-");
    page.Font.Size = 10;
    page.HorizontalIndent = 0.2;
    page.VerticalIndent = 0.2;
    page.HorizontalIndent2 = 0.2;
    page.VerticalIndent2 = 1.2;
    ticket::TSheetLayout eightUp;
    eightUp.Columns = 2;
    eightUp.Rows = 4;
    eightUp.Order = ticket::TOrder::Stack;

    const auto time = [&](const ticket::TSheetLayout& layout, const QString& name) {
        const QString file = bench.Path(name);
        QFile::remove(file);
        printer.SetOutputFileName(file);
        QElapsedTimer timer;
        timer.start();
        const std::optional<TSerialRun::Outcome> outcome = run.Print(page, tickets, TRunKind::PrintNoAdvance, QString(), layout);
        const double seconds = timer.nsecsElapsed() / 1e9;
        if (!outcome || outcome->delivered != tickets) {
            std::fprintf(stderr, "sheet_print: the run of %s did not complete\n", qPrintable(name));
            std::exit(1);
        }
        return seconds;
    };
    std::vector<double> sheetTimes, pageTimes;
    for (int i = 0; i < kRuns; ++i) {
        pageTimes.push_back(time({}, QStringLiteral("pages.pdf")));
        sheetTimes.push_back(time(eightUp, QStringLiteral("sheets.pdf")));
    }
    const double pages = bench::median(pageTimes);
    const double sheets = bench::median(sheetTimes);
    std::printf("one-up: %d tickets on %d pages: %.3f s (%.0f tickets/s)\n", tickets, tickets, pages, tickets / pages);
    std::printf("8-up:   %d tickets on %lld sheets: %.3f s (%.0f tickets/s)\n", tickets,
                static_cast<long long>(ticket::TSheetPlan(eightUp, tickets).PrintedSheets()), sheets, tickets / sheets);
    std::printf("ratio 8-up/one-up: %.2fx\n", sheets / pages);
    return 0;
}
