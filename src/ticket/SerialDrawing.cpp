#include "ticket/SerialDrawing.h"

#include "platform/Exception.h"
#include "platform/Geometry.h"
#include "platform/Printer.h"
#include "ticket/Barcode.h"

#include <QGuiApplication>
#include <QPalette>

#include <QCoreApplication>
#include <QPainter>


namespace serial {

qint32 AddWrapping(qint32 a, qint32 b)
{
    // Unsigned arithmetic wraps by definition; the conversion back is modular in C++20.
    return static_cast<qint32>(static_cast<quint32>(a) + static_cast<quint32>(b));
}

qint32 SerialNumber(qint32 start, qint32 pageIndex, qint32 step)
{
    return ticket::NthSerial(start, qint64(AddWrapping(pageIndex, -1)), qMax(1, step));
}

QString NumberText(qint32 number, int digits) { return ticket::NumberText(number, digits); }

QString SerialText(const QString& prefix, qint32 start, qint32 pageIndex, const QString& suffix, int digits)
{
    return prefix + NumberText(SerialNumber(start, pageIndex), digits) + suffix;
}

QString SerialText(const SerialPage& page, qint32 pageIndex) { return SerialText(page, page.StartingNumber, pageIndex); }

QString SerialText(const SerialPage& page, qint32 start, qint32 pageIndex)
{
    return ticket::SerialParts(page.Prefix, SerialNumber(start, pageIndex, page.Step), page.Suffix, page.Digits, page.Check, page.CheckSeparator,
                               page.Letters, page.LetterSeparator).text;
}

qint64 RunNumbers(const SerialPage& page, qint64 count) { return qMax<qint64>(1, count) * qMax(1, page.Step); }

QString ItemValue(const SerialPage& page, const ticket::TTicketItem& item, int pageIndex, int copy)
{
    std::optional<ticket::TCopyPart> part;
    if (copy > 0 || !page.PartNames.isEmpty())
        part = ticket::TCopyPart { qMax(1, copy), page.PartNames.value(qMax(1, copy) - 1) };
    // {serial} is the serial as the two positions print it.
    const ticket::TSerialParts parts
        = ticket::SerialParts(page.Prefix, SerialNumber(page.StartingNumber, pageIndex, page.Step), page.Suffix, page.Digits, page.Check, page.CheckSeparator,
                               page.Letters, page.LetterSeparator);
    const qint32 number = SerialNumber(page.StartingNumber, pageIndex, page.Step);
    const ticket::TDataRow row { page.Data.get(), qsizetype(qint64(number) - page.DataFirst) };
    return ticket::ItemText(item.Text, parts.text, parts.number, parts.check, ticket::BookPlace(number, page.BookSize, page.BookFirst), part,
                            page.Data ? &row : nullptr);
}

QString ItemError(int index, const QString& problem)
{
    return QCoreApplication::translate("SerialDrawing", "Item %1: %2").arg(index + 3).arg(problem);
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
    const QString text = SerialText(page, pageIndex);
    const QPoint at = TextPoint(job, horizontalInches, verticalInches);
    const TBrushStyle cell = canvas.Brush().Style();
    if (page.OnArtwork)
        canvas.Brush().SetStyle(bsClear);
    canvas.TextOut(at.x(), at.y(), text);
    if (!page.Mark.isEmpty()) {
        const QPoint after = canvas.PenPos();
        canvas.Font().SetSize(MarkSize(page.Font));
        canvas.TextOut(after.x(), after.y(), QLatin1Char(' ') + page.Mark);
        canvas.Font().SetSize(page.Font.Size);
    }
    canvas.Brush().SetStyle(cell);
}

// The items of one ticket whose top-left corner is at (ticketLeft, ticketTop) inches.
void drawItems(TCustomPrintJob& job, TCanvas& canvas, int pageIndex, const SerialPage& page, double ticketLeft,
               double ticketTop, ticket::TBarcodeAhead* ahead, int copy = 0)
{
    if (page.Items.isEmpty())
        return;
    QPainter* painter = canvas.Painter();
    const TBrushStyle cell = canvas.Brush().Style();
    for (int index = 0; index < page.Items.size(); ++index) {
        const ticket::TTicketItem& item = page.Items[index];
        const QString text = ItemValue(page, item, pageIndex, copy);
        // The items stand on the same paper as the numbers, out by the same calibration.
        const QPoint at = TextPoint(job, ticketLeft + item.Left + page.Offset.x(), ticketTop + item.Top + page.Offset.y());
        if (item.Kind == ticket::TItemKind::Barcode) {
            QString problem;
            const std::optional<ticket::TBarcodeShapes> shapes
                = ahead ? ahead->Encode(item.Symbology, text, item.HumanReadable, &problem)
                        : ticket::EncodeBarcode(item.Symbology, text, item.HumanReadable, &problem);
            const QRectF target(at, QSizeF(job.InchesToPixels(false, item.Width), job.InchesToPixels(true, item.Height)));
            if (shapes) {
                ticket::DrawBarcode(canvas, *shapes, item.Symbology, target, item.Rotation, page.Font.Name);
                continue;
            }
            if (!page.MarkUnencodable)
                throw Exception(ItemError(index, problem));
            // The preview says where the code would go and that it cannot.
            const QPen pen = painter->pen();
            const QBrush brush = painter->brush();
            const QTransform world = painter->worldTransform();
            QTransform turned;
            turned.translate(at.x(), at.y());
            turned.rotate(item.Rotation);
            painter->setWorldTransform(turned * world);
            QPen red(Qt::red, 2);
            red.setCosmetic(true);
            painter->setPen(red);
            painter->setBrush(Qt::NoBrush);
            const QRectF box(QPointF(0, 0), target.size());
            painter->drawRect(box);
            painter->drawLine(box.topLeft(), box.bottomRight());
            painter->drawLine(box.topRight(), box.bottomLeft());
            painter->setWorldTransform(world);
            painter->setPen(pen);
            painter->setBrush(brush);
            continue;
        }
        SerialFont font = page.Font;
        font.Name = item.Font.value_or(font.Name);
        font.Size = item.Size.value_or(font.Size);
        font.Bold = item.Bold.value_or(font.Bold);
        font.Italic = item.Italic.value_or(font.Italic);
        font.Color = item.Color.value_or(font.Color);
        ApplySerialFont(canvas.Font(), font);
        // An item is drawn on whatever lies under it: a text of its own, no cell.
        canvas.Brush().SetStyle(bsClear);
        const int width = item.Align == ticket::TAlign::Left ? 0 : canvas.TextWidth(text);
        const int shift = item.Align == ticket::TAlign::Right ? width : item.Align == ticket::TAlign::Center ? width / 2 : 0;
        if (item.Rotation == 0) {
            canvas.TextOut(at.x() - shift, at.y(), text);
            continue;
        }
        const QTransform world = painter->worldTransform();
        QTransform turned;
        turned.translate(at.x(), at.y());
        turned.rotate(item.Rotation);
        painter->setWorldTransform(turned * world);
        canvas.TextOut(-shift, 0, text);
        painter->setWorldTransform(world);
    }
    // The next ticket's serials are drawn in the serial font again, on their own cell.
    ApplySerialFont(canvas.Font(), page.Font);
    canvas.Brush().SetStyle(cell);
}

// The codes of ticket `pageIndex`, to be encoded while the page before it is written.
void queueCodes(ticket::TBarcodeAhead* ahead, const SerialPage& page, int pageIndex, int copy = 0)
{
    if (!ahead)
        return;
    for (const ticket::TTicketItem& item : page.Items)
        if (item.Kind == ticket::TItemKind::Barcode)
            ahead->Ahead(item.Symbology, ItemValue(page, item, pageIndex, copy), item.HumanReadable);
}

} // namespace

QList<QRect> SerialBoxes(TCustomPrintJob& job, TCanvas& canvas, int pageIndex, const SerialPage& page)
{
    ApplySerialFont(canvas.Font(), page.Font);
    const QString text = SerialText(page, pageIndex);
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
                    const SerialPage& page, ticket::TBarcodeAhead* ahead)
{
    if (area != daBody)
        return;
    ApplySerialFont(canvas.Font(), page.Font);
    drawOnce(job, canvas, pageIndex, page, page.HorizontalIndent, page.VerticalIndent);
    drawOnce(job, canvas, pageIndex, page, page.HorizontalIndent2, page.VerticalIndent2);
    drawItems(job, canvas, pageIndex, page, 0, 0, ahead);
}

ticket::TPageArea PageArea()
{
    const TDeviceCaps caps = Printer().DeviceCaps();
    if (caps.LogPixelsX <= 0 || caps.LogPixelsY <= 0)
        return {};
    const double x = caps.LogPixelsX;
    const double y = caps.LogPixelsY;
    return { QSizeF(caps.PhysicalWidth / x, caps.PhysicalHeight / y),
             QRectF(caps.PhysicalOffsetX / x, caps.PhysicalOffsetY / y, caps.HorzRes / x, caps.VertRes / y) };
}

void DrawSerialSheet(TCustomPrintJob& job, TCanvas& canvas, qint64 printedSheet, TDrawArea area,
                     const SerialPage& page, const ticket::TSheetLayout& layout, const ticket::TSheetPlan& plan,
                     const ticket::TPageArea& pageArea, ticket::TBarcodeAhead* ahead)
{
    if (area != daBody)
        return;
    constexpr int kPagesAhead = 8;
    if (layout.IsDefault()) {
        // The page this program always printed, drawn by the same code.
        DrawSerialPage(job, canvas, int(printedSheet + 1), area, page, ahead);
        // The pages up to kPagesAhead on are queued already, but at the start.
        const int first = ahead && ahead->Pending() == 0 ? 1 : kPagesAhead;
        for (int next = first; next <= kPagesAhead && printedSheet + next < plan.PrintedSheets(); ++next)
            queueCodes(ahead, page, int(printedSheet + 1 + next));
        return;
    }
    ApplySerialFont(canvas.Font(), page.Font);
    // Copies of a sheet follow each other: the parts of a set, in order.
    const auto copyOf = [&layout](qint64 sheet) { return layout.Copies > 1 ? int(sheet % layout.Copies) + 1 : 0; };
    const QList<qint64> tickets = plan.OnSheet(plan.LogicalSheet(printedSheet));
    for (int slot = 0; slot < tickets.size(); ++slot) {
        if (tickets[slot] < 0)
            continue;
        const QRectF rect = ticket::SlotRect(layout, slot, pageArea);
        // The ticket counts as page ticket + 1 of the run: its serial is start + ticket.
        const int pageIndex = int(qint32(tickets[slot] + 1));
        drawOnce(job, canvas, pageIndex, page, rect.left() + page.HorizontalIndent, rect.top() + page.VerticalIndent);
        drawOnce(job, canvas, pageIndex, page, rect.left() + page.HorizontalIndent2, rect.top() + page.VerticalIndent2);
        drawItems(job, canvas, pageIndex, page, rect.left(), rect.top(), ahead, copyOf(printedSheet));
    }
    if (ahead && !page.Items.isEmpty() && printedSheet + 1 < plan.PrintedSheets())
        for (const qint64 next : plan.OnSheet(plan.LogicalSheet(printedSheet + 1)))
            if (next >= 0)
                queueCodes(ahead, page, int(qint32(next + 1)), copyOf(printedSheet + 1));
    // Where the calibrated printer puts the grid, as it puts the numbers.
    for (const QLineF& mark : ticket::CutMarkLines(layout, pageArea)) {
        const QPoint from = TextPoint(job, mark.x1() + page.Offset.x(), mark.y1() + page.Offset.y());
        const QPoint to = TextPoint(job, mark.x2() + page.Offset.x(), mark.y2() + page.Offset.y());
        canvas.MoveTo(from.x(), from.y());
        canvas.LineTo(to.x(), to.y());
    }
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

namespace {

constexpr quint32 kSystemColorBit = 0x80000000u;

struct SystemColor {
    int index;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The system colours a settings file may name, by their index, and where our palette
// keeps the same colour.
constexpr SystemColor kSystemColors[] = {
    { 4, QPalette::Active, QPalette::Window },           // menu
    { 5, QPalette::Active, QPalette::Base },             // window
    { 7, QPalette::Active, QPalette::WindowText },       // menu text
    { 8, QPalette::Active, QPalette::Text },             // window text
    { 13, QPalette::Active, QPalette::Highlight },       // highlight
    { 14, QPalette::Active, QPalette::HighlightedText }, // highlight text
    { 15, QPalette::Active, QPalette::Button },          // button face
    { 16, QPalette::Active, QPalette::Dark },            // button shadow
    { 17, QPalette::Disabled, QPalette::Text },          // grey text
    { 18, QPalette::Active, QPalette::ButtonText },      // button text
    { 20, QPalette::Active, QPalette::Light },           // button highlight
    { 21, QPalette::Active, QPalette::Shadow },          // dark 3D shadow
    { 22, QPalette::Active, QPalette::Midlight },        // 3D light
    { 23, QPalette::Active, QPalette::ToolTipText },     // tooltip text
    { 24, QPalette::Active, QPalette::ToolTipBase },     // tooltip background
};

} // namespace

int ColorToInt(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16);
}

QColor IntToColor(int value)
{
    const quint32 bits = quint32(value);
    if (bits & kSystemColorBit) {
        const int index = int(bits & 0xFFu);
        for (const SystemColor& system : kSystemColors)
            if (system.index == index && qGuiApp)
                return QGuiApplication::palette().color(system.group, system.role);
        return QColor(Qt::black);
    }
    return QColor(int(bits & 0xFFu), int((bits >> 8) & 0xFFu), int((bits >> 16) & 0xFFu));
}
