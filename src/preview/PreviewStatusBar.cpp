#include "preview/PreviewStatusBar.h"

#include "platform/Application.h"
#include "preview/Preview.h"

#include <QPaintEvent>
#include <QPainter>
#include <QSizeGrip>
#include <qdrawutil.h>

#include <algorithm>

namespace {

const int BarHeight = 19;
const int PartGap = 2;     // room between two parts
const int PartTop = 2;     // the frames start below the bar's top line
const int TextIndent = 3;

} // namespace

TCustomPreviewStatusBar::TCustomPreviewStatusBar(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setFixedHeight(BarHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    CreateGrip();
}

TCustomPreviewStatusBar::~TCustomPreviewStatusBar()
{
    if (preview_ != nullptr) {
        disconnect(previewDestroyed_);
        preview_->RemoveStatusBar(this);
    }
}

void TCustomPreviewStatusBar::SetPreview(TCustomPreview* preview)
{
    if (preview == preview_)
        return;
    if (preview_ != nullptr) {
        disconnect(previewDestroyed_);
        preview_->RemoveStatusBar(this);
    }
    preview_ = preview;
    if (preview_ != nullptr) {
        preview_->AddStatusBar(this);
        previewDestroyed_ = connect(preview_, &QObject::destroyed, this,
                                    [this] { PreviewDestroyed(); });
    }
    Update();
}

void TCustomPreviewStatusBar::PreviewDestroyed()
{
    // The preview is past its destructor: forget it without calling back.
    disconnect(previewDestroyed_);
    preview_ = nullptr;
    app::Guard([this] { Update(); });
}

void TCustomPreviewStatusBar::SetPanels(TPanels panels)
{
    if (panels == panels_)
        return;
    panels_ = panels;
    Update();
}

void TCustomPreviewStatusBar::SetPagePanelWidth(int width)
{
    if (width == pagePanelWidth_)
        return;
    pagePanelWidth_ = width;
    Update();
}

void TCustomPreviewStatusBar::SetScalePanelWidth(int width)
{
    if (width == scalePanelWidth_)
        return;
    scalePanelWidth_ = width;
    Update();
}

void TCustomPreviewStatusBar::SetUserText(const QString& text)
{
    if (text == userText_)
        return;
    userText_ = text;
    Update();
}

void TCustomPreviewStatusBar::SetHintText(const QString& text)
{
    if (text == hintText_)
        return;
    hintText_ = text;
    Update();
}

void TCustomPreviewStatusBar::SetSizeGrip(bool on)
{
    if (on == sizeGrip_)
        return;
    sizeGrip_ = on;
    CreateGrip();
    Update();
}

void TCustomPreviewStatusBar::CreateGrip()
{
    delete grip_;
    grip_ = nullptr;
    if (!sizeGrip_)
        return;
    grip_ = new QSizeGrip(this);
    PlaceGrip();
    grip_->show();
}

void TCustomPreviewStatusBar::PlaceGrip()
{
    if (grip_ == nullptr)
        return;
    const QSize size = grip_->sizeHint().boundedTo(QSize(height(), height()));
    grip_->setGeometry(width() - size.width(), height() - size.height(), size.width(),
                       size.height());
}

void TCustomPreviewStatusBar::Update()
{
    if (parentWidget() != nullptr && preview_ != nullptr) {
        QList<int> edges;
        QStringList texts;
        if (panels_.Contains(pnPage)) {
            edges.append(pagePanelWidth_);
            texts.append(preview_->PageText());
        }
        if (panels_.Contains(pnScale)) {
            // The scale part widens to show its whole text ("Page width (157%)" or a
            // longer translation); the user part moves right.
            const QString text = preview_->ScaleText();
            const int needed = fontMetrics().horizontalAdvance(text) + 2 * TextIndent + PartGap;
            edges.append(std::max(scalePanelWidth_, needed) + (edges.isEmpty() ? 0 : edges.first()));
            texts.append(text);
        }
        const int right = preview_->width();
        if (!hintText_.isEmpty()) {
            const int needed = fontMetrics().horizontalAdvance(hintText_) + 2 * TextIndent + PartGap;
            edges.append(std::max(edges.isEmpty() ? 0 : edges.last(), right - needed));
            texts.append(userText_);
            edges.append(right);
            texts.append(hintText_);
        } else {
            edges.append(right);
            texts.append(userText_);
        }
        edges_ = std::move(edges);
        texts_ = std::move(texts);
        update();
    }
    if (OnUpdate)
        OnUpdate(this);
}

QRect TCustomPreviewStatusBar::PartRect(int index) const
{
    if (index < 0 || index >= edges_.size())
        return QRect();
    const int left = index == 0 ? 0 : edges_.at(index - 1);
    const int right = std::min(edges_.at(index), width());
    return QRect(left, PartTop, std::max(0, right - left - PartGap), height() - PartTop);
}

void TCustomPreviewStatusBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::ButtonText));
    for (int i = 0; i < edges_.size(); ++i) {
        const QRect part = PartRect(i);
        if (part.width() <= 0)
            continue;
        qDrawShadePanel(&painter, part, palette(), true, 1);
        const QRect textRect = part.adjusted(TextIndent, 1, -TextIndent, -1);
        const QString text =
            painter.fontMetrics().elidedText(texts_.value(i), Qt::ElideRight, textRect.width());
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
    }
}

void TCustomPreviewStatusBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceGrip();
}
