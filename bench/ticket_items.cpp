// Barcodes on every page: a run of pages that each carry a Code 128 and a QR code of the
// serial against the same run without them, both through the serial run as the program
// prints, alternating in one process.
//
//   ticket_items [pages]      (default 10000)
//
// Prints the median time of each over a few runs (and the drawing thread's CPU time, which
// other work on the machine disturbs less), the ratio codes/plain (at most 2x is
// the aim) and what the codes add to each page of the PDF (at most 3 KB is the aim).
#include "BenchRun.h"
#include "DirectPrint.h"
#include "ticket/Barcode.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kRuns = 5;

} // namespace

int main(int argc, char* argv[])
{
    TunePrintingAllocator();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int pages = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    QApplication application(argc, argv);
    TBenchRun bench;
    TSerialRun& run = bench.Run();
    TPrinter& printer = Printer();
    serial::SerialPage plain = BenchPage();
    serial::SerialPage codes = plain;
    ticket::TTicketItem code128;
    code128.Kind = ticket::TItemKind::Barcode;
    code128.Symbology = ticket::TSymbology::Code128;
    code128.Left = 1.0;
    code128.Top = 2.0;
    code128.Width = 2.5;
    code128.Height = 0.75;
    ticket::TTicketItem qr = code128;
    qr.Symbology = ticket::TSymbology::QR;
    qr.Left = 5.0;
    qr.Width = qr.Height = 1.0;
    codes.Items = { code128, qr };

    struct Result {
        double seconds;
        double cpu; // the drawing thread's own: steadier than the clock on a shared machine
        qint64 bytes;
    };
    const auto threadCpu = [] {
        timespec now {};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return double(now.tv_sec) + now.tv_nsec / 1e9;
    };
    const auto time = [&](const serial::SerialPage& page, const QString& name) {
        const QString file = bench.Path(name);
        QFile::remove(file);
        printer.SetOutputFileName(file);
        QElapsedTimer timer;
        const double cpu = threadCpu();
        timer.start();
        const std::optional<TSerialRun::Outcome> outcome = run.Print(page, pages, TRunKind::PrintNoAdvance, QString(), {});
        const double seconds = timer.nsecsElapsed() / 1e9;
        const double cpuSeconds = threadCpu() - cpu;
        if (!outcome || outcome->delivered != pages) {
            std::fprintf(stderr, "ticket_items: the run of %s did not complete\n", qPrintable(name));
            std::exit(1);
        }
        return Result { seconds, cpuSeconds, QFileInfo(file).size() };
    };
    std::vector<double> plainTimes, codeTimes, plainCpu, codeCpu;
    qint64 plainBytes = 0;
    qint64 codeBytes = 0;
    for (int i = 0; i < kRuns; ++i) {
        const Result without = time(plain, QStringLiteral("plain.pdf"));
        const Result with = time(codes, QStringLiteral("codes.pdf"));
        plainTimes.push_back(without.seconds);
        codeTimes.push_back(with.seconds);
        plainCpu.push_back(without.cpu);
        codeCpu.push_back(with.cpu);
        plainBytes = without.bytes;
        codeBytes = with.bytes;
    }
    const double plainTime = bench::median(plainTimes);
    const double codeTime = bench::median(codeTimes);
    std::printf("plain:             %d pages: %.3f s (%.0f pages/s), %lld bytes\n", pages, plainTime, pages / plainTime,
                static_cast<long long>(plainBytes));
    std::printf("Code 128 + QR:     %d pages: %.3f s (%.0f pages/s), %lld bytes\n", pages, codeTime, pages / codeTime,
                static_cast<long long>(codeBytes));
    // What the encoder alone takes of it: both codes of every page, without drawing.
    QElapsedTimer encoding;
    encoding.start();
    for (int index = 1; index <= pages; ++index)
        for (const ticket::TTicketItem& item : codes.Items)
            if (!ticket::EncodeBarcode(item.Symbology, serial::ItemValue(codes, item, index), item.HumanReadable))
                std::exit(1);
    std::printf("of which encoding: %.3f s\n", encoding.nsecsElapsed() / 1e9);
    std::printf("ratio codes/plain: %.2fx\n", codeTime / plainTime);
    std::printf("drawing thread's CPU: plain %.3f s, codes %.3f s, ratio %.2fx\n", bench::median(plainCpu),
                bench::median(codeCpu), bench::median(codeCpu) / bench::median(plainCpu));
    std::printf("bytes a page more: %.0f\n", double(codeBytes - plainBytes) / pages);
    return 0;
}
