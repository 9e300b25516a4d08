#include "ticket/TicketDesign.h"

#include "platform/IniFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>

#include <algorithm>
#include <cmath>

namespace ticket {

namespace {

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

const QString kSheetSection = QStringLiteral("Sheet");

} // namespace

// Reading strips a value's outer blanks, so a prefix such as "No. " is kept in quotes. A
// value in quotes is quoted again, so one that is meant to have them keeps them too.
QString QuotedValue(const QString& text)
{
    const bool quoted = text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"');
    if (!quoted && text.trimmed().size() == text.size())
        return text;
    return u'"' + text + u'"';
}

QString UnquotedValue(const QString& text)
{
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        return text.mid(1, text.size() - 2);
    return text;
}

double Within(double value, double limit) { return qBound(-limit, value, limit); }

QString UnknownValue(const QString& section, const QString& key, const QString& value)
{
    return QStringLiteral("[%1] %2=%3").arg(section, key, value);
}

bool ListsKey(const QStringList& unknown, const QString& section, const QString& key)
{
    const QString start = QStringLiteral("[%1] %2=").arg(section, key);
    return std::any_of(unknown.begin(), unknown.end(), [&start](const QString& entry) { return entry.startsWith(start, Qt::CaseInsensitive); });
}

namespace {

// A key's value that `parse` does not take goes on the list, as the file holds it.
template <class Parse>
void Check(const TIniFile& ini, const QString& section, const QString& key, Parse parse, QStringList* unknown)
{
    if (!unknown || !ini.ValueExists(section, key))
        return;
    const QString value = ini.ReadString(section, key, QString());
    if (!parse(value))
        *unknown << UnknownValue(section, key, value);
}

} // namespace

QList<TTicketItem> ReadItemKeys(const TIniFile& ini, QStringList* unknown)
{
    using namespace settingslimits;
    QList<TTicketItem> items;
    // In order; the first missing section ends the list.
    for (int index = 0; ini.SectionExists(ItemSection(index)); ++index) {
        const QString section = ItemSection(index);
        const TTicketItem d;
        TTicketItem item;
        Check(ini, section, kKind, [](const QString& v) { return ParseKind(v).has_value(); }, unknown);
        Check(ini, section, kAlign, [](const QString& v) { return ParseAlign(v).has_value(); }, unknown);
        Check(ini, section, kSymbology, [](const QString& v) { return ParseSymbology(v).has_value(); }, unknown);
        Check(ini, section, kRotation, [](const QString& v) {
            bool number = false;
            const int degrees = v.trimmed().toInt(&number);
            return number && ParseRotation(degrees).has_value();
        }, unknown);
        item.Kind = ParseKind(ini.ReadString(section, kKind, QString())).value_or(d.Kind);
        item.Left = ini.ReadFloat(section, kLeft, d.Left);
        item.Top = ini.ReadFloat(section, kTop, d.Top);
        item.Text = UnquotedValue(ini.ReadString(section, kText, d.Text));
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
        item.Align = ParseAlign(ini.ReadString(section, kAlign, QString())).value_or(d.Align);
        item.Rotation = ini.ReadInteger(section, kRotation, d.Rotation);
        item.Symbology = ParseSymbology(ini.ReadString(section, kSymbology, QString())).value_or(d.Symbology);
        item.Width = ini.ReadFloat(section, kWidth, d.Width);
        item.Height = ini.ReadFloat(section, kHeight, d.Height);
        item.HumanReadable = ini.ReadBool(section, kHumanReadable, d.HumanReadable);
        // Positions as far as the two positions may go, sizes a page can hold, and a
        // rotation that is not a quarter turn as none.
        item = Bounded(item);
        item.Left = Within(item.Left, kMaxIndent);
        item.Top = Within(item.Top, kMaxIndent);
        items << item;
    }
    return items;
}

void WriteItemKeys(TIniFile& ini, const QList<TTicketItem>& items, const QStringList& keep)
{
    for (int index = 0; index < items.size(); ++index) {
        const QString section = ItemSection(index);
        const TTicketItem& item = items[index];
        const bool text = item.Kind == TItemKind::Text;
        // Keys that do not apply to the item, or are left to [Font], go; a value this
        // program does not know stays as the file has it.
        const auto put = [&](const QString& key, bool applies, const auto& write) {
            if (ListsKey(keep, section, key))
                return;
            if (applies)
                write();
            else if (ini.ValueExists(section, key))
                ini.DeleteKey(section, key);
        };
        put(kKind, true, [&] { ini.WriteString(section, kKind, KindName(item.Kind)); });
        ini.WriteFloat(section, kLeft, item.Left);
        ini.WriteFloat(section, kTop, item.Top);
        ini.WriteString(section, kText, QuotedValue(item.Text));
        put(kName, text && item.Font.has_value(), [&] { ini.WriteString(section, kName, item.Font.value_or(QString())); });
        put(kSize, text && item.Size.has_value(), [&] { ini.WriteInteger(section, kSize, item.Size.value_or(0)); });
        put(kBold, text && item.Bold.has_value(), [&] { ini.WriteBool(section, kBold, item.Bold.value_or(false)); });
        put(kItalic, text && item.Italic.has_value(), [&] { ini.WriteBool(section, kItalic, item.Italic.value_or(false)); });
        put(kColor, text && item.Color.has_value(), [&] { ini.WriteInteger(section, kColor, item.Color.value_or(0)); });
        put(kAlign, text, [&] { ini.WriteString(section, kAlign, AlignName(item.Align)); });
        put(kRotation, true, [&] { ini.WriteInteger(section, kRotation, item.Rotation); });
        put(kSymbology, !text, [&] { ini.WriteString(section, kSymbology, SymbologyName(item.Symbology)); });
        put(kWidth, !text, [&] { ini.WriteFloat(section, kWidth, item.Width); });
        put(kHeight, !text, [&] { ini.WriteFloat(section, kHeight, item.Height); });
        put(kHumanReadable, !text, [&] { ini.WriteBool(section, kHumanReadable, item.HumanReadable); });
    }
    // The items that were removed: their sections up to the gap that ended the list.
    for (int index = int(items.size()); ini.SectionExists(ItemSection(index)); ++index)
        ini.EraseSection(ItemSection(index));
}


void ReadSheetKeys(const TIniFile& ini, const QString& section, TSheetLayout& l, QStringList* unknown)
{
    Check(ini, section, QStringLiteral("Order"), [](const QString& v) { return ParseOrder(v).has_value(); }, unknown);
    Check(ini, section, QStringLiteral("Origin"), [](const QString& v) { return ParseOrigin(v).has_value(); }, unknown);
    for (const TSheetField& k : SheetFields()) {
        const QString key = QLatin1String(k.key);
        switch (k.kind) {
        case TSheetField::Kind::Integer: l.*k.integer = ini.ReadInteger(section, key, l.*k.integer); break;
        case TSheetField::Kind::Inches: l.*k.inches = ini.ReadFloat(section, key, l.*k.inches); break;
        case TSheetField::Kind::Bool: l.*k.flag = ini.ReadBool(section, key, l.*k.flag); break;
        case TSheetField::Kind::Order: l.Order = ParseOrder(ini.ReadString(section, key, QString())).value_or(l.Order); break;
        case TSheetField::Kind::Origin: l.Origin = ParseOrigin(ini.ReadString(section, key, QString())).value_or(l.Origin); break;
        }
    }
}

namespace {

// A design's lengths read back to the very same doubles (a settings file's are written
// for people, to 15 digits): a replayed grid rounds to the same printer pixels.
void WriteExact(TIniFile& ini, const QString& section, const QString& key, double value)
{
    ini.WriteString(section, key, value == 0 ? QStringLiteral("0") : QString::number(value, 'g', 17));
}

void WriteSheet(TIniFile& ini, const QString& section, const TSheetLayout& l, bool exact, const QStringList& keep = {})
{
    for (const TSheetField& k : SheetFields()) {
        const QString key = QLatin1String(k.key);
        if (ListsKey(keep, section, key))
            continue;
        switch (k.kind) {
        case TSheetField::Kind::Integer: ini.WriteInteger(section, key, l.*k.integer); break;
        case TSheetField::Kind::Inches:
            if (exact)
                WriteExact(ini, section, key, l.*k.inches);
            else
                ini.WriteFloat(section, key, l.*k.inches);
            break;
        case TSheetField::Kind::Bool: ini.WriteBool(section, key, l.*k.flag); break;
        case TSheetField::Kind::Order: ini.WriteString(section, key, OrderName(l.Order)); break;
        case TSheetField::Kind::Origin:
            // Written for the paper; the printable area, everybody's before there was a
            // choice, is left out, unless a settings file says so itself.
            if (l.Origin != TOrigin::Printable || (!exact && ini.ValueExists(section, key)))
                ini.WriteString(section, key, OriginName(l.Origin));
            break;
        }
    }
}

} // namespace

void WriteSheetKeys(TIniFile& ini, const QString& section, const TSheetLayout& layout, const QStringList& keep)
{
    WriteSheet(ini, section, layout, false, keep);
}

TSheetLayout Resolved(TSheetLayout layout, const TPageArea& area)
{
    if (layout.IsDefault() || (layout.Width > 0 && layout.Height > 0))
        return layout;
    // The slot rectangle of the first slot has the size every ticket gets.
    const QRectF slot = SlotRect(layout, 0, area);
    if (layout.Width <= 0)
        layout.Width = slot.width();
    if (layout.Height <= 0)
        layout.Height = slot.height();
    return layout;
}

namespace {

const QString kDesign = QStringLiteral("Design");
const QString kPaper = QStringLiteral("Paper");
const QString kSN = QStringLiteral("SN");
const QString kFont = QStringLiteral("Font");
const QString kTemplate = QStringLiteral("Template");
const QString kData = QStringLiteral("Data");
// A design text names its version; a later version's is not read as this one's.
constexpr int kDesignVersion = 1;

} // namespace

QString DesignText(const TTicketDesign& d)
{
    TIniFile ini { QString() };
    ini.WriteInteger(kDesign, QStringLiteral("Version"), kDesignVersion);
    ini.WriteString(kPaper, QStringLiteral("Name"), d.Paper);
    ini.WriteBool(kPaper, QStringLiteral("Landscape"), d.Landscape);
    WriteExact(ini, kPaper, QStringLiteral("Width"), d.PaperSize.width());
    WriteExact(ini, kPaper, QStringLiteral("Height"), d.PaperSize.height());
    WriteExact(ini, kPaper, QStringLiteral("PrintableLeft"), d.Printable.left());
    WriteExact(ini, kPaper, QStringLiteral("PrintableTop"), d.Printable.top());
    WriteExact(ini, kPaper, QStringLiteral("PrintableWidth"), d.Printable.width());
    WriteExact(ini, kPaper, QStringLiteral("PrintableHeight"), d.Printable.height());
    const serial::SerialPage& p = d.Page;
    WriteExact(ini, kPaper, QStringLiteral("HorizontalIndent"), p.HorizontalIndent);
    WriteExact(ini, kPaper, QStringLiteral("VerticalIndent"), p.VerticalIndent);
    WriteExact(ini, kPaper, QStringLiteral("HorizontalIndent2"), p.HorizontalIndent2);
    WriteExact(ini, kPaper, QStringLiteral("VerticalIndent2"), p.VerticalIndent2);
    ini.WriteString(kSN, QStringLiteral("Prefix"), QuotedValue(p.Prefix));
    ini.WriteString(kSN, QStringLiteral("Suffix"), QuotedValue(p.Suffix));
    ini.WriteInteger(kSN, QStringLiteral("Digits"), p.Digits);
    ini.WriteInteger(kSN, QStringLiteral("Step"), p.Step);
    ini.WriteString(kSN, QStringLiteral("Check"), CheckName(p.Check));
    if (!p.CheckSeparator.isEmpty()) // absent from every design made before it was known
        ini.WriteString(kSN, QStringLiteral("CheckSeparator"), QuotedValue(p.CheckSeparator));
    if (p.Letters > 0) {
        ini.WriteInteger(kSN, QStringLiteral("Letters"), p.Letters);
        ini.WriteString(kSN, QStringLiteral("LetterSeparator"), QuotedValue(p.LetterSeparator));
    }
    if (!p.PartNames.isEmpty())
        ini.WriteString(kSheetSection, QStringLiteral("PartNames"), QuotedValue(p.PartNames.join(QLatin1Char('|'))));
    if (p.BookSize > 0) {
        ini.WriteInteger(QStringLiteral("Book"), QStringLiteral("Size"), p.BookSize);
        ini.WriteInteger(QStringLiteral("Book"), QStringLiteral("FirstNumber"), p.BookFirst);
    }
    if (!p.DataFile.isEmpty()) {
        ini.WriteString(kData, QStringLiteral("File"), QuotedValue(p.DataFile));
        ini.WriteInteger(kData, QStringLiteral("FirstNumber"), p.DataFirst);
        ini.WriteString(kData, QStringLiteral("SHA256"), d.DataSha256);
    }
    ini.WriteString(kSN, QStringLiteral("Mark"), QuotedValue(p.Mark));
    ini.WriteString(kFont, QStringLiteral("Name"), QuotedValue(p.Font.Name));
    ini.WriteInteger(kFont, QStringLiteral("Size"), p.Font.Size);
    ini.WriteInteger(kFont, QStringLiteral("Color"), p.Font.Color);
    ini.WriteBool(kFont, QStringLiteral("Bold"), p.Font.Bold);
    ini.WriteBool(kFont, QStringLiteral("Underline"), p.Font.Underline);
    ini.WriteBool(kFont, QStringLiteral("Italic"), p.Font.Italic);
    ini.WriteBool(kFont, QStringLiteral("Strikeout"), p.Font.StrikeOut);
    WriteSheet(ini, kSheetSection, d.Sheet, true);
    WriteItemKeys(ini, p.Items);
    if (d.Artwork.IsSet()) {
        ini.WriteString(kTemplate, QStringLiteral("File"), QuotedValue(d.Artwork.File));
        ini.WriteInteger(kTemplate, QStringLiteral("Page"), d.Artwork.Page);
        ini.WriteString(kTemplate, QStringLiteral("Scope"), ScopeName(d.Artwork.Scope));
        ini.WriteBool(kTemplate, QStringLiteral("Print"), d.Artwork.Print);
        ini.WriteString(kTemplate, QStringLiteral("SHA256"), d.ArtworkSha256);
    }
    return QString::fromUtf8(ini.ToBytes());
}

std::optional<TTicketDesign> ParseDesign(const QString& text)
{
    TIniFile ini { QString() };
    ini.LoadFromBytes(text.toUtf8());
    if (ini.ReadInteger(kDesign, QStringLiteral("Version"), 0) != kDesignVersion)
        return std::nullopt;
    TTicketDesign d;
    d.Paper = ini.ReadString(kPaper, QStringLiteral("Name"), QString());
    d.Landscape = ini.ReadBool(kPaper, QStringLiteral("Landscape"), false);
    d.PaperSize = QSizeF(ini.ReadFloat(kPaper, QStringLiteral("Width"), 0), ini.ReadFloat(kPaper, QStringLiteral("Height"), 0));
    d.Printable = QRectF(ini.ReadFloat(kPaper, QStringLiteral("PrintableLeft"), 0), ini.ReadFloat(kPaper, QStringLiteral("PrintableTop"), 0),
                         ini.ReadFloat(kPaper, QStringLiteral("PrintableWidth"), 0), ini.ReadFloat(kPaper, QStringLiteral("PrintableHeight"), 0));
    serial::SerialPage& p = d.Page;
    using namespace settingslimits;
    p.HorizontalIndent = Within(ini.ReadFloat(kPaper, QStringLiteral("HorizontalIndent"), 0), kMaxIndent);
    p.VerticalIndent = Within(ini.ReadFloat(kPaper, QStringLiteral("VerticalIndent"), 0), kMaxIndent);
    p.HorizontalIndent2 = Within(ini.ReadFloat(kPaper, QStringLiteral("HorizontalIndent2"), 0), kMaxIndent);
    p.VerticalIndent2 = Within(ini.ReadFloat(kPaper, QStringLiteral("VerticalIndent2"), 0), kMaxIndent);
    p.Prefix = UnquotedValue(ini.ReadString(kSN, QStringLiteral("Prefix"), QString()));
    p.Suffix = UnquotedValue(ini.ReadString(kSN, QStringLiteral("Suffix"), QString()));
    p.Digits = qBound(kMinDigits, ini.ReadInteger(kSN, QStringLiteral("Digits"), 0), kMaxDigits);
    p.Step = qBound(kMinStep, ini.ReadInteger(kSN, QStringLiteral("Step"), 1), kMaxStep);
    const std::optional<TCheck> check = ParseCheck(ini.ReadString(kSN, QStringLiteral("Check"), QString()));
    if (!check)
        return std::nullopt; // a scheme this version does not know: not its design
    p.Check = *check;
    p.CheckSeparator = UnquotedValue(ini.ReadString(kSN, QStringLiteral("CheckSeparator"), QString()));
    p.Letters = qBound(0, ini.ReadInteger(kSN, QStringLiteral("Letters"), 0), kMaxLetters);
    p.LetterSeparator = UnquotedValue(ini.ReadString(kSN, QStringLiteral("LetterSeparator"), QString()));
    p.BookSize = qMax(0, ini.ReadInteger(QStringLiteral("Book"), QStringLiteral("Size"), 0));
    if (const QString parts = UnquotedValue(ini.ReadString(kSheetSection, QStringLiteral("PartNames"), QString())); !parts.isEmpty())
        p.PartNames = parts.split(QLatin1Char('|'));
    p.BookFirst = ini.ReadInteger(QStringLiteral("Book"), QStringLiteral("FirstNumber"), 1);
    p.DataFile = UnquotedValue(ini.ReadString(kData, QStringLiteral("File"), QString()));
    if (!p.DataFile.isEmpty()) {
        p.DataFirst = ini.ReadInteger(kData, QStringLiteral("FirstNumber"), 1);
        d.DataSha256 = ini.ReadString(kData, QStringLiteral("SHA256"), QString());
    }
    p.Mark = UnquotedValue(ini.ReadString(kSN, QStringLiteral("Mark"), QString()));
    p.Font.Name = UnquotedValue(ini.ReadString(kFont, QStringLiteral("Name"), p.Font.Name));
    p.Font.Size = qBound(kMinFontSize, ini.ReadInteger(kFont, QStringLiteral("Size"), p.Font.Size), kMaxFontSize);
    p.Font.Color = ini.ReadInteger(kFont, QStringLiteral("Color"), 0);
    p.Font.Bold = ini.ReadBool(kFont, QStringLiteral("Bold"), false);
    p.Font.Underline = ini.ReadBool(kFont, QStringLiteral("Underline"), false);
    p.Font.Italic = ini.ReadBool(kFont, QStringLiteral("Italic"), false);
    p.Font.StrikeOut = ini.ReadBool(kFont, QStringLiteral("Strikeout"), false);
    ReadSheetKeys(ini, kSheetSection, d.Sheet);
    d.Sheet = Bounded(d.Sheet);
    p.Items = ReadItemKeys(ini);
    if (const QString file = UnquotedValue(ini.ReadString(kTemplate, QStringLiteral("File"), QString())); !file.isEmpty()) {
        d.Artwork.File = file;
        d.Artwork.Page = qMax(1, ini.ReadInteger(kTemplate, QStringLiteral("Page"), 1));
        d.Artwork.Scope = ParseScope(ini.ReadString(kTemplate, QStringLiteral("Scope"), QString())).value_or(TTemplateScope::Sheet);
        d.Artwork.Print = ini.ReadBool(kTemplate, QStringLiteral("Print"), true);
        d.ArtworkSha256 = ini.ReadString(kTemplate, QStringLiteral("SHA256"), QString());
    }
    return d;
}

QString DesignHash(const QString& text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

QString PrintableDifference(const QRectF& recorded, const QRectF& now)
{
    constexpr double kTolerance = 0.01; // inches
    const auto same = [](double a, double b) { return std::abs(a - b) < kTolerance; };
    if (same(recorded.left(), now.left()) && same(recorded.top(), now.top()) && same(recorded.width(), now.width())
        && same(recorded.height(), now.height()))
        return {};
    const auto area = [](const QRectF& r) {
        return QCoreApplication::translate("TTicketDesign", "%1 x %2 in at %3, %4 in")
            .arg(r.width(), 0, 'f', 2)
            .arg(r.height(), 0, 'f', 2)
            .arg(r.left(), 0, 'f', 2)
            .arg(r.top(), 0, 'f', 2);
    };
    return QCoreApplication::translate("TTicketDesign", "the printable area is %1 now, %2 when it printed").arg(area(now), area(recorded));
}

} // namespace ticket
