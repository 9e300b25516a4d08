#pragma once

#include "platform/FileLock.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// The serial counter: [SN] LastNumber of a settings file, shared by every window and
// process that uses the file. Changes happen under a lock on a file beside it
// ("<file>.lock"), each re-reading the file first, so that two runs never take the same
// numbers. A run reserves its whole range before its first page and gives back the
// unprinted tail afterwards, only if nobody reserved after it: a kill at any moment
// leaves a gap, never a repeat.
class TSeriesCounter {
public:
    explicit TSeriesCounter(QString settingsPath);

    // LastNumber as the file holds it: its text (empty when the key is missing) and its
    // value when that text is a number.
    struct Reading {
        QString text;
        std::optional<int> value;
        bool operator==(const Reading&) const = default;
    };
    // Raises Exception("Cannot open file <path>") when the file exists but cannot be read.
    Reading Read() const;

    struct Reservation {
        int first = 0;
        int last = 0;
        QString text; // what LastNumber holds after the reservation
        // The file before and after the reservation (no bytes: there was no file), so
        // that a run that printed nothing leaves it exactly as it found it.
        std::optional<QByteArray> before;
        QByteArray after;
    };
    // Reserves `count` (at least 1) numbers from `first` if LastNumber still holds
    // `expectedText`; otherwise reserves nothing and returns what it holds now (another
    // window or process printed since). Raises "Cannot open file", "Cannot create file"
    // or "The settings file <path> is in use by another program" when it cannot.
    // `record`, when given, is called under the lock with the range before LastNumber
    // moves, so the range is on record before it is taken; what it raises stops the
    // reservation.
    struct Moved {
        Reading now;
    };
    std::optional<Reservation> Reserve(int first, int count, const QString& expectedText, Moved* moved,
                                       const std::function<void(int first, int last)>& record = {});

    // After the run, unless somebody moved LastNumber since the reservation: with pages
    // printed, LastNumber := the last of them; with none, the file as it was before.
    // Returns the text LastNumber holds as far as this run knows: what it wrote, or
    // its reservation's text when somebody else has moved the number since.
    // `record`, when given, is called under the lock with whether the unprinted tail went
    // back: after LastNumber was written back, or, when it stays taken, at once (so the
    // tail is on record before anyone could wonder where it went).
    QString GiveBack(const Reservation& reservation, int pagesPrinted,
                     const std::function<void(bool givenBack)>& record = {});

    // Runs `change` under the lock with the file's LastNumber as it is now.
    void Locked(const std::function<void(const Reading& now)>& change);

    // The counter's lock on a settings file ("<file>.lock"), which every write of the
    // file holds, so that no save overwrites a reservation made meanwhile. It nests
    // within this thread. Raises "The settings file <path> is in use by another
    // program" after 15 s.
    static TFileLock Lock(const QString& settingsPath);

    const QString& Path() const { return path_; }

    // Raises Exception("Cannot open file <path>...") for a file that exists but is not one
    // this program can read and write back without loss (a UTF-16 file, or not a regular
    // file at all): rewriting it would lose the counter it holds.
    static void CheckReadable(const QString& settingsPath);

private:
    QString path_;
};
