#pragma once

#include "ticket/SerialDrawing.h"
#include "ticket/SheetLayout.h"
#include "ticket/Template.h"

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

class TIniFile;

// What the settings reader accepts; a value beyond a limit reads as the limit. The window
// and the command line check what they are given against the same figures.
namespace settingslimits {
constexpr int kMinDigits = 0;
constexpr int kMaxDigits = 32;
constexpr int kMinStep = 1;
constexpr int kMaxStep = 2147483647;
constexpr int kMinFontSize = 1; // points
constexpr int kMaxFontSize = 1000;
constexpr double kMaxIndent = serial::kMaxPosition; // inches, either way
} // namespace settingslimits

// Everything that decides what a run puts on paper, as one value: the paper and the
// printable area the run was drawn for, the serial's text and font, its two positions,
// the sheet layout (with the ticket size it came to), the items and the artwork. A run
// records its design, so a reprint or the rest of a stopped run prints what the run
// printed, whatever the settings file says by then.
namespace ticket {

struct TTicketDesign {
    // The paper by its size key ("A4"), its size and the printable area on it, inches
    // from the paper's top-left corner, as the printer reported them.
    QString Paper;
    bool Landscape = false;
    QSizeF PaperSize;
    QRectF Printable;
    // The serial's text, font, positions, items and mark; its StartingNumber, Offset and
    // MarkUnencodable and OnArtwork belong to a run and a printer, not to the design.
    serial::SerialPage Page;
    // The sheet layout; a ticket of width or height 0 is given the size it came to on
    // the paper and printable area above, so the grid prints the same on any printer.
    // Its Origin is in the text only when it is the paper.
    TSheetLayout Sheet;
    // The artwork: file (absolute), page, scope and whether it prints, with the SHA-256
    // of the bytes it was printed from (empty: none read).
    TTemplate Artwork;
    QString ArtworkSha256;
    // The SHA-256 of the data file the run took its rows from (Page.DataFile; empty: none).
    QString DataSha256;

    friend bool operator==(const TTicketDesign&, const TTicketDesign&) = default;
};

// The design's canonical text: every key in a fixed order, floats with a point, one
// "key=value" a line ("\n" ends every line), so one design has one text and one hash.
QString DesignText(const TTicketDesign& design);
// The text back; nullopt for text that is not a design this version reads.
std::optional<TTicketDesign> ParseDesign(const QString& text);
// The SHA-256 of the canonical text, in lower-case hex: the name a design is kept under.
QString DesignHash(const QString& text);

// A text value as the settings file keeps it: reading strips a value's outer blanks, so
// one with blanks at either end (or in double quotes of its own) is written in quotes.
QString QuotedValue(const QString& text);
QString UnquotedValue(const QString& text);
// value held within -limit..limit.
double Within(double value, double limit);

// A value the settings file holds that this program does not know (a scheme, a
// symbology, a rotation, a step of 0), as "[SN] Check=luhnx": read as the default, it
// would print something else than the file says, so no print starts while it is there;
// a save keeps it as the file has it.
QString UnknownValue(const QString& section, const QString& key, const QString& value);
// Whether `unknown` lists section's key.
bool ListsKey(const QStringList& unknown, const QString& section, const QString& key);

// [Item3], [Item4], ...: the ticket's items in order, the first missing section ending
// the list; written back with the sections of removed items erased. Reading adds the
// values it does not know to `unknown`; writing leaves the keys `keep` lists as they are.
QList<TTicketItem> ReadItemKeys(const TIniFile& ini, QStringList* unknown = nullptr);
void WriteItemKeys(TIniFile& ini, const QList<TTicketItem>& items, const QStringList& keep = {});

// The sheet layout's keys as the settings file's [Sheet] and a design's keep them,
// listed once for both: read (a missing key keeps the default) and written.
void ReadSheetKeys(const TIniFile& ini, const QString& section, TSheetLayout& layout, QStringList* unknown = nullptr);
void WriteSheetKeys(TIniFile& ini, const QString& section, const TSheetLayout& layout, const QStringList& keep = {});

// Tickets of width or height 0 sized as they come out on `area` (from its printable
// area or its paper, as the layout's Origin says); other layouts as they are.
TSheetLayout Resolved(TSheetLayout layout, const TPageArea& area);

// What differs between the printable area a design was drawn for and `now` (inches,
// from the paper's corner), in words ("8.00 x 10.50 in at 0.25, 0.25 in against ...");
// empty when they agree to a hundredth of an inch.
QString PrintableDifference(const QRectF& recorded, const QRectF& now);

} // namespace ticket
