#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <vector>

// A run's data: a CSV file (RFC 4180, UTF-8 with or without a byte-order mark, CRLF or LF
// line ends) whose header row names the columns and whose rows fill {data:Column} in the
// items, one row a serial. The file's bytes are kept once, as read, and each row is found
// by where it begins: a million rows cost the file and eight bytes a row.
namespace ticket {

class TDataTable {
public:
    // The file read and checked. Raises Exception naming the file: one that cannot be read
    // (missing, a pipe or a device), or that is not such a CSV file, with the line at fault.
    static std::shared_ptr<const TDataTable> Load(const QString& path);
    // The same from bytes already read; `path` names them in messages.
    static std::shared_ptr<const TDataTable> FromBytes(QByteArray bytes, const QString& path);

    const QString& Path() const { return path_; }
    // The SHA-256 of the file's bytes, lower-case hex.
    const QString& Sha256() const { return sha256_; }
    const QStringList& Columns() const { return columns_; }
    // The column's index, or -1 when the header has no such name.
    int Column(QStringView name) const;
    qsizetype Rows() const { return qsizetype(rows_.size()); }
    // The field of data row `row` (from 0) in `column`; empty beyond the table.
    QString Value(qsizetype row, int column) const;

private:
    TDataTable() = default;

    QString path_;
    QString sha256_;
    QByteArray bytes_;
    QStringList columns_;
    std::vector<qsizetype> rows_; // where each data row begins in bytes_
};

// A ticket's row of the table, for ItemText: number n has row n - first (from 0).
struct TDataRow {
    const TDataTable* table = nullptr;
    qsizetype row = -1;
};

// The columns `text` names as {data:Column}, in order, each once.
QStringList DataColumns(const QString& text);

} // namespace ticket
