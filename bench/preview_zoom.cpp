// What one paint of the preview costs at 1000 % on a screen whose resolution differs from
// the recorded page's (the page then goes through an image): a 1900 x 1000 view of letter
// paper at 600 dpi, painted onto a 192 dpi target after the page was recorded afresh.
//
// Prints the size of the replay image and per-paint statistics; the last line is
// "zoomed paint median us: N".

#include "platform/Printer.h"
#include "preview/Preview.h"
#include "printjob/PrintJob.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QRegion>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TunePrintingAllocator();
    QApplication application(argc, argv);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 20;

    TPrinter::InstallTestDevice(TDeviceCaps{600, 600, 5100, 6600, 100, 100, 4900, 6400});
    TPrintJob job;
    job.OnDraw = [&](TCustomPrintJob* sender, TCanvas* canvas, int, TRect, TDrawArea,
                     TDrawTarget) {
        canvas->Font().SetName(QStringLiteral("DejaVu Sans"));
        canvas->Font().SetSize(24);
        canvas->TextOut(RoundHalfEven(sender->InchesToPixels(false, 1.0)),
                        RoundHalfEven(sender->InchesToPixels(true, 1.0)),
                        QStringLiteral("SN-001000"));
    };

    TPreview preview;
    preview.resize(1900, 1000);
    preview.SetViewMode(vmCustom);
    preview.show();
    preview.SetPrintJob(&job);
    preview.SetViewScale(1000);
    TDrawPanel* panel = preview.DrawPanel();
    // The part of the panel inside the view: the panel sits 8 pixels into the content.
    const QRect visible(0, 0, preview.ScrollBox()->ClientWidth() - 8,
                        preview.ScrollBox()->ClientHeight() - 8);
    QImage target(visible.size(), QImage::Format_ARGB32_Premultiplied);
    target.setDotsPerMeterX(qRound(192 / 0.0254));
    target.setDotsPerMeterY(qRound(192 / 0.0254));
    std::printf("page panel %dx%d at %d%%, visible %dx%d\n", panel->width(), panel->height(),
                preview.ViewScale(), visible.width(), visible.height());

    const QPicture picture = panel->PagePicture();
    const QSize paper = panel->PaperSize();
    auto paint = [&] {
        panel->SetPagePicture(picture, paper); // as after a page was recorded afresh
        panel->render(&target, QPoint(), QRegion(visible));
    };
    paint();
    const QSize replay = panel->ReplayImageSize();
    std::printf("replay image %dx%d, %.1f MB\n", replay.width(), replay.height(),
                replay.width() * double(replay.height()) * 4 / 1e6);

    std::vector<qint64> samples;
    samples.reserve(iterations);
    QElapsedTimer timer;
    for (int i = 0; i < iterations; ++i) {
        timer.start();
        paint();
        samples.push_back(timer.nsecsElapsed());
    }
    std::sort(samples.begin(), samples.end());
    auto us = [](qint64 ns) { return ns / 1000; };
    std::printf("iterations %d, min %lld us, p90 %lld us, max %lld us\n", iterations,
                us(samples.front()), us(samples[samples.size() * 9 / 10]), us(samples.back()));
    std::printf("zoomed paint median us: %lld\n", us(samples[samples.size() / 2]));
    return 0;
}
