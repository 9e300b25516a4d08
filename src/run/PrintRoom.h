#pragma once

#include "run/Calibration.h"
#include "run/Preflight.h"
#include "run/SerialRun.h"
#include "ticket/TicketDesign.h"
#include "platform/Exception.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

// The rules of a print, in one place for the window and the command line: a request
// (print, print without moving the counter, reprint, resume, calibration sheet) is prepared into a plan with the
// serials it will print, what it would misprint and the questions somebody must say yes
// to; then the plan is carried out. The window answers the questions with message
// boxes, the command line with --force. Nothing here shows a widget.

// What the user asked for.
struct TPrintRequest {
    TRunKind kind = TRunKind::Print;
    // The inputs; StartingNumber is the start the user sees (a typed one when
    // startChosen, else the counter's next number as the caller last read it).
    serial::SerialPage page;
    // Pages, or for a reprint the serials from page.StartingNumber. 64 bits, so that a
    // count no run can hold is refused instead of cut.
    qint64 count = 1;
    // A reprint's first and last serial as the user named them: as printed ("SC-000017")
    // or as bare numbers. Set, they stand for page.StartingNumber and count.
    QString firstText;
    QString lastText;
    // The user chose the start (typed a number, --start): the run prints from it or not
    // at all. Otherwise a print continues from whatever the series holds when it starts.
    bool startChosen = true;
    // The counter's text as the caller last read it; another text in the store means
    // another window or process printed since.
    QString knownLastNumber;
    // The calibration of the printer the run goes to.
    calibration::TOffset offset;
    // A run of more pages than this is asked about first (a count completed from the
    // history, one digit too many); 0: any count prints without asking.
    qint64 confirmAbove = 0;
    // Several tickets a sheet: count is then the tickets (serials); the default is the
    // one-ticket page.
    ticket::TSheetLayout layout;
    // A resume: the run whose rest to print (its serials, text and layout are the run's).
    std::optional<TJournalRecord> resumeOf;
    // The artwork under the numbers, its File absolute (see ticket::TemplatePath); printed
    // only when its Print is set. A reprint takes the artwork its serials were printed on.
    ticket::TTemplate artwork;
    // Values of the settings file this program does not know (TallyforgeSettings::
    // Unknown) that the request's own inputs do not replace: a print refuses them.
    QStringList unknownSettings;
};

// What is left of a run of several tickets a sheet that stopped part way with its serials
// out of order: it kept its numbers, and its remaining sheets print as they would have.
struct TRunRest {
    TJournalRecord run;          // the run that stopped (the first of its records)
    ticket::TSheetLayout layout; // as it printed
    qint64 tickets = 0;          // the whole run's
    qint64 fromSheet = 0;        // the printed sheets out so far, by it and its resumes
    QList<TSerialRange> notPrinted;
    // A print job of the run ended early and the spooler could not say how many of its
    // sheets came out: the rest prints them all, though some may be out already.
    bool uncertain = false;
};
// The rest of `run` among `runs` (a store's, newest first), by the run's record and those
// of its resumes; nullopt when nothing of it is left (or it is no such run).
std::optional<TRunRest> RestOf(const QList<TJournalRecord>& runs, const TJournalRecord& run);

// Something that needs a yes before the plan may be carried out. No is the safe answer.
struct TPrintQuestion {
    enum class Kind {
        Moved,          // the counter moved since the caller read it
        Reprinted,      // serials the journal shows as printed would print again
        BackOver,       // the counter would go back over printed serials
        NeverPrinted,   // a reprint of serials that were never printed
        Unrecorded,     // the journal cannot be read or written: the run would be recorded nowhere
        ReplacesOutput, // the chosen PDF file holds printed serials and would be replaced
        Misprint,       // a print that moves the counter would misprint (the warnings); the
                        // command line tells these instead of refusing
        Large,          // more tickets than the request's confirmAbove (a rest: left)
        ArtworkChanged, // a reprint's artwork file is not the one its serials were printed on
        DesignMissing,  // the design a reprint or resume would replay is not kept (anymore)
        PrintableChanged, // the printer's printable area is not the one the design was drawn for
        MovesSeries,    // a typed start on a shared series: the series is set to go on from it
        Ambiguous,      // a reprint's serial names serials of runs printed in different ways
        MayHavePrinted, // a rest whose sheets the spooler could not count: some may be out
        DataChanged,    // a reprint's or rest's data file is not the one its serials were printed from
    };
    Kind kind;
    QString text; // what is the matter, without a closing stop
    QString ask;  // the window's question: "Print them again?"
};

// The design a request prints on the current printer (the paper and printable area it
// reports), with the SHA-256 of the artwork read for it.
ticket::TTicketDesign DesignOf(const TPrintRequest& request, const QString& artworkSha256);

struct TPrintPlan {
    TPrintRequest request; // with the start the run will print from
    int count = 1;
    // What would misprint (outside the printable area, across the wrap, numbers changing
    // width); for a print that moves the counter also a Misprint question.
    QList<TPreflightWarning> warnings;
    // The counter's text the run expects to find (null: a shared series' next numbers).
    QString expected;
    QList<TPrintQuestion> questions;
    QList<TJournalRecord> runs; // the store's runs the plan was checked against
    qint64 fromSheet = 0;       // a resume: the first printed sheet it prints
    // The artwork the run prints under its numbers, as read and checked; none: no artwork.
    std::optional<pdftemplate::TArtwork> artwork;
    bool Asks(TPrintQuestion::Kind kind) const
    {
        return std::any_of(questions.begin(), questions.end(), [kind](const TPrintQuestion& q) { return q.kind == kind; });
    }
};

// The inputs of a request that have limits of their own. A refusal names the one at
// fault, so that the command line can name its option.
enum class TRequestInput { None, Count, Start, Serials, Digits, Step, Grid, Copies, StackDepth, FirstSlot, TemplatePage };

// A request no run can carry out (a count below 1, a range wider than a run); the
// command line reports it as a usage error, the window as an error.
class EPrintRequest : public Exception {
public:
    explicit EPrintRequest(const QString& message, TRequestInput input = TRequestInput::None)
        : Exception(message), input_(input) { }
    TRequestInput Input() const { return input_; }

private:
    TRequestInput input_;
};

// Serials spoiled or never to be used, to be recorded as void: named as a reprint names
// them (as printed, or bare numbers), with the format of today's page for numbers no run
// printed.
struct TVoidRequest {
    QString firstText;
    QString lastText;
    QString reason;
    serial::SerialPage page;
};
// The record a void writes, and what needs a yes first: serials that no run printed or
// took (numbers a journal lost, or skipped by a typed start, which a void accounts
// for), a text that names serials of different runs alike.
struct TVoidPlan {
    TJournalRecord record;
    QList<TPrintQuestion> questions;
};

class TPrintRoom {
public:
    TPrintRoom(TCustomPrintJob& job, std::shared_ptr<TSeriesStore> store);

    TSeriesStore& Store() const { return run_.Store(); }
    TSerialRun& Run() { return run_; }

    // The plan for a request, checked against the store's runs and the current printer.
    // Raises EPrintRequest for a request no run can carry out, and what the store raises
    // when it cannot be read.
    TPrintPlan Prepare(TPrintRequest request);

    // Carries the plan out; every question must have been answered yes. Nothing when the
    // counter moved during the run's start and the plan's start was chosen (the caller
    // prepares again). A resume first claims its rest (raising, with who holds it, when
    // another process prints it) and prints only what is left of it then. What the print
    // raises reaches the caller.
    std::optional<TSerialRun::Outcome> Carry(const TPrintPlan& plan);

    // Why the last run carried out could not be journaled; empty when it was.
    const QString& JournalProblem() const { return journalProblem_; }

    // A value of one of the request's inputs, as wide as it was typed (the command line
    // reads 64 bits), within what a run can take; raises EPrintRequest naming the input
    // otherwise. A first slot is checked against the sheet's `places`. Prepare checks the
    // request's own values with the same rules.
    static qint64 Checked(TRequestInput input, qint64 value, int places = 1);

    // The void of a request, read against the store's runs and its counter's last
    // number: the serials of the run that printed the first one (its text and step),
    // nothing printed. Raises Exception for serials that no run took past the counter
    // (a void never moves it, so the next print would take them all the same), and
    // EPrintRequest for a range that is none.
    static TVoidPlan PlanVoid(const QList<TJournalRecord>& runs, std::optional<int> counter, const TVoidRequest& request);
    // Writes the void record to the store; raises when it could not be recorded.
    static void RecordVoid(TSeriesStore& store, TJournalRecord record);

private:
    // The parts of Prepare: the store's runs (or the question why there are none), a
    // print's start and the counter's move, a reprint's text and its never printed
    // serials, a large run, and a chosen file that would be replaced.
    static void CheckLimits(const serial::SerialPage& page);
    static void CheckLayout(const ticket::TSheetLayout& layout);
    // A calibration sheet: no serials, only where its file goes and its record.
    TPrintPlan PrepareSheet(TPrintRequest request);
    std::optional<TSerialRun::Outcome> CarrySheet(const TPrintPlan& plan);
    // A typed start on a shared series: the series goes on from it.
    void PlanSharedStart(TPrintPlan& plan, TPrintRequest& request, const TSeriesStore::Reading& now);
    // What the run would misprint where the calibrated printer puts it; raises
    // EPrintRequest for a code that cannot show one of its serials.
    QList<TPreflightWarning> Misprints(const TPrintRequest& request, int count);
    void ReadRuns(TPrintPlan& plan, bool reprint);
    void PlanStart(TPrintPlan& plan, TPrintRequest& request, const TSeriesStore::Reading& now,
                   const QList<TJournalRecord>& prints);
    // A reprint named by text: its numbers, the run its first serial names (if any) and
    // the texts that name no serial with the numbers they were read as (asked about).
    struct TNamedReprint {
        std::optional<TJournalRecord> run;
        QList<std::pair<QString, qint32>> unnamed;
    };
    static TNamedReprint NameReprint(TPrintPlan& plan, TPrintRequest& request);
    // Returns the run that printed the reprint's serials, if the journal names one.
    std::optional<TJournalRecord> PlanReprint(TPrintPlan& plan, TPrintRequest& request, const TNamedReprint& named);
    static void PlanResume(TPrintPlan& plan, TPrintRequest& request);
    // A reprint or resume prints what `printedBy` printed: its recorded design replaces
    // the request's, asking when it cannot be found or the printable area differs.
    void Replay(TPrintPlan& plan, TPrintRequest& request, const TJournalRecord& printedBy);
    static void AskAboutSize(TPrintPlan& plan, const TPrintRequest& request);
    static void AskAboutOutput(TPrintPlan& plan);
    static void CheckArtwork(TPrintPlan& plan, const TPrintRequest& request, const TJournalRecord* printedBy);
    // The data file read (the bytes printed and recorded) and checked: every column the
    // items name, a row for every serial. Raises for a file that cannot be read and for
    // what is missing, before anything is reserved.
    static void CheckData(TPrintPlan& plan, TPrintRequest& request, const TJournalRecord* printedBy);
    // A resume's claim on its rest, taken into `claim`; the printed sheet it goes on from,
    // as the store holds it under the claim.
    qint64 ClaimRest(const TPrintPlan& plan, std::unique_ptr<TRestClaim>& claim);

    TCustomPrintJob& job_;
    TSerialRun run_;
    QString journalProblem_;
};
