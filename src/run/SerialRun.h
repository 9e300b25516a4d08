#pragma once

#include "run/Journal.h"
#include "ticket/SerialDrawing.h"
#include "run/SeriesStore.h"
#include "ticket/Barcode.h"
#include "ticket/SheetLayout.h"
#include "ticket/Template.h"
#include "platform/PdfTemplate.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

// One run of serial pages through a print job, as the window's print commands and the
// command line make it: the page is fixed when the run starts, a run that moves the
// counter reserves its numbers before the first page, and what did not come out is
// given back afterwards (only if nobody took numbers after it). Only output that was
// confirmed (a published file, a job a queue accepted) counts as printed.
class TSerialRun {
public:
    // With the counter and journal of the settings file.
    TSerialRun(TCustomPrintJob& job, QString settingsPath);
    // With any store, e.g. a series shared on a server.
    TSerialRun(TCustomPrintJob& job, std::shared_ptr<TSeriesStore> store);

    TSeriesStore& Store() const { return *store_; }

    // Asked when the settings file's last number moved since the caller last saw it
    // (another window or process printed): true goes on from the number after it.
    std::function<bool(int lastNumber)> OnMoved;
    // The document's name (a PDF's file name, a CUPS job's title); empty: "Tallyforge"
    // and the run's first and last numbers.
    QString DocumentName;
    // After each page: pages done, of the run's total.
    std::function<void(int done, int total)> OnProgress;
    // How long a run waits for the jobs a queue accepted to end before it returns; a job
    // still with the spooler then is journaled sent, and FollowUp (or whoever reads the
    // journal next, spooler::FollowRuns) records its end.
    int FollowJobsMs = 2000;
    // A run on a queue goes as jobs of at most this many sheets, in order: the printer
    // starts on the first while the rest are drawn ([Printer] SheetsPerJob).
    int SheetsPerJob = 1000;
    // A run is refused before it takes any numbers when its record could not be kept
    // (a journal this program may not write, full, or past a file size limit); true
    // prints all the same, and JournalProblem says why it went unrecorded.
    bool AllowUnrecordable = false;
    // The artwork printed under the numbers of the runs to come, as the print room read
    // and checked it; none: no artwork. Journaled with its name and SHA-256.
    struct TRunArtwork {
        pdftemplate::TArtwork artwork;
        ticket::TTemplateScope scope = ticket::TTemplateScope::Sheet;
        // The printer's calibration, inches: the artwork lands where the numbers do.
        QPointF calibration;
    };
    std::optional<TRunArtwork> Artwork;
    // The design the runs to come print (ticket::DesignText), kept by the store and named
    // in their records; empty: none recorded.
    QString Design;
    // The run whose rest the next run prints, named in its record; 0: none. A rest of a
    // reprint is recorded as a reprint, marked as the reprint was.
    quint64 Resumes = 0;
    bool RestOfReprint = false;

    struct Outcome {
        int first = 0;      // the first page's number
        int step = 1;       // the difference between one page's number and the next
        int count = 0;      // the pages (tickets) the run was to print
        int delivered = 0;  // of those, the pages that reached confirmed output; a run of
                            // several tickets a sheet stopped out of order: none or all
        qint64 sheets = 0;  // the sheets the run was to print (its job's pages)
        qint64 sheetsDelivered = 0;
        QString knownLastNumber; // the last number as this run leaves it known
        // As journaled: Sent while a queue's job of the run is with the spooler, then how
        // the jobs ended (Aborted, Cancelled when one ended early).
        TRunStatus status = TRunStatus::Completed;
        // The queue's jobs the run went as, as journaled.
        QList<TSpoolJob> jobs;
        // A run of several tickets a sheet stopped part way whose sheets held its serials
        // out of order: the serials that did not come out (kept for Print the rest).
        QList<TSerialRange> notPrinted;
    };
    // Prints `count` pages of `page` (a count below 1 prints one). A print (TRunKind::
    // Print) reserves its numbers from page.StartingNumber first, `knownLastNumber` being
    // the last number as the caller last saw it; the other kinds leave the counter
    // alone. Nothing when OnMoved declined. What the print raises reaches the caller,
    // after the numbers were given back, unless the queue may still print the document
    // (its scheduler could not say): then they stay used and the run is journaled
    // unknown. Every run that prints is journaled beside the settings file.
    // With a layout of several tickets a sheet, `count` counts tickets and the job prints
    // the plan's sheets (see DrawPage).
    // A resume (TRunKind::Resume) prints the plan's sheets from printed sheet `fromSheet`
    // on (counted from 0), as the stopped run would have printed them.
    std::optional<Outcome> Print(serial::SerialPage page, int count, TRunKind kind, QString knownLastNumber,
                                 const ticket::TSheetLayout& layout = {}, qint64 fromSheet = 0);

    // The running print's layout and plan (the one-ticket page between runs), for the
    // job's drawing handler.
    const ticket::TSheetLayout& Layout() const { return layout_; }
    const ticket::TSheetPlan& Plan() const { return plan_; }
    // Draws page pageIndex (from 1) of the running print: `page` (the running page, with
    // whatever the caller applies to it) as DrawSerialSheet draws the plan's sheets.
    void DrawPage(TCanvas& canvas, int pageIndex, TDrawArea area, const serial::SerialPage& page) const;

    // Why the last run could not be journaled (a foreign journal, a full disk, a series
    // server lost during the run); empty when it was. The run itself is not held up by
    // its journal.
    const QString& JournalProblem() const { return journalProblem_; }

    // The page of the running print, for the job's drawing handler; null between runs.
    const serial::SerialPage* Page() const { return running_ ? &page_ : nullptr; }
    bool Running() const { return running_; }
    // Ends the running print after its current page.
    void Stop();

    // The last run's queue jobs may still be printing when Print returns (a window does
    // not wait for them). Asked again later, on a timer, this records how they ended as
    // Print would have (waiting up to `waitMs` for them), and returns true while one is
    // still with the spooler. Nothing left to follow (or another run began, whose jobs
    // are its own): false.
    bool FollowUp(int waitMs = 0);
    // The last run's record as last journaled; none before a run.
    const std::optional<TJournalRecord>& LastRecord() const { return lastRecord_; }

private:
    // Follows the record's jobs for up to `waitMs` and records a change.
    void FollowJobs(TJournalRecord& record, int waitMs);

    // The tickets that are the run's first ones on the first `sheets` printed sheets, or
    // nullopt when those sheets hold others too (another order, copies, reversed).
    std::optional<qint64> TicketsInOrder(qint64 sheets) const;
    // The serials of the run from `first`, `step` apart, not out once the plan's first `sheets` printed
    // sheets are.
    QList<TSerialRange> NotPrinted(qint32 first, int step, qint64 sheets) const;
    // The tickets that came out on printed sheets from..to (counted from 0, to not
    // included): a ticket is out once every copy of its sheet is.
    qint64 TicketsOut(qint64 from, qint64 to) const;

    TCustomPrintJob& job_;
    std::shared_ptr<TSeriesStore> store_;
    serial::SerialPage page_;
    ticket::TSheetLayout layout_;
    ticket::TSheetPlan plan_ { ticket::TSheetLayout(), 1 };
    ticket::TPageArea pageArea_;
    qint64 fromSheet_ = 0;
    bool resuming_ = false; // the running or last run prints a stopped run's rest
    bool running_ = false;
    QString journalProblem_;
    std::optional<TJournalRecord> followed_; // the last run's record while its jobs are pending
    std::optional<TJournalRecord> lastRecord_;
    std::unique_ptr<ticket::TBarcodeAhead> ahead_; // while a run with codes prints
};
