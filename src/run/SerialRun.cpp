#include "run/SerialRun.h"

#include "platform/Exception.h"
#include "platform/Printer.h"
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
    QList<TSerialRange> serials;
    for (const auto& [from, to] : plan_.NotOut(sheets))
        serials.append({ serial::SerialNumber(first, int(from + 1), step), serial::SerialNumber(first, int(to + 1), step) });
    return serials;
}

qint64 TSerialRun::TicketsOut(qint64 from, qint64 to) const
{
    const auto notOut = [this](qint64 sheets) {
        qint64 tickets = 0;
        for (const auto& [first, last] : plan_.NotOut(sheets))
            tickets += last - first + 1;
        return tickets;
    };
    return to > from ? qMax<qint64>(0, notOut(from) - notOut(to)) : 0;
}

std::optional<qint64> TSerialRun::TicketsInOrder(qint64 sheets) const
{
    if (sheets <= 0)
        return 0;
    if (sheets >= plan_.PrintedSheets())
        return plan_.Tickets();
    // Each sheet once, first first, filled in turn: the sheets out are the run's first
    // tickets. A stack of one sheet a pile is such a run too.
    const bool inTurn = layout_.Order != ticket::TOrder::Stack || layout_.StackDepth == 1;
    if (layout_.Copies != 1 || layout_.Reverse || !inTurn)
        return std::nullopt;
    const qint64 before = layout_.Order == ticket::TOrder::Stack ? 0 : layout_.FirstSlot - 1;
    return std::clamp<qint64>(sheets * layout_.Slots() - before, 0, plan_.Tickets());
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
    const bool sheets = !layout_.IsDefault();
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
    const int step = page.Step;
    // The counter counts numbers: every serial and the ones the step passes over.
    const qint64 numbers = serial::RunNumbers(page, outcome.count);
    if (numbers > std::numeric_limits<int>::max())
        throw Exception(QCoreApplication::translate("TSerialRun", "%1 serials %2 apart span more numbers than one run can take").arg(outcome.count).arg(step));
    outcome.step = step;
    record.printer = Printer().PrinterName();
    record.user = CurrentUser();
    record.host = CurrentHost();
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
        outcome.status = record.status;
        const std::optional<QString> known = store_->End(record);
        if (journalProblem_.isEmpty())
            journalProblem_ = store_->Problem();
        if (known)
            outcome.knownLastNumber = *known;
    };
    // What an earlier run left on the printer is not this run's.
    Printer().NewRun();
    followed_.reset();
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
    // The counter stays where the run left it: an aborted job's numbers were used, and
    // the record tells which may be missing.
    const JobsEnd jobs = FollowJobs(record, FollowJobsMs);
    if (jobs.aborted) {
        outcome.status = jobs.aborted->status;
        RecordAborted(*jobs.aborted);
    } else if (jobs.pending) {
        followed_ = record;
    }
    return outcome;
}

bool TSerialRun::FollowUp()
{
    if (!followed_ || running_)
        return false;
    const JobsEnd jobs = FollowJobs(*followed_, 0);
    if (jobs.aborted)
        RecordAborted(*jobs.aborted);
    if (jobs.aborted || !jobs.pending)
        followed_.reset();
    return followed_.has_value();
}

void TSerialRun::RecordAborted(const TJournalRecord& aborted)
{
    // The store has the run's final record already; this one replaces it.
    try {
        store_->End(aborted);
        if (journalProblem_.isEmpty())
            journalProblem_ = store_->Problem();
    } catch (const Exception& e) {
        // The pages went out; only their record is late.
        if (journalProblem_.isEmpty())
            journalProblem_ = e.Message();
    }
}

TSerialRun::JobsEnd TSerialRun::FollowJobs(const TJournalRecord& record, int waitMs) const
{
    const TPrinter& printer = Printer();
    JobsEnd result;
    // A run of sheets may have sheets out and not one ticket whole (copies).
    if (printer.RunJobs().isEmpty() || record.sheets.value_or(record.pages) < 1)
        return result;
    const QDeadlineTimer deadline(qMax(0, waitMs));
    int pagesDone = 0;
    bool aborted = false;
    for (const TQueuedJob& job : printer.RunJobs()) {
        const cups::JobEnd end = cups::FollowJob(printer.JobServer(), job.id, int(qMax<qint64>(0, deadline.remainingTime())));
        if (end.state == cups::JobState::Aborted || end.state == cups::JobState::Cancelled) {
            aborted = true;
            pagesDone += qBound(0, end.sheets.value_or(0), job.pages);
        } else {
            // Completed, still pending, or not to be asked: printed as far as anyone knows.
            result.pending = result.pending || end.state == cups::JobState::Pending;
            pagesDone += job.pages;
        }
    }
    if (!aborted)
        return result;
    TJournalRecord final = record;
    final.status = TRunStatus::Aborted;
    final.finished = QDateTime::currentDateTimeUtc();
    final.pages = qMin(pagesDone, record.pages);
    if (!layout_.IsDefault()) {
        // The printer counts sheets: the tickets on them, or the whole run when they are
        // not its first ones.
        final.sheets = pagesDone;
        // A rest (a rest of a reprint is journaled as a reprint) is never the run's first tickets.
        const std::optional<qint64> inOrder = !resuming_ ? TicketsInOrder(pagesDone) : std::nullopt;
        final.pages = inOrder ? qMin(int(*inOrder), record.pages) : int(TicketsOut(fromSheet_, fromSheet_ + pagesDone));
        if (!inOrder && record.first)
            final.notPrinted = NotPrinted(*record.first, record.step, fromSheet_ + pagesDone);
    }
    result.aborted = final;
    return result;
}
