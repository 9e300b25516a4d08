#include "run/Preflight.h"

#include "platform/Canvas.h"
#include "platform/Printer.h"
#include "ticket/Barcode.h"
#include "ticket/DataRows.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <limits>
#include <set>

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

// The serials first, first + step, ... up to last that no print shows as printed, as
// ranges of them ("105 to 125": 105, 115, 125), for runs of any step. Last below first
// goes on past 2147483647 from -2147483648, and so may a range.
QList<std::pair<qint64, qint64>> UnprintedSteps(const QList<TJournalRecord>& runs, qint64 first, qint64 last, int step)
{
    const auto serial32 = [](qint64 n) { return n >= std::numeric_limits<qint32>::min() && n <= std::numeric_limits<qint32>::max(); };
    if (!serial32(first) || !serial32(last))
        return {};
    const qint64 count = qint64(quint32(qint32(last)) - quint32(qint32(first))) / step + 1;
    const ticket::TSerialSpan reprint { qint32(first), count, step };
    // The indices of the serials printed, as stretches; a run whose serials fall on every
    // few of ours adds each, up to a bound past which it counts as printing none of them
    // (the safe side: asked as never printed).
    constexpr qint64 kMostSingles = 100000;
    qint64 singles = 0;
    QList<std::pair<qint64, qint64>> printed;
    for (const TJournalRecord& run : runs) {
        if (run.kind == TRunKind::Reprint || !run.first || !run.last)
            continue;
        const qint64 runStep = qMax(1, run.step);
        const ticket::TSerialSpan theirs { *run.first, qint64(quint32(*run.last) - quint32(*run.first)) / runStep + 1, runStep };
        const std::optional<ticket::TSharedIndices> shared = ticket::SharedIndices(reprint, theirs);
        if (!shared)
            continue;
        if (shared->period == 1) {
            printed.append({ shared->first, shared->last });
        } else if ((singles += (shared->last - shared->first) / shared->period + 1) <= kMostSingles) {
            for (qint64 i = shared->first; i <= shared->last; i += shared->period)
                printed.append({ i, i });
        }
    }
    std::sort(printed.begin(), printed.end());
    QList<std::pair<qint64, qint64>> gaps;
    qint64 next = 0;
    const auto gap = [&](qint64 from, qint64 to) {
        gaps.append({ ticket::NthSerial(qint32(first), from, step), ticket::NthSerial(qint32(first), to, step) });
    };
    for (const auto& [from, to] : printed) {
        if (from > next)
            gap(next, from - 1);
        next = std::max(next, to + 1);
    }
    if (next < count)
        gap(next, count - 1);
    return gaps;
}

} // namespace

bool OffPrintable(const QRectF& ticket, const QSizeF& printable)
{
    constexpr double kSlack = 1e-6; // inches: a grid that fills the area exactly fits
    const QRectF area = QRectF(QPointF(0, 0), printable).adjusted(-kSlack, -kSlack, kSlack, kSlack);
    return ticket.width() <= 0 || ticket.height() <= 0 || !area.contains(ticket);
}

bool CutMarksOff(const ticket::TSheetLayout& layout, const ticket::TPageArea& area, const QPointF& offset)
{
    constexpr double kSlack = 1e-6;
    const QRectF printable = QRectF(QPointF(0, 0), area.printable.size()).adjusted(-kSlack, -kSlack, kSlack, kSlack);
    const QList<QLineF> marks = ticket::CutMarkLines(layout, area);
    return std::any_of(marks.begin(), marks.end(), [&](const QLineF& mark) {
        return !printable.contains(mark.p1() + offset) || !printable.contains(mark.p2() + offset);
    });
}

QList<TOverlap> Overlapping(const QList<TJournalRecord>& runs, const serial::SerialPage& page, qint64 count, bool anyText)
{
    // Serials on the 32-bit circle the serials wrap around: a run from 2147483600 on goes
    // on at -2147483648, and its numbers are still its own. Runs step apart share only the
    // serials both print (100, 110, ... and 105, 115, ... share none).
    constexpr quint64 circle = quint64(1) << 32;
    const qint64 step = qMax(1, page.Step);
    const ticket::TSerialSpan ours { page.StartingNumber, std::clamp<qint64>(count, 1, qint64((circle - 1) / quint64(step) + 1)), step };
    QList<TOverlap> overlaps;
    for (const TJournalRecord& run : runs) {
        if (!run.first || !run.last || run.kind == TRunKind::Reprint || run.kind == TRunKind::Calibration
            || (!anyText && (run.prefix != page.Prefix || run.suffix != page.Suffix)))
            continue;
        const qint64 runStep = qMax(1, run.step);
        const qint64 runReach = qint64(quint32(*run.last) - quint32(*run.first)); // last - first on the circle
        const ticket::TSerialSpan theirs { *run.first, runReach / runStep + 1, runStep };
        const std::optional<ticket::TSharedIndices> shared = ticket::SharedIndices(ours, theirs);
        if (!shared)
            continue;
        overlaps << TOverlap { run, serial::SerialNumber(page.StartingNumber, qint32(shared->first + 1), qint32(step)),
                               serial::SerialNumber(page.StartingNumber, qint32(shared->last + 1), qint32(step)) };
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

namespace {

// The grid of a sheet of tickets: tickets off the printable area, tickets on top of each
// other, serials that do not fit on their ticket. Boxes outside the printable area go to
// `outside`, for the preview.
void CheckSheet(TCustomPrintJob& job, const serial::SerialPage& page, const ticket::TSheetLayout& layout,
                TPreflight& result)
{
    const auto inches = [](double value) { return QString::number(value, 'f', 2); };
    if ((layout.GapX < 0 && layout.Columns > 1) || (layout.GapY < 0 && layout.Rows > 1))
        result.warnings << TPreflightWarning { TPreflightWarning::Kind::TicketsOverlap,
                                               QCoreApplication::translate("Preflight", "The tickets overlap: the gaps between them are negative (%1 in across, %2 in down)")
                                                   .arg(inches(layout.GapX), inches(layout.GapY)) };
    if (!job.PrinterInstalled())
        return;
    const TDeviceCaps caps = Printer().DeviceCaps();
    if (caps.LogPixelsX <= 0 || caps.LogPixelsY <= 0)
        return;
    const ticket::TPageArea pageArea = serial::PageArea();
    const QSizeF printable = pageArea.printable.size();
    const bool onPaper = layout.Origin == ticket::TOrigin::Paper;
    const QPointF corner = pageArea.printable.topLeft();
    for (int slot = 0; slot < layout.Slots(); ++slot) {
        const QRectF rect = ticket::SlotRect(layout, slot, pageArea);
        if (!OffPrintable(rect, printable))
            continue;
        // Said as the layout measures: from the paper's corner or the printable area's.
        const QRectF paperRect = rect.translated(corner);
        result.warnings << TPreflightWarning {
            TPreflightWarning::Kind::TicketOutside,
            onPaper ? QCoreApplication::translate("Preflight", "Ticket %1 of the sheet (%2 x %3 in at %4, %5 in from the paper's corner) does not fit on the printable area of the page (%6 x %7 in at %8, %9 in)")
                          .arg(slot + 1)
                          .arg(inches(paperRect.width()), inches(paperRect.height()), inches(paperRect.left()), inches(paperRect.top()),
                               inches(printable.width()), inches(printable.height()), inches(corner.x()), inches(corner.y()))
                    : QCoreApplication::translate("Preflight", "Ticket %1 of the sheet (%2 x %3 in at %4, %5 in) does not fit on the printable area of the page (%6 x %7 in)")
                          .arg(slot + 1)
                          .arg(inches(rect.width()), inches(rect.height()), inches(rect.left()), inches(rect.top()),
                               inches(printable.width()), inches(printable.height()))
        };
        break;
    }
    // The guillotine goes by the marks: one the printer cannot print is a cut nobody sees.
    if (CutMarksOff(layout, pageArea, page.Offset))
        result.warnings << TPreflightWarning { TPreflightWarning::Kind::CutMarksOutside,
                                               QCoreApplication::translate("Preflight", "Cut marks fall off the printable area of the page (%1 x %2 in at %3, %4 in from the paper's corner): those outside it do not print")
                                                   .arg(inches(printable.width()), inches(printable.height()), inches(corner.x()), inches(corner.y())) };
    // The serial's boxes with the ticket's corner as origin, against the ticket.
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter painter(&scratch);
    TCanvas canvas(&painter);
    canvas.Font().SetPixelsPerInch(job.PrinterPixelsPerInchY());
    const QRectF first = ticket::SlotRect(layout, 0, pageArea);
    const QRect ticketBox(0, 0, qRound(first.width() * caps.LogPixelsX), qRound(first.height() * caps.LogPixelsY));
    const QList<QRect> boxes = serial::SerialBoxes(job, canvas, 1, page);
    for (const QRect& box : boxes)
        if (!ticketBox.contains(box)) {
            result.warnings << TPreflightWarning { TPreflightWarning::Kind::OffTicket,
                                                   QCoreApplication::translate("Preflight", "%1 at %2, %3 in does not fit on its ticket (%4 x %5 in)")
                                                       .arg(serial::SerialText(page, 1))
                                                       .arg(inches(double(box.left()) / caps.LogPixelsX), inches(double(box.top()) / caps.LogPixelsY),
                                                            inches(first.width()), inches(first.height())) };
            break;
        }
    const QRect printableBox(0, 0, caps.HorzRes, caps.VertRes);
    for (int slot = 0; slot < layout.Slots(); ++slot) {
        const QRectF rect = ticket::SlotRect(layout, slot, pageArea);
        const QPoint offset = serial::DevicePoint(rect.left() * caps.LogPixelsX, rect.top() * caps.LogPixelsY);
        for (const QRect& box : boxes)
            if (!printableBox.contains(box.translated(offset)))
                result.outside << box.translated(offset);
    }
}

// A code cut off at the edge of the printable area or of its ticket reads wrong or not
// at all: every barcode item's box, turned, must lie on its ticket (the printable area on
// a one-ticket page).
void CheckCodesFit(TCustomPrintJob& job, const serial::SerialPage& page, const ticket::TSheetLayout& layout,
                   TPreflight& result)
{
    if (page.Items.isEmpty() || !job.PrinterInstalled())
        return;
    const ticket::TPageArea pageArea = serial::PageArea();
    const QSizeF printable = pageArea.printable.size();
    if (printable.isEmpty())
        return;
    const QSizeF ticketSize = layout.IsDefault() ? printable : ticket::SlotRect(layout, 0, pageArea).size();
    constexpr double kSlack = 1e-6;
    const QRectF ticketBox = QRectF(QPointF(0, 0), ticketSize).adjusted(-kSlack, -kSlack, kSlack, kSlack);
    const auto inches = [](double value) { return QString::number(value, 'f', 2); };
    for (int index = 0; index < page.Items.size(); ++index) {
        const ticket::TTicketItem& item = page.Items[index];
        if (item.Kind != ticket::TItemKind::Barcode)
            continue;
        const double side = std::min(item.Width, item.Height);
        const QSizeF size = ticket::IsTwoDimensional(item.Symbology) ? QSizeF(side, side) : QSizeF(item.Width, item.Height);
        const QRectF box = QTransform().rotate(item.Rotation).mapRect(QRectF(QPointF(0, 0), size)).translated(item.Left, item.Top);
        if (ticketBox.contains(box))
            continue;
        const QString where = QCoreApplication::translate("Preflight", "Item %1 (%2 x %3 in at %4, %5 in)")
                                  .arg(index + 3)
                                  .arg(inches(box.width()), inches(box.height()), inches(box.left()), inches(box.top()));
        result.warnings << (layout.IsDefault()
                                ? TPreflightWarning { TPreflightWarning::Kind::Outside,
                                                      QCoreApplication::translate("Preflight", "%1 does not fit on the printable area of the page").arg(where) }
                                : TPreflightWarning { TPreflightWarning::Kind::OffTicket,
                                                      QCoreApplication::translate("Preflight", "%1 does not fit on its ticket (%2 x %3 in)")
                                                          .arg(where, inches(ticketSize.width()), inches(ticketSize.height())) });
    }
}

} // namespace

TPreflight CheckRun(TCustomPrintJob& job, const serial::SerialPage& page, int count, const QList<TJournalRecord>& runs,
                    const ticket::TSheetLayout& layout)
{
    TPreflight result;
    if (!layout.IsDefault()) {
        CheckSheet(job, page, layout, result);
        // The whole grid is checked there, every ticket the run's first serial.
        if (!result.outside.isEmpty())
            result.warnings << TPreflightWarning { TPreflightWarning::Kind::Outside,
                                                   QCoreApplication::translate("Preflight", "%1 does not fit on the printable area of the page")
                                                       .arg(serial::SerialText(page, 1)) };
    }
    // Cut and stacked, each pile is a book only when it holds a book's tickets from the
    // book's first number on.
    if (page.BookSize > 0 && layout.Order == ticket::TOrder::Stack
        && (layout.StackDepth != page.BookSize || !ticket::BookPlace(page.StartingNumber, page.BookSize, page.BookFirst)
            || ticket::BookPlace(page.StartingNumber, page.BookSize, page.BookFirst)->inBook != 1))
        result.warnings << TPreflightWarning { TPreflightWarning::Kind::BooksAndPiles,
                                               QCoreApplication::translate("Preflight", "The piles are not whole books: a pile of %1 sheets from %2 against books of %3 from %4")
                                                   .arg(layout.StackDepth)
                                                   .arg(serial::SerialText(page, 1))
                                                   .arg(page.BookSize)
                                                   .arg(page.BookFirst) };
    // A copy without a name prints an empty {part}; a name without a copy never prints.
    if (!page.PartNames.isEmpty() && page.PartNames.size() != layout.Copies)
        result.warnings << TPreflightWarning { TPreflightWarning::Kind::PartNames,
                                               QCoreApplication::translate("Preflight", "There are %1 part names for %2 copies of each sheet")
                                                   .arg(page.PartNames.size())
                                                   .arg(layout.Copies) };
    count = std::max(1, count);
    const qint64 first = page.StartingNumber;
    const qint64 last = first + qint64(count - 1) * qMax(1, page.Step);
    const auto serialText = [&](int pageIndex) { return serial::SerialText(page, pageIndex); };

    if (layout.IsDefault())
        result.outside = Outside(job, page, 1);
    const QList<QRect> lastOutside = count > 1 && layout.IsDefault() ? Outside(job, page, count) : QList<QRect>();
    if (layout.IsDefault() && (!result.outside.isEmpty() || !lastOutside.isEmpty()))
        result.warnings << TPreflightWarning { TPreflightWarning::Kind::Outside,
                                               QCoreApplication::translate("Preflight", "%1 does not fit on the printable area of the page")
                                                   .arg(serialText(result.outside.isEmpty() ? count : 1)) };
    if (last > std::numeric_limits<qint32>::max())
        result.warnings << TPreflightWarning { TPreflightWarning::Kind::Wrap,
                                               QCoreApplication::translate("Preflight", "The run passes 2147483647 and goes on from -2147483648") };
    const QString firstNumber = serial::NumberText(qint32(first), page.Digits);
    const QString lastNumber = serial::NumberText(serial::SerialNumber(page.StartingNumber, count, page.Step), page.Digits);
    if (firstNumber.size() != lastNumber.size()) {
        // Padded numbers, items and artwork are laid out for one width; a plain number
        // simply grows.
        const bool fixedBoxes = page.Digits > 0 || !page.Items.isEmpty() || page.OnArtwork;
        result.warnings << TPreflightWarning { TPreflightWarning::Kind::WidthChange,
                                               QCoreApplication::translate("Preflight", "The numbers change width within the run (%1 to %2)")
                                                   .arg(firstNumber, lastNumber),
                                               !fixedBoxes };
    }
    if (const QList<TOverlap> overlaps = Overlapping(runs, page, count); !overlaps.isEmpty())
        result.warnings << TPreflightWarning { TPreflightWarning::Kind::Overlap, OverlapText(overlaps) };
    if (const QString problem = UnencodableItem(page, count); !problem.isEmpty())
        result.warnings.prepend(TPreflightWarning { TPreflightWarning::Kind::Unencodable, problem });
    CheckCodesFit(job, page, layout, result);
    return result;
}

QString UnencodableItem(const serial::SerialPage& page, qint64 count)
{
    const bool anyCode = std::any_of(page.Items.begin(), page.Items.end(),
                                     [](const ticket::TTicketItem& item) { return item.Kind == ticket::TItemKind::Barcode; });
    if (!anyCode)
        return {};
    count = std::clamp<qint64>(count, 1, qint64(1) << 32);
    // Page indexes (from 1) whose serials stand for the whole run.
    std::set<qint64> pages { 1, count };
    const auto add = [&](qint64 number) {
        if (number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<qint32>::max())
            return;
        // Where the number lies in the run, on the circle the serials wrap around.
        // With a step, the serials on either side of it.
        const qint64 offset = qint64(quint32(qint32(number)) - quint32(page.StartingNumber)) / qMax(1, page.Step);
        for (const qint64 index : { offset, offset + 1 })
            if (index < count)
                pages.insert(index + 1);
    };
    add(0);
    add(-1);
    for (qint64 power = 10; power <= std::numeric_limits<qint32>::max(); power *= 10)
        for (const qint64 number : { power, power - 1, -power, -(power - 1) })
            add(number);
    std::set<qint64> first;
    for (qint64 index = 1; index <= std::min<qint64>(count, 20); ++index)
        first.insert(index);
    for (int index = 0; index < page.Items.size(); ++index) {
        const ticket::TTicketItem& item = page.Items[index];
        if (item.Kind != ticket::TItemKind::Barcode)
            continue;
        std::set<qint64> serials = pages;
        if (item.Symbology == ticket::TSymbology::EAN13)
            serials.insert(first.begin(), first.end());
        for (const qint64 pageIndex : serials) {
            QString problem;
            if (!ticket::EncodeBarcode(item.Symbology, serial::ItemValue(page, item, int(qint32(pageIndex))), false, &problem))
                return serial::ItemError(index, problem);
        }
    }
    return {};
}

QList<std::pair<qint64, qint64>> Unprinted(const QList<TJournalRecord>& runs, qint64 first, qint64 last, int step)
{
    if (step > 1 || std::any_of(runs.begin(), runs.end(), [](const TJournalRecord& run) { return run.step > 1; }))
        return UnprintedSteps(runs, first, last, qMax(1, step));
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

QString DataProblem(const serial::SerialPage& page, qint64 count)
{
    if (!page.Data)
        return {};
    const ticket::TDataTable& table = *page.Data;
    const QString file = QDir::toNativeSeparators(page.DataFile);
    for (int index = 0; index < page.Items.size(); ++index)
        for (const QString& column : ticket::DataColumns(page.Items[index].Text))
            if (table.Column(column) < 0)
                return serial::ItemError(index, QCoreApplication::translate("Preflight", "the data file %1 has no column '%2'").arg(file, column));
    // Rows stand for DataFirst .. DataFirst + rows - 1; the serials climb from the first
    // (one past 2147483647 wraps below every row).
    const qint64 step = qMax(1, page.Step);
    const qint64 first = page.StartingNumber;
    const qint64 lowest = page.DataFirst;
    const qint64 highest = lowest + table.Rows() - 1;
    qint64 missing = -1; // the ticket, from 0
    if (first < lowest || first > highest)
        missing = 0;
    else if (first + (qMax<qint64>(1, count) - 1) * step > highest)
        missing = (highest - first) / step + 1;
    if (missing < 0)
        return {};
    const QString serial = serial::SerialText(page, qint32(missing + 1));
    return table.Rows() == 0
        ? QCoreApplication::translate("Preflight", "Serial %1 has no row in the data file %2, which has none").arg(serial, file)
        : QCoreApplication::translate("Preflight", "Serial %1 has no row in the data file %2, whose rows are numbers %3 to %4")
              .arg(serial, file)
              .arg(lowest)
              .arg(highest);
}
