#include "ticket/SheetLayout.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include <QStringList>

namespace ticket {

namespace {

qint64 CeilDiv(qint64 a, qint64 b) { return (a + b - 1) / b; }

} // namespace

QString OrderName(TOrder order)
{
    switch (order) {
    case TOrder::Rows: return QStringLiteral("rows");
    case TOrder::Columns: return QStringLiteral("columns");
    case TOrder::Stack: return QStringLiteral("stack");
    }
    return {};
}

std::optional<TOrder> ParseOrder(const QString& text)
{
    for (const TOrder order : { TOrder::Rows, TOrder::Columns, TOrder::Stack })
        if (text.trimmed().compare(OrderName(order), Qt::CaseInsensitive) == 0)
            return order;
    return std::nullopt;
}

QString OriginName(TOrigin origin)
{
    return origin == TOrigin::Paper ? QStringLiteral("paper") : QStringLiteral("printable");
}

std::optional<TOrigin> ParseOrigin(const QString& text)
{
    for (const TOrigin origin : { TOrigin::Printable, TOrigin::Paper })
        if (text.trimmed().compare(OriginName(origin), Qt::CaseInsensitive) == 0)
            return origin;
    return std::nullopt;
}

TSheetLayout Bounded(TSheetLayout l)
{
    const auto size = [](double v) { return std::isfinite(v) ? std::clamp(v, -kMaxSize, kMaxSize) : 0.0; };
    l.Columns = std::clamp(l.Columns, 1, kMaxGrid);
    l.Rows = std::clamp(l.Rows, 1, kMaxGrid);
    l.Copies = std::clamp(l.Copies, 1, kMaxCopies);
    l.Left = size(l.Left);
    l.Top = size(l.Top);
    // A ticket of no width or height is sized from the printable area; a negative one is no ticket.
    l.Width = std::max(0.0, size(l.Width));
    l.Height = std::max(0.0, size(l.Height));
    l.GapX = size(l.GapX);
    l.GapY = size(l.GapY);
    l.StackDepth = std::max(0, l.StackDepth);
    l.FirstSlot = std::clamp(l.FirstSlot, 1, l.Slots());
    return l;
}

const QList<TSheetField>& SheetFields()
{
    using K = TSheetField::Kind;
    static const QList<TSheetField> fields {
        { "Columns", nullptr, -1, K::Integer, &TSheetLayout::Columns },
        { "Rows", nullptr, -1, K::Integer, &TSheetLayout::Rows },
        { "Left", "left", 6, K::Inches, nullptr, &TSheetLayout::Left },
        { "Top", "top", 7, K::Inches, nullptr, &TSheetLayout::Top },
        { "Width", "width", 8, K::Inches, nullptr, &TSheetLayout::Width },
        { "Height", "height", 9, K::Inches, nullptr, &TSheetLayout::Height },
        { "GapX", "gapx", 10, K::Inches, nullptr, &TSheetLayout::GapX },
        { "GapY", "gapy", 11, K::Inches, nullptr, &TSheetLayout::GapY },
        { "Order", "order", 0, K::Order },
        { "StackDepth", "depth", 1, K::Integer, &TSheetLayout::StackDepth },
        { "Copies", "copies", 2, K::Integer, &TSheetLayout::Copies },
        { "Reverse", "reverse", 3, K::Bool, nullptr, nullptr, &TSheetLayout::Reverse },
        { "FirstSlot", "first", 4, K::Integer, &TSheetLayout::FirstSlot },
        { "CutMarks", "marks", 5, K::Bool, nullptr, nullptr, &TSheetLayout::CutMarks },
        // Last, and only where it is the paper: every text made before it stays as it was.
        { "Origin", "origin", 12, K::Origin },
    };
    return fields;
}

QString LayoutText(const TSheetLayout& l)
{
    // The grid, then every value that is not the default, in the text's own order.
    const TSheetLayout d;
    QList<const TSheetField*> inText;
    for (const TSheetField& field : SheetFields())
        if (field.word)
            inText << &field;
    std::sort(inText.begin(), inText.end(), [](const TSheetField* a, const TSheetField* b) { return a->textOrder < b->textOrder; });
    QStringList parts { QStringLiteral("%1x%2").arg(l.Columns).arg(l.Rows) };
    for (const TSheetField* f : inText) {
        const QString word = QLatin1String(f->word);
        switch (f->kind) {
        case TSheetField::Kind::Bool:
            if (l.*f->flag)
                parts << word;
            break;
        case TSheetField::Kind::Integer:
            if (l.*f->integer != d.*f->integer)
                parts << word + QLatin1Char('=') + QString::number(l.*f->integer);
            break;
        case TSheetField::Kind::Inches:
            if (l.*f->inches != 0)
                parts << word + QLatin1Char('=') + QString::number(l.*f->inches, 'g', 12);
            break;
        case TSheetField::Kind::Order:
            if (l.Order != d.Order)
                parts << word + QLatin1Char('=') + OrderName(l.Order);
            break;
        case TSheetField::Kind::Origin:
            if (l.Origin != d.Origin)
                parts << word + QLatin1Char('=') + OriginName(l.Origin);
            break;
        }
    }
    return parts.join(QLatin1Char(' '));
}

std::optional<TSheetLayout> ParseLayoutText(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return std::nullopt;
    TSheetLayout l;
    const QStringList grid = parts[0].split(QLatin1Char('x'));
    bool ok = grid.size() == 2;
    if (ok) {
        bool rowsOk = false;
        l.Columns = grid[0].toInt(&ok);
        l.Rows = grid[1].toInt(&rowsOk);
        ok = ok && rowsOk;
    }
    for (qsizetype i = 1; ok && i < parts.size(); ++i) {
        const QString key = parts[i].section(QLatin1Char('='), 0, 0);
        const QString value = parts[i].section(QLatin1Char('='), 1);
        const auto field = std::find_if(SheetFields().begin(), SheetFields().end(), [&key](const TSheetField& f) {
            return f.word && key == QLatin1String(f.word);
        });
        if (field == SheetFields().end()) {
            ok = false;
            break;
        }
        switch (field->kind) {
        case TSheetField::Kind::Bool:
            ok = parts[i] == key; // a flag is its word alone
            l.*field->flag = true;
            break;
        case TSheetField::Kind::Integer: l.*field->integer = value.toInt(&ok); break;
        case TSheetField::Kind::Inches: l.*field->inches = value.toDouble(&ok); break;
        case TSheetField::Kind::Order: {
            const std::optional<TOrder> order = ParseOrder(value);
            ok = order.has_value();
            l.Order = order.value_or(TOrder::Rows);
            break;
        }
        case TSheetField::Kind::Origin: {
            const std::optional<TOrigin> origin = ParseOrigin(value);
            ok = origin.has_value();
            l.Origin = origin.value_or(TOrigin::Printable);
            break;
        }
        }
    }
    if (!ok)
        return std::nullopt;
    return Bounded(l);
}

TSheetPlan::TSheetPlan(const TSheetLayout& layout, qint64 tickets)
    : layout_(layout)
    , tickets_(std::max<qint64>(0, tickets))
{
    layout_.Columns = std::max(1, layout_.Columns);
    layout_.Rows = std::max(1, layout_.Rows);
    layout_.Copies = std::max(1, layout_.Copies);
    const qint64 perSheet = layout_.Slots();
    if (layout_.Order == TOrder::Stack) {
        layout_.FirstSlot = 1;
        const qint64 needed = CeilDiv(tickets_, perSheet);
        blockSheets_ = layout_.StackDepth > 0 ? std::min<qint64>(layout_.StackDepth, std::max<qint64>(needed, 1)) : std::max<qint64>(needed, 1);
        const qint64 perBlock = blockSheets_ * perSheet;
        const qint64 full = tickets_ / perBlock;
        sheets_ = full * blockSheets_ + CeilDiv(tickets_ - full * perBlock, perSheet);
    } else {
        layout_.FirstSlot = std::clamp(layout_.FirstSlot, 1, int(perSheet));
        sheets_ = tickets_ > 0 ? CeilDiv(tickets_ + layout_.FirstSlot - 1, perSheet) : 0;
    }
}

qint64 TSheetPlan::LogicalSheet(qint64 printedSheet) const
{
    const qint64 printed = PrintedSheets();
    if (layout_.Reverse)
        printedSheet = printed - 1 - printedSheet;
    return printedSheet / layout_.Copies;
}

TSheetPlan::TPlace TSheetPlan::Place(qint64 ticket) const
{
    const qint64 perSheet = layout_.Slots();
    if (layout_.Order == TOrder::Stack) {
        // Ticket t of a block of S sheets lies on sheet t mod S, in slot t div S: cut,
        // each slot's pile holds S tickets in a row, and the piles follow each other.
        const qint64 perBlock = blockSheets_ * perSheet;
        const qint64 block = ticket / perBlock;
        const qint64 inBlock = ticket % perBlock;
        const qint64 blockTickets = std::min(perBlock, tickets_ - block * perBlock);
        const qint64 blockSheets = CeilDiv(blockTickets, perSheet);
        return { block * blockSheets_ + inBlock % blockSheets, int(inBlock / blockSheets) };
    }
    const qint64 position = ticket + layout_.FirstSlot - 1;
    const int inSheet = int(position % perSheet);
    if (layout_.Order == TOrder::Columns) {
        // Down the first column, then the next.
        const int row = inSheet % layout_.Rows;
        const int column = inSheet / layout_.Rows;
        return { position / perSheet, row * layout_.Columns + column };
    }
    return { position / perSheet, inSheet };
}

QList<qint64> TSheetPlan::OnSheet(qint64 logicalSheet) const
{
    const int perSheet = layout_.Slots();
    QList<qint64> tickets(perSheet, -1);
    if (logicalSheet < 0 || logicalSheet >= sheets_)
        return tickets;
    if (layout_.Order == TOrder::Stack) {
        const qint64 perBlock = blockSheets_ * perSheet;
        const qint64 block = logicalSheet / blockSheets_;
        const qint64 sheetInBlock = logicalSheet % blockSheets_;
        const qint64 blockTickets = std::min(perBlock, tickets_ - block * perBlock);
        const qint64 blockSheets = CeilDiv(blockTickets, perSheet);
        for (int slot = 0; slot < perSheet; ++slot) {
            const qint64 inBlock = slot * blockSheets + sheetInBlock;
            if (sheetInBlock < blockSheets && inBlock < blockTickets)
                tickets[slot] = block * perBlock + inBlock;
        }
        return tickets;
    }
    for (int slot = 0; slot < perSheet; ++slot) {
        const int row = slot / layout_.Columns;
        const int column = slot % layout_.Columns;
        const int inSheet = layout_.Order == TOrder::Columns ? column * layout_.Rows + row : slot;
        const qint64 ticket = logicalSheet * perSheet + inSheet - (layout_.FirstSlot - 1);
        if (ticket >= 0 && ticket < tickets_)
            tickets[slot] = ticket;
    }
    return tickets;
}

QList<std::pair<qint64, qint64>> TSheetPlan::NotOut(qint64 printedSheets) const
{
    std::vector<int> copiesOut(size_t(sheets_), 0);
    for (qint64 p = 0; p < std::min(printedSheets, PrintedSheets()); ++p)
        ++copiesOut[size_t(LogicalSheet(p))];
    QList<std::pair<qint64, qint64>> ranges;
    for (qint64 t = 0; t < tickets_; ++t) {
        if (copiesOut[size_t(Place(t).sheet)] >= layout_.Copies)
            continue;
        if (!ranges.isEmpty() && ranges.last().second == t - 1)
            ranges.last().second = t;
        else
            ranges.append({ t, t });
    }
    return ranges;
}

QRectF SlotRect(const TSheetLayout& layout, int slot, const TPageArea& area)
{
    // A paper of unknown size leaves the printable area to stand for it.
    const bool onPaper = layout.Origin == TOrigin::Paper && !area.paper.isEmpty();
    const QSizeF room = onPaper ? area.paper : area.printable.size();
    const int columns = std::max(1, layout.Columns);
    const int rows = std::max(1, layout.Rows);
    const double width = layout.Width > 0 ? layout.Width : (room.width() - layout.Left - layout.GapX * (columns - 1)) / columns;
    const double height = layout.Height > 0 ? layout.Height : (room.height() - layout.Top - layout.GapY * (rows - 1)) / rows;
    const int row = slot / columns;
    const int column = slot % columns;
    const QRectF rect(layout.Left + column * (width + layout.GapX), layout.Top + row * (height + layout.GapY), width, height);
    return onPaper ? rect.translated(-area.printable.topLeft()) : rect;
}

QList<QLineF> CutMarkLines(const TSheetLayout& layout, const TPageArea& area)
{
    if (!layout.CutMarks)
        return {};
    // Where the guillotine cuts: every ticket's edges. The marks stand beside the grid, so
    // none of them runs into a ticket whatever the gaps.
    constexpr double kMarkGap = 0.0625; // inches between the grid and a mark
    constexpr double kMarkLength = 0.1875;
    const QRectF firstRect = SlotRect(layout, 0, area);
    const QRectF lastRect = SlotRect(layout, layout.Slots() - 1, area);
    const double gridLeft = std::min(firstRect.left(), lastRect.left());
    const double gridRight = std::max(firstRect.right(), lastRect.right());
    const double gridTop = std::min(firstRect.top(), lastRect.top());
    const double gridBottom = std::max(firstRect.bottom(), lastRect.bottom());
    std::set<double> xs, ys;
    for (int column = 0; column < layout.Columns; ++column) {
        const QRectF r = SlotRect(layout, column, area);
        xs.insert(r.left());
        xs.insert(r.right());
    }
    for (int row = 0; row < layout.Rows; ++row) {
        const QRectF r = SlotRect(layout, row * layout.Columns, area);
        ys.insert(r.top());
        ys.insert(r.bottom());
    }
    QList<QLineF> lines;
    for (const double x : xs) {
        lines << QLineF(x, gridTop - kMarkGap - kMarkLength, x, gridTop - kMarkGap);
        lines << QLineF(x, gridBottom + kMarkGap, x, gridBottom + kMarkGap + kMarkLength);
    }
    for (const double y : ys) {
        lines << QLineF(gridLeft - kMarkGap - kMarkLength, y, gridLeft - kMarkGap, y);
        lines << QLineF(gridRight + kMarkGap, y, gridRight + kMarkGap + kMarkLength, y);
    }
    return lines;
}

} // namespace ticket
