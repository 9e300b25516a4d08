// `tallyforge print` of 10,000 pages to a PDF, the whole process from start to exit,
// against a direct QPrinter loop that draws the same text twice per page with the same
// allocator settings.
// Usage: cli_print [pages] [rounds]   (default 10000 pages, 5 rounds; medians compared)
#include "DirectPrint.h"
#include "platform/Printer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {


double printThroughTheCommandLine(int pages, const QTemporaryDir& dir, int round)
{
    const QString file = dir.filePath(QStringLiteral("cli%1.pdf").arg(round));
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), dir.path());
    environment.insert(QStringLiteral("CUPS_SERVER"), QStringLiteral("127.0.0.1:1"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    program.start(QStringLiteral(TALLYFORGE_EXE),
                  { QStringLiteral("print"), QStringLiteral("--quiet"), QStringLiteral("--count"), QString::number(pages),
                    QStringLiteral("--output"), file, QStringLiteral("--settings"), dir.filePath(QStringLiteral("Tallyforge.ini")) });
    if (!program.waitForFinished(600000) || program.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    TunePrintingAllocator();
    QTemporaryDir dir;
    QApplication application(argc, argv);
    const int pages = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    {
        QFile settings(dir.filePath(QStringLiteral("Tallyforge.ini")));
        settings.open(QIODevice::WriteOnly);
        settings.write("[SN]\r\nPrefix=A-\r\nSuffix=/B\r\n\r\n[Paper]\r\nHorizontalIndent2=3\r\nVerticalIndent2=5\r\n\r\n");
    }
    // The command line draws at the indents from the PDF printer's printable corner.
    const QPoint first(600, 600);
    const QPoint second(3 * 600, 5 * 600);
    std::vector<double> cli;
    std::vector<double> direct;
    for (int round = 0; round < rounds; ++round) {
        cli.push_back(printThroughTheCommandLine(pages, dir, round));
        direct.push_back(bench::printDirectly(pages, dir.filePath(QStringLiteral("direct.pdf")), first, second));
        std::printf("round %d: cli %.0f ms, direct %.0f ms\n", round + 1, cli.back(), direct.back());
        if (cli.back() < 0)
            return 1;
    }
    const double cliMs = bench::median(cli);
    const double directMs = bench::median(direct);
    std::printf("pages: %d, cli median %.0f ms, direct median %.0f ms\n", pages, cliMs, directMs);
    std::printf("cli print ratio: %.2f\n", cliMs / directMs);
    return 0;
}
