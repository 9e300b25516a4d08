#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The build tree the tests run against and the tools that install and check it.
namespace install {

inline const QString kAppId = QStringLiteral("org.tallyforge.Tallyforge");

QString SourceDir();
QString BinaryDir();
// The project version as this build tree was configured with it.
QString ProjectVersion();

struct ToolResult {
    int exitCode = -1; // -1: the tool did not start or did not end
    QByteArray output;  // standard output and error together
};
ToolResult RunTool(const QString& program, const QStringList& arguments,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
    int timeoutMs = 120000);

// What an install puts under the prefix, relative to it.
QString ProgramPath();
QString DesktopEntryPath();
QString MetainfoPath();
QString ScalableIconPath();
QString IconPath(int size);
QString ManPagePath();
QList<int> IconSizes();
QStringList InstalledFiles();

} // namespace install
