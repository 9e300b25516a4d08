#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A private CUPS scheduler for one test: its own configuration, spool and log folders in
// a temporary directory, listening on a free port of 127.0.0.1, with one queue "tfq" that
// is the default and prints into a PDF file through a pass-through driver. The machine's
// own CUPS is never touched. Its backends are the machine's plus "tffail": a printer that
// takes part of a job, reports N pages printed ("tffail://N") and fails. Starting needs root (cupsd drops to the lp user for its
// filters and refuses to run them as root, but only root may run it that way).
class PrivateCups {
public:
    PrivateCups();
    ~PrivateCups();
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    // Why the scheduler cannot run here (not root, no cupsd), or empty when it can.
    static QString UnavailableReason();

    // Starts cupsd and adds the queue; false with Error() set on failure.
    bool Start();
    void Stop();
    QString Error() const { return error_; }
    // Makes this scheduler the process's print server (CUPS_SERVER, read again by libcups)
    // with a home folder of the tests' own and the test application; before the first
    // printer look-up.
    void ServeThisProcess() const;

    // "127.0.0.1:port", for CUPS_SERVER.
    QString Server() const;
    QString QueueName() const { return QStringLiteral("tfq"); }
    // The file the queue writes each job into (overwritten by the next job).
    QString OutputFile() const;
    // Adds a queue on the failing printer that reports `pages` pages before it fails; the
    // printer aborts the job rather than stopping the queue.
    bool AddFailingQueue(const QString& name, int pages);
    // The scheduler's process, for tests that stop or kill it.
    qint64 SchedulerPid() const { return scheduler_.processId(); }
    // The scheduler's access log: one line per request it answered.
    QString AccessLog() const;
    // The attributes of a job as the scheduler reports them, "name=value" a line.
    QString JobAttributes(int job);

    // Waits until no job is pending and the output file exists; false on timeout.
    bool WaitForJobs(int timeoutMs = 30000);
    // Runs a CUPS command-line tool against this scheduler; returns its standard output.
    QString RunTool(const QString& program, const QStringList& arguments, int* exitCode = nullptr);

    // A queue `name` for an IPP printer that is gone: its address is a free port of
    // 127.0.0.1 where nothing answers, so a job sent to it never prints.
    bool AddGoneIppPrinterQueue(const QString& name);
    // The jobs of a queue the scheduler has not ended, by lpstat.
    QString PendingJobs(const QString& queue);

private:
    bool startScheduler();
    bool waitUntilListening(int timeoutMs);

    std::unique_ptr<QTemporaryDir> dir_;
    QProcess scheduler_;
    int port_ = 0;
    QString error_;

public:
    // Adds a queue like "tfq" (writing into its own file, `name`.pdf beside OutputFile())
    // whose jobs need a login: a policy that asks for Basic authentication on every job
    // operation. The scheduler reads its configuration again for the policy.
    bool AddLoginQueue(const QString& name);
};
