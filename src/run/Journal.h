#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// SetNext: a shared series moved by hand (only its server records these). Calibration: a
// calibration sheet, which has no serials.
enum class TRunKind { Print, PrintNoAdvance, Reprint, SetNext, Calibration };
// Unknown: the queue could not say whether it holds the document, so it may print; the
// record names every serial of the run. Aborted: the printer ended the accepted job early;
// the record names the job's serials and the pages the printer reported done.
enum class TRunStatus { Completed, Cancelled, Failed, Interrupted, Unknown, Aborted };

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
    QString printer;
    QString output; // the PDF's path, or empty
    int job = 0;    // the CUPS job id, or 0
    QString user;
    QString host;

    bool SameRun(const TJournalRecord& other) const
    {
        return started == other.started && user == other.user && host == other.host;
    }
    bool Covers(qint64 serial) const { return first && last && *first <= serial && serial <= *last; }
};

// The journal of every run: "Tallyforge-journal.csv" beside the settings file, RFC 4180
// CSV with a header line, so it opens in a spreadsheet. It is only ever appended to: a
// run writes an "interrupted" record before its first page and its final record when it
// ends; the last record of a run is the one that counts, so a killed run stays recorded
// with the range it took. Each append is one write under a lock, synced: a line is never
// torn and two processes appending at once lose nothing. A file that is not a journal
// (another header, unreadable) is never written to.
class TJournal {
public:
    explicit TJournal(QString path);
    static QString PathBeside(const QString& settingsPath);
    const QString& Path() const { return path_; }

    // Raises Exception("The journal <path> is not one this program writes: nothing is
    // added to it until it is fixed") for a foreign or unreadable file, and
    // "Cannot write file <path>: <reason>" when the append fails.
    void Append(const TJournalRecord& record) const;

    // Every run, by its last record, newest first; with a serial, only the runs whose
    // serials include it. A missing file has none; a foreign or unreadable one raises as
    // Append does.
    QList<TJournalRecord> Runs(std::optional<qint64> serial = std::nullopt) const;

    static QString Header();
    static QString KindText(TRunKind kind);
    static QString StatusText(TRunStatus status);
    // The record as one CSV line (no line end), and back.
    static QString ToCsv(const TJournalRecord& record);
    static std::optional<TJournalRecord> FromCsv(const QStringList& fields);

private:
    QString path_;
};

// Who is printing, for the record.
QString CurrentUser();
QString CurrentHost();
