#include "platform/Printer.h"

#include "platform/Exception.h"
#include "platform/PrinterImpl.h"
#include "platform/RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainterPath>

#include <sys/stat.h>

using printerimpl::kDefaultDocumentName;

namespace {

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

std::unique_ptr<QPdfWriter> TPrinter::Impl::Writer(QIODevice& device, const QString& title) const
{
    auto pdf = std::make_unique<QPdfWriter>(&device);
    pdf->setResolution(Resolution());
    pdf->setPageLayout(Layout());
    pdf->setTitle(title);
    pdf->setCreator(kDefaultDocumentName);
    return pdf;
}

void TPrinter::Impl::NextPart()
{
    // The painter keeps its state from page to page; a new document starts it afresh,
    // so the drawing's state is carried over.
    const QFont font = painter.font();
    const QPen pen = painter.pen();
    const QBrush brush = painter.brush();
    const QBrush background = painter.background();
    const Qt::BGMode backgroundMode = painter.backgroundMode();
    const QPointF brushOrigin = painter.brushOrigin();
    const QPainter::RenderHints hints = painter.renderHints();
    const QPainter::CompositionMode composition = painter.compositionMode();
    const qreal opacity = painter.opacity();
    const Qt::LayoutDirection direction = painter.layoutDirection();
    const QRect window = painter.window();
    const QRect viewport = painter.viewport();
    const bool viewTransform = painter.viewTransformEnabled();
    const QTransform world = painter.worldTransform();
    const bool worldMatrix = painter.worldMatrixEnabled();
    const bool clipping = painter.hasClipping();
    const QPainterPath clip = clipping ? painter.clipPath() : QPainterPath();
    const QString title = writer->title();
    const QPageLayout layout = writer->pageLayout();

    painter.end();
    writer.reset();
    part->close();
    placement->Add(std::exchange(part->buffer(), QByteArray()));
    part->open(QIODevice::WriteOnly);
    pagesInPart = 0;
    writer = Writer(*part, title);
    writer->setPageLayout(layout);
    if (!painter.begin(writer.get()))
        throw Exception(QCoreApplication::translate("TPrinter", "Cannot start a new page"));
    painter.setFont(font);
    painter.setPen(pen);
    painter.setBrush(brush);
    painter.setBackground(background);
    painter.setBackgroundMode(backgroundMode);
    painter.setBrushOrigin(brushOrigin);
    painter.setRenderHints(hints, true);
    painter.setCompositionMode(composition);
    painter.setOpacity(opacity);
    painter.setLayoutDirection(direction);
    painter.setWindow(window);
    painter.setViewport(viewport);
    painter.setViewTransformEnabled(viewTransform);
    painter.setWorldTransform(world);
    painter.setWorldMatrixEnabled(worldMatrix);
    if (clipping)
        painter.setClipPath(clip);
}

void TPrinter::Impl::CloseDocument()
{
    canvas.reset();
    if (painter.isActive())
        painter.end();
    writer.reset();
    placement.reset();
    part.reset();
    output.reset();
    pageAsked = false;
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
    lastDelivery_ = TDelivery::Refused;
    d->pagesInDocument = 0;
    const QString name = title_.isEmpty() ? kDefaultDocumentName : title_;

    // A queue's document is drawn privately and sent whole; a PDF is drawn beside the
    // place it will have, so publishing it is a rename.
    // Only the documents folder is made when missing: a chosen place that is gone is
    // an error to report, not a folder to invent.
    QString folder;
    if (!IsPdfPrinter()) {
        folder = QDir::tempPath();
    } else if (!outputFileName_.isEmpty()) {
        folder = QFileInfo(outputFileName_).absolutePath();
        if (d->chosenFileUsed) {
            // Beside the chosen file, under a new name.
        } else if (outputFileMode_ == TOutputFileMode::Exact) {
            // Said before a page is drawn; publishing checks again, atomically.
            struct stat taken {};
            if (::lstat(QFile::encodeName(outputFileName_).constData(), &taken) == 0)
                throw Exception(QCoreApplication::translate("TOutputFile", "The file %1 exists already").arg(QDir::toNativeSeparators(outputFileName_)));
        } else {
            // A file that is not a regular one is refused now, not after the run; a link
            // to one is written through, so the document is drawn beside its file.
            folder = QFileInfo(regularfile::WriteTarget(outputFileName_)).absolutePath();
        }
    } else if (!outputFolder_.isEmpty()) {
        folder = outputFolder_;
    } else if (folder = DocumentsFolder(); !QDir().mkpath(folder)) {
        throw Exception(QCoreApplication::translate("TPrinter", "Cannot create folder %1").arg(QDir::toNativeSeparators(folder)));
    }
    TOutputFile::RemoveLeftovers(folder);

    // A queue's document is nobody else's to read while it waits in the shared folder.
    d->output = std::make_unique<TOutputFile>(folder, IsPdfPrinter() ? TOutputFile::Access::Shared : TOutputFile::Access::OwnerOnly);
    if (IsPdfPrinter())
        d->output->SetIntendedPath(outputFileName_.isEmpty() ? QDir(folder).filePath(FileStem(title_) + QStringLiteral(".pdf"))
                                                             : outputFileName_);
    QIODevice* device = &d->output->Device();
    if (d->underlay) {
        d->placement = std::make_unique<pdftemplate::TPlacement>(*d->underlay);
        d->part = std::make_unique<QBuffer>();
        d->part->open(QIODevice::WriteOnly);
        d->pagesInPart = 0;
        device = d->part.get();
    }
    d->writer = d->Writer(*device, name);
    if (!d->painter.begin(d->writer.get())) {
        const QString file = d->output->TemporaryPath();
        d->CloseDocument();
        throw Exception(QCoreApplication::translate("TPrinter", "Cannot create file %1").arg(QDir::toNativeSeparators(file)));
    }
    d->canvas.emplace(&d->painter);
    d->pagesInDocument = 1;
    d->pageAsked = false;
    if (OnEvent)
        OnEvent(peBeginDoc);
}

void TPrinter::NewPage()
{
    if (!Printing())
        throw Exception(QCoreApplication::translate("TPrinter", "Printer is not printing"));
    // Begun by the next Canvas(): a page asked for and never drawn is no page.
    d->pageAsked = true;
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
    lastDelivery_ = TDelivery::Refused;
    try {
        // The painter reports neither a full disk nor a refused job: only a synced,
        // published file or a job the queue took counts as output.
        if (d->placement) {
            d->part->close();
            d->placement->Add(std::exchange(d->part->buffer(), QByteArray()));
            d->placement->Write(d->output->Device());
        }
        d->output->Finish();
        if (IsPdfPrinter() && !outputFileName_.isEmpty() && !d->chosenFileUsed
            && outputFileMode_ == TOutputFileMode::Exact) {
            d->output->PublishExactly(outputFileName_);
            lastOutputFile_ = outputFileName_;
            d->chosenFileUsed = true;
            lastDelivery_ = TDelivery::Confirmed;
        } else if (IsPdfPrinter()) {
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
            lastDelivery_ = TDelivery::Confirmed;
        } else {
            HandToQueue();
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

void TPrinter::SetUnderlay(std::optional<pdftemplate::TUnderlay> underlay)
{
    d->underlay = std::move(underlay);
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

