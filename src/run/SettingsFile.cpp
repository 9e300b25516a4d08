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
#include <QPalette>

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

constexpr quint32 kSystemColorBit = 0x80000000u;

// Reading strips a value's outer blanks, so a prefix such as "No. " is kept in quotes. A
// value in quotes is quoted again, so one that is meant to have them keeps them too.
QString Quoted(const QString& text)
{
    const bool quoted = text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"');
    if (!quoted && text.trimmed().size() == text.size())
        return text;
    return u'"' + text + u'"';
}

QString Unquoted(const QString& text)
{
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        return text.mid(1, text.size() - 2);
    return text;
}

double Within(double value, double limit) { return qBound(-limit, value, limit); }

// [Item3] is the first item after the two positions.
constexpr int kFirstItem = 3;
QString ItemSection(int index) { return QStringLiteral("Item%1").arg(index + kFirstItem); }

const QString kKind = QStringLiteral("Kind");
const QString kLeft = QStringLiteral("Left");
const QString kTop = QStringLiteral("Top");
const QString kText = QStringLiteral("Text");
const QString kName = QStringLiteral("Font");
const QString kSize = QStringLiteral("Size");
const QString kBold = QStringLiteral("Bold");
const QString kItalic = QStringLiteral("Italic");
const QString kColor = QStringLiteral("Color");
const QString kAlign = QStringLiteral("Align");
const QString kRotation = QStringLiteral("Rotation");
const QString kSymbology = QStringLiteral("Symbology");
const QString kWidth = QStringLiteral("Width");
const QString kHeight = QStringLiteral("Height");
const QString kHumanReadable = QStringLiteral("HumanReadable");

QList<ticket::TTicketItem> ReadItems(const TIniFile& ini)
{
    using namespace settingslimits;
    QList<ticket::TTicketItem> items;
    // In order; the first missing section ends the list.
    for (int index = 0; ini.SectionExists(ItemSection(index)); ++index) {
        const QString section = ItemSection(index);
        const ticket::TTicketItem d;
        ticket::TTicketItem item;
        item.Kind = ticket::ParseKind(ini.ReadString(section, kKind, QString())).value_or(d.Kind);
        item.Left = ini.ReadFloat(section, kLeft, d.Left);
        item.Top = ini.ReadFloat(section, kTop, d.Top);
        item.Text = Unquoted(ini.ReadString(section, kText, d.Text));
        if (const QString name = ini.ReadString(section, kName, QString()); !name.isEmpty())
            item.Font = name;
        if (ini.ValueExists(section, kSize))
            item.Size = qBound(kMinFontSize, ini.ReadInteger(section, kSize, 0), kMaxFontSize);
        if (ini.ValueExists(section, kBold))
            item.Bold = ini.ReadBool(section, kBold, false);
        if (ini.ValueExists(section, kItalic))
            item.Italic = ini.ReadBool(section, kItalic, false);
        if (ini.ValueExists(section, kColor))
            item.Color = ini.ReadInteger(section, kColor, 0);
        item.Align = ticket::ParseAlign(ini.ReadString(section, kAlign, QString())).value_or(d.Align);
        item.Rotation = ini.ReadInteger(section, kRotation, d.Rotation);
        item.Symbology = ticket::ParseSymbology(ini.ReadString(section, kSymbology, QString())).value_or(d.Symbology);
        item.Width = ini.ReadFloat(section, kWidth, d.Width);
        item.Height = ini.ReadFloat(section, kHeight, d.Height);
        item.HumanReadable = ini.ReadBool(section, kHumanReadable, d.HumanReadable);
        // Positions as far as the two positions may go, sizes a page can hold, and a
        // rotation that is not a quarter turn as none.
        item = ticket::Bounded(item);
        item.Left = Within(item.Left, kMaxIndent);
        item.Top = Within(item.Top, kMaxIndent);
        items << item;
    }
    return items;
}

void WriteItems(TIniFile& ini, const QList<ticket::TTicketItem>& items)
{
    for (int index = 0; index < items.size(); ++index) {
        const QString section = ItemSection(index);
        const ticket::TTicketItem& item = items[index];
        const bool text = item.Kind == ticket::TItemKind::Text;
        // Keys that do not apply to the item, or are left to [Font], go.
        const auto put = [&](const QString& key, bool applies, const auto& write) {
            if (applies)
                write();
            else if (ini.ValueExists(section, key))
                ini.DeleteKey(section, key);
        };
        ini.WriteString(section, kKind, ticket::KindName(item.Kind));
        ini.WriteFloat(section, kLeft, item.Left);
        ini.WriteFloat(section, kTop, item.Top);
        ini.WriteString(section, kText, Quoted(item.Text));
        put(kName, text && item.Font.has_value(), [&] { ini.WriteString(section, kName, item.Font.value_or(QString())); });
        put(kSize, text && item.Size.has_value(), [&] { ini.WriteInteger(section, kSize, item.Size.value_or(0)); });
        put(kBold, text && item.Bold.has_value(), [&] { ini.WriteBool(section, kBold, item.Bold.value_or(false)); });
        put(kItalic, text && item.Italic.has_value(), [&] { ini.WriteBool(section, kItalic, item.Italic.value_or(false)); });
        put(kColor, text && item.Color.has_value(), [&] { ini.WriteInteger(section, kColor, item.Color.value_or(0)); });
        put(kAlign, text, [&] { ini.WriteString(section, kAlign, ticket::AlignName(item.Align)); });
        ini.WriteInteger(section, kRotation, item.Rotation);
        put(kSymbology, !text, [&] { ini.WriteString(section, kSymbology, ticket::SymbologyName(item.Symbology)); });
        put(kWidth, !text, [&] { ini.WriteFloat(section, kWidth, item.Width); });
        put(kHeight, !text, [&] { ini.WriteFloat(section, kHeight, item.Height); });
        put(kHumanReadable, !text, [&] { ini.WriteBool(section, kHumanReadable, item.HumanReadable); });
    }
    // The items that were removed: their sections up to the gap that ended the list.
    for (int index = int(items.size()); ini.SectionExists(ItemSection(index)); ++index)
        ini.EraseSection(ItemSection(index));
}

struct SystemColor {
    int index;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The system colours a settings file may name, by their index, and where our palette
// keeps the same colour.
constexpr SystemColor kSystemColors[] = {
    { 4, QPalette::Active, QPalette::Window },           // menu
    { 5, QPalette::Active, QPalette::Base },             // window
    { 7, QPalette::Active, QPalette::WindowText },       // menu text
    { 8, QPalette::Active, QPalette::Text },             // window text
    { 13, QPalette::Active, QPalette::Highlight },       // highlight
    { 14, QPalette::Active, QPalette::HighlightedText }, // highlight text
    { 15, QPalette::Active, QPalette::Button },          // button face
    { 16, QPalette::Active, QPalette::Dark },            // button shadow
    { 17, QPalette::Disabled, QPalette::Text },          // grey text
    { 18, QPalette::Active, QPalette::ButtonText },      // button text
    { 20, QPalette::Active, QPalette::Light },           // button highlight
    { 21, QPalette::Active, QPalette::Shadow },          // dark 3D shadow
    { 22, QPalette::Active, QPalette::Midlight },        // 3D light
    { 23, QPalette::Active, QPalette::ToolTipText },     // tooltip text
    { 24, QPalette::Active, QPalette::ToolTipBase },     // tooltip background
};

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
    s.Prefix = Unquoted(ini.ReadString(kSN, QStringLiteral("Prefix"), d.Prefix));
    s.Suffix = Unquoted(ini.ReadString(kSN, QStringLiteral("Suffix"), d.Suffix));
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
    // A scheme this version does not know prints no check rather than a wrong one.
    s.Check = ticket::ParseCheck(ini.ReadString(kSN, QStringLiteral("Check"), QString())).value_or(d.Check);
    s.HorizontalIndent = Within(ini.ReadFloat(kPaper, QStringLiteral("HorizontalIndent"), d.HorizontalIndent), kMaxIndent);
    s.VerticalIndent = Within(ini.ReadFloat(kPaper, QStringLiteral("VerticalIndent"), d.VerticalIndent), kMaxIndent);
    s.HorizontalIndent2 = Within(ini.ReadFloat(kPaper, QStringLiteral("HorizontalIndent2"), d.HorizontalIndent2), kMaxIndent);
    s.VerticalIndent2 = Within(ini.ReadFloat(kPaper, QStringLiteral("VerticalIndent2"), d.VerticalIndent2), kMaxIndent);
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
    if (ini.SectionExists(kSheet)) {
        const ticket::TSheetLayout dl;
        ticket::TSheetLayout l;
        l.Columns = ini.ReadInteger(kSheet, QStringLiteral("Columns"), dl.Columns);
        l.Rows = ini.ReadInteger(kSheet, QStringLiteral("Rows"), dl.Rows);
        l.Left = ini.ReadFloat(kSheet, QStringLiteral("Left"), dl.Left);
        l.Top = ini.ReadFloat(kSheet, QStringLiteral("Top"), dl.Top);
        l.Width = ini.ReadFloat(kSheet, QStringLiteral("Width"), dl.Width);
        l.Height = ini.ReadFloat(kSheet, QStringLiteral("Height"), dl.Height);
        l.GapX = ini.ReadFloat(kSheet, QStringLiteral("GapX"), dl.GapX);
        l.GapY = ini.ReadFloat(kSheet, QStringLiteral("GapY"), dl.GapY);
        l.Order = ticket::ParseOrder(ini.ReadString(kSheet, QStringLiteral("Order"), QString())).value_or(dl.Order);
        l.StackDepth = ini.ReadInteger(kSheet, QStringLiteral("StackDepth"), dl.StackDepth);
        l.Copies = ini.ReadInteger(kSheet, QStringLiteral("Copies"), dl.Copies);
        l.Reverse = ini.ReadBool(kSheet, QStringLiteral("Reverse"), dl.Reverse);
        l.FirstSlot = ini.ReadInteger(kSheet, QStringLiteral("FirstSlot"), dl.FirstSlot);
        l.CutMarks = ini.ReadBool(kSheet, QStringLiteral("CutMarks"), dl.CutMarks);
        // 50 x 50 tickets at most: a grid of 2^31 slots would take all memory.
        s.Sheet = ticket::Bounded(l);
    }
    s.Items = ReadItems(ini);
    if (const QString file = ini.ReadString(kTemplate, QStringLiteral("File"), QString()); !file.isEmpty()) {
        const ticket::TTemplate dt;
        s.Template.File = file;
        s.Template.Page = qMax(1, ini.ReadInteger(kTemplate, QStringLiteral("Page"), dt.Page));
        s.Template.Scope = ticket::ParseScope(ini.ReadString(kTemplate, QStringLiteral("Scope"), QString())).value_or(dt.Scope);
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
    ini.WriteString(kSN, QStringLiteral("Prefix"), Quoted(s.Prefix));
    ini.WriteString(kSN, QStringLiteral("Suffix"), Quoted(s.Suffix));
    if (s.Digits != 0)
        ini.WriteInteger(kSN, QStringLiteral("Digits"), s.Digits);
    else if (ini.ValueExists(kSN, QStringLiteral("Digits")))
        ini.DeleteKey(kSN, QStringLiteral("Digits"));
    if (s.Step != 1)
        ini.WriteInteger(kSN, QStringLiteral("Step"), s.Step);
    else if (ini.ValueExists(kSN, QStringLiteral("Step")))
        ini.DeleteKey(kSN, QStringLiteral("Step"));
    if (s.Check != ticket::TCheck::None)
        ini.WriteString(kSN, QStringLiteral("Check"), ticket::CheckName(s.Check));
    else if (ini.ValueExists(kSN, QStringLiteral("Check"))
             && ticket::ParseCheck(ini.ReadString(kSN, QStringLiteral("Check"), QString()))) // not one it does not know
        ini.DeleteKey(kSN, QStringLiteral("Check"));
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
        const ticket::TSheetLayout& l = s.Sheet;
        ini.WriteInteger(kSheet, QStringLiteral("Columns"), l.Columns);
        ini.WriteInteger(kSheet, QStringLiteral("Rows"), l.Rows);
        ini.WriteFloat(kSheet, QStringLiteral("Left"), l.Left);
        ini.WriteFloat(kSheet, QStringLiteral("Top"), l.Top);
        ini.WriteFloat(kSheet, QStringLiteral("Width"), l.Width);
        ini.WriteFloat(kSheet, QStringLiteral("Height"), l.Height);
        ini.WriteFloat(kSheet, QStringLiteral("GapX"), l.GapX);
        ini.WriteFloat(kSheet, QStringLiteral("GapY"), l.GapY);
        ini.WriteString(kSheet, QStringLiteral("Order"), ticket::OrderName(l.Order));
        ini.WriteInteger(kSheet, QStringLiteral("StackDepth"), l.StackDepth);
        ini.WriteInteger(kSheet, QStringLiteral("Copies"), l.Copies);
        ini.WriteBool(kSheet, QStringLiteral("Reverse"), l.Reverse);
        ini.WriteInteger(kSheet, QStringLiteral("FirstSlot"), l.FirstSlot);
        ini.WriteBool(kSheet, QStringLiteral("CutMarks"), l.CutMarks);
    }
    WriteItems(ini, s.Items);
    if (s.Template.IsSet()) {
        ini.WriteString(kTemplate, QStringLiteral("File"), s.Template.File);
        ini.WriteInteger(kTemplate, QStringLiteral("Page"), s.Template.Page);
        ini.WriteString(kTemplate, QStringLiteral("Scope"), ticket::ScopeName(s.Template.Scope));
        ini.WriteBool(kTemplate, QStringLiteral("Print"), s.Template.Print);
    } else if (ini.SectionExists(kTemplate)) {
        ini.EraseSection(kTemplate);
    }
    ini.UpdateFile();
}

int ColorToInt(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16);
}

QColor IntToColor(int value)
{
    const quint32 bits = quint32(value);
    if (bits & kSystemColorBit) {
        const int index = int(bits & 0xFFu);
        for (const SystemColor& system : kSystemColors)
            if (system.index == index && qGuiApp)
                return QGuiApplication::palette().color(system.group, system.role);
        return QColor(Qt::black);
    }
    return QColor(int(bits & 0xFFu), int((bits >> 8) & 0xFFu), int((bits >> 16) & 0xFFu));
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
