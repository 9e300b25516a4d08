#pragma once

#include "run/Journal.h"
#include "ticket/SerialDrawing.h"
#include "platform/Printer.h"

#include <QMap>
#include <QPointF>
#include <QString>

#include <array>
#include <optional>

class TIniFile;
class TSeriesStore;

// Printer calibration: a printer puts the page a little off where its printable corner
// says, and pre-printed stock leaves no room for that. The calibration sheet shows where
// the two number positions land; the offset read off it is added to both positions on
// every print (and in the preview) on that printer.
namespace calibration {

// Inches added to both positions: +X moves the numbers right, +Y down.
struct TOffset {
    double X = 0;
    double Y = 0;
    bool IsZero() const { return X == 0 && Y == 0; }
    friend bool operator==(const TOffset&, const TOffset&) = default;
};

// The largest offset read from the settings file, in inches either way; beyond it the
// arithmetic of a page's positions would overflow.
constexpr double kMaxOffset = 100.0;

// A printer's name as the key of its calibration. Queue names match without regard to
// case, so "Office" and "office" are one printer (the first spelling met is kept).
struct TPrinterKey {
    QString name;
    TPrinterKey(const QString& printer) : name(printer) { } // NOLINT: a name is a key
    friend bool operator<(const TPrinterKey& a, const TPrinterKey& b)
    {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    }
    friend bool operator==(const TPrinterKey& a, const TPrinterKey& b)
    {
        return a.name.compare(b.name, Qt::CaseInsensitive) == 0;
    }
};

// By printer (queue) name. The settings file keeps them in [Calibration] as
// "<printer>.X" and "<printer>.Y", in inches.
using TCalibrations = QMap<TPrinterKey, TOffset>;

// Offsets beyond kMaxOffset read as kMaxOffset.
TCalibrations Read(const TIniFile& ini);
// Writes the printers given; keys of other printers stay as they are.
void Write(TIniFile& ini, const TCalibrations& calibrations);
// Sets one printer's offset in the settings file (none: removes it) and leaves the rest of
// the file as it is, under the counter's lock as SaveSettingsFile, and raises as it does.
void Store(const QString& settingsPath, const QString& printer, std::optional<TOffset> offset);

// The page as the printer is to draw it: both positions moved by the offset.
serial::SerialPage Apply(serial::SerialPage page, const TOffset& offset);

// "Calibrated for office: +0.050 in, -0.020 in"; empty for no offset.
QString HintText(const QString& printer, const TOffset& offset);

// Where the two crosshairs stand, in inches from the paper's top-left corner, when the
// positions (from the printable corner) are those of `page`.
std::array<QPointF, 2> PaperPositions(const serial::SerialPage& page, const TDeviceCaps& caps);

// The offset that brings the crosshairs from where they landed (inches from the paper's
// corner) to where they were meant to be: the mean of the two misses, reversed.
TOffset OffsetFromLanded(const std::array<QPointF, 2>& intended, const std::array<QPointF, 2>& landed);

// The calibration sheet on a canvas whose origin is the printable corner (the printer's):
// a labelled crosshair at each of the page's two positions, as drawn without calibration,
// and the request to measure them from the paper's edges with a ruler.
void DrawSheet(TCanvas& canvas, const TDeviceCaps& caps, const serial::SerialPage& page, const QString& printer);

// How a sheet's print ended: the pages that came out (0 or 1), as journaled, and why it
// could not be journaled (empty when it was).
struct TSheetOutcome {
    int pages = 0;
    TRunStatus status = TRunStatus::Completed;
    QString journalProblem;
};

// Prints the sheet on the current printer with a job of its own, so no counter moves,
// recorded in the store as a run of kind "calibration", from its start on: the print
// room's part of a calibration sheet. A store that could not take the record refuses
// the sheet unless `unrecordable` allows it. What the print raises reaches the caller.
TSheetOutcome PrintSheet(const serial::SerialPage& page, TSeriesStore& store, bool unrecordable);

// For the preview, whose canvas starts at the paper's corner: draws the printable area
// as a faint frame and moves the canvas to the printable corner, as the printer's is,
// until it goes out of scope. Does nothing on other targets and bands.
class TPrinterView {
public:
    TPrinterView(TCanvas& canvas, TDrawTarget target, TDrawArea area, bool printerInstalled);
    ~TPrinterView();
    TPrinterView(const TPrinterView&) = delete;
    TPrinterView& operator=(const TPrinterView&) = delete;

private:
    TCanvas& canvas_;
    std::optional<QPoint> previous_;
};

// The colour of the preview's printable-area frame.
QColor PrintableFrameColor();

} // namespace calibration
