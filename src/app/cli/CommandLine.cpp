#include "app/cli/CommandLine.h"

#include "app/cli/Commands.h"
#include "platform/Application.h"
#include "platform/VersionInfo.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace cli {

void Say(const QString& line)
{
    std::fprintf(stderr, "%s\n", qPrintable(line));
}

int Usage(const QString& message)
{
    Say(QStringLiteral("tallyforge: %1").arg(message));
    Say(QCoreApplication::translate("CommandLine", "Try 'tallyforge --help' for more information."));
    return kUsage;
}

std::optional<qint64> IntegerOption(const QCommandLineParser& parser, const QString& name, QString* error)
{
    if (!parser.isSet(name))
        return std::nullopt;
    bool ok = false;
    const qint64 value = parser.value(name).toLongLong(&ok);
    if (!ok)
        *error = QCoreApplication::translate("CommandLine", "--%1 needs a whole number, not '%2'").arg(name, parser.value(name));
    return value;
}

std::shared_ptr<TSeriesStore> Store(const QCommandLineParser& parser, const QString& settingsPath,
                                    const TallyforgeSettings& settings)
{
    return OpenSeriesStore(settingsPath, SeriesChoice(settings.SeriesServer, settings.SeriesName,
                                                      parser.value(QStringLiteral("series-server")),
                                                      parser.value(QStringLiteral("series"))));
}

QString Range(qint64 first, qint64 last)
{
    return first == last ? QString::number(first) : QStringLiteral("%1-%2").arg(first).arg(last);
}

namespace {

const QString kPrint = QStringLiteral("print");

} // namespace

QString VersionText()
{
    const std::optional<QString> version
        = TVersionInfo::Program().QueryValue(QStringLiteral("\\StringFileInfo\\040904E4\\FileVersion"));
    return version.value_or(QString());
}

namespace {

// The window's display options, each with a value, which the toolkit takes.
const QByteArrayList kToolkitOptions { "-platform", "-display", "-style", "-geometry", "-qwindowgeometry",
                                       "-qwindowtitle", "-qwindowicon", "-stylesheet" };

} // namespace

bool Headless(int argc, char** argv)
{
    // Only the window's own arguments open it: --settings and the display options.
    // Anything else is a command or a usage error, which needs no display either.
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if ((arg == "--settings" || kToolkitOptions.contains(arg)) && i + 1 < argc)
            ++i; // its value
        else if (!arg.startsWith("--settings="))
            return true;
    }
    return false;
}

Arguments SplitArguments(int argc, char** argv)
{
    Arguments split;
    if (argc < 1)
        return split;
    split.own << QString::fromLocal8Bit(argv[0]);
    split.toolkit.push_back(argv[0]);
    const bool window = !Headless(argc, argv);
    for (int i = 1; i < argc; ++i) {
        // The toolkit would take --reverse, --help-all and the like for its own, whatever
        // the command meant by them: it sees only the window's display options.
        if (window && kToolkitOptions.contains(QByteArray(argv[i])) && i + 1 < argc) {
            split.toolkit.push_back(argv[i]);
            split.toolkit.push_back(argv[++i]);
            continue;
        }
        split.own << QString::fromLocal8Bit(argv[i]);
    }
    return split;
}

Request Run(const QStringList& arguments)
{
    QCommandLineParser parser;
    // "-reverse" is --reverse, not the letters r, e, v ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QCoreApplication::translate("CommandLine", "Prints a run of pages with one serial number per page."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QCoreApplication::translate("CommandLine", "'print' prints the next run without a window, 'reprint FIRST LAST' prints those serials again, 'resume [RUN]' prints the sheets a stopped run did not (the newest such run, or the one with this id in the log), 'void FIRST [LAST]' records spoiled serials as void, 'log' lists the runs ('log --summary' accounts for every number), 'series show' and 'series set-next N' show and move a shared series; without a command the window opens."),
                                 QStringLiteral("[print | reprint FIRST LAST | resume [RUN] | void FIRST [LAST] | log | series show | series set-next N]"));
    parser.addOptions({
        { QStringLiteral("settings"), QCoreApplication::translate("CommandLine", "Use this settings file."), QCoreApplication::translate("CommandLine", "FILE") },
        { QStringLiteral("count"), QCoreApplication::translate("CommandLine", "print: the number of pages (default: the page count of the settings)."), QCoreApplication::translate("CommandLine", "N") },
        { QStringLiteral("start"), QCoreApplication::translate("CommandLine", "print: the first serial number (default: the number after the last one printed)."), QCoreApplication::translate("CommandLine", "N") },
        { QStringLiteral("printer"), QCoreApplication::translate("CommandLine", "print: print on this CUPS queue."), QCoreApplication::translate("CommandLine", "QUEUE") },
        { QStringLiteral("output"), QCoreApplication::translate("CommandLine", "print: write this PDF file, which must not exist yet."), QCoreApplication::translate("CommandLine", "FILE.pdf") },
        { QStringLiteral("no-advance"), QCoreApplication::translate("CommandLine", "print: print as File > Print does, leaving the counter.") },
        { QStringLiteral("digits"), QCoreApplication::translate("CommandLine", "print, reprint: pad the numbers with zeros to this width."), QCoreApplication::translate("CommandLine", "N") },
        { QStringLiteral("step"), QCoreApplication::translate("CommandLine", "print: the difference between one serial and the next, 1 or more (default: [SN] Step in the settings file)."), QCoreApplication::translate("CommandLine", "N") },
        { QStringLiteral("check"), QCoreApplication::translate("CommandLine", "print: the check character after each number: none, luhn, mod10, mod11 or mod7 (default: [SN] Check in the settings file)."), QCoreApplication::translate("CommandLine", "SCHEME") },
        { QStringLiteral("book-size"), QCoreApplication::translate("CommandLine", "print: books of this many tickets, for {book} and {inbook} in items (0: none; default: [Book] Size in the settings file)."), QCoreApplication::translate("CommandLine", "N") },
        { QStringLiteral("letters"), QCoreApplication::translate("CommandLine", "print: a letter series of this many letters (0 to 4) before the digits, AA0000 to ZZ9999 with 2 letters and 4 digits (default: [SN] Letters in the settings file)."), QCoreApplication::translate("CommandLine", "N") },
        { QStringLiteral("force"), QCoreApplication::translate("CommandLine", "print: print serials the journal shows as printed, or set a shared series to --start; reprint: serials it does not; void: serials no run printed or took, up to the last number.") },
        { QStringLiteral("mark"), QCoreApplication::translate("CommandLine", "reprint: the text beside each number (default REPRINT)."), QCoreApplication::translate("CommandLine", "TEXT") },
        { QStringLiteral("serial"), QCoreApplication::translate("CommandLine", "log: only the runs that printed this serial (as printed, e.g. SC-000017, or a number)."), QCoreApplication::translate("CommandLine", "SERIAL") },
        { QStringLiteral("csv"), QCoreApplication::translate("CommandLine", "log: the records as CSV.") },
        { QStringLiteral("summary"), QCoreApplication::translate("CommandLine", "log: where every number of the series went (printed, void, given back, held, sent, skipped, unaccounted); exit status 1 when some are unaccounted.") },
        { QStringLiteral("reason"), QCoreApplication::translate("CommandLine", "void: why the serials were spoiled, for the record."), QCoreApplication::translate("CommandLine", "TEXT") },
        { QStringLiteral("quiet"), QCoreApplication::translate("CommandLine", "print, reprint: no progress and no report.") },
        { QStringLiteral("wait"), QCoreApplication::translate("CommandLine", "print, reprint, resume: wait until the printer has finished the print jobs; the exit status is 0 only when they completed, 3 otherwise.") },
        { QStringLiteral("no-calibration"), QCoreApplication::translate("CommandLine", "print, reprint: ignore the printer's calibration ([Calibration] in the settings file).") },
        { QStringLiteral("sheet"), QCoreApplication::translate("CommandLine", "print, reprint: this many tickets across and down each sheet, e.g. 2x4 (default: [Sheet] in the settings file)."), QCoreApplication::translate("CommandLine", "COLSxROWS") },
        { QStringLiteral("order"), QCoreApplication::translate("CommandLine", "print, reprint: the tickets' order on the sheets: rows, columns, or stack (cut and stacked, each pile in order)."), QCoreApplication::translate("CommandLine", "ORDER") },
        { QStringLiteral("stack-depth"), QCoreApplication::translate("CommandLine", "print, reprint: with --order stack, sheets a pile (0: the whole run)."), QCoreApplication::translate("CommandLine", "N") },
        { QStringLiteral("copies"), QCoreApplication::translate("CommandLine", "print, reprint: each sheet this many times in a row (1 to 20)."), QCoreApplication::translate("CommandLine", "N") },
        { QStringLiteral("reverse"), QCoreApplication::translate("CommandLine", "print, reprint: the last sheet first.") },
        { QStringLiteral("first-slot"), QCoreApplication::translate("CommandLine", "print, reprint: the first ticket's place on the first sheet, counted from 1 (rows and columns)."), QCoreApplication::translate("CommandLine", "N") },
        { QStringLiteral("cut-marks"), QCoreApplication::translate("CommandLine", "print, reprint: marks where the sheets are cut.") },
        { QStringLiteral("data"), QCoreApplication::translate("CommandLine", "print: fill {data:Column} in items from this CSV file, one row a serial (default: [Data] File in the settings file)."), QCoreApplication::translate("CommandLine", "FILE.csv") },
        { QStringLiteral("template"), QCoreApplication::translate("CommandLine", "print, reprint: print the numbers on this artwork PDF (default: [Template] in the settings file)."), QCoreApplication::translate("CommandLine", "FILE.pdf") },
        { QStringLiteral("template-page"), QCoreApplication::translate("CommandLine", "print, reprint: the artwork's page under every sheet or ticket, counted from 1."), QCoreApplication::translate("CommandLine", "N") },
        { QStringLiteral("no-template"), QCoreApplication::translate("CommandLine", "print, reprint: no artwork, whatever the settings file says.") },
        { QStringLiteral("series-server"), QCoreApplication::translate("CommandLine", "Take the numbers from a series shared on this PostgreSQL server (postgresql://user@host:port/database); the password comes from ~/.pgpass or PGPASSWORD."), QCoreApplication::translate("CommandLine", "URI") },
        { QStringLiteral("series"), QCoreApplication::translate("CommandLine", "The shared series' name."), QCoreApplication::translate("CommandLine", "NAME") },
    });
    Request request;
    if (!parser.parse(arguments)) {
        request.exitCode = Usage(parser.errorText());
        return request;
    }
    // Help and nothing else, whichever of its forms was asked for.
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        std::fprintf(stdout, "%s", qPrintable(parser.helpText()));
        return request;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::fprintf(stdout, "tallyforge %s\n", qPrintable(QCoreApplication::applicationVersion()));
        return request;
    }
    request.settingsPath = parser.value(QStringLiteral("settings"));
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        for (const char* printOnly : { "count", "start", "printer", "output", "no-advance", "quiet", "digits", "step", "check", "letters", "book-size", "force", "wait", "mark", "serial", "csv", "summary", "reason", "series-server", "series", "no-calibration",
                                      "sheet", "order", "stack-depth", "copies", "reverse", "first-slot", "cut-marks",
                                      "template", "template-page", "no-template", "data" })
            if (parser.isSet(QLatin1String(printOnly))) {
                request.exitCode = Usage(QCoreApplication::translate("CommandLine", "--%1 goes with the print command").arg(QLatin1String(printOnly)));
                return request;
            }
        request.openWindow = true;
        return request;
    }
    const QString command = positional.first();
    if (command != kPrint && command != QStringLiteral("reprint") && command != QStringLiteral("resume") && command != QStringLiteral("log")
        && command != QStringLiteral("series") && command != QStringLiteral("void")) {
        request.exitCode = Usage(QCoreApplication::translate("CommandLine", "unknown command '%1'").arg(command));
        return request;
    }
    for (const auto& [option, owner] : { std::pair { "reason", "void" }, std::pair { "summary", "log" } })
        if (parser.isSet(QLatin1String(option)) && command != QLatin1String(owner)) {
            request.exitCode = Usage(QCoreApplication::translate("CommandLine", "--%1 goes with the %2 command").arg(QLatin1String(option), QLatin1String(owner)));
            return request;
        }
    const QString settingsPath = request.settingsPath.isEmpty() ? SettingsFilePath() : request.settingsPath;
    try {
        if (command == QStringLiteral("log"))
            request.exitCode = LogCommand(parser, settingsPath);
        else if (command == QStringLiteral("series"))
            request.exitCode = SeriesCommand(parser, settingsPath);
        else if (command == QStringLiteral("void"))
            request.exitCode = VoidCommand(parser, settingsPath);
        else
            request.exitCode = PrintCommand(parser, settingsPath,
                                            command == kPrint ? PrintVerb::Print : command == QStringLiteral("reprint") ? PrintVerb::Reprint : PrintVerb::Resume);
    } catch (const std::exception&) {
        Say(QStringLiteral("tallyforge: %1").arg(app::ErrorBoxText(app::ExceptionText(std::current_exception()))));
        request.exitCode = kFailed;
    }
    return request;
}

} // namespace cli
