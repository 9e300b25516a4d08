#pragma once

#include "printjob/PrintJob.h"
#include "ticket/DataRows.h"
#include "ticket/SerialText.h"
#include "ticket/SheetLayout.h"
#include "ticket/TicketItems.h"

#include <QColor>
#include <QList>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSizeF>
#include <QString>
#include <QtGlobal>

#include <memory>

// The page drawing of the serial-number window: what goes on a page and where. The
// window reads its inputs into SerialPage for every call, so a page always shows what
// is typed at that moment.
// Colours as the file stores them: red + 256 * green + 65536 * blue. A value with the top
// bit set names a system colour (0x80000000 + index, e.g. 0x80000008 for window text),
// which is negative as an int.
int ColorToInt(const QColor& color);
// Low 24 bits as blue-green-red; system colours come from the application's palette
// (black for indexes without a counterpart or without an application).
QColor IntToColor(int value);

namespace ticket {
class TBarcodeAhead;
}

namespace serial {

// The serial font: what the settings file stores and the font dialog edits.
struct SerialFont {
    QString Name = QStringLiteral("Arial");
    int Size = 24;        // points
    int Color = 0;        // as the settings file stores it (0x00BBGGRR)
    bool Bold = false;
    bool Underline = false;
    bool Italic = false;
    bool StrikeOut = false;
    friend bool operator==(const SerialFont&, const SerialFont&) = default;
};

// The farthest a position may lie from the page's origin, in inches either way.
inline constexpr double kMaxPosition = 100.0;

// Everything one page's drawing reads from the window.
struct SerialPage {
    qint32 StartingNumber = 0;
    QString Prefix;
    QString Suffix;
    double HorizontalIndent = 0; // inches from the canvas origin
    double VerticalIndent = 0;
    double HorizontalIndent2 = 0;
    double VerticalIndent2 = 0;
    SerialFont Font;
    int Digits = 0;   // the number padded with zeros to this width; 0: as it is
    QString Mark;     // drawn small after each serial (a reprint's "REPRINT"); empty: none
    int Step = 1;     // the difference between one page's serial and the next (1 and above)
    ticket::TCheck Check = ticket::TCheck::None; // the check character after the number
    QString CheckSeparator; // between the number and its check character
    int Letters = 0;        // a letter series' letters before the digits; 0: none
    QString LetterSeparator; // between the letters and the digits
    // Books of BookSize tickets (0: none), the first opening with BookFirst; items show
    // the book and the place in it.
    int BookSize = 0;
    qint32 BookFirst = 1;
    // The names of the copies of each sheet, a multi-part set's parts ("Customer",
    // "Office", ...); items show the copy and its name.
    QStringList PartNames;
    // Data rows: the CSV file (absolute; empty: none) whose row n - DataFirst + 1 number n
    // takes for {data:Column} in items, and the file as read for the run or the preview
    // (none: the fields stay as typed).
    QString DataFile;
    qint32 DataFirst = 1;
    std::shared_ptr<const ticket::TDataTable> Data;
    // The printer's calibration, inches, which the indents above include already: what
    // else goes on a sheet (cut marks) moves by it too.
    QPointF Offset;
    // Items 3, 4, ... of every ticket, drawn after the two positions.
    QList<ticket::TTicketItem> Items;
    // The preview shows a code that cannot be encoded as a crossed-out box; any other
    // drawing raises (a print is checked before it starts, so that means a fault).
    bool MarkUnencodable = false;
    // Artwork lies under the numbers (printed with them, or shown in the preview): the two
    // serials are drawn without the white cell they have on plain paper, which would cut
    // a box out of the design. Items never have one.
    bool OnArtwork = false;
    friend bool operator==(const SerialPage&, const SerialPage&) = default;
};

// The number on page pageIndex (counted from 1): start + (pageIndex - 1) * step, wrapping
// as a signed 32-bit value (2147483647 on page 2 gives -2147483648).
qint32 SerialNumber(qint32 start, qint32 pageIndex, qint32 step = 1);

// a + b wrapping as a signed 32-bit value, as the serial counter does.
qint32 AddWrapping(qint32 a, qint32 b);

// The number in decimal, padded with zeros to `digits` characters when that is more than
// its length; a minus sign stays in front and counts in the width (-7 at 5 is "-0007").
QString NumberText(qint32 number, int digits = 0);

// prefix + number + suffix with nothing between; the number as NumberText gives it.
QString SerialText(const QString& prefix, qint32 start, qint32 pageIndex, const QString& suffix, int digits = 0);
// The serial on page pageIndex of `page` (from `start` instead of its StartingNumber when
// given), as printed: prefix + padded number + check character + suffix.
QString SerialText(const SerialPage& page, qint32 pageIndex);
QString SerialText(const SerialPage& page, qint32 start, qint32 pageIndex);

// The numbers a run of `count` pages of `page` takes from the counter: every serial and
// the ones its step passes over, count * step (its first serial through the last + step - 1).
qint64 RunNumbers(const SerialPage& page, qint64 count);

// What item `item` of the ticket with the serial of page pageIndex shows: its text with
// {serial}, {number} and {check} filled in.
// copy: the copy of its sheet the ticket is on (from 1); 0 where copies are not made.
QString ItemValue(const SerialPage& page, const ticket::TTicketItem& item, int pageIndex, int copy = 0);

// "Item 3: EAN-13 takes 12 or 13 digits, not 'A-0001'" for the item at `index` of
// page.Items (item 3 is index 0).
QString ItemError(int index, const QString& problem);

// A position in device pixels from unrounded pixel amounts, halves going to even.
QPoint DevicePoint(double xPixels, double yPixels);

// The serial font on a canvas: name, size, style and colour, in that order; the
// canvas's other font settings stay as the job set them.
void ApplySerialFont(TFont& font, const SerialFont& serialFont);

// Sets a job up as the serial pages are designed: one document, the printer's paper,
// margins of 0.158 in that the printable area may fix, no header or footer, and the
// drawing handler given.
// The current printer's paper and the printable area on it, inches, which place and
// size a sheet's tickets (see ticket::SlotRect); empty when the printer reports no
// resolution.
ticket::TPageArea PageArea();

// Printed sheet `printedSheet` (counted from 0) of a plan: every slot's ticket as
// DrawSerialPage draws a page, its two positions measured from the ticket's top-left
// corner and its serial page.StartingNumber + ticket; with the layout's CutMarks, short
// marks beside the sheet's grid at every ticket edge, outside the tickets. The one-ticket
// layout draws exactly what DrawSerialPage draws for page printedSheet + 1. With `ahead`,
// the codes come from it, and the next sheet's are queued on it.
void DrawSerialSheet(TCustomPrintJob& job, TCanvas& canvas, qint64 printedSheet, TDrawArea area,
                     const SerialPage& page, const ticket::TSheetLayout& layout, const ticket::TSheetPlan& plan,
                     const ticket::TPageArea& pageArea, ticket::TBarcodeAhead* ahead = nullptr);

void ConfigureJob(TPrintJob& job, TDrawEvent onDraw);

// Where the two serial texts of a page stand on the canvas (origin at the printable
// area's corner), in its pixels: the cells TextOut fills, the mark included.
QList<QRect> SerialBoxes(TCustomPrintJob& job, TCanvas& canvas, int pageIndex, const SerialPage& page);

// One page: the serial text twice, at the two indents converted by the job's own
// InchesToPixels, each a plain text-out at the cell's top-left corner. Only the body
// band is drawn on.
void DrawSerialPage(TCustomPrintJob& job, TCanvas& canvas, int pageIndex, TDrawArea area,
                    const SerialPage& page, ticket::TBarcodeAhead* ahead = nullptr);

} // namespace serial
