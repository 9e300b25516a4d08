// The input field's appearance options, address display, large-text hint and drag and drop.
#include "widgets/ValueEdit.h"

#include "platform/Shell.h"
#include "widgets/EditDragDrop.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace {

QColor ParentColor(const QWidget* field)
{
    const QWidget* parent = field->parentWidget();
    return parent ? parent->palette().color(parent->backgroundRole()) : field->palette().color(QPalette::Window);
}

} // namespace

void TValueEdit::InitAppearance()
{
    dragDrop_ = new TEditDragDrop(this); // drops are off until OleDropTarget
    dragDrop_->ValueRange = [this] {
        const int start = int(prefix_.size());
        return std::pair<int, int>(start, start + int(Text().size()));
    };
    dragDrop_->AcceptDrop = [this](const QString& windowText, int insertAt, const QString& dropped) {
        return TakeDrop(windowText, insertAt, dropped);
    };
    dragDrop_->RemoveDragged = [this](int start, int length) {
        // Only the value can go, and only as far as the field's type allows, as for a cut.
        const int valueStart = int(prefix_.size());
        const int valueEnd = valueStart + int(Text().size());
        const int from = std::clamp(start, valueStart, valueEnd);
        const int to = std::clamp(start + length, from, valueEnd);
        if (to == from || isReadOnly())
            return;
        const EditSnapshot before = Snapshot();
        setSelection(from, to - from);
        del();
        SetModifiedState(true);
        RestoreIfBroken(before);
        UpdateLookupList();
    };
}

bool TValueEdit::TakeDrop(const QString& windowText, int insertAt, const QString& dropped)
{
    // A drop is typed text too: it must give a value the field's type accepts.
    const QString value = windowText.mid(prefix_.size(), windowText.size() - prefix_.size() - suffix_.size());
    const std::optional<QString> accepted = InsertedValue(value, dropped, true);
    if (!accepted)
        return false;
    SetInsertedValue(*accepted);
    setCursorPosition(std::min(insertAt + int(dropped.size()), int(prefix_.size() + Text().size())));
    SetModifiedState(true);
    UpdateLookupList();
    return true;
}

// --- flat look ---------------------------------------------------------------------------

void TValueEdit::SetFlat(bool value)
{
    if (appearance_.flat == value)
        return;
    appearance_.flat = value;
    if (!loading_)
        ApplyFlat(value);
}

void TValueEdit::ApplyFlat(bool on)
{
    if (appearance_.flatApplied == on)
        return;
    appearance_.flatApplied = on;
    if (on) {
        normalColor_ = Color();
        appearance_.frameBeforeFlat = hasFrame();
        if (appearance_.flatParentColor) {
            const QColor parentColor = ParentColor(this);
            ApplyBackground(parentColor);
            focusColor_ = parentColor;
        }
        setFrame(false);
        setTextMargins(appearance::FlatTextMargins());
    } else {
        ApplyBackground(normalColor_);
        setFrame(appearance_.frameBeforeFlat);
        setTextMargins(QMargins());
    }
    update();
}

void TValueEdit::LoadedAppearance()
{
    if (appearance_.flat)
        ApplyFlat(true);
}

void TValueEdit::SetFlatLineColor(const QColor& color)
{
    appearance_.flatLineColor = color;
    update();
}

void TValueEdit::SetFlatParentColor(bool value)
{
    appearance_.flatParentColor = value;
    update();
}

void TValueEdit::SetSoftBorder(bool value)
{
    if (appearance_.softBorder == value)
        return;
    appearance_.softBorder = value;
    update();
}

void TValueEdit::SetFocusBorder(bool value)
{
    appearance_.focusBorder = value;
    update();
}

void TValueEdit::SetTransparent(bool value)
{
    if (appearance_.transparent == value)
        return;
    appearance_.transparent = value;
    // The parent paints under a transparent base; every repaint shows it afresh. The
    // focus colour would cover it again, so it goes transparent as well meanwhile.
    setAutoFillBackground(false);
    if (value) {
        appearance_.colorsBeforeTransparent = {normalColor_, focusColor_};
        normalColor_ = focusColor_ = QColor(Qt::transparent);
    } else {
        normalColor_ = appearance_.colorsBeforeTransparent.first;
        focusColor_ = appearance_.colorsBeforeTransparent.second;
    }
    ApplyBackground(hasFocus() ? focusColor_ : normalColor_);
    update();
}

void TValueEdit::PaintAppearance(QPainter& painter)
{
    const bool highlighted = hasFocus() || appearance_.hover;
    const appearance::BorderColors colors{palette().color(QPalette::Dark), palette().color(QPalette::Light),
                                          palette().color(QPalette::Button), ParentColor(this)};
    if (appearance_.flatApplied) {
        if (appearance_.focusBorder)
            appearance::PaintFocusBorder(painter, rect(), highlighted, colors);
        else
            appearance::PaintFlatLine(painter, rect(), rect().marginsRemoved(textMargins()),
                                      appearance_.flatLineColor, appearance_.softBorder);
    } else if (appearance_.focusBorder && highlighted) {
        appearance::PaintFocusBorder(painter, rect(), true, colors);
    }
}

// --- mouse -------------------------------------------------------------------------------

void TValueEdit::enterEvent(QEnterEvent* event)
{
    QLineEdit::enterEvent(event);
    appearance_.hover = true;
    if (appearance_.autoFocus)
        setFocus(Qt::MouseFocusReason);
    if (appearance_.focusBorder)
        update();
}

void TValueEdit::leaveEvent(QEvent* event)
{
    QLineEdit::leaveEvent(event);
    appearance_.hover = false;
    update();
}

void TValueEdit::mouseReleaseEvent(QMouseEvent* event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    // The caret never rests in the prefix or past the value.
    const int valueStart = int(prefix_.size());
    const dragdrop::Selection now{hasSelectedText() ? selectionStart() : cursorPosition(),
                                  hasSelectedText() ? selectionLength() : 0};
    const dragdrop::Selection fixed = dragdrop::AfterClick(now, valueStart, valueStart + int(Text().size()));
    if (!(fixed == now)) {
        if (fixed.length > 0)
            setSelection(fixed.start, fixed.length);
        else
            setCursorPosition(fixed.start);
    }
    // Opening is for a click; a drag that selected part of the address opens nothing.
    if (hasFocus() && appearance_.addressShown && dragDrop_->ReleaseIsClick())
        shell::Open(appearance::AddressToOpen(Text()), this);
}

bool TValueEdit::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && appearance_.hintShowLargeText) {
        const int textWidth = fontMetrics().horizontalAdvance(text());
        if (textWidth > rect().marginsRemoved(textMargins()).width()) {
            // The whole text, where the field stands.
            QToolTip::showText(mapToGlobal(QPoint(0, 0)), text(), this);
            return true;
        }
    }
    return QLineEdit::event(event);
}

// --- addresses ---------------------------------------------------------------------------

void TValueEdit::SetShowURL(bool value)
{
    if (appearance_.showURL == value)
        return;
    appearance_.showURL = value;
    UpdateAddressDisplay();
}

void TValueEdit::SetURLColor(const QColor& color)
{
    appearance_.urlColor = color;
    if (appearance_.addressShown)
        ApplyFontColor(color);
}

bool TValueEdit::AddressDisplayed() const
{
    return appearance_.addressShown;
}

void TValueEdit::UpdateAddressDisplay()
{
    const bool show = appearance_.showURL && appearance::LooksLikeAddress(Text());
    if (show == appearance_.addressShown)
        return;
    appearance_.addressShown = show;
    QFont underlined = font();
    underlined.setUnderline(show);
    setFont(underlined);
    if (show) {
        appearance_.fontColorBeforeAddress = FontColor();
        ApplyFontColor(appearance_.urlColor);
        setCursor(Qt::PointingHandCursor);
    } else {
        // A focus change while the address showed may have taken the link colour for
        // the normal one; the colour from before the address is the real one.
        if (normalFontColor_ == appearance_.urlColor)
            normalFontColor_ = appearance_.fontColorBeforeAddress;
        const bool stateColours = showModified_ || (errorState_ && showError_);
        ApplyFontColor(hasFocus() && !stateColours ? focusFontColor_ : normalFontColor_);
        setCursor(Qt::IBeamCursor);
    }
}

int TValueEdit::ValueSelectionStart(const QString& value) const
{
    return appearance_.showURL ? appearance::AddressSelectionStart(value) : 0;
}

// --- drag and drop -----------------------------------------------------------------------

bool TValueEdit::OleDropTarget() const { return dragDrop_->DropTarget(); }
void TValueEdit::SetOleDropTarget(bool value) { dragDrop_->SetDropTarget(value); }
bool TValueEdit::OleDropSource() const { return dragDrop_->DropSource(); }
void TValueEdit::SetOleDropSource(bool value) { dragDrop_->SetDropSource(value); }
