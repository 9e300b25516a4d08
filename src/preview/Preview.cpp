#include "preview/Preview.h"

#include "platform/Application.h"
#include "preview/PreviewStatusBar.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPicture>
#include <QResizeEvent>
#include <QScrollBar>

#include <algorithm>
#include <exception>

namespace {

// Replaces each %d by the next number and %% by a percent sign; anything else is kept
// as it stands, so a translation with a stray % cannot read beyond the arguments.
QString FormatNumbers(const QString& format, std::initializer_list<int> numbers)
{
    QString out;
    out.reserve(format.size() + 16);
    auto next = numbers.begin();
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'%' && i + 1 < format.size()) {
            const QChar directive = format.at(i + 1);
            if (directive == u'%') {
                out += u'%';
                ++i;
                continue;
            }
            if (directive == u'd' && next != numbers.end()) {
                out += QString::number(*next++);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace

TCustomPreview::TCustomPreview(QWidget* parent)
    : QWidget(parent)
{
    resize(100, 150);
    setFocusPolicy(Qt::StrongFocus);
    scrollBox_ = new TSpecialScrollBox(this);
    scrollBox_->setGeometry(rect());
    scrollBox_->SetColor(color_);
    scrollBox_->HorzScrollBar().SetIncrement(8);
    scrollBox_->VertScrollBar().SetIncrement(8);
    drawPanel_ = new TDrawPanel(this, scrollBox_->Content());
    drawPanel_->SetColor(color_);
    // Keys pressed on anything inside the preview are offered to the navigation first.
    QWidget* inside[] = {scrollBox_, scrollBox_->HorzScrollBar().Bar(),
                         scrollBox_->VertScrollBar().Bar(), drawPanel_};
    for (QWidget* w : inside)
        w->installEventFilter(this);
    Update();
}

TCustomPreview::~TCustomPreview()
{
    // Attached status bars learn of this through destroyed(); they do not call back.
    if (job_ != nullptr) {
        disconnect(jobDestroyed_);
        job_->RemovePreview(this);
    }
}

void TCustomPreview::SetPrintJob(TCustomPrintJob* job)
{
    if (job == job_)
        return;
    BindJob(job, true);
}

void TCustomPreview::BindJob(TCustomPrintJob* job, bool tellOldJob)
{
    if (job_ != nullptr) {
        disconnect(jobDestroyed_);
        // A job that is being destroyed is past its own destructor: only forget it.
        if (tellOldJob)
            job_->RemovePreview(this);
    }
    job_ = job;
    if (job_ != nullptr) {
        job_->AddPreview(this);
        jobDestroyed_ = connect(job_, &QObject::destroyed, this, [this] {
            app::Guard([this] { BindJob(nullptr, false); });
        });
    }
    SetPageIndex(1);
    drawPanel_->setVisible(job_ != nullptr);
    Update();
}

void TCustomPreview::SetPageIndex(int index)
{
    const int page = job_ != nullptr ? std::min(std::max(index, 1), job_->PageCount()) : 1;
    if (page != pageIndex_) {
        pageIndex_ = page;
        scrollBox_->HorzScrollBar().SetPosition(0);
        scrollBox_->VertScrollBar().SetPosition(0);
        Update();
    }
    if (OnPageChanged)
        OnPageChanged(this);
}

void TCustomPreview::SetViewMode(TViewMode mode)
{
    if (mode == viewMode_)
        return;
    viewMode_ = mode;
    SetViewScale(viewScale_);
    Update();
}

void TCustomPreview::SetViewScale(int scale)
{
    if (viewMode_ != vmCustom)
        return;
    scale = std::clamp(scale, preview::MinViewScale, preview::MaxViewScale);
    if (scale == viewScale_)
        return;
    viewScale_ = scale;
    Update();
}

void TCustomPreview::SetColor(const QColor& color)
{
    if (color == color_)
        return;
    color_ = color;
    scrollBox_->SetColor(color);
    drawPanel_->SetColor(color);
}

void TCustomPreview::SetShadowColor(const QColor& color)
{
    if (color == shadowColor_)
        return;
    shadowColor_ = color;
    drawPanel_->update();
}

void TCustomPreview::SetShadowSize(int size)
{
    size = std::clamp(size, 0, preview::MaxShadowSize);
    if (size == shadowSize_)
        return;
    shadowSize_ = size;
    Update();
}

void TCustomPreview::SetScrollTracking(bool on)
{
    if (on == scrollTracking_)
        return;
    scrollTracking_ = on;
    scrollBox_->HorzScrollBar().SetTracking(on);
    scrollBox_->VertScrollBar().SetTracking(on);
}

QCursor TCustomPreview::Cursor() const
{
    return drawPanel_ != nullptr ? drawPanel_->cursor() : QCursor();
}

void TCustomPreview::SetCursor(const QCursor& cursor)
{
    drawPanel_->setCursor(cursor);
}

void TCustomPreview::Update()
{
    if (job_ == nullptr || !job_->PrinterInstalled()) {
        drawPanel_->hide();
        return;
    }
    // Stored directly: a shrunken job moves the view without a page-change report.
    if (job_->PageCount() < pageIndex_)
        pageIndex_ = job_->PageCount();
    drawPanel_->SetColor(color_);

    bool shown = false;
    std::exception_ptr layoutError;
    try {
        shown = Layout();
    } catch (...) {
        layoutError = std::current_exception();
    }
    if (!shown && !layoutError) {
        drawPanel_->hide();
        return;
    }
    // The page is recorded even when the layout failed; the failure is reported after.
    RenderPage();
    if (layoutError)
        std::rethrow_exception(layoutError);

    for (TCustomPreviewStatusBar* bar : QList<TCustomPreviewStatusBar*>(statusBars_)) {
        try {
            bar->Update();
        } catch (...) {
            // One bar's failure does not keep the others stale.
        }
    }
    if (OnUpdate)
        OnUpdate(this);
}

bool TCustomPreview::Layout()
{
    TCustomPrintJob* page = job_->GetPageJob(pageIndex_);
    TBoxScrollBar& h = scrollBox_->HorzScrollBar();
    TBoxScrollBar& v = scrollBox_->VertScrollBar();
    preview::TLayoutInput in;
    in.Mode = viewMode_;
    in.ShadowSize = shadowSize_;
    in.ViewScale = viewScale_;
    in.Box = scrollBox_->Metrics();
    in.HorzRange = h.Range();
    in.VertRange = v.Range();
    in.PageWidthPx = page->ConvertUnits(page->PageUnits(), unPixels, page->PageWidth(), false,
                                        page->PhysicalPageWidth());
    in.PageHeightPx = page->ConvertUnits(page->PageUnits(), unPixels, page->PageHeight(), true,
                                         page->PhysicalPageHeight());
    in.ScreenPpi = logicalDpiX();
    in.PrinterDpiX = page->PrinterPixelsPerInchX();

    const preview::TLayoutResult out = preview::LayoutPage(in);
    if (!out.PageShown)
        return false;
    if (out.ResetScroll) {
        v.SetPosition(0);
        h.SetPosition(0);
    }
    scrollBox_->SetRanges(out.HorzRange, out.VertRange);
    drawPanel_->setGeometry(out.Panel);
    viewScale_ = out.ViewScale;
    return true;
}

void TCustomPreview::RenderPage()
{
    TCustomPrintJob* page = job_->GetPageJob(pageIndex_);
    page->UpdatePageSize();
    const int paperWidth = page->PhysicalPageWidth();
    const int paperHeight = page->PhysicalPageHeight();

    QPicture picture;
    std::exception_ptr drawError;
    {
        // Printer pixels, origin at the paper's corner.
        QPainter painter(&picture);
        TCanvas canvas(&painter);
        // With an underlay the panel fills the paper, and the underlay shows through.
        if (!OnDrawUnderlay)
            canvas.FillRect(TRect{0, 0, paperWidth, paperHeight});
        try {
            job_->DrawPage(&canvas, pageIndex_, dtPreview);
        } catch (...) {
            drawError = std::current_exception();
        }
        painter.end();
    }
    picture.setBoundingRect(QRect(0, 0, paperWidth, paperHeight));
    drawPanel_->SetPagePicture(std::move(picture), QSize(paperWidth, paperHeight));
    if (drawError)
        std::rethrow_exception(drawError);
    drawPanel_->update();
    drawPanel_->show();
}

void TCustomPreview::Repaint()
{
    drawPanel_->repaint();
}

QString TCustomPreview::PageText() const
{
    if (job_ == nullptr)
        return QString();
    return FormatNumbers(pagesAreSheets_ ? tr("Sheet %d of %d") : tr("Page %d of %d"), {pageIndex_, job_->PageCount()});
}

void TCustomPreview::SetPagesAreSheets(bool on)
{
    if (on == pagesAreSheets_)
        return;
    pagesAreSheets_ = on;
    for (TCustomPreviewStatusBar* bar : QList<TCustomPreviewStatusBar*>(statusBars_))
        bar->Update();
}

QString TCustomPreview::ScaleText() const
{
    switch (viewMode_) {
    case vmWholePage:
        return FormatNumbers(tr("Whole page (%d%%)"), {viewScale_});
    case vmPageWidth:
        return FormatNumbers(tr("Page width (%d%%)"), {viewScale_});
    case vmCustom:
        break;
    }
    return QString::number(viewScale_) + u'%';
}

void TCustomPreview::AddStatusBar(TCustomPreviewStatusBar* bar)
{
    if (bar != nullptr && !statusBars_.contains(bar))
        statusBars_.append(bar);
}

void TCustomPreview::RemoveStatusBar(TCustomPreviewStatusBar* bar)
{
    statusBars_.removeOne(bar);
}

void TCustomPreview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    scrollBox_->setGeometry(rect());
    scrollBox_->LayoutBars();
    app::Guard([this] { Update(); });
}

bool TCustomPreview::OfferKey(QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    bool handled = false;
    // A navigation key stays consumed even when the page turn it caused raised.
    app::Guard([&] {
        handled = true;
        handled = CMChildKey(key->key(), key->modifiers());
    });
    if (handled)
        event->accept();
    return handled;
}

bool TCustomPreview::event(QEvent* event)
{
    // Before the widget's own key handling (and OnKeyDown) sees the key.
    if (OfferKey(event))
        return true;
    return QWidget::event(event);
}

bool TCustomPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (OfferKey(event))
        return true;
    return QWidget::eventFilter(watched, event);
}

void TCustomPreview::keyPressEvent(QKeyEvent* event)
{
    int key = event->key();
    if (OnKeyDown)
        OnKeyDown(this, key, event->modifiers());
    if (key == 0) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TCustomPreview::keyReleaseEvent(QKeyEvent* event)
{
    int key = event->key();
    if (OnKeyUp)
        OnKeyUp(this, key, event->modifiers());
    if (key == 0) {
        event->accept();
        return;
    }
    QWidget::keyReleaseEvent(event);
}
