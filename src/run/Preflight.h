#pragma once

#include "run/Journal.h"
#include "run/SerialDrawing.h"

#include <QList>
#include <QRect>
#include <QString>

// What would misprint in a run, found before it starts: a serial outside the printable
// area, a run across the 32-bit wrap, numbers that change width, serials the journal
// shows as printed already.
struct TPreflightWarning {
    enum class Kind { Outside, Wrap, WidthChange, Overlap };
    Kind kind;
    QString text;
};

struct TPreflight {
    QList<TPreflightWarning> warnings;
    // The texts of the run's first page (origin at the printable corner, printer pixels)
    // that do not fit on the printable area, for the preview to outline.
    QList<QRect> outside;
};

// The run of `count` pages (at least 1) of `page` on the job's current printer, checked
// against the journal's runs.
TPreflight CheckRun(TCustomPrintJob& job, const serial::SerialPage& page, int count, const QList<TJournalRecord>& runs);

// The parts of first..last that no print in the journal shows as printed (reprints do
// not count), as ranges.
QList<std::pair<qint64, qint64>> Unprinted(const QList<TJournalRecord>& runs, qint64 first, qint64 last);
