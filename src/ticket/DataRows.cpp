#include "ticket/DataRows.h"

#include "platform/CsvScanner.h"
#include "platform/Exception.h"
#include "platform/RegularFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>

namespace ticket {

namespace {

const QLatin1String kDataField("{data:");

// Where the bytes stop being UTF-8, or -1 when they are UTF-8 throughout.
qsizetype InvalidUtf8(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const unsigned char c = data[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int more = 0;
        unsigned int point = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            point = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            point = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            point = c & 0x07;
        } else {
            return i;
        }
        for (int k = 1; k <= more; ++k) {
            if (i + k >= size || (data[i + k] & 0xC0) != 0x80)
                return i;
            point = (point << 6) | (data[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and points past U+10FFFF are not UTF-8.
        if ((more == 2 && (point < 0x800 || (point >= 0xD800 && point <= 0xDFFF))) || (more == 3 && (point < 0x10000 || point > 0x10FFFF)))
            return i;
        i += more + 1;
    }
    return -1;
}

// The line (from 1) that byte `at` stands on.
qsizetype LineAt(const QByteArray& bytes, qsizetype at)
{
    return QByteArrayView(bytes.constData(), at).count('\n') + 1;
}

QString Faulty(const QString& path, qsizetype line, const QString& what)
{
    return QCoreApplication::translate("TDataTable", "The data file %1 is not a readable CSV file: line %2 %3")
        .arg(QDir::toNativeSeparators(path))
        .arg(line)
        .arg(what);
}

} // namespace

std::shared_ptr<const TDataTable> TDataTable::Load(const QString& path)
{
    std::optional<QByteArray> bytes = regularfile::Read(path);
    if (!bytes)
        throw Exception(QCoreApplication::translate("TDataTable", "The data file %1 does not exist").arg(QDir::toNativeSeparators(path)));
    return FromBytes(std::move(*bytes), path);
}

std::shared_ptr<const TDataTable> TDataTable::FromBytes(QByteArray bytes, const QString& path)
{
    std::shared_ptr<TDataTable> table(new TDataTable);
    table->path_ = path;
    table->sha256_ = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    if (const qsizetype bad = InvalidUtf8(bytes); bad >= 0)
        throw Exception(Faulty(path, LineAt(bytes, bad), QCoreApplication::translate("TDataTable", "is not UTF-8 text")));
    const qsizetype from = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    csv::RecordScanner scanner(bytes, from);
    csv::Fields fields;
    const auto broken = [&] {
        const QString what = scanner.Problem() == csv::RecordScanner::Fault::OpenQuote
            ? QCoreApplication::translate("TDataTable", "opens a quoted field that never closes")
            : QCoreApplication::translate("TDataTable", "has text after a closing quote");
        return Exception(Faulty(path, LineAt(bytes, scanner.RecordStart()), what));
    };
    if (!scanner.Next(fields)) {
        if (scanner.Broken())
            throw broken();
        throw Exception(QCoreApplication::translate("TDataTable", "The data file %1 has no header row").arg(QDir::toNativeSeparators(path)));
    }
    for (const csv::Field& field : fields) {
        const QString name = csv::FieldText(bytes, field).trimmed();
        if (!name.isEmpty() && table->columns_.contains(name))
            throw Exception(Faulty(path, 1, QCoreApplication::translate("TDataTable", "names the column '%1' twice").arg(name)));
        table->columns_ << name;
    }
    // Blank lines at the end (an editor's last line end) are no rows.
    qsizetype end = bytes.size();
    while (end > scanner.Position() && (bytes[end - 1] == '\n' || bytes[end - 1] == '\r'))
        --end;
    for (;;) {
        const qsizetype start = scanner.Position();
        if (start >= end)
            break;
        if (!scanner.Next(fields))
            throw broken();
        if (fields.size() != table->columns_.size())
            throw Exception(Faulty(path, LineAt(bytes, start),
                                   QCoreApplication::translate("TDataTable", "has %1 fields, the header %2").arg(fields.size()).arg(table->columns_.size())));
        table->rows_.push_back(start);
    }
    table->bytes_ = std::move(bytes);
    return table;
}

int TDataTable::Column(QStringView name) const
{
    for (int i = 0; i < columns_.size(); ++i)
        if (columns_[i] == name)
            return i;
    return -1;
}

QString TDataTable::Value(qsizetype row, int column) const
{
    if (row < 0 || row >= Rows() || column < 0 || column >= columns_.size())
        return {};
    csv::RecordScanner scanner(bytes_, rows_[size_t(row)]);
    csv::Fields fields;
    if (!scanner.Next(fields) || column >= fields.size())
        return {};
    return csv::FieldText(bytes_, fields[column]);
}

QStringList DataColumns(const QString& text)
{
    QStringList columns;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(kDataField, from);
        if (at < 0)
            break;
        const qsizetype close = text.indexOf(u'}', at + kDataField.size());
        if (close < 0)
            break;
        const QString name = text.mid(at + kDataField.size(), close - at - kDataField.size());
        if (!columns.contains(name))
            columns << name;
        from = close + 1;
    }
    return columns;
}

} // namespace ticket
