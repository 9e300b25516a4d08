#pragma once

#include "run/Journal.h"
#include "ticket/SerialText.h"

#include <QList>
#include <QString>

#include <optional>

// A serial named as it was printed: "SC-000017" is number 1 of a run with prefix "SC-",
// five digits and a Luhn check. A bare number ("17", or padded as the run printed it,
// "00017") names that number in any run; a text is never reread as another number.
namespace printedserial {

// How a run wrote its serials. digits: none where the journal did not record the width
// (older journals, a shared series), which then takes any zero padding.
struct TSerialFormat {
    QString prefix;
    QString suffix;
    std::optional<int> digits;
    ticket::TCheck check = ticket::TCheck::None;
    QString checkSeparator;
    int letters = 0;
    QString letterSeparator;
};
TSerialFormat FormatOf(const TJournalRecord& run);

// Whether two formats print every number alike (an unknown width matches any).
bool SameText(const TSerialFormat& a, const TSerialFormat& b);

// number as the format prints it.
QString Text(const TSerialFormat& format, qint32 number);
QString Text(const TJournalRecord& run, qint32 number);

// The number `text` is when it is exactly what the format prints for it.
std::optional<qint32> Parse(const QString& text, const TSerialFormat& format);
// The number a bare text names in the format: its plain decimal, or the number padded as
// the format pads it (without prefix, check or suffix).
std::optional<qint32> ParseBare(const QString& text, const TSerialFormat& format);

// The number `text` names in `run`, when it is exactly how the run printed one of its
// serials.
std::optional<qint32> NumberIn(const QString& text, const TJournalRecord& run);

// One reading of a text: a run and its serial. printed: the text is that serial as the
// run printed it; otherwise a bare number.
struct TNamed {
    const TJournalRecord* run = nullptr;
    qint32 number = 0;
    bool printed = false;
};
// Every (run, serial) of `runs` the text names: the runs that printed it as that text,
// or, when none did, the runs whose serials hold the bare number it is. The pointers are
// into `runs`.
QList<TNamed> Named(const QString& text, const QList<TJournalRecord>& runs);
// The runs of `runs` that printed the serial `text` names (see Named; blanks around it
// are tried without), in their order.
QList<TJournalRecord> RunsNaming(const QString& text, const QList<TJournalRecord>& runs);
// Every number the text could hold as a serial's number: each run of digits within it,
// with a minus sign before it or not (a prefix, a check character or a suffix may stand
// beside the number, and be digits too). The runs that can have printed the text are
// among those whose serials hold one of these.
QList<qint64> NumbersIn(const QString& text);

} // namespace printedserial
