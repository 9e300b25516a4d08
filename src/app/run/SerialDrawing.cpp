#include "app/run/SerialDrawing.h"

#include "app/run/SettingsFile.h"
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

QString SerialText(const QString& prefix, qint32 start, qint32 pageIndex, const QString& suffix)
{
    return prefix + QString::number(SerialNumber(start, pageIndex)) + suffix;
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
