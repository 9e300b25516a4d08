#include "platform/Printer.h"

#include "platform/CupsJob.h"
#include "platform/Exception.h"
#include "platform/OutputFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

#include <malloc.h>

#include <optional>

namespace {

const QString kPdfPrinterName = QStringLiteral("PDF");
const QString kTestPrinterName = QStringLiteral("Test printer");
const QString kDefaultDocumentName = QStringLiteral("Tallyforge");
// The built-in PDF printer's resolution: fine enough for text, coarse enough to keep
// page coordinates small.
constexpr int kPdfResolution = 600;

// A title made usable as a file name: no directory separators, no control characters.
QString FileStem(const QString& title)
{
    QString stem;
    stem.reserve(title.size());
    for (QChar c : title)
        stem.append(c == u'/' || c == u'\\' || c.category() == QChar::Other_Control ? QChar(u'_') : c);
    stem = stem.trimmed();
    while (stem.startsWith(u'.'))
        stem.remove(0, 1);
    return stem.isEmpty() ? kDefaultDocumentName : stem;
}

} // namespace

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

struct TPrinter::Impl {
    enum class Source { Machine, TestDevice, None };

    Source source = Source::Machine;
    TDeviceCaps testCaps;
    QStringList printers;
    bool printersRead = false;
    int index = -1;
    TPrinterOrientation orientation = poPortrait;

    std::unique_ptr<QPrinter> device;
    int deviceIndex = -1;        // printer the device is set up for
    bool deviceHandedOut = false; // a dialog may have changed the device
    std::optional<TDeviceCaps> caps;

    QPainter painter;
    std::optional<TCanvas> canvas;
    std::unique_ptr<TOutputFile> output; // the open document's file
    std::unique_ptr<QPdfWriter> writer;
    bool chosenFileUsed = false;  // the chosen output file already holds a document

    // The page the open document is laid out on, as the device quantities describe it.
    QPageLayout Layout() const;
    int Resolution() const;
    // Drops the open document's writer and file; the file goes unless it was published.
    void CloseDocument();

    // Sets the QPrinter up for the current printer; re-done only when the printer changed.
    void ConfigureDevice();
    int PdfIndex() const { return source == Source::Machine ? int(printers.size()) - 1 : -1; }
};

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
    return d->canvas ? &*d->canvas : nullptr;
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

void TPrinter::SetOutputFileName(const QString& fileName)
{
    outputFileName_ = fileName;
    d->chosenFileUsed = false;
}

void TPrinter::NewRun()
{
    d->chosenFileUsed = false;
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

QPageLayout TPrinter::Impl::Layout() const
{
    // The device is set up for the current printer (a queue, the PDF printer or a test
    // device), so its layout is the one the device quantities describe.
    QPageLayout layout = device->pageLayout();
    layout.setMinimumMargins(QMarginsF());
    return layout;
}

int TPrinter::Impl::Resolution() const
{
    return device->resolution();
}

void TPrinter::Impl::CloseDocument()
{
    canvas.reset();
    if (painter.isActive())
        painter.end();
    writer.reset();
    output.reset();
}

void TPrinter::BeginDoc()
{
    if (Printing())
        throw Exception(QCoreApplication::translate("TPrinter", "Printing is already in progress"));
    if (!HasHandle())
        throw Exception(QCoreApplication::translate("TPrinter", "There is no printer installed"));
    DeviceCaps();
    d->ConfigureDevice();
    // Until this document is confirmed, no output of it exists to name.
    lastOutputFile_.clear();
    lastJobId_ = 0;
    const QString name = title_.isEmpty() ? kDefaultDocumentName : title_;

    // A queue's document is drawn privately and sent whole; a PDF is drawn beside the
    // place it will have, so publishing it is a rename.
    // Only the documents folder is made when missing: a chosen place that is gone is
    // an error to report, not a folder to invent.
    QString folder;
    if (!IsPdfPrinter())
        folder = QDir::tempPath();
    else if (!outputFileName_.isEmpty())
        folder = QFileInfo(outputFileName_).absolutePath();
    else if (!outputFolder_.isEmpty())
        folder = outputFolder_;
    else if (folder = DocumentsFolder(); !QDir().mkpath(folder))
        throw Exception(QCoreApplication::translate("TPrinter", "Cannot create folder %1").arg(QDir::toNativeSeparators(folder)));
    TOutputFile::RemoveLeftovers(folder);

    d->output = std::make_unique<TOutputFile>(folder);
    if (IsPdfPrinter())
        d->output->SetIntendedPath(outputFileName_.isEmpty() ? QDir(folder).filePath(FileStem(title_) + QStringLiteral(".pdf"))
                                                             : outputFileName_);
    d->writer = std::make_unique<QPdfWriter>(&d->output->Device());
    d->writer->setResolution(d->Resolution());
    d->writer->setPageLayout(d->Layout());
    d->writer->setTitle(name);
    d->writer->setCreator(kDefaultDocumentName);
    if (!d->painter.begin(d->writer.get())) {
        const QString file = d->output->TemporaryPath();
        d->CloseDocument();
        throw Exception(QCoreApplication::translate("TPrinter", "Cannot create file %1").arg(QDir::toNativeSeparators(file)));
    }
    d->canvas.emplace(&d->painter);
    if (OnEvent)
        OnEvent(peBeginDoc);
}

void TPrinter::NewPage()
{
    if (!Printing())
        throw Exception(QCoreApplication::translate("TPrinter", "Printer is not printing"));
    if (!d->writer->newPage())
        throw Exception(QCoreApplication::translate("TPrinter", "Cannot start a new page on %1").arg(PrinterName()));
    if (OnEvent)
        OnEvent(peNewPage);
}

void TPrinter::EndDoc()
{
    if (!Printing())
        throw Exception(QCoreApplication::translate("TPrinter", "Printer is not printing"));
    d->canvas.reset();
    d->painter.end();
    d->writer.reset();
    lastOutputFile_.clear();
    lastJobId_ = 0;
    try {
        // The painter reports neither a full disk nor a refused job: only a synced,
        // published file or a job the queue took counts as output.
        d->output->Finish();
        if (IsPdfPrinter()) {
            QString stem;
            QString replaceable;
            if (!outputFileName_.isEmpty()) {
                stem = QFileInfo(outputFileName_).completeBaseName();
                if (!d->chosenFileUsed)
                    replaceable = outputFileName_;
            } else {
                stem = FileStem(title_);
            }
            lastOutputFile_ = d->output->Publish(stem, QStringLiteral(".pdf"), replaceable);
            if (!replaceable.isEmpty())
                d->chosenFileUsed = true;
        } else {
            const QString queue = PrinterName();
            lastJobId_ = SubmitPdfToQueue(queue, d->output->TemporaryPath(),
                                          title_.isEmpty() ? kDefaultDocumentName : title_,
                                          d->device->pageLayout().pageSize().key());
        }
    } catch (...) {
        d->CloseDocument();
        if (OnEvent)
            OnEvent(peAbort);
        throw;
    }
    d->CloseDocument();
    if (OnEvent)
        OnEvent(peEndDoc);
}

void TPrinter::Abort()
{
    if (!Printing())
        return;
    // Nothing of the document is published or sent.
    d->CloseDocument();
    if (OnEvent)
        OnEvent(peAbort);
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
    printer.outputFolder_.clear();
    printer.d->chosenFileUsed = false;
    printer.lastOutputFile_.clear();
    printer.lastJobId_ = 0;
    printer.title_.clear();
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
