#include "ticket/Template.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ticket {

QString ScopeName(TTemplateScope scope)
{
    return scope == TTemplateScope::Ticket ? QStringLiteral("ticket") : QStringLiteral("sheet");
}

std::optional<TTemplateScope> ParseScope(const QString& text)
{
    for (const TTemplateScope scope : { TTemplateScope::Sheet, TTemplateScope::Ticket })
        if (text.trimmed().compare(ScopeName(scope), Qt::CaseInsensitive) == 0)
            return scope;
    return std::nullopt;
}

QString TemplatePath(const QString& file, const QString& settingsPath)
{
    if (file.isEmpty())
        return {};
    if (QFileInfo(file).isAbsolute())
        return QDir::cleanPath(file);
    return QDir::cleanPath(QFileInfo(settingsPath).absoluteDir().filePath(file));
}

QList<QPointF> TemplateCorners(TTemplateScope scope, const TSheetLayout& layout, const TSheetPlan& plan,
                               qint64 printedSheet, const TPageArea& area)
{
    if (scope == TTemplateScope::Sheet)
        return { QPointF(0, 0) };
    QList<QPointF> corners;
    const QList<qint64> tickets = plan.OnSheet(plan.LogicalSheet(printedSheet));
    for (int slot = 0; slot < tickets.size(); ++slot)
        if (tickets[slot] >= 0)
            corners << SlotRect(layout, slot, area).topLeft() + area.printable.topLeft();
    return corners;
}

QSizeF PaperInches(int physicalWidth, int physicalHeight, int logPixelsX, int logPixelsY)
{
    if (logPixelsX <= 0 || logPixelsY <= 0)
        return {};
    return QSizeF(double(physicalWidth) / logPixelsX, double(physicalHeight) / logPixelsY);
}

bool LargerThanPaper(const QSizeF& page, const QSizeF& paper)
{
    constexpr double kSlack = 0.01; // inches
    return !paper.isEmpty() && (page.width() > paper.width() + kSlack || page.height() > paper.height() + kSlack);
}

QString ArtworkCutText(const QSizeF& artwork, const QSizeF& ticket)
{
    if (!LargerThanPaper(artwork, ticket))
        return {};
    return QCoreApplication::translate("Template", "The artwork (%1 x %2 in) is larger than its ticket (%3 x %4 in): it is cut at the ticket's edges")
        .arg(artwork.width(), 0, 'f', 2)
        .arg(artwork.height(), 0, 'f', 2)
        .arg(ticket.width(), 0, 'f', 2)
        .arg(ticket.height(), 0, 'f', 2);
}

} // namespace ticket
