#include "widgets/EditDragDrop.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

namespace dragdrop {

QString FirstLine(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\r') || text[i] == QLatin1Char('\n'))
            return text.left(i);
    }
    return text;
}

DropPlan PlanDrop(int dropPos, bool fromThisField, bool copy, int selStart, int selLength,
                  int valueStart, int valueEnd)
{
    DropPlan plan;
    int pos = std::clamp(dropPos, valueStart, std::max(valueStart, valueEnd));
    const int selEnd = selStart + selLength;
    if (fromThisField && selLength > 0) {
        if (pos > selStart && pos < selEnd) {
            plan.ignored = true;
            return plan;
        }
        if (!copy) {
            plan.removeFrom = selStart;
            plan.removeCount = selLength;
            if (pos >= selEnd)
                pos -= selLength;
        }
    }
    plan.insertAt = pos;
    return plan;
}

Selection AfterClick(Selection current, int valueStart, int valueEnd)
{
    if (current.length == 0 && current.start < valueStart)
        return {valueStart, std::max(0, valueEnd - valueStart)};
    const int start = std::clamp(current.start, valueStart, std::max(valueStart, valueEnd));
    const int end = std::clamp(current.start + current.length, start, std::max(start, valueEnd));
    return {start, end - start};
}

} // namespace dragdrop

namespace {

// QLineEdit keeps this much space between its contents rectangle and the text.
constexpr int kLineEditHorizontalMargin = 2;

} // namespace

TEditDragDrop::TEditDragDrop(QLineEdit* edit)
    : QObject(edit)
    , edit_(edit)
    , marker_(new QWidget(edit))
{
    marker_->setAttribute(Qt::WA_TransparentForMouseEvents);
    marker_->setAutoFillBackground(true);
    marker_->hide();
    edit_->setAcceptDrops(false);
    edit_->setDragEnabled(false);
    edit_->installEventFilter(this);
}

void TEditDragDrop::SetDropTarget(bool on)
{
    dropTarget_ = on;
    edit_->setAcceptDrops(on);
}

void TEditDragDrop::SetDropSource(bool on)
{
    // Our own drag, not the edit's: that one offers only a copy. A move inside the field
    // is done by the drop below, a move elsewhere by RemoveDragged.
    dropSource_ = on;
}

bool TEditDragDrop::InSelection(const QPoint& pos) const
{
    if (!edit_->hasSelectedText())
        return false;
    const int at = edit_->cursorPositionAt(pos);
    const int start = edit_->selectionStart();
    return at >= start && at < start + int(edit_->selectedText().size()); // as the line edit judges it
}

bool TEditDragDrop::Mouse(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (event->button() != Qt::LeftButton)
            return false;
        pressAt_ = pos;
        moved_ = dragged_ = false;
        // Pressing inside the selection keeps it: it may be dragged away.
        pressInSelection_ = dropSource_ && edit_->hasFocus() && InSelection(pos);
        return pressInSelection_;
    case QEvent::MouseMove:
        if (!(event->buttons() & Qt::LeftButton))
            return false;
        if ((pos - pressAt_).manhattanLength() >= QApplication::startDragDistance())
            moved_ = true;
        if (!pressInSelection_)
            return dragged_;
        if (moved_) {
            pressInSelection_ = false;
            dragged_ = true;
            StartDrag();
        }
        return true;
    case QEvent::MouseButtonRelease:
        if (event->button() != Qt::LeftButton)
            return false;
        if (dragged_) {
            dragged_ = false;
            return true; // the drag had the gesture
        }
        if (pressInSelection_) {
            // No drag after all: a click puts the caret where it was clicked.
            pressInSelection_ = false;
            edit_->setCursorPosition(edit_->cursorPositionAt(pos));
        }
        return false; // the field finishes the click
    default:
        return false;
    }
}

void TEditDragDrop::StartDrag()
{
    const int start = edit_->selectionStart();
    const int length = int(edit_->selectedText().size());
    auto* data = new QMimeData;
    data->setText(edit_->selectedText());
    auto* drag = new QDrag(edit_);
    drag->setMimeData(data);
    const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    // A move into this field was done by its own drop; Control held means a copy.
    const bool copyHeld = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    if (action == Qt::MoveAction && !copyHeld && drag->target() != edit_ && RemoveDragged)
        RemoveDragged(start, length);
}

void TEditDragDrop::ShowMarker(int pos)
{
    markerPos_ = pos;
    const QFontMetrics metrics(edit_->font());
    const QString shown = edit_->displayText();
    QStyleOptionFrame option;
    option.initFrom(edit_);
    option.lineWidth = edit_->hasFrame() ? edit_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit_) : 0;
    QRect text = edit_->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit_);
    text = text.marginsRemoved(edit_->textMargins());
    int left = text.left() + kLineEditHorizontalMargin;
    const int textWidth = metrics.horizontalAdvance(shown);
    const Qt::Alignment h = QStyle::visualAlignment(edit_->layoutDirection(), edit_->alignment()) & Qt::AlignHorizontal_Mask;
    if (h & Qt::AlignRight)
        left = text.right() - kLineEditHorizontalMargin - textWidth;
    else if (h & Qt::AlignHCenter)
        left = text.left() + (text.width() - textWidth) / 2;
    const int x = left + metrics.horizontalAdvance(shown.left(pos));
    const int top = text.top() + (text.height() - metrics.height()) / 2;
    QPalette pal = marker_->palette();
    pal.setColor(QPalette::Window, edit_->palette().color(QPalette::Text));
    marker_->setPalette(pal);
    marker_->setGeometry(x, top, 1, metrics.height());
    marker_->show();
    marker_->raise();
}

void TEditDragDrop::HideMarker()
{
    markerPos_ = -1;
    marker_->hide();
}

bool TEditDragDrop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != edit_)
        return QObject::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove || type == QEvent::MouseButtonRelease)
        return Mouse(static_cast<QMouseEvent*>(event));
    if (!dropTarget_)
        return QObject::eventFilter(watched, event);
    switch (type) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!drag->mimeData()->hasText() || edit_->isReadOnly()) {
            drag->ignore();
            return true;
        }
        // A move wherever the source allows one, from this field or another; Control copies.
        const bool move = (drag->possibleActions() & Qt::MoveAction) && !(drag->modifiers() & Qt::ControlModifier);
        drag->setDropAction(move ? Qt::MoveAction : Qt::CopyAction);
        drag->accept();
        const auto [valueStart, valueEnd] = ValueRange();
        ShowMarker(std::clamp(edit_->cursorPositionAt(drag->position().toPoint()), valueStart, valueEnd));
        return true;
    }
    case QEvent::DragLeave:
        HideMarker();
        return true;
    case QEvent::Drop:
        HideMarker();
        Drop(static_cast<QDropEvent*>(event));
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

void TEditDragDrop::Drop(QDropEvent* event)
{
    const QString text = dragdrop::FirstLine(event->mimeData()->text());
    if (text.isEmpty() || edit_->isReadOnly()) {
        event->ignore();
        return;
    }
    const bool fromThis = event->source() == edit_;
    const bool copy = event->modifiers() & Qt::ControlModifier;
    const auto [valueStart, valueEnd] = ValueRange();
    const int selStart = edit_->hasSelectedText() ? edit_->selectionStart() : edit_->cursorPosition();
    const int selLength = int(edit_->selectedText().size());
    const dragdrop::DropPlan plan = dragdrop::PlanDrop(edit_->cursorPositionAt(event->position().toPoint()),
                                                       fromThis, copy, selStart, selLength, valueStart, valueEnd);
    if (plan.ignored) {
        event->ignore();
        return;
    }
    QString windowText = edit_->text();
    windowText.remove(plan.removeFrom, plan.removeCount);
    windowText.insert(plan.insertAt, text);
    if (!AcceptDrop(windowText, plan.insertAt, text)) {
        event->ignore();
        return;
    }
    event->setDropAction(!copy && (event->possibleActions() & Qt::MoveAction) ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
}
