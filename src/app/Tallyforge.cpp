#include "app/Tallyforge.h"

#include "dialogs/Dialogs.h"

#include "app/About.h"
#include "app/FontDialog.h"
#include "app/Icons.h"
#include "app/LoginDialog.h"
#include "app/MainWindowDesign.h"
#include "run/SettingsFile.h"
#include "platform/Application.h"
#include "platform/Exception.h"
#include "platform/Printer.h"
#include "preview/Preview.h"
#include "preview/PreviewStatusBar.h"
#include "widgets/HistoryEdit.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QMenuBar>
#include <QScreen>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace {

// Texts that would print off the printable area are outlined in the preview in this colour.
const QColor kOutsideColor(255, 0, 0);
constexpr int kOutsidePenWidth = 2; // screen pixels, at every zoom

// The font every control of the window has by design; without a readable settings
// file it is also the serial font. Its colour is the system's window text.
serial::SerialFont designSerialFont()
{
    serial::SerialFont font;
    font.Name = QStringLiteral("MS Sans Serif");
    font.Size = 8;
    font.Color = static_cast<int>(0x80000008u);
    return font;
}

QFont toQFont(const serial::SerialFont& serialFont)
{
    QFont font(serialFont.Name);
    if (serialFont.Size > 0)
        font.setPointSize(serialFont.Size);
    font.setBold(serialFont.Bold);
    font.setItalic(serialFont.Italic);
    font.setUnderline(serialFont.Underline);
    font.setStrikeOut(serialFont.StrikeOut);
    return font;
}

serial::SerialFont fromQFont(const QFont& font, int color)
{
    serial::SerialFont serialFont;
    serialFont.Name = font.family();
    serialFont.Size = qRound(font.pointSizeF());
    serialFont.Color = color;
    serialFont.Bold = font.bold();
    serialFont.Italic = font.italic();
    serialFont.Underline = font.underline();
    serialFont.StrikeOut = font.strikeOut();
    return serialFont;
}

// Outlines the page's texts that stand outside the printable area, where the preview
// draws them; a printed page never gets these.
void outlineOutside(TCustomPrintJob& job, TCanvas& canvas, int pageIndex, const serial::SerialPage& page)
{
    if (!job.PrinterInstalled())
        return;
    const TDeviceCaps caps = Printer().DeviceCaps();
    const QRect printable(0, 0, caps.HorzRes, caps.VertRes);
    QList<QRect> outside;
    for (const QRect& box : serial::SerialBoxes(job, canvas, pageIndex, page))
        if (!printable.contains(box))
            outside << box;
    if (outside.isEmpty())
        return;
    QPainter* painter = canvas.Painter();
    painter->save();
    QPen pen(kOutsideColor, kOutsidePenWidth);
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    // The preview blanks what lies off the printable area, so an outline is kept a little
    // inside it: at the edge the text goes over, or where a text wholly outside is nearest.
    const int inset = std::max(1, caps.LogPixelsX / 20);
    const QRect visible = printable.adjusted(inset, inset, -inset, -inset);
    for (const QRect& box : outside)
        painter->drawRect(QRect(QPoint(std::clamp(box.left(), visible.left(), visible.right()),
                                       std::clamp(box.top(), visible.top(), visible.bottom())),
                                QPoint(std::clamp(box.right(), visible.left(), visible.right()),
                                       std::clamp(box.bottom(), visible.top(), visible.bottom()))));
    painter->restore();
}

// Each ticket of a sheet is outlined, thin and dashed, where the calibrated printer puts
// it, so the preview shows the sheet the guillotine cuts; one off the printable area is
// outlined in the colour of texts off it. Only the preview gets these.
const QColor kTicketColor(96, 128, 176);

void outlineTickets(TCanvas& canvas, const ticket::TSheetLayout& layout, const QPointF& offset)
{
    const TDeviceCaps caps = Printer().DeviceCaps();
    const ticket::TPageArea area = serial::PageArea();
    if (caps.LogPixelsX <= 0 || caps.LogPixelsY <= 0 || area.printable.isEmpty())
        return;
    QPainter* painter = canvas.Painter();
    painter->save();
    painter->setBrush(Qt::NoBrush);
    for (int slot = 0; slot < layout.Slots(); ++slot) {
        const QRectF inches = ticket::SlotRect(layout, slot, area);
        QPen pen(OffPrintable(inches, area.printable.size()) ? kOutsideColor : kTicketColor, 1, Qt::DashLine);
        pen.setCosmetic(true);
        painter->setPen(pen);
        const QRectF at = inches.translated(offset);
        painter->drawRect(QRect(serial::DevicePoint(at.left() * caps.LogPixelsX, at.top() * caps.LogPixelsY),
                                serial::DevicePoint(at.right() * caps.LogPixelsX, at.bottom() * caps.LogPixelsY)));
    }
    painter->restore();
}

// The second number lies on the first: it is outlined, a little outside its text, so
// the user sees that there are two and that the second one can be placed.
const QColor kSamePlaceColor(0, 96, 255);
constexpr int kSamePlacePenWidth = 2; // screen pixels

void outlineSecondOnFirst(TCustomPrintJob& job, TCanvas& canvas, int pageIndex, const serial::SerialPage& page)
{
    const QList<QRect> boxes = serial::SerialBoxes(job, canvas, pageIndex, page);
    if (boxes.size() < 2)
        return;
    QPainter* painter = canvas.Painter();
    painter->save();
    QPen pen(kSamePlaceColor, kSamePlacePenWidth, Qt::DashLine);
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    const int margin = std::max(1, job.PrinterInstalled() ? Printer().DeviceCaps().LogPixelsX / 30 : 2);
    painter->drawRect(boxes.at(1).adjusted(-margin, -margin, margin, margin));
    painter->restore();
}

} // namespace

bool SecondOnFirst(const serial::SerialPage& page)
{
    return page.HorizontalIndent == page.HorizontalIndent2 && page.VerticalIndent == page.VerticalIndent2;
}

TfrmTallyforge::TfrmTallyforge(QWidget* parent, const QString& settingsPath)
    : QMainWindow(parent)
    , settingsPath_(settingsPath.isEmpty() ? SettingsFilePath() : settingsPath)
    , serialFont_(designSerialFont())
{
    dialogs::Install();
    login::InstallPasswordDialog();
    setObjectName(QStringLiteral("frmTallyforge"));
    setWindowTitle(QStringLiteral("Tallyforge"));
    setWindowIcon(icons::ProgramIcon());
    setFont(design::WindowFont());
    setMinimumSize(design::kWindowSize);

    CreatePrintJob();
    OpenRoom(std::make_shared<TLocalSeries>(settingsPath_));
    CreateToolBar();
    CreateMenu();
    CreateInputPanel();
    CreatePreview();
    PlaceWindow();

    // The inputs have their design texts by now; from here on every change redraws.
    for (const design::InputDesign& input : design::kInputs) {
        const auto handler = input.onChange == design::Handler::PageCountChange
            ? &TfrmTallyforge::txtPageCountChange
            : &TfrmTallyforge::txtStartingSNChange;
        Panel1->findChild<THistoryEdit*>(QLatin1String(input.name))->OnChange = [this, handler](TValueEdit*) {
            // An edit ends the last print's report in the status bar.
            report_.clear();
            app::Guard([this, handler] { (this->*handler)(); });
        };
    }

    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            leftTheProgram_ = true;
    });

    app::Guard([this] { FormCreate(); });
    app::Guard([this] { UpdateStatus(); });
}

TfrmTallyforge::~TfrmTallyforge()
{
    // The fields outlive this part of the window: one that loses the focus as it goes
    // reformats its text, and its change must not reach handlers whose print room and
    // run are gone by then.
    if (Panel1)
        for (THistoryEdit* field : Panel1->findChildren<THistoryEdit*>())
            field->OnChange = nullptr;
    // The preview and the job are children of the window; unbind first so neither
    // outlives the other's notice.
    if (Preview1)
        Preview1->SetPrintJob(nullptr);
}

void TfrmTallyforge::CreatePrintJob()
{
    pjSN = new TPrintJob(this);
    pjSN->setObjectName(QStringLiteral("pjSN"));
    serial::ConfigureJob(*pjSN, [this](TCustomPrintJob* sender, TCanvas* canvas, int pageIndex, TRect rect,
                                       TDrawArea area, TDrawTarget target) {
        pjSNDraw(sender, canvas, pageIndex, rect, area, target);
    });
}

void TfrmTallyforge::Wire(QAction* action, void (TfrmTallyforge::*handler)())
{
    connect(action, &QAction::triggered, this, [this, handler] { app::Guard([this, handler] { (this->*handler)(); }); });
}

void TfrmTallyforge::CreateToolBar()
{
    ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setFixedHeight(design::kToolBarHeight);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);

    QAction** targets[] = { &ToolButton1, &ToolButton2, &butNextPage, &butPrevPage,
                          &butPageWidth, &butWholePage, &butFont };
    for (std::size_t i = 0; i < design::kToolButtons.size(); ++i) {
        const design::ToolButtonDesign& button = design::kToolButtons[i];
        QAction* action = ToolBar1->addAction(icons::ImageListIcon(button.image), design::Text(button.hint));
        action->setObjectName(QLatin1String(button.name));
        action->setToolTip(design::Text(button.hint));
        if (QWidget* widget = ToolBar1->widgetForAction(action)) {
            widget->setObjectName(QLatin1String(button.name) + QStringLiteral("Button"));
            widget->setFixedWidth(design::kToolButtonWidth);
        }
        *targets[i] = action;
    }
    ToolButton1->setToolTip(tr("Print the next run and move the counter past it"));
    ToolButton1->setStatusTip(ToolButton1->toolTip());
    Wire(ToolButton1, &TfrmTallyforge::ToolButton1Click);
    Wire(ToolButton2, &TfrmTallyforge::ToolButton2Click);
    Wire(butNextPage, &TfrmTallyforge::butNextPageClick);
    Wire(butPrevPage, &TfrmTallyforge::butPrevPageClick);
    Wire(butPageWidth, &TfrmTallyforge::butPageWidthClick);
    Wire(butWholePage, &TfrmTallyforge::butWholePageClick);
    Wire(butFont, &TfrmTallyforge::mnuFontClick);
}

void TfrmTallyforge::CreateMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    mnuFile = bar->addMenu(tr("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuPrint = design::AddMenuItem(mnuFile, "mnuPrint", QT_TR_NOOP("&Print"), icons::PrintImage);
    mnuPrintLog = design::AddMenuItem(mnuFile, "mnuPrintLog", QT_TR_NOOP("Print &Log..."));
    mnuReprint = design::AddMenuItem(mnuFile, "mnuReprint", QT_TR_NOOP("&Reprint..."));
    mnuCalibrationSheet = design::AddMenuItem(mnuFile, "mnuCalibrationSheet", QT_TR_NOOP("Print &Calibration Sheet"));
    mnuPrintSetup = design::AddMenuItem(mnuFile, "mnuPrintSetup", QT_TR_NOOP("Print &Setup..."), icons::PrintSetupImage);
    mnuFile->addSeparator();
    mnuExit = design::AddMenuItem(mnuFile, "mnuExit", QT_TR_NOOP("E&xit"), icons::ExitImage);

    mnuOptions = bar->addMenu(tr("&Options"));
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    mnuUnits = mnuOptions->addMenu(tr("Units"));
    mnuUnits->setObjectName(QStringLiteral("mnuUnits"));
    txtCentimeter = design::AddMenuItem(mnuUnits, "txtCentimeter", QT_TR_NOOP("Centimeter"));
    mnuInches = design::AddMenuItem(mnuUnits, "mnuInches", QT_TR_NOOP("Inches"));
    // Positions are always inches: Centimeter cannot be chosen, and choosing Inches
    // (one checked item of an exclusive group) changes nothing.
    auto* unitsGroup = new QActionGroup(this);
    for (QAction* unit : { txtCentimeter, mnuInches }) {
        unit->setCheckable(true);
        unitsGroup->addAction(unit);
    }
    txtCentimeter->setEnabled(false);
    mnuInches->setChecked(true);

    mnuView = mnuOptions->addMenu(tr("View"));
    mnuView->setObjectName(QStringLiteral("mnuView"));
    mnuPageWidth = design::AddMenuItem(mnuView, "mnuPageWidth", QT_TR_NOOP("Page Width"));
    mnuWholePage = design::AddMenuItem(mnuView, "mnuWholePage", QT_TR_NOOP("Whole Page"));
    mnuPageWidth->setCheckable(true);
    mnuWholePage->setCheckable(true);
    mnuFont = design::AddMenuItem(mnuOptions, "mnuFont", QT_TR_NOOP("Font..."));
    mnuNumberFormat = design::AddMenuItem(mnuOptions, "mnuNumberFormat", QT_TR_NOOP("Number Format..."));
    mnuSharedSeries = design::AddMenuItem(mnuOptions, "mnuSharedSeries", QT_TR_NOOP("Shared Series..."));
    mnuCalibrate = design::AddMenuItem(mnuOptions, "mnuCalibrate", QT_TR_NOOP("&Calibrate Printer..."));
    mnuSheetLayout = design::AddMenuItem(mnuOptions, "mnuSheetLayout", QT_TR_NOOP("Sheet &Layout..."));
    mnuTicketItems = design::AddMenuItem(mnuOptions, "mnuTicketItems", QT_TR_NOOP("Ticket &Items..."));
    mnuTemplate = design::AddMenuItem(mnuOptions, "mnuTemplate", QT_TR_NOOP("&Template..."));
    mnuData = design::AddMenuItem(mnuOptions, "mnuData", QT_TR_NOOP("&Data..."));

    Help1 = bar->addMenu(tr("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    mnuAbout = design::AddMenuItem(Help1, "mnuAbout", QT_TR_NOOP("About"));

    Wire(mnuPrint, &TfrmTallyforge::mnuPrintClick);
    Wire(mnuPrintSetup, &TfrmTallyforge::ToolButton2Click);
    // The two prints differ in what they do to the counter; both say so.
    mnuPrint->setToolTip(tr("Print again: the same serials, the counter does not move"));
    mnuPrint->setStatusTip(mnuPrint->toolTip());
    mnuFile->setToolTipsVisible(true);
    Wire(mnuPrintLog, &TfrmTallyforge::mnuPrintLogClick);
    Wire(mnuReprint, &TfrmTallyforge::mnuReprintClick);
    Wire(mnuExit, &TfrmTallyforge::mnuExitClick);
    Wire(mnuPageWidth, &TfrmTallyforge::butPageWidthClick);
    Wire(mnuWholePage, &TfrmTallyforge::butWholePageClick);
    Wire(mnuFont, &TfrmTallyforge::mnuFontClick);
    Wire(mnuSharedSeries, &TfrmTallyforge::mnuSharedSeriesClick);
    Wire(mnuNumberFormat, &TfrmTallyforge::mnuNumberFormatClick);
    Wire(mnuCalibrationSheet, &TfrmTallyforge::mnuCalibrationSheetClick);
    Wire(mnuCalibrate, &TfrmTallyforge::mnuCalibrateClick);
    Wire(mnuSheetLayout, &TfrmTallyforge::mnuSheetLayoutClick);
    Wire(mnuTicketItems, &TfrmTallyforge::mnuTicketItemsClick);
    Wire(mnuTemplate, &TfrmTallyforge::mnuTemplateClick);
    Wire(mnuData, &TfrmTallyforge::mnuDataClick);
    Wire(mnuAbout, &TfrmTallyforge::mnuAboutClick);
}

void TfrmTallyforge::CreateInputPanel()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(central);

    Panel1 = new QWidget(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(design::kInputPanelHeight);
    layout->addWidget(Panel1);

    Label1 = new QLabel(QStringLiteral("Label1"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(360, 0);
    Label1->hide();

    THistoryEdit** targets[] = { &txtStartingSN, &txtPageCount, &txtHorizontalIndent, &txtVerticalIndent,
                               &txtPrefix, &txtSuffix, &txtHorizontalIndent2, &txtVerticalIndent2 };
    std::vector<std::pair<int, THistoryEdit*>> tabOrder;
    for (std::size_t i = 0; i < design::kInputs.size(); ++i) {
        *targets[i] = design::CreateInput(design::kInputs[i], Panel1);
        tabOrder.emplace_back(design::kInputs[i].tabOrder, *targets[i]);
    }
    // Every field above every caption: the second row's captions, placed above their
    // fields like the others, lie behind the first row and stay unseen.
    for (const auto& entry : tabOrder)
        entry.second->raise();
    std::sort(tabOrder.begin(), tabOrder.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
    SetSerialFont(serialFont_);
}

void TfrmTallyforge::CreatePreview()
{
    auto* layout = static_cast<QVBoxLayout*>(centralWidget()->layout());
    Preview1 = new TPreview(centralWidget());
    Preview1->setObjectName(QStringLiteral("Preview1"));
    Preview1->SetPrintJob(pjSN);
    Preview1->SetBorderStyle(bsSingle);
    Preview1->SetColor(QColor(QRgb(design::kPreviewColor)));
    Preview1->SetShadowColor(QColor(QRgb(design::kShadowColor)));
    Preview1->SetShadowSize(design::kShadowSize);
    Preview1->SetViewMode(vmWholePage);
    Preview1->SetViewScale(design::kViewScale);
    Preview1->SetPageIndex(1);
    Preview1->SetScrollTracking(false);
    Preview1->SetDragScroll(false);
    Preview1->setFocusPolicy(Qt::StrongFocus);
    Preview1->OnPageChanged = [this](TCustomPreview*) { app::Guard([this] { Preview1PageChanged(); }); };
    // The artwork under the numbers, whether it prints or the stock is pre-printed.
    Preview1->OnDrawUnderlay = [this](TCustomPreview*, QPainter& painter, const QRect& paper) {
        DrawArtwork(painter, paper, Preview1->PageIndex());
    };
    layout->addWidget(Preview1, 1);
    QWidget::setTabOrder(txtVerticalIndent2, Preview1);

    PreviewStatusBar1 = new TPreviewStatusBar(centralWidget());
    PreviewStatusBar1->setObjectName(QStringLiteral("PreviewStatusBar1"));
    PreviewStatusBar1->setFixedHeight(design::kStatusBarHeight);
    PreviewStatusBar1->SetPreview(Preview1);
    PreviewStatusBar1->SetPanels({ pnPage, pnScale });
    PreviewStatusBar1->SetPagePanelWidth(design::kStatusPanelWidth);
    PreviewStatusBar1->SetScalePanelWidth(design::kStatusPanelWidth);
    PreviewStatusBar1->SetSizeGrip(true);
    // Which file keeps the settings and the counter, for the user who looks for it.
    PreviewStatusBar1->setToolTip(tr("Settings: %1").arg(QDir::toNativeSeparators(settingsPath_)));
    layout->addWidget(PreviewStatusBar1);
}

void TfrmTallyforge::PlaceWindow()
{
    // Restored, the window has its design size in the middle of the screen; it opens
    // maximized.
    resize(design::kWindowSize);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(design::kWindowSize.width() / 2, design::kWindowSize.height() / 2));
    }
    setWindowState(windowState() | Qt::WindowMaximized);
}

TFontDialog* TfrmTallyforge::FontDialog1()
{
    if (!fontDialog_) {
        fontDialog_ = new TFontDialog(this);
        fontDialog_->setObjectName(QStringLiteral("FontDialog1"));
        QFont initial(QStringLiteral("MS Sans Serif"));
        initial.setPointSize(8);
        fontDialog_->SetCurrentFont(initial);
    }
    return fontDialog_;
}

void TfrmTallyforge::SetSerialFont(const serial::SerialFont& font)
{
    serialFont_ = font;
    Label1->setFont(toQFont(font));
    QPalette palette = Label1->palette();
    palette.setColor(QPalette::WindowText, IntToColor(font.Color));
    Label1->setPalette(palette);
}

serial::SerialPage TfrmTallyforge::CurrentPage() const
{
    serial::SerialPage page;
    page.StartingNumber = txtStartingSN->AsInteger();
    page.Prefix = txtPrefix->Text();
    page.Suffix = txtSuffix->Text();
    page.HorizontalIndent = txtHorizontalIndent->AsFloat();
    page.VerticalIndent = txtVerticalIndent->AsFloat();
    page.HorizontalIndent2 = txtHorizontalIndent2->AsFloat();
    page.VerticalIndent2 = txtVerticalIndent2->AsFloat();
    page.Font = serialFont_;
    page.Digits = digits_;
    page.Step = step_;
    page.Check = check_;
    page.CheckSeparator = checkSeparator_;
    page.Letters = letters_;
    page.LetterSeparator = letterSeparator_;
    page.BookSize = bookSize_;
    page.BookFirst = bookFirst_;
    if (!partNames_.isEmpty())
        page.PartNames = partNames_.split(QLatin1Char('|'));
    page.Items = items_;
    if (!dataFile_.isEmpty()) {
        page.DataFile = ticket::TemplatePath(dataFile_, settingsPath_);
        page.DataFirst = dataFirst_;
        page.Data = data_;
    }
    // The artwork the preview shows lies under the numbers: their width is fixed then.
    page.OnArtwork = template_.IsSet() && TemplateProblem().isEmpty();
    return page;
}

bool TfrmTallyforge::event(QEvent* event)
{
    // Status tips of the toolbar and the menu show in the status bar's free part while
    // the pointer rests on them.
    if (event->type() == QEvent::StatusTip && PreviewStatusBar1) {
        statusTip_ = static_cast<QStatusTipEvent*>(event)->tip();
        app::Guard([this] { UpdateStatus(); });
        return true;
    }
    const bool handled = QMainWindow::event(event);
    // A shared series moves while other stations print: show its next number again.
    if (event->type() == QEvent::WindowActivate && store_ && !run_->Running()) {
        journalSize_ = -2; // its runs too
        app::Guard([this] { RefreshSharedStart(true); });
    }
    // The refresh is for the focus coming back from another window of this program (the
    // about box, a dialog); coming back from another application changes nothing here.
    if (event->type() == QEvent::WindowActivate && !std::exchange(leftTheProgram_, false))
        app::Guard([this] { FormActivate(); });
    return handled;
}

void TfrmTallyforge::closeEvent(QCloseEvent* event)
{
    // A running print stops after its current page and the window closes then, so the
    // counter follows what came out and nothing prints on without a window.
    if (run_ && run_->Running()) {
        closeAfterRun_ = true;
        run_->Stop();
        event->ignore();
        return;
    }
    // A failed save has been shown to the user; the window closes all the same.
    app::Guard([this] { FormClose(); });
    event->accept();
}

// --- handlers ------------------------------------------------------------------------

void TfrmTallyforge::FormCreate() { LoadSettings(); }

void TfrmTallyforge::FormActivate() { txtStartingSNChange(); }

void TfrmTallyforge::FormClose()
{
    // A file that could not be read at start keeps what it holds (it may carry the serial
    // counter); the user has been told at start.
    if (settingsLoaded_)
        SaveSettings();
}

void TfrmTallyforge::pjSNDraw(TCustomPrintJob*, TCanvas* TheCanvas, int PageIndex, TRect, TDrawArea Area,
                              TDrawTarget Target)
{
    const serial::SerialPage* running = run_ ? run_->Page() : nullptr;
    const calibration::TOffset offset = calibrations_.value(Printer().PrinterName());
    serial::SerialPage page = calibration::Apply(running ? *running : CurrentPage(), offset);
    // A code that cannot be encoded is crossed out in the preview; the status bar says why.
    page.MarkUnencodable = Target == dtPreview;
    // The preview shows the artwork under the numbers when it can: no white cells on it.
    if (Target == dtPreview)
        page.OnArtwork = template_.IsSet() && TemplateProblem().isEmpty();
    // The preview shows the printable area and draws where the printer does.
    const calibration::TPrinterView view(*TheCanvas, Target, Area, pjSN->PrinterInstalled());
    if (Target == dtPreview && PreviewStatusBar1)
        PreviewStatusBar1->SetHintText(calibration::HintText(Printer().PrinterName(), offset));
    if (running) {
        run_->DrawPage(*TheCanvas, PageIndex, Area, page);
    } else if (!sheetLayout_.IsDefault()) {
        const ticket::TSheetPlan plan(sheetLayout_, std::max(1, txtPageCount->AsInteger()));
        serial::DrawSerialSheet(*pjSN, *TheCanvas, PageIndex - 1, Area, page, sheetLayout_, plan, serial::PageArea());
    } else {
        serial::DrawSerialPage(*pjSN, *TheCanvas, PageIndex, Area, page);
    }
    const ticket::TSheetLayout& layout = running ? run_->Layout() : sheetLayout_;
    if (Target == dtPreview && Area == daBody && !layout.IsDefault())
        outlineTickets(*TheCanvas, layout, page.Offset);
    // The texts' outlines are a single ticket's page.
    if (Target == dtPreview && Area == daBody && layout.IsDefault()) {
        outlineOutside(*pjSN, *TheCanvas, PageIndex, page);
        if (SecondOnFirst(page))
            outlineSecondOnFirst(*pjSN, *TheCanvas, PageIndex, page);
    }
}

void TfrmTallyforge::ToolButton1Click() { RunPrint(true); }

void TfrmTallyforge::mnuPrintClick() { RunPrint(false); }

void TfrmTallyforge::ToolButton2Click()
{
    if (run_->Running() || Printer().Printing())
        return;
    const TPrinterChoice before = printerchoice::Current();
    pjSN->PrinterSetup();
    // Remembered for the next session once the user chose something. A chosen queue the
    // print server did not list (it could not be reached) stays chosen unless another
    // printer was chosen now: only the paper and orientation are taken.
    if (TPrinterChoice after = printerchoice::Current(); after != before) {
        if (printerChoice_ && after.Name == before.Name && !Printer().Printers().contains(printerChoice_->Name)) {
            after.Name = printerChoice_->Name;
            after.PdfFolder = printerChoice_->PdfFolder;
            after.PdfFile = printerChoice_->PdfFile;
        }
        printerChoice_ = after;
    }
    UpdateStatus(); // another printer has another printable area
}

void TfrmTallyforge::butNextPageClick() { Preview1->SetPageIndex(Preview1->PageIndex() + 1); }

void TfrmTallyforge::butPrevPageClick() { Preview1->SetPageIndex(Preview1->PageIndex() - 1); }

void TfrmTallyforge::butWholePageClick()
{
    Preview1->SetViewMode(vmWholePage);
    mnuWholePage->setChecked(true);
    mnuPageWidth->setChecked(false);
}

void TfrmTallyforge::butPageWidthClick()
{
    Preview1->SetViewMode(vmPageWidth);
    mnuPageWidth->setChecked(true);
    mnuWholePage->setChecked(false);
}

void TfrmTallyforge::mnuFontClick()
{
    TFontDialog* dialog = FontDialog1();
    dialog->SetCurrentFont(toQFont(serialFont_));
    dialog->SetColor(IntToColor(serialFont_.Color));
    if (dialog->exec() == QDialog::Accepted) {
        SetSerialFont(fromQFont(dialog->CurrentFont(), ColorToInt(dialog->Color())));
        report_.clear();
    }
    txtStartingSNChange();
}

void TfrmTallyforge::mnuExitClick() { close(); }

void TfrmTallyforge::mnuAboutClick()
{
    TAboutBox::Execute(this);
    txtStartingSNChange();
}

void TfrmTallyforge::txtStartingSNChange()
{
    Preview1->SetPrintJob(nullptr);
    Preview1->SetPrintJob(pjSN);
    Preview1->Repaint();
    UpdateStatus();
}

void TfrmTallyforge::txtPageCountChange()
{
    ApplyPageCount();
    UpdateStatus();
}

void TfrmTallyforge::ApplyPageCount()
{
    if (sheetLayout_.IsDefault()) {
        pjSN->SetPageCount(txtPageCount->AsInteger());
        return;
    }
    const ticket::TSheetPlan plan(sheetLayout_, std::max(1, txtPageCount->AsInteger()));
    pjSN->SetPageCount(int(std::min<qint64>(plan.PrintedSheets(), std::numeric_limits<int>::max())));
}

void TfrmTallyforge::SetSheetLayout(const ticket::TSheetLayout& layout)
{
    // Another layout ends the last print's report, as an edit does: what it would print
    // (and what is wrong with it) is news now.
    if (ticket::Bounded(layout) != sheetLayout_)
        report_.clear();
    sheetLayout_ = ticket::Bounded(layout);
    ApplyPageCount();
    txtStartingSNChange();
}

void TfrmTallyforge::SetTicketItems(const QList<ticket::TTicketItem>& items)
{
    items_.clear();
    for (const ticket::TTicketItem& item : items)
        items_ << ticket::Bounded(item);
    txtStartingSNChange();
}

void TfrmTallyforge::SetTemplate(const ticket::TTemplate& artwork)
{
    template_ = artwork;
    artworkView_->Open(ticket::TemplatePath(template_.File, settingsPath_), template_.Page);
    txtStartingSNChange();
}

QString TfrmTallyforge::TemplateProblem() const
{
    if (!template_.IsSet())
        return {};
    if (!artworkView_->Ready())
        return artworkView_->Problem();
    const TDeviceCaps caps = Printer().DeviceCaps();
    if (ticket::LargerThanPaper(artworkView_->SizeInches(),
                                ticket::PaperInches(caps.PhysicalWidth, caps.PhysicalHeight, caps.LogPixelsX, caps.LogPixelsY)))
        return tr("The template's page is larger than the paper");
    return {};
}

QString TfrmTallyforge::TemplateStatus() const
{
    if (!template_.IsSet())
        return {};
    if (const QString problem = TemplateProblem(); !problem.isEmpty())
        return tr("Template not shown: %1").arg(problem);
    const QString name = QFileInfo(template_.File).fileName();
    return template_.Print ? tr("Template %1, page %2").arg(name).arg(template_.Page)
                           : tr("Template %1, page %2 (not printed)").arg(name).arg(template_.Page);
}

void TfrmTallyforge::DrawArtwork(QPainter& painter, const QRect& paper, int pageIndex)
{
    if (!template_.IsSet() || !TemplateProblem().isEmpty())
        return;
    const TDeviceCaps caps = Printer().DeviceCaps();
    if (caps.LogPixelsX <= 0 || caps.LogPixelsY <= 0 || caps.PhysicalWidth <= 0 || caps.PhysicalHeight <= 0)
        return;
    const bool running = run_ && run_->Running();
    const ticket::TSheetLayout& layout = running ? run_->Layout() : sheetLayout_;
    const ticket::TSheetPlan plan = running ? run_->Plan() : ticket::TSheetPlan(sheetLayout_, std::max(1, txtPageCount->AsInteger()));
    // Target pixels per inch of paper.
    const double scaleX = paper.width() * double(caps.LogPixelsX) / caps.PhysicalWidth;
    const double scaleY = paper.height() * double(caps.LogPixelsY) / caps.PhysicalHeight;
    const QSizeF inches = artworkView_->SizeInches();
    // Rendered at the size it is shown at, so only another zoom renders it again, and it
    // is drawn unscaled.
    const QImage image = artworkView_->Image(QSize(qMax(1, qRound(inches.width() * scaleX)), qMax(1, qRound(inches.height() * scaleY))));
    if (image.isNull())
        return;
    // A ticket's artwork shows only as far as its ticket, as it prints.
    QRect shown = image.rect();
    if (template_.Scope == ticket::TTemplateScope::Ticket) {
        const QSizeF ticketInches = ticket::SlotRect(layout, 0, serial::PageArea()).size();
        shown &= QRect(0, 0, qRound(ticketInches.width() * scaleX), qRound(ticketInches.height() * scaleY));
    }
    for (const QPointF& corner : ticket::TemplateCorners(template_.Scope, layout, plan, pageIndex - 1, serial::PageArea()))
        painter.drawImage(QPoint(paper.left() + qRound(corner.x() * scaleX), paper.top() + qRound(corner.y() * scaleY)), image, shown);
}

QString TfrmTallyforge::ArtworkCut() const
{
    if (!template_.IsSet() || template_.Scope != ticket::TTemplateScope::Ticket || !TemplateProblem().isEmpty())
        return {};
    return ticket::ArtworkCutText(artworkView_->SizeInches(), ticket::SlotRect(sheetLayout_, 0, serial::PageArea()).size());
}

void TfrmTallyforge::Preview1PageChanged()
{
    const int count = std::max(1, pjSN->PageCount());
    const int index = Preview1->PageIndex();
    if (index == 1) {
        butPrevPage->setEnabled(false);
        butNextPage->setEnabled(count > 1);
    } else if (index == count) {
        butNextPage->setEnabled(false);
        butPrevPage->setEnabled(true);
    } else {
        butNextPage->setEnabled(true);
        butPrevPage->setEnabled(true);
    }
}

// --- settings file -------------------------------------------------------------------

void TfrmTallyforge::LoadSettings()
{
    TallyforgeSettings settings;
    try {
        settings = LoadSettingsFile(settingsPath_);
    } catch (...) {
        // Keep the design values, and keep the file: it may hold the serial counter.
        settingsLoaded_ = false;
        throw;
    }
    settingsLoaded_ = true;
    calibrations_ = settings.Calibrations; // before the inputs, which redraw the preview
    unknownSettings_ = settings.Unknown;
    knownLastNumber_ = settings.LastNumberText;
    lastNumberUnreadable_ = !settings.LastNumberReadable;
    txtPrefix->SetText(settings.Prefix);
    txtSuffix->SetText(settings.Suffix);
    txtStartingSN->SetAsInteger(serial::AddWrapping(settings.LastNumber, 1));
    startingNumberAtLoad_ = txtStartingSN->AsInteger();
    txtPageCount->SetAsInteger(settings.PageCount);
    sheetLayout_ = settings.Sheet;
    items_ = settings.Items;
    ApplyPageCount();
    template_ = settings.Template;
    artworkView_->Open(ticket::TemplatePath(template_.File, settingsPath_), template_.Page);
    txtHorizontalIndent->SetAsFloat(settings.HorizontalIndent);
    txtVerticalIndent->SetAsFloat(settings.VerticalIndent);
    txtHorizontalIndent2->SetAsFloat(settings.HorizontalIndent2);
    txtVerticalIndent2->SetAsFloat(settings.VerticalIndent2);

    SetSerialFont(settings.Font);
    digits_ = settings.Digits;
    step_ = settings.Step;
    check_ = settings.Check;
    checkSeparator_ = settings.CheckSeparator;
    letters_ = settings.Letters;
    letterSeparator_ = settings.LetterSeparator;
    bookSize_ = settings.BookSize;
    bookFirst_ = settings.BookFirst;
    dataFile_ = settings.DataFile;
    dataFirst_ = settings.DataFirst;
    ReadData();
    partNames_ = settings.PartNames;
    confirmAbove_ = settings.ConfirmAbove;
    sheetsPerJob_ = settings.SheetsPerJob;
    UseSeries(SeriesChoice(settings.SeriesServer, settings.SeriesName));
    printerChoice_ = settings.PrinterChoice;
    if (printerChoice_)
        printerchoice::Apply(*printerChoice_); // a printer that is gone leaves the default

    if (settings.WholePage)
        butWholePageClick();
    else
        butPageWidthClick();

    if (lastNumberUnreadable_)
        app::ShowError(tr("The last number in %1 cannot be read: '%2'. The series starts at 1.")
                           .arg(settingsPath_, settings.LastNumberText));
}

void TfrmTallyforge::SaveSettings()
{
    // Writing the design values over a file that could not be read would lose it; a print
    // still says that its counter was not kept.
    if (!settingsLoaded_)
        throw Exception(tr("Cannot open file %1").arg(settingsPath_));
    TallyforgeSettings settings;
    settings.LastNumber = serial::AddWrapping(txtStartingSN->AsInteger(), -1);
    settings.PageCount = txtPageCount->AsInteger();
    settings.HorizontalIndent = txtHorizontalIndent->AsFloat();
    settings.VerticalIndent = txtVerticalIndent->AsFloat();
    settings.HorizontalIndent2 = txtHorizontalIndent2->AsFloat();
    settings.VerticalIndent2 = txtVerticalIndent2->AsFloat();
    settings.Prefix = txtPrefix->Text();
    settings.Suffix = txtSuffix->Text();
    settings.Font = serialFont_;
    settings.Digits = digits_;
    settings.Step = step_;
    settings.Check = check_;
    settings.CheckSeparator = checkSeparator_;
    settings.Letters = letters_;
    settings.LetterSeparator = letterSeparator_;
    settings.BookSize = bookSize_;
    settings.BookFirst = bookFirst_;
    settings.DataFile = dataFile_;
    settings.DataFirst = dataFirst_;
    settings.PartNames = partNames_;
    settings.ConfirmAbove = confirmAbove_;
    settings.Calibrations = calibrations_;
    settings.WholePage = mnuWholePage->isChecked();
    settings.SeriesServer = series_.server;
    settings.SeriesName = series_.name;
    settings.PrinterChoice = printerChoice_;
    settings.Sheet = sheetLayout_;
    settings.Items = items_;
    settings.Template = template_;
    settings.Unknown = unknownSettings_;
    // LastNumber is written only over what this window knows to be there: another window
    // or process that printed since keeps its number, and text that is not a number
    // stays until the user prints or sets the starting number. A shared series keeps its
    // number on its server.
    TSeriesCounter(settingsPath_).Locked([&](const TSeriesCounter::Reading& now) {
        const bool keepUnreadable = lastNumberUnreadable_ && txtStartingSN->AsInteger() == startingNumberAtLoad_;
        const bool writeLastNumber = now.text == knownLastNumber_ && !keepUnreadable && !store_;
        SaveSettingsFile(settingsPath_, settings, writeLastNumber, /*clearSeries=*/true);
        if (writeLastNumber) {
            knownLastNumber_ = QString::number(settings.LastNumber);
            lastNumberUnreadable_ = false;
        }
    });
}

// --- printer calibration ---------------------------------------------------------------

