#pragma once

#include <QColor>
#include <QLine>
#include <QMargins>
#include <QPair>
#include <QRect>
#include <QString>

class QPainter;

// Appearance options of an input field and the state they need while it runs.
struct TEditAppearanceOptions {
    bool flat = false;
    QColor flatLineColor = Qt::black;
    bool flatParentColor = true;
    bool softBorder = false;
    bool focusBorder = false;
    bool autoFocus = false;
    bool transparent = false;
    bool showURL = false;
    QColor urlColor = Qt::blue;
    bool hintShowLargeText = false;

    bool hover = false;        // the mouse is over the field
    bool flatApplied = false;  // the flat look is in effect (not just stored)
    bool frameBeforeFlat = true;
    bool addressShown = false; // underlined, URL colour, hand cursor
    QColor fontColorBeforeAddress;
    QPair<QColor, QColor> colorsBeforeTransparent; // normal and focus background
};

// The drawing and text rules of those options, free of any widget.
namespace appearance {

// A value holding "://", or "@" after its first character, is shown as an address.
bool LooksLikeAddress(const QString& value);
// What the desktop is asked to open: the value itself, a bare mail address as "mailto:".
QString AddressToOpen(const QString& value);
// Where SelectValue starts in an address: after "mailto:", else after "://", else 0.
int AddressSelectionStart(const QString& value);

// The flat look insets the text 2 pixels left and right and 4 top and bottom.
QMargins FlatTextMargins();

// The soft border: from 2 pixels left of and 4 above the text rectangle to the field's
// right and bottom edges (last pixel included).
QRect SoftBorderFrame(const QRect& field, const QRect& textRect);
// The plain flat line: the bottom row, from 2 pixels left of the text to the right edge.
QLine FlatUnderline(const QRect& field, const QRect& textRect);
void PaintFlatLine(QPainter& painter, const QRect& field, const QRect& textRect, const QColor& color,
                   bool soft);

// Colours of the focus border.
struct BorderColors {
    QColor shadow;     // top and left of the sunken edge
    QColor light;      // bottom and right of the sunken edge
    QColor buttonFace; // the frame inside it
    QColor parent;     // both frames when not highlighted
};
// Highlighted (focused or hovered): a sunken one-pixel edge around the field and a
// button-face frame inside it; otherwise two frames in the parent's colour.
void PaintFocusBorder(QPainter& painter, const QRect& field, bool highlighted, const BorderColors& colors);

} // namespace appearance
