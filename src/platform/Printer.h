#pragma once

#include "platform/Canvas.h"
#include "platform/CupsJob.h"
#include "platform/PdfTemplate.h"

#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// Device quantities of the current printer, all in printer pixels (dots) except the
// resolutions, which are dots per inch.
struct TDeviceCaps {
    int LogPixelsX = 0;       // dots per inch, horizontal
    int LogPixelsY = 0;       // dots per inch, vertical
    int PhysicalWidth = 0;    // paper width
    int PhysicalHeight = 0;   // paper height
    int PhysicalOffsetX = 0;  // paper corner to printable area corner
    int PhysicalOffsetY = 0;
    int HorzRes = 0;          // printable width
    int VertRes = 0;          // printable height
    friend bool operator==(const TDeviceCaps&, const TDeviceCaps&) = default;
};

enum TPrinterOrientation { poPortrait, poLandscape };

// How the PDF printer writes a chosen file. Replace: the first document of each run
// replaces what the file holds (the user chose it and was asked). Exact: the document
// gets exactly that name, which nothing may have when it is published; nothing is ever
// replaced.
enum class TOutputFileMode { Replace, Exact };

// A job a queue accepted, with the pages of its document.
struct TQueuedJob {
    int id = 0;
    int pages = 0;
};

// What the printer did, reported to an observer (tests, diagnostics).
enum TPrinterEvent { peBeginDoc, peNewPage, peEndDoc, peAbort };

// Raises the heap thresholds once so that the PDF engine's large per-page blocks are
// reused instead of being mapped and unmapped for every page.
void TunePrintingAllocator();

// The process's printer: the CUPS queues plus a built-in printer named "PDF" that
// writes PDF files. One instance per process, reached through Printer(). Its queues,
// their paper, margins and resolution come from libcups; its pages are drawn with
// QPdfWriter. Nothing here needs Qt's print support: the print dialog builds its own
// QPrinter from this state and hands the choices back through the setters.
class TPrinter {
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // Installed printers; the list is read from CUPS once and kept (RefreshPrinters
    // reads it again). The built-in PDF printer is the last.
    QStringList Printers();
    void RefreshPrinters();
    // False when the scheduler could not be reached when the list was read: only the PDF
    // printer is there then, though queues may be.
    bool ServerReached();
    int PrinterIndex();
    void SetPrinterIndex(int index);
    // The built-in PDF printer's index; -1 when there is none (a test device, no printer).
    int PdfPrinterIndex();
    QString PrinterName();
    bool IsPdfPrinter();
    // True when there is a device to print on (false only when no printer exists).
    bool HasHandle();

    // Raises "queue <name> asks for a login" when the current queue asks for one and no
    // password is given (the password hook, see cups::SetPasswordHook, gave none or there
    // is none, as on the command line). A print checks this before it takes any serial.
    void CheckLogin();

    // Cached until the printer, its orientation or its set-up may have changed.
    TDeviceCaps DeviceCaps();
    // The page of the current printer (paper, margins, orientation) and its resolution in
    // dots per inch, as DeviceCaps describes them.
    QPageLayout PageLayout();
    int Resolution();

    // The canvas of the open document, origin at the printable area's corner;
    // nullptr when no document is open. Fetched for each page: it begins the page a
    // NewPage() asked for.
    TCanvas* Canvas();

    // Also names the PDF printer's file when none was chosen; set while printing, it
    // names the open document's file (not its title inside) by what it holds at its end.
    QString Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }
    bool Printing() const;
    TPrinterOrientation Orientation();
    void SetOrientation(TPrinterOrientation orientation);

    // A document is drawn into a private temporary PDF laid out as the printer's page.
    // BeginDoc raises Exception when that cannot be created. EndDoc confirms the output
    // before it returns: the file is synced and published (PDF printer) or the whole
    // document accepted by the queue (CUPS); otherwise it raises, and nothing is left
    // (LastDelivery() Refused) or the queue may still print it (Unknown: the scheduler
    // could not be asked whether it holds the document).
    void BeginDoc();
    // The next page begins when its drawing does (the next Canvas()), so a document
    // ended before that has no empty page after its last one: a stopped run wastes no
    // sheet.
    void NewPage();
    void EndDoc();
    // Discards the open document: nothing is published or sent.
    void Abort();

    // Artwork under the pages of the documents to come (none: nothing under them). It is
    // placed on the finished document before it is published or sent, so a document
    // without its artwork never counts as output.
    void SetUnderlay(std::optional<pdftemplate::TUnderlay> underlay);

    // Paper of the current printer, and the sizes it offers. A queue's paper comes with
    // the margins the queue gives it; the PDF printer keeps the paper of the printer
    // chosen before it.
    QPageSize PaperSize();
    void SetPaperSize(const QPageSize& size);
    QList<QPageSize> PaperSizes();
    // The sizes a printer offers, by its name, and a queue's default paper (invalid for
    // the PDF printer or a queue that names none).
    static QList<QPageSize> PaperSizesOf(const QString& printerName);
    static QPageSize DefaultPaperOf(const QString& printerName);

    // Where the PDF printer's documents go. Without a chosen file, into OutputFolder()
    // (empty: the documents folder) under a name made from the title, never over an
    // existing file. A chosen file (one the user picked and confirmed) takes the first
    // document of each run, replacing what it held; further documents of the same run
    // go beside it as "Name (2).pdf" and so on, never over an existing file. The chosen
    // file is written only as a regular file: a symbolic link to one is written through,
    // anything else is refused. In Exact mode the first document takes exactly that name
    // or fails ("The file <path> exists already"), replacing nothing.
    QString OutputFileName() const { return outputFileName_; }
    TOutputFileMode OutputFileMode() const { return outputFileMode_; }
    void SetOutputFileName(const QString& fileName, TOutputFileMode mode = TOutputFileMode::Replace);
    // Starts a run: its first document goes to the chosen file again, and no job is the
    // run's yet.
    void NewRun();
    QString OutputFolder() const { return outputFolder_; }
    void SetOutputFolder(const QString& folder);
    // The folder a document goes to when nothing else was chosen.
    static QString DocumentsFolder();

    // What the last finished document became: the published file (PDF printer) or the
    // job id the queue accepted it under (CUPS queue, 0 otherwise).
    // The job id is also set for a job the queue may hold (LastDelivery() Unknown).
    QString LastOutputFile() const { return lastOutputFile_; }
    int LastJobId() const { return lastJobId_; }
    // How the last document's hand-off ended: Refused until one is confirmed.
    TDelivery LastDelivery() const { return lastDelivery_; }
    // The jobs queues accepted since NewRun, in order, and the print server they went to,
    // so a run can follow them to their end.
    const QList<TQueuedJob>& RunJobs() const { return runJobs_; }
    QString JobServer() const { return jobServer_; }

    // Observer of documents and pages; fired only when set.
    std::function<void(TPrinterEvent)> OnEvent;

    // Test seams. InstallTestDevice: one printer whose quantities are exactly these;
    // output is a PDF file, as the PDF printer's. ClearInstalledPrinters: no
    // printer at all. ResetForTests: back to the machine's own printers.
    static void InstallTestDevice(const TDeviceCaps& caps);
    static void ClearInstalledPrinters();
    static void ResetForTests();

    // Drops an open document and the page set-up; called before the application object
    // goes away.
    void ReleaseDevice();

private:
    struct Impl;
    // Sends the finished document to the current queue; raises unless it is confirmed.
    void HandToQueue();

    std::unique_ptr<Impl> d;
    QString title_;
    QString outputFileName_;
    TOutputFileMode outputFileMode_ = TOutputFileMode::Replace;
    QString outputFolder_;
    QString lastOutputFile_;
    int lastJobId_ = 0;
    TDelivery lastDelivery_ = TDelivery::Refused;
    QList<TQueuedJob> runJobs_;
    QString jobServer_;
};

TPrinter& Printer();
