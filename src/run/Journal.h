#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <algorithm>
#include <climits>
#include <optional>

// SetNext: a shared series moved by hand (only its server records these). Calibration: a
// calibration sheet, which has no serials. Resume: the sheets a stopped run of several
// tickets a sheet did not print, from the numbers it kept.
// Void: serials spoiled or never to be used, recorded by hand; nothing printed.
enum class TRunKind { Print, PrintNoAdvance, Reprint, SetNext, Calibration, Resume, Void };
// Unknown: the queue could not say whether it holds the document, so it may print; the
// record names every serial of the run. Aborted: the printer ended the accepted job early;
// the record names the job's serials and the pages the printer reported done. Sent: the
// spooler holds the whole document and has not said yet how the job ended.
enum class TRunStatus { Completed, Cancelled, Failed, Interrupted, Unknown, Aborted, Sent };

// A fresh run id: random, never 0 (0 is a record of an older journal, which has none).
quint64 NewRunId();

// Serials first..last on the 32-bit circle (last below first: across the wrap).
struct TSerialRange {
    int first = 0;
    int last = 0;
    bool operator==(const TSerialRange&) const = default;
};
// Ranges as the journal's not_printed column holds them: "105..109 115" (a range, a
// single serial), and back; nullopt for text that is not such a list.
QString NotPrintedText(const QList<TSerialRange>& ranges);
std::optional<QList<TSerialRange>> ParseNotPrinted(const QString& text);

// One CUPS job of a run as the journal's jobs column holds it: its id, the sheets its
// document holds, how it stands (Sent until the spooler says how it ended, then
// Completed, Cancelled or Aborted) and, for a job that ended early, the sheets the
// spooler reported done (none: it could not say, so any of them may have printed).
struct TSpoolJob {
    int id = 0;
    int sheets = 0;
    TRunStatus state = TRunStatus::Sent;
    std::optional<int> done;
    bool operator==(const TSpoolJob&) const = default;
};
// Jobs as the jobs column holds them: "17:1000:completed 18:1000:cancelled:250 19:40:sent",
// and back; nullopt for text that is not such a list.
QString JobsText(const QList<TSpoolJob>& jobs);
std::optional<QList<TSpoolJob>> ParseJobs(const QString& text);

// One run as the journal records it.
struct TJournalRecord {
    QDateTime started;  // UTC, to the millisecond; with user and host it names the run
    QDateTime finished; // invalid while the run has not ended
    TRunKind kind = TRunKind::Print;
    TRunStatus status = TRunStatus::Interrupted;
    // The serials that reached the output; for an interrupted record, the range the run
    // took. None when no page came out.
    std::optional<int> first;
    std::optional<int> last;
    int pages = 0;
    QString prefix;
    QString suffix;
    // The width the numbers were padded to; none where it was not recorded (older
    // journals, a shared series).
    std::optional<int> digits;
    // The sheets that came out, for a run of several tickets a sheet; none for the
    // one-ticket page (its pages are its tickets) and in older journals.
    std::optional<int> sheets;
    QString printer;
    QString output; // the PDF's path, or empty
    int job = 0;    // the CUPS job id, or 0
    QString user;
    QString host;
    // Tells apart runs that started in the same millisecond; 0 in older journals, whose
    // runs are told apart by start, user and host alone.
    quint64 run = NewRunId();
    // Numbers the run took but neither printed nor gave back (somebody reserved after
    // it): never handed out again, and accounted for here.
    std::optional<int> voidFirst;
    std::optional<int> voidLast;
    // The sheet layout of a run of several tickets a sheet (as ticket::LayoutText writes
    // it); empty for the one-ticket page.
    QString layout;
    // Serials of first..last that did not come out, for a run stopped part way whose
    // sheets held its serials out of order (it keeps them reserved, to print the rest).
    QList<TSerialRange> notPrinted;
    // The difference between one serial and the next, and the check character's scheme
    // (empty: none).
    int step = 1;
    QString check;
    // The artwork the numbers were printed on: its file name and SHA-256 (hex); empty: none.
    QString templateName;
    QString templateSha256;
    // The SHA-256 of the design the run printed (see ticket::DesignText), kept beside the
    // journal or on the series' server; empty in older journals.
    QString design;
    // The run whose rest this run printed (a resume, or the rest of a reprint); 0: none.
    quint64 resumes = 0;
    // Between the number and its check character, as printed; empty: nothing.
    QString checkSeparator;
    // A letter series' letters and separator (0 and empty: none).
    int letters = 0;
    QString letterSeparator;
    // The data file the run's items took their rows from: its path and SHA-256 (hex);
    // empty: none.
    QString dataFile;
    QString dataSha256;
    // Why the serials of a void record were spoiled, as the user gave it; empty: not said.
    QString reason;
    // The CUPS jobs the run went as, in the order of their sheets, and the print server
    // that holds them ("host:port"); none for a PDF and in older journals.
    QList<TSpoolJob> jobs;
    QString jobServer;
    // Whether a job of the run is still with the spooler, its end not yet on record.
    bool JobsPending() const
    {
        return std::any_of(jobs.begin(), jobs.end(), [](const TSpoolJob& j) { return j.state == TRunStatus::Sent; });
    }

    bool SameRun(const TJournalRecord& other) const
    {
        return started == other.started && user == other.user && host == other.host
            && (run == 0 || other.run == 0 || run == other.run);
    }
    // Whether serial is among the printed ones (for an interrupted record, the ones the
    // run was to print): first..last, step apart, less the ones a stopped run of sheets
    // did not print; a range may pass 2147483647 and go on from -2147483648.
    bool Covers(qint64 serial) const
    {
        return first && last && InRange(serial, *first, *last)
            && (step <= 1 || (quint32(qint32(serial)) - quint32(*first)) % quint32(step) == 0) && !NotPrinted(serial);
    }
    // Whether the record accounts for serial at all: printed, taken (a serial and the
    // numbers its step passes over, first..last + step - 1, printed or kept for the rest
    // of the run), or void.
    bool Accounts(qint64 serial) const
    {
        return Takes(serial) || (voidFirst && voidLast && InRange(serial, *voidFirst, *voidLast));
    }
    // The sheets that came out: a page of the one-ticket page is a sheet; none for a run
    // of sheets in an older journal.
    std::optional<qint64> SheetsOut() const
    {
        return sheets ? std::optional<qint64>(*sheets) : layout.isEmpty() ? std::optional<qint64>(pages) : std::nullopt;
    }
    // How many numbers the record keeps taken from its first serial on: up to its last
    // and the ones its step passes over after it. Not its pages: a stopped run of sheets
    // out of order keeps its whole range for the rest, whatever came out.
    qint64 TakenNumbers() const
    {
        return first && last ? qint64(quint32(*last) - quint32(*first)) + qMax(1, step) : 0;
    }
    bool Takes(qint64 serial) const
    {
        return first && last && InRange(serial, *first, int(quint32(*last) + quint32(qMax(1, step)) - 1));
    }
    bool NotPrinted(qint64 serial) const
    {
        return std::any_of(notPrinted.begin(), notPrinted.end(), [serial](const TSerialRange& r) { return InRange(serial, r.first, r.last); });
    }

    // first..last on the 32-bit circle: last below first is a range across the wrap.
    static bool InRange(qint64 serial, int first, int last)
    {
        return first <= last ? first <= serial && serial <= last
                             : (serial >= first && serial <= INT_MAX) || (serial >= INT_MIN && serial <= last);
    }
};

// The journal of every run: "Tallyforge-journal.csv" beside the settings file, RFC 4180
// CSV with a header line, so it opens in a spreadsheet. It is only ever appended to: a
// run writes an "interrupted" record before its first page and its final record when it
// ends; the last record of a run is the one that counts, so a killed run stays recorded
// with the range it took. Each append is one write under a lock, synced: a line is never
// torn and two processes appending at once lose nothing. A file that is not a journal
// (another header, unreadable) is never written to. Journals of older versions (without
// the run and void columns, or saved by a spreadsheet with a byte-order mark) still read.
class TJournal {
public:
    explicit TJournal(QString path);
    static QString PathBeside(const QString& settingsPath);
    const QString& Path() const { return path_; }

    // Raises Exception("The journal <path> is not one this program writes: nothing is
    // added to it until it is fixed") for a foreign or unreadable file, and
    // "Cannot write file <path>: <reason>" when the append fails.
    void Append(const TJournalRecord& record) const;

    // Raises as Append would, before a run takes any numbers: a foreign or unreadable
    // journal, one that cannot be opened for writing, or one that a file size limit or
    // a full disk would stop from taking a run's records.
    void CheckWritable() const;

    // Every run, by its last record, newest first; with a serial, only the runs whose
    // serials include it. A missing file has none; a foreign or unreadable one raises as
    // Append does.
    QList<TJournalRecord> Runs(std::optional<qint64> serial = std::nullopt) const;
    // The runs whose first..last holds one of `numbers` (as Runs(serial) without its step
    // and not_printed test): the few runs a serial's text can name, found without
    // building the others.
    QList<TJournalRecord> RunsHolding(const QList<qint64>& numbers) const;

    // The last record of the print (a run that moves the counter) that began last, read
    // from the journal's end only, so it stays quick however long the journal grows; none
    // when no print is on record. Raises as Runs does.
    std::optional<TJournalRecord> NewestPrint() const;

    static QString Header();
    static QString KindText(TRunKind kind);
    static QString StatusText(TRunStatus status);
    // The record as one CSV line (no line end), and back (fields of a line of this
    // version, or of an older one without the last columns).
    static QString ToCsv(const TJournalRecord& record);
    static std::optional<TJournalRecord> FromCsv(const QStringList& fields);
    // The record's columns from digits on, as CSV, and back into a record (what cannot be
    // read is left as it was): how a shared series keeps what its own columns do not.
    static QString DetailsText(const TJournalRecord& record);
    static void ReadDetails(const QString& text, TJournalRecord& record);

private:
    // The runs, newest first; with numbers, only those whose range holds one of them, and
    // with `covers`, only those that printed the first of them.
    QList<TJournalRecord> Read(const QList<qint64>& numbers, bool covers) const;

    QString path_;
};

// Who is printing, for the record.
QString CurrentUser();
QString CurrentHost();
