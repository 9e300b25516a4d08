#include "app/SerialDrawing.h"

#include "platform/Geometry.h"

namespace serial {

qint32 SerialNumber(qint32 start, qint32 pageIndex)
{
    // Unsigned arithmetic wraps by definition; the conversion back is modular in C++20.
    const quint32 sum = static_cast<quint32>(start) + static_cast<quint32>(pageIndex) - 1u;
    return static_cast<qint32>(sum);
}

QString SerialText(const QString& prefix, qint32 start, qint32 pageIndex, const QString& suffix)
{
    return prefix + QString::number(SerialNumber(start, pageIndex)) + suffix;
}

QPoint DevicePoint(double xPixels, double yPixels)
{
    return QPoint(RoundHalfEven(xPixels), RoundHalfEven(yPixels));
}

QColor ColorFromValue(qint32 value)
{
    if (value < 0)
        return QColor(Qt::black);
    return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
}

qint32 ColorValue(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return rgb.red() + 256 * rgb.green() + 65536 * rgb.blue();
}

void ApplySerialFont(TFont& font, const SerialFont& serialFont)
{
    font.SetName(serialFont.Name);
    font.SetSize(serialFont.Size);
    TFontStyles style;
    if (serialFont.Bold)
        style |= fsBold;
    if (serialFont.Italic)
        style |= fsItalic;
    if (serialFont.Underline)
        style |= fsUnderline;
    if (serialFont.StrikeOut)
        style |= fsStrikeOut;
    font.SetStyle(style);
    font.SetColor(ColorFromValue(serialFont.Color));
}

namespace {
void drawOnce(TCustomPrintJob& job, TCanvas& canvas, int pageIndex, const SerialPage& page,
              double horizontalInches, double verticalInches)
{
    const QString text = SerialText(page.Prefix, page.StartingNumber, pageIndex, page.Suffix);
    const QPoint at = DevicePoint(job.InchesToPixels(false, horizontalInches),
                                  job.InchesToPixels(true, verticalInches));
    canvas.TextOut(at.x(), at.y(), text);
}
} // namespace

void DrawSerialPage(TCustomPrintJob& job, TCanvas& canvas, int pageIndex, TDrawArea area,
                    const SerialPage& page)
{
    if (area != daBody)
        return;
    ApplySerialFont(canvas.Font(), page.Font);
    drawOnce(job, canvas, pageIndex, page, page.HorizontalIndent, page.VerticalIndent);
    drawOnce(job, canvas, pageIndex, page, page.HorizontalIndent2, page.VerticalIndent2);
}

} // namespace serial
