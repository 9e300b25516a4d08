#include "run/Journal.h"

#include "platform/CsvScanner.h"
#include "platform/Exception.h"
#include "platform/FileLock.h"
#include "platform/RegularFile.h"
#include "ticket/SerialText.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QVarLengthArray>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <string_view>
#include <unordered_map>
#include <cstring>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

const QStringList kColumns { "started", "finished", "kind", "status", "first", "last", "pages", "prefix",
                             "suffix", "printer", "output", "job", "user", "host", "run", "void_first", "void_last", "digits",
                             "sheets", "layout", "not_printed", "step", "check", "template", "template_sha256", "design", "resumes", "check_separator",
                             "jobs", "print_server", "reason", "letters", "letter_separator", "data_file",
                             "data_sha256" };
// Journals written before the run and void columns.
constexpr qsizetype kOlderColumnCount = 14;
// Journals written before the sheets column. Each later version added columns at the end;
// a journal keeps the header it was made with, and its records keep that width unless a
// record needs a later column (so a spreadsheet still finds every field under its heading).
constexpr qsizetype kDigitsColumnCount = 18;
bool KnownWidth(qsizetype fields) { return fields == kOlderColumnCount || (fields >= kDigitsColumnCount && fields <= kColumns.size()); }
QString HeaderOf(qsizetype columns) { return kColumns.first(columns).join(QLatin1Char(',')); }
// Appends are short: a journal locked longer than this is held by a stuck program.
constexpr std::chrono::milliseconds kLockWait { 15000 };
// Room for a run's two records, checked before it takes numbers: each is a few hundred
// bytes, its output path up to a few kilobytes.
constexpr qint64 kRunRecordRoom = 16 * 1024;

QString Foreign(const QString& path)
{
    return QCoreApplication::translate("TJournal", "The journal %1 is not one this program writes: nothing is added to it until it is fixed")
        .arg(path);
}

QString CannotWrite(const QString& path, int error)
{
    return QStringLiteral("Cannot write file %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
}

// Past a file size limit an append must fail like a full disk, not end the process
// between its reservation and its record.
void IgnoreFileSizeSignal()
{
    static const bool ignored = (std::signal(SIGXFSZ, SIG_IGN), true);
    (void)ignored;
}

QString Quoted(const QString& field)
{
    // Fields a spreadsheet could take for a formula are kept as text by a leading
    // apostrophe; a field that starts with an apostrophe of its own gets one more, so
    // that it reads back as it was.
    QString value = field;
    if (!value.isEmpty()) {
        const QChar lead = value.front();
        bool guard = QStringLiteral("'=@\t\r").contains(lead);
        if (lead == QLatin1Char('+') || lead == QLatin1Char('-')) {
            bool number = false;
            value.toLongLong(&number);
            guard = !number;
        }
        if (guard)
            value.prepend(QLatin1Char('\''));
    }
    if (value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('"')) || value.contains(QLatin1Char('\n'))
        || value.contains(QLatin1Char('\r')) || value.startsWith(QLatin1Char(' ')) || value.endsWith(QLatin1Char(' ')))
        return QLatin1Char('"') + QString(value).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    return value;
}

// `current`: a line of this version, which guards TAB, CR and apostrophe leaders too;
// older lines guarded only = + - @ and kept any other apostrophe as it was.
QString Unquoted(const QString& field, bool current)
{
    if (field.size() < 2 || field[0] != QLatin1Char('\''))
        return field;
    const bool guarded = QStringLiteral("=+-@").contains(field[1]) || (current && QStringLiteral("'\t\r").contains(field[1]));
    return guarded ? field.mid(1) : field;
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

using csv::Field;
using csv::RecordScanner;

// A journal's bytes and where its records begin (after a byte-order mark and the header).
struct JournalText {
    QByteArray bytes;
    qsizetype records = 0;
    bool headed = false; // false: no header yet, the file is empty
    qsizetype columns = 0; // the header's columns
};

// The bytes as a journal; raises when they are not one. An empty file (a first append
// killed before it wrote) has no records yet. `scan`: also find text that is not CSV
// anywhere in it (an open quote), which would take the next record into it.
JournalText ParseJournal(const QString& path, QByteArray bytes, bool scan)
{
    JournalText text;
    text.records = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0; // as spreadsheets save it
    if (bytes.size() > text.records) {
        const qsizetype lineEnd = bytes.indexOf('\n', text.records);
        const QByteArray header = bytes.mid(text.records, lineEnd < 0 ? -1 : lineEnd - text.records).trimmed();
        text.columns = 0;
        for (qsizetype columns = kOlderColumnCount; columns <= kColumns.size() && !text.columns; ++columns)
            if (KnownWidth(columns) && header == HeaderOf(columns).toUtf8())
                text.columns = columns;
        if (!text.columns)
            throw Exception(Foreign(path));
        text.records = lineEnd < 0 ? bytes.size() : lineEnd + 1;
        text.headed = true;
    }
    if (scan) {
        RecordScanner scanner(bytes, text.records);
        csv::Fields fields;
        while (scanner.Next(fields)) { }
        if (scanner.Broken())
            throw Exception(Foreign(path));
    }
    text.bytes = std::move(bytes);
    return text;
}

// The file's bytes as a journal: nothing when it is missing, an error when foreign. A
// pipe or a device is refused, never read: it could wait for ever or never end.
std::optional<JournalText> ReadJournal(const QString& path, bool scan)
{
    regularfile::CheckReadable(path);
    std::optional<QByteArray> bytes;
    try {
        bytes = regularfile::Read(path);
    } catch (const Exception&) {
        throw Exception(Foreign(path));
    }
    if (!bytes)
        return std::nullopt;
    return ParseJournal(path, std::move(*bytes), scan);
}

// The journal opened to be written: only a regular file, or the one a symbolic link leads
// to (the link stays). A pipe, a device, a folder or a link to nothing raises, naming it.
// `create`: a missing journal is made.
int OpenToWrite(const QString& path, int flags, bool create)
{
    const QString target = regularfile::WriteTarget(path);
    // Non-blocking, so that a pipe put in its place since cannot hold the open up.
    const int fd = ::open(QFile::encodeName(target).constData(),
                          flags | O_APPEND | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | (create ? O_CREAT : 0), 0666);
    if (fd < 0) {
        if (errno == ENOENT && !create)
            return -1;
        throw Exception(CannotWrite(path, errno));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        regularfile::WriteTarget(path); // says what it is now
        throw Exception(CannotWrite(path, EINVAL));
    }
    return fd;
}

// The whole file through an open descriptor; false when it cannot be read.
bool ReadAll(int fd, qint64 size, QByteArray* bytes)
{
    bytes->resize(qsizetype(size));
    qint64 done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, bytes->data() + done, size_t(size - done), off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += got;
    }
    return true;
}

} // namespace

quint64 NewRunId()
{
    quint64 id = 0;
    while (id == 0)
        id = QRandomGenerator::global()->generate64();
    return id;
}

TJournal::TJournal(QString path)
    : path_(std::move(path))
{
    IgnoreFileSizeSignal();
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
    case TRunKind::Resume: return QStringLiteral("resume");
    case TRunKind::Void: return QStringLiteral("void");
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
    case TRunStatus::Sent: return QStringLiteral("sent");
    }
    return {};
}

QString NotPrintedText(const QList<TSerialRange>& ranges)
{
    QStringList parts;
    for (const TSerialRange& range : ranges)
        parts << (range.first == range.last ? QString::number(range.first)
                                            : QStringLiteral("%1..%2").arg(range.first).arg(range.last));
    return parts.join(QLatin1Char(' '));
}

std::optional<QList<TSerialRange>> ParseNotPrinted(const QString& text)
{
    static const QRegularExpression kRange(QStringLiteral("^(-?\\d+)(?:\\.\\.(-?\\d+))?$"));
    QList<TSerialRange> ranges;
    for (const QString& part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = kRange.match(part);
        bool firstOk = false;
        bool lastOk = true;
        const int first = match.captured(1).toInt(&firstOk);
        const int last = match.captured(2).isEmpty() ? first : match.captured(2).toInt(&lastOk);
        if (!match.hasMatch() || !firstOk || !lastOk)
            return std::nullopt;
        ranges.append({ first, last });
    }
    return ranges;
}

namespace {

const QList<std::pair<TRunStatus, QLatin1String>> kJobStates { { TRunStatus::Sent, QLatin1String("sent") },
                                                               { TRunStatus::Completed, QLatin1String("completed") },
                                                               { TRunStatus::Cancelled, QLatin1String("cancelled") },
                                                               { TRunStatus::Aborted, QLatin1String("aborted") } };

} // namespace

QString JobsText(const QList<TSpoolJob>& jobs)
{
    QStringList parts;
    for (const TSpoolJob& job : jobs) {
        QString part = QStringLiteral("%1:%2:").arg(job.id).arg(job.sheets);
        for (const auto& [state, name] : kJobStates)
            if (state == job.state)
                part += name;
        if (job.done)
            part += QStringLiteral(":%1").arg(*job.done);
        parts << part;
    }
    return parts.join(QLatin1Char(' '));
}

std::optional<QList<TSpoolJob>> ParseJobs(const QString& text)
{
    QList<TSpoolJob> jobs;
    for (const QString& part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList fields = part.split(QLatin1Char(':'));
        if (fields.size() < 3 || fields.size() > 4)
            return std::nullopt;
        TSpoolJob job;
        bool idOk = false;
        bool sheetsOk = false;
        bool doneOk = true;
        job.id = fields[0].toInt(&idOk);
        job.sheets = fields[1].toInt(&sheetsOk);
        if (fields.size() == 4)
            job.done = fields[3].toInt(&doneOk);
        const auto state = std::find_if(kJobStates.begin(), kJobStates.end(), [&](const auto& s) { return s.second == fields[2]; });
        if (!idOk || !sheetsOk || !doneOk || job.id <= 0 || job.sheets < 0 || (job.done && *job.done < 0) || state == kJobStates.end())
            return std::nullopt;
        job.state = state->first;
        jobs << job;
    }
    return jobs;
}

namespace {

// A record's fields, quoted as the journal writes them; the columns after the sheets one
// only as far as the record uses them.
QStringList QuotedFields(const TJournalRecord& r)
{
    const auto number = [](const std::optional<int>& value) { return value ? QString::number(*value) : QString(); };
    const QStringList fields { TimeText(r.started), TimeText(r.finished), TJournal::KindText(r.kind), TJournal::StatusText(r.status),
                               number(r.first), number(r.last), QString::number(r.pages),
                               r.prefix, r.suffix, r.printer, r.output,
                               r.job > 0 ? QString::number(r.job) : QString(), r.user, r.host,
                               r.run ? QStringLiteral("%1").arg(r.run, 16, 16, QLatin1Char('0')) : QString(),
                               number(r.voidFirst), number(r.voidLast), number(r.digits), number(r.sheets),
                               r.layout, NotPrintedText(r.notPrinted), r.step != 1 ? QString::number(r.step) : QString(),
                               r.check, r.templateName, r.templateSha256, r.design,
                               r.resumes ? QStringLiteral("%1").arg(r.resumes, 16, 16, QLatin1Char('0')) : QString(),
                               r.checkSeparator, JobsText(r.jobs), r.jobServer, r.reason,
                               r.letters > 0 ? QString::number(r.letters) : QString(), r.letterSeparator, r.dataFile, r.dataSha256 };
    QStringList quoted;
    for (const QString& field : fields)
        quoted << Quoted(field);
    // The columns after the sheets one only as far as the record uses them.
    while (quoted.size() > kDigitsColumnCount + 1 && quoted.last().isEmpty())
        quoted.removeLast();
    return quoted;
}

QStringList SplitCsvLine(const QString& line);

} // namespace

QString TJournal::ToCsv(const TJournalRecord& r) { return QuotedFields(r).join(QLatin1Char(',')); }

QString TJournal::DetailsText(const TJournalRecord& record)
{
    return QuotedFields(record).mid(kDigitsColumnCount - 1).join(QLatin1Char(','));
}

void TJournal::ReadDetails(const QString& text, TJournalRecord& record)
{
    if (text.isEmpty())
        return;
    const QStringList details = SplitCsvLine(text);
    QStringList fields = SplitCsvLine(ToCsv(record)).first(kDigitsColumnCount - 1);
    if (fields.size() + details.size() > kColumns.size())
        return;
    const std::optional<TJournalRecord> read = FromCsv(fields + details);
    if (!read)
        return;
    record.digits = read->digits;
    record.sheets = read->sheets;
    record.layout = read->layout;
    record.notPrinted = read->notPrinted;
    record.step = read->step;
    record.check = read->check;
    record.templateName = read->templateName;
    record.templateSha256 = read->templateSha256;
    record.design = read->design;
    record.resumes = read->resumes;
    record.checkSeparator = read->checkSeparator;
    record.jobs = read->jobs;
    record.jobServer = read->jobServer;
    record.reason = read->reason;
    record.letters = read->letters;
    record.letterSeparator = read->letterSeparator;
    record.dataFile = read->dataFile;
    record.dataSha256 = read->dataSha256;
}

std::optional<TJournalRecord> TJournal::FromCsv(const QStringList& f)
{
    const bool current = f.size() >= kDigitsColumnCount;
    if (!KnownWidth(f.size()))
        return std::nullopt;
    static const QHash<QString, TRunKind> kinds { { "print", TRunKind::Print },
                                                  { "print-no-advance", TRunKind::PrintNoAdvance },
                                                  { "reprint", TRunKind::Reprint },
                                                  { "set-next", TRunKind::SetNext },
                                                  { "calibration", TRunKind::Calibration },
                                                  { "resume", TRunKind::Resume },
                                                  { "void", TRunKind::Void } };
    static const QHash<QString, TRunStatus> statuses { { "completed", TRunStatus::Completed },
                                                       { "cancelled", TRunStatus::Cancelled },
                                                       { "failed", TRunStatus::Failed },
                                                       { "interrupted", TRunStatus::Interrupted },
                                                       { "unknown", TRunStatus::Unknown },
                                                       { "aborted", TRunStatus::Aborted },
                                                       { "sent", TRunStatus::Sent } };
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
    r.prefix = Unquoted(f[7], current);
    r.suffix = Unquoted(f[8], current);
    r.printer = Unquoted(f[9], current);
    r.output = Unquoted(f[10], current);
    r.job = NumberField(f[11], &ok).value_or(0);
    r.user = Unquoted(f[12], current);
    r.host = Unquoted(f[13], current);
    r.run = 0;
    if (current) {
        if (!f[14].isEmpty())
            r.run = f[14].toULongLong(&ok, 16);
        r.voidFirst = NumberField(f[15], &ok);
        r.voidLast = NumberField(f[16], &ok);
        ok = ok && r.voidFirst.has_value() == r.voidLast.has_value();
        r.digits = NumberField(f[17], &ok);
        if (r.digits && (*r.digits < 0 || *r.digits > 32))
            r.digits.reset(); // not a width this program writes
        if (f.size() > kDigitsColumnCount) {
            r.sheets = NumberField(f[18], &ok);
            if (r.sheets && *r.sheets < 0)
                r.sheets.reset();
        }
        const auto field = [&f](qsizetype i) { return i < f.size() ? f[i] : QString(); };
        r.layout = Unquoted(field(19), true);
        if (const std::optional<QList<TSerialRange>> ranges = ParseNotPrinted(Unquoted(field(20), true)))
            r.notPrinted = *ranges;
        else
            ok = false;
        r.step = NumberField(field(21), &ok).value_or(1);
        ok = ok && r.step >= 1;
        r.check = Unquoted(field(22), true);
        r.templateName = Unquoted(field(23), true);
        r.templateSha256 = field(24);
        r.design = field(25);
        if (!field(26).isEmpty())
            r.resumes = field(26).toULongLong(&ok, 16);
        r.checkSeparator = Unquoted(field(27), true);
        if (const std::optional<QList<TSpoolJob>> jobs = ParseJobs(field(28)))
            r.jobs = *jobs;
        else
            ok = false;
        r.jobServer = Unquoted(field(29), true);
        r.reason = Unquoted(field(30), true);
        r.letters = qBound(0, NumberField(field(31), &ok).value_or(0), ticket::kMaxLetters);
        r.letterSeparator = Unquoted(field(32), true);
        r.dataFile = Unquoted(field(33), true);
        r.dataSha256 = field(34);
    }
    if (!ok)
        return std::nullopt;
    return r;
}

void TJournal::Append(const TJournalRecord& record) const
{
    const int fd = OpenToWrite(path_, O_RDWR, true);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer { fd };
    const TFileLock lock(fd, path_, TFileLock::Mode::Exclusive, kLockWait);
    // Under the lock: the header is written once, by whoever finds the file without one,
    // and a file that turned out foreign or unreadable is left alone.
    const off_t size = ::lseek(fd, 0, SEEK_END);
    QByteArray existing;
    if (size < 0 || !ReadAll(fd, size, &existing))
        throw Exception(CannotWrite(path_, errno ? errno : EIO));
    const JournalText text = ParseJournal(path_, std::move(existing), true);
    QByteArray line;
    if (!text.headed)
        line = Header().toUtf8() + "\r\n";
    else if (!text.bytes.endsWith('\n'))
        line = "\r\n"; // the last line lost its end (an edit, a power cut): this record is a line of its own
    QByteArray csv = ToCsv(record).toUtf8();
    if (text.headed && text.columns == kDigitsColumnCount && csv.count(',') == kDigitsColumnCount)
        csv.truncate(csv.lastIndexOf(',')); // a journal without the sheets column, and a record without later ones
    line += csv + "\r\n";
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
            throw Exception(CannotWrite(path_, error));
        }
        data += written;
        left -= written;
    }
    if (::fsync(fd) != 0)
        throw Exception(CannotWrite(path_, errno));
}

void TJournal::CheckWritable() const
{
    qint64 size = 0;
    QString folder = QFileInfo(path_).absolutePath();
    if (const int fd = OpenToWrite(path_, O_WRONLY, false); fd >= 0) {
        struct stat info {};
        const bool known = ::fstat(fd, &info) == 0;
        ::close(fd);
        if (!known)
            throw Exception(CannotWrite(path_, errno));
        size = info.st_size;
        folder = QFileInfo(regularfile::WriteTarget(path_)).absolutePath();
        ReadJournal(path_, true);
    } else if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0) {
        throw Exception(CannotWrite(path_, errno));
    }
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
        && quint64(size + kRunRecordRoom) > quint64(limit.rlim_cur))
        throw Exception(CannotWrite(path_, EFBIG));
    struct statvfs disk {};
    if (::statvfs(QFile::encodeName(folder).constData(), &disk) == 0
        && quint64(disk.f_bavail) * disk.f_frsize < quint64(kRunRecordRoom))
        throw Exception(CannotWrite(path_, ENOSPC));
}

namespace {

// A run is named by when it started, who and where, and its id (none in older journals).
struct RunKey {
    std::string_view started;
    std::string_view user;
    std::string_view host;
    std::string_view run;
    bool operator==(const RunKey&) const = default;
};

struct RunKeyHash {
    size_t operator()(const RunKey& key) const
    {
        const std::hash<std::string_view> hash;
        return hash(key.started) ^ (hash(key.user) << 1) ^ (hash(key.host) << 2) ^ (hash(key.run) << 3);
    }
};

using csv::FieldText;

QStringList SplitCsvLine(const QString& line)
{
    const QByteArray bytes = line.toUtf8();
    RecordScanner scanner(bytes);
    csv::Fields fields;
    QStringList texts;
    if (scanner.Next(fields))
        for (const Field& field : fields)
            texts << FieldText(bytes, field);
    return texts;
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
    return Read(serial ? QList<qint64> { *serial } : QList<qint64>(), serial.has_value());
}

QList<TJournalRecord> TJournal::RunsHolding(const QList<qint64>& numbers) const
{
    return numbers.isEmpty() ? QList<TJournalRecord>() : Read(numbers, false);
}

QList<TJournalRecord> TJournal::Read(const QList<qint64>& numbers, bool covers) const
{
    const bool filtered = covers || !numbers.isEmpty();
    const std::optional<JournalText> text = ReadJournal(path_, false);
    if (!text)
        return {};
    const QByteArray& bytes = text->bytes;
    RecordScanner scanner(bytes, text->records);
    csv::Fields fields;
    // Each run by where its last record starts; the order is the order runs began.
    QList<qsizetype> lastRecord;
    std::unordered_map<RunKey, qsizetype, RunKeyHash> byRun;
    lastRecord.reserve(bytes.size() / 200);
    byRun.reserve(size_t(bytes.size() / 200));
    const auto view = [&](const Field& field) {
        return std::string_view(bytes.constData() + field.begin, size_t(field.end - field.begin));
    };
    for (qsizetype at = scanner.Position(); scanner.Next(fields); at = scanner.Position()) {
        if (!KnownWidth(fields.size()))
            continue; // a line a person added by hand; the rest still counts
        const RunKey key { view(fields[0]), view(fields[12]), view(fields[13]),
                           fields.size() > kOlderColumnCount ? view(fields[14]) : std::string_view() };
        const auto [found, added] = byRun.try_emplace(key, lastRecord.size());
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
        if (filtered) {
            const std::optional<qint64> first = FieldNumber(bytes, fields[4]);
            const std::optional<qint64> last = FieldNumber(bytes, fields[5]);
            const auto holds = [&](qint64 number) { return TJournalRecord::InRange(number, int(*first), int(*last)); };
            if (!first || !last || std::none_of(numbers.begin(), numbers.end(), holds))
                continue;
        }
        QStringList texts;
        for (const Field& field : fields)
            texts << FieldText(bytes, field);
        if (const std::optional<TJournalRecord> record = FromCsv(texts); record && (!covers || record->Covers(numbers.front())))
            runs << *record;
    }
    return runs;
}

std::optional<TJournalRecord> TJournal::NewestPrint() const
{
    regularfile::CheckReadable(path_);
    const int fd = ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        throw Exception(Foreign(path_));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer { fd };
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        throw Exception(Foreign(path_));
    const qint64 size = info.st_size;
    const auto view = [](const QByteArray& bytes, const Field& field) {
        return std::string_view(bytes.constData() + field.begin, size_t(field.end - field.begin));
    };
    // A print's first record is its only interrupted one, written when it began: the last
    // such record of a print is the newest print's, and its last record says how it ended.
    for (qint64 tail = 64 * 1024;; tail *= 4) {
        const qint64 from = qMax<qint64>(0, size - tail);
        QByteArray bytes(qsizetype(size - from), Qt::Uninitialized);
        for (qint64 done = 0; done < size - from;) {
            const ssize_t got = ::pread(fd, bytes.data() + done, size_t(size - from - done), off_t(from + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                throw Exception(Foreign(path_));
            done += got;
        }
        qsizetype start = 0;
        if (from == 0) {
            const JournalText text = ParseJournal(path_, std::move(bytes), false);
            bytes = text.bytes;
            start = text.records;
        }
        // Within the file, the first line from which whole records follow (a field may
        // hold a line break, so a line start is tried until one reads as a record).
        QList<qsizetype> records;
        csv::Fields fields;
        for (int tries = 0; records.isEmpty() && tries < 64 && start < bytes.size(); ++tries) {
            if (from > 0) {
                const qsizetype lineEnd = bytes.indexOf('\n', start);
                if (lineEnd < 0)
                    break;
                start = lineEnd + 1;
            }
            RecordScanner scanner(bytes, start);
            QList<qsizetype> found;
            bool whole = true;
            for (qsizetype at = scanner.Position(); scanner.Next(fields); at = scanner.Position()) {
                if (found.isEmpty() && (!KnownWidth(fields.size()) || !QDateTime::fromString(FieldText(bytes, fields[0]), Qt::ISODateWithMs).isValid())) {
                    whole = false;
                    break;
                }
                found.append(at);
            }
            if (whole && !scanner.Broken())
                records = found;
            if (from == 0)
                break;
        }
        const auto key = [&](const csv::Fields& f) {
            return RunKey { view(bytes, f[0]), view(bytes, f[12]), view(bytes, f[13]),
                            f.size() > kOlderColumnCount ? view(bytes, f[14]) : std::string_view() };
        };
        RecordScanner scanner(bytes);
        for (qsizetype i = records.size() - 1; i >= 0; --i) {
            scanner.Seek(records[i]);
            if (!scanner.Next(fields) || !KnownWidth(fields.size()) || view(bytes, fields[2]) != "print"
                || view(bytes, fields[3]) != "interrupted")
                continue;
            const RunKey newest = key(fields);
            qsizetype last = records[i];
            for (qsizetype j = i + 1; j < records.size(); ++j) {
                scanner.Seek(records[j]);
                if (scanner.Next(fields) && KnownWidth(fields.size()) && key(fields) == newest)
                    last = records[j];
            }
            scanner.Seek(last);
            scanner.Next(fields);
            QStringList texts;
            for (const Field& field : fields)
                texts << FieldText(bytes, field);
            return FromCsv(texts);
        }
        if (from == 0)
            return std::nullopt;
    }
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
