#include "ticket/TicketItems.h"

#include "ticket/DataRows.h"

#include <QtGlobal>

#include <array>
#include <cmath>
#include <utility>

namespace ticket {

namespace {

template <typename Enum, std::size_t N>
std::optional<Enum> Find(const std::array<std::pair<Enum, const char*>, N>& names, const QString& text)
{
    const QString wanted = text.trimmed();
    for (const auto& [value, name] : names)
        if (wanted.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return value;
    return std::nullopt;
}

template <typename Enum, std::size_t N>
QString Name(const std::array<std::pair<Enum, const char*>, N>& names, Enum value)
{
    for (const auto& [v, name] : names)
        if (v == value)
            return QLatin1String(name);
    return QLatin1String(names.front().second);
}

constexpr std::array<std::pair<TItemKind, const char*>, 2> kKinds { { { TItemKind::Text, "text" }, { TItemKind::Barcode, "barcode" } } };
constexpr std::array<std::pair<TAlign, const char*>, 3> kAligns { { { TAlign::Left, "left" }, { TAlign::Center, "center" }, { TAlign::Right, "right" } } };
constexpr std::array<std::pair<TSymbology, const char*>, 6> kSymbologies { {
    { TSymbology::Code128, "code128" },
    { TSymbology::Code39, "code39" },
    { TSymbology::QR, "qr" },
    { TSymbology::DataMatrix, "datamatrix" },
    { TSymbology::EAN13, "ean13" },
    { TSymbology::ITF, "itf" },
} };
constexpr std::array<std::pair<TSymbology, const char*>, 6> kTitles { {
    { TSymbology::Code128, "Code 128" },
    { TSymbology::Code39, "Code 39" },
    { TSymbology::QR, "QR Code" },
    { TSymbology::DataMatrix, "Data Matrix" },
    { TSymbology::EAN13, "EAN-13" },
    { TSymbology::ITF, "ITF" },
} };

} // namespace

QString KindName(TItemKind kind) { return Name(kKinds, kind); }
std::optional<TItemKind> ParseKind(const QString& text) { return Find(kKinds, text); }
QString AlignName(TAlign align) { return Name(kAligns, align); }
std::optional<TAlign> ParseAlign(const QString& text) { return Find(kAligns, text); }
QString SymbologyName(TSymbology symbology) { return Name(kSymbologies, symbology); }
std::optional<TSymbology> ParseSymbology(const QString& text) { return Find(kSymbologies, text); }
QString SymbologyTitle(TSymbology symbology) { return Name(kTitles, symbology); }

bool IsTwoDimensional(TSymbology symbology)
{
    return symbology == TSymbology::QR || symbology == TSymbology::DataMatrix;
}

std::optional<int> ParseRotation(int degrees)
{
    const int turned = ((degrees % 360) + 360) % 360;
    if (turned % 90 != 0)
        return std::nullopt;
    return turned;
}

std::optional<TBookPlace> BookPlace(qint64 number, int size, qint64 first)
{
    if (size <= 0)
        return std::nullopt;
    const qint64 offset = number - first;
    qint64 book = offset / size;
    qint64 place = offset % size;
    if (place < 0) { // numbers below the first book's are in books 0, -1, ...
        place += size;
        --book;
    }
    return TBookPlace { book + 1, place + 1 };
}

QString ItemText(const QString& templateText, const QString& serial, const QString& number, const QString& check,
                 const std::optional<TBookPlace>& book, const std::optional<TCopyPart>& part, const TDataRow* data)
{
    static const QLatin1String kData("{data:");
    static const std::array<std::pair<QLatin1String, int>, 7> kFields { {
        { QLatin1String("{serial}"), 0 },
        { QLatin1String("{number}"), 1 },
        { QLatin1String("{check}"), 2 },
        { QLatin1String("{book}"), 3 },
        { QLatin1String("{inbook}"), 4 },
        { QLatin1String("{copy}"), 5 },
        { QLatin1String("{part}"), 6 },
    } };
    const QString bookText = book ? QString::number(book->book) : QString();
    const QString inBookText = book ? QString::number(book->inBook) : QString();
    const QString copyText = part ? QString::number(part->copy) : QString();
    const QString partText = part ? part->name : QString();
    const QString* values[] = { &serial, &number, &check, &bookText, &inBookText, &copyText, &partText };
    QString result;
    result.reserve(templateText.size() + serial.size());
    qsizetype from = 0;
    while (from < templateText.size()) {
        const qsizetype brace = templateText.indexOf(u'{', from);
        if (brace < 0)
            break;
        result += QStringView(templateText).mid(from, brace - from);
        from = brace + 1;
        bool replaced = false;
        for (const auto& [field, index] : kFields)
            if ((index < 3 || (index < 5 ? book.has_value() : part.has_value())) && QStringView(templateText).mid(brace).startsWith(field)) {
                result += *values[index];
                from = brace + field.size();
                replaced = true;
                break;
            }
        if (!replaced && data && data->table && QStringView(templateText).mid(brace).startsWith(kData)) {
            const qsizetype close = templateText.indexOf(u'}', brace + kData.size());
            const int column = close < 0 ? -1 : data->table->Column(QStringView(templateText).mid(brace + kData.size(), close - brace - kData.size()));
            if (column >= 0 && data->row >= 0 && data->row < data->table->Rows()) {
                result += data->table->Value(data->row, column);
                from = close + 1;
                replaced = true;
            }
        }
        if (!replaced)
            result += u'{';
    }
    result += QStringView(templateText).mid(from);
    return result;
}

TTicketItem Bounded(TTicketItem item)
{
    const auto within = [](double value, double low, double high) {
        return std::isfinite(value) ? qBound(low, value, high) : low;
    };
    item.Left = std::isfinite(item.Left) ? qBound(-kMaxItemPosition, item.Left, kMaxItemPosition) : 0;
    item.Top = std::isfinite(item.Top) ? qBound(-kMaxItemPosition, item.Top, kMaxItemPosition) : 0;
    item.Width = within(item.Width, kMinBarcodeSize, kMaxBarcodeSize);
    item.Height = within(item.Height, kMinBarcodeSize, kMaxBarcodeSize);
    item.Rotation = ParseRotation(item.Rotation).value_or(0);
    return item;
}

} // namespace ticket
