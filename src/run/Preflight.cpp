#include "run/Preflight.h"

#include "platform/Canvas.h"
#include "platform/Printer.h"

#include <QCoreApplication>
#include <QImage>
#include <QLocale>
#include <QPainter>

#include <algorithm>

namespace {

// The texts of one page that stand outside the printable area.
QList<QRect> Outside(TCustomPrintJob& job, const serial::SerialPage& page, int pageIndex)
{
    if (!job.PrinterInstalled())
        return {};
    const TDeviceCaps caps = Printer().DeviceCaps();
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter painter(&scratch);
    TCanvas canvas(&painter);
    canvas.Font().SetPixelsPerInch(job.PrinterPixelsPerInchY());
    const QRect printable(0, 0, caps.HorzRes, caps.VertRes);
    QList<QRect> outside;
    for (const QRect& box : serial::SerialBoxes(job, canvas, pageIndex, page))
        if (!printable.contains(box))
            outside << box;
    return outside;
}

} // namespace

TPreflight CheckRun(TCustomPrintJob& job, const serial::SerialPage& page, int count, const QList<TJournalRecord>& runs)
{
    TPreflight result;
    count = std::max(1, count);
    const qint64 first = page.StartingNumber;
    const qint64 last = first + count - 1;
    const auto serialText = [&](int pageIndex) {
        return serial::SerialText(page.Prefix, page.StartingNumber, pageIndex, page.Suffix, page.Digits);
    };

    result.outside = Outside(job, page, 1);
    const QList<QRect> lastOutside = count > 1 ? Outside(job, page, count) : QList<QRect>();
    if (!result.outside.isEmpty() || !lastOutside.isEmpty())
        result.warnings << TPreflightWarning { TPreflightWarning::Kind::Outside,
                                               QCoreApplication::translate("Preflight", "%1 does not fit on the printable area of the page")
                                                   .arg(serialText(result.outside.isEmpty() ? count : 1)) };
    if (last > std::numeric_limits<qint32>::max())
        result.warnings << TPreflightWarning { TPreflightWarning::Kind::Wrap,
                                               QCoreApplication::translate("Preflight", "The run passes 2147483647 and goes on from -2147483648") };
    const QString firstNumber = serial::NumberText(qint32(first), page.Digits);
    const QString lastNumber = serial::NumberText(serial::SerialNumber(page.StartingNumber, count), page.Digits);
    if (page.Digits == 0 && firstNumber.size() != lastNumber.size())
        result.warnings << TPreflightWarning { TPreflightWarning::Kind::WidthChange,
                                               QCoreApplication::translate("Preflight", "The numbers change width within the run (%1 to %2)")
                                                   .arg(firstNumber, lastNumber) };
    for (const TJournalRecord& run : runs) {
        if (!run.first || !run.last || *run.last < first || *run.first > last)
            continue;
        result.warnings << TPreflightWarning {
            TPreflightWarning::Kind::Overlap,
            QCoreApplication::translate("Preflight", "Serials %1 to %2 were printed already by the run of %3")
                .arg(std::max<qint64>(first, *run.first))
                .arg(std::min<qint64>(last, *run.last))
                .arg(QLocale().toString(run.started.toLocalTime(), QLocale::ShortFormat)) };
        break; // the newest is named; one is reason enough to ask
    }
    return result;
}

QList<std::pair<qint64, qint64>> Unprinted(const QList<TJournalRecord>& runs, qint64 first, qint64 last)
{
    QList<std::pair<qint64, qint64>> printed;
    for (const TJournalRecord& run : runs)
        if (run.kind != TRunKind::Reprint && run.first && run.last)
            printed.append({ *run.first, *run.last });
    std::sort(printed.begin(), printed.end());
    QList<std::pair<qint64, qint64>> gaps;
    qint64 next = first;
    for (const auto& [from, to] : printed) {
        if (to < next)
            continue;
        if (from > last)
            break;
        if (from > next)
            gaps.append({ next, std::min(from - 1, last) });
        next = std::max(next, to + 1);
        if (next > last)
            break;
    }
    if (next <= last)
        gaps.append({ next, last });
    return gaps;
}
