#pragma once

#include "ticket/TicketItems.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <condition_variable>
#include <list>
#include <mutex>
#include <optional>
#include <thread>

class TCanvas;

// Barcodes of the serial, encoded by zint and drawn as vector shapes through the same
// painter as the texts, so the preview, the PDF and the printer show the same code.
namespace ticket {

// One encoded code, in the encoder's units (quiet zones and the text under the bars
// included), with the shapes merged so that a page carries few of them.
struct TBarcodeShapes {
    QSizeF size;
    QList<QRectF> bars;
    struct Hexagon {
        QPointF centre;
        double diameter = 0;
        int rotation = 0;
    };
    QList<Hexagon> hexagons;
    struct Circle {
        QPointF centre;
        double diameter = 0;
        double width = 0; // of the ring; 0: a disc
        bool background = false;
    };
    QList<Circle> circles;
    struct Text {
        QPointF at; // the baseline's anchor
        double size = 0;
        int align = 0; // 0: centred on at, 1: left end, 2: right end
        QString text;
    };
    QList<Text> texts;
    double barsBottom = 0; // where the bars end and the text begins
};

// Why `text` cannot be a `symbology` code, or empty when it can: the rules a code has
// beyond what the encoder refuses (it would pad an odd ITF with a zero, raise the case
// of Code 39, or make an EAN-8 of a short number: each a code of another value).
// "EAN-13 takes 12 or 13 digits, not 'A-0001'"
QString BarcodeProblem(TSymbology symbology, const QString& text);

// The code for `text`; nothing, with the reason in *error, when it cannot be encoded.
// Warnings of the encoder (a code it had to make larger, say) are no failure.
std::optional<TBarcodeShapes> EncodeBarcode(TSymbology symbology, const QString& text, bool humanReadable,
                                            QString* error = nullptr);

// Encodes the codes of tickets to come on a thread of its own while a run draws the
// tickets before them, so that the encoder works while the page is written out. A code
// asked for before it is ready (or never queued) is encoded by the asker; the result is
// always EncodeBarcode's.
class TBarcodeAhead {
public:
    TBarcodeAhead() = default;
    ~TBarcodeAhead(); // waits for the code being encoded, drops the rest
    TBarcodeAhead(const TBarcodeAhead&) = delete;
    TBarcodeAhead& operator=(const TBarcodeAhead&) = delete;

    // Queues a code the run will ask for soon, unless kDepth codes wait to be claimed.
    void Ahead(TSymbology symbology, const QString& text, bool humanReadable);
    std::optional<TBarcodeShapes> Encode(TSymbology symbology, const QString& text, bool humanReadable,
                                         QString* error = nullptr);
    // Codes queued and not claimed yet.
    size_t Pending();

private:
    struct Job {
        TSymbology symbology;
        QString text;
        bool humanReadable;
        enum { Queued, Working, Done, Failed } state = Queued;
        std::optional<TBarcodeShapes> shapes;
        QString error;
        bool orphan = false; // claimed while Working: encoded by the asker instead
    };
    std::list<Job>::iterator Find(TSymbology symbology, const QString& text, bool humanReadable);
    void Work();

    static constexpr size_t kDepth = 64; // codes queued or done: a sheet's worth
    static constexpr size_t kBatch = 8; // codes queued before the worker is woken for them
    std::mutex mutex_;
    std::condition_variable changed_;
    std::list<Job> jobs_; // in the order queued
    bool stop_ = false;
    bool idle_ = false; // the worker waits to be woken
    size_t queued_ = 0;
    std::thread worker_;
};

// Draws the code in black (the text under the bars in `fontName`) into `target`, in the
// canvas's units: the top-left corner at `target`'s, a linear code filling it, a 2-D one
// the square of its smaller side; then turned by `rotation` degrees clockwise about the
// target's top-left corner. The canvas's pen, brush and painter state are left as they
// were; its font is not.
void DrawBarcode(TCanvas& canvas, const TBarcodeShapes& shapes, TSymbology symbology, const QRectF& target,
                 int rotation, const QString& fontName);

} // namespace ticket
