// The first sheet's wait on a queue: a run of tickets 8-up (2x4, in rows) with a barcode
// to a private CUPS queue, timed from its start until the scheduler confirms its first
// job, against the whole run (until it confirms the last). A queue starts a job only once
// it holds the whole document, so the first job's confirmation is when the printer can
// begin. Needs root, as the private scheduler does.
//
//   cups_first_job [tickets] [rounds] [sheets-per-job]   (default 100000, 3, 1000)
//
// Prints the median of each and the ratio first job / whole run (the aim: at most 0.10).
#include "DirectPrint.h"
#include "support_app.h"
#include "support_cups.h"

#include "platform/Printer.h"
#include "printjob/PrintJob.h"
#include "run/SerialRun.h"
#include "ticket/SerialDrawing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char* argv[])
{
    TunePrintingAllocator();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString reason = PrivateCups::UnavailableReason();
    if (!reason.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(reason));
        return 1;
    }
    PrivateCups cups;
    if (!cups.Start()) {
        std::fprintf(stderr, "%s\n", qPrintable(cups.Error()));
        return 1;
    }
    qputenv("CUPS_SERVER", cups.Server().toLocal8Bit());
    // The scheduler is not to print what it confirmed while the run is timed.
    cups.RunTool(QStringLiteral("cupsdisable"), { cups.QueueName() });
    const int tickets = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const int perJob = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1000;
    QApplication application(argc, argv);
    QTemporaryDir dir;
    TPrinter& printer = Printer();
    printer.SetPrinterIndex(int(printer.Printers().indexOf(cups.QueueName())));

    TPrintJob job;
    TSerialRun run(job, dir.filePath(QStringLiteral("Tallyforge.ini")));
    run.FollowJobsMs = 0;
    run.SheetsPerJob = perJob;
    serial::ConfigureJob(job, [&](TCustomPrintJob*, TCanvas* canvas, int pageIndex, TRect, TDrawArea area, TDrawTarget) {
        run.DrawPage(*canvas, pageIndex, area, *run.Page());
    });
    serial::SerialPage page;
    page.StartingNumber = 1;
    page.Prefix = QStringLiteral("SN-");
    page.Font.Size = 10;
    page.HorizontalIndent = 0.2;
    page.VerticalIndent = 0.2;
    ticket::TTicketItem code;
    code.Kind = ticket::TItemKind::Barcode;
    code.Left = 0.2;
    code.Top = 0.8;
    code.Width = 1.6;
    code.Height = 0.5;
    page.Items << code;
    ticket::TSheetLayout eightUp;
    eightUp.Columns = 2;
    eightUp.Rows = 4;

    std::vector<double> firsts, wholes;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        double first = -1;
        printer.OnEvent = [&](TPrinterEvent event) {
            if (event == peEndDoc && first < 0)
                first = timer.nsecsElapsed() / 1e9;
        };
        timer.start();
        const std::optional<TSerialRun::Outcome> outcome = run.Print(page, tickets, TRunKind::PrintNoAdvance, QString(), eightUp);
        const double whole = timer.nsecsElapsed() / 1e9;
        printer.OnEvent = nullptr;
        if (!outcome || outcome->delivered != tickets || first < 0) {
            std::fprintf(stderr, "cups_first_job: the run did not complete\n");
            return 1;
        }
        firsts.push_back(first);
        wholes.push_back(whole);
        std::printf("round %d: first job %.3f s, whole run %.3f s, %lld jobs\n", round + 1, first, whole,
                    static_cast<long long>(outcome->jobs.size()));
        std::fflush(stdout);
        cups.RunTool(QStringLiteral("cancel"), { QStringLiteral("-a"), cups.QueueName() });
    }
    const double first = bench::median(firsts);
    const double whole = bench::median(wholes);
    std::printf("%d tickets 8-up with a barcode, %d sheets a job\n", tickets, perJob);
    std::printf("median first job confirmed: %.3f s\n", first);
    std::printf("median whole run: %.3f s\n", whole);
    std::printf("ratio first/whole: %.3f\n", first / whole);
    return 0;
}
