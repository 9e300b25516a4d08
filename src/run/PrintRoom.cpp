#include "run/PrintRoom.h"

#include "platform/Printer.h"
#include "run/SettingsFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <limits>

namespace {


// "5 to 9, 12"
QString RangesText(const QList<std::pair<qint64, qint64>>& ranges)
{
    QStringList parts;
    for (const auto& [from, to] : ranges)
        parts << (from == to ? QString::number(from) : QCoreApplication::translate("TPrintRoom", "%1 to %2").arg(from).arg(to));
    return parts.join(QStringLiteral(", "));
}

// The counter moves back when the run's last number lies behind it on the circle the
// serials wrap around.
bool MovesBack(qint32 counter, qint32 runLast)
{
    const quint32 back = quint32(counter) - quint32(runLast);
    return back != 0 && back < (quint32(1) << 31);
}

// A run's tickets, first..last on the circle, step apart.
qint64 Tickets(const TJournalRecord& run)
{
    return run.first && run.last ? qint64(quint32(*run.last) - quint32(*run.first)) / qMax(1, run.step) + 1 : 0;
}

} // namespace

std::optional<TRunRest> RestOf(const QList<TJournalRecord>& runs, const TJournalRecord& run)
{
    const auto sameSerials = [&run](const TJournalRecord& other) {
        return other.first == run.first && other.last == run.last && other.layout == run.layout
            && other.prefix == run.prefix && other.suffix == run.suffix;
    };
    // The run itself, not one of its resumes, by its last record.
    const TJournalRecord* stopped = nullptr;
    for (const TJournalRecord& r : runs) {
        const bool theRun = run.kind != TRunKind::Resume
            ? r.SameRun(run)
            : r.kind != TRunKind::Resume && r.kind != TRunKind::Calibration && sameSerials(r) && r.started <= run.started;
        if (theRun && (!stopped || r.started > stopped->started))
            stopped = &r;
    }
    if (!stopped || stopped->layout.isEmpty() || !stopped->first || stopped->status == TRunStatus::Interrupted)
        return std::nullopt;
    const std::optional<ticket::TSheetLayout> layout = ticket::ParseLayoutText(stopped->layout);
    if (!layout)
        return std::nullopt;
    TRunRest rest { *stopped, *layout, Tickets(*stopped), stopped->sheets.value_or(0), stopped->notPrinted };
    QDateTime newest = stopped->started;
    for (const TJournalRecord& r : runs)
        if (r.kind == TRunKind::Resume && sameSerials(r) && r.started > stopped->started && r.status != TRunStatus::Interrupted) {
            rest.fromSheet += r.sheets.value_or(0);
            if (r.started > newest) {
                newest = r.started;
                rest.notPrinted = r.notPrinted;
            }
        }
    if (rest.notPrinted.isEmpty() || rest.fromSheet >= ticket::TSheetPlan(rest.layout, rest.tickets).PrintedSheets())
        return std::nullopt;
    return rest;
}

TPrintRoom::TPrintRoom(TCustomPrintJob& job, std::shared_ptr<TSeriesStore> store)
    : job_(job)
    , run_(job, std::move(store))
{
}

TPrintPlan TPrintRoom::Prepare(TPrintRequest request)
{
    const bool reprint = request.kind == TRunKind::Reprint;
    if (request.kind == TRunKind::Resume) {
        TPrintPlan plan;
        ReadRuns(plan, false);
        PlanResume(plan, request);
        CheckLimits(request.page);
        CheckArtwork(plan, request, &*request.resumeOf);
        AskAboutOutput(plan);
        plan.warnings = Misprints(request, plan.count);
        plan.request = std::move(request);
        return plan;
    }
    if (request.count < 1)
        throw EPrintRequest(reprint ? QCoreApplication::translate("TPrintRoom", "The last serial must not be below the first")
                                    : QCoreApplication::translate("TPrintRoom", "The page count must be 1 or more, not %1").arg(request.count));
    if (request.count > std::numeric_limits<int>::max())
        throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "%1 pages are more than one run can print (at most %2)")
                                .arg(request.count)
                                .arg(std::numeric_limits<int>::max()));
    CheckLimits(request.page);
    // The counter takes every serial and the numbers its step passes over; a reprint's
    // count is its range of numbers already.
    if (!reprint && serial::RunNumbers(request.page, request.count) > std::numeric_limits<int>::max())
        throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "%1 serials %2 apart span more numbers than one run can take (at most %3)")
                                .arg(request.count)
                                .arg(request.page.Step)
                                .arg(std::numeric_limits<int>::max()));
    request.layout = ticket::Bounded(request.layout);
    if (const ticket::TSheetPlan sheets(request.layout, request.count); sheets.PrintedSheets() > std::numeric_limits<int>::max())
        throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "%1 sheets are more than one run can print (at most %2)")
                                .arg(sheets.PrintedSheets())
                                .arg(std::numeric_limits<int>::max()));
    TPrintPlan plan;
    plan.count = int(request.count);
    ReadRuns(plan, reprint);

    // The counter: where a print starts, and which records could not have printed. Only a
    // print needs it; the other kinds go on without it.
    std::optional<TSeriesStore::Reading> now;
    try {
        now = Store().Read();
    } catch (const Exception&) {
        if (request.kind == TRunKind::Print)
            throw;
    }
    // A print killed between its record and the counter's move took nothing: its range
    // lies past the counter, and pages are drawn only after the move. Such a record is no
    // reason to refuse the numbers it names; the next print's reservation records it as
    // failed. Only the newest print can be one: any older one was seen by the prints
    // after it, and a counter set back since does not make its numbers free.
    QList<TJournalRecord> prints = plan.runs;
    const auto newestPrint = std::find_if(prints.begin(), prints.end(), [](const TJournalRecord& run) { return run.kind == TRunKind::Print; });
    if (now && now->value && newestPrint != prints.end() && newestPrint->status == TRunStatus::Interrupted && newestPrint->first
        && MovesBack(*newestPrint->first, *now->value))
        prints.erase(newestPrint);

    if (request.kind == TRunKind::Print)
        PlanStart(plan, request, *now, prints);
    std::optional<TJournalRecord> printedBy;
    if (reprint)
        printedBy = PlanReprint(plan, request);
    else if (const QList<TOverlap> overlaps = Overlapping(prints, request.page, plan.count); !overlaps.isEmpty())
        plan.questions << TPrintQuestion { TPrintQuestion::Kind::Reprinted, OverlapText(overlaps),
                                           QCoreApplication::translate("TPrintRoom", "Print them again?") };
    AskAboutSize(plan, request);
    AskAboutOutput(plan);
    CheckArtwork(plan, request, printedBy ? &*printedBy : nullptr);

    // Checked where the calibrated printer will put the numbers; the journal's part is
    // asked above. A print that moves the counter is the one that goes onto numbered
    // stock: what would misprint is asked about once, all together.
    const QList<TPreflightWarning> misprints = Misprints(request, plan.count);
    if (!reprint)
        plan.warnings = misprints;
    if (request.kind == TRunKind::Print && !plan.warnings.isEmpty()) {
        QStringList texts;
        for (const TPreflightWarning& warning : plan.warnings)
            texts << warning.text;
        plan.questions << TPrintQuestion { TPrintQuestion::Kind::Misprint, texts.join(QLatin1Char('\n')),
                                           QCoreApplication::translate("TPrintRoom", "Print anyway?") };
    }
    plan.request = std::move(request);
    return plan;
}

QList<TPreflightWarning> TPrintRoom::Misprints(const TPrintRequest& request, int count)
{
    QList<TPreflightWarning> warnings
        = CheckRun(job_, calibration::Apply(request.page, request.offset), count, {}, request.layout).warnings;
    // A code that cannot show some serial would print blank or wrong: no such run starts.
    // Checked on the serials as they will print (a reprint's text, a moved start).
    for (const TPreflightWarning& warning : warnings)
        if (warning.kind == TPreflightWarning::Kind::Unencodable)
            throw EPrintRequest(warning.text);
    return warnings;
}

void TPrintRoom::CheckLimits(const serial::SerialPage& page)
{
    // The values the settings file holds within these limits may be typed beyond them in
    // the window; a page with them would overflow its arithmetic or take all memory.
    using namespace settingslimits;
    for (const double position : { page.HorizontalIndent, page.VerticalIndent, page.HorizontalIndent2, page.VerticalIndent2 })
        if (!(std::abs(position) <= kMaxIndent))
            throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "A position of %1 in is more than a page allows (%2 in at most)")
                                    .arg(position, 0, 'g', 10)
                                    .arg(kMaxIndent));
    if (page.Font.Size < kMinFontSize || page.Font.Size > kMaxFontSize)
        throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "A font of %1 pt is not one a page can take (%2 to %3 pt)")
                                .arg(page.Font.Size)
                                .arg(kMinFontSize)
                                .arg(kMaxFontSize));
    if (page.Digits < kMinDigits || page.Digits > kMaxDigits)
        throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "Numbers are padded to %1 digits at most, not %2")
                                .arg(kMaxDigits)
                                .arg(page.Digits));
    if (page.Step < kMinStep)
        throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "The step between serials must be 1 or more, not %1").arg(page.Step));
}

void TPrintRoom::ReadRuns(TPrintPlan& plan, bool reprint)
{
    // The runs every check reads. A journal that cannot be read cannot take this run's
    // record either: the run would leave no trace.
    try {
        plan.runs = Store().Runs();
        Store().CheckRecordable(); // and room for it: a full disk, a file size limit
    } catch (const Exception& e) {
        plan.questions << TPrintQuestion { TPrintQuestion::Kind::Unrecorded,
                                           reprint ? QCoreApplication::translate("TPrintRoom", "%1: which of these serials were printed is not known, and this reprint would be recorded nowhere").arg(e.Message())
                                                   : QCoreApplication::translate("TPrintRoom", "%1: this run's serials would be recorded nowhere").arg(e.Message()),
                                           reprint ? QCoreApplication::translate("TPrintRoom", "Reprint anyway?") : QCoreApplication::translate("TPrintRoom", "Print anyway?") };
    }
}

void TPrintRoom::PlanStart(TPrintPlan& plan, TPrintRequest& request, const TSeriesStore::Reading& now,
                           const QList<TJournalRecord>& prints)
{
    if (!now.value)
        throw Exception(QCoreApplication::translate("TPrintRoom", "The last number in %1 cannot be read: '%2'").arg(Store().Where(), now.text));
    const qint32 next = serial::AddWrapping(*now.value, 1);
    const bool shared = !Store().StatusText().isEmpty();
    if (!request.startChosen) {
        request.page.StartingNumber = next;
        // A shared series hands out its next numbers whatever they are then.
        plan.expected = shared ? QString() : now.text;
    } else {
        if (now.text != request.knownLastNumber) {
            // Somebody printed since the caller read the counter: its start is stale.
            plan.questions << TPrintQuestion { TPrintQuestion::Kind::Moved,
                                               QCoreApplication::translate("TPrintRoom", "Another Tallyforge printed up to %1").arg(*now.value),
                                               QCoreApplication::translate("TPrintRoom", "Continue from %1?").arg(next) };
            request.page.StartingNumber = next;
        }
        plan.expected = now.text;
    }
    // The last number the run takes: its last serial and the numbers its step passes over.
    const qint32 last = serial::AddWrapping(request.page.StartingNumber, qint32(serial::RunNumbers(request.page, plan.count) - 1));
    if (MovesBack(*now.value, last)) {
        serial::SerialPage after = request.page;
        after.StartingNumber = serial::AddWrapping(last, 1);
        after.Step = 1; // every number up to the counter
        const qint64 behind = qint64(quint32(*now.value) - quint32(last));
        if (!Overlapping(prints, after, behind, true).isEmpty())
            plan.questions << TPrintQuestion { TPrintQuestion::Kind::BackOver,
                                               QCoreApplication::translate("TPrintRoom", "This run sets the last number back from %1 to %2, over serials printed already: the next run would print them again")
                                                   .arg(*now.value)
                                                   .arg(last),
                                               QCoreApplication::translate("TPrintRoom", "Set it back?") };
    }
    request.knownLastNumber = now.text;
}

std::optional<TJournalRecord> TPrintRoom::PlanReprint(TPrintPlan& plan, TPrintRequest& request)
{
    // The serials as they were printed: the text of the run that printed them (one under
    // today's prefix and suffix first), not today's fields.
    const auto today = [&](const TJournalRecord& run) { return run.prefix == request.page.Prefix && run.suffix == request.page.Suffix; };
    const TJournalRecord* printedBy = nullptr;
    for (const TJournalRecord& run : plan.runs) {
        if (run.kind == TRunKind::Reprint || run.kind == TRunKind::Calibration || !run.Covers(request.page.StartingNumber))
            continue;
        if (!printedBy || (today(run) && !today(*printedBy)))
            printedBy = &run;
    }
    std::optional<TJournalRecord> found;
    if (printedBy) {
        found = *printedBy;
        // On the artwork they were printed on: a run without one reprints without.
        request.artwork.File = printedBy->templateName;
        if (!printedBy->templateName.isEmpty())
            request.artwork.Print = true;
        request.page.Prefix = printedBy->prefix;
        request.page.Suffix = printedBy->suffix;
        request.page.Digits = printedBy->digits.value_or(request.page.Digits);
        // Its serials step apart with their check character, whatever today's settings say.
        request.page.Step = qMax(1, printedBy->step);
        request.page.Check = ticket::ParseCheck(printedBy->check).value_or(ticket::TCheck::None);
    }
    request.page.Step = qMax(1, request.page.Step);
    const qint64 last = qint64(request.page.StartingNumber) + plan.count - 1;
    if (last > std::numeric_limits<qint32>::max())
        throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "A reprint ends at 2147483647"));
    // The serials of first..last: first, first + step, ... as far as last.
    plan.count = int((last - request.page.StartingNumber) / request.page.Step + 1);
    if (plan.runs.isEmpty() && plan.Asks(TPrintQuestion::Kind::Unrecorded))
        return found; // asked already: what was printed is not known
    if (const auto never = Unprinted(plan.runs, request.page.StartingNumber, last, request.page.Step); !never.isEmpty())
        plan.questions << TPrintQuestion { TPrintQuestion::Kind::NeverPrinted,
                                           QCoreApplication::translate("TPrintRoom", "Serials %1 were never printed").arg(RangesText(never)),
                                           QCoreApplication::translate("TPrintRoom", "Reprint them anyway?") };
    return found;
}

void TPrintRoom::CheckArtwork(TPrintPlan& plan, const TPrintRequest& request, const TJournalRecord* printedBy)
{
    // Read and checked before anything is reserved: a bad file stops the run here, and
    // the bytes read now are the ones printed and recorded.
    if (!request.artwork.IsSet() || !request.artwork.Print)
        return;
    pdftemplate::TArtwork artwork = pdftemplate::Load(request.artwork.File, request.artwork.Page);
    const TDeviceCaps caps = Printer().DeviceCaps();
    const QSizeF paper = ticket::PaperInches(caps.PhysicalWidth, caps.PhysicalHeight, caps.LogPixelsX, caps.LogPixelsY);
    if (ticket::LargerThanPaper(artwork.sizeInches, paper))
        throw Exception(QCoreApplication::translate("TPrintRoom", "Page %1 of the template %2 (%3 x %4 in) is larger than the paper (%5 x %6 in)")
                            .arg(request.artwork.Page)
                            .arg(QDir::toNativeSeparators(request.artwork.File))
                            .arg(artwork.sizeInches.width(), 0, 'f', 2)
                            .arg(artwork.sizeInches.height(), 0, 'f', 2)
                            .arg(paper.width(), 0, 'f', 2)
                            .arg(paper.height(), 0, 'f', 2));
    if (printedBy && !printedBy->templateSha256.isEmpty() && printedBy->templateSha256.compare(artwork.sha256, Qt::CaseInsensitive) != 0)
        plan.questions << TPrintQuestion { TPrintQuestion::Kind::ArtworkChanged,
                                           QCoreApplication::translate("TPrintRoom", "The template %1 has changed since these serials were printed on it")
                                               .arg(QDir::toNativeSeparators(request.artwork.File)),
                                           QCoreApplication::translate("TPrintRoom", "Reprint them on the changed artwork?") };
    plan.artwork = std::move(artwork);
}

void TPrintRoom::PlanResume(TPrintPlan& plan, TPrintRequest& request)
{
    const std::optional<TRunRest> rest = request.resumeOf ? RestOf(plan.runs, *request.resumeOf) : std::nullopt;
    if (!rest)
        throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "This run has no sheets left to print"));
    // The stopped run's serials as it printed them, on the sheets it would have printed next.
    request.page.StartingNumber = *rest->run.first;
    request.page.Prefix = rest->run.prefix;
    request.page.Suffix = rest->run.suffix;
    request.page.Digits = rest->run.digits.value_or(request.page.Digits);
    request.page.Step = qMax(1, rest->run.step);
    request.page.Check = ticket::ParseCheck(rest->run.check).value_or(ticket::TCheck::None);
    request.layout = rest->layout;
    // On the artwork the run began on (none: none).
    request.artwork.File = rest->run.templateName;
    request.artwork.Print = !rest->run.templateName.isEmpty();
    request.count = rest->tickets;
    plan.count = int(rest->tickets);
    plan.fromSheet = rest->fromSheet;
}

void TPrintRoom::AskAboutSize(TPrintPlan& plan, const TPrintRequest& request)
{
    // Many pages at once are asked about first: a count completed from the history or typed
    // with a digit too many would otherwise use up a box of forms and a block of serials.
    if (request.confirmAbove <= 0 || plan.count <= request.confirmAbove)
        return;
    const bool reprint = request.kind == TRunKind::Reprint;
    const qint32 first = request.page.StartingNumber;
    plan.questions.prepend(TPrintQuestion { TPrintQuestion::Kind::Large,
                                            (reprint ? QCoreApplication::translate("TPrintRoom", "This reprint prints %1 pages, serials %2 to %3")
                                                     : QCoreApplication::translate("TPrintRoom", "This run prints %1 pages, serials %2 to %3"))
                                                .arg(plan.count)
                                                .arg(first)
                                                .arg(serial::SerialNumber(first, plan.count, request.page.Step)),
                                            reprint ? QCoreApplication::translate("TPrintRoom", "Reprint them all?")
                                                    : QCoreApplication::translate("TPrintRoom", "Print them all?") });
}

void TPrintRoom::AskAboutOutput(TPrintPlan& plan)
{
    // The one file chosen in Print Setup is replaced by each run: not when it holds
    // serials that the journal shows as printed into it.
    TPrinter& printer = Printer();
    if (!printer.IsPdfPrinter() || printer.OutputFileName().isEmpty() || !QFileInfo::exists(printer.OutputFileName()))
        return;
    const QString chosen = QFileInfo(printer.OutputFileName()).absoluteFilePath();
    for (const TJournalRecord& run : plan.runs)
        if (run.pages > 0 && run.first && QFileInfo(run.output).absoluteFilePath() == chosen) {
            plan.questions << TPrintQuestion { TPrintQuestion::Kind::ReplacesOutput,
                                               QCoreApplication::translate("TPrintRoom", "%1 holds serials %2 to %3, printed on %4")
                                                   .arg(QDir::toNativeSeparators(chosen))
                                                   .arg(*run.first)
                                                   .arg(run.last.value_or(*run.first))
                                                   .arg(QLocale().toString(run.started.toLocalTime(), QLocale::ShortFormat)),
                                               QCoreApplication::translate("TPrintRoom", "Replace it?") };
            return;
        }
}

std::optional<TSerialRun::Outcome> TPrintRoom::Carry(const TPrintPlan& plan)
{
    // The counter moved between the plan and the reservation: the plan's checks were
    // for other serials, so nothing prints and the caller prepares again.
    run_.OnMoved = [](int) { return false; };
    // Printing unrecorded is what the user said yes to.
    run_.AllowUnrecordable = plan.Asks(TPrintQuestion::Kind::Unrecorded);
    run_.Artwork.reset();
    if (plan.artwork)
        run_.Artwork = TSerialRun::TRunArtwork { *plan.artwork, plan.request.artwork.Scope,
                                                 QPointF(plan.request.offset.X, plan.request.offset.Y) };
    // A rest is claimed before it prints, and read again under the claim: a resume that
    // ended meanwhile printed some or all of it.
    std::unique_ptr<TRestClaim> claim;
    qint64 fromSheet = plan.fromSheet;
    if (plan.request.kind == TRunKind::Resume)
        fromSheet = ClaimRest(plan, claim);
    return run_.Print(plan.request.page, plan.count, plan.request.kind, plan.expected, plan.request.layout, fromSheet);
}

qint64 TPrintRoom::ClaimRest(const TPrintPlan& plan, std::unique_ptr<TRestClaim>& claim)
{
    const std::optional<TRunRest> planned = plan.request.resumeOf ? RestOf(plan.runs, *plan.request.resumeOf) : std::nullopt;
    if (!planned)
        throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "This run has no sheets left to print"));
    try {
        claim = Store().ClaimRest(planned->run);
    } catch (const ERestClaimed&) {
        throw;
    } catch (const Exception&) {
        // No claim where nothing can be written: the user said yes to a rest printed
        // without a record, which no claim can make safe either.
        if (!plan.Asks(TPrintQuestion::Kind::Unrecorded))
            throw;
    }
    const std::optional<TRunRest> rest = RestOf(Store().Runs(), planned->run);
    if (!rest)
        throw Exception(QCoreApplication::translate("TPrintRoom", "The rest of this run was printed meanwhile: no sheets are left to print"));
    return rest->fromSheet;
}
