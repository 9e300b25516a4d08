#include "run/Journal.h"

#include "platform/Exception.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QVarLengthArray>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <unordered_map>
#include <cstring>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QStringList kColumns { "started", "finished", "kind", "status", "first", "last", "pages", "prefix",
                             "suffix", "printer", "output", "job", "user", "host" };

QString Foreign(const QString& path)
{
    return QCoreApplication::translate("TJournal", "The journal %1 is not one this program writes: nothing is added to it until it is fixed")
        .arg(path);
}

QString Quoted(const QString& field)
{
    // Fields a spreadsheet could take for a formula are kept as text by a leading quote.
    QString value = field;
    if (!value.isEmpty() && QStringLiteral("=+-@").contains(value.front()) && !value.front().isDigit()) {
        bool number = false;
        value.toLongLong(&number);
        if (!number)
            value.prepend(QLatin1Char('\''));
    }
    if (value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('"')) || value.contains(QLatin1Char('\n'))
        || value.contains(QLatin1Char('\r')) || value.startsWith(QLatin1Char(' ')) || value.endsWith(QLatin1Char(' ')))
        return QLatin1Char('"') + QString(value).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    return value;
}

QString Unquoted(const QString& field)
{
    return field.startsWith(QLatin1Char('\'')) && field.size() > 1 && QStringLiteral("=+-@").contains(field[1])
        ? field.mid(1)
        : field;
}

QString TimeText(const QDateTime& time) { return time.isValid() ? time.toUTC().toString(Qt::ISODateWithMs) : QString(); }

std::optional<int> NumberField(const QString& text, bool* ok)
{
    if (text.isEmpty())
        return std::nullopt;
    bool good = false;
    const int value = text.toInt(&good);
    *ok = *ok && good;
    return value;
}

// The file's bytes as a journal: nothing when it is missing, an error when foreign.
std::optional<QByteArray> ReadJournal(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(Foreign(path));
    QByteArray bytes = file.readAll();
    const qsizetype lineEnd = bytes.indexOf('\n');
    const QByteArray header = (lineEnd < 0 ? bytes : bytes.left(lineEnd)).trimmed();
    if (header != TJournal::Header().toUtf8())
        throw Exception(Foreign(path));
    return bytes;
}

} // namespace

TJournal::TJournal(QString path)
    : path_(std::move(path))
{
}

QString TJournal::PathBeside(const QString& settingsPath)
{
    return QFileInfo(settingsPath).absoluteDir().filePath(QStringLiteral("Tallyforge-journal.csv"));
}

QString TJournal::Header() { return kColumns.join(QLatin1Char(',')); }

QString TJournal::KindText(TRunKind kind)
{
    switch (kind) {
    case TRunKind::Print: return QStringLiteral("print");
    case TRunKind::PrintNoAdvance: return QStringLiteral("print-no-advance");
    case TRunKind::Reprint: return QStringLiteral("reprint");
    case TRunKind::SetNext: return QStringLiteral("set-next");
    case TRunKind::Calibration: return QStringLiteral("calibration");
    }
    return {};
}

QString TJournal::StatusText(TRunStatus status)
{
    switch (status) {
    case TRunStatus::Completed: return QStringLiteral("completed");
    case TRunStatus::Cancelled: return QStringLiteral("cancelled");
    case TRunStatus::Failed: return QStringLiteral("failed");
    case TRunStatus::Interrupted: return QStringLiteral("interrupted");
    case TRunStatus::Unknown: return QStringLiteral("unknown");
    case TRunStatus::Aborted: return QStringLiteral("aborted");
    }
    return {};
}

QString TJournal::ToCsv(const TJournalRecord& r)
{
    const QStringList fields { TimeText(r.started), TimeText(r.finished), KindText(r.kind), StatusText(r.status),
                               r.first ? QString::number(*r.first) : QString(),
                               r.last ? QString::number(*r.last) : QString(), QString::number(r.pages),
                               r.prefix, r.suffix, r.printer, r.output,
                               r.job > 0 ? QString::number(r.job) : QString(), r.user, r.host };
    QStringList quoted;
    for (const QString& field : fields)
        quoted << Quoted(field);
    return quoted.join(QLatin1Char(','));
}

std::optional<TJournalRecord> TJournal::FromCsv(const QStringList& f)
{
    if (f.size() != kColumns.size())
        return std::nullopt;
    static const QHash<QString, TRunKind> kinds { { "print", TRunKind::Print },
                                                  { "print-no-advance", TRunKind::PrintNoAdvance },
                                                  { "reprint", TRunKind::Reprint },
                                                  { "set-next", TRunKind::SetNext },
                                                  { "calibration", TRunKind::Calibration } };
    static const QHash<QString, TRunStatus> statuses { { "completed", TRunStatus::Completed },
                                                       { "cancelled", TRunStatus::Cancelled },
                                                       { "failed", TRunStatus::Failed },
                                                       { "interrupted", TRunStatus::Interrupted },
                                                       { "unknown", TRunStatus::Unknown },
                                                       { "aborted", TRunStatus::Aborted } };
    TJournalRecord r;
    bool ok = kinds.contains(f[2]) && statuses.contains(f[3]);
    r.started = QDateTime::fromString(f[0], Qt::ISODateWithMs);
    r.finished = QDateTime::fromString(f[1], Qt::ISODateWithMs);
    ok = ok && r.started.isValid();
    r.kind = kinds.value(f[2]);
    r.status = statuses.value(f[3]);
    r.first = NumberField(f[4], &ok);
    r.last = NumberField(f[5], &ok);
    r.pages = NumberField(f[6], &ok).value_or(0);
    r.prefix = Unquoted(f[7]);
    r.suffix = Unquoted(f[8]);
    r.printer = Unquoted(f[9]);
    r.output = Unquoted(f[10]);
    r.job = NumberField(f[11], &ok).value_or(0);
    r.user = Unquoted(f[12]);
    r.host = Unquoted(f[13]);
    if (!ok)
        return std::nullopt;
    return r;
}

void TJournal::Append(const TJournalRecord& record) const
{
    const QByteArray native = QFile::encodeName(path_);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        throw Exception(QStringLiteral("Cannot write file %1: %2").arg(path_, QString::fromLocal8Bit(std::strerror(errno))));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer { fd };
    ::flock(fd, LOCK_EX);
    // Under the lock: the header is written once, by whoever finds the file empty, and a
    // file that turned out foreign is left alone.
    const off_t size = ::lseek(fd, 0, SEEK_END);
    QByteArray line;
    if (size == 0)
        line = Header().toUtf8() + "\r\n";
    else
        ReadJournal(path_);
    line += ToCsv(record).toUtf8() + "\r\n";
    const char* data = line.constData();
    qsizetype left = line.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : ENOSPC;
            // Never leave half a line: cut back to where this append began.
            if (::ftruncate(fd, size) != 0) { }
            throw Exception(QStringLiteral("Cannot write file %1: %2").arg(path_, QString::fromLocal8Bit(std::strerror(error))));
        }
        data += written;
        left -= written;
    }
    if (::fsync(fd) != 0)
        throw Exception(QStringLiteral("Cannot write file %1: %2").arg(path_, QString::fromLocal8Bit(std::strerror(errno))));
}

namespace {

// One CSV record's fields as byte ranges of the file, found without copying.
struct Field {
    qsizetype begin = 0;
    qsizetype end = 0;
    bool quoted = false;
};

class RecordScanner {
public:
    explicit RecordScanner(const QByteArray& bytes) : data_(bytes.constData()), size_(bytes.size()) { }

    // The next record's fields; false at the end, or when the text is not CSV.
    bool Next(QVarLengthArray<Field, 16>& fields)
    {
        fields.clear();
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
                        broken_ = true;
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
            broken_ = true; // text after a closing quote
            return false;
        }
    }
    bool Broken() const { return broken_; }
    qsizetype Position() const { return pos_; }
    void Seek(qsizetype pos) { pos_ = pos; }

private:
    const char* data_;
    qsizetype size_;
    qsizetype pos_ = 0;
    bool broken_ = false;
};

// A run is named by when it started, who and where.
struct RunKey {
    std::string_view started;
    std::string_view user;
    std::string_view host;
    bool operator==(const RunKey&) const = default;
};

struct RunKeyHash {
    size_t operator()(const RunKey& key) const
    {
        const std::hash<std::string_view> hash;
        return hash(key.started) ^ (hash(key.user) << 1) ^ (hash(key.host) << 2);
    }
};

QString FieldText(const QByteArray& bytes, const Field& field)
{
    const QString text = QString::fromUtf8(bytes.constData() + field.begin, field.end - field.begin);
    return field.quoted ? QString(text).replace(QStringLiteral("\"\""), QStringLiteral("\"")) : text;
}

std::optional<qint64> FieldNumber(const QByteArray& bytes, const Field& field)
{
    bool ok = false;
    const qint64 value = QByteArrayView(bytes.constData() + field.begin, field.end - field.begin).toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

} // namespace

QList<TJournalRecord> TJournal::Runs(std::optional<qint64> serial) const
{
    const std::optional<QByteArray> bytes = ReadJournal(path_);
    if (!bytes)
        return {};
    constexpr qsizetype kColumnCount = 14;
    RecordScanner scanner(*bytes);
    QVarLengthArray<Field, 16> fields;
    scanner.Next(fields); // the header, checked when the file was read
    // Each run by where its last record starts; the order is the order runs began.
    QList<qsizetype> lastRecord;
    std::unordered_map<RunKey, qsizetype, RunKeyHash> byRun;
    lastRecord.reserve(bytes->size() / 200);
    byRun.reserve(size_t(bytes->size() / 200));
    const auto view = [&](const Field& field) {
        return std::string_view(bytes->constData() + field.begin, size_t(field.end - field.begin));
    };
    for (qsizetype at = scanner.Position(); scanner.Next(fields); at = scanner.Position()) {
        if (fields.size() != kColumnCount)
            continue; // a line a person added by hand; the rest still counts
        const auto [found, added] = byRun.try_emplace(RunKey { view(fields[0]), view(fields[12]), view(fields[13]) },
                                                      lastRecord.size());
        if (added)
            lastRecord.append(at);
        else
            lastRecord[found->second] = at;
    }
    if (scanner.Broken())
        throw Exception(Foreign(path_));

    QList<TJournalRecord> runs;
    for (qsizetype i = lastRecord.size() - 1; i >= 0; --i) {
        scanner.Seek(lastRecord[i]);
        scanner.Next(fields);
        if (serial) {
            const std::optional<qint64> first = FieldNumber(*bytes, fields[4]);
            const std::optional<qint64> last = FieldNumber(*bytes, fields[5]);
            if (!first || !last || *serial < *first || *serial > *last)
                continue;
        }
        QStringList texts;
        for (const Field& field : fields)
            texts << FieldText(*bytes, field);
        if (const std::optional<TJournalRecord> record = FromCsv(texts))
            runs << *record;
    }
    return runs;
}

QString CurrentUser()
{
    if (const passwd* entry = ::getpwuid(::geteuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(::geteuid());
}

QString CurrentHost()
{
    char name[256] = {};
    ::gethostname(name, sizeof(name) - 1);
    return QString::fromLocal8Bit(name);
}
