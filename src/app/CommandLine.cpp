#include "app/CommandLine.h"

#include "app/run/SerialRun.h"
#include "app/run/SettingsFile.h"
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

int PrintCommand(const QCommandLineParser& parser, const QString& settingsPath)
{
    QString error;
    const std::optional<int> count = IntegerOption(parser, QStringLiteral("count"), &error);
    const std::optional<int> start = IntegerOption(parser, QStringLiteral("start"), &error);
    if (!error.isEmpty())
        return Usage(error);
    if (parser.isSet(QStringLiteral("printer")) && parser.isSet(QStringLiteral("output")))
        return Usage(QCoreApplication::translate("CommandLine", "--printer and --output cannot go together"));
    if (parser.positionalArguments().size() > 1)
        return Usage(QCoreApplication::translate("CommandLine", "unexpected argument '%1'").arg(parser.positionalArguments().value(1)));
    const bool advance = !parser.isSet(QStringLiteral("no-advance"));

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

    const TallyforgeSettings settings = LoadSettingsFile(settingsPath);
    if (advance && !settings.LastNumberReadable)
        throw Exception(QCoreApplication::translate("CommandLine", "The last number in %1 cannot be read: '%2'").arg(settingsPath, settings.LastNumberText));
    serial::SerialPage page;
    page.StartingNumber = start.value_or(serial::AddWrapping(settings.LastNumber, 1));
    page.Prefix = settings.Prefix;
    page.Suffix = settings.Suffix;
    page.HorizontalIndent = settings.HorizontalIndent;
    page.VerticalIndent = settings.VerticalIndent;
    page.HorizontalIndent2 = settings.HorizontalIndent2;
    page.VerticalIndent2 = settings.VerticalIndent2;
    page.Font = settings.Font;

    TPrintJob job;
    TSerialRun run(job, settingsPath);
    serial::ConfigureJob(job, [&](TCustomPrintJob*, TCanvas* canvas, int pageIndex, TRect, TDrawArea area, TDrawTarget) {
        serial::DrawSerialPage(job, *canvas, pageIndex, area, run.Page() ? *run.Page() : page);
    });
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
    Progress progress(!parser.isSet(QStringLiteral("quiet")) && ::isatty(STDERR_FILENO));
    run.OnProgress = [&](int done, int total) { progress.Show(done, total, run.Page()); };
    bool stopped = false;
    app::OnTerminationRequest([&](int) {
        stopped = true;
        run.Stop();
    });

    std::optional<TSerialRun::Outcome> outcome;
    try {
        outcome = run.Print(page, count.value_or(settings.PageCount), advance ? TRunKind::Print : TRunKind::PrintNoAdvance,
                            settings.LastNumberText);
    } catch (...) {
        progress.End();
        throw;
    }
    progress.End();
    if (!outcome)
        return kFailed;
    if (outcome->delivered > 0 && !parser.isSet(QStringLiteral("quiet"))) {
        const int last = serial::SerialNumber(outcome->first, outcome->delivered);
        if (printer.LastJobId() > 0)
            Say(QCoreApplication::translate("CommandLine", "Printed %1 to %2 on %3 as job %4")
                    .arg(serial::SerialText(page.Prefix, outcome->first, 1, page.Suffix),
                         serial::SerialText(page.Prefix, last, 1, page.Suffix), printer.PrinterName())
                    .arg(printer.LastJobId()));
        else
            Say(QCoreApplication::translate("CommandLine", "Printed %1 to %2 into %3")
                    .arg(serial::SerialText(page.Prefix, outcome->first, 1, page.Suffix),
                         serial::SerialText(page.Prefix, last, 1, page.Suffix),
                         QDir::toNativeSeparators(printer.LastOutputFile())));
    }
    if (stopped || outcome->delivered < outcome->count)
        return kStopped;
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
                                 QCoreApplication::translate("CommandLine", "'print' prints the run without a window; without a command the window opens."),
                                 QStringLiteral("[print]"));
    parser.addOptions({
        { QStringLiteral("settings"), QCoreApplication::translate("CommandLine", "Use this settings file."), QCoreApplication::translate("CommandLine", "FILE") },
        { QStringLiteral("count"), QCoreApplication::translate("CommandLine", "print: the number of pages (default: the page count of the settings)."), QCoreApplication::translate("CommandLine", "N") },
        { QStringLiteral("start"), QCoreApplication::translate("CommandLine", "print: the first serial number (default: the number after the last one printed)."), QCoreApplication::translate("CommandLine", "N") },
        { QStringLiteral("printer"), QCoreApplication::translate("CommandLine", "print: print on this CUPS queue."), QCoreApplication::translate("CommandLine", "QUEUE") },
        { QStringLiteral("output"), QCoreApplication::translate("CommandLine", "print: write this PDF file, which must not exist yet."), QCoreApplication::translate("CommandLine", "FILE.pdf") },
        { QStringLiteral("no-advance"), QCoreApplication::translate("CommandLine", "print: print as File > Print does, leaving the counter.") },
        { QStringLiteral("quiet"), QCoreApplication::translate("CommandLine", "print: no progress and no report.") },
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
        for (const char* printOnly : { "count", "start", "printer", "output", "no-advance", "quiet" })
            if (parser.isSet(QLatin1String(printOnly))) {
                request.exitCode = Usage(QCoreApplication::translate("CommandLine", "--%1 goes with the print command").arg(QLatin1String(printOnly)));
                return request;
            }
        request.openWindow = true;
        return request;
    }
    if (positional.first() != kPrint) {
        request.exitCode = Usage(QCoreApplication::translate("CommandLine", "unknown command '%1'").arg(positional.first()));
        return request;
    }
    const QString settingsPath = request.settingsPath.isEmpty() ? SettingsFilePath() : request.settingsPath;
    try {
        request.exitCode = PrintCommand(parser, settingsPath);
    } catch (const std::exception&) {
        Say(QStringLiteral("tallyforge: %1").arg(app::ErrorBoxText(app::ExceptionText(std::current_exception()))));
        request.exitCode = kFailed;
    }
    return request;
}

} // namespace cli
