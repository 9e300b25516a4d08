// Pages per second printing to PDF: through the print job versus a loop written directly
// on QPrinter, both drawing the same page (one short text, twice) with the same heap tuning.
//
//   print_throughput [pages]      (default 10000)
//
// Prints the median time of each over a few runs, the peak resident memory, and last the
// ratio job/direct.
#include "platform/Printer.h"
#include "printjob/PrintJob.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kRuns = 3;
// The two positions of the text, in inches from the canvas origin.
constexpr double kX1 = 1.0, kY1 = 0.5, kX2 = 4.0, kY2 = 9.0;

QString PageText(int page)
{
    return QStringLiteral("SN-%1").arg(page);
}

double PrintThroughJob(TPrintJob& job, int pages, const QString& file)
{
    Printer().SetOutputFileName(file);
    job.SetPageCount(pages);
    QElapsedTimer timer;
    timer.start();
    job.Print();
    return timer.nsecsElapsed() / 1e9;
}

double PrintDirect(const QPageLayout& layout, int resolution, int pages, const QString& file)
{
    QElapsedTimer timer;
    timer.start();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(resolution);
    printer.setPageLayout(layout);
    printer.setOutputFileName(file);
    QPainter painter(&printer);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(qRound(10.0 * resolution / 72.0));
    painter.setFont(font);
    const QFontMetrics metrics(font, &printer);
    const QPoint p1(qRound(kX1 * resolution), qRound(kY1 * resolution));
    const QPoint p2(qRound(kX2 * resolution), qRound(kY2 * resolution));
    for (int page = 1; page <= pages; ++page) {
        for (const QPoint& at : {p1, p2}) {
            const QString text = PageText(page);
            painter.fillRect(QRect(at, QSize(metrics.horizontalAdvance(text), metrics.height())), Qt::white);
            painter.drawText(at + QPoint(0, metrics.ascent()), text);
        }
        if (page != pages)
            printer.newPage();
    }
    painter.end();
    return timer.nsecsElapsed() / 1e9;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    TunePrintingAllocator();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int pages = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    QApplication application(argc, argv);

    TPrinter& printer = Printer();
    const QStringList printers = printer.Printers();
    printer.SetPrinterIndex(int(printers.indexOf(QStringLiteral("PDF"))));
    const QPageLayout layout = printer.PageLayout();
    const int resolution = printer.Resolution();

    TPrintJob job;
    job.SetTitle(QStringLiteral("Throughput"));
    job.OnDraw = [](TCustomPrintJob* sender, TCanvas* canvas, int page, TRect, TDrawArea area, TDrawTarget) {
        if (area != daBody)
            return;
        canvas->TextOut(RoundHalfEven(sender->InchesToPixels(false, kX1)),
                        RoundHalfEven(sender->InchesToPixels(true, kY1)), PageText(page));
        canvas->TextOut(RoundHalfEven(sender->InchesToPixels(false, kX2)),
                        RoundHalfEven(sender->InchesToPixels(true, kY2)), PageText(page));
    };

    QTemporaryDir dir;
    const QString jobFile = QDir(dir.path()).filePath(QStringLiteral("job.pdf"));
    const QString directFile = QDir(dir.path()).filePath(QStringLiteral("direct.pdf"));
    std::vector<double> jobTimes, directTimes;
    for (int run = 0; run < kRuns; ++run) {
        QFile::remove(jobFile);
        QFile::remove(directFile);
        jobTimes.push_back(PrintThroughJob(job, pages, jobFile));
        directTimes.push_back(PrintDirect(layout, resolution, pages, directFile));
    }
    const double jobTime = Median(jobTimes);
    const double directTime = Median(directTimes);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("pages: %d at %d dpi, median of %d runs\n", pages, resolution, kRuns);
    std::printf("job:    %.3f s (%.0f pages/s)\n", jobTime, pages / jobTime);
    std::printf("direct: %.3f s (%.0f pages/s)\n", directTime, pages / directTime);
    std::printf("job file: %lld bytes, direct file: %lld bytes\n", QFileInfo(jobFile).size(),
                QFileInfo(directFile).size());
    std::printf("peak memory: %.1f MB\n", usage.ru_maxrss / 1024.0);
    std::printf("ratio job/direct: %.2f\n", jobTime / directTime);
    return 0;
}
