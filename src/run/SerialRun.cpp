#include "run/SerialRun.h"

#include "platform/Exception.h"
#include "platform/Printer.h"
#include "run/Preflight.h"
#include "run/SpoolerJobs.h"
#include "ticket/TicketDesign.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <algorithm>
#include <limits>

TSerialRun::TSerialRun(TCustomPrintJob& job, QString settingsPath)
    : TSerialRun(job, std::make_shared<TLocalSeries>(std::move(settingsPath)))
{
}

TSerialRun::TSerialRun(TCustomPrintJob& job, std::shared_ptr<TSeriesStore> store)
    : job_(job)
    , store_(std::move(store))
{
}

void TSerialRun::Stop()
{
    if (running_)
        job_.Abort();
}

void TSerialRun::DrawPage(TCanvas& canvas, int pageIndex, TDrawArea area, const serial::SerialPage& page) const
{
    serial::DrawSerialSheet(job_, canvas, fromSheet_ + pageIndex - 1, area, page, layout_, plan_, pageArea_, ahead_.get());
}

QList<TSerialRange> TSerialRun::NotPrinted(qint32 first, int step, qint64 sheets) const
{
    return sheetsout::NotPrinted(plan_, first, step, sheets);
}

qint64 TSerialRun::TicketsOut(qint64 from, qint64 to) const
{
    return sheetsout::TicketsOut(plan_, from, to);
}

std::optional<qint64> TSerialRun::TicketsInOrder(qint64 sheets) const
{
    return sheetsout::TicketsInOrder(layout_, plan_, sheets);
}

std::optional<TSerialRun::Outcome> TSerialRun::Print(serial::SerialPage page, int count, TRunKind kind,
                                                     QString knownLastNumber, const ticket::TSheetLayout& layout,
                                                     qint64 fromSheet)
{
    if (running_)
        return std::nullopt;
    const bool advance = kind == TRunKind::Print;
    journalProblem_.clear();
    layout_ = ticket::Bounded(layout);
    // A rest prints the sheets left of its plan, one ticket a sheet or several.
    const bool sheets = !layout_.IsDefault() || kind == TRunKind::Resume;
    plan_ = ticket::TSheetPlan(layout_, std::max(1, count));
    if (sheets && plan_.PrintedSheets() > std::numeric_limits<int>::max())
        throw Exception(QCoreApplication::translate("TSerialRun", "%1 sheets are more than one run can print").arg(plan_.PrintedSheets()));
    resuming_ = kind == TRunKind::Resume;
    fromSheet_ = kind == TRunKind::Resume ? std::clamp<qint64>(fromSheet, 0, plan_.PrintedSheets() - 1) : 0;
    pageArea_ = sheets ? serial::PageArea() : ticket::TPageArea();
    if (!AllowUnrecordable)
        store_->CheckRecordable();
    job_.SetPageCount(sheets ? int(plan_.PrintedSheets() - fromSheet_) : count);
    Outcome outcome;
    // The job raises a count below 1 to 1: the counter moves past the pages printed.
    outcome.count = sheets ? int(plan_.Tickets()) : job_.PageCount();
    outcome.sheets = job_.PageCount();
    outcome.knownLastNumber = knownLastNumber;

    TJournalRecord record;
    record.kind = kind == TRunKind::Resume && RestOfReprint ? TRunKind::Reprint : kind;
    record.resumes = kind == TRunKind::Resume ? Resumes : 0;
    if (!Design.isEmpty()) {
        // Kept before the first record names it: a record never names a design that is not there.
        record.design = ticket::DesignHash(Design);
        try {
            store_->KeepDesign(record.design, Design);
        } catch (const Exception&) {
            if (!AllowUnrecordable)
                throw;
            record.design.clear(); // printing unrecorded is what the user said yes to
        }
    }
    record.status = TRunStatus::Interrupted;
    record.prefix = page.Prefix;
    record.suffix = page.Suffix;
    record.digits = page.Digits;
    if (sheets)
        record.layout = ticket::LayoutText(layout_);
    page.Step = qMax(1, page.Step);
    record.step = page.Step;
    record.check = page.Check == ticket::TCheck::None ? QString() : ticket::CheckName(page.Check);
    if (page.Check != ticket::TCheck::None)
        record.checkSeparator = page.CheckSeparator;
    if (page.Letters > 0) {
        record.letters = page.Letters;
        record.letterSeparator = page.LetterSeparator;
    }
    const int step = page.Step;
    // The counter counts numbers: every serial and the ones the step passes over.
    const qint64 numbers = serial::RunNumbers(page, outcome.count);
    if (numbers > std::numeric_limits<int>::max())
        throw Exception(QCoreApplication::translate("TSerialRun", "%1 serials %2 apart span more numbers than one run can take").arg(outcome.count).arg(step));
    outcome.step = step;
    record.printer = Printer().PrinterName();
    record.user = CurrentUser();
    record.host = CurrentHost();
    if (page.Data) {
        record.dataFile = page.DataFile;
        record.dataSha256 = page.Data->Sha256();
    }
    if (Artwork) {
        record.templateName = Artwork->artwork.path;
        record.templateSha256 = Artwork->artwork.sha256;
    }
    // Before the first page: the numbers (for a print) and a record of the range this
    // run takes, which stays if the run is killed.
    std::optional<TSeriesStore::Reservation> reservation;
    for (;;) {
        record.started = QDateTime::currentDateTimeUtc();
        record.first = page.StartingNumber;
        record.last = serial::SerialNumber(page.StartingNumber, outcome.count, step);
        const TSeriesStore::Begun begun = store_->Begin(record, int(numbers), advance, outcome.knownLastNumber);
        if (!begun.moved) {
            reservation = begun.reservation;
            break;
        }
        if (!begun.moved->value)
            throw Exception(QCoreApplication::translate("TSerialRun", "The last number in %1 cannot be read: '%2'").arg(store_->Where(), begun.moved->text));
        if (!OnMoved || !OnMoved(*begun.moved->value))
            return std::nullopt;
        outcome.knownLastNumber = begun.moved->text;
        page.StartingNumber = serial::AddWrapping(*begun.moved->value, 1);
    }
    if (reservation) {
        // A shared series hands out its next numbers, which may not be the ones asked for.
        page.StartingNumber = reservation->first;
        outcome.knownLastNumber = reservation->text;
    }
    if (!store_->Problem().isEmpty())
        journalProblem_ = store_->Problem();

    // Numbers printed over artwork are drawn without their white cell.
    page.OnArtwork = Artwork.has_value();
    page_ = std::move(page);
    outcome.first = page_.StartingNumber;
    const auto title = [first = outcome.first, step, rest = kind == TRunKind::Resume](int pages) {
        const QString name = QStringLiteral("Tallyforge %1-%2").arg(first).arg(serial::SerialNumber(first, pages, step));
        // The rest of a stopped run: named after the run, and saying it is its rest, so
        // it never reads as a second copy of the run's own file.
        return rest ? name + QStringLiteral(" rest") : name;
    };
    job_.SetTitle(!DocumentName.isEmpty() ? DocumentName : title(outcome.count));
    TPrintProgressEvent progress = job_.OnPrintProgress;
    // The document is named after the pages it holds: a run stopped after some of them
    // ends a document that holds only those. A name the caller chose stays.
    const bool named = DocumentName.isEmpty() && !job_.MultiDoc() && !sheets;
    job_.OnPrintProgress = [this, named, title](TCustomPrintJob*, int pos, int, int max) {
        if (named)
            Printer().SetTitle(title(pos));
        if (OnProgress)
            OnProgress(pos, max);
    };

    running_ = true;
    const auto finish = [&](TRunStatus status) {
        running_ = false;
        job_.OnPrintProgress = progress;
        outcome.sheetsDelivered = job_.PagesDelivered();
        outcome.delivered = int(outcome.sheetsDelivered);
        record.finished = QDateTime::currentDateTimeUtc();
        if (sheets)
            record.sheets = int(outcome.sheetsDelivered);
        // A resume goes on where sheets came out already: its serials are never the first ones.
        const std::optional<qint64> inOrder = kind != TRunKind::Resume ? TicketsInOrder(outcome.sheetsDelivered) : std::nullopt;
        if (sheets && inOrder)
            outcome.delivered = int(*inOrder);
        if (status == TRunStatus::Unknown) {
            if (sheets)
                record.sheets = int(outcome.sheets);
            // The queue may print what it could not confirm: every number of the run
            // stays used, and the record names them all, with the job to look for.
            record.status = status;
            record.pages = outcome.count;
            record.first = outcome.first;
            record.last = serial::SerialNumber(outcome.first, outcome.count, step);
            record.output.clear();
            record.job = Printer().LastJobId();
        } else if (!inOrder) {
            // Sheets of tickets stopped part way whose tickets are not the run's first ones
            // (stacks, copies, reversed), or the rest of such a run: the serials that came
            // out are spread over the range, so none goes back. The whole reservation stays
            // used and is journaled with its whole range and the serials not out, which
            // Print the rest prints on the sheets they would have had. Its pages are the
            // tickets that came out on its own sheets; first..last keeps the numbers.
            outcome.notPrinted = NotPrinted(outcome.first, step, fromSheet_ + outcome.sheetsDelivered);
            record.status = status == TRunStatus::Completed && !outcome.notPrinted.isEmpty() ? TRunStatus::Cancelled : status;
            record.notPrinted = outcome.notPrinted;
            outcome.delivered = outcome.count;
            record.pages = int(TicketsOut(fromSheet_, fromSheet_ + outcome.sheetsDelivered));
            record.first = outcome.first;
            record.last = serial::SerialNumber(outcome.first, outcome.count, step);
            record.output = outcome.sheetsDelivered > 0 ? Printer().LastOutputFile() : QString();
            record.job = outcome.sheetsDelivered > 0 ? Printer().LastJobId() : 0;
        } else {
            record.status = status == TRunStatus::Completed && outcome.delivered < outcome.count ? TRunStatus::Cancelled : status;
            record.pages = outcome.delivered;
            record.first = outcome.delivered > 0 ? std::optional<int>(outcome.first) : std::nullopt;
            record.last = outcome.delivered > 0 ? std::optional<int>(serial::SerialNumber(outcome.first, outcome.delivered, step))
                                                : std::nullopt;
            record.output = outcome.delivered > 0 ? Printer().LastOutputFile() : QString();
            record.job = outcome.delivered > 0 ? Printer().LastJobId() : 0;
        }
        // The jobs the spooler holds whole: the run is sent, its end the spooler's word.
        record.jobs.clear();
        for (const TQueuedJob& job : Printer().RunJobs())
            record.jobs << TSpoolJob { job.id, job.pages, TRunStatus::Sent, std::nullopt };
        record.jobServer = record.jobs.isEmpty() ? QString() : Printer().JobServer();
        if (!record.jobs.isEmpty() && status != TRunStatus::Unknown)
            record.job = record.jobs.front().id;
        if (!record.jobs.isEmpty() && record.status == TRunStatus::Completed)
            record.status = TRunStatus::Sent;
        outcome.status = record.status;
        outcome.jobs = record.jobs;
        lastRecord_ = record;
        const std::optional<QString> known = store_->End(record);
        if (journalProblem_.isEmpty())
            journalProblem_ = store_->Problem();
        if (known)
            outcome.knownLastNumber = *known;
    };
    // What an earlier run left on the printer is not this run's.
    Printer().NewRun();
    followed_.reset();
    lastRecord_.reset();
    // Each job the spooler takes whole is on record at once, so a run killed between its
    // jobs leaves them to be followed.
    job_.SetPagesPerDocument(qMax(1, SheetsPerJob));
    job_.OnDocumentDelivered = [this, &record] {
        TJournalRecord noted = record;
        for (const TQueuedJob& job : Printer().RunJobs())
            noted.jobs << TSpoolJob { job.id, job.pages, TRunStatus::Sent, std::nullopt };
        noted.jobServer = Printer().JobServer();
        noted.job = noted.jobs.isEmpty() ? 0 : noted.jobs.front().id;
        store_->Note(noted);
    };
    struct DocumentsEnd {
        TCustomPrintJob& job;
        ~DocumentsEnd()
        {
            job.OnDocumentDelivered = nullptr;
            job.SetPagesPerDocument(0);
        }
    } documentsEnd { job_ };
    if (Artwork) {
        // Where each sheet's artwork goes: the grid the numbers are drawn on, on the
        // paper and its printable area.
        pdftemplate::TUnderlay underlay;
        underlay.pdf = Artwork->artwork.bytes;
        underlay.page = Artwork->artwork.page;
        underlay.corners = [scope = Artwork->scope, layout = layout_, plan = plan_, area = serial::PageArea(),
                            from = fromSheet_, calibration = Artwork->calibration](int pageIndex) {
            // A resume's document begins at the plan's sheet `from`; the calibrated printer
            // puts everything out by the same amount, the artwork with the numbers.
            QList<QPointF> corners = ticket::TemplateCorners(scope, layout, plan, from + pageIndex, area);
            for (QPointF& corner : corners)
                corner += calibration;
            return corners;
        };
        // A ticket's artwork stays on its ticket, whatever its size.
        if (Artwork->scope == ticket::TTemplateScope::Ticket)
            underlay.clip = ticket::SlotRect(layout_, 0, serial::PageArea()).size();
        Printer().SetUnderlay(std::move(underlay));
    }
    struct UnderlayEnd {
        ~UnderlayEnd() { Printer().SetUnderlay(std::nullopt); }
    } underlayEnd;
    // The codes of the pages to come are encoded while the page before is written; the
    // encoder stops with the run, however it ends.
    const auto isCode = [](const ticket::TTicketItem& item) { return item.Kind == ticket::TItemKind::Barcode; };
    if (std::any_of(page_.Items.begin(), page_.Items.end(), isCode))
        ahead_ = std::make_unique<ticket::TBarcodeAhead>();
    struct AheadEnd {
        std::unique_ptr<ticket::TBarcodeAhead>& ahead;
        ~AheadEnd() { ahead.reset(); }
    } aheadEnd { ahead_ };
    try {
        // A shared series may hand out other numbers than the plan checked: a ticket
        // without its data row is never printed with the fields left blank or as typed.
        if (const QString missing = DataProblem(page_, outcome.count); !missing.isEmpty())
            throw Exception(missing);
        job_.Print();
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        try {
            finish(Printer().LastDelivery() == TDelivery::Unknown ? TRunStatus::Unknown : TRunStatus::Failed);
        } catch (...) {
            // The print's own failure is the one to report.
        }
        std::rethrow_exception(error);
    }
    finish(TRunStatus::Completed);
    // The counter stays where the run left it: the numbers of a job the spooler took
    // stay used however it ends, and the record tells which did not come out.
    FollowJobs(record, FollowJobsMs);
    outcome.status = record.status;
    outcome.jobs = record.jobs;
    if (record.status != TRunStatus::Sent && !record.JobsPending()) {
        // What the jobs did not print, as Print the Rest prints it.
        if (record.status == TRunStatus::Cancelled || record.status == TRunStatus::Aborted)
            outcome.notPrinted = record.notPrinted;
    }
    if (record.JobsPending())
        followed_ = record;
    return outcome;
}

bool TSerialRun::FollowUp(int waitMs)
{
    if (!followed_ || running_)
        return false;
    FollowJobs(*followed_, waitMs);
    if (!followed_->JobsPending())
        followed_.reset();
    return followed_.has_value();
}

void TSerialRun::FollowJobs(TJournalRecord& record, int waitMs)
{
    if (!spooler::Follow(record, fromSheet_, waitMs))
        return;
    lastRecord_ = record;
    // The store has the run's final record already; this one replaces it.
    try {
        store_->Settle(record);
    } catch (const Exception& e) {
        // The pages went out; only their record is late.
        if (journalProblem_.isEmpty())
            journalProblem_ = e.Message();
    }
}
