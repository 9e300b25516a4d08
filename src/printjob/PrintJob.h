#pragma once

#include "platform/Canvas.h"
#include "platform/Exception.h"
#include "platform/Geometry.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <initializer_list>

enum TUnits : quint8 { unPixels, unPercents, unInches, unMillimeters };
enum TPageMode : quint8 { pmDefault, pmCustom };
enum TPageOrientation : quint8 { orDefault, orPortrait, orLandscape };
enum TJobOption : quint8 { joMargins, joHeader, joFooter };
enum TDrawArea : quint8 { daHeader, daBody, daFooter };
// 1 is never produced.
enum TDrawTarget : quint8 { dtPrinter = 0, dtPreview = 2, dtCanvas = 3 };
enum TMarginsError : quint8 { meNone, meAutoFix, meMessageBox, meException };

// A set of TJobOption held in one byte: joMargins = 1, joHeader = 2, joFooter = 4.
class TJobOptionsSet {
public:
    constexpr TJobOptionsSet() = default;
    constexpr TJobOptionsSet(std::initializer_list<TJobOption> options)
    {
        for (TJobOption option : options)
            bits_ |= Bit(option);
    }
    static constexpr TJobOptionsSet FromBits(quint8 bits)
    {
        TJobOptionsSet set;
        set.bits_ = bits & 7;
        return set;
    }
    constexpr quint8 Bits() const { return bits_; }
    constexpr bool Contains(TJobOption option) const { return (bits_ & Bit(option)) != 0; }
    friend constexpr bool operator==(TJobOptionsSet, TJobOptionsSet) = default;

private:
    static constexpr quint8 Bit(TJobOption option) { return quint8(1u << option); }
    quint8 bits_ = 0;
};

class EPrintJobException : public Exception {
public:
    using Exception::Exception;
};

// Page margins, distances from the paper's edges inwards, in the job's MarginsUnits.
class TMargins {
public:
    double Left() const { return left_; }
    double Top() const { return top_; }
    double Right() const { return right_; }
    double Bottom() const { return bottom_; }
    void SetLeft(double value) { left_ = value; }
    void SetTop(double value) { top_ = value; }
    void SetRight(double value) { right_ = value; }
    void SetBottom(double value) { bottom_ = value; }
    void Assign(const TMargins& source) { *this = source; }

private:
    double left_ = 0;
    double top_ = 0;
    double right_ = 0;
    double bottom_ = 0;
};

// What an attached preview implements: rebuild and repaint its page image.
class IJobPreview {
public:
    virtual ~IJobPreview() = default;
    virtual void Update() = 0;
};

class TCustomPrintJob;

using TJobNotifyEvent = std::function<void(TCustomPrintJob* Sender)>;
using TInitDrawEvent =
    std::function<void(TCustomPrintJob* Sender, TCanvas* TheCanvas, TDrawTarget Target)>;
using TDrawEvent = std::function<void(TCustomPrintJob* Sender, TCanvas* TheCanvas, int PageIndex,
                                      TRect TheRect, TDrawArea Area, TDrawTarget Target)>;
using TAllowEvent = std::function<void(TCustomPrintJob* Sender, bool& Allow)>;
using TPrintProgressEvent = std::function<void(TCustomPrintJob* Sender, int Pos, int Min, int Max)>;
using TPageNotifyEvent = std::function<void(TCustomPrintJob* Sender, int PageIndex)>;

// Test seams for the two dialogs: a handler stands in for the modal dialog. The print
// handler gets the preset range and bounds and returns true for OK with the chosen range.
using TPrintDialogHandler = std::function<bool(int& FromPage, int& ToPage, int MinPage, int MaxPage)>;
using TSetupDialogHandler = std::function<bool()>;

// A non-visual print job: the page model (paper, orientation, margins, header and footer
// bands in four units), unit conversions, page drawing band by band through OnDraw on any
// canvas, the print loop with its events, the margin check and the attached previews.
// All rectangles are in printer pixels from the paper's top-left corner.
//
// OnCreate fires at the end of construction only if it is set by then: pass it to the
// constructor.
class TCustomPrintJob : public QObject {
    Q_OBJECT
public:
    explicit TCustomPrintJob(QObject* owner = nullptr, TJobNotifyEvent onCreate = {});
    ~TCustomPrintJob() override;

    // --- events (fired only when set, sender first)
    TJobNotifyEvent OnCreate;
    TJobNotifyEvent OnDestroy;
    TInitDrawEvent OnInitDraw;
    TDrawEvent OnDraw;
    TJobNotifyEvent OnPrinterSetupChange;
    TAllowEvent OnAllowPrint;
    TJobNotifyEvent OnStartPrint;
    TJobNotifyEvent OnEndPrint;
    TPrintProgressEvent OnPrintProgress;
    TPageNotifyEvent OnStartPrintPage;
    TPageNotifyEvent OnEndPrintPage;
    TJobNotifyEvent OnUpdate;

    // --- virtual operations
    virtual TCustomPrintJob* GetPageJob(int PageIndex);
    virtual void PaintTo(TCanvas* Canvas, int PageIndex);
    virtual void InitDraw(TCanvas* Canvas, TDrawTarget Target);
    virtual void DrawPage(TCanvas* Canvas, int PageIndex, TDrawTarget Target);
    virtual void DoDraw(TCanvas* Canvas, int PageIndex, const TRect& Rect, TDrawArea Area,
                        TDrawTarget Target);
    virtual void DoPrinterSetupChange();
    virtual bool DoAllowPrint();
    virtual void DoStartPrint();
    virtual void DoEndPrint();
    virtual void DoPrintProgress(int Pos, int Min, int Max);
    virtual void DoStartPrintPage(int PageIndex);
    virtual void DoEndPrintPage(int PageIndex);
    virtual void Print();
    virtual void PrintWithDialog();
    virtual void PrinterSetup();
    virtual void Abort();
    virtual void GetPageRect(TRect& R);
    virtual void GetPrintableRect(TRect& R);
    virtual void GetMarginsRect(TRect& R);
    virtual void GetHeaderRect(TRect& R);
    virtual void GetBodyRect(TRect& R);
    virtual void GetFooterRect(TRect& R);
    virtual void UpdatePageSize();
    virtual bool PrinterInstalled();
    virtual void Update();
    virtual void DoUpdate();

    // The print loop: pages FromPage..ToPage, one printer document per page when asked.
    void PrintPages(int FromPage, int ToPage, bool OneDocumentPerPage);

    // --- attached previews (not owned)
    void AddPreview(IJobPreview* Preview);
    void RemovePreview(IJobPreview* Preview);
    const QList<IJobPreview*>& Previews() const { return previews_; }

    // --- loading from a stored design: setters act as usual, the margin check waits
    // until Loaded(), which runs it once.
    void BeginLoading();
    virtual void Loaded();
    bool Loading() const { return loading_; }

    // --- printer quantities (read afresh each time; 300 dpi and 2000 x 3000 without printer)
    int PrinterPixelsPerInchX();
    int PrinterPixelsPerInchY();
    int PhysicalPageWidth();
    int PhysicalPageHeight();

    // --- conversions; dpi is PrinterPixelsPerInchY when Vertical, else X. Not rounded.
    double InchesToPixels(bool Vertical, double Inches);
    double MillimetersToPixels(bool Vertical, double Millimeters);
    double PixelsToMillimeters(bool Vertical, double Pixels);
    static double InchesToMillimeters(double Inches) { return Inches * 25.4; }
    static double MillimetersToInches(double Millimeters) { return Millimeters / 25.4; }
    // Converts a length on one axis through millimetres and rounds it to the target
    // unit's step (1 px, 0.001 % or in, 0.01 mm; halves to even). Base is the length in
    // pixels that 100 % stands for; a percentage of a zero base is 0.
    double ConvertUnits(TUnits FromUnits, TUnits ToUnits, double Value, bool Vertical, double Base);

    // Checks margins against the printable area as MarginsError says; a fix is written
    // into M and copied into the job's Margins.
    void CheckMargins(TMargins& M);

    // --- properties
    int PageCount() const { return pageCount_; }
    void SetPageCount(int value);
    // A run on a queue goes as documents of at most this many pages, in order (0: one
    // document); the PDF printer always writes one.
    int PagesPerDocument() const { return pagesPerDocument_; }
    void SetPagesPerDocument(int value) { pagesPerDocument_ = qMax(0, value); }
    // After each document of a run that goes as several is delivered, before the next
    // one begins (PagesDelivered() counts it).
    std::function<void()> OnDocumentDelivered;
    bool MultiDoc() const { return multiDoc_; }
    void SetMultiDoc(bool value) { multiDoc_ = value; }
    const QString& Title() const { return title_; }
    void SetTitle(const QString& value) { title_ = value; }
    bool RelativeCoords() const { return relativeCoords_; }
    void SetRelativeCoords(bool value);
    TMarginsError MarginsError() const { return marginsError_; }
    void SetMarginsError(TMarginsError value);

    TMargins& Margins() { return margins_; }
    const TMargins& Margins() const { return margins_; }
    void SetMargins(const TMargins& value);
    TUnits MarginsUnits() const { return marginsUnits_; }
    void SetMarginsUnits(TUnits value);
    double Header() const { return header_; }
    void SetHeader(double value);
    TUnits HeaderUnits() const { return headerUnits_; }
    void SetHeaderUnits(TUnits value);
    double Footer() const { return footer_; }
    void SetFooter(double value);
    TUnits FooterUnits() const { return footerUnits_; }
    void SetFooterUnits(TUnits value);
    TPageMode PageMode() const { return pageMode_; }
    void SetPageMode(TPageMode value);
    double PageWidth() const { return pageWidth_; }
    void SetPageWidth(double value);
    double PageHeight() const { return pageHeight_; }
    void SetPageHeight(double value);
    TUnits PageUnits() const { return pageUnits_; }
    void SetPageUnits(TUnits value);
    TPageOrientation Orientation() const { return orientation_; }
    void SetOrientation(TPageOrientation value);
    TJobOptionsSet Options() const { return options_; }
    void SetOptions(TJobOptionsSet value);

    bool Aborted() const { return aborted_; }
    // Pages of the last run that reached confirmed output (a published file, a job the
    // queue accepted), counted from its first page.
    int PagesDelivered() const { return pagesDelivered_; }

    // Dialog test seams (nullptr restores the real dialogs).
    static void SetPrintDialogHandler(TPrintDialogHandler handler);
    static void SetSetupDialogHandler(TSetupDialogHandler handler);

    // The real dialogs, installed by a program with windows (dialogs::Install), so the
    // job itself needs no widgets. Without them the dialogs raise.
    using TPrintDialog = std::function<bool(TCustomPrintJob& job, int& FromPage, int& ToPage)>;
    using TSetupDialog = std::function<bool(TCustomPrintJob& job)>;
    static void SetDialogs(TPrintDialog print, TSetupDialog setup);

private:
    void DrawBand(TCanvas* Canvas, int PageIndex, TRect R, TDrawArea Area, TDrawTarget Target,
                  QPoint origin, double sx, double sy);
    void MarginsRectFor(const TMargins& M, TRect& R);
    qint64 BandHeight(double length, TUnits units, const TRect& margins);
    bool ShowPrintDialog(int& fromPage, int& toPage);
    bool ShowSetupDialog();

    int pageCount_ = 1;
    bool multiDoc_ = false;
    int pagesPerDocument_ = 0;
    QString title_;
    bool relativeCoords_ = false;
    TMarginsError marginsError_ = meNone;
    TMargins margins_;
    TUnits marginsUnits_ = unPixels;
    double header_ = 0;
    TUnits headerUnits_ = unPixels;
    double footer_ = 0;
    TUnits footerUnits_ = unPixels;
    TPageMode pageMode_ = pmDefault;
    double pageWidth_ = 0;
    double pageHeight_ = 0;
    TUnits pageUnits_ = unPixels;
    TPageOrientation orientation_ = orDefault;
    TJobOptionsSet options_;
    bool aborted_ = false;
    int pagesDelivered_ = 0;
    bool loading_ = false;
    QList<IJobPreview*> previews_;
};

// The job as stored in a window's design; it adds nothing.
class TPrintJob : public TCustomPrintJob {
    Q_OBJECT
public:
    using TCustomPrintJob::TCustomPrintJob;
};
