#pragma once

#include "run/Journal.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// Where every number of a series went, from the journal's runs (their last records) and
// the counter. The series is the counter's numbers from the first one a print took (or a
// set-next passed over) up to the counter, on the 32-bit circle; the text around the
// numbers (prefix, suffix) does not divide it, as the counter counts plain numbers.
// Runs that moved nothing of it (a print that kept the counter, past it) only count
// where their numbers fall inside it.
//
// Each number is in exactly one category, the first that holds it:
//   Void        a void record names its serial (with the numbers its step passes over);
//   Printed     a run's tickets that came out, or may have (a run killed part way, a
//               job whose end the queue could not tell), less its not_printed;
//   Sent        a run still recorded as sent: the spooler holds it, its end unknown;
//   Held        a stopped run's not_printed: kept for its rest, which can still print;
//   GivenBack   a run's unprinted tail that could not go back to the counter (somebody
//               had taken numbers after it): its void_first..void_last;
//   Skipped     numbers a shared series was moved past by set-next;
//   Unaccounted none of these: no record says where they went (a journal line lost, or
//               the counter moved by hand).
// Reprints take no numbers: they are counted apart, in tickets.
struct TSeriesSummary {
    enum Category { Void, Printed, Sent, Held, GivenBack, Skipped, Unaccounted, CategoryCount };

    bool empty = true; // no number taken yet (or the counter unknown)
    qint32 first = 0;  // the series' first number
    qint32 last = 0;   // the counter
    qint64 numbers = 0; // first..last: the sum of every category
    std::array<qint64, CategoryCount> count {};
    qint64 reprinted = 0; // tickets reprinted
    // The first few stretches of unaccounted numbers, in the series' order.
    QList<TSerialRange> unaccounted;
};

// The summary of `runs` (each run by its last record, as a store's Runs() gives them)
// against the counter's last number; empty without a counter or any number taken.
TSeriesSummary SummarizeSeries(const QList<TJournalRecord>& runs, std::optional<int> counter);

// "13-15, 20": the first unaccounted stretches.
QString UnaccountedText(const TSeriesSummary& summary);
// The summary as aligned lines for the command line: a label and a count each.
QStringList SummaryLines(const TSeriesSummary& summary);
// The summary in one line, for the Print Log.
QString SummaryLine(const TSeriesSummary& summary);
