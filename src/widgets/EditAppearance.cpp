#include "widgets/EditAppearance.h"

#include <QPainter>
#include <QPen>

namespace appearance {

namespace {

const QString kScheme = QStringLiteral("://");
const QString kMailto = QStringLiteral("mailto:");
constexpr int kFlatLeft = 2;
constexpr int kFlatTop = 4;

QPen HairPen(const QColor& color)
{
    QPen pen(color);
    pen.setWidth(0); // cosmetic: one device pixel
    return pen;
}

// Outlines exactly the rectangle's border pixels (drawRect would reach one further).
void FramePixels(QPainter& painter, const QRect& r)
{
    painter.drawRect(r.adjusted(0, 0, -1, -1));
}

} // namespace

bool LooksLikeAddress(const QString& value)
{
    return value.contains(kScheme) || value.indexOf(QLatin1Char('@'), 1) >= 0;
}

QString AddressToOpen(const QString& value)
{
    const QString trimmed = value.trimmed();
    if (trimmed.contains(kScheme) || trimmed.startsWith(kMailto, Qt::CaseInsensitive))
        return trimmed;
    if (trimmed.indexOf(QLatin1Char('@'), 1) >= 0)
        return kMailto + trimmed;
    return trimmed;
}

int AddressSelectionStart(const QString& value)
{
    // A mail address may carry a web address in its body; the recipient comes first.
    const qsizetype mail = value.indexOf(kMailto);
    if (mail >= 0)
        return int(mail + kMailto.size());
    const qsizetype scheme = value.indexOf(kScheme);
    if (scheme >= 0)
        return int(scheme + kScheme.size());
    return 0;
}

QMargins FlatTextMargins()
{
    return QMargins(kFlatLeft, kFlatTop, kFlatLeft, kFlatTop);
}

QRect SoftBorderFrame(const QRect& field, const QRect& textRect)
{
    return QRect(QPoint(textRect.left() - kFlatLeft, textRect.top() - kFlatTop),
                 QPoint(field.right(), field.bottom()));
}

QLine FlatUnderline(const QRect& field, const QRect& textRect)
{
    return QLine(textRect.left() - kFlatLeft, field.bottom(), field.right(), field.bottom());
}

void PaintFlatLine(QPainter& painter, const QRect& field, const QRect& textRect, const QColor& color,
                   bool soft)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(HairPen(color));
    if (soft)
        painter.drawRect(SoftBorderFrame(field, textRect).adjusted(0, 0, -1, -1)); // pen covers the far edge
    else
        painter.drawLine(FlatUnderline(field, textRect));
    painter.restore();
}

void PaintFocusBorder(QPainter& painter, const QRect& field, bool highlighted, const BorderColors& colors)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    const QRect inner = field.adjusted(1, 1, -1, -1);
    if (highlighted) {
        painter.setPen(HairPen(colors.shadow));
        painter.drawLine(field.topLeft(), field.topRight());
        painter.drawLine(field.topLeft(), field.bottomLeft());
        painter.setPen(HairPen(colors.light));
        painter.drawLine(field.bottomLeft() + QPoint(1, 0), field.bottomRight());
        painter.drawLine(field.topRight() + QPoint(0, 1), field.bottomRight());
        painter.setPen(HairPen(colors.buttonFace));
        FramePixels(painter, inner);
    } else {
        painter.setPen(HairPen(colors.parent));
        FramePixels(painter, field);
        FramePixels(painter, inner);
    }
    painter.restore();
}

} // namespace appearance
