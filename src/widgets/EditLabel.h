#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where an input field's caption label stands relative to the field.
enum TLabelPosition {
    lpLeftTop,
    lpLeftCenter,
    lpLeftBottom,
    lpTopLeft,
    lpBottomLeft,
    lpLeftTopLeft,
    lpLeftCenterLeft,
    lpLeftBottomLeft,
    lpTopCenter,
    lpBottomCenter
};

namespace editlabel {

// Top-left corner of the label, in the coordinates of the field's parent.
// field: the field's geometry; label: the label's size; captionWidth: the caption
// measured in the label's font; margin: the gap (or, for the ...Left positions, the
// distance from the label's left edge to the field's left edge).
QPoint LabelTopLeft(TLabelPosition position, const QRect& field, const QSize& label,
                    int captionWidth, int margin);

} // namespace editlabel
