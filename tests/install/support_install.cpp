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

QString ProgramPath() { return QStringLiteral("bin/tallyforge"); }
QString DesktopEntryPath() { return QStringLiteral("share/applications/%1.desktop").arg(kAppId); }
QString MetainfoPath() { return QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId); }
QString ScalableIconPath() { return QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(kAppId); }
QString IconPath(int size)
{
    return QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId);
}
QString ManPagePath() { return QStringLiteral("share/man/man1/tallyforge.1.gz"); }
QList<int> IconSizes() { return { 16, 24, 32, 48, 64, 128, 256 }; }

QStringList InstalledFiles()
{
    QStringList files { ProgramPath(), DesktopEntryPath(), MetainfoPath(), ScalableIconPath(), ManPagePath() };
    for (int size : IconSizes())
        files.append(IconPath(size));
    return files;
}

} // namespace install
