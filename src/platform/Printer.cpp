#include "platform/Printer.h"

#include "platform/Exception.h"
#include "platform/PrinterImpl.h"

#include <QCoreApplication>
#include <QDir>
#include <QPageSize>
#include <QPrinterInfo>
#include <QStandardPaths>

#include <malloc.h>

#include <utility>

namespace {

const QString kPdfPrinterName = QStringLiteral("PDF");
const QString kTestPrinterName = QStringLiteral("Test printer");
// The built-in PDF printer's resolution: fine enough for text, coarse enough to keep
// page coordinates small.
constexpr int kPdfResolution = 600;

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
    d->device.reset();
    d->deviceIndex = -1;
    d->deviceHandedOut = false;
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
    d->printers = QPrinterInfo::availablePrinterNames();
    d->printers.append(kPdfPrinterName);
    int index = current.isEmpty() ? -1 : d->printers.indexOf(current);
    if (index < 0) {
        const QString defaultName = QPrinterInfo::defaultPrinterName();
        index = defaultName.isEmpty() ? -1 : d->printers.indexOf(defaultName);
    }
    if (index < 0)
        index = d->PdfIndex();
    if (index != d->index) {
        d->index = index;
        d->caps.reset();
    }
}

int TPrinter::PrinterIndex()
{
    Printers();
    if (d->deviceHandedOut)
        DeviceCaps();
    return d->index;
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

TDeviceCaps TPrinter::DeviceCaps()
{
    Printers();
    if (d->source == Impl::Source::None)
        throw Exception(QCoreApplication::translate("TPrinter", "There is no printer installed"));
    if (d->deviceHandedOut && d->device) {
        // Take over what a dialog chose: printer, PDF file, orientation.
        d->deviceHandedOut = false;
        QPrinter& device = *d->device;
        if (d->source == Impl::Source::Machine) {
            int index = device.outputFormat() == QPrinter::PdfFormat
                ? d->PdfIndex() : d->printers.indexOf(device.printerName());
            if (index < 0)
                index = d->PdfIndex();
            d->index = index;
            d->deviceIndex = index;
        }
        // A dialog's output box is a suggestion, and its ranges, copies and order belong to
        // the dialog's own print: each run prints all of its document, once.
        device.setOutputFileName(QString());
        device.setPrintRange(QPrinter::AllPages);
        device.setPageRanges(QPageRanges());
        device.setCopyCount(1);
        device.setCollateCopies(false);
        device.setPageOrder(QPrinter::FirstPageFirst);
        d->orientation = device.pageLayout().orientation() == QPageLayout::Landscape ? poLandscape : poPortrait;
        d->caps.reset();
    }
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
    d->ConfigureDevice();
    const QPrinter& device = *d->device;
    const int dpi = device.resolution();
    const QPageLayout layout = device.pageLayout();
    const QRect paper = layout.fullRectPixels(dpi);
    const QRect printable = layout.paintRectPixels(dpi);
    d->caps = TDeviceCaps{dpi, dpi, paper.width(), paper.height(),
                          printable.left() - paper.left(), printable.top() - paper.top(),
                          printable.width(), printable.height()};
    return *d->caps;
}

void TPrinter::Impl::ConfigureDevice()
{
    if (device && deviceIndex == index)
        return;
    if (!device)
        device = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrinter& printer = *device;
    if (source == Source::TestDevice) {
        const TDeviceCaps& test = testCaps;
        const double dpiX = qMax(1, test.LogPixelsX);
        const double dpiY = qMax(1, test.LogPixelsY);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setResolution(test.LogPixelsX);
        const QPageSize size(QSizeF(test.PhysicalWidth / dpiX, test.PhysicalHeight / dpiY),
                             QPageSize::Inch, QString(), QPageSize::ExactMatch);
        const QMarginsF margins(test.PhysicalOffsetX / dpiX, test.PhysicalOffsetY / dpiY,
                                (test.PhysicalWidth - test.PhysicalOffsetX - test.HorzRes) / dpiX,
                                (test.PhysicalHeight - test.PhysicalOffsetY - test.VertRes) / dpiY);
        printer.setPageLayout(QPageLayout(size, QPageLayout::Portrait, margins, QPageLayout::Inch));
    } else if (index == PdfIndex()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setResolution(kPdfResolution);
    } else {
        const QString name = printers.value(index);
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(name);
        // Qt keeps the previous paper whenever the new queue supports it; the queue's own
        // default paper is what its pages are meant for.
        const QPageSize paper = QPrinterInfo::printerInfo(name).defaultPageSize();
        if (paper.isValid())
            printer.setPageSize(paper);
    }
    printer.setPageOrientation(orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    deviceIndex = index;
    caps.reset();
}

TCanvas* TPrinter::Canvas()
{
    if (!d->canvas)
        return nullptr;
    if (std::exchange(d->pageAsked, false)) {
        if (!d->writer->newPage())
            throw Exception(QCoreApplication::translate("TPrinter", "Cannot start a new page on %1").arg(PrinterName()));
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
    if (d->deviceHandedOut)
        DeviceCaps();
    return d->orientation;
}

void TPrinter::SetOrientation(TPrinterOrientation orientation)
{
    if (d->deviceHandedOut && d->source != Impl::Source::None)
        DeviceCaps();
    if (orientation == d->orientation || Printing())
        return;
    d->orientation = orientation;
    if (d->device)
        d->device->setPageOrientation(orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
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
    DeviceCaps();
    d->ConfigureDevice();
    return d->device->pageLayout().pageSize();
}

void TPrinter::SetPaperSize(const QPageSize& size)
{
    if (!size.isValid() || Printing() || d->source != Impl::Source::Machine)
        return;
    DeviceCaps();
    d->ConfigureDevice();
    if (d->device->pageLayout().pageSize().isEquivalentTo(size))
        return;
    d->device->setPageSize(size);
    d->caps.reset();
}

QList<QPageSize> TPrinter::PaperSizes()
{
    if (d->source != Impl::Source::Machine || !HasHandle())
        return {};
    return PaperSizesOf(PrinterName());
}

QList<QPageSize> TPrinter::PaperSizesOf(const QString& printerName)
{
    if (printerName != kPdfPrinterName)
        return QPrinterInfo::printerInfo(printerName).supportedPageSizes();
    QList<QPageSize> sizes;
    for (QPageSize::PageSizeId id : { QPageSize::A3, QPageSize::A4, QPageSize::A5, QPageSize::B5, QPageSize::Letter,
                                      QPageSize::Legal, QPageSize::Executive, QPageSize::Tabloid })
        sizes.append(QPageSize(id));
    return sizes;
}

QPrinter* TPrinter::QtPrinter()
{
    if (Printers().isEmpty())
        return nullptr;
    DeviceCaps(); // takes over earlier changes and sets the device up
    d->ConfigureDevice();
    d->deviceHandedOut = true;
    return d->device.get();
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
    printer.d->deviceHandedOut = false;
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
    // Never destroyed at exit: the device is dropped when the application object goes,
    // since QPrinter must not outlive it.
    static TPrinter* instance = [] {
        auto* printer = new TPrinter;
        qAddPostRoutine([] { Printer().ReleaseDevice(); });
        return printer;
    }();
    return *instance;
}
