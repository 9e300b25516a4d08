#pragma once

#include <QString>

#include <optional>

// How a document's hand-off ended.
enum class TDelivery {
    Confirmed, // a published file, or a job the scheduler shows holding the whole document
    Refused,   // nothing of it will print: refused, or the job was cancelled
    Unknown,   // the scheduler could not be asked afterwards: the job may still print
};

namespace cups {

// The print server this process talks to, as "host:port" (or a socket path).
QString Server();

struct Submission {
    int job = 0; // the job the scheduler created, 0 when none
    TDelivery delivery = TDelivery::Refused;
    QString reason; // why it is not confirmed
};

// Hands a finished PDF to a queue as one job, with its options set explicitly: one copy,
// every page, one-sided, unscaled, the given paper, in page order. The job counts as
// delivered only when the scheduler, asked on a fresh connection, shows it holding the
// document: the sending connection does not always report a scheduler that went away.
// A job left without its document is cancelled. Never raises.
Submission SubmitPdf(const QString& server, const QString& queue, const QString& pdfPath, const QString& title,
                     const QString& media);

enum class JobState { Pending, Completed, Aborted, Cancelled, Unknown };
struct JobEnd {
    JobState state = JobState::Unknown; // Pending: not ended within the time given
    std::optional<int> sheets;          // sheets (or impressions) completed, when the printer says
};

// Follows an accepted job until it ends or `timeoutMs` passes. Unknown: the scheduler
// could not be asked at all.
// A timeout of 0 asks once.
JobEnd FollowJob(const QString& server, int jobId, int timeoutMs);

// Cancels a job that has not ended; true when the scheduler took the cancel (or the job
// had ended already).
bool CancelJob(const QString& server, int jobId);

} // namespace cups
