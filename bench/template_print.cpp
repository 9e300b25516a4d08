// Sheets a second printing to PDF over a one-page artwork template against the same run
// without it, both through the serial run as the program prints.
//
//   template_print [sheets]          (default 10000)
//   template_print --peak [sheets]   (default 100000)
//
// Prints the median time of each over a few runs, their ratio (at most 2x is the aim),
// and the file's size against the template's size plus 400 bytes a sheet. With --peak,
// each is printed once in a process of its own, whose peak memory is the figure.
#include "BenchRun.h"
#include "DirectPrint.h"
#include "platform/PdfTemplate.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

constexpr int kRuns = 3;

// A page of artwork as a designer's might be: a headline, shapes and a picture.
void MakeTemplate(const QString& path, const QSizeF& points)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF());
    writer.setResolution(72);
    QPainter painter(&writer);
    for (int i = 0; i < 20; ++i)
        painter.fillRect(QRectF(36 + i * 12, 36 + i * 30, 300, 20), QColor(10 * i, 80, 200 - 8 * i));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(28);
    painter.setFont(font);
    painter.drawText(QPointF(72, 700), QStringLiteral("Admit one - Grand Hall"));
    QImage image(256, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            image.setPixel(x, y, qRgb(x, y, (x * y) & 0xFF));
    painter.drawImage(QRectF(300, 400, 200, 200), image);
}

// Runs this program on one run of `kind` ("plain" or "template") and reports its peak
// resident memory and its time, as the kernel counted them for that process alone.
int MeasureApart(const char* self, const char* kind, int sheets)
{
    const std::string count = std::to_string(sheets);
    char* arguments[] = { const_cast<char*>(self), const_cast<char*>("--once"), const_cast<char*>(kind), const_cast<char*>(count.c_str()), nullptr };
    pid_t child = 0;
    if (posix_spawn(&child, self, nullptr, nullptr, arguments, environ) != 0) {
        std::perror("template_print: posix_spawn");
        return 1;
    }
    int status = 0;
    rusage usage {};
    QElapsedTimer timer;
    timer.start();
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "template_print: the %s run failed\n", kind);
        return 1;
    }
    std::printf("%-9s %d sheets: peak %.1f MB, %.2f s (process, with start-up)\n", kind, sheets, usage.ru_maxrss / 1024.0,
                timer.nsecsElapsed() / 1e9);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--peak") == 0) {
        const int sheets = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100000;
        return MeasureApart(argv[0], "plain", sheets) || MeasureApart(argv[0], "template", sheets);
    }
    // One run of one kind, for --peak.
    const char* once = argc > 3 && std::strcmp(argv[1], "--once") == 0 ? argv[2] : nullptr;
    TunePrintingAllocator();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int sheets = once ? std::max(1, std::atoi(argv[3])) : argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    QApplication application(argc, argv);
    TBenchRun bench;
    TSerialRun& run = bench.Run();
    TPrinter& printer = Printer();
    serial::SerialPage page;
    page.StartingNumber = 1;
    page.Prefix = QStringLiteral("SN-");
    page.HorizontalIndent = 5;
    page.VerticalIndent = 1;
    page.HorizontalIndent2 = 5;
    page.VerticalIndent2 = 8;

    const TDeviceCaps caps = printer.DeviceCaps();
    const QString templateFile = bench.Path(QStringLiteral("artwork.pdf"));
    MakeTemplate(templateFile, QSizeF(caps.PhysicalWidth * 72.0 / caps.LogPixelsX, caps.PhysicalHeight * 72.0 / caps.LogPixelsY));
    const TSerialRun::TRunArtwork artwork { pdftemplate::Load(templateFile, 1), ticket::TTemplateScope::Sheet, QPointF() };

    const auto time = [&](bool withTemplate, const QString& name) {
        const QString file = bench.Path(name);
        QFile::remove(file);
        printer.SetOutputFileName(file);
        run.Artwork.reset();
        if (withTemplate)
            run.Artwork = artwork;
        QElapsedTimer timer;
        timer.start();
        const std::optional<TSerialRun::Outcome> outcome = run.Print(page, sheets, TRunKind::PrintNoAdvance, QString());
        const double seconds = timer.nsecsElapsed() / 1e9;
        if (!outcome || outcome->delivered != sheets) {
            std::fprintf(stderr, "template_print: the run of %s did not complete\n", qPrintable(name));
            std::exit(1);
        }
        return seconds;
    };
    if (once) {
        const bool withTemplate = std::strcmp(once, "template") == 0;
        time(withTemplate, withTemplate ? QStringLiteral("template.pdf") : QStringLiteral("plain.pdf"));
        return 0;
    }
    std::vector<double> plainTimes, templateTimes;
    for (int i = 0; i < kRuns; ++i) {
        plainTimes.push_back(time(false, QStringLiteral("plain.pdf")));
        templateTimes.push_back(time(true, QStringLiteral("template.pdf")));
    }
    const double plain = bench::median(plainTimes);
    const double withTemplate = bench::median(templateTimes);
    const qint64 templateSize = QFileInfo(templateFile).size();
    const qint64 plainSize = QFileInfo(bench.Path(QStringLiteral("plain.pdf"))).size();
    const qint64 size = QFileInfo(bench.Path(QStringLiteral("template.pdf"))).size();
    const qint64 budget = templateSize + 400LL * sheets;
    std::printf("without template: %d sheets: %.3f s (%.0f sheets/s), %lld bytes\n", sheets, plain, sheets / plain,
                static_cast<long long>(plainSize));
    std::printf("with template:    %d sheets: %.3f s (%.0f sheets/s), %lld bytes\n", sheets, withTemplate,
                sheets / withTemplate, static_cast<long long>(size));
    std::printf("ratio with/without: %.2fx\n", withTemplate / plain);
    std::printf("file: %lld bytes, template %lld + 400 x %d sheets = %lld (%s)\n", static_cast<long long>(size),
                static_cast<long long>(templateSize), sheets, static_cast<long long>(budget),
                size <= budget ? "within" : "over");
    return 0;
}
