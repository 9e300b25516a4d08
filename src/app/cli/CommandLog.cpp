#include "app/cli/CommandLine.h"
#include "app/cli/Commands.h"

#include "platform/Exception.h"
#include "run/Journal.h"
#include "run/PrintedSerial.h"
#include "run/SeriesSummary.h"
#include "run/SpoolerJobs.h"

#include <QCoreApplication>

#include <cstdio>

namespace cli {

namespace {

// The table's headings, in the order of its columns.
const char* const kHeadings[] = { QT_TRANSLATE_NOOP("CommandLine", "run"),     QT_TRANSLATE_NOOP("CommandLine", "started"),
                                  QT_TRANSLATE_NOOP("CommandLine", "kind"),    QT_TRANSLATE_NOOP("CommandLine", "status"),
                                  QT_TRANSLATE_NOOP("CommandLine", "first"),   QT_TRANSLATE_NOOP("CommandLine", "last"),
                                  QT_TRANSLATE_NOOP("CommandLine", "tickets"), QT_TRANSLATE_NOOP("CommandLine", "sheets"),
                                  QT_TRANSLATE_NOOP("CommandLine", "printer"), QT_TRANSLATE_NOOP("CommandLine", "output") };

// The runs as a table for people: each column as wide as its widest cell, the counts
// to the right. A run's id is the one `resume RUN` takes.
QString LogTable(const QList<TJournalRecord>& runs)
{
    QStringList headings;
    for (const char* heading : kHeadings)
        headings << QCoreApplication::translate("CommandLine", heading);
    QList<QStringList> rows { headings };
    for (const TJournalRecord& run : runs) {
        const std::optional<qint64> sheets = run.SheetsOut();
        rows << QStringList { run.run ? QStringLiteral("%1").arg(run.run, 16, 16, QLatin1Char('0')) : QStringLiteral("-"),
                              run.started.toLocalTime().toString(Qt::ISODate),
                              run.resumes ? QCoreApplication::translate("CommandLine", "%1, rest of %2")
                                                .arg(TJournal::KindText(run.kind), QStringLiteral("%1").arg(run.resumes, 16, 16, QLatin1Char('0')))
                                          : TJournal::KindText(run.kind),
                              TJournal::StatusText(run.status),
                              run.first ? printedserial::Text(run, *run.first) : QStringLiteral("-"),
                              run.last ? printedserial::Text(run, *run.last) : QStringLiteral("-"),
                              QString::number(run.pages),
                              sheets ? QString::number(*sheets) : QStringLiteral("-"),
                              run.printer,
                              run.jobs.size() > 1 ? QStringLiteral("jobs %1-%2").arg(run.jobs.front().id).arg(run.jobs.back().id)
                              : run.job > 0       ? QStringLiteral("job %1").arg(run.job)
                                                  : run.output };
    }
    constexpr int kTickets = 6;
    constexpr int kSheets = 7;
    QList<qsizetype> widths(rows.front().size(), 0);
    for (const QStringList& row : rows)
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = qMax(widths[i], row[i].size());
    QString table;
    for (const QStringList& row : rows) {
        QStringList cells;
        for (qsizetype i = 0; i < row.size(); ++i) {
            const int width = int(widths[i]);
            cells << (i == kTickets || i == kSheets ? row[i].rightJustified(width)
                      : i + 1 < row.size()         ? row[i].leftJustified(width)
                                                   : row[i]);
        }
        table += cells.join(QStringLiteral("  ")) + QLatin1Char('\n');
    }
    return table;
}

} // namespace

// The journal's runs, newest first, as a table or as CSV (its columns as the journal's).
int LogCommand(const QCommandLineParser& parser, const QString& settingsPath)
{
    if (parser.positionalArguments().size() > 1)
        return Usage(QCoreApplication::translate("CommandLine", "unexpected argument '%1'").arg(parser.positionalArguments().value(1)));
    const std::shared_ptr<TSeriesStore> store = Store(parser, settingsPath, LoadSettingsFile(settingsPath));
    if (parser.isSet(QStringLiteral("summary"))) {
        if (parser.isSet(QStringLiteral("serial")) || parser.isSet(QStringLiteral("csv")))
            return Usage(QCoreApplication::translate("CommandLine", "--summary accounts for the whole series, without --serial or --csv"));
        // The counter first: a run that takes numbers meanwhile is then on record too.
        const TSeriesStore::Reading counter = store->Read();
        if (!counter.value && !counter.text.isEmpty())
            throw Exception(QCoreApplication::translate("CommandLine", "The last number in %1 cannot be read: '%2'").arg(store->Where(), counter.text));
        const TSeriesSummary summary = SummarizeSeries(store->Runs(), counter.value);
        const QByteArray out = (SummaryLines(summary).join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        if (summary.count[TSeriesSummary::Unaccounted] == 0)
            return kDone;
        Say(QCoreApplication::translate("CommandLine", "tallyforge: numbers of the series on no record: %1 (%2 in all)")
                .arg(UnaccountedText(summary))
                .arg(summary.count[TSeriesSummary::Unaccounted]));
        return kFailed;
    }
    QList<TJournalRecord> runs;
    if (parser.isSet(QStringLiteral("serial"))) {
        // Only the runs whose numbers the text can hold are read whole.
        const QString serial = parser.value(QStringLiteral("serial"));
        runs = printedserial::RunsNaming(serial, store->RunsHolding(printedserial::NumbersIn(serial)));
    } else {
        runs = store->Runs();
    }
    // Jobs still with the spooler at the last look: its word on them now goes on record.
    try {
        spooler::FollowRuns(*store, runs, 5000);
    } catch (const Exception& e) {
        Say(QStringLiteral("tallyforge: %1").arg(e.Message()));
    }
    QByteArray out;
    if (parser.isSet(QStringLiteral("csv"))) {
        out += TJournal::Header().toUtf8() + "\r\n";
        for (const TJournalRecord& run : runs)
            out += TJournal::ToCsv(run).toUtf8() + "\r\n";
    } else {
        out = LogTable(runs).toUtf8();
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return kDone;
}

} // namespace cli
