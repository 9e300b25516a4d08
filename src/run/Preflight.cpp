#include "run/Preflight.h"

#include "platform/Canvas.h"
#include "platform/Printer.h"

#include <QCoreApplication>
#include <QImage>
#include <QLocale>
#include <QPainter>

#include <algorithm>
#include <limits>

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

// A range of serials as stretches of the number line: first..last itself, or, when it
// passes 2147483647 (last below first), up to there and on from -2147483648.
QList<std::pair<qint64, qint64>> Stretches(qint32 first, qint32 last)
{
    if (first <= last)
        return { { first, last } };
    return { { first, std::numeric_limits<qint32>::max() }, { std::numeric_limits<qint32>::min(), last } };
}

} // namespace

QList<TOverlap> Overlapping(const QList<TJournalRecord>& runs, const serial::SerialPage& page, qint64 count, bool anyText)
{
    // Ranges on the 32-bit circle the serials wrap around: a run from 2147483600 on
    // goes on at -2147483648, and its numbers are still its own.
    constexpr quint64 circle = quint64(1) << 32;
    const quint64 length = quint64(std::clamp<qint64>(count, 1, qint64(circle)));
    QList<TOverlap> overlaps;
    for (const TJournalRecord& run : runs) {
        if (!run.first || !run.last || run.kind == TRunKind::Reprint || run.kind == TRunKind::Calibration
            || (!anyText && (run.prefix != page.Prefix || run.suffix != page.Suffix)))
            continue;
        const quint64 runLength = (quint64(qint64(*run.last) - *run.first) & (circle - 1)) + 1;
        const quint64 ahead = quint64(qint64(*run.first) - page.StartingNumber) & (circle - 1);
        const quint64 behind = quint64(qint64(page.StartingNumber) - *run.first) & (circle - 1);
        quint64 from = 0;
        quint64 shared = 0;
        if (ahead < length) {
            from = ahead;
            shared = std::min(runLength, length - ahead);
        } else if (behind < runLength) {
            shared = std::min(length, runLength - behind);
        } else {
            continue;
        }
        overlaps << TOverlap { run, serial::SerialNumber(page.StartingNumber, qint32(from + 1)),
                               serial::SerialNumber(page.StartingNumber, qint32(from + shared)) };
    }
    return overlaps;
}

QString OverlapText(const QList<TOverlap>& overlaps)
{
    QStringList lines;
    for (const TOverlap& overlap : overlaps) {
        QString where = overlap.run.job > 0 ? QCoreApplication::translate("Preflight", "%1 job %2").arg(overlap.run.printer).arg(overlap.run.job)
                                            : overlap.run.output.isEmpty() ? overlap.run.printer : overlap.run.output;
        lines << QCoreApplication::translate("Preflight", "Serials %1 to %2 were printed already by the run of %3 (%4 on %5, %6)")
                     .arg(overlap.from)
                     .arg(overlap.to)
                     .arg(QLocale().toString(overlap.run.started.toLocalTime(), QLocale::ShortFormat), overlap.run.user,
                          overlap.run.host, where);
    }
    return lines.join(QLatin1Char('\n'));
}

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
    if (const QList<TOverlap> overlaps = Overlapping(runs, page, count); !overlaps.isEmpty())
        result.warnings << TPreflightWarning { TPreflightWarning::Kind::Overlap, OverlapText(overlaps) };
    return result;
}

QList<std::pair<qint64, qint64>> Unprinted(const QList<TJournalRecord>& runs, qint64 first, qint64 last)
{
    if (first > last && first <= std::numeric_limits<qint32>::max() && last >= std::numeric_limits<qint32>::min())
        return Unprinted(runs, first, std::numeric_limits<qint32>::max())
            + Unprinted(runs, std::numeric_limits<qint32>::min(), last); // across the wrap
    QList<std::pair<qint64, qint64>> printed;
    for (const TJournalRecord& run : runs)
        if (run.kind != TRunKind::Reprint && run.first && run.last)
            printed.append(Stretches(*run.first, *run.last));
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
