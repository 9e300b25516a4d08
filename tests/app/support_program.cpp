#include "support_program.h"

#include "support_app.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <csignal>

ProgramCopy::ProgramCopy()
{
    const QString built = qEnvironmentVariable("TALLYFORGE_BINARY_DIR") + QStringLiteral("/src/app/tallyforge");
    if (!dir_.isValid()) {
        error_ = QStringLiteral("no temporary folder");
        return;
    }
    if (!QFile::exists(built)) {
        error_ = QStringLiteral("the program is not built: ") + built;
        return;
    }
    program_ = dir_.filePath(QStringLiteral("tallyforge"));
    if (!QFile::copy(built, program_)) {
        error_ = QStringLiteral("cannot copy the program");
        return;
    }
    QDir().mkpath(Documents());
}

QProcessEnvironment ProgramCopy::Environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("CUPS_SERVER"), QStringLiteral("127.0.0.1:1"));
    environment.insert(QStringLiteral("HOME"), Home());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Home() + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("XDG_DOCUMENTS_DIR"), Documents());
    return environment;
}

void ProgramCopy::Start(QProcess& process, const QStringList& arguments) const
{
    process.setProcessEnvironment(Environment());
    process.setWorkingDirectory(Home()); // the current folder plays no part
    apptest::EndWithTest(process);
    process.start(program_, arguments);
}

int ProgramCopy::Run(const QStringList& arguments, QString* errors, int timeoutMs) const
{
    QProcess process;
    Start(process, arguments);
    const bool finished = process.waitForFinished(timeoutMs);
    if (!finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    if (errors)
        *errors = QString::fromLocal8Bit(process.readAllStandardError());
    return finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

int ProgramCopy::OpenAndTerminate(const QStringList& arguments, int timeoutMs) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Start(process, arguments);
    // Before its handler is set a SIGTERM would simply kill the program.
    if (!process.waitForStarted(timeoutMs) || !apptest::WaitUntilCatches(process, SIGTERM, timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        return -1;
    }
    process.terminate();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

namespace apptest {

bool WaitUntilCatches(QProcess& process, int signal, int timeoutMs)
{
    const quint64 mask = quint64(1) << (signal - 1);
    QFile status(QStringLiteral("/proc/%1/status").arg(process.processId()));
    QElapsedTimer timer;
    timer.start();
    while (process.state() == QProcess::Running && timer.elapsed() < timeoutMs) {
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : status.readAll().split('\n'))
                if (line.startsWith("SigCgt:") && (line.mid(7).trimmed().toULongLong(nullptr, 16) & mask))
                    return true;
            status.close();
        }
        if (process.waitForFinished(20)) // the pause, noticing an early end
            return false;
    }
    return false;
}

} // namespace apptest
