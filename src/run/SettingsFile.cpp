#include "run/SettingsFile.h"

#include "run/SeriesCounter.h"
#include "platform/IniFile.h"
#include "platform/Printer.h"
#include "platform/Shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageSize>
#include <QStandardPaths>

#include <unistd.h>

namespace {

const QString kSN = QStringLiteral("SN");
const QString kPaper = QStringLiteral("Paper");
const QString kFont = QStringLiteral("Font");
const QString kView = QStringLiteral("View");
const QString kSeries = QStringLiteral("Series");
const QString kPrinter = QStringLiteral("Printer");
const QString kSheet = QStringLiteral("Sheet");
const QString kTemplate = QStringLiteral("Template");
const QString kBook = QStringLiteral("Book");
const QString kData = QStringLiteral("Data");

} // namespace

QString SettingsFilePath()
{
    // A copy of the program in a folder of its own (or one that already keeps its file
    // there) keeps its settings beside itself; an installed one, in the user's config. A
    // "bin" folder is an installation even where the user may write to it (root).
    const QString folder = shell::ExecutableDirectory();
    const QString beside = folder + QStringLiteral("/Tallyforge.ini");
    if (QFileInfo::exists(beside))
        return beside;
    if (QFileInfo(folder).fileName() != QStringLiteral("bin") && ::access(QFile::encodeName(folder).constData(), W_OK) == 0)
        return beside;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Tallyforge");
    QDir().mkpath(config);
    return config + QStringLiteral("/Tallyforge.ini");
}

TallyforgeSettings LoadSettingsFile(const QString& path)
{
    TSeriesCounter::CheckReadable(path);
    const TIniFile ini(path);
    const TallyforgeSettings d;
    TallyforgeSettings s;
    s.Prefix = ticket::UnquotedValue(ini.ReadString(kSN, QStringLiteral("Prefix"), d.Prefix));
    s.Suffix = ticket::UnquotedValue(ini.ReadString(kSN, QStringLiteral("Suffix"), d.Suffix));
    s.LastNumber = ini.ReadInteger(kSN, QStringLiteral("LastNumber"), d.LastNumber);
    s.LastNumberText = ini.ReadString(kSN, QStringLiteral("LastNumber"), QString());
    s.LastNumberReadable = s.LastNumberText.isEmpty() || inirules::ParseInteger(s.LastNumberText).has_value();
    s.PageCount = ini.ReadInteger(kSN, QStringLiteral("PageCount"), d.PageCount);
    // Nobody else checks these: a width of 2^31 digits or a font of 2^31 points would
    // take all memory or overflow the arithmetic of every page.
    using namespace settingslimits;
    s.Digits = qBound(kMinDigits, ini.ReadInteger(kSN, QStringLiteral("Digits"), d.Digits), kMaxDigits);
    s.ConfirmAbove = qMax(0, ini.ReadInteger(kSN, QStringLiteral("ConfirmAbove"), d.ConfirmAbove));
    s.Step = qBound(kMinStep, ini.ReadInteger(kSN, QStringLiteral("Step"), d.Step), kMaxStep);
    if (const QString step = ini.ReadString(kSN, QStringLiteral("Step"), QString()); ini.ValueExists(kSN, QStringLiteral("Step"))) {
        const std::optional<int> value = inirules::ParseInteger(step);
        if (!value || *value < kMinStep)
            s.Unknown << ticket::UnknownValue(kSN, QStringLiteral("Step"), step);
    }
    if (const QString check = ini.ReadString(kSN, QStringLiteral("Check"), QString()); !ticket::ParseCheck(check))
        s.Unknown << ticket::UnknownValue(kSN, QStringLiteral("Check"), check);
    // A scheme this version does not know prints no check rather than a wrong one.
    s.Check = ticket::ParseCheck(ini.ReadString(kSN, QStringLiteral("Check"), QString())).value_or(d.Check);
    s.CheckSeparator = ticket::UnquotedValue(ini.ReadString(kSN, QStringLiteral("CheckSeparator"), d.CheckSeparator));
    s.Letters = qBound(0, ini.ReadInteger(kSN, QStringLiteral("Letters"), d.Letters), ticket::kMaxLetters);
    s.LetterSeparator = ticket::UnquotedValue(ini.ReadString(kSN, QStringLiteral("LetterSeparator"), d.LetterSeparator));
    s.BookSize = qMax(0, ini.ReadInteger(kBook, QStringLiteral("Size"), d.BookSize));
    s.PartNames = ticket::UnquotedValue(ini.ReadString(kSheet, QStringLiteral("PartNames"), d.PartNames));
    s.BookFirst = ini.ReadInteger(kBook, QStringLiteral("FirstNumber"), d.BookFirst);
    s.DataFile = ticket::UnquotedValue(ini.ReadString(kData, QStringLiteral("File"), d.DataFile));
    s.DataFirst = ini.ReadInteger(kData, QStringLiteral("FirstNumber"), d.DataFirst);
    s.HorizontalIndent = ticket::Within(ini.ReadFloat(kPaper, QStringLiteral("HorizontalIndent"), d.HorizontalIndent), kMaxIndent);
    s.VerticalIndent = ticket::Within(ini.ReadFloat(kPaper, QStringLiteral("VerticalIndent"), d.VerticalIndent), kMaxIndent);
    s.HorizontalIndent2 = ticket::Within(ini.ReadFloat(kPaper, QStringLiteral("HorizontalIndent2"), d.HorizontalIndent2), kMaxIndent);
    s.VerticalIndent2 = ticket::Within(ini.ReadFloat(kPaper, QStringLiteral("VerticalIndent2"), d.VerticalIndent2), kMaxIndent);
    s.Font.Name = ini.ReadString(kFont, QStringLiteral("Name"), d.Font.Name);
    s.Font.Size = qBound(kMinFontSize, ini.ReadInteger(kFont, QStringLiteral("Size"), d.Font.Size), kMaxFontSize);
    s.Font.Color = ini.ReadInteger(kFont, QStringLiteral("Color"), d.Font.Color);
    s.Font.Bold = ini.ReadBool(kFont, QStringLiteral("Bold"), d.Font.Bold);
    s.Font.Underline = ini.ReadBool(kFont, QStringLiteral("Underline"), d.Font.Underline);
    s.Font.Italic = ini.ReadBool(kFont, QStringLiteral("Italic"), d.Font.Italic);
    s.Font.StrikeOut = ini.ReadBool(kFont, QStringLiteral("Strikeout"), d.Font.StrikeOut);
    s.WholePage = ini.ReadBool(kView, QStringLiteral("WholePage"), d.WholePage);
    s.SeriesServer = ini.ReadString(kSeries, QStringLiteral("Server"), d.SeriesServer);
    s.SeriesName = ini.ReadString(kSeries, QStringLiteral("Name"), d.SeriesName);
    s.Calibrations = calibration::Read(ini);
    // A choice names its printer; a [Printer] without one is somebody else's, kept as it is.
    if (const QString name = ini.ReadString(kPrinter, QStringLiteral("Name"), QString()); !name.isEmpty()) {
        TPrinterChoice choice;
        choice.Name = name;
        choice.Paper = ini.ReadString(kPrinter, QStringLiteral("Paper"), QString());
        choice.Landscape = ini.ReadString(kPrinter, QStringLiteral("Orientation"), QString()).compare(QStringLiteral("landscape"), Qt::CaseInsensitive) == 0;
        choice.PdfFolder = ini.ReadString(kPrinter, QStringLiteral("PdfFolder"), QString());
        choice.PdfFile = ini.ReadString(kPrinter, QStringLiteral("PdfFile"), QString());
        s.PrinterChoice = choice;
    }
    s.SheetsPerJob = qMax(1, ini.ReadInteger(kPrinter, QStringLiteral("SheetsPerJob"), d.SheetsPerJob));
    if (ini.SectionExists(kSheet)) {
        ticket::TSheetLayout layout;
        ticket::ReadSheetKeys(ini, kSheet, layout, &s.Unknown);
        // 50 x 50 tickets at most: a grid of 2^31 slots would take all memory.
        s.Sheet = ticket::Bounded(layout);
    }
    s.Items = ticket::ReadItemKeys(ini, &s.Unknown);
    if (const QString file = ini.ReadString(kTemplate, QStringLiteral("File"), QString()); !file.isEmpty()) {
        const ticket::TTemplate dt;
        s.Template.File = file;
        s.Template.Page = qMax(1, ini.ReadInteger(kTemplate, QStringLiteral("Page"), dt.Page));
        const QString scope = ini.ReadString(kTemplate, QStringLiteral("Scope"), QString());
        s.Template.Scope = ticket::ParseScope(scope).value_or(dt.Scope);
        if (ini.ValueExists(kTemplate, QStringLiteral("Scope")) && !ticket::ParseScope(scope))
            s.Unknown << ticket::UnknownValue(kTemplate, QStringLiteral("Scope"), scope);
        s.Template.Print = ini.ReadBool(kTemplate, QStringLiteral("Print"), dt.Print);
    }
    return s;
}

void SaveSettingsFile(const QString& path, const TallyforgeSettings& s, bool writeLastNumber, bool clearSeries)
{
    // Read, changed and written under the counter's lock: a save must not put back a
    // LastNumber that a run reserved since the file was read.
    const TFileLock lock = TSeriesCounter::Lock(path);
    TSeriesCounter::CheckReadable(path);
    TIniFile ini(path);
    // This order decides the order of a file written from scratch.
    if (writeLastNumber)
        ini.WriteInteger(kSN, QStringLiteral("LastNumber"), s.LastNumber);
    ini.WriteInteger(kSN, QStringLiteral("PageCount"), s.PageCount);
    ini.WriteFloat(kPaper, QStringLiteral("HorizontalIndent"), s.HorizontalIndent);
    ini.WriteFloat(kPaper, QStringLiteral("VerticalIndent"), s.VerticalIndent);
    ini.WriteFloat(kPaper, QStringLiteral("HorizontalIndent2"), s.HorizontalIndent2);
    ini.WriteFloat(kPaper, QStringLiteral("VerticalIndent2"), s.VerticalIndent2);
    ini.WriteString(kSN, QStringLiteral("Prefix"), ticket::QuotedValue(s.Prefix));
    ini.WriteString(kSN, QStringLiteral("Suffix"), ticket::QuotedValue(s.Suffix));
    if (s.Digits != 0)
        ini.WriteInteger(kSN, QStringLiteral("Digits"), s.Digits);
    else if (ini.ValueExists(kSN, QStringLiteral("Digits")))
        ini.DeleteKey(kSN, QStringLiteral("Digits"));
    if (ticket::ListsKey(s.Unknown, kSN, QStringLiteral("Step"))) {
        // Kept as the file has it.
    } else if (s.Step != 1)
        ini.WriteInteger(kSN, QStringLiteral("Step"), s.Step);
    else if (ini.ValueExists(kSN, QStringLiteral("Step")))
        ini.DeleteKey(kSN, QStringLiteral("Step"));
    if (ticket::ListsKey(s.Unknown, kSN, QStringLiteral("Check"))) {
        // Kept as the file has it.
    } else if (s.Check != ticket::TCheck::None)
        ini.WriteString(kSN, QStringLiteral("Check"), ticket::CheckName(s.Check));
    else if (ini.ValueExists(kSN, QStringLiteral("Check")))
        ini.DeleteKey(kSN, QStringLiteral("Check"));
    if (!s.CheckSeparator.isEmpty())
        ini.WriteString(kSN, QStringLiteral("CheckSeparator"), ticket::QuotedValue(s.CheckSeparator));
    else if (ini.ValueExists(kSN, QStringLiteral("CheckSeparator")))
        ini.DeleteKey(kSN, QStringLiteral("CheckSeparator"));
    for (const auto& [key, value] : { std::pair { QStringLiteral("Letters"), s.Letters > 0 ? QString::number(s.Letters) : QString() },
                                      std::pair { QStringLiteral("LetterSeparator"),
                                                  !s.LetterSeparator.isEmpty() ? ticket::QuotedValue(s.LetterSeparator) : QString() } }) {
        if (!value.isEmpty())
            ini.WriteString(kSN, key, value);
        else if (ini.ValueExists(kSN, key))
            ini.DeleteKey(kSN, key);
    }
    if (!s.PartNames.isEmpty() || ini.ValueExists(kSheet, QStringLiteral("PartNames")))
        ini.WriteString(kSheet, QStringLiteral("PartNames"), ticket::QuotedValue(s.PartNames));
    if (s.BookSize > 0 || ini.ValueExists(kBook, QStringLiteral("Size")))
        ini.WriteInteger(kBook, QStringLiteral("Size"), s.BookSize);
    if (s.BookFirst != TallyforgeSettings().BookFirst || ini.ValueExists(kBook, QStringLiteral("FirstNumber")))
        ini.WriteInteger(kBook, QStringLiteral("FirstNumber"), s.BookFirst);
    if (!s.DataFile.isEmpty() || ini.ValueExists(kData, QStringLiteral("File")))
        ini.WriteString(kData, QStringLiteral("File"), ticket::QuotedValue(s.DataFile));
    if (s.DataFirst != TallyforgeSettings().DataFirst || ini.ValueExists(kData, QStringLiteral("FirstNumber")))
        ini.WriteInteger(kData, QStringLiteral("FirstNumber"), s.DataFirst);
    if (s.ConfirmAbove != TallyforgeSettings::kDefaultConfirmAbove)
        ini.WriteInteger(kSN, QStringLiteral("ConfirmAbove"), s.ConfirmAbove);
    ini.WriteString(kFont, QStringLiteral("Name"), s.Font.Name);
    ini.WriteInteger(kFont, QStringLiteral("Size"), s.Font.Size);
    ini.WriteInteger(kFont, QStringLiteral("Color"), s.Font.Color);
    ini.WriteBool(kFont, QStringLiteral("Bold"), s.Font.Bold);
    ini.WriteBool(kFont, QStringLiteral("Underline"), s.Font.Underline);
    ini.WriteBool(kFont, QStringLiteral("Italic"), s.Font.Italic);
    ini.WriteBool(kFont, QStringLiteral("Strikeout"), s.Font.StrikeOut);
    ini.WriteBool(kView, QStringLiteral("WholePage"), s.WholePage);
    // [Series] is there only while a series is shared: set, it is written; cleared, it goes.
    if (!s.SeriesServer.isEmpty() || !s.SeriesName.isEmpty()) {
        ini.WriteString(kSeries, QStringLiteral("Server"), s.SeriesServer);
        ini.WriteString(kSeries, QStringLiteral("Name"), s.SeriesName);
    } else if (ini.SectionExists(kSeries) && !clearSeries) {
        // A caller that does not know the section leaves it as it is.
    } else if (ini.SectionExists(kSeries)) {
        ini.DeleteKey(kSeries, QStringLiteral("Server"));
        ini.DeleteKey(kSeries, QStringLiteral("Name"));
        if (ini.ReadSection(kSeries).isEmpty())
            ini.EraseSection(kSeries);
    }
    calibration::Write(ini, s.Calibrations);
    if (s.PrinterChoice) {
        const TPrinterChoice& choice = *s.PrinterChoice;
        ini.WriteString(kPrinter, QStringLiteral("Name"), choice.Name);
        ini.WriteString(kPrinter, QStringLiteral("Paper"), choice.Paper);
        ini.WriteString(kPrinter, QStringLiteral("Orientation"), choice.Landscape ? QStringLiteral("landscape") : QStringLiteral("portrait"));
        // The PDF destination only where there is one; an old one goes with the choice.
        for (const auto& [key, value] : { std::pair { QStringLiteral("PdfFolder"), choice.PdfFolder }, std::pair { QStringLiteral("PdfFile"), choice.PdfFile } }) {
            if (!value.isEmpty())
                ini.WriteString(kPrinter, key, value);
            else
                ini.DeleteKey(kPrinter, key);
        }
    }
    // The one-ticket page leaves a file without [Sheet] as it was.
    if (!s.Sheet.IsDefault() || ini.SectionExists(kSheet)) {
        ticket::WriteSheetKeys(ini, kSheet, s.Sheet, s.Unknown);
    }
    ticket::WriteItemKeys(ini, s.Items, s.Unknown);
    if (s.Template.IsSet()) {
        ini.WriteString(kTemplate, QStringLiteral("File"), s.Template.File);
        ini.WriteInteger(kTemplate, QStringLiteral("Page"), s.Template.Page);
        if (!ticket::ListsKey(s.Unknown, kTemplate, QStringLiteral("Scope")))
            ini.WriteString(kTemplate, QStringLiteral("Scope"), ticket::ScopeName(s.Template.Scope));
        ini.WriteBool(kTemplate, QStringLiteral("Print"), s.Template.Print);
    } else if (ini.SectionExists(kTemplate)) {
        ini.EraseSection(kTemplate);
    }
    ini.UpdateFile();
}

namespace printerchoice {

TPrinterChoice Current()
{
    TPrinter& printer = Printer();
    TPrinterChoice choice;
    choice.Name = printer.PrinterName();
    choice.Paper = printer.PaperSize().key();
    choice.Landscape = printer.Orientation() == poLandscape;
    if (printer.IsPdfPrinter()) {
        choice.PdfFile = printer.OutputFileName();
        choice.PdfFolder = choice.PdfFile.isEmpty() ? printer.OutputFolder() : QString();
    }
    return choice;
}

QString Apply(const TPrinterChoice& choice)
{
    TPrinter& printer = Printer();
    const int index = printer.Printers().indexOf(choice.Name);
    if (index < 0 && !printer.ServerReached())
        return QCoreApplication::translate("SettingsFile", "The print server %1 cannot be reached for the printer %2 chosen in Print Setup")
            .arg(cups::Server(), choice.Name);
    if (index < 0)
        return QCoreApplication::translate("SettingsFile", "The printer %1 chosen in Print Setup is not installed").arg(choice.Name);
    printer.SetPrinterIndex(index);
    for (const QPageSize& size : printer.PaperSizes())
        if (size.key() == choice.Paper) {
            printer.SetPaperSize(size);
            break;
        }
    printer.SetOrientation(choice.Landscape ? poLandscape : poPortrait);
    if (printer.IsPdfPrinter()) {
        if (!choice.PdfFolder.isEmpty())
            printer.SetOutputFolder(choice.PdfFolder);
        printer.SetOutputFileName(choice.PdfFile);
    }
    return {};
}

} // namespace printerchoice
