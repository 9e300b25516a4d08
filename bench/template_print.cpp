// Sheets a second printing to PDF over a one-page artwork template against the same run
// without it, both through the serial run as the program prints.
//
//   template_print [sheets]      (default 10000)
//
// Prints the median time of each over a few runs, their ratio (at most 2x is the aim),
// and the file's size against the template's size plus 400 bytes a sheet.
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
#include <vector>

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

} // namespace

int main(int argc, char* argv[])
{
    TunePrintingAllocator();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int sheets = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
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
    const TSerialRun::TRunArtwork artwork { pdftemplate::Load(templateFile, 1), ticket::TTemplateScope::Sheet };

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
