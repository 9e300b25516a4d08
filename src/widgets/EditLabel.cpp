#include "widgets/EditLabel.h"

#include "widgets/ValueEdit.h"

#include <QFontMetrics>
#include <QLabel>

namespace editlabel {

QPoint LabelTopLeft(TLabelPosition position, const QRect& field, const QSize& label,
                    int captionWidth, int margin)
{
    const int l = field.left();
    const int t = field.top();
    const int w = field.width();
    const int h = field.height();
    const int lw = label.width();
    const int lh = label.height();
    // C++ division truncates toward zero, as the halves must.
    switch (position) {
    case lpLeftTop:
        return {l - captionWidth - margin, t};
    case lpLeftCenter:
        return {l - captionWidth - margin, t + (h - lh) / 2};
    case lpLeftBottom:
        return {l - captionWidth - margin, t + h - lh};
    case lpTopLeft:
        return {l, t - lh - margin};
    case lpBottomLeft:
        return {l, t + h + margin};
    case lpLeftTopLeft:
        return {l - margin, t};
    case lpLeftCenterLeft:
        return {l - margin, t + (h - lh) / 2};
    case lpLeftBottomLeft:
        return {l - margin, t + h - lh};
    case lpTopCenter:
        return {l + (w - lw) / 2, t - lh - margin};
    case lpBottomCenter:
        return {l + (w - lw) / 2, t + h + margin};
    }
    return {l, t};
}

} // namespace editlabel

// --- the field's caption label ---------------------------------------------------------

QString TValueEdit::LabelCaption() const { return label_ ? label_->text() : QString(); }

void TValueEdit::SetLabelCaption(const QString& caption)
{
    if (!label_) {
        label_ = new QLabel(parentWidget());
        label_->setBuddy(this); // an accelerator in the caption focuses the field
        label_->setFont(labelFont_);
        label_->setEnabled(isEnabled() || labelAlwaysEnabled_);
    }
    label_->setText(caption);
    UpdateLabel();
}

void TValueEdit::SetLabelPosition(TLabelPosition value)
{
    labelPosition_ = value;
    if (label_)
        UpdateLabel();
}

void TValueEdit::SetLabelMargin(int value)
{
    labelMargin_ = value;
    if (label_)
        UpdateLabel();
}

void TValueEdit::SetLabelFont(const QFont& font)
{
    labelFont_ = font;
    if (label_)
        UpdateLabel();
}

void TValueEdit::SetLabelTransparent(bool value)
{
    labelTransparent_ = value;
    if (label_)
        UpdateLabel();
}

void TValueEdit::SetLabelAlwaysEnabled(bool value)
{
    labelAlwaysEnabled_ = value;
    if (value && label_)
        label_->setEnabled(true);
    update();
}

void TValueEdit::UpdateLabel()
{
    if (!label_)
        return;
    label_->setAutoFillBackground(!labelTransparent_);
    // The font goes first so that the label is placed by the size it will have; a
    // focused field keeps its label bold through moves and resizes.
    QFont font = labelFont_;
    if (focusLabel_ && hasFocus())
        font.setBold(true);
    label_->setFont(font);
    label_->adjustSize();
    const int captionWidth = QFontMetrics(label_->font()).horizontalAdvance(label_->text());
    label_->move(editlabel::LabelTopLeft(labelPosition_, geometry(), label_->size(), captionWidth,
                                         labelMargin_));
    // A label without a parent would become a window of its own.
    if (label_->parentWidget())
        label_->setVisible(parentWidget() ? isVisibleTo(parentWidget()) : isVisible());
}

void TValueEdit::setVisible(bool visible)
{
    QLineEdit::setVisible(visible);
    if (label_ && label_->parentWidget())
        label_->setVisible(visible);
}
