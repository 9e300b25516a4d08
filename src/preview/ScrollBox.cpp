#include "preview/ScrollBox.h"

#include <QCoreApplication>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

int TBoxScrollBar::Position() const
{
    return bar_->value();
}

void TBoxScrollBar::SetPosition(int position)
{
    // The bar's maximum is kept at Range minus the visible extent, so this clamps.
    bar_->setValue(position);
}

void TBoxScrollBar::SetIncrement(int increment)
{
    increment_ = std::max(1, increment);
    bar_->setSingleStep(increment_);
}

bool TBoxScrollBar::IsVisible() const
{
    return !bar_->isHidden();
}

bool TBoxScrollBar::Tracking() const
{
    return bar_->hasTracking();
}

void TBoxScrollBar::SetTracking(bool tracking)
{
    bar_->setTracking(tracking);
}

TSpecialScrollBox::TSpecialScrollBox(QWidget* parent)
    : QFrame(parent),
      viewport_(new QWidget(this)),
      content_(new QWidget(viewport_)),
      corner_(new QWidget(this)),
      horz_(new QScrollBar(Qt::Horizontal, this)),
      vert_(new QScrollBar(Qt::Vertical, this))
{
    for (TBoxScrollBar* sb : {&horz_, &vert_}) {
        sb->bar_->setFocusPolicy(Qt::NoFocus);
        sb->bar_->setRange(0, 0);
        sb->bar_->setSingleStep(sb->increment_);
        sb->bar_->setTracking(false);
        sb->bar_->hide();
        connect(sb->bar_, &QScrollBar::valueChanged, this, [this] { PlaceContent(); });
    }
    corner_->setAutoFillBackground(true);
    corner_->hide();
    viewport_->setAutoFillBackground(true);
    content_->setAutoFillBackground(true);
    SetColor(color_);
    UpdateFrame();
}

void TSpecialScrollBox::SetRanges(int horzRange, int vertRange)
{
    horzRange = std::max(0, horzRange);
    vertRange = std::max(0, vertRange);
    if (horzRange == horz_.range_ && vertRange == vert_.range_)
        return;
    horz_.range_ = horzRange;
    vert_.range_ = vertRange;
    LayoutBars();
}

preview::TBoxMetrics TSpecialScrollBox::Metrics() const
{
    const QRect inner = contentsRect();
    return preview::TBoxMetrics{inner.width(), inner.height(), width(),
                                style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this)};
}

int TSpecialScrollBox::ClientWidth() const
{
    return preview::BoxClient(Metrics(), horz_.range_, vert_.range_).Width;
}

int TSpecialScrollBox::ClientHeight() const
{
    return preview::BoxClient(Metrics(), horz_.range_, vert_.range_).Height;
}

void TSpecialScrollBox::SetColor(const QColor& color)
{
    color_ = color;
    for (QWidget* w : {viewport_, content_}) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, color);
        w->setPalette(pal);
    }
}

void TSpecialScrollBox::SetBorderStyle(TBorderStyle style)
{
    if (style == borderStyle_)
        return;
    borderStyle_ = style;
    UpdateFrame();
}

void TSpecialScrollBox::SetCtl3D(bool on)
{
    if (on == ctl3D_)
        return;
    ctl3D_ = on;
    UpdateFrame();
}

void TSpecialScrollBox::UpdateFrame()
{
    if (borderStyle_ == bsNone) {
        setFrameStyle(QFrame::NoFrame);
    } else if (ctl3D_) {
        setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    } else {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
    }
    LayoutBars();
}

void TSpecialScrollBox::LayoutBars()
{
    if (laying_)
        return;
    laying_ = true;
    const QRect inner = contentsRect();
    const preview::TBoxMetrics metrics = Metrics();
    const preview::TBoxClient client = preview::BoxClient(metrics, horz_.range_, vert_.range_);
    const int e = metrics.ScrollBarExtent;

    viewport_->setGeometry(inner.x(), inner.y(), client.Width, client.Height);
    horz_.bar_->setGeometry(inner.x(), inner.y() + client.Height, client.Width, e);
    vert_.bar_->setGeometry(inner.x() + client.Width, inner.y(), e, client.Height);
    horz_.bar_->setVisible(client.HorzBar);
    vert_.bar_->setVisible(client.VertBar);
    corner_->setGeometry(inner.x() + client.Width, inner.y() + client.Height, e, e);
    corner_->setVisible(client.HorzBar && client.VertBar);

    horz_.bar_->setPageStep(std::max(1, client.Width));
    vert_.bar_->setPageStep(std::max(1, client.Height));
    // Positions stay within 0..Range - visible extent.
    horz_.bar_->setRange(0, std::max(0, horz_.range_ - client.Width));
    vert_.bar_->setRange(0, std::max(0, vert_.range_ - client.Height));
    laying_ = false;
    PlaceContent();
}

void TSpecialScrollBox::PlaceContent()
{
    if (laying_)
        return;
    const int w = std::max(horz_.range_, viewport_->width());
    const int h = std::max(vert_.range_, viewport_->height());
    content_->setGeometry(-horz_.bar_->value(), -vert_.bar_->value(), w, h);
}

void TSpecialScrollBox::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    LayoutBars();
}

void TSpecialScrollBox::wheelEvent(QWheelEvent* event)
{
    QScrollBar* target = vert_.IsVisible() ? vert_.bar_
        : horz_.IsVisible()                  ? horz_.bar_
                                             : nullptr;
    if (target == nullptr) {
        event->ignore();
        return;
    }
    QCoreApplication::sendEvent(target, event);
}
