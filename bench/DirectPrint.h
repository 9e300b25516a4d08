#pragma once

// The direct loop the print benchmarks compare against: what the serial drawing does
// per page, written straight against QPrinter and QPainter.
#include <QFile>
#include <QFontMetrics>
#include <QElapsedTimer>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <vector>

namespace bench {

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// What the window's drawing does per page, written straight against QPainter: a font of
// 24 points at the printer's resolution, each text in a white cell at its top-left point.
inline double printDirectly(int pages, const QString& file, QPoint first, QPoint second)
{
    QFile::remove(file);
    QElapsedTimer timer;
    timer.start();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(600);
    printer.setOutputFileName(file);
    QPainter painter(&printer);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(24 * 600 / 72);
    painter.setFont(font);
    painter.setBackground(Qt::white);
    painter.setBackgroundMode(Qt::OpaqueMode);
    const QFontMetrics metrics(font, &printer);
    for (int page = 1; page <= pages; ++page) {
        const QString text = QStringLiteral("A-%1/B").arg(page);
        for (QPoint at : { first, second })
            painter.drawText(at.x(), at.y() + metrics.ascent(), text);
        if (page < pages)
            printer.newPage();
    }
    painter.end();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace bench
