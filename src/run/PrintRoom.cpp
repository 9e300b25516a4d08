#include "run/PrintRoom.h"

#include "run/SpoolerJobs.h"

#include "platform/Printer.h"
#include "run/PrintedSerial.h"
#include "run/SettingsFile.h"
#include "run/SharedSeries.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <limits>

namespace {

// The printer's printable area in inches from the paper's top-left corner; empty when
// the printer reports no resolution.
QRectF PrintableOnPaper(const TDeviceCaps& caps)
{
    if (caps.LogPixelsX <= 0 || caps.LogPixelsY <= 0)
        return {};
    return QRectF(double(caps.PhysicalOffsetX) / caps.LogPixelsX, double(caps.PhysicalOffsetY) / caps.LogPixelsY,
                  double(caps.HorzRes) / caps.LogPixelsX, double(caps.VertRes) / caps.LogPixelsY);
}

// The page as it goes on paper: over the artwork when one prints under it.
serial::SerialPage PageOnPaper(const TPrintRequest& request)
{
    serial::SerialPage page = request.page;
    page.OnArtwork = request.artwork.IsSet() && request.artwork.Print;
    return page;
}


// "Serials were never printed": the serials of first..last, step apart, that
// no run printed under the reprint's text; those printed under another text are named as
// they were printed. Empty when every one was printed as it will print again.
QString NeverPrintedText(const QList<TJournalRecord>& runs, const printedserial::TSerialFormat& format, qint64 first,
                         qint64 last, int step)
{
    QList<TJournalRecord> same;
    QList<TJournalRecord> others;
    for (const TJournalRecord& run : runs)
        (printedserial::SameText(printedserial::FormatOf(run), format) ? same : others) << run;
    const QList<std::pair<qint64, qint64>> never = Unprinted(same, first, last, step);
    if (never.isEmpty())
        return {};
    QStringList ranges;
    QStringList elsewhere;
    for (const auto& [from, to] : never) {
        ranges << (from == to ? printedserial::Text(format, qint32(from))
                              : QCoreApplication::translate("TPrintRoom", "%1 to %2").arg(printedserial::Text(format, qint32(from)), printedserial::Text(format, qint32(to))));
        serial::SerialPage gap;
        gap.StartingNumber = qint32(from);
        gap.Step = step;
        const qint64 count = qint64(quint32(qint32(to)) - quint32(qint32(from))) / qMax(1, step) + 1;
        for (const TOverlap& overlap : Overlapping(others, gap, count, true)) {
            const QString as = overlap.from == overlap.to
                ? printedserial::Text(overlap.run, overlap.from)
                : QCoreApplication::translate("TPrintRoom", "%1 to %2").arg(printedserial::Text(overlap.run, overlap.from), printedserial::Text(overlap.run, overlap.to));
            if (!elsewhere.contains(as))
                elsewhere << as;
        }
    }
    const QString text = QCoreApplication::translate("TPrintRoom", "Serials %1 were never printed").arg(ranges.join(QStringLiteral(", ")));
    if (elsewhere.isEmpty())
        return text;
    return QCoreApplication::translate("TPrintRoom", "%1; %2 were printed as another series").arg(text, elsewhere.join(QStringLiteral(", ")));
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

// What a plan puts on paper: its tickets and the sheets they take; for a rest, what it
// has left to print.
struct Paper {
    qint64 tickets = 0;
    qint64 sheets = 0;
};
Paper PaperOf(const TPrintPlan& plan, const TPrintRequest& request)
{
    const ticket::TSheetPlan sheets(request.layout, plan.count);
    if (request.kind != TRunKind::Resume)
        return { plan.count, sheets.PrintedSheets() };
    Paper rest { 0, sheets.PrintedSheets() - plan.fromSheet };
    for (const auto& [first, last] : sheets.NotOut(plan.fromSheet))
        rest.tickets += last - first + 1;
    return rest;
}

} // namespace

std::optional<TRunRest> RestOf(const QList<TJournalRecord>& runs, const TJournalRecord& run)
{
    const auto sameSerials = [&run](const TJournalRecord& other) {
        return other.first == run.first && other.last == run.last && other.layout == run.layout
            && other.prefix == run.prefix && other.suffix == run.suffix;
    };
    // The run itself, not one of its resumes, by its last record. A rest names the run it
    // continues; one of an older version is known by its serials.
    const TJournalRecord* stopped = nullptr;
    for (const TJournalRecord& r : runs) {
        const bool theRun = run.resumes != 0 ? r.run == run.resumes
            : run.kind != TRunKind::Resume
            ? r.SameRun(run)
            : r.kind != TRunKind::Resume && r.kind != TRunKind::Calibration && sameSerials(r) && r.started <= run.started;
        if (theRun && (!stopped || r.started > stopped->started))
            stopped = &r;
    }
    // A run of the one-ticket page has a rest when its print job ended early.
    if (!stopped || (stopped->layout.isEmpty() && stopped->notPrinted.isEmpty()) || !stopped->first
        || stopped->status == TRunStatus::Interrupted)
        return std::nullopt;
    const std::optional<ticket::TSheetLayout> layout = stopped->layout.isEmpty() ? std::optional<ticket::TSheetLayout>(ticket::TSheetLayout())
                                                                                 : ticket::ParseLayoutText(stopped->layout);
    if (!layout)
        return std::nullopt;
    TRunRest rest { *stopped, *layout, Tickets(*stopped), stopped->SheetsOut().value_or(0), stopped->notPrinted };
    // Of the newest record that sheets came out by.
    rest.uncertain = spooler::SheetsOut(stopped->jobs).uncertain;
    QDateTime newest = stopped->started;
    const auto restOf = [&](const TJournalRecord& r) {
        return r.resumes != 0 ? r.resumes == stopped->run : r.kind == TRunKind::Resume && sameSerials(r);
    };
    for (const TJournalRecord& r : runs)
        if (restOf(r) && r.started > stopped->started && r.status != TRunStatus::Interrupted) {
            rest.fromSheet += r.sheets.value_or(0);
            if (r.started > newest) {
                newest = r.started;
                rest.notPrinted = r.notPrinted;
                rest.uncertain = spooler::SheetsOut(r.jobs).uncertain;
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
    // A queue that asks for a login is asked now, before any serial is taken: without a
    // password nothing of the run is reserved or journaled.
    Printer().CheckLogin();
    const bool reprint = request.kind == TRunKind::Reprint;
    if (request.kind == TRunKind::Calibration)
        return PrepareSheet(std::move(request));
    if (request.kind == TRunKind::Resume) {
        TPrintPlan plan;
        ReadRuns(plan, false);
        PlanResume(plan, request);
        const TJournalRecord stopped = *request.resumeOf;
        Replay(plan, request, stopped);
        CheckLimits(request.page);
        CheckArtwork(plan, request, &stopped);
        CheckData(plan, request, &stopped);
        AskAboutSize(plan, request);
        AskAboutOutput(plan);
        plan.warnings = Misprints(request, plan.count);
        plan.request = std::move(request);
        return plan;
    }
    // The settings file says something this program would print otherwise: a print from
    // it would not be what the file describes. A reprint prints its run's design.
    if (!reprint && !request.unknownSettings.isEmpty())
        throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "The settings file holds %1, which this program does not know: nothing prints until it is changed")
                                .arg(request.unknownSettings.join(QStringLiteral(", "))));
    TPrintPlan plan;
    // A reprint named by text is read against the runs that printed it.
    const bool named = reprint && !request.firstText.isEmpty();
    TNamedReprint namedBy;
    if (named) {
        ReadRuns(plan, true);
        namedBy = NameReprint(plan, request);
    }
    Checked(reprint ? TRequestInput::Serials : TRequestInput::Count, request.count);
    CheckLimits(request.page);
    // The counter takes every serial and the numbers its step passes over; a reprint's
    // count is its range of numbers already.
    if (!reprint && serial::RunNumbers(request.page, request.count) > std::numeric_limits<int>::max())
        throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "%1 serials %2 apart span more numbers than one run can take (at most %3)")
                                .arg(request.count)
                                .arg(request.page.Step)
                                .arg(std::numeric_limits<int>::max()),
                            TRequestInput::Count);
    // A letter series prints from AA0 to its last number (ZZ99...9): a serial beyond
    // either end has no text of its own.
    if (request.page.Letters > 0) {
        const qint64 first = request.page.StartingNumber;
        const qint64 last = first + (qMax<qint64>(1, request.count) - 1) * qMax(1, request.page.Step);
        const qint64 end = ticket::LastLettered(request.page.Letters, request.page.Digits);
        if (first < 0 || last > end)
            throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "Serials %1 to %2 lie outside the letter series, which numbers 0 to %3 (%4 to %5)")
                                    .arg(first)
                                    .arg(last)
                                    .arg(end)
                                    .arg(*ticket::LetteredText(0, request.page.Letters, request.page.LetterSeparator, request.page.Digits),
                                         *ticket::LetteredText(end, request.page.Letters, request.page.LetterSeparator, request.page.Digits)),
                                TRequestInput::Count);
    }
    CheckLayout(request.layout);
    request.layout = ticket::Bounded(request.layout);
    if (const ticket::TSheetPlan sheets(request.layout, request.count); sheets.PrintedSheets() > std::numeric_limits<int>::max())
        throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "%1 sheets are more than one run can print (at most %2)")
                                .arg(sheets.PrintedSheets())
                                .arg(std::numeric_limits<int>::max()),
                            TRequestInput::Count);
    plan.count = int(request.count);
    if (!named)
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
    if (reprint) {
        printedBy = PlanReprint(plan, request, namedBy);
        if (printedBy)
            Replay(plan, request, *printedBy);
    }
    else if (const QList<TOverlap> overlaps = Overlapping(prints, request.page, plan.count); !overlaps.isEmpty())
        plan.questions << TPrintQuestion { TPrintQuestion::Kind::Reprinted, OverlapText(overlaps),
                                           QCoreApplication::translate("TPrintRoom", "Print them again?") };
    AskAboutSize(plan, request);
    AskAboutOutput(plan);
    CheckArtwork(plan, request, printedBy ? &*printedBy : nullptr);
    CheckData(plan, request, printedBy ? &*printedBy : nullptr);

    // Checked where the calibrated printer will put the numbers; the journal's part is
    // asked above. A print that moves the counter is the one that goes onto numbered
    // stock: what would misprint is asked about once, all together.
    QList<TPreflightWarning> misprints = Misprints(request, plan.count);
    if (plan.artwork && request.artwork.Scope == ticket::TTemplateScope::Ticket)
        if (const QString cut = ticket::ArtworkCutText(plan.artwork->sizeInches,
                                                       ticket::SlotRect(request.layout, 0, serial::PageArea()).size());
            !cut.isEmpty())
            misprints << TPreflightWarning { TPreflightWarning::Kind::ArtworkCut, cut };
    if (!reprint)
        plan.warnings = misprints;
    QStringList texts;
    for (const TPreflightWarning& warning : plan.warnings)
        if (!warning.note)
            texts << warning.text;
    if (request.kind == TRunKind::Print && !texts.isEmpty()) {
        plan.questions << TPrintQuestion { TPrintQuestion::Kind::Misprint, texts.join(QLatin1Char('\n')),
                                           QCoreApplication::translate("TPrintRoom", "Print anyway?") };
    }
    plan.request = std::move(request);
    return plan;
}

QList<TPreflightWarning> TPrintRoom::Misprints(const TPrintRequest& request, int count)
{
    QList<TPreflightWarning> warnings
        = CheckRun(job_, calibration::Apply(PageOnPaper(request), request.offset), count, {}, request.layout).warnings;
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
    Checked(TRequestInput::Digits, page.Digits);
    Checked(TRequestInput::Step, page.Step);
}

void TPrintRoom::CheckLayout(const ticket::TSheetLayout& layout)
{
    Checked(TRequestInput::Grid, layout.Columns);
    Checked(TRequestInput::Grid, layout.Rows);
    Checked(TRequestInput::Copies, layout.Copies);
    Checked(TRequestInput::StackDepth, layout.StackDepth);
    Checked(TRequestInput::FirstSlot, layout.FirstSlot, layout.Slots());
}

qint64 TPrintRoom::Checked(TRequestInput input, qint64 value, int places)
{
    using namespace settingslimits;
    constexpr qint64 most = std::numeric_limits<int>::max();
    const auto within = [value](qint64 low, qint64 high) { return value >= low && value <= high; };
    QString refusal;
    switch (input) {
    case TRequestInput::None:
        break;
    case TRequestInput::Count:
        if (value < 1)
            refusal = QCoreApplication::translate("TPrintRoom", "The page count must be 1 or more, not %1").arg(value);
        else if (value > most)
            refusal = QCoreApplication::translate("TPrintRoom", "%1 pages are more than one run can print (at most %2)").arg(value).arg(most);
        break;
    case TRequestInput::Serials:
        if (value < 1)
            refusal = QCoreApplication::translate("TPrintRoom", "The last serial must not be below the first");
        else if (value > most)
            refusal = QCoreApplication::translate("TPrintRoom", "%1 serials are more than one run can print (at most %2)").arg(value).arg(most);
        break;
    case TRequestInput::Start:
        if (!within(std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()))
            refusal = QCoreApplication::translate("TPrintRoom", "A serial number lies from %1 to %2, not at %3")
                          .arg(std::numeric_limits<qint32>::min())
                          .arg(std::numeric_limits<qint32>::max())
                          .arg(value);
        break;
    case TRequestInput::Digits:
        if (!within(kMinDigits, kMaxDigits))
            refusal = QCoreApplication::translate("TPrintRoom", "Numbers are padded to a width from %1 to %2 digits, not %3").arg(kMinDigits).arg(kMaxDigits).arg(value);
        break;
    case TRequestInput::Step:
        if (!within(kMinStep, kMaxStep))
            refusal = QCoreApplication::translate("TPrintRoom", "The step between serials must be from %1 to %2, not %3").arg(kMinStep).arg(kMaxStep).arg(value);
        break;
    case TRequestInput::Grid:
        if (!within(1, ticket::kMaxGrid))
            refusal = QCoreApplication::translate("TPrintRoom", "A sheet has 1 to %1 columns and rows, not %2").arg(ticket::kMaxGrid).arg(value);
        break;
    case TRequestInput::Copies:
        if (!within(1, ticket::kMaxCopies))
            refusal = QCoreApplication::translate("TPrintRoom", "A sheet prints 1 to %1 times in a row, not %2").arg(ticket::kMaxCopies).arg(value);
        break;
    case TRequestInput::StackDepth:
        if (!within(0, most))
            refusal = QCoreApplication::translate("TPrintRoom", "A pile holds 0 (the whole run) to %1 sheets, not %2").arg(most).arg(value);
        break;
    case TRequestInput::FirstSlot:
        if (!within(1, qMax(1, places)))
            refusal = QCoreApplication::translate("TPrintRoom", "The first ticket's place on a sheet of %1 tickets is from 1 to %1, not %2").arg(qMax(1, places)).arg(value);
        break;
    case TRequestInput::TemplatePage:
        if (!within(1, most))
            refusal = QCoreApplication::translate("TPrintRoom", "A template's pages are counted from 1, not %1").arg(value);
        break;
    }
    if (!refusal.isEmpty())
        throw EPrintRequest(refusal, input);
    return value;
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
    } else if (shared) {
        PlanSharedStart(plan, request, now);
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

void TPrintRoom::PlanSharedStart(TPrintPlan& plan, TPrintRequest& request, const TSeriesStore::Reading& now)
{
    // A shared series hands out the numbers after its last one; a start typed elsewhere
    // means setting the series there first, which every station then goes on from.
    const qint32 next = serial::AddWrapping(*now.value, 1);
    plan.expected = now.text;
    if (request.page.StartingNumber == next)
        return;
    bool known = false;
    const qint32 knownNext = serial::AddWrapping(request.knownLastNumber.toInt(&known), 1);
    if (known && request.page.StartingNumber == knownNext) {
        // Not typed: the number shown was the series' next until another station printed.
        plan.questions << TPrintQuestion { TPrintQuestion::Kind::Moved,
                                           QCoreApplication::translate("TPrintRoom", "Another Tallyforge printed up to %1").arg(*now.value),
                                           QCoreApplication::translate("TPrintRoom", "Continue from %1?").arg(next) };
        request.page.StartingNumber = next;
        return;
    }
    const qint32 start = request.page.StartingNumber;
    auto* series = dynamic_cast<TSharedSeries*>(&Store());
    const QString name = series ? series->Name() : Store().Where();
    // Behind the series' last number: numbers handed out already would be handed out again.
    QString text = QCoreApplication::translate("TPrintRoom", "Series '%1' continues at %2; this run sets it to continue at %3").arg(name).arg(next).arg(start);
    if (serial::AddWrapping(start, -1) < *now.value)
        text += QCoreApplication::translate("TPrintRoom", ", though serials %1 to %2 were handed out already").arg(start).arg(*now.value);
    plan.questions << TPrintQuestion { TPrintQuestion::Kind::MovesSeries, text,
                                       QCoreApplication::translate("TPrintRoom", "Set series '%1' to continue at %2?").arg(name).arg(start) };
    // The run then reserves right after the number the series was set to.
    plan.expected = QString::number(serial::AddWrapping(start, -1));
}

TPrintRoom::TNamedReprint TPrintRoom::NameReprint(TPrintPlan& plan, TPrintRequest& request)
{
    using namespace printedserial;
    // Reprints print serials again under the text of the runs they repeat; what names a
    // serial is the run that first printed it.
    QList<TJournalRecord> prints = plan.runs;
    prints.removeIf([](const TJournalRecord& run) {
        return run.kind == TRunKind::Reprint || run.kind == TRunKind::Calibration || run.kind == TRunKind::Void;
    });
    const TSerialFormat today { request.page.Prefix, request.page.Suffix, request.page.Digits, request.page.Check, request.page.CheckSeparator,
                                   request.page.Letters, request.page.LetterSeparator };
    const auto readings = [&prints](const QString& text) {
        const QList<TNamed> named = Named(text, prints);
        return named.isEmpty() && text.trimmed() != text ? Named(text.trimmed(), prints) : named;
    };
    TNamedReprint result;
    // A text no run printed: in `format` as it would print, or a number read as such
    // (asked about: "000017" is no serial of SC-000017's run, and not silently 17).
    const auto unnamed = [&result](const QString& text, const TSerialFormat& format) -> qint32 {
        const QString trimmed = text.trimmed();
        for (const QString& t : { text, trimmed })
            if (const std::optional<qint32> number = Parse(t, format))
                return *number;
        if (const std::optional<qint32> number = ParseBare(trimmed, format))
            return *number;
        if (const std::optional<qint32> number = ParseBare(trimmed, TSerialFormat {})) {
            if (!result.unnamed.contains(std::pair { text, *number }))
                result.unnamed << std::pair { text, *number };
            return *number;
        }
        throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "'%1' is neither a serial that a run printed nor a number").arg(text));
    };

    qint32 first = 0;
    const QList<TNamed> firsts = readings(request.firstText);
    if (firsts.isEmpty()) {
        first = unnamed(request.firstText, today);
    } else {
        const auto isToday = [&](const TNamed& r) { return r.run->prefix == today.prefix && r.run->suffix == today.suffix; };
        const auto chosen = std::find_if(firsts.begin(), firsts.end(), isToday);
        const TNamed& reading = chosen != firsts.end() ? *chosen : firsts.front(); // else the newest
        result.run = *reading.run;
        first = reading.number;
        const auto describe = [](const TNamed& r) {
            return QCoreApplication::translate("TPrintRoom", "%1, serial %2 of the run of %3")
                .arg(Text(*r.run, r.number))
                .arg(r.number)
                .arg(QLocale().toString(r.run->started.toLocalTime(), QLocale::ShortFormat));
        };
        QStringList others;
        for (const TNamed& r : firsts)
            if (r.number != reading.number || !SameText(FormatOf(*r.run), FormatOf(*reading.run)))
                others << describe(r);
        // A bare number means today's series where that printed it; anything else that
        // reads two ways is asked about.
        if (!others.isEmpty() && (reading.printed || !isToday(reading)))
            plan.questions << TPrintQuestion { TPrintQuestion::Kind::Ambiguous,
                                               QCoreApplication::translate("TPrintRoom", "%1 names more than one serial: %2; %3")
                                                   .arg(request.firstText, describe(reading), others.join(QStringLiteral("; "))),
                                               QCoreApplication::translate("TPrintRoom", "Reprint from %1?").arg(describe(reading)) };
    }

    // The last serial in the first one's text, else wherever it was printed.
    const TSerialFormat format = result.run ? FormatOf(*result.run) : today;
    std::optional<qint32> last = Parse(request.lastText, format);
    if (!last)
        last = ParseBare(request.lastText.trimmed(), format);
    if (!last)
        if (const QList<TNamed> lasts = readings(request.lastText); !lasts.isEmpty())
            last = lasts.front().number;
    if (!last)
        last = unnamed(request.lastText, format);
    request.page.StartingNumber = first;
    request.count = qint64(*last) - first + 1;
    return result;
}

std::optional<TJournalRecord> TPrintRoom::PlanReprint(TPrintPlan& plan, TPrintRequest& request, const TNamedReprint& named)
{
    // The serials as they were printed: the text of the run that printed them (the one
    // the first serial named, else one under today's prefix and suffix first), not
    // today's fields.
    const auto today = [&](const TJournalRecord& run) { return run.prefix == request.page.Prefix && run.suffix == request.page.Suffix; };
    const TJournalRecord* printedBy = named.run ? &*named.run : nullptr;
    for (const TJournalRecord& run : plan.runs) {
        // A void record counts its serials as printed, yet says nothing of how they were.
        if (named.run || run.kind == TRunKind::Reprint || run.kind == TRunKind::Calibration || run.kind == TRunKind::Void
            || !run.Covers(request.page.StartingNumber))
            continue;
        if (!printedBy || (today(run) && !today(*printedBy)))
            printedBy = &run;
    }
    std::optional<TJournalRecord> found;
    printedserial::TSerialFormat format { request.page.Prefix, request.page.Suffix, request.page.Digits, request.page.Check, request.page.CheckSeparator,
                                   request.page.Letters, request.page.LetterSeparator };
    if (printedBy) {
        found = *printedBy;
        format = printedserial::FormatOf(*printedBy);
        // On the artwork they were printed on: a run without one reprints without.
        request.artwork.File = printedBy->templateName;
        if (!printedBy->templateName.isEmpty())
            request.artwork.Print = true;
        // From the data they were printed from, if any.
        request.page.DataFile = printedBy->dataFile;
        request.page.Prefix = printedBy->prefix;
        request.page.Suffix = printedBy->suffix;
        request.page.Digits = printedBy->digits.value_or(request.page.Digits);
        // Its serials step apart with their check character, whatever today's settings say.
        request.page.Step = qMax(1, printedBy->step);
        request.page.Check = format.check;
        request.page.CheckSeparator = format.checkSeparator;
        request.page.Letters = format.letters;
        request.page.LetterSeparator = format.letterSeparator;
    }
    request.page.Step = qMax(1, request.page.Step);
    const qint64 last = qint64(request.page.StartingNumber) + plan.count - 1;
    if (last > std::numeric_limits<qint32>::max())
        throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "A reprint ends at 2147483647"), TRequestInput::Serials);
    // The serials of first..last: first, first + step, ... as far as last.
    plan.count = int((last - request.page.StartingNumber) / request.page.Step + 1);
    if (plan.runs.isEmpty() && plan.Asks(TPrintQuestion::Kind::Unrecorded))
        return found; // asked already: what was printed is not known
    for (const auto& [text, number] : named.unnamed)
        plan.questions << TPrintQuestion { TPrintQuestion::Kind::NeverPrinted,
                                           QCoreApplication::translate("TPrintRoom", "%1 is not a serial that any run printed; read as the number %2, it reprints as %3")
                                               .arg(text)
                                               .arg(number)
                                               .arg(printedserial::Text(format, number)),
                                           QCoreApplication::translate("TPrintRoom", "Reprint it anyway?") };
    if (const QString never = NeverPrintedText(plan.runs, format, request.page.StartingNumber, last, request.page.Step); !never.isEmpty())
        plan.questions << TPrintQuestion { TPrintQuestion::Kind::NeverPrinted, never,
                                           QCoreApplication::translate("TPrintRoom", "Reprint them anyway?") };
    return found;
}

void TPrintRoom::CheckArtwork(TPrintPlan& plan, const TPrintRequest& request, const TJournalRecord* printedBy)
{
    // Read and checked before anything is reserved: a bad file stops the run here, and
    // the bytes read now are the ones printed and recorded.
    if (request.artwork.IsSet())
        Checked(TRequestInput::TemplatePage, request.artwork.Page);
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

void TPrintRoom::CheckData(TPrintPlan& plan, TPrintRequest& request, const TJournalRecord* printedBy)
{
    request.page.Data.reset();
    if (request.page.DataFile.isEmpty())
        return;
    request.page.Data = ticket::TDataTable::Load(request.page.DataFile);
    if (const QString problem = DataProblem(request.page, plan.count); !problem.isEmpty())
        throw Exception(problem);
    if (printedBy && !printedBy->dataSha256.isEmpty() && printedBy->dataSha256.compare(request.page.Data->Sha256(), Qt::CaseInsensitive) != 0)
        plan.questions << TPrintQuestion { TPrintQuestion::Kind::DataChanged,
                                           QCoreApplication::translate("TPrintRoom", "The data file %1 has changed since these serials were printed from it")
                                               .arg(QDir::toNativeSeparators(request.page.DataFile)),
                                           request.kind == TRunKind::Reprint ? QCoreApplication::translate("TPrintRoom", "Reprint them with the changed data?")
                                                                             : QCoreApplication::translate("TPrintRoom", "Print the rest with the changed data?") };
}

void TPrintRoom::PlanResume(TPrintPlan& plan, TPrintRequest& request)
{
    const std::optional<TRunRest> rest = request.resumeOf ? RestOf(plan.runs, *request.resumeOf) : std::nullopt;
    if (!rest)
        throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "This run has no sheets left to print"));
    // The stopped run's serials as it printed them, on the sheets it would have printed next.
    request.resumeOf = rest->run;
    request.page.StartingNumber = *rest->run.first;
    request.page.Prefix = rest->run.prefix;
    request.page.Suffix = rest->run.suffix;
    request.page.Digits = rest->run.digits.value_or(request.page.Digits);
    request.page.Step = qMax(1, rest->run.step);
    request.page.Check = ticket::ParseCheck(rest->run.check).value_or(ticket::TCheck::None);
    request.page.CheckSeparator = rest->run.checkSeparator;
    request.page.Letters = rest->run.letters;
    request.page.LetterSeparator = rest->run.letterSeparator;
    request.layout = rest->layout;
    // On the artwork the run began on (none: none).
    request.artwork.File = rest->run.templateName;
    request.artwork.Print = !rest->run.templateName.isEmpty();
    request.page.DataFile = rest->run.dataFile;
    request.count = rest->tickets;
    plan.count = int(rest->tickets);
    plan.fromSheet = rest->fromSheet;
    if (rest->uncertain)
        plan.questions << TPrintQuestion { TPrintQuestion::Kind::MayHavePrinted,
                                           QCoreApplication::translate("TPrintRoom", "The print server could not say how many sheets of this run came out: the rest prints all that may not have, and some of them may have printed"),
                                           QCoreApplication::translate("TPrintRoom", "Print them all the same?") };
}

void TPrintRoom::AskAboutSize(TPrintPlan& plan, const TPrintRequest& request)
{
    // Many tickets at once are asked about first: a count completed from the history or
    // typed with a digit too many would otherwise use up a box of forms and a block of
    // serials. A rest counts what it has left to print.
    const Paper paper = PaperOf(plan, request);
    if (request.confirmAbove <= 0 || paper.tickets <= request.confirmAbove)
        return;
    const bool reprint = request.kind == TRunKind::Reprint;
    const qint32 first = request.page.StartingNumber;
    const qint32 last = serial::SerialNumber(first, plan.count, request.page.Step);
    QString text;
    if (request.kind == TRunKind::Resume)
        text = QCoreApplication::translate("TPrintRoom", "The rest of this run prints %1 tickets on %2 sheets, of serials %3 to %4")
                   .arg(paper.tickets)
                   .arg(paper.sheets);
    else if (request.layout.IsDefault()) // a page is a ticket
        text = (reprint ? QCoreApplication::translate("TPrintRoom", "This reprint prints %1 pages, serials %2 to %3")
                        : QCoreApplication::translate("TPrintRoom", "This run prints %1 pages, serials %2 to %3"))
                   .arg(paper.tickets);
    else
        text = (reprint ? QCoreApplication::translate("TPrintRoom", "This reprint prints %1 tickets on %2 sheets, serials %3 to %4")
                        : QCoreApplication::translate("TPrintRoom", "This run prints %1 tickets on %2 sheets, serials %3 to %4"))
                   .arg(paper.tickets)
                   .arg(paper.sheets);
    text = text.arg(first).arg(last);
    plan.questions.prepend(TPrintQuestion { TPrintQuestion::Kind::Large, text,
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
    for (const TJournalRecord& run : plan.runs) {
        // The newest run into the file is what it holds: after a calibration sheet, no serials.
        if (run.output.isEmpty() || QFileInfo(run.output).absoluteFilePath() != chosen)
            continue;
        // A stopped run of sheets may hold sheets whose tickets are not whole yet (copies).
        if ((run.pages > 0 || run.sheets.value_or(0) > 0) && run.first) {
            plan.questions << TPrintQuestion { TPrintQuestion::Kind::ReplacesOutput,
                                               QCoreApplication::translate("TPrintRoom", "%1 holds serials %2 to %3, printed on %4")
                                                   .arg(QDir::toNativeSeparators(chosen))
                                                   .arg(*run.first)
                                                   .arg(run.last.value_or(*run.first))
                                                   .arg(QLocale().toString(run.started.toLocalTime(), QLocale::ShortFormat)),
                                               QCoreApplication::translate("TPrintRoom", "Replace it?") };
        }
        return;
    }
}

TPrintPlan TPrintRoom::PrepareSheet(TPrintRequest request)
{
    // No serials and no counter: only the journal it is recorded in and the file it goes to.
    TPrintPlan plan;
    plan.count = 1;
    try {
        plan.runs = Store().Runs();
        Store().CheckRecordable();
    } catch (const Exception& e) {
        plan.questions << TPrintQuestion { TPrintQuestion::Kind::Unrecorded,
                                           QCoreApplication::translate("TPrintRoom", "%1: this calibration sheet would be recorded nowhere").arg(e.Message()),
                                           QCoreApplication::translate("TPrintRoom", "Print anyway?") };
    }
    AskAboutOutput(plan);
    plan.request = std::move(request);
    return plan;
}

std::optional<TSerialRun::Outcome> TPrintRoom::CarrySheet(const TPrintPlan& plan)
{
    const calibration::TSheetOutcome sheet = calibration::PrintSheet(plan.request.page, Store(), plan.Asks(TPrintQuestion::Kind::Unrecorded));
    journalProblem_ = sheet.journalProblem;
    TSerialRun::Outcome outcome;
    outcome.count = 1;
    outcome.sheets = 1;
    outcome.delivered = sheet.pages;
    outcome.sheetsDelivered = sheet.pages;
    outcome.status = sheet.status;
    return outcome;
}

std::optional<TSerialRun::Outcome> TPrintRoom::Carry(const TPrintPlan& plan)
{
    journalProblem_.clear();
    if (plan.request.kind == TRunKind::Calibration)
        return CarrySheet(plan);
    // Set the series where the user typed, as asked; the run then reserves from there
    // unless another station took those numbers meanwhile (the caller prepares again).
    if (plan.Asks(TPrintQuestion::Kind::MovesSeries))
        if (auto* series = dynamic_cast<TSharedSeries*>(&Store()))
            series->SetNext(plan.request.page.StartingNumber, true);
    // The counter moved between the plan and the reservation: the plan's checks were
    // for other serials, so nothing prints and the caller prepares again.
    run_.OnMoved = [](int) { return false; };
    // Printing unrecorded is what the user said yes to.
    run_.AllowUnrecordable = plan.Asks(TPrintQuestion::Kind::Unrecorded);
    run_.Artwork.reset();
    if (plan.artwork)
        run_.Artwork = TSerialRun::TRunArtwork { *plan.artwork, plan.request.artwork.Scope,
                                                 QPointF(plan.request.offset.X, plan.request.offset.Y) };
    run_.Design = ticket::DesignText(DesignOf(plan.request, plan.artwork ? plan.artwork->sha256 : QString()));
    const TJournalRecord* stopped = plan.request.resumeOf ? &*plan.request.resumeOf : nullptr;
    run_.Resumes = stopped ? stopped->run : 0;
    run_.RestOfReprint = stopped && stopped->kind == TRunKind::Reprint;
    // A rest is claimed before it prints, and read again under the claim: a resume that
    // ended meanwhile printed some or all of it.
    std::unique_ptr<TRestClaim> claim;
    qint64 fromSheet = plan.fromSheet;
    if (plan.request.kind == TRunKind::Resume)
        fromSheet = ClaimRest(plan, claim);
    std::optional<TSerialRun::Outcome> outcome
        = run_.Print(plan.request.page, plan.count, plan.request.kind, plan.expected, plan.request.layout, fromSheet);
    journalProblem_ = run_.JournalProblem();
    return outcome;
}

ticket::TTicketDesign DesignOf(const TPrintRequest& request, const QString& artworkSha256)
{
    TPrinter& printer = Printer();
    const TDeviceCaps caps = printer.DeviceCaps();
    ticket::TTicketDesign design;
    design.Paper = printer.PaperSize().key();
    design.Landscape = printer.Orientation() == poLandscape;
    design.PaperSize = ticket::PaperInches(caps.PhysicalWidth, caps.PhysicalHeight, caps.LogPixelsX, caps.LogPixelsY);
    design.Printable = PrintableOnPaper(caps);
    design.Page = request.page;
    // The run's, the printer's and the preview's, not the design's.
    design.Page.StartingNumber = 0;
    design.Page.Offset = QPointF();
    design.Page.MarkUnencodable = false;
    design.Page.OnArtwork = false;
    design.Page.Data.reset();
    if (request.page.Data)
        design.DataSha256 = request.page.Data->Sha256();
    design.Sheet = ticket::Resolved(request.layout, ticket::TPageArea { design.PaperSize, design.Printable });
    if (request.artwork.IsSet() && request.artwork.Print) {
        design.Artwork = request.artwork;
        design.ArtworkSha256 = artworkSha256;
    }
    return design;
}

void TPrintRoom::Replay(TPrintPlan& plan, TPrintRequest& request, const TJournalRecord& printedBy)
{
    if (printedBy.design.isEmpty())
        return; // a run of an older version: what its record holds is all there is
    std::optional<ticket::TTicketDesign> design;
    try {
        if (const std::optional<QString> text = Store().Design(printedBy.design))
            design = ticket::ParseDesign(*text);
    } catch (const Exception&) {
        // Not to be had now: asked below, as a missing one.
    }
    const bool reprint = request.kind == TRunKind::Reprint;
    if (!design) {
        plan.questions << TPrintQuestion { TPrintQuestion::Kind::DesignMissing,
                                           QCoreApplication::translate("TPrintRoom", "The design these serials were printed with (%1) is not kept in %2: they would print as the settings say now")
                                               .arg(printedBy.design.left(12), Store().Where()),
                                           reprint ? QCoreApplication::translate("TPrintRoom", "Reprint them with today's design?")
                                                   : QCoreApplication::translate("TPrintRoom", "Print the rest with today's design?") };
        return;
    }
    // Everything as it printed; a reprint keeps its own mark, the rest of a run the run's.
    const qint32 start = request.page.StartingNumber;
    const QString mark = request.page.Mark;
    request.page = design->Page;
    request.page.StartingNumber = start;
    if (reprint)
        request.page.Mark = mark;
    request.layout = design->Sheet;
    request.artwork = design->Artwork;
    // A grid measured from the paper prints at the same places on the same paper whatever
    // the printable area; what it cannot reach the preflight tells.
    const TDeviceCaps caps = Printer().DeviceCaps();
    const QSizeF paper = ticket::PaperInches(caps.PhysicalWidth, caps.PhysicalHeight, caps.LogPixelsX, caps.LogPixelsY);
    const bool samePaper = std::abs(paper.width() - design->PaperSize.width()) < 0.01
        && std::abs(paper.height() - design->PaperSize.height()) < 0.01;
    if (design->Sheet.Origin == ticket::TOrigin::Paper && samePaper)
        return;
    if (const QRectF now = PrintableOnPaper(caps); !now.isEmpty()) {
        if (const QString difference = ticket::PrintableDifference(design->Printable, now); !difference.isEmpty())
            plan.questions << TPrintQuestion { TPrintQuestion::Kind::PrintableChanged,
                                               QCoreApplication::translate("TPrintRoom", "These serials were printed on another printable area: %1").arg(difference),
                                               QCoreApplication::translate("TPrintRoom", "Print them on this printer all the same?") };
    }
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

TVoidPlan TPrintRoom::PlanVoid(const QList<TJournalRecord>& runs, std::optional<int> counter, const TVoidRequest& request)
{
    // Named as a reprint names them: the run that printed the first serial gives the text
    // and the step.
    TPrintPlan plan;
    plan.runs = runs;
    TPrintRequest named;
    named.kind = TRunKind::Reprint;
    named.page = request.page;
    named.firstText = request.firstText;
    named.lastText = request.lastText;
    const TNamedReprint found = NameReprint(plan, named);
    if (named.count < 1)
        throw EPrintRequest(QCoreApplication::translate("TPrintRoom", "%1 comes before %2: nothing to void").arg(request.lastText, request.firstText),
                            TRequestInput::Serials);
    TVoidPlan result;
    // Whether the serials were printed or taken is asked below, for a void's reasons.
    for (TPrintQuestion question : plan.questions)
        if (question.kind == TPrintQuestion::Kind::Ambiguous) {
            question.ask = QCoreApplication::translate("TPrintRoom", "Void them as read here?");
            result.questions << question;
        }
    TJournalRecord& record = result.record;
    const printedserial::TSerialFormat today { request.page.Prefix, request.page.Suffix, request.page.Digits, request.page.Check,
                                               request.page.CheckSeparator, request.page.Letters, request.page.LetterSeparator };
    // A number no run printed may be one a stopped run keeps for its rest: that run's
    // text, today's first.
    const TJournalRecord* takenBy = found.run ? &*found.run : nullptr;
    for (const TJournalRecord& run : runs)
        if (!found.run && run.kind != TRunKind::Reprint && run.kind != TRunKind::Calibration && run.kind != TRunKind::Void
            && run.Takes(named.page.StartingNumber) && (!takenBy || (run.prefix == today.prefix && run.suffix == today.suffix)))
            takenBy = &run;
    if (takenBy) {
        record.prefix = takenBy->prefix;
        record.suffix = takenBy->suffix;
        record.digits = takenBy->digits;
        record.step = qMax(1, takenBy->step);
        record.check = takenBy->check;
        record.checkSeparator = takenBy->checkSeparator;
    } else {
        record.prefix = today.prefix;
        record.suffix = today.suffix;
        record.digits = today.digits;
        record.check = today.check == ticket::TCheck::None ? QString() : ticket::CheckName(today.check);
        record.checkSeparator = today.checkSeparator;
    }
    const qint64 first = named.page.StartingNumber;
    const qint64 last = first + (named.count - 1) / record.step * record.step; // the last serial of the range
    record.kind = TRunKind::Void;
    record.status = TRunStatus::Completed;
    record.first = qint32(first);
    record.last = qint32(last);
    record.reason = request.reason;
    record.user = CurrentUser();
    record.host = CurrentHost();

    // Only serials a run printed or took (kept for its rest) under the same text; not
    // the ones only a void or a reprint names.
    QList<TJournalRecord> takers = runs;
    takers.removeIf([&record](const TJournalRecord& run) {
        return run.kind == TRunKind::Reprint || run.kind == TRunKind::Calibration || run.kind == TRunKind::Void
            || run.prefix != record.prefix || run.suffix != record.suffix;
    });
    const QList<std::pair<qint64, qint64>> never = Unprinted(takers, first, last, record.step);
    if (never.isEmpty())
        return result;
    const printedserial::TSerialFormat format = printedserial::FormatOf(record);
    QStringList ranges;
    for (const auto& [from, to] : never)
        ranges << (from == to ? printedserial::Text(format, qint32(from))
                              : QCoreApplication::translate("TPrintRoom", "%1 to %2").arg(printedserial::Text(format, qint32(from)), printedserial::Text(format, qint32(to))));
    const QString list = ranges.join(QStringLiteral(", "));
    // Past the counter a void would hold nothing back: the next print takes them.
    const auto ahead = [&counter](qint64 serial) { return !counter || MovesBack(qint32(serial), *counter); };
    const bool past = std::any_of(never.begin(), never.end(), [&](const auto& range) { return ahead(range.first) || ahead(range.second); });
    if (past)
        throw Exception(QCoreApplication::translate("TPrintRoom", "Serials %1 were never printed and lie past the last number %2: a void does not hold them back from the next print")
                            .arg(list, counter ? QString::number(*counter) : QStringLiteral("?")));
    result.questions << TPrintQuestion { TPrintQuestion::Kind::NeverPrinted,
                                         QCoreApplication::translate("TPrintRoom", "Serials %1 were neither printed nor taken by any run").arg(list),
                                         QCoreApplication::translate("TPrintRoom", "Void them all the same?") };
    return result;
}

void TPrintRoom::RecordVoid(TSeriesStore& store, TJournalRecord record)
{
    store.CheckRecordable();
    const qint64 serials = qint64(quint32(*record.last) - quint32(*record.first)) / qMax(1, record.step) + 1;
    record.started = QDateTime::currentDateTimeUtc();
    record.status = TRunStatus::Interrupted;
    store.Begin(record, int(qMin<qint64>(serials, std::numeric_limits<int>::max())), false, QString());
    if (!store.Problem().isEmpty())
        throw Exception(store.Problem());
    record.status = TRunStatus::Completed;
    record.finished = QDateTime::currentDateTimeUtc();
    store.End(record);
    if (!store.Problem().isEmpty())
        throw Exception(store.Problem());
}
