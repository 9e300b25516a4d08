#pragma once

// The printer's state shared by its three parts: the device (Printer.cpp), the document
// drawn into a temporary PDF (PrinterOutput.cpp) and its hand-off to a queue
// (PrinterQueue.cpp). Private to the platform library.

#include "platform/OutputFile.h"
#include "platform/Printer.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

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

    std::unique_ptr<QPrinter> device;
    int deviceIndex = -1;        // printer the device is set up for
    bool deviceHandedOut = false; // a dialog may have changed the device
    std::optional<TDeviceCaps> caps;

    QPainter painter;
    std::optional<TCanvas> canvas;
    std::unique_ptr<TOutputFile> output; // the open document's file
    // Where and how the open document's file was made, for the file the underlay writes.
    QString outputFolder;
    TOutputFile::Access outputAccess = TOutputFile::Access::Shared;
    QString intendedPath;
    std::optional<pdftemplate::TUnderlay> underlay;
    std::unique_ptr<QPdfWriter> writer;
    int pagesInDocument = 0;
    bool pageAsked = false;       // NewPage() was called; the page begins with its drawing
    bool chosenFileUsed = false;  // the chosen output file already holds a document

    // The page the open document is laid out on, as the device quantities describe it.
    QPageLayout Layout() const;
    int Resolution() const;
    // Drops the open document's writer and file; the file goes unless it was published.
    void CloseDocument();
    // Puts the underlay under the finished document: a new temporary beside it takes its
    // place, synced; the old one goes unsynced.
    void PlaceUnderlay();

    // Sets the QPrinter up for the current printer; re-done only when the printer changed.
    void ConfigureDevice();
    int PdfIndex() const { return source == Source::Machine ? int(printers.size()) - 1 : -1; }
};
