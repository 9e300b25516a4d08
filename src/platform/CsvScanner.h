#pragma once

#include <QByteArray>
#include <QString>
#include <QVarLengthArray>

#include <cstring>

// RFC 4180 CSV read in place: a record's fields as byte ranges of the text, found without
// copying. A field in double quotes may hold commas, line ends and doubled quotes; lines
// end with CRLF or LF. The journal and a run's data file are read with it.
namespace csv {

struct Field {
    qsizetype begin = 0;
    qsizetype end = 0;
    bool quoted = false; // its doubled quotes still doubled (see FieldText)
};

using Fields = QVarLengthArray<Field, 20>;

class RecordScanner {
public:
    // None: nothing wrong so far. OpenQuote: a quoted field that never closes.
    // AfterQuote: text between a closing quote and the next comma or line end.
    enum class Fault { None, OpenQuote, AfterQuote };

    explicit RecordScanner(const QByteArray& bytes, qsizetype from = 0)
        : data_(bytes.constData()), size_(bytes.size()), pos_(from) { }

    // The next record's fields; false at the end, or when the text is not CSV (Broken).
    bool Next(Fields& fields)
    {
        fields.clear();
        start_ = pos_;
        if (pos_ >= size_)
            return false;
        for (;;) {
            Field field;
            if (pos_ < size_ && data_[pos_] == '"') {
                field.quoted = true;
                field.begin = ++pos_;
                for (;;) {
                    const char* quote = static_cast<const char*>(std::memchr(data_ + pos_, '"', size_t(size_ - pos_)));
                    if (!quote) {
                        fault_ = Fault::OpenQuote;
                        return false;
                    }
                    pos_ = quote - data_ + 1;
                    if (pos_ < size_ && data_[pos_] == '"') {
                        ++pos_; // a doubled quote inside the field
                        continue;
                    }
                    field.end = pos_ - 1;
                    break;
                }
            } else {
                field.begin = pos_;
                while (pos_ < size_ && data_[pos_] != ',' && data_[pos_] != '\n' && data_[pos_] != '\r')
                    ++pos_;
                field.end = pos_;
            }
            fields.append(field);
            if (pos_ >= size_)
                return true;
            const char c = data_[pos_++];
            if (c == ',')
                continue;
            if (c == '\r' && pos_ < size_ && data_[pos_] == '\n')
                ++pos_;
            if (c == '\r' || c == '\n')
                return true;
            fault_ = Fault::AfterQuote;
            return false;
        }
    }
    bool Broken() const { return fault_ != Fault::None; }
    Fault Problem() const { return fault_; }
    qsizetype Position() const { return pos_; }
    // Where the record Next read last (or failed on) begins.
    qsizetype RecordStart() const { return start_; }
    void Seek(qsizetype pos) { pos_ = pos; }

private:
    const char* data_;
    qsizetype size_;
    qsizetype pos_ = 0;
    qsizetype start_ = 0;
    Fault fault_ = Fault::None;
};

// The field's text, its doubled quotes made single.
inline QString FieldText(const QByteArray& bytes, const Field& field)
{
    const QString text = QString::fromUtf8(bytes.constData() + field.begin, field.end - field.begin);
    return field.quoted ? QString(text).replace(QStringLiteral("\"\""), QStringLiteral("\"")) : text;
}

} // namespace csv
