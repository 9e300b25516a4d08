#pragma once

#include <QLineF>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <utility>

// A sheet of tickets: a grid of tickets on one sheet of paper, and the order the run's
// tickets take on the sheets, including cut and stack (after the guillotine every pile,
// and the piles one after the other, read on in order). The one-ticket sheet is the
// page the program always printed.
namespace ticket {

enum class TOrder { Rows, Columns, Stack };

// What the grid is measured from. Printable: Left, Top and the tickets' default size
// from the printable area, which differs from printer to printer (the layouts made
// before there was a choice). Paper: from the paper's edges, so the grid and the
// guillotine's cuts fall at the same places whatever the printer.
enum class TOrigin { Printable, Paper };

struct TSheetLayout {
    int Columns = 1;
    int Rows = 1;
    double Left = 0; // the first ticket's corner, inches from the origin's corner
    double Top = 0;
    double Width = 0; // one ticket, inches; 0: the origin's area divided by the grid
    double Height = 0;
    double GapX = 0;
    double GapY = 0;
    TOrder Order = TOrder::Rows;
    int StackDepth = 0; // Stack: sheets per pile; 0: the whole run is one block
    int Copies = 1;     // each sheet this many times in a row
    bool Reverse = false; // the sheets come out last first
    int FirstSlot = 1;  // Rows and Columns: the first ticket's slot on the first sheet
    bool CutMarks = false;
    TOrigin Origin = TOrigin::Printable;

    int Slots() const { return Columns * Rows; }
    bool IsDefault() const { return *this == TSheetLayout(); }
    friend bool operator==(const TSheetLayout&, const TSheetLayout&) = default;
};

// What a layout may hold; the settings reader holds values within these, the command
// line refuses others.
inline constexpr int kMaxGrid = 50;       // columns, rows
inline constexpr int kMaxCopies = 20;
inline constexpr double kMaxSize = 100.0; // inches, either way: corner, ticket, gaps

// "rows", "columns", "stack", as the settings file and the command line spell them.
QString OrderName(TOrder order);
std::optional<TOrder> ParseOrder(const QString& text);
// "printable", "paper".
QString OriginName(TOrigin origin);
std::optional<TOrigin> ParseOrigin(const QString& text);
// The layout with every value held within the limits above.
TSheetLayout Bounded(TSheetLayout layout);

// The layout's values, listed once for every place that names them: the settings file's
// [Sheet] key, the word of the journal's layout text (none: the grid, "2x4"), and the
// place of that word in the text.
struct TSheetField {
    const char* key;
    const char* word;
    int textOrder;
    enum class Kind { Integer, Inches, Bool, Order, Origin } kind;
    int TSheetLayout::*integer = nullptr;
    double TSheetLayout::*inches = nullptr;
    bool TSheetLayout::*flag = nullptr;
};
// In the order a settings file gets them.
const QList<TSheetField>& SheetFields();

// The layout in one line, as the journal records a run's: the grid, then every value
// that is not the default ("2x4 order=stack depth=5 copies=2 reverse first=3 marks
// left=0.25 gapx=0.1"); and back (nullopt for text that is not such a line).
QString LayoutText(const TSheetLayout& layout);
std::optional<TSheetLayout> ParseLayoutText(const QString& text);

// Where the tickets of a run of `tickets` go. Sheets are counted from 0: logical sheets
// in the order of the run, printed sheets in the order they come out of the printer
// (copies in a row, reversed when asked). Slots are counted from 0, left to right, then
// down; a ticket is counted from 0 as well (the run's first serial is ticket 0).
class TSheetPlan {
public:
    TSheetPlan(const TSheetLayout& layout, qint64 tickets);

    qint64 Tickets() const { return tickets_; }
    qint64 LogicalSheets() const { return sheets_; }
    qint64 PrintedSheets() const { return sheets_ * layout_.Copies; }
    // The logical sheet a printed sheet shows.
    qint64 LogicalSheet(qint64 printedSheet) const;

    // Where ticket t lies.
    struct TPlace {
        qint64 sheet = 0;
        int slot = 0;
        friend bool operator==(const TPlace&, const TPlace&) = default;
    };
    TPlace Place(qint64 ticket) const;
    // The ticket in each slot of a logical sheet; -1 where the slot stays empty.
    QList<qint64> OnSheet(qint64 logicalSheet) const;

    // The tickets (first, last, counted from 0) that are not out once the first
    // `printedSheets` printed sheets are: a ticket is out when every copy of its sheet is.
    QList<std::pair<qint64, qint64>> NotOut(qint64 printedSheets) const;

private:
    TSheetLayout layout_;
    qint64 tickets_ = 0;
    qint64 sheets_ = 0;
    qint64 blockSheets_ = 0; // Stack: sheets per full block
};

// The paper a sheet is printed on and the printer's printable area on it, inches from
// the paper's top-left corner.
struct TPageArea {
    QSizeF paper;
    QRectF printable;
    // A printable area of that size filling its paper (what a layout measured from the
    // printable area sees).
    static TPageArea Printable(const QSizeF& size) { return { size, QRectF(QPointF(0, 0), size) }; }
    friend bool operator==(const TPageArea&, const TPageArea&) = default;
};

// A slot's ticket rectangle, inches from the printable corner (where the drawing's origin
// is), on `area`: the layout's Left, Top and the size of tickets of width or height 0
// from the printable area or from the paper, as its Origin says.
QRectF SlotRect(const TSheetLayout& layout, int slot, const TPageArea& area);

// Where the layout's cut marks go, inches from the printable corner: short lines beside
// the grid at every ticket edge, outside the tickets. None without CutMarks.
QList<QLineF> CutMarkLines(const TSheetLayout& layout, const TPageArea& area);

} // namespace ticket
