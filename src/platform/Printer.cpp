#include "platform/Printer.h"

#include "platform/Exception.h"
#include "platform/PrinterImpl.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QPageSize>
#include <QStandardPaths>

#include <malloc.h>

#include <utility>

namespace {

const QString kPdfPrinterName = QStringLiteral("PDF");
const QString kTestPrinterName = QStringLiteral("Test printer");
// The built-in PDF printer's resolution: fine enough for text, coarse enough to keep
// page coordinates small.
constexpr int kPdfResolution = 600;
// The PDF printer's margins, in points.
const QMarginsF kPdfMargins(10, 10, 10, 10);
// A queue the scheduler cannot describe.
constexpr int kQueueResolution = 300;

// What the scheduler says about each queue, read once until the queues are read again.
QHash<QString, cups::QueueInfo>& QueueInfoCache()
{
    static QHash<QString, cups::QueueInfo> cache;
    return cache;
}

cups::QueueInfo QueueInfo(const QString& queue)
{
    QHash<QString, cups::QueueInfo>& cache = QueueInfoCache();
    if (const auto known = cache.constFind(queue); known != cache.constEnd())
        return *known;
    const cups::QueueInfo info = cups::ReadQueueInfo(queue);
    // A scheduler that did not answer is asked again next time.
    if (info.read)
        cache.insert(queue, info);
    return info;
}

} // namespace

const QString printerimpl::kDefaultDocumentName = QStringLiteral("Tallyforge");

void TunePrintingAllocator()
{
    static const bool tuned = [] {
        mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
        mallopt(M_TOP_PAD, 16 * 1024 * 1024);
        return true;
    }();
    (void)tuned;
}

TPrinter::TPrinter() : d(std::make_unique<Impl>()) { }

TPrinter::~TPrinter()
{
    ReleaseDevice();
}

void TPrinter::ReleaseDevice()
{
    if (d->painter.isActive())
        Abort();
    d->canvas.reset();
    d->pageIndex = -1;
    d->caps.reset();
}

QStringList TPrinter::Printers()
{
    if (!d->printersRead)
        RefreshPrinters();
    return d->printers;
}

void TPrinter::RefreshPrinters()
{
    const QString current = d->index >= 0 && d->index < d->printers.size() ? d->printers[d->index] : QString();
    d->printersRead = true;
    d->serverReached = true;
    QueueInfoCache().clear();
    switch (d->source) {
    case Impl::Source::None:
        d->printers.clear();
        d->index = -1;
        return;
    case Impl::Source::TestDevice:
        d->printers = QStringList{kTestPrinterName};
        d->index = 0;
        return;
    case Impl::Source::Machine:
        break;
    }
    const cups::Queues queues = cups::ReadQueues();
    d->serverReached = queues.reached;
    d->printers = queues.names;
    d->printers.append(kPdfPrinterName);
    int index = current.isEmpty() ? -1 : d->printers.indexOf(current);
    if (index < 0)
        index = queues.defaultName.isEmpty() ? -1 : d->printers.indexOf(queues.defaultName);
    if (index < 0)
        index = d->PdfIndex();
    // The list may have moved under the same index: the page is set up again.
    d->index = index;
    d->pageIndex = -1;
    d->caps.reset();
}

bool TPrinter::ServerReached()
{
    Printers();
    return d->serverReached;
}

int TPrinter::PrinterIndex()
{
    Printers();
    return d->index;
}

int TPrinter::PdfPrinterIndex()
{
    Printers();
    return d->PdfIndex();
}

void TPrinter::SetPrinterIndex(int index)
{
    const QStringList names = Printers();
    if (index < 0 || index >= names.size())
        throw Exception(QCoreApplication::translate("TPrinter", "Printer index out of range"));
    if (Printing())
        throw Exception(QCoreApplication::translate("TPrinter", "Cannot change the printer while printing"));
    if (index != d->index) {
        d->index = index;
        d->caps.reset();
    }
}

QString TPrinter::PrinterName()
{
    const int index = PrinterIndex();
    return index >= 0 ? d->printers[index] : QString();
}

bool TPrinter::IsPdfPrinter()
{
    const int index = PrinterIndex();
    if (d->source == Impl::Source::TestDevice)
        return true;
    return index >= 0 && index == d->PdfIndex();
}

bool TPrinter::HasHandle()
{
    return !Printers().isEmpty();
}

void TPrinter::CheckLogin()
{
    if (d->source != Impl::Source::Machine || IsPdfPrinter() || !HasHandle())
        return;
    const QString queue = PrinterName();
    if (cups::CheckLogin(queue) == cups::Login::Declined)
        throw Exception(QCoreApplication::translate("TPrinter", "queue %1 asks for a login").arg(queue));
}

TDeviceCaps TPrinter::DeviceCaps()
{
    Printers();
    if (d->source == Impl::Source::None)
        throw Exception(QCoreApplication::translate("TPrinter", "There is no printer installed"));
    if (d->caps)
        return *d->caps;
    if (d->source == Impl::Source::TestDevice) {
        TDeviceCaps caps = d->testCaps;
        if (d->orientation == poLandscape) {
            std::swap(caps.LogPixelsX, caps.LogPixelsY);
            std::swap(caps.PhysicalWidth, caps.PhysicalHeight);
            std::swap(caps.PhysicalOffsetX, caps.PhysicalOffsetY);
            std::swap(caps.HorzRes, caps.VertRes);
        }
        d->caps = caps;
        return caps;
    }
    d->Configure();
    const int dpi = d->resolution;
    const QPageLayout layout = d->Layout();
    const QRect paper = layout.fullRectPixels(dpi);
    const QRect printable = layout.paintRectPixels(dpi);
    d->caps = TDeviceCaps{dpi, dpi, paper.width(), paper.height(),
                          printable.left() - paper.left(), printable.top() - paper.top(),
                          printable.width(), printable.height()};
    return *d->caps;
}

QPageLayout TPrinter::Impl::Layout() const
{
    const QPageLayout::Orientation turn = orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait;
    if (source == Source::TestDevice) {
        const TDeviceCaps& test = testCaps;
        const double dpiX = qMax(1, test.LogPixelsX);
        const double dpiY = qMax(1, test.LogPixelsY);
        const QPageSize size(QSizeF(test.PhysicalWidth / dpiX, test.PhysicalHeight / dpiY),
                             QPageSize::Inch, QString(), QPageSize::ExactMatch);
        const QMarginsF margins(test.PhysicalOffsetX / dpiX, test.PhysicalOffsetY / dpiY,
                                (test.PhysicalWidth - test.PhysicalOffsetX - test.HorzRes) / dpiX,
                                (test.PhysicalHeight - test.PhysicalOffsetY - test.VertRes) / dpiY);
        return QPageLayout(size, turn, margins, QPageLayout::Inch);
    }
    // The margins stay where they are on the page when it turns, as they always did.
    return QPageLayout(paper, turn, margins, QPageLayout::Point);
}

void TPrinter::Impl::Configure()
{
    if (pageIndex == index && resolution > 0)
        return;
    if (source == Source::TestDevice) {
        resolution = testCaps.LogPixelsX;
    } else if (index == PdfIndex()) {
        // The PDF printer keeps the paper the printer before it had.
        margins = kPdfMargins;
        resolution = kPdfResolution;
    } else {
        // A queue's pages are meant for its own default paper.
        const cups::QueueInfo info = QueueInfo(printers.value(index));
        media = info.media;
        if (info.defaultMedia) {
            paper = info.defaultMedia->size;
            margins = info.defaultMedia->margins;
        } else if (!info.media.isEmpty()) {
            paper = info.media.front().size;
            margins = info.media.front().margins;
        }
        resolution = info.read ? info.dpiX : kQueueResolution;
    }
    pageIndex = index;
    caps.reset();
}

TCanvas* TPrinter::Canvas()
{
    if (!d->canvas)
        return nullptr;
    if (std::exchange(d->pageAsked, false)) {
        if (d->placement && d->pagesInPart == d->kPagesPerPart)
            d->NextPart();
        else if (!d->writer->newPage())
            throw Exception(QCoreApplication::translate("TPrinter", "Cannot start a new page on %1").arg(PrinterName()));
        else
            ++d->pagesInPart;
        ++d->pagesInDocument;
    }
    return &*d->canvas;
}

bool TPrinter::Printing() const
{
    return d->painter.isActive();
}

TPrinterOrientation TPrinter::Orientation()
{
    return d->orientation;
}

void TPrinter::SetOrientation(TPrinterOrientation orientation)
{
    if (orientation == d->orientation || Printing())
        return;
    d->orientation = orientation;
    d->caps.reset();
}

void TPrinter::SetOutputFileName(const QString& fileName, TOutputFileMode mode)
{
    outputFileName_ = fileName;
    outputFileMode_ = mode;
    d->chosenFileUsed = false;
}

void TPrinter::NewRun()
{
    d->chosenFileUsed = false;
    lastDelivery_ = TDelivery::Refused;
    runJobs_.clear();
}

void TPrinter::SetOutputFolder(const QString& folder)
{
    outputFolder_ = folder;
}

QString TPrinter::DocumentsFolder()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return dir.isEmpty() ? QDir::homePath() : dir;
}

QPageSize TPrinter::PaperSize()
{
    if (d->source == Impl::Source::TestDevice || !HasHandle())
        return {};
    d->Configure();
    return d->paper;
}

void TPrinter::SetPaperSize(const QPageSize& size)
{
    if (!size.isValid() || Printing() || d->source != Impl::Source::Machine || !HasHandle())
        return;
    d->Configure();
    if (d->paper.isEquivalentTo(size))
        return;
    d->paper = size;
    // A queue's paper comes with the margins the queue gives it.
    if (!IsPdfPrinter())
        for (const cups::Media& media : std::as_const(d->media))
            if (media.size.isEquivalentTo(size)) {
                d->margins = media.margins;
                break;
            }
    d->caps.reset();
}

QPageLayout TPrinter::PageLayout()
{
    if (!HasHandle())
        return {};
    if (d->source == Impl::Source::Machine)
        d->Configure();
    return d->Layout();
}

int TPrinter::Resolution()
{
    if (!HasHandle())
        return 0;
    return DeviceCaps().LogPixelsX;
}

QList<QPageSize> TPrinter::PaperSizes()
{
    if (d->source != Impl::Source::Machine || !HasHandle())
        return {};
    return PaperSizesOf(PrinterName());
}

QList<QPageSize> TPrinter::PaperSizesOf(const QString& printerName)
{
    QList<QPageSize> sizes;
    if (printerName != kPdfPrinterName) {
        for (const cups::Media& media : QueueInfo(printerName).media)
            sizes.append(media.size);
        return sizes;
    }
    for (QPageSize::PageSizeId id : { QPageSize::A3, QPageSize::A4, QPageSize::A5, QPageSize::B5, QPageSize::Letter,
                                      QPageSize::Legal, QPageSize::Executive, QPageSize::Tabloid })
        sizes.append(QPageSize(id));
    return sizes;
}

QPageSize TPrinter::DefaultPaperOf(const QString& printerName)
{
    if (printerName == kPdfPrinterName)
        return {};
    const cups::QueueInfo info = QueueInfo(printerName);
    return info.defaultMedia ? info.defaultMedia->size : QPageSize();
}

void TPrinter::InstallTestDevice(const TDeviceCaps& caps)
{
    TPrinter& printer = Printer();
    printer.ReleaseDevice();
    printer.d->source = Impl::Source::TestDevice;
    printer.d->testCaps = caps;
    printer.d->orientation = poPortrait;
    printer.d->index = -1;
    printer.outputFileName_.clear();
    printer.outputFileMode_ = TOutputFileMode::Replace;
    printer.d->chosenFileUsed = false;
    printer.RefreshPrinters();
}

void TPrinter::ClearInstalledPrinters()
{
    TPrinter& printer = Printer();
    printer.ReleaseDevice();
    printer.d->source = Impl::Source::None;
    printer.RefreshPrinters();
}

void TPrinter::ResetForTests()
{
    TPrinter& printer = Printer();
    printer.ReleaseDevice();
    printer.OnEvent = nullptr;
    printer.d->source = Impl::Source::Machine;
    printer.d->orientation = poPortrait;
    printer.d->index = -1;
    printer.d->printersRead = false;
    printer.d->paper = QPageSize(QPageSize::A4);
    printer.d->margins = kPdfMargins;
    printer.d->resolution = 0;
    printer.outputFileName_.clear();
    printer.outputFileMode_ = TOutputFileMode::Replace;
    printer.outputFolder_.clear();
    printer.d->chosenFileUsed = false;
    printer.lastOutputFile_.clear();
    printer.lastJobId_ = 0;
    printer.lastDelivery_ = TDelivery::Refused;
    printer.runJobs_.clear();
    printer.jobServer_.clear();
    printer.title_.clear();
    printer.d->underlay.reset();
}

TPrinter& Printer()
{
    // Never destroyed at exit: an open document is dropped when the application object
    // goes, since its painter must not outlive it.
    static TPrinter* instance = [] {
        auto* printer = new TPrinter;
        qAddPostRoutine([] { Printer().ReleaseDevice(); });
        return printer;
    }();
    return *instance;
}
