#include "app/CommandLine.h"

#include "run/Preflight.h"
#include "run/SerialRun.h"
#include "run/SettingsFile.h"
#include "run/SharedSeries.h"
#include "platform/Application.h"
#include "platform/Exception.h"
#include "platform/Printer.h"
#include "platform/VersionInfo.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>

#include <unistd.h>

namespace cli {

namespace {

const QString kPrint = QStringLiteral("print");

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

std::optional<int> IntegerOption(const QCommandLineParser& parser, const QString& name, QString* error)
{
    if (!parser.isSet(name))
        return std::nullopt;
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok)
        *error = QCoreApplication::translate("CommandLine", "--%1 needs a whole number, not '%2'").arg(name, parser.value(name));
    return value;
}

// Pages done, the serial on the page and the speed, on one line rewritten in place.
class Progress {
public:
    explicit Progress(bool show) : show_(show) { clock_.start(); }
    void Show(int done, int total, const serial::SerialPage* page)
    {
        if (!show_ || (done < total && lastMs_ >= 0 && clock_.elapsed() - lastMs_ < 200))
            return;
        lastMs_ = clock_.elapsed();
        const double seconds = qMax<qint64>(1, lastMs_) / 1000.0;
        const QString serial = page ? serial::SerialText(page->Prefix, page->StartingNumber, qMin(done, total), page->Suffix)
                                    : QString();
        std::fprintf(stderr, "\r%s", qPrintable(QCoreApplication::translate("CommandLine", "%1 of %2 pages, %3, %4 pages/s")
                                                  .arg(done)
                                                  .arg(total)
                                                  .arg(serial)
                                                  .arg(qRound(done / seconds))));
        std::fflush(stderr);
        shown_ = true;
    }
    void End()
    {
        if (shown_)
            std::fprintf(stderr, "\n");
        shown_ = false;
    }

private:
    bool show_;
    bool shown_ = false;
    qint64 lastMs_ = -1;
    QElapsedTimer clock_;
};

// Output goes to a queue or a new PDF as the options say; otherwise to the default printer.
void ChoosePrinter(const QCommandLineParser& parser)
{
    TPrinter& printer = Printer();
    if (parser.isSet(QStringLiteral("printer"))) {
        const QString queue = parser.value(QStringLiteral("printer"));
        const int index = printer.Printers().indexOf(queue);
        if (index < 0)
            throw Exception(QCoreApplication::translate("CommandLine", "There is no printer named %1").arg(queue));
        printer.SetPrinterIndex(index);
    }
    if (parser.isSet(QStringLiteral("output"))) {
        // The PDF goes under exactly this name, which must not exist yet.
        const QFileInfo output(QDir::current().absoluteFilePath(parser.value(QStringLiteral("output"))));
        if (output.exists() || output.isSymLink())
            throw Exception(QCoreApplication::translate("CommandLine", "The file %1 exists already").arg(QDir::toNativeSeparators(output.filePath())));
        if (!output.dir().exists())
            throw Exception(QCoreApplication::translate("CommandLine", "There is no folder %1").arg(QDir::toNativeSeparators(output.path())));
        printer.SetPrinterIndex(printer.Printers().size() - 1); // the PDF printer
        printer.SetOutputFolder(output.path());
        printer.SetOutputFileName(QString());
    }
}

// The series this command prints from: the settings file's, or the command line's.
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

// print and reprint: one run on the window's engine.
int RunCommand(const QCommandLineParser& parser, const QString& settingsPath, TRunKind kind)
{
    QString error;
    const std::optional<int> count = IntegerOption(parser, QStringLiteral("count"), &error);
    const std::optional<int> start = IntegerOption(parser, QStringLiteral("start"), &error);
    const std::optional<int> digits = IntegerOption(parser, QStringLiteral("digits"), &error);
    const QStringList positional = parser.positionalArguments();
    std::optional<int> first;
    std::optional<int> last;
    if (kind == TRunKind::Reprint) {
        if (positional.size() != 3)
            return Usage(QCoreApplication::translate("CommandLine", "reprint needs the first and the last serial number"));
        bool firstOk = false;
        bool lastOk = false;
        first = positional[1].toInt(&firstOk);
        last = positional[2].toInt(&lastOk);
        if (!firstOk || !lastOk || *first > *last)
            return Usage(QCoreApplication::translate("CommandLine", "'%1 %2' is not a range of serial numbers").arg(positional[1], positional[2]));
        if (count || start || parser.isSet(QStringLiteral("no-advance")))
            return Usage(QCoreApplication::translate("CommandLine", "reprint takes its serials from FIRST and LAST alone"));
    } else {
        if (positional.size() > 1)
            return Usage(QCoreApplication::translate("CommandLine", "unexpected argument '%1'").arg(positional.value(1)));
        if (parser.isSet(QStringLiteral("mark")))
            return Usage(QCoreApplication::translate("CommandLine", "--mark goes with the reprint command"));
    }
    if (!error.isEmpty())
        return Usage(error);
    if (digits && (*digits < 0 || *digits > 32))
        return Usage(QCoreApplication::translate("CommandLine", "--digits takes a width from 0 to 32"));
    if (parser.isSet(QStringLiteral("printer")) && parser.isSet(QStringLiteral("output")))
        return Usage(QCoreApplication::translate("CommandLine", "--printer and --output cannot go together"));
    if (kind == TRunKind::Print && parser.isSet(QStringLiteral("no-advance")))
        kind = TRunKind::PrintNoAdvance;
    const bool quiet = parser.isSet(QStringLiteral("quiet"));

    ChoosePrinter(parser);
    TPrinter& printer = Printer();
    const TallyforgeSettings settings = LoadSettingsFile(settingsPath);
    const std::shared_ptr<TSeriesStore> store = Store(parser, settingsPath, settings);
    const bool shared = !store->StatusText().isEmpty();
    if (shared && start)
        return Usage(QCoreApplication::translate("CommandLine", "a shared series continues from its last number; 'tallyforge series set-next N' moves it"));
    // A shared series hands out its next numbers itself; the one read here is for the
    // checks before the run (and reaching the server before anything is printed).
    const TSeriesStore::Reading lastNumber = shared ? store->Read()
                                              : TSeriesStore::Reading { settings.LastNumberText, settings.LastNumberReadable ? std::optional<int>(settings.LastNumber) : std::nullopt };
    if (kind == TRunKind::Print && !lastNumber.value)
        throw Exception(QCoreApplication::translate("CommandLine", "The last number in %1 cannot be read: '%2'").arg(settingsPath, settings.LastNumberText));
    serial::SerialPage page;
    page.StartingNumber = first ? *first : start.value_or(serial::AddWrapping(lastNumber.value.value_or(settings.LastNumber), 1));
    page.Prefix = settings.Prefix;
    page.Suffix = settings.Suffix;
    page.HorizontalIndent = settings.HorizontalIndent;
    page.VerticalIndent = settings.VerticalIndent;
    page.HorizontalIndent2 = settings.HorizontalIndent2;
    page.VerticalIndent2 = settings.VerticalIndent2;
    page.Font = settings.Font;
    page.Digits = digits.value_or(settings.Digits);
    if (kind == TRunKind::Reprint)
        page.Mark = parser.isSet(QStringLiteral("mark")) ? parser.value(QStringLiteral("mark"))
                                                         : QCoreApplication::translate("CommandLine", "REPRINT");
    const int pages = first ? int(qint64(*last) - *first + 1) : std::max(1, count.value_or(settings.PageCount));

    // The chosen printer's calibration, as the window applies it.
    const calibration::TOffset offset = parser.isSet(QStringLiteral("no-calibration"))
        ? calibration::TOffset()
        : settings.Calibrations.value(printer.PrinterName());
    TPrintJob job;
    TSerialRun run(job, store);
    serial::ConfigureJob(job, [&](TCustomPrintJob*, TCanvas* canvas, int pageIndex, TRect, TDrawArea area, TDrawTarget) {
        serial::DrawSerialPage(job, *canvas, pageIndex, area, calibration::Apply(run.Page() ? *run.Page() : page, offset));
    });
    job.SetPageCount(pages);

    // Before the run, as the window does: what would misprint is said, and serials the
    // journal shows as printed (or, for a reprint, never printed) are refused unless forced.
    QList<TJournalRecord> runs;
    try {
        runs = store->Runs();
    } catch (const Exception& e) {
        Say(QStringLiteral("tallyforge: %1").arg(app::ErrorBoxText(e.Message())));
    }
    const bool force = parser.isSet(QStringLiteral("force"));
    if (kind == TRunKind::Reprint) {
        const QList<std::pair<qint64, qint64>> never = Unprinted(runs, *first, *last);
        if (!never.isEmpty() && !force)
            throw Exception(QCoreApplication::translate("CommandLine", "Serials %1 were never printed (--force reprints them all the same)")
                                .arg(Range(never.first().first, never.first().second)));
    } else {
        // A shared series' numbers are fresh by construction: no printed run overlaps them.
        const TPreflight preflight = CheckRun(job, calibration::Apply(page, offset), pages,
                                              kind == TRunKind::Print && !shared ? runs : QList<TJournalRecord>());
        for (const TPreflightWarning& warning : preflight.warnings) {
            if (warning.kind == TPreflightWarning::Kind::Overlap && !force)
                throw Exception(QCoreApplication::translate("CommandLine", "%1 (--force prints them again)").arg(warning.text));
            if (!quiet)
                Say(QCoreApplication::translate("CommandLine", "tallyforge: warning: %1").arg(warning.text));
        }
    }

    if (parser.isSet(QStringLiteral("output")))
        run.DocumentName = QFileInfo(parser.value(QStringLiteral("output"))).completeBaseName();
    // Without --start the run continues whatever printed last; a number chosen on the
    // command line is not silently replaced.
    run.OnMoved = [&](int lastNumber) {
        if (start)
            Say(QCoreApplication::translate("CommandLine", "Another Tallyforge printed up to %1 since this run started; not printing from %2")
                    .arg(lastNumber)
                    .arg(*start));
        return !start;
    };
    Progress progress(!quiet && ::isatty(STDERR_FILENO));
    run.OnProgress = [&](int done, int total) { progress.Show(done, total, run.Page()); };
    bool stopped = false;
    app::OnTerminationRequest([&](int) {
        stopped = true;
        run.Stop();
    });

    std::optional<TSerialRun::Outcome> outcome;
    try {
        // A null last number: the shared series' next numbers, whatever they are now.
        outcome = run.Print(page, pages, kind, shared ? QString() : settings.LastNumberText);
    } catch (...) {
        progress.End();
        throw;
    }
    progress.End();
    if (!outcome)
        return kFailed;
    if (!run.JournalProblem().isEmpty())
        Say(QStringLiteral("tallyforge: %1").arg(app::ErrorBoxText(run.JournalProblem())));
    if (outcome->delivered > 0 && !quiet) {
        const QString from = serial::SerialText(page.Prefix, outcome->first, 1, page.Suffix, page.Digits);
        const QString to = serial::SerialText(page.Prefix, outcome->first, outcome->delivered, page.Suffix, page.Digits);
        if (printer.LastJobId() > 0)
            Say(QCoreApplication::translate("CommandLine", "Printed %1 to %2 on %3 as job %4")
                    .arg(from, to, printer.PrinterName())
                    .arg(printer.LastJobId()));
        else
            Say(QCoreApplication::translate("CommandLine", "Printed %1 to %2 into %3")
                    .arg(from, to, QDir::toNativeSeparators(printer.LastOutputFile())));
    }
    if (stopped || outcome->delivered < outcome->count)
        return kStopped;
    return kDone;
}

// The journal's runs, newest first, as a table or as CSV.
int LogCommand(const QCommandLineParser& parser, const QString& settingsPath)
{
    QString error;
    const std::optional<int> serial = IntegerOption(parser, QStringLiteral("serial"), &error);
    if (!error.isEmpty())
        return Usage(error);
    if (parser.positionalArguments().size() > 1)
        return Usage(QCoreApplication::translate("CommandLine", "unexpected argument '%1'").arg(parser.positionalArguments().value(1)));
    const QList<TJournalRecord> runs = Store(parser, settingsPath, LoadSettingsFile(settingsPath))->Runs(serial);
    QByteArray out;
    const bool csv = parser.isSet(QStringLiteral("csv"));
    if (csv)
        out += TJournal::Header().toUtf8() + "\r\n";
    else
        out += QStringLiteral("%1  %2  %3  %4  %5  %6  %7\n")
                   .arg(QStringLiteral("started"), -24)
                   .arg(QStringLiteral("kind"), -16)
                   .arg(QStringLiteral("status"), -11)
                   .arg(QStringLiteral("serials"), -23)
                   .arg(QStringLiteral("pages"), 7)
                   .arg(QStringLiteral("printer"), -12)
                   .arg(QStringLiteral("output"))
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

// series show | series set-next N
int SeriesCommand(const QCommandLineParser& parser, const QString& settingsPath)
{
    const QStringList positional = parser.positionalArguments();
    const QString what = positional.value(1);
    if (!((what == QStringLiteral("show") && positional.size() == 2) || (what == QStringLiteral("set-next") && positional.size() == 3)))
        return Usage(QCoreApplication::translate("CommandLine", "series takes 'show' or 'set-next N'"));
    std::optional<int> next;
    if (what == QStringLiteral("set-next")) {
        bool ok = false;
        next = positional[2].toInt(&ok);
        if (!ok)
            return Usage(QCoreApplication::translate("CommandLine", "set-next needs a whole number, not '%1'").arg(positional[2]));
    }
    const std::shared_ptr<TSeriesStore> store = Store(parser, settingsPath, LoadSettingsFile(settingsPath));
    auto* shared = dynamic_cast<TSharedSeries*>(store.get());
    if (next) {
        if (!shared)
            return Usage(QCoreApplication::translate("CommandLine", "set-next moves a shared series (--series-server and --series, or [Series] in the settings file)"));
        shared->SetNext(*next, parser.isSet(QStringLiteral("force")));
    }
    const TSeriesView view = ViewSeries(*store);
    QString out;
    if (shared)
        out += QStringLiteral("series  %1\nserver  %2\n").arg(shared->Name(), shared->ServerText());
    else
        out += QStringLiteral("series  %1\nfile    %2\n").arg(QCoreApplication::translate("CommandLine", "(this station's counter)"), store->Where());
    out += QStringLiteral("last    %1\nnext    %2\n").arg(view.last.text, view.next ? QString::number(*view.next) : QStringLiteral("?"));
    if (shared && shared->Waiting() > 0)
        out += QStringLiteral("waiting %1\n").arg(shared->Waiting());
    std::fputs(out.toUtf8().constData(), stdout);
    return kDone;
}

} // namespace

QString VersionText()
{
    const std::optional<QString> version
        = TVersionInfo::Program().QueryValue(QStringLiteral("\\StringFileInfo\\040904E4\\FileVersion"));
    return version.value_or(QString());
}

bool Headless(int argc, char** argv)
{
    // Only the window's own arguments open it: --settings and Qt's single-dash options
    // (-platform, -display, -style ...). Anything else is a command or a usage error,
    // which needs no display either.
    static const QByteArrayList qtWithValue { "-platform", "-display", "-style", "-geometry", "-qwindowgeometry",
                                              "-qwindowtitle", "-qwindowicon", "-stylesheet" };
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--settings" || qtWithValue.contains(arg)) {
            ++i; // its value
            continue;
        }
        if (arg.startsWith("--settings="))
            continue;
        if (!arg.startsWith('-') || arg.startsWith("--") || arg == "-h" || arg == "-v" || arg == "-?")
            return true;
    }
    return false;
}

Request Run()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate("CommandLine", "Prints a run of pages with one serial number per page."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QCoreApplication::translate("CommandLine", "'print' prints the next run without a window, 'reprint FIRST LAST' prints those serials again, 'log' lists the runs, 'series show' and 'series set-next N' show and move a shared series; without a command the window opens."),
                                 QStringLiteral("[print | reprint FIRST LAST | log | series show | series set-next N]"));
    parser.addOptions({
        { QStringLiteral("settings"), QCoreApplication::translate("CommandLine", "Use this settings file."), QCoreApplication::translate("CommandLine", "FILE") },
        { QStringLiteral("count"), QCoreApplication::translate("CommandLine", "print: the number of pages (default: the page count of the settings)."), QCoreApplication::translate("CommandLine", "N") },
        { QStringLiteral("start"), QCoreApplication::translate("CommandLine", "print: the first serial number (default: the number after the last one printed)."), QCoreApplication::translate("CommandLine", "N") },
        { QStringLiteral("printer"), QCoreApplication::translate("CommandLine", "print: print on this CUPS queue."), QCoreApplication::translate("CommandLine", "QUEUE") },
        { QStringLiteral("output"), QCoreApplication::translate("CommandLine", "print: write this PDF file, which must not exist yet."), QCoreApplication::translate("CommandLine", "FILE.pdf") },
        { QStringLiteral("no-advance"), QCoreApplication::translate("CommandLine", "print: print as File > Print does, leaving the counter.") },
        { QStringLiteral("digits"), QCoreApplication::translate("CommandLine", "print, reprint: pad the numbers with zeros to this width."), QCoreApplication::translate("CommandLine", "N") },
        { QStringLiteral("force"), QCoreApplication::translate("CommandLine", "print: print serials the journal shows as printed; reprint: serials it does not.") },
        { QStringLiteral("mark"), QCoreApplication::translate("CommandLine", "reprint: the text beside each number (default REPRINT)."), QCoreApplication::translate("CommandLine", "TEXT") },
        { QStringLiteral("serial"), QCoreApplication::translate("CommandLine", "log: only the runs that printed this serial."), QCoreApplication::translate("CommandLine", "N") },
        { QStringLiteral("csv"), QCoreApplication::translate("CommandLine", "log: the records as CSV.") },
        { QStringLiteral("quiet"), QCoreApplication::translate("CommandLine", "print, reprint: no progress and no report.") },
        { QStringLiteral("no-calibration"), QCoreApplication::translate("CommandLine", "print, reprint: ignore the printer's calibration ([Calibration] in the settings file).") },
        { QStringLiteral("series-server"), QCoreApplication::translate("CommandLine", "Take the numbers from a series shared on this PostgreSQL server (postgresql://user@host:port/database); the password comes from ~/.pgpass or PGPASSWORD."), QCoreApplication::translate("CommandLine", "URI") },
        { QStringLiteral("series"), QCoreApplication::translate("CommandLine", "The shared series' name."), QCoreApplication::translate("CommandLine", "NAME") },
    });
    Request request;
    if (!parser.parse(QCoreApplication::arguments())) {
        request.exitCode = Usage(parser.errorText());
        return request;
    }
    if (parser.isSet(QStringLiteral("help"))) {
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
        for (const char* printOnly : { "count", "start", "printer", "output", "no-advance", "quiet", "digits", "force", "mark", "serial", "csv", "series-server", "series", "no-calibration" })
            if (parser.isSet(QLatin1String(printOnly))) {
                request.exitCode = Usage(QCoreApplication::translate("CommandLine", "--%1 goes with the print command").arg(QLatin1String(printOnly)));
                return request;
            }
        request.openWindow = true;
        return request;
    }
    const QString command = positional.first();
    if (command != kPrint && command != QStringLiteral("reprint") && command != QStringLiteral("log")
        && command != QStringLiteral("series")) {
        request.exitCode = Usage(QCoreApplication::translate("CommandLine", "unknown command '%1'").arg(command));
        return request;
    }
    const QString settingsPath = request.settingsPath.isEmpty() ? SettingsFilePath() : request.settingsPath;
    try {
        if (command == QStringLiteral("log"))
            request.exitCode = LogCommand(parser, settingsPath);
        else if (command == QStringLiteral("series"))
            request.exitCode = SeriesCommand(parser, settingsPath);
        else
            request.exitCode = RunCommand(parser, settingsPath, command == kPrint ? TRunKind::Print : TRunKind::Reprint);
    } catch (const std::exception&) {
        Say(QStringLiteral("tallyforge: %1").arg(app::ErrorBoxText(app::ExceptionText(std::current_exception()))));
        request.exitCode = kFailed;
    }
    return request;
}

} // namespace cli
