// Focus sequences, state colours on focus changes and the painting additions of TValueEdit.
#include "widgets/ValueEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

const QColor kEmptyTextColor(128, 128, 128); // grey
const QColor kErrorMarkerColor(Qt::red);
constexpr int kEmptyTextInset = 2;
constexpr int kMarkerStep = 3;      // horizontal step of the zig-zag
constexpr int kMarkerAmplitude = 3; // distance between its two heights
constexpr int kMarkerOverhang = 4;  // past the end of the text
constexpr int kLineEditHorizontalMargin = 2; // QLineEdit's own inner text margin

// Focus moves between controls of one window (not a window switch or a pop-up).
bool WithinWindow(const QFocusEvent* event)
{
    return event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
}

// A menu or the lookup list opening over the field, or closing again: the user is still
// editing, so neither is a focus loss or gain for the field's own sequences.
bool ForPopup(const QFocusEvent* event) { return event->reason() == Qt::PopupFocusReason; }

// The field that refused to be left and will take the focus back once the focus change
// under way is over. Until then the field that is passed through runs none of its own
// sequences: it never really got the focus.
QPointer<TValueEdit> reclaiming;

void SetLabelBold(QLabel* label, bool bold)
{
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
}

} // namespace

void TValueEdit::focusInEvent(QFocusEvent* event)
{
    if (ForPopup(event) || (reclaiming && reclaiming != this)) {
        QLineEdit::focusInEvent(event);
        return;
    }
    const int caret = cursorPosition();
    const bool hadSelection = hasSelectedText();
    QLineEdit::focusInEvent(event);
    // The line edit selects everything when tabbed into; without AutoSelect nothing is.
    if (!autoSelect_ && !hadSelection && hasSelectedText())
        setCursorPosition(caret);
    if (loading_)
        return;
    FocusReceived(event);
    if (WithinWindow(event) && reclaiming != this) // a field taking the focus back never left
        DoEnter();
}

void TValueEdit::focusOutEvent(QFocusEvent* event)
{
    if (loading_) {
        QLineEdit::focusOutEvent(event);
        return;
    }
    if (reclaiming && reclaiming != this) {
        QLineEdit::focusOutEvent(event);
        return;
    }
    if (ForPopup(event)) {
        HideLookup(QApplication::focusWidget());
        QLineEdit::focusOutEvent(event); // keeps the selection for the menu's actions
        return;
    }
    FocusLost(event);
    if (WithinWindow(event))
        DoExit();
}

void TValueEdit::FocusReceived(QFocusEvent* /*event*/)
{
    const QString value = Text();
    textAtFocus_ = value;
    if (!(errorState_ && showError_) && !showModified_) {
        ApplyBackground(focusColor_);
        if (FontColor() != focusFontColor_)
            normalFontColor_ = FontColor();
        if (!AddressDisplayed())
            ApplyFontColor(focusFontColor_);
    }
    if (autoSelect_) {
        SelectValue();
    } else if (editType_ == etFloat || editType_ == etMoney) {
        const int decimalAt = int(value.indexOf(FormatSettings::Current().DecimalSeparator));
        setCursorPosition(int(prefix_.size()) + std::max(0, decimalAt));
    }
    if (focusLabel_ && label_)
        SetLabelBold(label_, true);
    if (focusWidthInc_ > 0 && !aligningForFocus_)
        resize(width() + focusWidthInc_, height());
    if (focusAlign_ != editAlign_ && focusAlign_ != eaDefault) {
        alignBeforeFocus_ = editAlign_;
        aligningForFocus_ = true;
        SetEditAlign(focusAlign_);
        aligningForFocus_ = false;
    }
    if (!emptyText_.isEmpty() && value.isEmpty())
        update();
}

void TValueEdit::FocusLost(QFocusEvent* event)
{
    HideLookup(QApplication::focusWidget());
    if (!(errorState_ && showError_) && !showModified_) {
        ApplyBackground(normalColor_);
        if (!AddressDisplayed())
            ApplyFontColor(normalFontColor_);
    }
    if (focusLabel_ && label_)
        SetLabelBold(label_, false);
    const bool decimalType = editType_ == etFloat || editType_ == etMoney;
    if (decimalType && Text().isEmpty())
        SetAsFloat(0);
    // A decimal value always leaves the field with exactly Precision decimals.
    if (decimalType && precision_ > 0)
        Reformat();
    if (editType_ == etNumeric && Text().isEmpty())
        SetText(QStringLiteral("0"));
    ValidateValue(Text());
    QLineEdit::focusOutEvent(event);
    if (aligningForFocus_)
        return;
    if (focusWidthInc_ > 0)
        resize(width() - focusWidthInc_, height());
    if (alignBeforeFocus_ != editAlign_ && focusAlign_ != eaDefault)
        SetEditAlign(alignBeforeFocus_);
    if ((!emptyText_.isEmpty() && Text().isEmpty()) || errorMarkerLen_ > 0)
        update();
}

void TValueEdit::TakeFocusBack()
{
    if (reclaiming)
        return; // one field takes the focus back, once
    reclaiming = this;
    // Not from inside the focus change: the focus moves on first, then comes back here.
    QTimer::singleShot(0, this, [this] {
        if (reclaiming == this)
            setFocus(Qt::OtherFocusReason);
        reclaiming = nullptr;
    });
}

void TValueEdit::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TValueEdit::DoExit()
{
    if (OnExit)
        OnExit(this);
}

// --- painting --------------------------------------------------------------------------

void TValueEdit::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    PaintAdditions(painter);
    PaintAppearance(painter);
}

void TValueEdit::PaintAdditions(QPainter& painter)
{
    PaintEmptyText(painter);
    PaintErrorMarker(painter);
}

void TValueEdit::PaintEmptyText(QPainter& painter)
{
    if (!Text().isEmpty() || hasFocus() || emptyText_.isEmpty())
        return;
    painter.save();
    painter.setFont(QApplication::font()); // a fresh surface's font, not the field's
    painter.setPen(kEmptyTextColor);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.drawText(QRect(kEmptyTextInset, kEmptyTextInset, width() - kEmptyTextInset,
                           height() - kEmptyTextInset),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, emptyText_);
    painter.restore();
}

QRect TValueEdit::TextLineRect() const
{
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    QRect r = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this);
    const QMargins margins = textMargins();
    r = r.marginsRemoved(margins);
    const QFontMetrics metrics(font());
    const int top = r.y() + (r.height() - metrics.height() + 1) / 2;
    return {r.x() + kLineEditHorizontalMargin, top, r.width() - 2 * kLineEditHorizontalMargin,
            metrics.height()};
}

int TValueEdit::TextXAt(int windowPosition) const
{
    const QFontMetrics metrics(font());
    const QString shown = displayText();
    const QRect line = TextLineRect();
    const int textWidth = metrics.horizontalAdvance(shown);
    int left = line.left();
    if (editAlign_ == eaRight)
        left = line.right() + 1 - textWidth;
    else if (editAlign_ == eaCenter)
        left = line.left() + (line.width() - textWidth) / 2;
    return left + metrics.horizontalAdvance(shown.left(std::clamp(windowPosition, 0, int(shown.size()))));
}

void TValueEdit::PaintErrorMarker(QPainter& painter)
{
    if (hasFocus() || errorMarkerLen_ <= 0)
        return;
    const int length = int(displayText().size());
    const int first = std::max(0, errorMarkerPos_);
    const int last = errorMarkerPos_ + errorMarkerLen_ - 1;
    const int x1 = TextXAt(std::min(first, length));
    const int x2 = last < length ? TextXAt(last) : TextXAt(length) + kMarkerOverhang;
    const QRect line = TextLineRect();
    const int upper = std::min(line.bottom(), height() - 1 - kMarkerAmplitude);
    QPolygon zigzag;
    bool low = true;
    for (int x = x1; x < x2; x += kMarkerStep, low = !low)
        zigzag << QPoint(x, low ? upper + kMarkerAmplitude : upper);
    zigzag << QPoint(x2, low ? upper + kMarkerAmplitude : upper);
    painter.save();
    painter.setPen(QPen(kErrorMarkerColor, 2));
    painter.drawPolyline(zigzag);
    painter.restore();
}
