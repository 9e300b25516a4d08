#pragma once

#include "run/Journal.h"
#include "ticket/SheetLayout.h"

#include <QList>

#include <optional>

class TSeriesStore;

// Which tickets of a run's plan are out once its first printed sheets are.
namespace sheetsout {

// The tickets that are the run's first ones on the first `sheets` printed sheets, or
// nullopt when those sheets hold others too (another order, copies, reversed).
std::optional<qint64> TicketsInOrder(const ticket::TSheetLayout& layout, const ticket::TSheetPlan& plan, qint64 sheets);
// The serials of the run from `first`, `step` apart, not out once the plan's first `sheets`
// printed sheets are.
QList<TSerialRange> NotPrinted(const ticket::TSheetPlan& plan, qint32 first, int step, qint64 sheets);
// The tickets that came out on printed sheets from..to (counted from 0, to not included):
// a ticket is out once every copy of its sheet is.
qint64 TicketsOut(const ticket::TSheetPlan& plan, qint64 from, qint64 to);

} // namespace sheetsout

// A run's CUPS jobs after the run: the spooler's word on how each ended, brought into its
// record. A run that went as several jobs prints them in turn; once one ends early the
// ones after it are cancelled, so what came out is always the run's first sheets.
namespace spooler {

// Whether the record's jobs are followed: some are with the spooler and the run ended.
bool Awaits(const TJournalRecord& record);

// Asks the record's print server about its jobs still sent, waiting up to `waitMs` for
// them to end (0: asks once), and brings the record up to date: its status, and for a job
// that ended early the sheets out, the tickets on them and the serials not out, which
// stay used (Print the Rest prints them). `fromSheet`: the printed sheet of its plan the
// run began at (a rest's). True when the record changed. A server that cannot be asked
// changes nothing.
bool Follow(TJournalRecord& record, qint64 fromSheet, int waitMs);

// The sheets of the run's documents that came out: the completed jobs' and the reported
// ones of the first job that ended early, and whether the spooler could not say for one
// that ended early (then any of its sheets may be out).
struct TSheetsOut {
    qint64 sheets = 0;
    qint64 sent = 0; // all sheets of its jobs
    bool uncertain = false;
};
TSheetsOut SheetsOut(const QList<TSpoolJob>& jobs);

// Brings the runs of a store (newest first) whose jobs are still sent up to date, each
// asked once within `waitMs` in all, writing the changed records to the store; returns
// how many runs still have jobs with the spooler. What the store raises is the caller's.
int FollowRuns(TSeriesStore& store, QList<TJournalRecord>& runs, int waitMs);

} // namespace spooler
