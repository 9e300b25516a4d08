// print and reprint: the window's print rules, answered by the command line's flags.
#include "app/cli/CommandLine.h"
#include "app/cli/Commands.h"

#include "run/PrintRoom.h"
#include "platform/Application.h"
#include "platform/Exception.h"
#include "platform/Printer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <limits>

#include <unistd.h>

namespace cli {

namespace {


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
        const QString serial = page ? serial::SerialText(*page, qMin(done, total)) : QString();
        // Without a page: sheets of several tickets, whose serials are spread over the run.
        const QString text = page ? QCoreApplication::translate("CommandLine", "%1 of %2 pages, %3, %4 pages/s").arg(done).arg(total).arg(serial).arg(qRound(done / seconds))
                                  : QCoreApplication::translate("CommandLine", "%1 of %2 sheets, %3 sheets/s").arg(done).arg(total).arg(qRound(done / seconds));
        std::fprintf(stderr, "\r%s", qPrintable(text));
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

// Output goes to a queue or a new PDF as the options say; otherwise where Print Setup
// chose, or to the default printer.
void ChoosePrinter(const QCommandLineParser& parser, const TallyforgeSettings& settings)
{
    TPrinter& printer = Printer();
    if (!parser.isSet(QStringLiteral("printer")) && !parser.isSet(QStringLiteral("output")) && settings.PrinterChoice)
        if (const QString problem = printerchoice::Apply(*settings.PrinterChoice); !problem.isEmpty())
            throw Exception(problem);
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
        // Published under exactly this name, never another: one that is taken by then
        // (another run, another program) fails the run.
        printer.SetOutputFileName(output.absoluteFilePath(), TOutputFileMode::Exact);
    }
}

// What a question needs on the command line: the flag that says yes to it, if any.
QString ForceHint(TPrintQuestion::Kind kind, bool reprint)
{
    switch (kind) {
    case TPrintQuestion::Kind::Moved:
        return QCoreApplication::translate("CommandLine", "not printing from the number given with --start");
    case TPrintQuestion::Kind::NeverPrinted:
        return QCoreApplication::translate("CommandLine", "--force reprints them all the same");
    case TPrintQuestion::Kind::Reprinted:
        return QCoreApplication::translate("CommandLine", "--force prints them again");
    case TPrintQuestion::Kind::MovesSeries:
        return QCoreApplication::translate("CommandLine", "--force sets the series there");
    default:
        return reprint ? QCoreApplication::translate("CommandLine", "--force reprints all the same") : QCoreApplication::translate("CommandLine", "--force prints all the same");
    }
}

// The settings' sheet layout with the command line's options over it; a usage error
// (naming the option) for a value out of its bounds.
std::optional<ticket::TSheetLayout> SheetOptions(const QCommandLineParser& parser, ticket::TSheetLayout layout, QString* error)
{
    const auto fail = [&](const QString& text) {
        *error = text;
        return std::nullopt;
    };
    if (parser.isSet(QStringLiteral("sheet"))) {
        const QString text = parser.value(QStringLiteral("sheet")).trimmed();
        const QStringList parts = text.split(QLatin1Char('x'), Qt::KeepEmptyParts, Qt::CaseInsensitive);
        bool columnsOk = false;
        bool rowsOk = false;
        const qint64 columns = parts.size() == 2 ? parts[0].toLongLong(&columnsOk) : 0;
        const qint64 rows = parts.size() == 2 ? parts[1].toLongLong(&rowsOk) : 0;
        if (!columnsOk || !rowsOk)
            return fail(QCoreApplication::translate("CommandLine", "--sheet takes columns and rows as COLSxROWS (e.g. 2x4), not '%1'").arg(text));
        layout.Columns = int(TPrintRoom::Checked(TRequestInput::Grid, columns));
        layout.Rows = int(TPrintRoom::Checked(TRequestInput::Grid, rows));
    }
    if (parser.isSet(QStringLiteral("order"))) {
        const std::optional<ticket::TOrder> order = ticket::ParseOrder(parser.value(QStringLiteral("order")));
        if (!order)
            return fail(QCoreApplication::translate("CommandLine", "--order takes rows, columns or stack, not '%1'").arg(parser.value(QStringLiteral("order"))));
        layout.Order = *order;
    }
    QString numberError;
    const std::optional<qint64> depth = IntegerOption(parser, QStringLiteral("stack-depth"), &numberError);
    const std::optional<qint64> copies = IntegerOption(parser, QStringLiteral("copies"), &numberError);
    const std::optional<qint64> firstSlot = IntegerOption(parser, QStringLiteral("first-slot"), &numberError);
    if (!numberError.isEmpty())
        return fail(numberError);
    if (depth)
        layout.StackDepth = int(TPrintRoom::Checked(TRequestInput::StackDepth, *depth));
    if (copies)
        layout.Copies = int(TPrintRoom::Checked(TRequestInput::Copies, *copies));
    if (parser.isSet(QStringLiteral("reverse")))
        layout.Reverse = true;
    if (parser.isSet(QStringLiteral("cut-marks")))
        layout.CutMarks = true;
    if (firstSlot) {
        if (layout.Order == ticket::TOrder::Stack)
            return fail(QCoreApplication::translate("CommandLine", "--first-slot goes with the rows and columns orders, not stack"));
        layout.FirstSlot = int(TPrintRoom::Checked(TRequestInput::FirstSlot, *firstSlot, layout.Slots()));
    } else {
        // The settings' place, on the grid the option gave.
        layout.FirstSlot = qBound(1, layout.FirstSlot, qMax(1, layout.Slots()));
    }
    return layout;
}

// The run `tallyforge resume` goes on with: the one with the id given, or the newest
// with sheets left.
TRunRest RunToResume(const QList<TJournalRecord>& runs, const QString& id)
{
    bool ok = true;
    const quint64 wanted = id.isEmpty() ? 0 : id.toULongLong(&ok, 16);
    if (!ok || (!id.isEmpty() && wanted == 0))
        throw Exception(QCoreApplication::translate("CommandLine", "'%1' is not a run id of the log").arg(id));
    for (const TJournalRecord& run : runs)
        if (wanted == 0 || run.run == wanted)
            if (std::optional<TRunRest> rest = RestOf(runs, run))
                return *rest;
    if (wanted != 0)
        throw Exception(QCoreApplication::translate("CommandLine", "Run %1 has no sheets left to print").arg(id));
    throw Exception(QCoreApplication::translate("CommandLine", "No stopped run has sheets left to print"));
}

// The settings' artwork with the command line's options over it, its file made absolute
// (the settings' relative to the settings file, the option's to the current folder); a
// usage error naming the option for a value no run can take.
std::optional<ticket::TTemplate> TemplateOptions(const QCommandLineParser& parser, ticket::TTemplate artwork,
                                                 const QString& settingsPath, QString* error)
{
    const auto fail = [&](const QString& text) {
        *error = text;
        return std::nullopt;
    };
    artwork.File = ticket::TemplatePath(artwork.File, settingsPath);
    const bool given = parser.isSet(QStringLiteral("template"));
    if (parser.isSet(QStringLiteral("no-template"))) {
        if (given || parser.isSet(QStringLiteral("template-page")))
            return fail(QCoreApplication::translate("CommandLine", "--no-template cannot go with --template or --template-page"));
        return ticket::TTemplate();
    }
    if (given) {
        const QString file = parser.value(QStringLiteral("template"));
        if (file.trimmed().isEmpty())
            return fail(QCoreApplication::translate("CommandLine", "--template takes the artwork's PDF file"));
        artwork.File = QDir::cleanPath(QDir::current().absoluteFilePath(file));
        // Printed: a template named for this run is meant to go onto the paper.
        artwork.Print = true;
    }
    QString numberError;
    const std::optional<qint64> page = IntegerOption(parser, QStringLiteral("template-page"), &numberError);
    if (!numberError.isEmpty())
        return fail(numberError);
    if (page) {
        if (!artwork.IsSet())
            return fail(QCoreApplication::translate("CommandLine", "--template-page goes with a template (--template or [Template] in the settings file)"));
        artwork.Page = int(TPrintRoom::Checked(TRequestInput::TemplatePage, *page));
    }
    return artwork;
}

} // namespace

namespace {

int Print(const QCommandLineParser& parser, const QString& settingsPath, PrintVerb verb);

// The option (or argument) that gave a request's input.
QString InputName(TRequestInput input, bool reprint)
{
    switch (input) {
    case TRequestInput::None: return {};
    case TRequestInput::Count: return reprint ? QStringLiteral("FIRST LAST") : QStringLiteral("--count");
    case TRequestInput::Start: return reprint ? QStringLiteral("FIRST LAST") : QStringLiteral("--start");
    case TRequestInput::Serials: return QStringLiteral("FIRST LAST");
    case TRequestInput::Digits: return QStringLiteral("--digits");
    case TRequestInput::Step: return QStringLiteral("--step");
    case TRequestInput::Grid: return QStringLiteral("--sheet");
    case TRequestInput::Copies: return QStringLiteral("--copies");
    case TRequestInput::StackDepth: return QStringLiteral("--stack-depth");
    case TRequestInput::FirstSlot: return QStringLiteral("--first-slot");
    case TRequestInput::TemplatePage: return QStringLiteral("--template-page");
    }
    return {};
}

} // namespace

int PrintCommand(const QCommandLineParser& parser, const QString& settingsPath, PrintVerb verb)
{
    // The print room holds the limits of every input; one it refuses was the user's to
    // give otherwise: a usage error naming the option. Its other refusals (a code that
    // cannot show a serial, a settings file's value) are failures.
    try {
        return Print(parser, settingsPath, verb);
    } catch (const EPrintRequest& e) {
        if (e.Input() == TRequestInput::None)
            throw;
        return Usage(QStringLiteral("%1 (%2)").arg(e.Message(), InputName(e.Input(), verb == PrintVerb::Reprint)));
    }
}

namespace {

int Print(const QCommandLineParser& parser, const QString& settingsPath, PrintVerb verb)
{
    const bool reprint = verb == PrintVerb::Reprint;
    const bool resume = verb == PrintVerb::Resume;
    QString error;
    const std::optional<qint64> count = IntegerOption(parser, QStringLiteral("count"), &error);
    const std::optional<qint64> start = IntegerOption(parser, QStringLiteral("start"), &error);
    const std::optional<qint64> digits = IntegerOption(parser, QStringLiteral("digits"), &error);
    const std::optional<qint64> step = IntegerOption(parser, QStringLiteral("step"), &error);
    const QStringList positional = parser.positionalArguments();
    if (reprint) {
        if (positional.size() != 3)
            return Usage(QCoreApplication::translate("CommandLine", "reprint needs the first and the last serial number"));
        if (count || start || parser.isSet(QStringLiteral("no-advance")))
            return Usage(QCoreApplication::translate("CommandLine", "reprint takes its serials from FIRST and LAST alone"));
        // The serials are reprinted as the journal recorded their run.
        if (parser.isSet(QStringLiteral("data")))
            return Usage(QCoreApplication::translate("CommandLine", "--data goes with the print command: a reprint takes its rows from the data its serials were printed from"));
        for (const char* printOnly : { "step", "check", "letters", "book-size" })
            if (parser.isSet(QLatin1String(printOnly)))
                return Usage(QCoreApplication::translate("CommandLine", "--%1 goes with the print command: a reprint steps and checks its serials as their run did").arg(QLatin1String(printOnly)));
    } else if (resume) {
        if (positional.size() > 2)
            return Usage(QCoreApplication::translate("CommandLine", "unexpected argument '%1'").arg(positional.value(2)));
        for (const char* option : { "count", "start", "no-advance", "digits", "mark", "sheet", "order", "stack-depth", "copies",
                                    "reverse", "first-slot", "cut-marks", "step", "check", "letters", "book-size", "data" })
            if (parser.isSet(QLatin1String(option)))
                return Usage(QCoreApplication::translate("CommandLine", "resume prints the rest of a run as it began, without --%1").arg(QLatin1String(option)));
    } else {
        if (positional.size() > 1)
            return Usage(QCoreApplication::translate("CommandLine", "unexpected argument '%1'").arg(positional.value(1)));
        if (parser.isSet(QStringLiteral("mark")))
            return Usage(QCoreApplication::translate("CommandLine", "--mark goes with the reprint command"));
    }
    if (!error.isEmpty())
        return Usage(error);
    // Held as wide as typed until the room has checked them: no value is cut to fit.
    if (start)
        TPrintRoom::Checked(TRequestInput::Start, *start);
    if (digits)
        TPrintRoom::Checked(TRequestInput::Digits, *digits);
    if (step)
        TPrintRoom::Checked(TRequestInput::Step, *step);
    if (count)
        TPrintRoom::Checked(TRequestInput::Count, *count);
    const std::optional<qint64> letters = IntegerOption(parser, QStringLiteral("letters"), &error);
    if (!error.isEmpty())
        return Usage(error);
    if (letters && (*letters < 0 || *letters > ticket::kMaxLetters))
        return Usage(QCoreApplication::translate("CommandLine", "--letters takes 0 to %1 letters, not %2").arg(ticket::kMaxLetters).arg(*letters));
    const std::optional<qint64> bookSize = IntegerOption(parser, QStringLiteral("book-size"), &error);
    if (!error.isEmpty())
        return Usage(error);
    if (bookSize && (*bookSize < 0 || *bookSize > std::numeric_limits<int>::max()))
        return Usage(QCoreApplication::translate("CommandLine", "--book-size takes 0 (no books) or more tickets, not %1").arg(*bookSize));
    std::optional<ticket::TCheck> check;
    if (parser.isSet(QStringLiteral("check"))) {
        check = ticket::ParseCheck(parser.value(QStringLiteral("check")));
        if (!check || parser.value(QStringLiteral("check")).trimmed().isEmpty())
            return Usage(QCoreApplication::translate("CommandLine", "--check takes none, luhn, mod10, mod11 or mod7, not '%1'").arg(parser.value(QStringLiteral("check"))));
    }
    if (parser.isSet(QStringLiteral("printer")) && parser.isSet(QStringLiteral("output")))
        return Usage(QCoreApplication::translate("CommandLine", "--printer and --output cannot go together"));
    const TRunKind kind = reprint ? TRunKind::Reprint
        : resume                  ? TRunKind::Resume
        : parser.isSet(QStringLiteral("no-advance")) ? TRunKind::PrintNoAdvance
                                                     : TRunKind::Print;
    const bool quiet = parser.isSet(QStringLiteral("quiet"));
    const bool force = parser.isSet(QStringLiteral("force"));
    const bool wait = parser.isSet(QStringLiteral("wait"));

    const TallyforgeSettings settings = LoadSettingsFile(settingsPath);
    QString sheetError;
    const std::optional<ticket::TSheetLayout> layout = SheetOptions(parser, settings.Sheet, &sheetError);
    if (!layout)
        return Usage(sheetError);
    QString templateError;
    const std::optional<ticket::TTemplate> artwork = TemplateOptions(parser, settings.Template, settingsPath, &templateError);
    if (!artwork)
        return Usage(templateError);
    ChoosePrinter(parser, settings);
    TPrinter& printer = Printer();
    const std::shared_ptr<TSeriesStore> store = Store(parser, settingsPath, settings);
    // A shared series' last number is the server's: a --start there sets the series to
    // it, which the room asks about (--force).
    const bool shared = !store->StatusText().isEmpty();

    TPrintRequest request;
    request.kind = kind;
    request.page.Prefix = settings.Prefix;
    request.page.Suffix = settings.Suffix;
    request.page.HorizontalIndent = settings.HorizontalIndent;
    request.page.VerticalIndent = settings.VerticalIndent;
    request.page.HorizontalIndent2 = settings.HorizontalIndent2;
    request.page.VerticalIndent2 = settings.VerticalIndent2;
    request.page.Font = settings.Font;
    request.page.Digits = int(digits.value_or(settings.Digits));
    // A reprint takes these from the run that printed its serials.
    request.page.Step = int(step.value_or(settings.Step));
    request.page.Check = check.value_or(settings.Check);
    request.page.CheckSeparator = settings.CheckSeparator;
    request.page.Letters = int(letters.value_or(settings.Letters));
    request.page.LetterSeparator = settings.LetterSeparator;
    request.page.BookSize = int(bookSize.value_or(settings.BookSize));
    request.page.BookFirst = settings.BookFirst;
    if (!settings.PartNames.isEmpty())
        request.page.PartNames = settings.PartNames.split(QLatin1Char('|'));
    request.page.Items = settings.Items;
    // The settings' data file is relative to the settings file, --data's to the current folder.
    if (parser.isSet(QStringLiteral("data"))) {
        if (parser.value(QStringLiteral("data")).trimmed().isEmpty())
            return Usage(QCoreApplication::translate("CommandLine", "--data takes the CSV file of the run's rows"));
        request.page.DataFile = QDir::cleanPath(QDir::current().absoluteFilePath(parser.value(QStringLiteral("data"))));
    } else if (!settings.DataFile.isEmpty()) {
        request.page.DataFile = ticket::TemplatePath(settings.DataFile, settingsPath);
    }
    request.page.DataFirst = settings.DataFirst;
    if (reprint)
        request.page.Mark = parser.isSet(QStringLiteral("mark")) ? parser.value(QStringLiteral("mark")) : QCoreApplication::translate("CommandLine", "REPRINT");
    request.count = count.value_or(std::max(1, settings.PageCount));
    request.startChosen = reprint || start.has_value();
    if (reprint) {
        // Named as printed ("SC-000017") or as bare numbers: the print room reads them.
        request.firstText = positional[1];
        request.lastText = positional[2];
    } else if (start) {
        request.page.StartingNumber = qint32(*start);
    } else {
        // Without --start: a print continues the series; a print that leaves the counter
        // prints the run the settings file describes next.
        const TSeriesStore::Reading last = store->Read();
        if (kind != TRunKind::Print && !last.value)
            throw Exception(QCoreApplication::translate("CommandLine", "The last number in %1 cannot be read: '%2'").arg(store->Where(), last.text));
        request.page.StartingNumber = serial::AddWrapping(last.value.value_or(0), 1);
    }
    request.knownLastNumber = shared ? QString() : settings.LastNumberText;
    request.layout = *layout;
    if (resume) {
        const TRunRest rest = RunToResume(store->Runs(), positional.value(1));
        request.resumeOf = rest.run;
        request.page.StartingNumber = *rest.run.first;
    }
    request.artwork = *artwork;
    // What the file holds and this program does not know, less what the options replace.
    for (const QString& unknown : settings.Unknown) {
        const auto is = [&unknown](const char* key) { return unknown.startsWith(QLatin1String(key), Qt::CaseInsensitive); };
        if ((is("[SN] Step=") && step) || (is("[SN] Check=") && parser.isSet(QStringLiteral("check")))
            || (is("[Sheet] Order=") && parser.isSet(QStringLiteral("order")))
            || (is("[Template] ") && parser.isSet(QStringLiteral("no-template"))))
            continue;
        request.unknownSettings << unknown;
    }
    // The chosen printer's calibration, as the window applies it.
    if (!parser.isSet(QStringLiteral("no-calibration")))
        request.offset = settings.Calibrations.value(printer.PrinterName());

    TPrintJob job;
    TPrintRoom room(job, store);
    TSerialRun& run = room.Run();
    run.SheetsPerJob = settings.SheetsPerJob;
    serial::ConfigureJob(job, [&](TCustomPrintJob*, TCanvas* canvas, int pageIndex, TRect, TDrawArea area, TDrawTarget) {
        run.DrawPage(*canvas, pageIndex, area, calibration::Apply(run.Page() ? *run.Page() : request.page, request.offset));
    });
    if (parser.isSet(QStringLiteral("output")))
        run.DocumentName = QFileInfo(parser.value(QStringLiteral("output"))).completeBaseName();
    Progress progress(!quiet && ::isatty(STDERR_FILENO));
    run.OnProgress = [&](int done, int total) { progress.Show(done, total, run.Layout().IsDefault() ? run.Page() : nullptr); };
    bool stopped = false;
    app::OnTerminationRequest([&](int) {
        stopped = true;
        run.Stop();
    });

    // Another process may take the numbers between the plan and its reservation; the
    // plan is then made again for the numbers that are next by then.
    std::optional<TSerialRun::Outcome> outcome;
    TPrintPlan plan;
    for (int attempt = 0; !outcome; ++attempt) {
        if (stopped)
            return kStopped;
        try {
            plan = room.Prepare(request);
        } catch (const EPrintRequest& e) {
            // FIRST and LAST that name no range a reprint can print are a usage error, as
            // they were when they had to be numbers.
            if (!reprint)
                throw;
            return Usage(e.Message());
        }
        for (const TPrintQuestion& question : plan.questions)
            if (question.kind != TPrintQuestion::Kind::Misprint && (!force || question.kind == TPrintQuestion::Kind::Moved))
                throw Exception(QStringLiteral("%1 (%2)").arg(question.text, ForceHint(question.kind, reprint)));
        if (attempt == 0 && !quiet)
            for (const TPreflightWarning& warning : plan.warnings)
                Say((warning.note ? QCoreApplication::translate("CommandLine", "tallyforge: note: %1")
                                  : QCoreApplication::translate("CommandLine", "tallyforge: warning: %1"))
                        .arg(warning.text));
        try {
            outcome = room.Carry(plan);
        } catch (...) {
            progress.End();
            throw;
        }
        if (!outcome && request.startChosen)
            throw Exception(QCoreApplication::translate("CommandLine", "Another Tallyforge printed since this run started; not printing from %1").arg(request.page.StartingNumber));
        if (attempt > 100)
            throw Exception(QCoreApplication::translate("CommandLine", "The counter in %1 keeps moving; nothing was printed").arg(store->Where()));
    }
    progress.End();
    // --wait: the spooler's word on every job of the run, however long the printer takes.
    // A stop (Ctrl+C) ends the wait between two questions; the jobs stay with the spooler.
    while (wait && !stopped && run.FollowUp(1000))
        app::ProcessMessages();
    if (wait && stopped)
        return kStopped;
    if (!run.JournalProblem().isEmpty())
        Say(QStringLiteral("tallyforge: %1").arg(app::ErrorBoxText(run.JournalProblem())));
    const serial::SerialPage& page = plan.request.page;
    const TJournalRecord record = run.LastRecord().value_or(TJournalRecord());
    const QList<TSpoolJob>& jobs = record.jobs;
    const auto ended = std::find_if(jobs.begin(), jobs.end(), [](const TSpoolJob& job) {
        return job.state == TRunStatus::Cancelled || job.state == TRunStatus::Aborted;
    });
    if (ended != jobs.end()) {
        // The spooler ended a job early: its numbers stay used, and the rest is printable.
        if (!quiet) {
            const QString runId = QStringLiteral("%1").arg(record.run, 16, 16, QLatin1Char('0'));
            const QString how = ended->state == TRunStatus::Cancelled ? QCoreApplication::translate("CommandLine", "Job %1 on %2 was cancelled").arg(ended->id).arg(printer.PrinterName())
                                                                      : QCoreApplication::translate("CommandLine", "Job %1 on %2 was aborted by the printer").arg(ended->id).arg(printer.PrinterName());
            if (ended->done)
                Say(QCoreApplication::translate("CommandLine", "%1 after %2 of its %3 sheets; the serials not printed stay used, and 'tallyforge resume %4' prints them")
                        .arg(how)
                        .arg(*ended->done)
                        .arg(ended->sheets)
                        .arg(runId));
            else
                Say(QCoreApplication::translate("CommandLine", "%1; the print server cannot say how many of its %2 sheets came out, and 'tallyforge resume --force %3' prints them all")
                        .arg(how)
                        .arg(ended->sheets)
                        .arg(runId));
        }
        return kNotCompleted;
    }
    const QString jobText = jobs.size() > 1
        ? QCoreApplication::translate("CommandLine", "jobs %1 to %2").arg(jobs.front().id).arg(jobs.back().id)
        : QCoreApplication::translate("CommandLine", "job %1").arg(jobs.isEmpty() ? printer.LastJobId() : jobs.front().id);
    const bool sent = record.JobsPending();
    if (outcome->sheetsDelivered < outcome->sheets && outcome->delivered == outcome->count && !quiet) {
        // Stopped with sheets out of order: the whole range stays used (see TSerialRun).
        Say(QCoreApplication::translate("CommandLine", "Stopped after %1 of %2 sheets; %3 to %4 stay used, and 'tallyforge resume' prints the rest")
                .arg(outcome->sheetsDelivered)
                .arg(outcome->sheets)
                .arg(serial::SerialText(page, outcome->first, 1), serial::SerialText(page, outcome->first, outcome->count)));
    } else if (resume && !quiet) {
        if (sent)
            Say(QCoreApplication::translate("CommandLine", "Sent the last %1 sheets of %2 to %3 to %4 as %5; not yet printed")
                    .arg(outcome->sheetsDelivered)
                    .arg(serial::SerialText(page, outcome->first, 1), serial::SerialText(page, outcome->first, outcome->count), printer.PrinterName(), jobText));
        else
            Say(QCoreApplication::translate("CommandLine", "Printed the last %1 sheets of %2 to %3")
                    .arg(outcome->sheetsDelivered)
                    .arg(serial::SerialText(page, outcome->first, 1), serial::SerialText(page, outcome->first, outcome->count)));
    } else if (outcome->delivered > 0 && !quiet) {
        const QString from = serial::SerialText(page, outcome->first, 1);
        const QString to = serial::SerialText(page, outcome->first, outcome->delivered);
        if (sent)
            Say(QCoreApplication::translate("CommandLine", "Sent %1 to %2 to %3 as %4; not yet printed").arg(from, to, printer.PrinterName(), jobText));
        else if (!jobs.isEmpty() || printer.LastJobId() > 0)
            Say(QCoreApplication::translate("CommandLine", "Printed %1 to %2 on %3 as %4").arg(from, to, printer.PrinterName(), jobText));
        else
            Say(QCoreApplication::translate("CommandLine", "Printed %1 to %2 into %3").arg(from, to, QDir::toNativeSeparators(printer.LastOutputFile())));
    }
    if (stopped || outcome->delivered < outcome->count || outcome->sheetsDelivered < outcome->sheets)
        return kStopped;
    if (wait && sent)
        return kNotCompleted;
    return kDone;
}

} // namespace

} // namespace cli
