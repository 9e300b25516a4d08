#include "app/cli/CommandLine.h"
#include "app/cli/Commands.h"

#include "run/Journal.h"
#include "run/PrintedSerial.h"

#include <QCoreApplication>

#include <cstdio>

namespace cli {

// The journal's runs, newest first, as a table or as CSV.
int LogCommand(const QCommandLineParser& parser, const QString& settingsPath)
{
    if (parser.positionalArguments().size() > 1)
        return Usage(QCoreApplication::translate("CommandLine", "unexpected argument '%1'").arg(parser.positionalArguments().value(1)));
    QList<TJournalRecord> runs = Store(parser, settingsPath, LoadSettingsFile(settingsPath))->Runs();
    if (parser.isSet(QStringLiteral("serial")))
        runs = printedserial::RunsNaming(parser.value(QStringLiteral("serial")), runs);
    QByteArray out;
    const bool csv = parser.isSet(QStringLiteral("csv"));
    if (csv)
        out += TJournal::Header().toUtf8() + "\r\n";
    else
        out += QStringLiteral("%1  %2  %3  %4  %5  %6  %7\n")
                   .arg(QCoreApplication::translate("CommandLine", "started"), -24)
                   .arg(QCoreApplication::translate("CommandLine", "kind"), -16)
                   .arg(QCoreApplication::translate("CommandLine", "status"), -11)
                   .arg(QCoreApplication::translate("CommandLine", "serials"), -23)
                   .arg(QCoreApplication::translate("CommandLine", "pages"), 7)
                   .arg(QCoreApplication::translate("CommandLine", "printer"), -12)
                   .arg(QCoreApplication::translate("CommandLine", "output"))
                   .toUtf8();
    for (const TJournalRecord& run : runs) {
        if (csv) {
            out += TJournal::ToCsv(run).toUtf8() + "\r\n";
            continue;
        }
        const QString serials = run.first && run.last ? Range(*run.first, *run.last) : QStringLiteral("-");
        const QString output = run.job > 0 ? QStringLiteral("job %1").arg(run.job) : run.output;
        out += QStringLiteral("%1  %2  %3  %4  %5  %6  %7\n")
                   .arg(run.started.toLocalTime().toString(Qt::ISODate), -24)
                   .arg(TJournal::KindText(run.kind), -16)
                   .arg(TJournal::StatusText(run.status), -11)
                   .arg(serials, -23)
                   .arg(run.pages, 7)
                   .arg(run.printer, -12)
                   .arg(output)
                   .toUtf8();
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return kDone;
}

} // namespace cli
