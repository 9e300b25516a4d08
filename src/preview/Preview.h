#pragma once

#include "preview/DrawPanel.h"
#include "preview/PreviewLayout.h"
#include "preview/ScrollBox.h"
#include "printjob/PrintJob.h"

#include <QColor>
#include <QList>
#include <QMetaObject>
#include <QWidget>

#include <functional>

class TCustomPreview;
class TCustomPreviewStatusBar;

using TPreviewNotifyEvent = std::function<void(TCustomPreview* Sender)>;
// Key set to 0 by the handler consumes the key.
using TPreviewKeyEvent =
    std::function<void(TCustomPreview* Sender, int& Key, Qt::KeyboardModifiers Shift)>;

// The print preview: shows one page of a bound print job as the printer will print it,
// fitted to the window (whole page, page width) or at a zoom in percent, with a drop
// shadow, scroll bars, drag scrolling and keyboard paging. The page is drawn by the job
// once per Update into a picture in printer pixels; painting only replays it.
class TCustomPreview : public QWidget, public IJobPreview {
    Q_OBJECT
public:
    explicit TCustomPreview(QWidget* parent = nullptr);
    ~TCustomPreview() override;

    // --- binding (not owned; undone from both sides when either is destroyed)
    TCustomPrintJob* PrintJob() const { return job_; }
    void SetPrintJob(TCustomPrintJob* job);

    // --- page shown, 1-based; every assignment reports through OnPageChanged
    int PageIndex() const { return pageIndex_; }
    void SetPageIndex(int index);

    TViewMode ViewMode() const { return viewMode_; }
    void SetViewMode(TViewMode mode);
    // A zoom in percent in vmCustom (10..1000); in the fitted modes the scale the last
    // layout produced.
    int ViewScale() const { return viewScale_; }
    void SetViewScale(int scale);

    QColor Color() const { return color_; }
    void SetColor(const QColor& color);
    QColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(const QColor& color);
    int ShadowSize() const { return shadowSize_; }
    void SetShadowSize(int size);
    bool ScrollTracking() const { return scrollTracking_; }
    void SetScrollTracking(bool on);
    bool DragScroll() const { return dragScroll_; }
    void SetDragScroll(bool on) { dragScroll_ = on; }
    TBorderStyle BorderStyle() const { return scrollBox_->BorderStyle(); }
    void SetBorderStyle(TBorderStyle style) { scrollBox_->SetBorderStyle(style); }
    bool Ctl3D() const { return scrollBox_->Ctl3D(); }
    void SetCtl3D(bool on) { scrollBox_->SetCtl3D(on); }
    QCursor Cursor() const;
    void SetCursor(const QCursor& cursor);

    TPreviewNotifyEvent OnUpdate;
    TPreviewNotifyEvent OnPageChanged;
    TPreviewKeyEvent OnKeyDown;
    TPreviewKeyEvent OnKeyUp;
    // Draws what lies under the page's drawing (artwork the numbers go on) straight onto
    // the target, at its resolution: `paper` is the whole paper's rectangle there. Set, the
    // page's recording leaves the paper clear and the panel fills it white first, so a
    // keystroke, which records the page again, never redraws this through the recording.
    using TPreviewUnderlayEvent = std::function<void(TCustomPreview* Sender, QPainter& painter, const QRect& paper)>;
    TPreviewUnderlayEvent OnDrawUnderlay;

    // Lays the page out for the view mode and records it afresh, then refreshes the
    // attached status bars and fires OnUpdate. Stops early (page hidden, nothing else
    // refreshed) without a job, without a printer, or for a page without area.
    void Update() override;
    // Repaints the page at once from the recorded picture; no layout, no drawing.
    void Repaint();

    // The navigation keys (Page Up/Down, Home, End, arrows, alone or with Ctrl); true
    // when the key was one of them and is consumed.
    bool CMChildKey(int key, Qt::KeyboardModifiers modifiers);

    // "Page 2 of 10", empty without a job; "Sheet 2 of 10" when each page of the job is
    // a sheet of several tickets, so that a count of sheets never reads as one of pages.
    QString PageText() const;
    bool PagesAreSheets() const { return pagesAreSheets_; }
    void SetPagesAreSheets(bool on);
    // "Whole page (26%)", "Page width (57%)" or "150%".
    QString ScaleText() const;

    void AddStatusBar(TCustomPreviewStatusBar* bar);
    void RemoveStatusBar(TCustomPreviewStatusBar* bar);
    const QList<TCustomPreviewStatusBar*>& StatusBars() const { return statusBars_; }

    TSpecialScrollBox* ScrollBox() const { return scrollBox_; }
    TDrawPanel* DrawPanel() const { return drawPanel_; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void BindJob(TCustomPrintJob* job, bool tellOldJob);
    bool Layout();
    void RenderPage();
    bool OfferKey(QEvent* event);

    TCustomPrintJob* job_ = nullptr;
    QMetaObject::Connection jobDestroyed_;
    QList<TCustomPreviewStatusBar*> statusBars_;
    TSpecialScrollBox* scrollBox_ = nullptr;
    TDrawPanel* drawPanel_ = nullptr;
    QColor color_{0x80, 0x80, 0x80};
    QColor shadowColor_{0x40, 0x40, 0x40};
    int shadowSize_ = 8;
    TViewMode viewMode_ = vmWholePage;
    int viewScale_ = 0;
    int pageIndex_ = 1;
    bool scrollTracking_ = false;
    bool dragScroll_ = false;
    bool pagesAreSheets_ = false;
};

// The preview as placed on a window; it adds nothing.
class TPreview : public TCustomPreview {
    Q_OBJECT
public:
    using TCustomPreview::TCustomPreview;
};
