#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The built program, copied into a folder of its own so that its settings file lands
// there, run with a private HOME and driven through its command line and signals.
class ProgramCopy {
public:
    ProgramCopy();

    // Empty when the copy is ready, else why not.
    QString Error() const { return error_; }
    QString Dir() const { return dir_.path(); }
    QString Program() const { return program_; }
    QString Home() const { return dir_.filePath(QStringLiteral("home")); }
    QString SettingsFile() const { return dir_.filePath(QStringLiteral("Tallyforge.ini")); }
    QString Documents() const { return Home() + QStringLiteral("/Documents"); }

    // The environment the program runs with: offscreen, no CUPS queue, private HOME.
    QProcessEnvironment Environment() const;
    // Starts the program with these arguments; the caller waits.
    void Start(QProcess& process, const QStringList& arguments) const;
    // Runs a command to its end: the program's exit code, or -1 when it did not end or
    // crashed; what it wrote to standard error goes to *errors.
    int Run(const QStringList& arguments, QString* errors = nullptr, int timeoutMs = 60000) const;
    // Opens the window, waits until the program is ready for SIGTERM, sends it and waits
    // for the program to close as File > Exit does. The exit code, or -1.
    int OpenAndTerminate(const QStringList& arguments = {}, int timeoutMs = 60000) const;

private:
    QTemporaryDir dir_;
    QString program_;
    QString error_;
};

namespace apptest {

// Polls until the running process has its own handler for `signal` (the kernel lists it
// as caught), so the signal no longer kills it outright. False when the process ended
// or the time ran out.
bool WaitUntilCatches(QProcess& process, int signal, int timeoutMs);

} // namespace apptest
