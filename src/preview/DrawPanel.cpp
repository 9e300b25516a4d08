#include "preview/DrawPanel.h"

#include "platform/Printer.h"
#include "preview/Preview.h"
#include "preview/PreviewLayout.h"
#include "printjob/PrintJob.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

namespace {

const QColor PageColor = Qt::white;
const QColor BorderColor = Qt::black;

int DotsPerMeter(int dpi)
{
    return qRound(dpi / 0.0254);
}

} // namespace

TDrawPanel::TDrawPanel(TCustomPreview* preview, QWidget* parent)
    : QWidget(parent), preview_(preview)
{
    // The panel paints every pixel itself; the toolkit need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(8, 8, 46, 67);
}

void TDrawPanel::SetColor(const QColor& color)
{
    if (color == color_)
        return;
    color_ = color;
    update();
}

void TDrawPanel::SetPagePicture(QPicture picture, QSize paperSize)
{
    picture_ = std::move(picture);
    paperSize_ = paperSize;
    pageImageValid_ = false;
}

const QImage& TDrawPanel::PageImage(QSize size, const QRect& part)
{
    if (pageImageValid_ && pageImageScale_ == size && pageImageCorner_ == part.topLeft()
        && pageImage_.size() == part.size())
        return pageImage_;
    if (pageImage_.size() != part.size())
        pageImage_ = QImage(part.size(), QImage::Format_RGB32);
    pageImageValid_ = true;
    pageImageScale_ = size;
    pageImageCorner_ = part.topLeft();
    if (pageImage_.isNull())
        return pageImage_;
    // Replayed at the picture's own resolution: QPicture rescales fonts (sizes and
    // positions) by the target's resolution, so any other would move the text away
    // from where the printer puts it.
    pageImage_.setDotsPerMeterX(DotsPerMeter(picture_.logicalDpiX()));
    pageImage_.setDotsPerMeterY(DotsPerMeter(picture_.logicalDpiY()));
    const bool underlay = preview_ != nullptr && preview_->OnDrawUnderlay;
    if (picture_.isNull() || paperSize_.width() <= 0 || paperSize_.height() <= 0) {
        pageImage_.fill(PageColor);
    } else {
        // The recording starts by filling the whole paper, which covers the image, unless
        // an underlay is to show through it.
        if (underlay)
            pageImage_.fill(PageColor);
        QPainter painter(&pageImage_);
        if (underlay)
            preview_->OnDrawUnderlay(preview_, painter, QRect(-part.topLeft(), size));
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate(-part.left(), -part.top());
        painter.scale(double(size.width()) / paperSize_.width(),
                      double(size.height()) / paperSize_.height());
        painter.drawPicture(0, 0, picture_);
    }
    return pageImage_;
}

void TDrawPanel::DrawPicture(QPainter& painter, const QRect& page, const QRect& exposed)
{
    const QPaintDevice* device = painter.device();
    const bool sameResolution = device != nullptr
        && device->logicalDpiX() == picture_.logicalDpiX()
        && device->logicalDpiY() == picture_.logicalDpiY()
        && device->physicalDpiX() == picture_.physicalDpiX()
        && device->physicalDpiY() == picture_.physicalDpiY();
    if (!sameResolution || picture_.isNull() || paperSize_.width() <= 0
        || paperSize_.height() <= 0) {
        // Only what is exposed: a zoomed page can be far larger than the screen.
        const QRect visible = page.intersected(exposed);
        if (visible.isEmpty())
            return;
        painter.drawImage(visible.topLeft(),
                          PageImage(page.size(), visible.translated(-page.topLeft())));
        return;
    }
    // Same resolution as the recording: replay straight onto the target, which saves
    // a pass over the whole page.
    painter.save();
    painter.setClipRect(page, Qt::IntersectClip);
    if (preview_ != nullptr && preview_->OnDrawUnderlay) {
        painter.fillRect(page, PageColor);
        preview_->OnDrawUnderlay(preview_, painter, page);
    }
    painter.translate(page.topLeft());
    painter.scale(double(page.width()) / paperSize_.width(),
                  double(page.height()) / paperSize_.height());
    painter.drawPicture(0, 0, picture_);
    painter.restore();
}

void TDrawPanel::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    PaintPanel(painter, event->rect());
}

void TDrawPanel::PaintPanel(QPainter& painter, const QRect& exposed)
{
    const QRect area = exposed.isEmpty() ? rect() : exposed.intersected(rect());
    // Only what the page and its shadow leave uncovered gets the panel's colour.
    QRegion background(area);
    try {
        PaintPage(painter, background, area);
    } catch (...) {
        // Painting reports nothing; the next paint tries again.
    }
    for (const QRect& r : background)
        painter.fillRect(r, color_);
}

void TDrawPanel::PaintPage(QPainter& painter, QRegion& background, const QRect& exposed)
{
    if (preview_ == nullptr || preview_->PrintJob() == nullptr)
        return;
    TCustomPrintJob* job = preview_->PrintJob()->GetPageJob(preview_->PageIndex());
    // Hands the job's orientation to the printer before its quantities are read.
    job->UpdatePageSize();
    const int shadow = preview_->ShadowSize();
    const preview::TPageFrame frame =
        preview::PageFrame(width(), height(), shadow, Printer().DeviceCaps());
    const QRect page = frame.Page.ToQRect();

    if (shadow > 0) {
        const QRegion band = QRegion(shadow, shadow, width() - shadow, height() - shadow)
                                 .subtracted(QRegion(page));
        for (const QRect& r : band)
            painter.fillRect(r, preview_->ShadowColor());
        background -= band;
    }
    if (page.isEmpty())
        return;
    background -= page;

    DrawPicture(painter, page, exposed);

    // The printer cannot print outside its printable area, so neither does the preview;
    // the page border is drawn with the same clip, so a printable area reaching the
    // paper's edge hides the border there.
    const QRegion outside = QRegion(page).subtracted(QRegion(frame.Printable.ToQRect()));
    painter.save();
    painter.setClipRegion(outside);
    painter.fillRect(page.adjusted(1, 1, -1, -1), PageColor);
    painter.fillRect(QRect(page.left(), page.top(), page.width(), 1), BorderColor);
    painter.fillRect(QRect(page.left(), page.bottom(), page.width(), 1), BorderColor);
    painter.fillRect(QRect(page.left(), page.top(), 1, page.height()), BorderColor);
    painter.fillRect(QRect(page.right(), page.top(), 1, page.height()), BorderColor);
    painter.restore();
}

void TDrawPanel::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (preview_ == nullptr || !preview_->DragScroll())
        return;
    dragging_ = true;
    cursorBeforeDrag_ = cursor();
    setCursor(Qt::SizeAllCursor);
    const QPoint at = event->position().toPoint();
    grabX_ = at.x();
    grabY_ = at.y();
}

void TDrawPanel::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (!dragging_ || preview_ == nullptr)
        return;
    // The grab point is kept: the page moves under the pointer until a bar hits an end.
    const QPoint at = event->position().toPoint();
    TBoxScrollBar& h = preview_->ScrollBox()->HorzScrollBar();
    TBoxScrollBar& v = preview_->ScrollBox()->VertScrollBar();
    h.SetPosition(h.Position() - at.x() + grabX_);
    v.SetPosition(v.Position() - at.y() + grabY_);
}

void TDrawPanel::mouseReleaseEvent(QMouseEvent* event)
{
    EndDrag();
    if (preview_ != nullptr && event->button() == Qt::LeftButton
        && rect().contains(event->position().toPoint()))
        preview_->setFocus(Qt::MouseFocusReason);
    event->accept();
}

void TDrawPanel::hideEvent(QHideEvent* event)
{
    EndDrag();
    QWidget::hideEvent(event);
}

void TDrawPanel::EndDrag()
{
    if (!dragging_)
        return;
    dragging_ = false;
    setCursor(cursorBeforeDrag_);
}
