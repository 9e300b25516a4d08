#pragma once

#include "run/Calibration.h"
#include "run/Preflight.h"
#include "run/PrintRoom.h"
#include "run/SerialRun.h"
#include "run/SettingsFile.h"
#include "run/SharedSeries.h"
#include "printjob/PrintJob.h"
#include "preview/ArtworkView.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>

#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QProgressDialog;
class QTimer;
class QToolBar;
class TCustomPreview;
class TFontDialog;
class TPrintLog;
class THistoryEdit;
class TPreview;
class TPreviewStatusBar;
class TValueEdit;
struct TBooksAndParts;

// The serial-number window: toolbar, the eight inputs, the preview of the current page
// with its status bar, the menu, and the print job that draws the pages. It holds
// wiring and handlers only; the controls come from MainWindowDesign, the drawing from
// SerialDrawing and the settings file rules from SettingsFile.
// The two numbers of a page stand at the same place (as in a new settings file): the
// page shows one number where the user meant two.
bool SecondOnFirst(const serial::SerialPage& page);

class TfrmTallyforge : public QMainWindow {
    Q_OBJECT
public:
    // settingsPath: the settings file; empty means "Tallyforge.ini" beside the program.
    // Tests pass a file of their own.
    explicit TfrmTallyforge(QWidget* parent = nullptr, const QString& settingsPath = {});
    ~TfrmTallyforge() override;

    // False when the settings file existed but could not be read at start; the window
    // then leaves the file alone.
    bool SettingsLoaded() const { return settingsLoaded_; }

    // The serial font, as the hidden Label1 shows it.
    const serial::SerialFont& SerialFont() const { return serialFont_; }
    void SetSerialFont(const serial::SerialFont& font);
    // What a page's drawing reads, taken from the inputs now.
    serial::SerialPage CurrentPage() const;
    // The width numbers are padded to ([SN] Digits); 0: as they are.
    int Digits() const { return digits_; }
    // Several tickets a sheet ([Sheet]): what prints and the preview shows. Setting it
    // redraws the preview; it is saved with the settings.
    const ticket::TSheetLayout& SheetLayout() const { return sheetLayout_; }
    void SetSheetLayout(const ticket::TSheetLayout& layout);
    // Items 3, 4, ... of every ticket ([Item3], ...): setting them redraws the preview;
    // they are saved with the settings.
    const QList<ticket::TTicketItem>& TicketItems() const { return items_; }
    void SetTicketItems(const QList<ticket::TTicketItem>& items);
    // The artwork under the numbers ([Template]): the preview shows it, a print prints it
    // when its Print is set. Setting it redraws the preview; it is saved with the settings.
    const ticket::TTemplate& Template() const { return template_; }
    void SetTemplate(const ticket::TTemplate& artwork);
    // Why the preview shows no artwork although one is set; empty when it shows it.
    QString TemplateProblem() const;
    const TArtworkView& ArtworkView() const { return *artworkView_; }
    // What the current inputs would misprint, as the status bar shows it.
    const TPreflight& Preflight() const { return preflight_; }

    // --- published handlers
    void FormCreate();
    void FormActivate();
    void FormClose();
    void pjSNDraw(TCustomPrintJob* Sender, TCanvas* TheCanvas, int PageIndex, TRect TheRect,
                  TDrawArea Area, TDrawTarget Target);
    void ToolButton1Click();
    void mnuPrintClick();
    void ToolButton2Click();
    void butNextPageClick();
    void butPrevPageClick();
    void butWholePageClick();
    void butPageWidthClick();
    void mnuFontClick();
    void mnuSharedSeriesClick();
    void mnuExitClick();
    void mnuAboutClick();
    void mnuPrintLogClick();
    void mnuReprintClick();
    void mnuNumberFormatClick();
    void mnuCalibrationSheetClick();
    void mnuCalibrateClick();
    void mnuSheetLayoutClick();
    void mnuTicketItemsClick();
    void mnuTemplateClick();
    void mnuDataClick();
    // The data file read again for the preview (none when it cannot be read: the run
    // says why when it starts).
    void ReadData();
    // The reprint dialog preset to first..last; prints what it is asked for.
    void ReprintDialog(const QString& first, const QString& last);
    // Prints first..last again (serials as printed, or bare numbers) as the run that
    // printed first did, with `mark` beside each number, on the printer of that index
    // (the window's printer is restored afterwards); asks first when the journal shows
    // some of them as never printed under that text. Moves no counter.
    void Reprint(const QString& first, const QString& last, const QString& mark, int printerIndex);
    // Prints the sheets a stopped run of several tickets a sheet did not print.
    void PrintRest(const TJournalRecord& run);
    // Print Log > Void: the serials named as a reprint names them, on record as void.
    void VoidSerials(const QString& first, const QString& last, const QString& reason);
    // Prepares and prints a reprint or rest on printer `printerIndex` (of Printer's list;
    // -1: the window's), for this run only, and reports where it went.
    void PrintOn(int printerIndex, TPrintRequest request, bool sheets);
    // Drops the settings file's unknown values whose entries start so (see
    // TallyforgeSettings::Unknown), once a dialog set them.
    void ForgetUnknown(const QStringList& starts);
    // Why the artwork shown at each ticket is cut at its edges, or empty.
    QString ArtworkCut() const;
    // The rest of a stopped run in words, for the question where it goes.
    static QString RestText(const TRunRest& rest);
    void txtStartingSNChange();
    void txtPageCountChange();
    void Preview1PageChanged();

    void LoadSettings();
    void SaveSettings();

    // --- components, named as in the design
    QToolBar* ToolBar1 = nullptr;
    QAction* ToolButton1 = nullptr;
    QAction* ToolButton2 = nullptr;
    QAction* butNextPage = nullptr;
    QAction* butPrevPage = nullptr;
    QAction* butPageWidth = nullptr;
    QAction* butWholePage = nullptr;
    QAction* butFont = nullptr;

    QWidget* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    THistoryEdit* txtStartingSN = nullptr;
    THistoryEdit* txtPageCount = nullptr;
    THistoryEdit* txtHorizontalIndent = nullptr;
    THistoryEdit* txtVerticalIndent = nullptr;
    THistoryEdit* txtPrefix = nullptr;
    THistoryEdit* txtSuffix = nullptr;
    THistoryEdit* txtHorizontalIndent2 = nullptr;
    THistoryEdit* txtVerticalIndent2 = nullptr;

    TPreview* Preview1 = nullptr;
    TPreviewStatusBar* PreviewStatusBar1 = nullptr;

    QMenu* mnuFile = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* mnuPrintLog = nullptr;
    QAction* mnuReprint = nullptr;
    QAction* mnuCalibrationSheet = nullptr;
    QAction* mnuPrintSetup = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuOptions = nullptr;
    QMenu* mnuUnits = nullptr;
    QAction* txtCentimeter = nullptr;
    QAction* mnuInches = nullptr;
    QMenu* mnuView = nullptr;
    QAction* mnuPageWidth = nullptr;
    QAction* mnuWholePage = nullptr;
    QAction* mnuFont = nullptr;
    QAction* mnuSharedSeries = nullptr;
    QAction* mnuNumberFormat = nullptr;
    QAction* mnuCalibrate = nullptr;
    QAction* mnuSheetLayout = nullptr;
    QAction* mnuTicketItems = nullptr;
    QAction* mnuTemplate = nullptr;
    QAction* mnuData = nullptr;
    QMenu* Help1 = nullptr;
    QAction* mnuAbout = nullptr;

    TPrintJob* pjSN = nullptr;
    // Made on first use: building the font list costs start-up time for nothing.
    TFontDialog* FontDialog1();
    // The journal's runs, made on first use of File > Print Log.
    TPrintLog* PrintLog() const { return printLog_; }
    // The offset of each calibrated printer, applied to its prints and its preview.
    const calibration::TCalibrations& Calibrations() const { return calibrations_; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateToolBar();
    void CreateInputPanel();
    void CreatePreview();
    void CreateMenu();
    void CreatePrintJob();
    void PlaceWindow();
    void Wire(QAction* action, void (TfrmTallyforge::*handler)());
    // One run of the job, from the toolbar (moving the counter) or the menu, drawn from
    // the inputs as they are when it starts.
    void RunPrint(bool advance);
    // The run itself, shared by prints and reprints: progress, and a journal that could
    // not be written is reported.
    std::optional<TSerialRun::Outcome> PrintPages(const TPrintPlan& plan);
    // Follows the last run's queue jobs on a timer until they end (TSerialRun::FollowUp).
    void FollowJobs();
    // The store's runs whose jobs were sent and not yet ended: their end goes on record.
    void FollowStoredJobs();
    // The status bar's word on the last run's print jobs.
    QString JobsReport(const TJournalRecord& record) const;
    // Asks the plan's questions one by one; true to print.
    bool Confirm(const TPrintPlan& plan) { return Confirm(plan.questions); }
    bool Confirm(const QList<TPrintQuestion>& questions);
    // The journal's runs, read again only when the file changed; none when it cannot
    // be read (its error is kept in journalError_).
    const QList<TJournalRecord>& JournalRuns();
    // The status bar's free part: the last print's report until the next edit, else the
    // warnings for the current inputs, else what the run would print.
    void UpdateStatus();
    // The series this window prints from: the settings file's counter, or a series
    // shared on a server, whose next number the starting number then shows.
    void UseSeries(const TSeriesChoice& choice);
    // The print room on this store, and its run.
    void OpenRoom(std::shared_ptr<TSeriesStore> store);
    TSharedSeries* Shared() const;
    // Reads the shared series' next number into the starting number; raises when the
    // server cannot be reached and `quiet` is false.
    void RefreshSharedStart(bool quiet);
    void EndProgress();
    void ShowProgress(int done, int total);
    QString ProgressText(int pageIndex, int total, const serial::SerialPage* page) const;
    // delivered and total count sheets when sheets is set, else pages.
    void ReportOutput(int delivered, int total, bool restLeft = false, bool sheets = false);

    QString settingsPath_;
    bool settingsLoaded_ = true;
    // LastNumber as this window last read or wrote it: a different text in the file
    // means another window or process printed since.
    QString knownLastNumber_;
    // LastNumber was present but not a number: it is kept until the user prints or sets
    // the starting number.
    bool lastNumberUnreadable_ = false;
    int startingNumberAtLoad_ = 1;
    // The print rules, and the run they carry out (owned by the room).
    std::unique_ptr<TPrintRoom> room_;
    TSerialRun* run_ = nullptr;
    // The program lost the focus to another application since the last activation.
    bool leftTheProgram_ = false;
    bool closeAfterRun_ = false;
    QProgressDialog* progress_ = nullptr;
    QElapsedTimer progressClock_;
    serial::SerialFont serialFont_;
    TFontDialog* fontDialog_ = nullptr;
    int digits_ = 0;
    int step_ = 1; // [SN] Step and Check
    ticket::TCheck check_ = ticket::TCheck::None;
    QString checkSeparator_;
    int letters_ = 0; // a letter series' letters before the digits; 0: none
    QString letterSeparator_;
    int bookSize_ = 0; // [Book], kept as the file has it
    int bookFirst_ = 1;
    QString partNames_; // [Sheet] PartNames, kept as the file has it
    ticket::TSheetLayout sheetLayout_;
    QList<ticket::TTicketItem> items_;
    ticket::TTemplate template_;
    QString dataFile_; // [Data], kept as the file has it
    int dataFirst_ = 1;
    std::shared_ptr<const ticket::TDataTable> data_; // as read for the preview
    std::unique_ptr<TArtworkView> artworkView_ = std::make_unique<TArtworkView>();
    // The artwork under a preview page, as the printer would place it; `paper` is the
    // paper's rectangle on the painter.
    void DrawArtwork(QPainter& painter, const QRect& paper, int pageIndex);
    // The artwork's status-bar text: its name, or why the preview does not show it.
    QString TemplateStatus() const;
    // The job's pages for the inputs: the tickets, or the sheets that hold them.
    void ApplyPageCount();
    // The books and the copies' names that print and the preview shows (saved with the
    // settings); redraws the preview.
    void SetBooksAndParts(const TBooksAndParts& books);
    // Prints of more pages ask first ([SN] ConfirmAbove); 0: never.
    int confirmAbove_ = TallyforgeSettings::kDefaultConfirmAbove;
    // The status tip the pointer rests on, shown in the status bar; empty: none.
    QString statusTip_;
    TSeriesChoice series_;
    std::shared_ptr<TSeriesStore> store_;
    std::optional<int> sharedNext_; // the shared series' next number as last shown
    QString sharedStatus_;
    TPreflight preflight_;
    // The serials this window printed last, for the reprint dialog when the journal
    // has none.
    std::optional<std::pair<int, int>> lastPrinted_;
    // What the last print reported; shown until the next edit.
    QString report_;
    TPrintLog* printLog_ = nullptr;
    QList<TJournalRecord> journalRuns_;
    QString journalError_;
    QDateTime journalStamp_;
    qint64 journalSize_ = -2;
    calibration::TCalibrations calibrations_;
    // Values of the settings file this program does not know; a print refuses them.
    QStringList unknownSettings_;
    QTimer* followTimer_ = nullptr;
    int followTicks_ = 0;
    // Runs of the journal whose print jobs were still with the spooler when it was
    // read, followed with this window's own last run; [Printer] SheetsPerJob.
    QList<TJournalRecord> waitingRuns_;
    int sheetsPerJob_ = 1000;
    // Print Setup's choice, kept in the settings file once made.
    std::optional<TPrinterChoice> printerChoice_;
};
