#pragma once

#include "run/Calibration.h"
#include "ticket/SerialDrawing.h"
#include "ticket/TicketDesign.h"
#include "ticket/SheetLayout.h"
#include "ticket/Template.h"

#include <QColor>
#include <QString>

#include <optional>

// The settings reader's limits (see ticket/TicketDesign.h), and the calibration's.
namespace settingslimits {
constexpr double kMaxCalibrationOffset = calibration::kMaxOffset;
} // namespace settingslimits

// Print Setup's choices, as the settings file keeps them: the printer by name (a CUPS
// queue, or the PDF printer), the paper by its size key ("A4", "Letter"), the
// orientation, and where the PDF printer's files go (a folder, or one exact file).
struct TPrinterChoice {
    QString Name;
    QString Paper;
    bool Landscape = false;
    QString PdfFolder;
    QString PdfFile;
    bool operator==(const TPrinterChoice&) const = default;
};

namespace printerchoice {
// The choice the printer holds now.
TPrinterChoice Current();
// Puts the choice on the printer, as far as it still can be: a printer or paper that is
// gone leaves the current one. Returns why a part could not be applied, or empty.
QString Apply(const TPrinterChoice& choice);
} // namespace printerchoice

// Everything the main window keeps in "Tallyforge.ini", as the file holds it.
struct TallyforgeSettings {
    // [SN]
    QString Prefix;
    QString Suffix;
    int LastNumber = 0; // the last serial number used; the window starts at LastNumber + 1
    // LastNumber as the file holds it (empty when missing), and whether it is a number.
    QString LastNumberText;
    bool LastNumberReadable = true;
    int PageCount = 10;
    int Digits = 0; // written only when not 0, so files without it stay as they are
    // The difference between one serial and the next, and the check character after the
    // number; each written only when not the default.
    int Step = 1;
    ticket::TCheck Check = ticket::TCheck::None;
    // Between the number and its check character; written only when not empty.
    QString CheckSeparator;
    // A letter series: letters before the digits (0 to 4; 0, the default, none) and the
    // text between them; each written only when not the default.
    int Letters = 0;
    QString LetterSeparator;
    // [Book]: tickets a book (0, the default: no books) and the number that opens book 1;
    // written only for books.
    int BookSize = 0;
    int BookFirst = 1;
    // [Data]: the CSV file whose rows fill {data:Column} (as the file has it: relative to
    // the settings file's folder, or absolute; empty: none) and the number printed with its
    // first row; written only when used.
    QString DataFile;
    int DataFirst = 1;
    // [Sheet] PartNames: the copies' names, "|" between them; written only when set.
    QString PartNames;
    // A window's print of more pages than this asks first; 0: never asks. Written only
    // when not the default, and a default never removes what the file holds.
    static constexpr int kDefaultConfirmAbove = 1000;
    int ConfirmAbove = kDefaultConfirmAbove;
    // [Paper], inches
    double HorizontalIndent = 1.0;
    double VerticalIndent = 1.0;
    double HorizontalIndent2 = 1.0;
    double VerticalIndent2 = 1.0;
    // [Font]
    serial::SerialFont Font;
    // [View]
    bool WholePage = true;
    // [Series]: a series shared on a server (a PostgreSQL connection URI, never with a
    // password) and its name. Both empty: the counter above. Written only when set, and
    // never removed by a save, so a window that does not know them keeps them.
    QString SeriesServer;
    QString SeriesName;
    // [Calibration]: the offset of each calibrated printer. Written only for those, and a
    // printer not listed keeps what the file holds (calibration::Store removes one).
    calibration::TCalibrations Calibrations;
    // [Printer]: what Print Setup chose (see printerchoice); written only once chosen.
    std::optional<TPrinterChoice> PrinterChoice;
    // [Printer] SheetsPerJob: a run on a queue goes as jobs of at most this many sheets.
    // Only read: a file without it keeps its bytes.
    int SheetsPerJob = 1000;
    // [Sheet]: several tickets on a sheet. Written only when not the one-ticket page, or
    // when the file has the section already (a save never removes it).
    ticket::TSheetLayout Sheet;
    // [Item3], [Item4], ...: what a ticket carries besides the two positions, in order.
    // Written only when there are any; a save removes the sections of items that are gone.
    QList<ticket::TTicketItem> Items;
    // [Template]: the artwork under the numbers. Written only when a file is set; cleared,
    // the section goes.
    ticket::TTemplate Template;

    // Values the file holds that this program does not know ("[SN] Check=luhnx", see
    // ticket::UnknownValue): read as the defaults above, kept in the file by a save, and
    // no print starts while one of them is listed.
    QStringList Unknown;

    bool operator==(const TallyforgeSettings&) const = default;
};

// "Tallyforge.ini" in the folder of the running executable when it is there already or
// that folder is writable; otherwise in the user's configuration folder
// ($XDG_CONFIG_HOME/Tallyforge/Tallyforge.ini), which is made when missing.
QString SettingsFilePath();

// Reads every key, each falling back to its default when missing or unreadable and held
// within settingslimits; a missing file gives the defaults above. A file that exists but
// cannot be read, or is not a regular file, raises Exception("Cannot open file <path>...").
// A prefix or suffix written in double quotes reads without them (see SaveSettingsFile).
TallyforgeSettings LoadSettingsFile(const QString& path);

// Under the counter's lock (TSeriesCounter::Lock), reads what the file holds, sets every
// key (keys, sections, comments the program does not know are kept, lines it does not
// change keep their bytes) and writes the file back atomically, through a symbolic link
// to a regular file and never over anything else. A prefix or suffix with blanks at
// either end, or in double quotes, is written in double quotes so it reads back whole. Raises "Cannot open file <path>"
// when the existing file cannot be read (it is then left alone) and "Cannot create file
// <path>" when it cannot be written (the old file stays whole).
// With writeLastNumber false, LastNumber keeps what the file holds.
// With clearSeries, empty [Series] values remove the section's keys; without it they
// leave what the file holds.
void SaveSettingsFile(const QString& path, const TallyforgeSettings& settings, bool writeLastNumber = true,
                      bool clearSeries = false);
