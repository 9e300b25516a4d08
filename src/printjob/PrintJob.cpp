#include "printjob/PrintJob.h"

#include "platform/Application.h"
#include "platform/Printer.h"


#include <utility>

namespace {

// Used when no printer is installed.
constexpr int kFallbackDpi = 300;
constexpr double kFallbackPageWidth = 2000;
constexpr double kFallbackPageHeight = 3000;

// Looked up when shown, so they follow the translation installed at start.
QString MarginsOutsideText()
{
    return TCustomPrintJob::tr("One or more margins are set outside the printable area of the page.");
}
QString FixQuestionText()
{
    return MarginsOutsideText() + QLatin1Char('\r') + TCustomPrintJob::tr("Do you want to fix them?");
}

struct RealDialogs {
    TCustomPrintJob::TPrintDialog print;
    TCustomPrintJob::TSetupDialog setup;
};
RealDialogs& Dialogs()
{
    static RealDialogs dialogs;
    return dialogs;
}
TPrintDialogHandler& PrintDialogHandler()
{
    static TPrintDialogHandler handler;
    return handler;
}

TSetupDialogHandler& SetupDialogHandler()
{
    static TSetupDialogHandler handler;
    return handler;
}

// Rounding step of each unit: whole pixels, thousandths of a percent or inch,
// hundredths of a millimetre.
double UnitFactor(TUnits units)
{
    switch (units) {
    case unPixels: return 1;
    case unPercents:
    case unInches: return 1000;
    case unMillimeters: return 100;
    }
    return 1;
}

// Puts the canvas's viewport origin back however the band's drawing ends.
class OriginRestorer {
public:
    OriginRestorer(TCanvas* canvas, QPoint previous) : canvas_(canvas), previous_(previous) { }
    ~OriginRestorer() { canvas_->SetViewportOrg(previous_); }
    OriginRestorer(const OriginRestorer&) = delete;
    OriginRestorer& operator=(const OriginRestorer&) = delete;

private:
    TCanvas* canvas_;
    QPoint previous_;
};

} // namespace

// ---------------------------------------------------------------- life cycle

TCustomPrintJob::TCustomPrintJob(QObject* owner, TJobNotifyEvent onCreate)
    : QObject(owner), OnCreate(std::move(onCreate))
{
    UpdatePageSize();
    if (OnCreate)
        OnCreate(this);
    // Set only now, so that a check during OnCreate finds nothing to do.
    marginsError_ = meAutoFix;
}

TCustomPrintJob::~TCustomPrintJob()
{
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
            // A failing handler must not stop the job's removal.
        }
    }
}

void TCustomPrintJob::BeginLoading()
{
    loading_ = true;
}

void TCustomPrintJob::Loaded()
{
    loading_ = false;
    CheckMargins(margins_);
}

// ---------------------------------------------------------------- printer quantities

bool TCustomPrintJob::PrinterInstalled()
{
    try {
        TPrinter& printer = Printer();
        return printer.HasHandle() && !printer.Printers().isEmpty();
    } catch (...) {
        return false;
    }
}

int TCustomPrintJob::PrinterPixelsPerInchX()
{
    return PrinterInstalled() ? Printer().DeviceCaps().LogPixelsX : kFallbackDpi;
}

int TCustomPrintJob::PrinterPixelsPerInchY()
{
    return PrinterInstalled() ? Printer().DeviceCaps().LogPixelsY : kFallbackDpi;
}

int TCustomPrintJob::PhysicalPageWidth()
{
    return PrinterInstalled() ? Printer().DeviceCaps().PhysicalWidth : int(kFallbackPageWidth);
}

int TCustomPrintJob::PhysicalPageHeight()
{
    return PrinterInstalled() ? Printer().DeviceCaps().PhysicalHeight : int(kFallbackPageHeight);
}

// ---------------------------------------------------------------- conversions

double TCustomPrintJob::InchesToPixels(bool Vertical, double Inches)
{
    return Inches * (Vertical ? PrinterPixelsPerInchY() : PrinterPixelsPerInchX());
}

double TCustomPrintJob::MillimetersToPixels(bool Vertical, double Millimeters)
{
    return Millimeters * (Vertical ? PrinterPixelsPerInchY() : PrinterPixelsPerInchX()) / 25.4;
}

double TCustomPrintJob::PixelsToMillimeters(bool Vertical, double Pixels)
{
    const int dpi = Vertical ? PrinterPixelsPerInchY() : PrinterPixelsPerInchX();
    return dpi > 0 ? Pixels * 25.4 / dpi : 0;
}

double TCustomPrintJob::ConvertUnits(TUnits FromUnits, TUnits ToUnits, double Value, bool Vertical,
                                     double Base)
{
    double v = Value;
    if (FromUnits != ToUnits) {
        double mm = 0;
        switch (FromUnits) {
        case unPixels: mm = PixelsToMillimeters(Vertical, Value); break;
        case unPercents: mm = PixelsToMillimeters(Vertical, Value * Base / 100); break;
        case unInches: mm = Value * 25.4; break;
        case unMillimeters: mm = Value; break;
        }
        switch (ToUnits) {
        case unPixels: v = MillimetersToPixels(Vertical, mm); break;
        case unPercents:
            // A percentage of nothing is taken as 0 rather than dividing by zero.
            v = Base != 0 ? MillimetersToPixels(Vertical, mm) * 100 / Base : 0;
            break;
        case unInches: v = mm / 25.4; break;
        case unMillimeters: v = mm; break;
        }
    }
    const double factor = UnitFactor(ToUnits);
    return RoundHalfEvenF(v * factor) / factor;
}

// ---------------------------------------------------------------- page geometry

void TCustomPrintJob::UpdatePageSize()
{
    if (!PrinterInstalled()) {
        pageWidth_ = kFallbackPageWidth;
        pageHeight_ = kFallbackPageHeight;
        return;
    }
    TPrinter& printer = Printer();
    if (orientation_ != orDefault && !printer.Printing())
        printer.SetOrientation(orientation_ == orLandscape ? poLandscape : poPortrait);
    if (pageMode_ == pmDefault) {
        const int width = PhysicalPageWidth();
        const int height = PhysicalPageHeight();
        pageWidth_ = ConvertUnits(unPixels, pageUnits_, width, false, width);
        pageHeight_ = ConvertUnits(unPixels, pageUnits_, height, true, height);
    }
}

void TCustomPrintJob::GetPageRect(TRect& R)
{
    if (!PrinterInstalled()) {
        pageWidth_ = kFallbackPageWidth;
        pageHeight_ = kFallbackPageHeight;
        return;
    }
    const int width = RoundHalfEven(ConvertUnits(pageUnits_, unPixels, pageWidth_, false, PhysicalPageWidth()));
    const int height = RoundHalfEven(ConvertUnits(pageUnits_, unPixels, pageHeight_, true, PhysicalPageHeight()));
    R = TRect{0, 0, width, height};
}

void TCustomPrintJob::GetPrintableRect(TRect& R)
{
    if (!PrinterInstalled())
        return;
    const TDeviceCaps caps = Printer().DeviceCaps();
    R = TRect{0, 0, caps.HorzRes, caps.VertRes};
}

void TCustomPrintJob::MarginsRectFor(const TMargins& M, TRect& R)
{
    GetPageRect(R);
    if (!options_.Contains(joMargins))
        return;
    const double width = double(qint64(R.Right) - R.Left);
    const double height = double(qint64(R.Bottom) - R.Top);
    const qint64 left = RoundHalfEven64(ConvertUnits(marginsUnits_, unPixels, M.Left(), false, width));
    const qint64 top = RoundHalfEven64(ConvertUnits(marginsUnits_, unPixels, M.Top(), true, height));
    const qint64 right = RoundHalfEven64(ConvertUnits(marginsUnits_, unPixels, M.Right(), false, width));
    const qint64 bottom = RoundHalfEven64(ConvertUnits(marginsUnits_, unPixels, M.Bottom(), true, height));
    R.Left = ClampToInt(R.Left + left);
    R.Top = ClampToInt(R.Top + top);
    R.Right = ClampToInt(R.Right - right);
    R.Bottom = ClampToInt(R.Bottom - bottom);
}

void TCustomPrintJob::GetMarginsRect(TRect& R)
{
    MarginsRectFor(margins_, R);
}

// A band's height in pixels; percentages are of the margins rectangle's height.
qint64 TCustomPrintJob::BandHeight(double length, TUnits units, const TRect& margins)
{
    const double base = double(qint64(margins.Bottom) - margins.Top);
    return RoundHalfEven64(ConvertUnits(units, unPixels, length, true, base));
}

void TCustomPrintJob::GetHeaderRect(TRect& R)
{
    if (!options_.Contains(joHeader)) {
        R = TRect{};
        return;
    }
    GetMarginsRect(R);
    R.Bottom = ClampToInt(R.Top + BandHeight(header_, headerUnits_, R));
}

void TCustomPrintJob::GetFooterRect(TRect& R)
{
    if (!options_.Contains(joFooter)) {
        R = TRect{};
        return;
    }
    GetMarginsRect(R);
    R.Top = ClampToInt(R.Bottom - BandHeight(footer_, footerUnits_, R));
}

void TCustomPrintJob::GetBodyRect(TRect& R)
{
    GetMarginsRect(R);
    const TRect margins = R;
    if (options_.Contains(joHeader))
        R.Top = ClampToInt(R.Top + BandHeight(header_, headerUnits_, margins));
    if (options_.Contains(joFooter))
        R.Bottom = ClampToInt(R.Bottom - BandHeight(footer_, footerUnits_, margins));
}

// ---------------------------------------------------------------- margin check

void TCustomPrintJob::CheckMargins(TMargins& M)
{
    if (loading_)
        return;
    if (marginsError_ == meNone || !PrinterInstalled())
        return;
    TRect R;
    MarginsRectFor(M, R);
    const TDeviceCaps caps = Printer().DeviceCaps();
    const qint64 printableRight = qint64(caps.PhysicalOffsetX) + caps.HorzRes;
    const qint64 printableBottom = qint64(caps.PhysicalOffsetY) + caps.VertRes;
    const bool outside = R.Left < caps.PhysicalOffsetX || R.Top < caps.PhysicalOffsetY
        || R.Right > printableRight || R.Bottom > printableBottom;
    if (!outside)
        return;
    switch (marginsError_) {
    case meNone:
        return;
    case meAutoFix:
        break;
    case meMessageBox:
        if (!app::AskYesNo(FixQuestionText()))
            return;
        break;
    case meException:
        throw EPrintJobException(MarginsOutsideText());
    }
    const double paperWidth = PhysicalPageWidth();
    const double paperHeight = PhysicalPageHeight();
    M.SetLeft(ConvertUnits(unPixels, marginsUnits_, caps.PhysicalOffsetX, false, paperWidth));
    M.SetTop(ConvertUnits(unPixels, marginsUnits_, caps.PhysicalOffsetY, true, paperHeight));
    M.SetRight(ConvertUnits(unPixels, marginsUnits_, double(caps.PhysicalWidth - printableRight), false, paperWidth));
    M.SetBottom(ConvertUnits(unPixels, marginsUnits_, double(caps.PhysicalHeight - printableBottom), true, paperHeight));
    margins_.Assign(M);
}

// ---------------------------------------------------------------- refresh and previews

void TCustomPrintJob::Update()
{
    DoUpdate();
}

void TCustomPrintJob::DoUpdate()
{
    if (!PrinterInstalled())
        return;
    UpdatePageSize();
    CheckMargins(margins_);
    // A copy: a preview may detach itself while it updates.
    const QList<IJobPreview*> previews = previews_;
    for (IJobPreview* preview : previews) {
        if (!previews_.contains(preview))
            continue;
        try {
            preview->Update();
        } catch (...) {
            // One failing preview must not keep the others stale.
        }
    }
    if (OnUpdate)
        OnUpdate(this);
}

void TCustomPrintJob::AddPreview(IJobPreview* Preview)
{
    if (Preview && !previews_.contains(Preview))
        previews_.append(Preview);
}

void TCustomPrintJob::RemovePreview(IJobPreview* Preview)
{
    previews_.removeOne(Preview);
}

// ---------------------------------------------------------------- drawing

TCustomPrintJob* TCustomPrintJob::GetPageJob(int)
{
    return this;
}

void TCustomPrintJob::PaintTo(TCanvas* Canvas, int PageIndex)
{
    DrawPage(Canvas, PageIndex, dtCanvas);
}

void TCustomPrintJob::InitDraw(TCanvas* Canvas, TDrawTarget Target)
{
    static const QString defaultFontName = QStringLiteral("Arial");
    TFont& font = Canvas->Font();
    font.SetName(defaultFontName);
    font.SetColor(Qt::black);
    font.SetStyle(TFontStyles());
    font.SetSize(10);
    TPen& pen = Canvas->Pen();
    pen.SetColor(Qt::black);
    pen.SetMode(pmCopy);
    pen.SetStyle(psSolid);
    pen.SetWidth(0);
    TBrush& brush = Canvas->Brush();
    brush.SetColor(Qt::white);
    brush.SetStyle(bsSolid);
    if (OnInitDraw)
        OnInitDraw(this, Canvas, Target);
}

void TCustomPrintJob::DrawPage(TCanvas* Canvas, int PageIndex, TDrawTarget Target)
{
    const QSize viewportExt = Canvas->ViewportExt();
    const QSize windowExt = Canvas->WindowExt();
    const double sx = windowExt.width() != 0 ? double(viewportExt.width()) / windowExt.width() : 1.0;
    const double sy = windowExt.height() != 0 ? double(viewportExt.height()) / windowExt.height() : 1.0;
    UpdatePageSize();
    // Points then mean the same height in printer pixels on every target.
    Canvas->Font().SetPixelsPerInch(PrinterPixelsPerInchY());
    const QPoint origin = Canvas->ViewportOrg();
    InitDraw(Canvas, Target);
    TRect R;
    if (options_.Contains(joHeader)) {
        GetHeaderRect(R);
        DrawBand(Canvas, PageIndex, R, daHeader, Target, origin, sx, sy);
    }
    GetBodyRect(R);
    DrawBand(Canvas, PageIndex, R, daBody, Target, origin, sx, sy);
    if (options_.Contains(joFooter)) {
        GetFooterRect(R);
        DrawBand(Canvas, PageIndex, R, daFooter, Target, origin, sx, sy);
    }
}

void TCustomPrintJob::DrawBand(TCanvas* Canvas, int PageIndex, TRect R, TDrawArea Area,
                               TDrawTarget Target, QPoint origin, double sx, double sy)
{
    // The printer's canvas starts at the printable area's corner, not the paper's.
    const auto applyPrinterShift = [&] {
        if (Target != dtPrinter)
            return;
        const TDeviceCaps caps = Printer().DeviceCaps();
        R = TRect{ClampToInt(qint64(R.Left) - caps.PhysicalOffsetX), ClampToInt(qint64(R.Top) - caps.PhysicalOffsetY),
                  ClampToInt(qint64(R.Right) - caps.PhysicalOffsetX), ClampToInt(qint64(R.Bottom) - caps.PhysicalOffsetY)};
    };
    if (!relativeCoords_) {
        applyPrinterShift();
        DoDraw(Canvas, PageIndex, R, Area, Target);
        return;
    }
    const QPoint bandOrigin(ClampToInt(origin.x() + RoundHalfEven64(R.Left * sx)),
                            ClampToInt(origin.y() + RoundHalfEven64(R.Top * sy)));
    const OriginRestorer restorer(Canvas, Canvas->SetViewportOrg(bandOrigin));
    R = TRect{0, 0, ClampToInt(qint64(R.Right) - R.Left), ClampToInt(qint64(R.Bottom) - R.Top)};
    applyPrinterShift();
    DoDraw(Canvas, PageIndex, R, Area, Target);
}

void TCustomPrintJob::DoDraw(TCanvas* Canvas, int PageIndex, const TRect& Rect, TDrawArea Area,
                             TDrawTarget Target)
{
    if (OnDraw)
        OnDraw(this, Canvas, PageIndex, Rect, Area, Target);
}

// ---------------------------------------------------------------- event firers

void TCustomPrintJob::DoPrinterSetupChange()
{
    if (OnPrinterSetupChange)
        OnPrinterSetupChange(this);
}

bool TCustomPrintJob::DoAllowPrint()
{
    bool allow = true;
    if (OnAllowPrint)
        OnAllowPrint(this, allow);
    return allow;
}

void TCustomPrintJob::DoStartPrint()
{
    if (OnStartPrint)
        OnStartPrint(this);
}

void TCustomPrintJob::DoEndPrint()
{
    if (OnEndPrint)
        OnEndPrint(this);
}

void TCustomPrintJob::DoPrintProgress(int Pos, int Min, int Max)
{
    if (OnPrintProgress)
        OnPrintProgress(this, Pos, Min, Max);
}

void TCustomPrintJob::DoStartPrintPage(int PageIndex)
{
    if (OnStartPrintPage)
        OnStartPrintPage(this, PageIndex);
}

void TCustomPrintJob::DoEndPrintPage(int PageIndex)
{
    if (OnEndPrintPage)
        OnEndPrintPage(this, PageIndex);
}

// ---------------------------------------------------------------- printing

void TCustomPrintJob::Print()
{
    PrintPages(1, pageCount_, multiDoc_);
}

void TCustomPrintJob::Abort()
{
    aborted_ = true;
}

void TCustomPrintJob::PrintPages(int FromPage, int ToPage, bool OneDocumentPerPage)
{
    if (!DoAllowPrint())
        return;
    aborted_ = false;
    pagesDelivered_ = 0;
    TPrinter& printer = Printer();
    printer.SetTitle(title_);
    printer.NewRun();
    DoStartPrint();
    // Only a document this run opened is aborted when a handler raises: a nested run
    // refused by a busy printer must not take the outer run's document down.
    bool documentOpen = false;
    int pagesInDocument = 0;
    // A queue starts printing a job only once it holds the whole document: a long run
    // goes as several, so the first sheets come out while the rest are drawn.
    const int perDocument = OneDocumentPerPage || printer.IsPdfPrinter() ? 0 : pagesPerDocument_;
    try {
        if (!OneDocumentPerPage) {
            printer.BeginDoc();
            documentOpen = true;
        }
        const int pagesInRun = ClampToInt(qint64(ToPage) - FromPage + 1);
        bool cancelled = false;
        for (qint64 page = FromPage; page <= ToPage; ++page) {
            if (aborted_) {
                aborted_ = false;
                cancelled = true;
                break;
            }
            const int p = int(page);
            if (OneDocumentPerPage || !documentOpen) {
                printer.BeginDoc();
                documentOpen = true;
            }
            DoStartPrintPage(p);
            DrawPage(printer.Canvas(), p, dtPrinter);
            DoEndPrintPage(p);
            ++pagesInDocument;
            if (OneDocumentPerPage || (perDocument > 0 && pagesInDocument >= perDocument && p != ToPage)) {
                documentOpen = false;
                printer.EndDoc();
                pagesDelivered_ += std::exchange(pagesInDocument, 0);
                if (!OneDocumentPerPage && OnDocumentDelivered)
                    OnDocumentDelivered();
            } else if (p != ToPage) {
                printer.NewPage();
            }
            DoPrintProgress(ClampToInt(page - FromPage + 1), 1, pagesInRun);
            app::ProcessMessages();
        }
        if (!OneDocumentPerPage && documentOpen) {
            documentOpen = false;
            // A file keeps the pages printed before the stop; a queue gets all of its
            // document or nothing, so a stopped run sends nothing of the document it was
            // drawing. A run stopped before its first page has nothing to keep: a blank
            // sheet is no output.
            if (cancelled && (!printer.IsPdfPrinter() || pagesInDocument == 0)) {
                printer.Abort();
            } else {
                printer.EndDoc();
                pagesDelivered_ += pagesInDocument;
            }
        }
    } catch (...) {
        if (documentOpen && printer.Printing())
            printer.Abort();
        throw;
    }
    DoEndPrint();
}

void TCustomPrintJob::PrintWithDialog()
{
    int fromPage = 1;
    int toPage = pageCount_;
    if (!ShowPrintDialog(fromPage, toPage))
        return;
    aborted_ = false;
    Printer().SetTitle(title_);
    Update();
    DoPrinterSetupChange();
    PrintPages(fromPage, toPage, multiDoc_);
}

void TCustomPrintJob::PrinterSetup()
{
    if (!ShowSetupDialog())
        return;
    Update();
    DoPrinterSetupChange();
}

bool TCustomPrintJob::ShowPrintDialog(int& fromPage, int& toPage)
{
    if (const TPrintDialogHandler& handler = PrintDialogHandler())
        return handler(fromPage, toPage, 1, pageCount_);
    if (!Dialogs().print)
        throw EPrintJobException(tr("There is no print dialog without a window"));
    return Dialogs().print(*this, fromPage, toPage);
}

bool TCustomPrintJob::ShowSetupDialog()
{
    if (const TSetupDialogHandler& handler = SetupDialogHandler())
        return handler();
    if (!Dialogs().setup)
        throw EPrintJobException(tr("There is no printer set-up dialog without a window"));
    return Dialogs().setup(*this);
}

void TCustomPrintJob::SetDialogs(TPrintDialog print, TSetupDialog setup)
{
    Dialogs() = { std::move(print), std::move(setup) };
}

void TCustomPrintJob::SetPrintDialogHandler(TPrintDialogHandler handler)
{
    PrintDialogHandler() = std::move(handler);
}

void TCustomPrintJob::SetSetupDialogHandler(TSetupDialogHandler handler)
{
    SetupDialogHandler() = std::move(handler);
}

// ---------------------------------------------------------------- property setters

namespace {
// Stores a changed value; false when it is already there.
template <typename T>
bool Store(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}
} // namespace

void TCustomPrintJob::SetPageCount(int value)
{
    if (Store(pageCount_, qMax(1, value)))
        Update();
}

void TCustomPrintJob::SetRelativeCoords(bool value)
{
    if (Store(relativeCoords_, value))
        Update();
}

void TCustomPrintJob::SetMarginsError(TMarginsError value)
{
    // An unchanged mode other than meNone still checks.
    marginsError_ = value;
    if (value != meNone)
        CheckMargins(margins_);
}

void TCustomPrintJob::SetMargins(const TMargins& value)
{
    TMargins checked = value;
    CheckMargins(checked);
    margins_.Assign(checked);
    Update();
}

void TCustomPrintJob::SetMarginsUnits(TUnits value)
{
    if (Store(marginsUnits_, value))
        Update();
}

void TCustomPrintJob::SetHeader(double value)
{
    if (Store(header_, value))
        Update();
}

void TCustomPrintJob::SetHeaderUnits(TUnits value)
{
    if (Store(headerUnits_, value))
        Update();
}

void TCustomPrintJob::SetFooter(double value)
{
    if (Store(footer_, value))
        Update();
}

void TCustomPrintJob::SetFooterUnits(TUnits value)
{
    if (Store(footerUnits_, value))
        Update();
}

void TCustomPrintJob::SetOptions(TJobOptionsSet value)
{
    if (Store(options_, value))
        Update();
}

void TCustomPrintJob::SetPageMode(TPageMode value)
{
    if (!Store(pageMode_, value))
        return;
    UpdatePageSize();
    Update();
}

void TCustomPrintJob::SetPageUnits(TUnits value)
{
    if (!Store(pageUnits_, value))
        return;
    UpdatePageSize();
    Update();
}

void TCustomPrintJob::SetOrientation(TPageOrientation value)
{
    if (!Store(orientation_, value))
        return;
    UpdatePageSize();
    Update();
}

// The printer's paper decides the size unless the page is custom.
void TCustomPrintJob::SetPageWidth(double value)
{
    if (value == pageWidth_)
        return;
    if (pageMode_ == pmCustom)
        pageWidth_ = value;
    else
        UpdatePageSize();
    Update();
}

void TCustomPrintJob::SetPageHeight(double value)
{
    if (value == pageHeight_)
        return;
    if (pageMode_ == pmCustom)
        pageHeight_ = value;
    else
        UpdatePageSize();
    Update();
}
