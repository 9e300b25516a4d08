#pragma once

#include "ticket/SheetLayout.h"

#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <optional>

// The artwork under the numbers: one page of a PDF the designer made, drawn under every
// sheet (placed at the paper's corner) or under every ticket (at each ticket's corner).
// Printed with the numbers, or shown in the preview only when the stock is pre-printed.
namespace ticket {

enum class TTemplateScope { Sheet, Ticket };

struct TTemplate {
    QString File;  // absolute, or relative to the settings file; empty: no artwork
    int Page = 1;  // counted from 1
    TTemplateScope Scope = TTemplateScope::Sheet;
    bool Print = true; // false: the preview shows it, the printer does not print it

    bool IsSet() const { return !File.isEmpty(); }
    friend bool operator==(const TTemplate&, const TTemplate&) = default;
};

// "sheet", "ticket", as the settings file spells them.
QString ScopeName(TTemplateScope scope);
std::optional<TTemplateScope> ParseScope(const QString& text);

// The artwork's file as an absolute path: a relative one is taken from the settings
// file's folder, so the pair moves together.
QString TemplatePath(const QString& file, const QString& settingsPath);

// The paper's size in inches, as the printer reports it (empty when it reports none).
QSizeF PaperInches(int physicalWidth, int physicalHeight, int logPixelsX, int logPixelsY);
// Whether an artwork page of `page` inches is larger than `paper`: a page made for the
// paper, rounded, is not.
bool LargerThanPaper(const QSizeF& page, const QSizeF& paper);
// Artwork placed at each ticket's corner is cut at the ticket's edges: what says so
// ("The artwork (3.80 x 2.60 in) is larger than its ticket (3.00 x 2.00 in): ..."), or
// empty when it fits.
QString ArtworkCutText(const QSizeF& artwork, const QSizeF& ticket);

// Where the artwork's top-left corner goes on printed sheet `printedSheet` of a plan, in
// inches from the paper's top-left corner: once at the paper's corner for a sheet, else
// at the corner of every slot that holds a ticket (an empty slot gets no artwork, so no
// unnumbered ticket comes out). `area` is the paper and its printable area the numbers
// are drawn on.
QList<QPointF> TemplateCorners(TTemplateScope scope, const TSheetLayout& layout, const TSheetPlan& plan,
                               qint64 printedSheet, const TPageArea& area);

} // namespace ticket
