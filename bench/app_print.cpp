// A toolbar print of 10,000 pages to the built-in PDF printer, against a direct QPrinter
// loop that draws the same text twice per page with the same allocator settings.
// Usage: app_print [pages] [rounds]   (default 10000 pages, 3 rounds; medians compared)
#include "app/Tallyforge.h"
#include "platform/Application.h"
#include "platform/FormatSettings.h"
#include "DirectPrint.h"
#include "platform/Printer.h"
#include "widgets/HistoryEdit.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {


double printThroughTheWindow(TfrmTallyforge& window, const QString& file)
{
    Printer().SetOutputFileName(file);
    QFile::remove(file);
    QElapsedTimer timer;
    timer.start();
    window.ToolButton1->trigger();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    TunePrintingAllocator();
    QTemporaryDir dir;
    qputenv("HOME", dir.path().toLocal8Bit());
    qputenv("CUPS_SERVER", "127.0.0.1:1"); // the built-in PDF printer, whatever the machine has
    QApplication application(argc, argv);
    app::SetTitle(QStringLiteral("Tallyforge"));
    FormatSettings::LoadFromSystem();
    app::SetErrorHandler([](const QString&, const QString& text) {
        std::fprintf(stderr, "error: %s\n", qPrintable(text));
    });
    // Every round prints the same serials again, across a change of width: the window asks
    // before such a run, and the answer is Yes.
    app::SetQuestionHandler([](const QString&, const QString&) { return true; });
    const int pages = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 3;

    TfrmTallyforge window(nullptr, dir.filePath(QStringLiteral("Tallyforge.ini")));
    window.txtPageCount->SetText(QString::number(pages));
    window.txtPrefix->SetText(QStringLiteral("A-"));
    window.txtSuffix->SetText(QStringLiteral("/B"));
    window.txtHorizontalIndent2->SetText(QStringLiteral("3.00"));
    window.txtVerticalIndent2->SetText(QStringLiteral("5.00"));
    const TDeviceCaps caps = Printer().DeviceCaps();
    // The window draws at the indents from the printable area's corner: 1 in, 1 in and
    // 3 in, 5 in at the printer's resolution.
    const QPoint first(caps.LogPixelsX, caps.LogPixelsY);
    const QPoint second(3 * caps.LogPixelsX, 5 * caps.LogPixelsY);

    std::vector<double> app;
    std::vector<double> direct;
    for (int round = 0; round < rounds; ++round) {
        window.txtStartingSN->SetText(QStringLiteral("1"));
        app.push_back(printThroughTheWindow(window, dir.filePath(QStringLiteral("app.pdf"))));
        direct.push_back(bench::printDirectly(pages, dir.filePath(QStringLiteral("direct.pdf")), first, second));
        std::printf("round %d: app %.0f ms, direct %.0f ms\n", round + 1, app.back(), direct.back());
    }
    const double appMs = bench::median(app);
    const double directMs = bench::median(direct);
    std::printf("pages: %d, app median %.0f ms, direct median %.0f ms\n", pages, appMs, directMs);
    std::printf("app print ratio: %.2f\n", appMs / directMs);
    return 0;
}
