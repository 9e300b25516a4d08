#include "run/SeriesSummary.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

constexpr qint64 kCircle = qint64(1) << 32;
constexpr qsizetype kUnaccountedShown = 5;

// A stretch of the series by offsets from its first number, both ends included.
struct Stretch {
    qint64 from = 0;
    qint64 to = 0;
    TSeriesSummary::Category category = TSeriesSummary::Printed;
};

// The numbers a..b on the circle (b below a: across the wrap), and `extra` more after b
// (the numbers a step passes over after the last serial).
struct Numbers {
    qint32 first = 0;
    qint64 count = 0;
};
Numbers NumbersOf(qint32 first, qint32 last, int step = 1)
{
    return { first, qMin(kCircle, qint64(quint32(last) - quint32(first)) + qMax(1, step)) };
}

class Series {
public:
    Series(qint32 first, qint32 last)
        : first_(first)
        , size_(qint64(quint32(last) - quint32(first)) + 1)
    {
    }
    qint64 Size() const { return size_; }
    qint64 Offset(qint32 number) const { return qint64(quint32(number) - quint32(first_)); }
    qint32 Number(qint64 offset) const { return qint32(quint32(first_) + quint32(offset)); }

    // The numbers as stretches of the series (none, one, or two when they pass its end
    // and go on from its start), clipped to it.
    QList<Stretch> Clip(const Numbers& numbers, TSeriesSummary::Category category) const
    {
        QList<Stretch> out;
        const qint64 from = Offset(numbers.first);
        const qint64 to = from + numbers.count - 1;
        const auto add = [&](qint64 a, qint64 b) {
            b = qMin(b, size_ - 1);
            if (a <= b)
                out.append({ a, b, category });
        };
        add(from, qMin(to, kCircle - 1));
        if (to >= kCircle)
            add(0, to - kCircle);
        return out;
    }

private:
    qint32 first_;
    qint64 size_;
};

// `pieces` less `holes` (each sorted or not; holes of any category).
QList<Stretch> Without(const QList<Stretch>& pieces, QList<Stretch> holes)
{
    std::sort(holes.begin(), holes.end(), [](const Stretch& a, const Stretch& b) { return a.from < b.from; });
    QList<Stretch> out;
    for (Stretch piece : pieces) {
        for (const Stretch& hole : holes) {
            if (hole.to < piece.from || hole.from > piece.to)
                continue;
            if (hole.from > piece.from)
                out.append({ piece.from, hole.from - 1, piece.category });
            piece.from = hole.to + 1;
            if (piece.from > piece.to)
                break;
        }
        if (piece.from <= piece.to)
            out.append(piece);
    }
    return out;
}

bool TakesNumbers(const TJournalRecord& run)
{
    return run.kind != TRunKind::Reprint && run.kind != TRunKind::Calibration && run.kind != TRunKind::SetNext;
}

// The series' first number: of the numbers the prints took from the counter (and the
// set-next records passed over), the one furthest behind the counter; none ahead of it.
std::optional<qint32> SeriesStart(const QList<TJournalRecord>& runs, qint32 counter)
{
    std::optional<qint32> start;
    quint32 behind = 0;
    const auto consider = [&](qint32 number) {
        const quint32 distance = quint32(counter) - quint32(number);
        if (distance < (quint32(1) << 31) && (!start || distance > behind)) {
            start = number;
            behind = distance;
        }
    };
    for (const TJournalRecord& run : runs) {
        if (run.kind != TRunKind::Print && run.kind != TRunKind::SetNext)
            continue;
        if (run.first && run.last)
            consider(*run.first);
        if (run.voidFirst && run.voidLast)
            consider(*run.voidFirst);
    }
    return start;
}

QString Label(TSeriesSummary::Category category)
{
    switch (category) {
    case TSeriesSummary::Void: return QCoreApplication::translate("SeriesSummary", "Void");
    case TSeriesSummary::Printed: return QCoreApplication::translate("SeriesSummary", "Printed");
    case TSeriesSummary::Sent: return QCoreApplication::translate("SeriesSummary", "Sent, not yet confirmed");
    case TSeriesSummary::Held: return QCoreApplication::translate("SeriesSummary", "Held by stopped runs");
    case TSeriesSummary::GivenBack: return QCoreApplication::translate("SeriesSummary", "Given back");
    case TSeriesSummary::Skipped: return QCoreApplication::translate("SeriesSummary", "Skipped by set-next");
    case TSeriesSummary::Unaccounted: return QCoreApplication::translate("SeriesSummary", "Unaccounted");
    case TSeriesSummary::CategoryCount: break;
    }
    return {};
}

QString RangeText(qint32 first, qint32 last)
{
    return first == last ? QString::number(first) : QStringLiteral("%1-%2").arg(first).arg(last);
}

} // namespace

TSeriesSummary SummarizeSeries(const QList<TJournalRecord>& runs, std::optional<int> counter)
{
    TSeriesSummary summary;
    for (const TJournalRecord& run : runs)
        if (run.kind == TRunKind::Reprint && run.status != TRunStatus::Failed)
            summary.reprinted += run.pages;
    if (!counter)
        return summary;
    const std::optional<qint32> start = SeriesStart(runs, *counter);
    if (!start)
        return summary;
    const Series series(*start, *counter);
    summary.empty = false;
    summary.first = *start;
    summary.last = *counter;
    summary.numbers = series.Size();

    QList<Stretch> stretches;
    for (const TJournalRecord& run : runs) {
        if (run.voidFirst && run.voidLast)
            stretches += series.Clip(NumbersOf(*run.voidFirst, *run.voidLast),
                                     run.kind == TRunKind::SetNext ? TSeriesSummary::Skipped : TSeriesSummary::GivenBack);
        if (!TakesNumbers(run) || !run.first || !run.last)
            continue;
        const int step = qMax(1, run.step);
        const Numbers taken = NumbersOf(*run.first, *run.last, step);
        if (run.kind == TRunKind::Void) {
            stretches += series.Clip(taken, TSeriesSummary::Void);
            continue;
        }
        // What did not come out is held for the rest; the others are the run's tickets.
        QList<Stretch> held;
        for (const TSerialRange& range : run.notPrinted)
            held += series.Clip(NumbersOf(range.first, range.last, step), TSeriesSummary::Held);
        const auto category = run.status == TRunStatus::Sent ? TSeriesSummary::Sent : TSeriesSummary::Printed;
        stretches += Without(series.Clip(taken, category), held);
        stretches += held;
    }

    // One sweep over where stretches begin and end: each part of the series goes to the
    // first category that holds it.
    struct Edge {
        qint64 at;
        int category;
        int change;
    };
    QList<Edge> edges;
    edges.reserve(stretches.size() * 2);
    for (const Stretch& s : stretches) {
        edges.append({ s.from, int(s.category), 1 });
        edges.append({ s.to + 1, int(s.category), -1 });
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.at < b.at; });
    std::array<qint64, TSeriesSummary::CategoryCount> open {};
    qint64 at = 0;
    const auto account = [&](qint64 until) {
        if (until <= at)
            return;
        int category = TSeriesSummary::Unaccounted;
        for (int c = 0; c < TSeriesSummary::Unaccounted; ++c)
            if (open[size_t(c)] > 0) {
                category = c;
                break;
            }
        summary.count[size_t(category)] += until - at;
        if (category == TSeriesSummary::Unaccounted && summary.unaccounted.size() < kUnaccountedShown)
            summary.unaccounted.append({ series.Number(at), series.Number(until - 1) });
        at = until;
    };
    for (const Edge& edge : edges) {
        account(edge.at);
        open[size_t(edge.category)] += edge.change;
    }
    account(series.Size());
    return summary;
}

QString UnaccountedText(const TSeriesSummary& summary)
{
    QStringList parts;
    for (const TSerialRange& range : summary.unaccounted)
        parts << RangeText(range.first, range.last);
    qint64 shown = 0;
    for (const TSerialRange& range : summary.unaccounted)
        shown += qint64(quint32(range.last) - quint32(range.first)) + 1;
    if (shown < summary.count[TSeriesSummary::Unaccounted])
        parts << QStringLiteral("...");
    return parts.join(QStringLiteral(", "));
}

QStringList SummaryLines(const TSeriesSummary& summary)
{
    if (summary.empty)
        return { QCoreApplication::translate("SeriesSummary", "No numbers taken yet") };
    QList<std::pair<QString, QString>> rows;
    rows.append({ QCoreApplication::translate("SeriesSummary", "Numbers %1").arg(RangeText(summary.first, summary.last)),
                  QString::number(summary.numbers) });
    const auto add = [&](TSeriesSummary::Category category) {
        rows.append({ Label(category), QString::number(summary.count[size_t(category)]) });
    };
    add(TSeriesSummary::Printed);
    rows.append({ QCoreApplication::translate("SeriesSummary", "Reprinted (tickets)"), QString::number(summary.reprinted) });
    for (const auto category : { TSeriesSummary::Void, TSeriesSummary::GivenBack, TSeriesSummary::Held, TSeriesSummary::Sent,
                                 TSeriesSummary::Skipped, TSeriesSummary::Unaccounted })
        add(category);
    qsizetype labelWidth = 0;
    qsizetype countWidth = 0;
    for (const auto& [label, count] : rows) {
        labelWidth = qMax(labelWidth, label.size());
        countWidth = qMax(countWidth, count.size());
    }
    QStringList lines;
    for (const auto& [label, count] : rows)
        lines << label.leftJustified(labelWidth) + QStringLiteral("  ") + count.rightJustified(countWidth);
    if (summary.count[TSeriesSummary::Unaccounted] > 0)
        lines.last() += QStringLiteral("  ") + UnaccountedText(summary);
    return lines;
}

QString SummaryLine(const TSeriesSummary& summary)
{
    if (summary.empty)
        return QCoreApplication::translate("SeriesSummary", "No numbers taken yet");
    const auto n = [&](TSeriesSummary::Category category) { return QString::number(summary.count[size_t(category)]); };
    QString line = QCoreApplication::translate("SeriesSummary", "Numbers %1: printed %2, reprinted %3 tickets, void %4, given back %5, held by stopped runs %6, sent %7, skipped %8, unaccounted %9")
                       .arg(RangeText(summary.first, summary.last), n(TSeriesSummary::Printed), QString::number(summary.reprinted),
                            n(TSeriesSummary::Void), n(TSeriesSummary::GivenBack), n(TSeriesSummary::Held), n(TSeriesSummary::Sent),
                            n(TSeriesSummary::Skipped), n(TSeriesSummary::Unaccounted));
    if (summary.count[TSeriesSummary::Unaccounted] > 0)
        line += QStringLiteral(" (%1)").arg(UnaccountedText(summary));
    return line;
}
