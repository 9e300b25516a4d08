// A toolbar print of 10,000 pages to a private CUPS queue: from the click until the
// scheduler has accepted the whole job (the queue's own filtering is not counted).
// Needs root, as the private scheduler does.
// Usage: cups_print [pages] [rounds]   (default 10000 pages, 3 rounds; the median is printed)
#include "support_app.h"
#include "support_cups.h"

#include "app/Tallyforge.h"
#include "platform/Application.h"
#include "platform/FormatSettings.h"
#include "platform/Printer.h"
#include "widgets/HistoryEdit.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[])
{
    TunePrintingAllocator();
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
    QTemporaryDir dir;
    QApplication application(argc, argv);
    app::SetTitle(QStringLiteral("Tallyforge"));
    FormatSettings::LoadFromSystem();
    app::SetErrorHandler([](const QString&, const QString& text) { std::fprintf(stderr, "error: %s\n", qPrintable(text)); });
    // Every round prints the same serials again, across a change of width: the window asks
    // before such a run, and the answer is Yes.
    app::SetQuestionHandler([](const QString&, const QString&) { return true; });
    const int pages = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 3;

    TfrmTallyforge window(nullptr, dir.filePath(QStringLiteral("Tallyforge.ini")));
    window.txtPageCount->SetText(QString::number(pages));
    window.txtPrefix->SetText(QStringLiteral("A-"));
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        window.ToolButton1->trigger();
        times.push_back(timer.nsecsElapsed() / 1e6);
        std::printf("round %d: %.0f ms (%s)\n", round + 1, times.back(), qPrintable(Printer().PrinterName()));
        cups.WaitForJobs(120000);
    }
    std::sort(times.begin(), times.end());
    std::printf("cups print median ms: %.0f\n", times[times.size() / 2]);
    return 0;
}
