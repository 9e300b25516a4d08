#include "app/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace icons {
namespace {

// Every picture is drawn on a 16 x 16 grid and scaled, so the larger pixmaps are not
// blown-up copies of the small one.
constexpr std::array<int, 5> kSizes { 16, 24, 32, 48, 64 };

const QColor kOutline(0x30, 0x30, 0x30);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kBody(0x9a, 0xa4, 0xae);
const QColor kArrow(0x1f, 0x6f, 0xc4);
const QColor kExit(0xc0, 0x39, 0x2b);
const QColor kText(0x24, 0x24, 0x24);

QPen outlinePen(const QColor& color = kOutline, qreal width = 1.0)
{
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void drawPage(QPainter& p, const QRectF& r)
{
    p.setPen(outlinePen());
    p.setBrush(kPaper);
    p.drawRect(r);
}

void drawPrinter(QPainter& p)
{
    drawPage(p, QRectF(4.5, 1.5, 7, 5));           // paper going in
    p.setPen(outlinePen());
    p.setBrush(kBody);
    p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
    drawPage(p, QRectF(4.5, 10.5, 7, 4));          // paper coming out
    p.setPen(outlinePen(kOutline, 0.8));
    p.drawLine(QPointF(6, 12.5), QPointF(10, 12.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3c, 0xb3, 0x71));
    p.drawEllipse(QPointF(12.3, 8.6), 0.9, 0.9);   // power light
}

void drawTriangle(QPainter& p, bool pointsRight, qreal left, qreal right)
{
    QPainterPath path;
    if (pointsRight) {
        path.moveTo(left, 3);
        path.lineTo(right, 8);
        path.lineTo(left, 13);
    } else {
        path.moveTo(right, 3);
        path.lineTo(left, 8);
        path.lineTo(right, 13);
    }
    path.closeSubpath();
    p.setPen(outlinePen(kArrow.darker(140)));
    p.setBrush(kArrow);
    p.drawPath(path);
}

void drawBar(QPainter& p, qreal x)
{
    p.setPen(outlinePen(kArrow.darker(140)));
    p.setBrush(kArrow);
    p.drawRect(QRectF(x, 3, 2, 10));
}

void drawExit(QPainter& p)
{
    p.setPen(outlinePen());
    p.setBrush(QColor(0xb0, 0x80, 0x50));
    p.drawRect(QRectF(2.5, 1.5, 7, 13));           // door
    p.setBrush(kOutline);
    p.drawEllipse(QPointF(8, 8), 0.6, 0.6);        // handle
    QPainterPath arrow;
    arrow.moveTo(7, 7);
    arrow.lineTo(11, 7);
    arrow.lineTo(11, 4.5);
    arrow.lineTo(15, 8);
    arrow.lineTo(11, 11.5);
    arrow.lineTo(11, 9);
    arrow.lineTo(7, 9);
    arrow.closeSubpath();
    p.setPen(outlinePen(kExit.darker(140)));
    p.setBrush(kExit);
    p.drawPath(arrow);
}

void drawDoubleArrow(QPainter& p, qreal y)
{
    p.setPen(outlinePen(kArrow, 1.4));
    p.drawLine(QPointF(3.5, y), QPointF(12.5, y));
    p.drawLine(QPointF(3.5, y), QPointF(5.5, y - 2));
    p.drawLine(QPointF(3.5, y), QPointF(5.5, y + 2));
    p.drawLine(QPointF(12.5, y), QPointF(10.5, y - 2));
    p.drawLine(QPointF(12.5, y), QPointF(10.5, y + 2));
}

void drawPageWidth(QPainter& p)
{
    drawPage(p, QRectF(1.5, 2.5, 13, 13));
    drawDoubleArrow(p, 8.5);
}

void drawWholePage(QPainter& p)
{
    drawPage(p, QRectF(3.5, 1.5, 9, 13));
    p.setPen(outlinePen(kArrow, 1.2));
    // Lines of text on a page seen entire.
    for (qreal y = 4.5; y < 12; y += 2)
        p.drawLine(QPointF(5.5, y), QPointF(10.5, y));
}

void drawFont(QPainter& p)
{
    // A capital A built from strokes, independent of the fonts installed.
    p.setPen(outlinePen(kText, 2.0));
    p.drawLine(QPointF(2.5, 14), QPointF(7, 2));
    p.drawLine(QPointF(7, 2), QPointF(11.5, 14));
    p.drawLine(QPointF(4.5, 9.5), QPointF(9.5, 9.5));
    p.setPen(outlinePen(kExit, 1.5));
    p.drawLine(QPointF(11.5, 14.5), QPointF(15, 14.5));
}

void drawPrintSetup(QPainter& p)
{
    drawPrinter(p);
    // A check list in front of the printer: the settings.
    p.setPen(outlinePen());
    p.setBrush(QColor(0xff, 0xf4, 0xc2));
    p.drawRect(QRectF(9.5, 8.5, 6, 7));
    p.setPen(outlinePen(kArrow, 1.0));
    p.drawLine(QPointF(11, 10.5), QPointF(14, 10.5));
    p.drawLine(QPointF(11, 12.5), QPointF(14, 12.5));
    p.drawLine(QPointF(11, 14.2), QPointF(13, 14.2));
}

void drawImage(QPainter& p, int index)
{
    switch (index) {
    case PrintImage: drawPrinter(p); break;
    case ExitImage: drawExit(p); break;
    case NextPageImage: drawTriangle(p, true, 5, 12); break;
    case PrevPageImage: drawTriangle(p, false, 4, 11); break;
    case FirstPageImage: drawBar(p, 2.5); drawTriangle(p, false, 6, 13); break;
    case LastPageImage: drawTriangle(p, true, 3, 10); drawBar(p, 11.5); break;
    case PageWidthImage: drawPageWidth(p); break;
    case WholePageImage: drawWholePage(p); break;
    case FontImage: drawFont(p); break;
    case PrintSetupImage: drawPrintSetup(p); break;
    default: break;
    }
}

QPixmap renderImage(int index, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    drawImage(painter, index);
    return pixmap;
}

} // namespace

QIcon ProgramIcon()
{
    // Rendered from the same drawing as the desktop's icon when the program is built.
    static const std::array<int, 7> sizes { 16, 24, 32, 48, 64, 128, 256 };
    QIcon icon;
    for (int size : sizes)
        icon.addFile(QStringLiteral(":/icons/program/%1.png").arg(size), QSize(size, size));
    return icon;
}

QIcon ImageListIcon(int index)
{
    if (index < 0 || index >= ImageCount)
        return {};
    QIcon icon;
    for (int size : kSizes)
        icon.addPixmap(renderImage(index, size));
    return icon;
}

} // namespace icons
