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
inline QString ProgramPath() { return QStringLiteral("bin/tallyforge"); }
inline QString DesktopEntryPath() { return QStringLiteral("share/applications/%1.desktop").arg(kAppId); }
inline QString MetainfoPath() { return QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId); }
inline QString ManPagePath() { return QStringLiteral("share/man/man1/tallyforge.1.gz"); }
inline QString IconPath(int size) { return QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId); }
inline QList<int> IconSizes() { return { 16, 24, 32, 48, 64, 128, 256 }; }
QStringList InstalledFiles();

} // namespace install
