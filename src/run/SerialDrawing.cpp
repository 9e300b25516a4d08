#include "run/SerialDrawing.h"

#include "run/SettingsFile.h"
#include "platform/Geometry.h"

namespace serial {

qint32 AddWrapping(qint32 a, qint32 b)
{
    // Unsigned arithmetic wraps by definition; the conversion back is modular in C++20.
    return static_cast<qint32>(static_cast<quint32>(a) + static_cast<quint32>(b));
}

qint32 SerialNumber(qint32 start, qint32 pageIndex)
{
    return AddWrapping(start, AddWrapping(pageIndex, -1));
}

QString NumberText(qint32 number, int digits)
{
    if (digits <= 0)
        return QString::number(number);
    const qint64 magnitude = number < 0 ? -qint64(number) : qint64(number);
    const int width = number < 0 ? digits - 1 : digits;
    const QString padded = QStringLiteral("%1").arg(magnitude, qMax(0, width), 10, QLatin1Char('0'));
    return number < 0 ? QLatin1Char('-') + padded : padded;
}

QString SerialText(const QString& prefix, qint32 start, qint32 pageIndex, const QString& suffix, int digits)
{
    return prefix + NumberText(SerialNumber(start, pageIndex), digits) + suffix;
}

QPoint DevicePoint(double xPixels, double yPixels)
{
    return QPoint(RoundHalfEven(xPixels), RoundHalfEven(yPixels));
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
    font.SetColor(IntToColor(serialFont.Color));
}

namespace {

QPoint TextPoint(TCustomPrintJob& job, double horizontalInches, double verticalInches)
{
    // Held within the positions a page can have, so no pixel count overflows; a print
    // refuses such a position before it starts (the print room's limits).
    horizontalInches = qBound(-kMaxPosition, horizontalInches, kMaxPosition);
    verticalInches = qBound(-kMaxPosition, verticalInches, kMaxPosition);
    return DevicePoint(job.InchesToPixels(false, horizontalInches), job.InchesToPixels(true, verticalInches));
}

// The mark goes after the serial at half its size, top-aligned with it.
int MarkSize(const SerialFont& font) { return qMax(1, font.Size / 2); }

void drawOnce(TCustomPrintJob& job, TCanvas& canvas, int pageIndex, const SerialPage& page,
              double horizontalInches, double verticalInches)
{
    const QString text = SerialText(page.Prefix, page.StartingNumber, pageIndex, page.Suffix, page.Digits);
    const QPoint at = TextPoint(job, horizontalInches, verticalInches);
    canvas.TextOut(at.x(), at.y(), text);
    if (page.Mark.isEmpty())
        return;
    const QPoint after = canvas.PenPos();
    canvas.Font().SetSize(MarkSize(page.Font));
    canvas.TextOut(after.x(), after.y(), QLatin1Char(' ') + page.Mark);
    canvas.Font().SetSize(page.Font.Size);
}

} // namespace

QList<QRect> SerialBoxes(TCustomPrintJob& job, TCanvas& canvas, int pageIndex, const SerialPage& page)
{
    ApplySerialFont(canvas.Font(), page.Font);
    const QString text = SerialText(page.Prefix, page.StartingNumber, pageIndex, page.Suffix, page.Digits);
    QSize size = canvas.TextExtent(text);
    if (!page.Mark.isEmpty()) {
        canvas.Font().SetSize(MarkSize(page.Font));
        const QSize mark = canvas.TextExtent(QLatin1Char(' ') + page.Mark);
        canvas.Font().SetSize(page.Font.Size);
        size = QSize(size.width() + mark.width(), qMax(size.height(), mark.height()));
    }
    return { QRect(TextPoint(job, page.HorizontalIndent, page.VerticalIndent), size),
             QRect(TextPoint(job, page.HorizontalIndent2, page.VerticalIndent2), size) };
}

void DrawSerialPage(TCustomPrintJob& job, TCanvas& canvas, int pageIndex, TDrawArea area,
                    const SerialPage& page)
{
    if (area != daBody)
        return;
    ApplySerialFont(canvas.Font(), page.Font);
    drawOnce(job, canvas, pageIndex, page, page.HorizontalIndent, page.VerticalIndent);
    drawOnce(job, canvas, pageIndex, page, page.HorizontalIndent2, page.VerticalIndent2);
}

void ConfigureJob(TPrintJob& job, TDrawEvent onDraw)
{
    constexpr double kMargin = 0.158; // inches, every side
    // The job's stored settings, in the order its design lists them.
    job.BeginLoading();
    job.SetMultiDoc(false);
    job.SetPageCount(1);
    TMargins margins;
    margins.SetLeft(kMargin);
    margins.SetTop(kMargin);
    margins.SetRight(kMargin);
    margins.SetBottom(kMargin);
    job.SetMargins(margins);
    job.SetMarginsUnits(unInches);
    job.SetMarginsError(meAutoFix);
    job.SetHeaderUnits(unPixels);
    job.SetFooterUnits(unPixels);
    job.SetPageMode(pmDefault);
    job.SetPageWidth(8.5);
    job.SetPageHeight(11);
    job.SetPageUnits(unInches);
    job.SetOrientation(orDefault);
    job.SetOptions({});
    job.SetRelativeCoords(false);
    job.OnDraw = std::move(onDraw);
    job.Loaded();
}

} // namespace serial
