#include "install/support_install.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace install {

QString SourceDir() { return qEnvironmentVariable("TALLYFORGE_SOURCE_DIR"); }
QString BinaryDir() { return qEnvironmentVariable("TALLYFORGE_BINARY_DIR"); }

QString ProjectVersion()
{
    QFile cache(BinaryDir() + QStringLiteral("/CMakeCache.txt"));
    if (!cache.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression entry(QStringLiteral("^CMAKE_PROJECT_VERSION:STATIC=(.*)$"),
        QRegularExpression::MultilineOption);
    return entry.match(QString::fromUtf8(cache.readAll())).captured(1).trimmed();
}

ToolResult RunTool(const QString& program, const QStringList& arguments,
    const QProcessEnvironment& environment, int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    ToolResult result;
    if (!process.waitForStarted() || !process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.output = program.toUtf8() + " did not run: " + process.errorString().toUtf8();
        return result;
    }
    result.output = process.readAll();
    if (process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    return result;
}

QStringList InstalledFiles()
{
    QStringList files { ProgramPath(), DesktopEntryPath(), MetainfoPath(), ManPagePath(),
        QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(kAppId) };
    for (int size : IconSizes())
        files.append(IconPath(size));
    return files;
}

} // namespace install
