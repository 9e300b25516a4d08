#include "support_program.h"

#include "support_app.h"

#include <QDir>
#include <QFile>

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
    program_ = dir_.filePath(QStringLiteral("Tallyforge"));
    if (!QFile::copy(built, program_)) {
        error_ = QStringLiteral("cannot copy the program");
        return;
    }
    QDir().mkpath(Documents());
}

QProcessEnvironment ProgramCopy::Environment(const QStringList& script)
{
    const QString scriptFile = dir_.filePath(QStringLiteral("script%1.txt").arg(++scripts_));
    QFile file(scriptFile);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(script.join(QLatin1Char('\n')).toUtf8() + '\n');
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("CUPS_SERVER"), QStringLiteral("127.0.0.1:1"));
    environment.insert(QStringLiteral("HOME"), Home());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Home() + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("XDG_DOCUMENTS_DIR"), Documents());
    environment.insert(QStringLiteral("TALLYFORGE_TEST_SCRIPT"), scriptFile);
    return environment;
}

void ProgramCopy::Start(QProcess& process, const QStringList& script)
{
    process.setProcessEnvironment(Environment(script));
    process.setWorkingDirectory(Home()); // the current folder plays no part
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    apptest::EndWithTest(process);
    process.start(program_, {});
}

int ProgramCopy::Run(const QStringList& script, int timeoutMs)
{
    QProcess process;
    Start(process, script);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
