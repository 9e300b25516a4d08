#pragma once

#include "run/Journal.h"

#include <QDateTime>
#include <QString>

#include <memory>

#include "platform/Exception.h"

// Another process holds the claim on a rest.
class ERestClaimed : public Exception {
public:
    using Exception::Exception;
};

// Who prints the rest of a stopped run right now.
struct TClaimHolder {
    QString user;
    QString host;
    qint64 pid = 0;
    QDateTime since; // UTC
};

// The claim on the rest of a stopped run, held for the object's life: while one process
// prints a rest, no other (another command, window or station) may print it. It is a lock
// of the kernel or of the series' server, so a killed holder's claim ends with it, never
// after a guess at staleness.
class TRestClaim {
public:
    virtual ~TRestClaim() = default;
};

// A claim held elsewhere: "The rest of run 1a2b... is being printed by ann on desk2
// (process 4711) since 2026-12-07 10:15:02".
QString ClaimRefusal(const TJournalRecord& run, const std::optional<TClaimHolder>& holder);

// The holder this process is, as of now.
TClaimHolder ThisHolder();

// How a claim names its run: the run id, or for a record of an older journal (without
// one) a digest of when, by whom and where it started.
QString ClaimKey(const TJournalRecord& run);

// The claim as a lock on a file of the run's own beside the journal
// ("Tallyforge-journal.csv.rest-<key>.lock", which names its holder while held and goes
// away with the claim). Raises ERestClaimed(ClaimRefusal) when another process holds it,
// Exception("Cannot create file <path>") when the file cannot be made.
std::unique_ptr<TRestClaim> ClaimRestBeside(const QString& journalPath, const TJournalRecord& run);
