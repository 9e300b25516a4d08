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
    d->Configure();
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
    d->outputFolder = folder;
    d->outputAccess = IsPdfPrinter() ? TOutputFile::Access::Shared : TOutputFile::Access::OwnerOnly;
    d->intendedPath.clear();
    d->output = std::make_unique<TOutputFile>(folder, d->outputAccess);
    if (IsPdfPrinter()) {
        d->intendedPath = outputFileName_.isEmpty() ? QDir(folder).filePath(FileStem(title_) + QStringLiteral(".pdf"))
                                                    : outputFileName_;
        d->output->SetIntendedPath(d->intendedPath);
    }
    d->documentName = name;
    if (d->underlay) {
        // A run that goes to a queue as several documents: each one's pages go on from the
        // pages of the run's documents before it.
        int before = 0;
        for (const TQueuedJob& job : runJobs_)
            before += job.pages;
        pdftemplate::TUnderlay underlay = *d->underlay;
        if (before > 0 && underlay.corners)
            underlay.corners = [whole = underlay.corners, before](int pageIndex) { return whole(before + pageIndex); };
        try {
            d->placement = std::make_unique<pdftemplate::TPlacement>(std::move(underlay), d->output->Device());
        } catch (...) {
            d->CloseDocument();
            throw;
        }
        d->part = std::make_unique<QBuffer>();
        d->part->open(QIODevice::WriteOnly);
        d->pagesInPart = 1;
    }
    if (!d->BeginWriter(d->part ? static_cast<QIODevice*>(d->part.get()) : &d->output->Device())) {
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
    lastOutputFile_.clear();
    lastJobId_ = 0;
    lastDelivery_ = TDelivery::Refused;
    try {
        // The painter reports neither a full disk nor a refused job: only a synced,
        // published file or a job the queue took counts as output.
        d->EndDrawing();
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

bool TPrinter::Impl::BeginWriter(QIODevice* device)
{
    writer = std::make_unique<QPdfWriter>(device);
    writer->setResolution(Resolution());
    writer->setPageLayout(Layout());
    writer->setTitle(documentName);
    writer->setCreator(kDefaultDocumentName);
    return painter.begin(writer.get());
}

void TPrinter::Impl::NextPart()
{
    // What the page drawing set on the painter itself goes on into the next part.
    const QTransform transform = painter.worldTransform();
    const std::optional<QPainterPath> clip = painter.hasClipping() ? std::optional(painter.clipPath()) : std::nullopt;
    painter.end();
    writer.reset();
    placement->Add(std::exchange(part, std::make_unique<QBuffer>())->data());
    part->open(QIODevice::WriteOnly);
    if (!BeginWriter(part.get()))
        throw Exception(QCoreApplication::translate("TPrinter", "Cannot create file %1").arg(QDir::toNativeSeparators(output->TemporaryPath())));
    painter.setWorldTransform(transform);
    if (clip)
        painter.setClipPath(*clip);
    canvas->Rebind();
    pagesInPart = 1;
}

void TPrinter::Impl::EndDrawing()
{
    painter.end();
    writer.reset();
    if (!placement)
        return;
    placement->Add(part->data());
    part.reset();
    placement->Finish();
    placement.reset();
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

