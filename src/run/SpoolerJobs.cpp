#include "run/SpoolerJobs.h"

#include "platform/CupsJob.h"
#include "run/PrintRoom.h"
#include "run/SeriesStore.h"

#include <QDeadlineTimer>

#include <algorithm>

std::optional<qint64> sheetsout::TicketsInOrder(const ticket::TSheetLayout& layout, const ticket::TSheetPlan& plan, qint64 sheets)
{
    if (sheets <= 0)
        return 0;
    if (sheets >= plan.PrintedSheets())
        return plan.Tickets();
    // Each sheet once, first first, filled in turn: the sheets out are the run's first
    // tickets. A stack of one sheet a pile is such a run too.
    const bool inTurn = layout.Order != ticket::TOrder::Stack || layout.StackDepth == 1;
    if (layout.Copies != 1 || layout.Reverse || !inTurn)
        return std::nullopt;
    const qint64 before = layout.Order == ticket::TOrder::Stack ? 0 : layout.FirstSlot - 1;
    return std::clamp<qint64>(sheets * layout.Slots() - before, 0, plan.Tickets());
}

QList<TSerialRange> sheetsout::NotPrinted(const ticket::TSheetPlan& plan, qint32 first, int step, qint64 sheets)
{
    QList<TSerialRange> serials;
    for (const auto& [from, to] : plan.NotOut(sheets))
        serials.append({ serial::SerialNumber(first, int(from + 1), step), serial::SerialNumber(first, int(to + 1), step) });
    return serials;
}

qint64 sheetsout::TicketsOut(const ticket::TSheetPlan& plan, qint64 from, qint64 to)
{
    const auto notOut = [&plan](qint64 sheets) {
        qint64 tickets = 0;
        for (const auto& [first, last] : plan.NotOut(sheets))
            tickets += last - first + 1;
        return tickets;
    };
    return to > from ? qMax<qint64>(0, notOut(from) - notOut(to)) : 0;
}

namespace {

bool EndedEarly(const TSpoolJob& job) { return job.state == TRunStatus::Cancelled || job.state == TRunStatus::Aborted; }

// The record's serials, status and sheets as its jobs left them. Only a run some of
// whose sheets did not come out changes its numbers: it keeps its range (the numbers
// stay used) and names the serials not out.
void Apply(TJournalRecord& record, qint64 fromSheet)
{
    const spooler::TSheetsOut out = spooler::SheetsOut(record.jobs);
    const bool aborted = std::any_of(record.jobs.begin(), record.jobs.end(), [](const TSpoolJob& j) { return j.state == TRunStatus::Aborted; });
    const bool cancelled = std::any_of(record.jobs.begin(), record.jobs.end(), [](const TSpoolJob& j) { return j.state == TRunStatus::Cancelled; });
    if (aborted)
        record.status = TRunStatus::Aborted;
    else if (cancelled)
        record.status = TRunStatus::Cancelled;
    else if (!record.JobsPending() && record.status == TRunStatus::Sent)
        record.status = TRunStatus::Completed;
    if (!aborted && !cancelled)
        return;
    if (!record.first || !record.last)
        return;
    const std::optional<ticket::TSheetLayout> parsed = record.layout.isEmpty() ? std::optional<ticket::TSheetLayout>(ticket::TSheetLayout())
                                                                                : ticket::ParseLayoutText(record.layout);
    if (!parsed)
        return;
    const ticket::TSheetLayout layout = ticket::Bounded(*parsed);
    const qint64 tickets = qint64(quint32(*record.last) - quint32(*record.first)) / qMax(1, record.step) + 1;
    const ticket::TSheetPlan plan(layout, tickets);
    // Sheets before this run's documents (a rest's) and those of them out.
    const qint64 outTo = fromSheet + out.sheets;
    const bool rest = fromSheet > 0 || record.kind == TRunKind::Resume || record.resumes != 0;
    const std::optional<qint64> inOrder = !rest ? sheetsout::TicketsInOrder(layout, plan, out.sheets) : std::nullopt;
    const qint64 ticketsOut = inOrder ? *inOrder : sheetsout::TicketsOut(plan, fromSheet, outTo);
    record.pages = int(qMin<qint64>(ticketsOut, record.pages));
    if (!record.layout.isEmpty() || record.sheets)
        record.sheets = int(out.sheets);
    // The serials not out stay the run's: Print the Rest prints them on their sheets.
    record.notPrinted = sheetsout::NotPrinted(plan, *record.first, qMax(1, record.step), outTo);
}

} // namespace

spooler::TSheetsOut spooler::SheetsOut(const QList<TSpoolJob>& jobs)
{
    TSheetsOut out;
    bool ended = false;
    for (const TSpoolJob& job : jobs) {
        out.sent += job.sheets;
        if (ended) {
            // After a job that ended early: cancelled unprinted, or printed out of turn.
            if (job.state == TRunStatus::Completed || job.done.value_or(0) > 0 || (EndedEarly(job) && !job.done))
                out.uncertain = true;
            continue;
        }
        if (EndedEarly(job)) {
            ended = true;
            out.sheets += qBound(0, job.done.value_or(0), job.sheets);
            out.uncertain = out.uncertain || !job.done;
        } else {
            out.sheets += job.sheets; // completed, or still with the spooler
        }
    }
    return out;
}

bool spooler::Awaits(const TJournalRecord& record)
{
    // A run that never ended (killed between its jobs) keeps its range as interrupted.
    return record.JobsPending() && !record.jobServer.isEmpty() && record.status != TRunStatus::Interrupted;
}

bool spooler::Follow(TJournalRecord& record, qint64 fromSheet, int waitMs)
{
    if (!Awaits(record))
        return false;
    const QList<TSpoolJob> before = record.jobs;
    const TRunStatus statusBefore = record.status;
    const QDeadlineTimer deadline(qMax(0, waitMs));
    bool endedEarly = false;
    for (TSpoolJob& job : record.jobs) {
        if (job.state != TRunStatus::Sent) {
            endedEarly = endedEarly || EndedEarly(job);
            continue;
        }
        // After a job that ended early the run's later sheets would come out of turn.
        if (endedEarly)
            cups::CancelJob(record.jobServer, job.id);
        const cups::JobEnd end = cups::FollowJob(record.jobServer, job.id, endedEarly ? 0 : int(qMax<qint64>(0, deadline.remainingTime())));
        switch (end.state) {
        case cups::JobState::Completed:
            job.state = TRunStatus::Completed;
            break;
        case cups::JobState::Cancelled:
        case cups::JobState::Aborted:
            job.state = end.state == cups::JobState::Cancelled ? TRunStatus::Cancelled : TRunStatus::Aborted;
            // Without a count the spooler cannot say: any of its sheets may be out.
            job.done = end.sheets ? std::optional<int>(qBound(0, *end.sheets, job.sheets)) : std::nullopt;
            endedEarly = true;
            break;
        case cups::JobState::Pending:
        case cups::JobState::Unknown:
            break;
        }
        if (job.state == TRunStatus::Sent && !endedEarly)
            break; // the next ones print after it
    }
    Apply(record, fromSheet);
    if (record.jobs == before && record.status == statusBefore)
        return false;
    if (!record.JobsPending())
        record.finished = QDateTime::currentDateTimeUtc();
    return true;
}

int spooler::FollowRuns(TSeriesStore& store, QList<TJournalRecord>& runs, int waitMs)
{
    const QDeadlineTimer deadline(qMax(0, waitMs));
    int pending = 0;
    for (qsizetype i = 0; i < runs.size(); ++i) {
        TJournalRecord& run = runs[i];
        if (!Awaits(run))
            continue;
        qint64 fromSheet = 0;
        if (run.resumes != 0 || run.kind == TRunKind::Resume) {
            // A rest begins where the run and its earlier rests left off.
            QList<TJournalRecord> earlier;
            for (const TJournalRecord& r : runs)
                if (r.started < run.started)
                    earlier << r;
            if (const std::optional<TRunRest> rest = RestOf(earlier, run))
                fromSheet = rest->fromSheet;
        }
        if (Follow(run, fromSheet, int(qMax<qint64>(0, deadline.remainingTime()))))
            store.Settle(run);
        pending += Awaits(run);
    }
    return pending;
}
