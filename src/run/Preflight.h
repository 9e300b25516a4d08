#pragma once

#include "run/Journal.h"
#include "ticket/SerialDrawing.h"
#include "ticket/SheetLayout.h"

#include <QList>
#include <QRect>
#include <QString>

// What would misprint in a run, found before it starts: a serial outside the printable
// area, a run across the 32-bit wrap, numbers that change width, serials the journal
// shows as printed already.
struct TPreflightWarning {
    // TicketOutside: a ticket of the sheet's grid off the printable area; TicketsOverlap:
    // negative gaps; OffTicket: a serial that does not fit on its ticket.
    // Unencodable: a barcode item that cannot encode some serial of the run; a print
    // refuses it (see UnencodableItem).
    // ArtworkCut: artwork placed per ticket that is larger than the ticket.
    // CutMarksOutside: cut marks the printer cannot print, off its printable area.
    // BooksAndPiles: books in stack order whose piles are not whole books.
    // PartNames: names for the copies of a sheet that are not one a copy.
    enum class Kind { Outside, Wrap, WidthChange, Overlap, TicketOutside, TicketsOverlap, OffTicket, Unencodable, ArtworkCut,
                      CutMarksOutside, BooksAndPiles, PartNames };
    Kind kind;
    QString text;
    // Worth knowing, not worth asking about: numbers that change width where nothing
    // fixes their place (no padding, no items, no artwork under them).
    bool note = false;
};

struct TPreflight {
    QList<TPreflightWarning> warnings;
    // The texts of the run's first page (origin at the printable corner, printer pixels)
    // that do not fit on the printable area, for the preview to outline.
    QList<QRect> outside;
};

// Whether a ticket (inches from the printable corner, as ticket::SlotRect gives it) lies
// off a printable area of `printable` inches, or is no ticket at all (no width or height).
bool OffPrintable(const QRectF& ticket, const QSizeF& printable);
// Whether some of the layout's cut marks on `area`, out by the calibration `offset`
// (inches), lie off the printable area.
bool CutMarksOff(const ticket::TSheetLayout& layout, const ticket::TPageArea& area, const QPointF& offset);

// Serials of a run that an earlier run printed already, as the same text (prefix, number,
// suffix): from..to of this run's numbers (to may have wrapped below from).
struct TOverlap {
    TJournalRecord run;
    qint32 from = 0;
    qint32 to = 0;
};

// The runs that printed some of `count` serials of `page` (reprints and runs that printed
// nothing do not count), newest first, wrap-aware; only runs with the page's prefix and
// suffix unless `anyText`.
QList<TOverlap> Overlapping(const QList<TJournalRecord>& runs, const serial::SerialPage& page, qint64 count,
                            bool anyText = false);

// "Serials 5 to 9 were printed already by the run of <time> (<user> on <host>, <output>)",
// a line for every run.
QString OverlapText(const QList<TOverlap>& overlaps);

// The run of `count` pages (at least 1) of `page` on the job's current printer, checked
// against the journal's runs; with a layout of several tickets a sheet, `count` tickets
// and the sheet's grid checked as well.
TPreflight CheckRun(TCustomPrintJob& job, const serial::SerialPage& page, int count, const QList<TJournalRecord>& runs,
                    const ticket::TSheetLayout& layout = {});

// Why a barcode item of `page` cannot show some serial of a run of `count` from
// page.StartingNumber ("Item 3: EAN-13 takes 12 or 13 digits, not 'A-0001'"), or empty.
// A code's rules depend on the number's length and sign, and EAN-13's check digit on
// every digit: checked are the first and last serials, each one where the number
// changes length or sign, and for EAN-13 the first twenty.
QString UnencodableItem(const serial::SerialPage& page, qint64 count);

// Why the items of `page` cannot take their {data:Column} fields from page.Data for a run
// of `count` serials from page.StartingNumber: the first column an item names that the
// file does not have, or else the first serial without a row; empty when nothing is
// missing or the page has no data.
QString DataProblem(const serial::SerialPage& page, qint64 count);

// The parts of first..last that no print in the journal shows as printed (reprints do
// not count), as ranges; with a step, of the serials first, first + step, ... up to last
// (a range "105 to 125" then holds 105, 115 and 125; across the wrap, one range may end
// below where it starts), each run's serials its own step apart.
QList<std::pair<qint64, qint64>> Unprinted(const QList<TJournalRecord>& runs, qint64 first, qint64 last, int step = 1);
