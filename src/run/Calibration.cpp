#include "run/Calibration.h"

#include "run/Journal.h"
#include "run/SeriesCounter.h"
#include "run/SeriesStore.h"
#include "platform/Application.h"
#include "platform/Geometry.h"
#include "platform/IniFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPainter>

#include <cmath>

namespace calibration {

namespace {

const QString kSection = QStringLiteral("Calibration");
const QString kX = QStringLiteral(".X");
const QString kY = QStringLiteral(".Y");

constexpr double kCrossArm = 0.30; // inches either side of the centre
constexpr int kLabelPoints = 7;

const QColor kFrameColor(150, 190, 235);

QString Inches(double value) { return QString::number(value, 'f', 3); }

QString Signed(double value)
{
    const QString text = Inches(value);
    return value >= 0 && !text.startsWith(QLatin1Char('-')) ? QLatin1Char('+') + text : text;
}

// Paper inches to the printer canvas's pixels (origin at the printable corner).
struct PaperMap {
    const TDeviceCaps& caps;
    int X(double inches) const { return RoundHalfEven(inches * caps.LogPixelsX) - caps.PhysicalOffsetX; }
    int Y(double inches) const { return RoundHalfEven(inches * caps.LogPixelsY) - caps.PhysicalOffsetY; }
};

void Line(TCanvas& canvas, int x1, int y1, int x2, int y2)
{
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
}

} // namespace

TCalibrations Read(const TIniFile& ini)
{
    TCalibrations calibrations;
    for (const QString& key : ini.ReadSection(kSection)) {
        const bool x = key.endsWith(kX, Qt::CaseInsensitive);
        if (!x && !key.endsWith(kY, Qt::CaseInsensitive))
            continue;
        const QString printer = key.left(key.size() - 2);
        if (printer.isEmpty())
            continue;
        TOffset& offset = calibrations[printer];
        (x ? offset.X : offset.Y) = qBound(-kMaxOffset, ini.ReadFloat(kSection, key, 0), kMaxOffset);
    }
    return calibrations;
}

void Write(TIniFile& ini, const TCalibrations& calibrations)
{
    for (auto it = calibrations.cbegin(); it != calibrations.cend(); ++it) {
        ini.WriteFloat(kSection, it.key().name + kX, it->X);
        ini.WriteFloat(kSection, it.key().name + kY, it->Y);
    }
}

void Store(const QString& settingsPath, const QString& printer, std::optional<TOffset> offset)
{
    // Under the counter's lock, as every write of the file: a reservation made between
    // reading and writing would be lost.
    const TFileLock lock = TSeriesCounter::Lock(settingsPath);
    TSeriesCounter::CheckReadable(settingsPath);
    TIniFile ini(settingsPath);
    if (offset && !offset->IsZero()) {
        Write(ini, { { printer, *offset } });
    } else {
        if (!ini.SectionExists(kSection))
            return;
        ini.DeleteKey(kSection, printer + kX);
        ini.DeleteKey(kSection, printer + kY);
        if (ini.ReadSection(kSection).isEmpty())
            ini.EraseSection(kSection);
    }
    ini.UpdateFile();
}

serial::SerialPage Apply(serial::SerialPage page, const TOffset& offset)
{
    page.HorizontalIndent += offset.X;
    page.VerticalIndent += offset.Y;
    page.HorizontalIndent2 += offset.X;
    page.VerticalIndent2 += offset.Y;
    page.Offset += QPointF(offset.X, offset.Y);
    return page;
}

QString HintText(const QString& printer, const TOffset& offset)
{
    if (offset.IsZero())
        return {};
    return QCoreApplication::translate("Calibration", "Calibrated for %1: %2 in, %3 in")
        .arg(printer, Signed(offset.X), Signed(offset.Y));
}

std::array<QPointF, 2> PaperPositions(const serial::SerialPage& page, const TDeviceCaps& caps)
{
    const double cornerX = caps.LogPixelsX > 0 ? double(caps.PhysicalOffsetX) / caps.LogPixelsX : 0;
    const double cornerY = caps.LogPixelsY > 0 ? double(caps.PhysicalOffsetY) / caps.LogPixelsY : 0;
    return { QPointF(cornerX + page.HorizontalIndent, cornerY + page.VerticalIndent),
             QPointF(cornerX + page.HorizontalIndent2, cornerY + page.VerticalIndent2) };
}

TOffset OffsetFromLanded(const std::array<QPointF, 2>& intended, const std::array<QPointF, 2>& landed)
{
    const QPointF miss = ((landed[0] - intended[0]) + (landed[1] - intended[1])) / 2;
    // Rounded to what the settings file and the dialog show.
    const auto round = [](double v) { return std::round(v * 1000) / 1000 + 0.0; };
    return { round(-miss.x()), round(-miss.y()) };
}

void DrawSheet(TCanvas& canvas, const TDeviceCaps& caps, const serial::SerialPage& page, const QString& printer)
{
    if (caps.LogPixelsX <= 0 || caps.LogPixelsY <= 0)
        return;
    const PaperMap at { caps };
    TPen& pen = canvas.Pen();
    pen.SetColor(Qt::black);
    pen.SetStyle(psSolid);
    // About a third of a point: fine enough to read a tenth of a millimetre against.
    pen.SetWidth(qMax(1, caps.LogPixelsX / 300));
    canvas.Brush().SetStyle(bsClear);
    TFont& font = canvas.Font();
    font.SetName(QStringLiteral("Arial"));
    font.SetStyle({});
    font.SetColor(Qt::black);
    font.SetSize(kLabelPoints);

    const std::array<QPointF, 2> paper = PaperPositions(page, caps);
    const std::array<QPointF, 2> printable { QPointF(page.HorizontalIndent, page.VerticalIndent),
                                             QPointF(page.HorizontalIndent2, page.VerticalIndent2) };
    const int lineHeight = canvas.TextHeight(QStringLiteral("0"));
    for (int i = 0; i < 2; ++i) {
        // The centre is where the number's cell has its top-left corner.
        const int x = serial::DevicePoint(printable[i].x() * caps.LogPixelsX, 0).x();
        const int y = serial::DevicePoint(0, printable[i].y() * caps.LogPixelsY).y();
        const int armX = RoundHalfEven(kCrossArm * caps.LogPixelsX);
        const int armY = RoundHalfEven(kCrossArm * caps.LogPixelsY);
        Line(canvas, x - armX, y, x + armX, y);
        Line(canvas, x, y - armY, x, y + armY);
        const int labelX = x + armX / 3;
        const int labelY = y + armY / 3;
        canvas.TextOut(labelX, labelY, QCoreApplication::translate("Calibration", "Position %1").arg(i + 1));
        canvas.TextOut(labelX, labelY + lineHeight,
                       QCoreApplication::translate("Calibration", "meant at %1 in from the left edge, %2 in from the top edge")
                           .arg(Inches(paper[i].x()), Inches(paper[i].y())));
        canvas.TextOut(labelX, labelY + 2 * lineHeight,
                       QCoreApplication::translate("Calibration", "printable corner: %1 in, %2 in")
                           .arg(Inches(printable[i].x()), Inches(printable[i].y())));
    }
    // Near the bottom, away from the crosshairs; their labels say the rest. No scale of our
    // own: this printer would print it moved and stretched with everything else, and a
    // crosshair read against it would seem to sit where it was meant to.
    const int titleY = at.Y(double(caps.PhysicalHeight) / caps.LogPixelsY - 1.0);
    canvas.TextOut(at.X(1.5), titleY, QCoreApplication::translate("Calibration", "Calibration sheet for %1").arg(printer));
    // Wrapped to the paper, which may be narrow and the text long in some languages.
    const int right = at.X(double(caps.PhysicalWidth) / caps.LogPixelsX - 0.5);
    const QStringList words = QCoreApplication::translate("Calibration", "With a ruler, measure each crosshair's centre from the paper's left edge and from its top edge, and enter the distances under Options > Calibrate Printer.")
                                  .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString line;
    int lineY = titleY + lineHeight;
    for (const QString& word : words) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && at.X(1.5) + canvas.TextWidth(longer) > right) {
            canvas.TextOut(at.X(1.5), lineY, line);
            lineY += lineHeight;
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty())
        canvas.TextOut(at.X(1.5), lineY, line);
}

TSheetOutcome PrintSheet(const serial::SerialPage& page, TSeriesStore& store, bool unrecordable)
{
    TPrinter& printer = Printer();
    const QString printerName = printer.PrinterName();
    TPrintJob job;
    serial::ConfigureJob(job, [&](TCustomPrintJob*, TCanvas* canvas, int, TRect, TDrawArea area, TDrawTarget target) {
        if (area == daBody && target == dtPrinter)
            DrawSheet(*canvas, printer.DeviceCaps(), page, printerName);
    });
    job.SetPageCount(1);
    job.SetTitle(QCoreApplication::translate("Calibration", "Tallyforge calibration sheet"));

    TJournalRecord record;
    record.kind = TRunKind::Calibration;
    record.printer = printerName;
    record.user = CurrentUser();
    record.host = CurrentHost();
    record.started = QDateTime::currentDateTimeUtc();
    if (!unrecordable)
        store.CheckRecordable();
    // On record before the sheet prints, as every run: a kill leaves it interrupted.
    store.Begin(record, 0, false, QString());
    TSheetOutcome outcome;
    const auto finish = [&](TRunStatus status) {
        record.finished = QDateTime::currentDateTimeUtc();
        record.pages = job.PagesDelivered();
        record.status = status == TRunStatus::Completed && record.pages < 1 ? TRunStatus::Cancelled : status;
        record.output = record.pages > 0 ? printer.LastOutputFile() : QString();
        record.job = record.pages > 0 ? printer.LastJobId() : 0;
        outcome.pages = record.pages;
        outcome.status = record.status;
        store.End(record);
        outcome.journalProblem = store.Problem();
    };
    printer.NewRun();
    try {
        job.Print();
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        try {
            finish(TRunStatus::Failed);
        } catch (...) {
            // The print's own failure is the one to report.
        }
        std::rethrow_exception(error);
    }
    try {
        finish(TRunStatus::Completed);
    } catch (...) {
        // The sheet came out; only its record is missing.
        outcome.journalProblem = app::ExceptionText(std::current_exception());
    }
    return outcome;
}

TPrinterView::TPrinterView(TCanvas& canvas, TDrawTarget target, TDrawArea area, bool printerInstalled)
    : canvas_(canvas)
{
    if (target != dtPreview || area != daBody || !printerInstalled)
        return;
    const TDeviceCaps caps = Printer().DeviceCaps();
    QPainter* painter = canvas.Painter();
    painter->save();
    // Three screen pixels across the edge: the preview blanks what lies outside the
    // printable area, so the inner one stays, at every zoom.
    QPen pen(kFrameColor, 3);
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRect(caps.PhysicalOffsetX, caps.PhysicalOffsetY, caps.HorzRes, caps.VertRes));
    painter->restore();
    previous_ = canvas.SetViewportOrg(canvas.ViewportOrg() + QPoint(caps.PhysicalOffsetX, caps.PhysicalOffsetY));
}

TPrinterView::~TPrinterView()
{
    if (previous_)
        canvas_.SetViewportOrg(*previous_);
}

QColor PrintableFrameColor() { return kFrameColor; }

} // namespace calibration
