// What one keystroke in the main window costs the preview: the window re-binds the
// preview to its job (which lays the page out and records it afresh) and the page panel
// is painted once in full. A page-width preview of about 1900 x 1000 pixels on letter
// paper at 600 dpi, the serial text drawn twice as the program draws it.
//
// Prints per-iteration statistics; the last line is "refresh median us: N".

#include "platform/Printer.h"
#include "preview/Preview.h"
#include "printjob/PrintJob.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TunePrintingAllocator();
    QApplication application(argc, argv);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 300;

    TPrinter::InstallTestDevice(TDeviceCaps{600, 600, 5100, 6600, 100, 100, 4900, 6400});
    TPrintJob job;
    int serial = 1000;
    job.OnDraw = [&](TCustomPrintJob* sender, TCanvas* canvas, int page, TRect, TDrawArea,
                     TDrawTarget) {
        canvas->Font().SetName(QStringLiteral("DejaVu Sans"));
        canvas->Font().SetSize(24);
        const QString text = QStringLiteral("SN-%1").arg(serial + page - 1, 6, 10, QChar(u'0'));
        canvas->TextOut(RoundHalfEven(sender->InchesToPixels(false, 1.0)),
                        RoundHalfEven(sender->InchesToPixels(true, 1.0)), text);
        canvas->TextOut(RoundHalfEven(sender->InchesToPixels(false, 4.5)),
                        RoundHalfEven(sender->InchesToPixels(true, 6.0)), text);
    };

    TPreview preview;
    preview.resize(1900, 1000);
    preview.SetViewMode(vmPageWidth);
    preview.show();
    preview.SetPrintJob(&job);
    TDrawPanel* panel = preview.DrawPanel();
    QImage target(panel->size(), QImage::Format_ARGB32_Premultiplied);
    std::printf("preview %dx%d, page panel %dx%d, scale %d%%\n", preview.width(),
                preview.height(), panel->width(), panel->height(), preview.ViewScale());

    auto refresh = [&] {
        ++serial; // a keystroke changed the number
        preview.SetPrintJob(nullptr);
        preview.SetPrintJob(&job);
        QPainter painter(&target);
        panel->PaintPanel(painter);
    };
    for (int i = 0; i < 10; ++i)
        refresh();

    std::vector<qint64> samples;
    samples.reserve(iterations);
    QElapsedTimer timer;
    for (int i = 0; i < iterations; ++i) {
        timer.start();
        refresh();
        samples.push_back(timer.nsecsElapsed());
    }
    std::sort(samples.begin(), samples.end());
    auto us = [](qint64 ns) { return ns / 1000; };
    std::printf("iterations %d, min %lld us, p90 %lld us, max %lld us\n", iterations,
                us(samples.front()), us(samples[samples.size() * 9 / 10]), us(samples.back()));
    std::printf("refresh median us: %lld\n", us(samples[samples.size() / 2]));
    return 0;
}
