#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The built program, copied into a folder of its own so that its settings file lands
// there, run with a private HOME and driven by a test script.
class ProgramCopy {
public:
    ProgramCopy();

    // Empty when the copy is ready, else why not.
    QString Error() const { return error_; }
    QString Dir() const { return dir_.path(); }
    QString Home() const { return dir_.filePath(QStringLiteral("home")); }
    QString SettingsFile() const { return dir_.filePath(QStringLiteral("Tallyforge.ini")); }
    QString Documents() const { return Home() + QStringLiteral("/Documents"); }

    // The environment the program runs with: offscreen, no CUPS queue, private HOME,
    // the script given.
    QProcessEnvironment Environment(const QStringList& script);
    // Starts the program; the caller waits.
    void Start(QProcess& process, const QStringList& script);
    // Runs the script to its end; the program's exit code, or -1 when it did not end.
    int Run(const QStringList& script, int timeoutMs = 60000);

private:
    QTemporaryDir dir_;
    QString program_;
    QString error_;
    int scripts_ = 0;
};
