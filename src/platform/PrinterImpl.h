#pragma once

// The printer's state shared by its three parts: the page set-up (Printer.cpp), the document
// drawn into a temporary PDF (PrinterOutput.cpp) and its hand-off to a queue
// (PrinterQueue.cpp). Private to the platform library.

#include "platform/CupsDests.h"
#include "platform/OutputFile.h"
#include "platform/Printer.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <optional>

namespace printerimpl {

extern const QString kDefaultDocumentName;

} // namespace printerimpl

struct TPrinter::Impl {
    enum class Source { Machine, TestDevice, None };

    Source source = Source::Machine;
    TDeviceCaps testCaps;
    QStringList printers;
    bool printersRead = false;
    int index = -1;
    TPrinterOrientation orientation = poPortrait;

    // Whether the scheduler answered when the queues were last read.
    bool serverReached = true;
    // The page of the current printer: its paper with the margins it cannot print in (in
    // points), and its resolution. Set up for `pageIndex`; a change of printer sets it up
    // again (Configure).
    int pageIndex = -1;
    QPageSize paper = QPageSize(QPageSize::A4);
    QMarginsF margins;
    int resolution = 0;
    QList<cups::Media> media; // what the queue the page is set up for offers
    std::optional<TDeviceCaps> caps;

    QPainter painter;
    std::optional<TCanvas> canvas;
    std::unique_ptr<TOutputFile> output; // the open document's file
    // Where and how the open document's file was made, for the file the underlay writes.
    QString outputFolder;
    TOutputFile::Access outputAccess = TOutputFile::Access::Shared;
    QString intendedPath;
    std::optional<pdftemplate::TUnderlay> underlay;
    // Under an underlay, Qt draws the document in parts of this many pages, each placed
    // while the next is drawn; the placed document goes to `output`.
    static constexpr int kPagesPerPart = 500;
    std::unique_ptr<pdftemplate::TPlacement> placement;
    std::unique_ptr<QBuffer> part;
    int pagesInPart = 0;
    QString documentName;
    std::unique_ptr<QPdfWriter> writer;
    int pagesInDocument = 0;
    bool pageAsked = false;       // NewPage() was called; the page begins with its drawing
    bool chosenFileUsed = false;  // the chosen output file already holds a document

    // The page the open document is laid out on, as the device quantities describe it.
    QPageLayout Layout() const;
    int Resolution() const { return resolution; }
    // Drops the open document's writer and file; the file goes unless it was published.
    void CloseDocument();
    // Begins drawing into `device`: a writer of the page set up, with the painter on it.
    // Returns false when the painter cannot begin.
    bool BeginWriter(QIODevice* device);
    // Ends the part drawn so far and hands it to the placement; the painter goes on with
    // the next part as it was.
    void NextPart();
    // Ends the drawing; the last part goes to the placement, which writes the document.
    void EndDrawing();

    // Sets the page up for the current printer; re-done only when the printer changed.
    void Configure();
    int PdfIndex() const { return source == Source::Machine ? int(printers.size()) - 1 : -1; }
};
